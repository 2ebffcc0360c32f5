#include "controls/slider.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QSignalSpy>
#include <set>
#include <string>
#include <vector>

#include "controls/widget_test_support.h"
#include "input_test_support.h"

namespace kordalt {
namespace {

// A slider set up as the game's: horizontal, ticks shown, values snap to Increment.
void GameSetup(TExSlider& slider, int minValue, int maxValue, int increment) {
    slider.SetOptions(soShowPoints);
    slider.SetMaxValue(maxValue);
    slider.SetMinValue(minValue);
    slider.SetIncrement(increment);
}

struct EventLog {
    std::vector<std::string> events;
    explicit EventLog(TExSlider& slider) {
        QObject::connect(&slider, &TExSlider::OnChange, [this] { events.push_back("change"); });
        QObject::connect(&slider, &TExSlider::OnChanged, [this] { events.push_back("changed"); });
    }
};

TEST(Slider, DefaultLayoutOfTheBuiltInImages) {
    TExSlider slider;
    EXPECT_EQ(slider.size(), QSize(150, 40));
    EXPECT_EQ(slider.Ruler().width(), 138);
    EXPECT_EQ(slider.RulerLength(), 138 - 9);
    // The 17-pixel thumb is taller than the 8-pixel ruler: the ruler is centred on it.
    EXPECT_EQ(slider.ThumbRect(), (TRect{6, 6, 15, 23}));
    EXPECT_EQ(slider.RulerOrigin(), QPoint(6, 6 + (17 - 8) / 2));
    EXPECT_EQ(slider.TickOrigin(), QPoint(6, 6 + 17 + 1));
}

// The ruler repeats the middle of its image between the two edges (2 pixels each).
TEST(Slider, RulerComposedFromEdgesAndRepeatedMiddle) {
    QImage source(10, 8, QImage::Format_RGB32);
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 8; ++y) source.setPixel(x, y, qRgb(10 * x + 5, 0, y == 7 ? 255 : 0));
    }
    struct Case {
        int sliderWidth;
        std::vector<int> columns;  // source column of each ruler column
    } cases[] = {
        {22, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {25, {0, 1, 2, 3, 4, 5, 6, 7, 5, 6, 7, 8, 9}},
        {32, {0, 1, 2, 3, 4, 5, 6, 7, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 8, 9}},
        {18, {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sliderWidth);
        TExSlider slider;
        slider.SetImage(siHRuler, source);
        slider.resize(c.sliderWidth, 40);
        slider.show();
        const QImage& ruler = slider.Ruler();
        ASSERT_EQ(ruler.width(), static_cast<int>(c.columns.size()));
        for (int x = 0; x < ruler.width(); ++x) {
            EXPECT_EQ(qRed(ruler.pixel(x, 3)), 10 * c.columns[static_cast<size_t>(x)] + 5) << "column " << x;
        }
    }
}

TEST(Slider, ValueToOffsetAndBackWithSnapping) {
    // Ruler length 129, indent 6; nearest rounds halves to even.
    struct Case {
        int minValue, maxValue, increment;
        unsigned options;
        int value, offset;   // OffsetFromValue(value) == offset
        int probe, snapped;  // ValueFromOffset(probe) == snapped
    } cases[] = {
        {50, 100, 5, soShowPoints, 50, 6, 6, 50},
        {50, 100, 5, soShowPoints, 100, 135, 135, 100},
        {50, 100, 5, soShowPoints, 75, 70, 70, 75},             // 64.5 rounds to 64
        {50, 100, 5, soShowPoints, 53, 14, 14, 55},             // 3.1 -> 3 -> snapped up to 5
        {50, 100, 5, soShowPoints, 51, 9, 7, 50},               // 0.39 -> 0
        {50, 100, 5, soShowPoints, 60, 32, 0, 50},              // before the ruler: MinValue
        {50, 100, 5, soShowPoints, 95, 122, 200, 100},          // beyond it: MaxValue
        {50, 100, 5, soShowPoints | soSmooth, 53, 14, 14, 53},  // smooth: no snapping
        {3, 23, 5, soShowPoints, 13, 70, 100, 18},              // 14.6 -> 15: snaps to 3 + k * 5
        {3, 23, 5, soShowPoints, 13, 70, 83, 13},               // 11.9 -> 12 -> 10
        {2, 20, 1, soShowPoints, 11, 70, 70, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minValue << ".." << c.maxValue << " step " << c.increment
                                        << " value " << c.value << " probe " << c.probe);
        TExSlider slider;
        slider.SetOptions(c.options);
        slider.SetMaxValue(c.maxValue);
        slider.SetMinValue(c.minValue);
        slider.SetIncrement(c.increment);
        EXPECT_EQ(slider.OffsetFromValue(c.value), c.offset);
        EXPECT_EQ(slider.ValueFromOffset(c.probe), c.snapped);
    }
}

TEST(Slider, VerticalValuesGrowUpwards) {
    TExSlider slider;
    slider.show();
    slider.SetOrientation(soVertical);
    EXPECT_EQ(slider.size(), QSize(40, 150));
    ASSERT_EQ(slider.RulerLength(), 138 - 9);
    struct Case {
        int value, offset;
    } cases[] = {{0, 150 - 6 - 9}, {100, 6}, {50, 150 - (64 + 6) - 9}};
    for (const Case& c : cases) {
        EXPECT_EQ(slider.OffsetFromValue(c.value), c.offset) << c.value;
        EXPECT_EQ(slider.ValueFromOffset(c.offset), c.value) << c.value;
    }
}

TEST(Slider, SetValueClampsAndShowsTheThumbSnapped) {
    TExSlider slider;
    GameSetup(slider, 50, 100, 5);
    EventLog log(slider);
    slider.SetValue(53);
    EXPECT_EQ(slider.Value(), 53);
    EXPECT_EQ(slider.ThumbRect().left, slider.OffsetFromValue(55));
    slider.SetValue(53);
    slider.SetValue(200);
    EXPECT_EQ(slider.Value(), 100);
    EXPECT_EQ(log.events, (std::vector<std::string>{"change", "change"}));
}

TEST(Slider, RangeChangesReclampValueAndIncrement) {
    TExSlider slider;
    GameSetup(slider, 2, 20, 1);
    slider.SetValue(5);
    EventLog log(slider);
    slider.SetMinValue(8);
    EXPECT_EQ(slider.Value(), 8);
    EXPECT_EQ(log.events, std::vector<std::string>{"change"});

    slider.SetMaxValue(8);  // an empty range is ignored
    EXPECT_EQ(slider.MaxValue(), 20);

    slider.SetIncrement(10);
    slider.SetMaxValue(12);  // range 4 < increment 10
    EXPECT_EQ(slider.Increment(), 4);
    EXPECT_THROW(slider.SetIncrement(5), std::out_of_range);
    EXPECT_THROW(slider.SetIncrement(0), std::out_of_range);
    EXPECT_EQ(slider.Increment(), 4);
}

TEST(Slider, KeysStepAndReport) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        int start, expected;
        std::vector<std::string> events;
    } cases[] = {
        {Qt::Key_End, Qt::NoModifier, 10, 20, {"change", "changed"}},
        {Qt::Key_End, Qt::NoModifier, 20, 20, {"changed"}},
        {Qt::Key_Home, Qt::ShiftModifier, 10, 10, {}},
        {Qt::Key_Home, Qt::NoModifier, 10, 2, {"change", "changed"}},
        {Qt::Key_Right, Qt::NoModifier, 10, 11, {"change", "changed"}},
        {Qt::Key_Left, Qt::NoModifier, 10, 9, {"change", "changed"}},
        {Qt::Key_Up, Qt::NoModifier, 10, 10, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << std::hex << c.key << " from " << std::dec << c.start);
        TExSlider slider;
        GameSetup(slider, 2, 20, 1);
        slider.SetValue(c.start);
        EventLog log(slider);
        QTest::keyClick(&slider, Qt::Key(c.key), c.modifiers);
        EXPECT_EQ(slider.Value(), c.expected);
        EXPECT_EQ(log.events, c.events);
    }
}

TEST(Slider, StepsSnapToMultiplesFromZero) {
    TExSlider slider;
    GameSetup(slider, 3, 23, 5);
    slider.SetValue(13);
    slider.StepValue(3);  // nearest(13 / 5) * 5 + 5
    EXPECT_EQ(slider.Value(), 20);
    slider.StepValue(4);
    EXPECT_EQ(slider.Value(), 15);
    slider.StepValue(9);
    EXPECT_EQ(slider.Value(), 15);
}

TEST(Slider, DragGivesOnlySnappedValuesAndOneChangedAtTheEnd) {
    TExSlider slider;
    GameSetup(slider, 50, 100, 5);
    slider.SetValue(50);
    EventLog log(slider);
    std::set<int> seen;
    QObject::connect(&slider, &TExSlider::OnChange, [&] { seen.insert(slider.Value()); });
    const QPoint grab(slider.ThumbRect().left + 4, slider.ThumbRect().top + 8);
    test::Press(&slider, grab);
    EXPECT_TRUE(slider.ThumbDown());
    for (int x = grab.x(); x <= grab.x() + 140; x += 3) test::MoveHeld(&slider, {x, grab.y()});
    test::Release(&slider, {grab.x() + 140, grab.y()});
    EXPECT_FALSE(slider.ThumbDown());
    EXPECT_EQ(slider.Value(), 100);
    EXPECT_EQ(seen, (std::set<int>{55, 60, 65, 70, 75, 80, 85, 90, 95, 100}));
    EXPECT_EQ(log.events.back(), "changed");
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "changed"), 1);
}

TEST(Slider, PressBesideTheThumbStepsThenRepeats) {
    TExSlider slider;
    GameSetup(slider, 50, 100, 5);
    slider.SetValue(50);
    EventLog log(slider);
    const QPoint right(140, slider.RulerOrigin().y() + 2);
    test::Press(&slider, right);
    EXPECT_EQ(slider.Value(), 55);
    QTest::qWait(150);
    EXPECT_EQ(slider.Value(), 55);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider.Value() == 60; }, 2000));
    test::Release(&slider, right);
    const int released = slider.Value();
    QTest::qWait(500);
    EXPECT_EQ(slider.Value(), released);
    EXPECT_EQ(log.events.back(), "changed");

    // A press below the ruler's band does nothing.
    test::Click(&slider, {140, slider.RulerOrigin().y() + slider.Ruler().height() + 4});
    EXPECT_EQ(slider.Value(), released);
}

TEST(Slider, RulerWithoutLengthKeepsTheThumbAtTheIndent) {
    TExSlider slider;
    slider.resize(20, 40);  // an 8-pixel ruler, shorter than the 9-pixel thumb
    slider.show();
    ASSERT_LE(slider.RulerLength(), 0);
    slider.SetValue(70);
    EXPECT_EQ(slider.Value(), 70);
    EXPECT_EQ(slider.ThumbRect().left, 6);
    EXPECT_EQ(slider.OffsetFromValue(100), 6);
    EXPECT_EQ(slider.ValueFromOffset(12), 0);
}

TEST(Slider, TickMarksThinnedToFourPixelsApart) {
    struct Case {
        int minValue, maxValue, increment, ticks;
    } cases[] = {{2, 20, 1, 19}, {50, 100, 5, 11}, {0, 100, 1, 26}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minValue << ".." << c.maxValue << " step " << c.increment);
        TExSlider slider;
        GameSetup(slider, c.minValue, c.maxValue, c.increment);
        slider.SetColor(clWhite);
        const QImage image = slider.grab().toImage();
        const int top = slider.TickOrigin().y();
        auto darkColumns = [&](int y) {
            std::vector<int> xs;
            for (int x = 0; x < image.width(); ++x) {
                if (test::Dark(image.pixel(x, y))) xs.push_back(x);
            }
            return xs;
        };
        const std::vector<int> all = darkColumns(top + 2), ends = darkColumns(top + 4);
        EXPECT_EQ(static_cast<int>(all.size()), c.ticks);
        const std::vector<int> expectedEnds{slider.OffsetFromValue(c.minValue) + 4,
                                            slider.OffsetFromValue(c.maxValue) + 4};
        EXPECT_EQ(ends, expectedEnds);
        EXPECT_TRUE(darkColumns(top + 5).empty());
    }
}

}  // namespace
}  // namespace kordalt
