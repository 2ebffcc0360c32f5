#include "controls/scroll_text_panel.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <chrono>
#include <thread>

#include "controls/align_layout.h"
#include "controls/widget_test_support.h"

namespace kordalt {
namespace {

using namespace std::chrono_literals;

// Ticks are driven by hand unless a test gives the timer a short interval.
class TestPanel : public TScrollTextPanel {
public:
    explicit TestPanel(QWidget* parent = nullptr) : TScrollTextPanel(parent) {
        setFont(test::TestFont());
        SetColor(clWhite);
        SetFontColor(clBlack);
        SetInterval(1000000);
        resize(300, 128);
    }
    using TScrollTextPanel::ScrollStep;
    void Steps(int n) {
        for (int i = 0; i < n; ++i) ScrollStep();
    }
};

const QStringList kText = {QStringLiteral("Давным-давно"), QStringLiteral("в далёкой стране"),
                           QStringLiteral("жили-были")};

int LineHeightOf(const QFont& font, bool embossed = false) {
    const QFontMetrics metrics(font);
    return metrics.height() + metrics.leading() + (embossed ? 1 : 0);
}

QRect Ink(const QImage& frame) { return test::InkBox(frame, test::Dark); }

TEST(ScrollTextPanel, LayoutAndScrollLimitFollowFrameGlyphAndFont) {
    struct Case {
        const char* name;
        int border;
        TBevelCut inner;
        TGlyphLayout layout;
        QSize glyph;
        TRect paint;
    } cases[] = {
        {"plain", 0, bvNone, glGlyphLeft, {}, {4, 4, 296, 124}},
        {"thick frame", 2, bvRaised, glGlyphLeft, {}, {7, 7, 293, 121}},
        {"glyph left", 0, bvNone, glGlyphLeft, {20, 16}, {4 + 3 + 20 + 1 + 3, 4, 296, 124}},
        {"glyph right", 0, bvNone, glGlyphRight, {20, 16}, {4, 4, 296 - 20 - 3 - 4, 124}},
        {"glyph top", 0, bvNone, glGlyphTop, {20, 16}, {4, 4 + 3 + 16 + 1 + 6, 296, 124}},
        {"glyph bottom", 0, bvNone, glGlyphBottom, {20, 16}, {4, 4, 296, 124 - 16 - 3 - 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPanel panel;
        panel.SetBorderWidth(c.border);
        panel.SetBevelInner(c.inner);
        panel.SetGlyphLayout(c.layout);
        if (!c.glyph.isEmpty()) panel.SetGlyph(test::Filled(c.glyph.width(), c.glyph.height(), clRed));
        panel.SetLines(QStringList{QString(), QStringLiteral(" ")} + kText);
        panel.SetActive(true);
        EXPECT_EQ(panel.PaintRect(), c.paint);
        EXPECT_EQ(panel.LineHeight(), LineHeightOf(panel.font()));
        EXPECT_EQ(panel.ScrollLimit(), c.paint.Height() + 3 * panel.LineHeight());
    }
}

TEST(ScrollTextPanel, HorizontalScrollCentresTheLinesAndScrollsTheirWidth) {
    TestPanel panel;
    panel.SetScrollDirection(sdHorizontal);
    panel.SetTextStyle(bvLowered);
    panel.SetLines(kText + QStringList{QStringLiteral("   ")});
    panel.SetActive(true);
    const int lh = LineHeightOf(panel.font(), true);
    EXPECT_EQ(panel.LineHeight(), lh);
    const int extra = 120 - 3 * lh;
    EXPECT_EQ(panel.PaintRect(), (TRect{4, 4 + extra / 2, 296, 124 - extra / 2}));
    const QFontMetrics metrics(panel.font());
    EXPECT_EQ(panel.ScrollLimit(), metrics.horizontalAdvance(kText[1]) + 292);

    panel.Steps(30);
    QRect ink = Ink(panel.Frame());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 292 - 30);
    EXPECT_LE(ink.left(), 292 - 30 + 3);
}

TEST(ScrollTextPanel, RealigningItsChildrenRebuildsTheImage) {
    TestPanel panel;
    panel.SetScrollDirection(sdHorizontal);
    panel.SetLines(kText);
    panel.SetActive(true);
    // Reading order is taken when the image is built: switching it alone changes nothing yet.
    panel.setLayoutDirection(Qt::RightToLeft);
    panel.Steps(30);
    ASSERT_FALSE(Ink(panel.Frame()).isEmpty());
    EXPECT_GE(Ink(panel.Frame()).left(), 292 - 31);
    auto* child = new QWidget(&panel);
    SetControlAlign(child, alBottom);  // realigns the panel's children
    panel.Steps(1);
    const QRect ink = Ink(panel.Frame());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.right(), 31 + 3) << "the text now enters from the left";
}

TEST(ScrollTextPanel, TextEntersFromBelowAndLeavesAtTheTop) {
    TestPanel withBlanks, plain;
    withBlanks.SetLines(QStringList{QString(), QStringLiteral("\t ")} + kText);
    plain.SetLines(kText);
    withBlanks.SetActive(true);
    plain.SetActive(true);
    const int lh = plain.LineHeight();
    const int height = plain.PaintRect().Height();

    withBlanks.Steps(lh);
    plain.Steps(lh);
    EXPECT_EQ(withBlanks.Frame(), plain.Frame());  // leading blank lines are skipped
    QRect ink = Ink(plain.Frame());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.top(), height - lh);  // only the first line, at the bottom

    plain.Steps(plain.ScrollLimit() - lh - lh / 2);
    ink = Ink(plain.Frame());
    EXPECT_FALSE(ink.isEmpty());  // half of the last line is left, at the top
    EXPECT_LT(ink.bottom(), lh / 2 + 1);
    plain.Steps(lh / 2);
    EXPECT_EQ(plain.ScrollCount(), plain.ScrollLimit());
    EXPECT_TRUE(Ink(plain.Frame()).isEmpty());  // everything has left at the top
}

TEST(ScrollTextPanel, CycledPanelStartsAgainAndOtherStopsShowingItsChildren) {
    for (bool cycled : {true, false}) {
        SCOPED_TRACE(cycled ? "cycled" : "one pass");
        TestPanel panel;
        auto* shown = new QLabel(QStringLiteral("shown"), &panel);
        auto* hidden = new QLabel(QStringLiteral("hidden"), &panel);
        hidden->hide();
        QSignalSpy starts(&panel, &TScrollTextPanel::OnStartPlay);
        QSignalSpy stops(&panel, &TScrollTextPanel::OnStopPlay);
        panel.SetCycled(cycled);
        panel.SetLines(kText);
        panel.SetActive(true);
        EXPECT_EQ(starts.count(), 1);
        EXPECT_TRUE(shown->isHidden());
        panel.Steps(panel.ScrollLimit());
        panel.Steps(1);
        EXPECT_EQ(panel.Active(), cycled);
        EXPECT_EQ(stops.count(), cycled ? 0 : 1);
        EXPECT_EQ(shown->isHidden(), cycled);
        EXPECT_TRUE(hidden->isHidden());
        if (cycled) {
            EXPECT_EQ(panel.ScrollCount(), 0);
            EXPECT_TRUE(Ink(panel.Frame()).isEmpty());
        } else {
            EXPECT_TRUE(panel.Frame().isNull());
        }
    }
}

TEST(ScrollTextPanel, ChangingLinesRestartsThePass) {
    TestPanel panel;
    panel.SetLines(kText);
    panel.SetActive(true);
    panel.Steps(25);
    EXPECT_EQ(panel.ScrollCount(), 25);
    panel.SetLines(kText.mid(1));
    EXPECT_EQ(panel.ScrollCount(), 0);
    EXPECT_EQ(panel.ScrollLimit(), panel.PaintRect().Height() + 2 * panel.LineHeight());
    panel.SetAlignment(taLeftJustify);
    EXPECT_EQ(panel.ScrollCount(), 0);
}

TEST(ScrollTextPanel, PanelTooSmallScrollsNothingButEndsItsPass) {
    TestPanel panel;
    panel.resize(8, 8);
    panel.SetLines(kText);
    panel.SetActive(true);
    EXPECT_EQ(panel.PaintRect(), TRect{});
    EXPECT_EQ(panel.ScrollLimit(), 3 * panel.LineHeight());
    panel.Steps(panel.ScrollLimit());
    EXPECT_TRUE(panel.Active());
    EXPECT_TRUE(panel.Frame().isNull());
    panel.Steps(1);
    EXPECT_FALSE(panel.Active());
}

TEST(ScrollTextPanel, PaintClientEventDrawsTheBackground) {
    TestPanel panel;
    panel.SetLines(kText);
    panel.SetOnPaintClient([](TScrollTextPanel&, QPainter& canvas, const TRect& rect) {
        canvas.fillRect(rect.ToQRect(), ToQColor(clGreen));
    });
    panel.SetActive(true);
    panel.Steps(1);
    EXPECT_EQ(test::At(panel.Frame(), 0, 0), clGreen);
    EXPECT_EQ(test::At(panel.grab().toImage(), 2, 2), clGreen);  // the panel's own paint too
}

TEST(ScrollTextPanel, WorkerScrollsFramesOntoTheScreen) {
    for (bool async : {true, false}) {
        SCOPED_TRACE(async ? "asynchronous drawing" : "drawing on the user-interface thread");
        test::TestWindow window({320, 150});
        auto* panel = new TestPanel(&window.window);
        panel->SetAsyncDrawing(async);
        panel->SetLines(kText);
        panel->SetCycled(true);
        window.ShowActive();
        panel->SetInterval(2);
        panel->SetActive(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return panel->ScrollCount() >= 3 * panel->LineHeight(); }, 5000));
        QImage screen = panel->grab().toImage();
        QRect ink = Ink(screen.copy(panel->PaintRect().ToQRect()));
        EXPECT_FALSE(ink.isEmpty());
    }
}

TEST(ScrollTextPanel, OnePassEndsByItselfOnTheWorker) {
    test::TestWindow window;
    auto* panel = new TestPanel(&window.window);
    auto* child = new QLabel(QStringLiteral("child"), panel);
    panel->resize(120, 40);
    panel->SetLines({QStringLiteral("x")});
    QSignalSpy stops(panel, &TScrollTextPanel::OnStopPlay);
    window.ShowActive();
    panel->SetInterval(1);
    panel->SetActive(true);
    EXPECT_TRUE(child->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->Active(); }, 10000));
    EXPECT_EQ(stops.count(), 1);
    EXPECT_FALSE(child->isHidden());
}

TEST(ScrollTextPanel, StoppingNeverWaitsForTheEndOfPassHandOver) {
    TestPanel panel;
    panel.resize(60, 20);
    panel.SetLines({QStringLiteral("x")});
    panel.SetInterval(1);
    panel.SetActive(true);
    std::this_thread::sleep_for(300ms);  // the pass ends; the worker now waits for this thread
    QElapsedTimer clock;
    clock.start();
    panel.SetActive(false);
    EXPECT_LT(clock.elapsed(), 1000);
    panel.SetInterval(1000000);
    panel.SetActive(true);
    QTest::qWait(30);  // the stale end of the old pass runs now
    EXPECT_TRUE(panel.Active());
}

TEST(ScrollTextPanel, RepeatedStartStopAndDestroyWhileScrolling) {
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < 30; ++round) {
        auto panel = std::make_unique<TestPanel>();
        panel->show();
        panel->SetLines(kText);
        panel->SetCycled(round % 2 == 0);
        panel->SetInterval(1);
        panel->SetAsyncDrawing(round % 3 != 0);
        for (int i = 0; i < 5; ++i) {
            panel->SetActive(true);
            QTest::qWait(round % 4);
            if (i % 2 == 0) panel->SetLines(kText.mid(i % 3));
            QElapsedTimer stop;
            stop.start();
            panel->SetActive(false);
            EXPECT_LT(stop.elapsed(), 1000);
        }
        panel->SetActive(true);
        QTest::qWait(round % 3);
        panel.reset();  // freed while active
    }
    EXPECT_LT(clock.elapsed(), 60000);
}

}  // namespace
}  // namespace kordalt
