#include "controls/switch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/widget_test_support.h"
#include "input_test_support.h"

namespace kordalt {
namespace {

struct SwitchFixture {
    test::TestWindow window;
    TExSwitch* sw;
    std::vector<std::string> events;
    SwitchFixture() {
        sw = new TExSwitch(&window.window);
        QObject::connect(sw, &TExSwitch::OnOn, [this] { events.push_back(sw->StateOn() ? "on" : "on?"); });
        QObject::connect(sw, &TExSwitch::OnOff, [this] { events.push_back(sw->StateOn() ? "off?" : "off"); });
        QObject::connect(sw, &TExSwitch::OnMouseDown, [this] { events.push_back("down"); });
        QObject::connect(sw, &TExSwitch::OnMouseUp, [this] { events.push_back("up"); });
        QObject::connect(sw, &TExSwitch::OnClick, [this] { events.push_back("click"); });
        window.ShowActive();
    }
};

TEST(Switch, ClickTogglesBeforeTheMouseEvents) {
    SwitchFixture f;
    test::Click(f.sw, {25, 30});
    EXPECT_TRUE(f.sw->StateOn());
    EXPECT_TRUE(f.sw->hasFocus());
    test::Click(f.sw, {25, 30});
    EXPECT_FALSE(f.sw->StateOn());
    EXPECT_EQ(f.events,
              (std::vector<std::string>{"on", "down", "up", "click", "off", "down", "up", "click"}));

    f.events.clear();
    f.sw->setEnabled(false);
    test::Click(f.sw, {25, 30});
    EXPECT_FALSE(f.sw->StateOn());
    EXPECT_TRUE(f.events.empty());
}

TEST(Switch, ToggleKeyIncludesItsModifiers) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool toggles;
    } cases[] = {{Qt::Key_Space, Qt::NoModifier, true},
                 {Qt::Key_Space, Qt::ShiftModifier, false},
                 {Qt::Key_Return, Qt::NoModifier, false},
                 {Qt::Key_Space, Qt::ControlModifier, false}};
    for (const Case& c : cases) {
        SwitchFixture f;
        f.sw->setFocus();
        QTest::keyClick(f.sw, c.key, c.modifiers);
        EXPECT_EQ(f.sw->StateOn(), c.toggles) << c.key << " " << c.modifiers;
        EXPECT_EQ(f.events.size(), c.toggles ? 1u : 0u);
    }
}

TEST(Switch, ProgramChangesFireTheSameEventsOnlyOnChange) {
    SwitchFixture f;
    f.sw->SetStateOn(false);
    f.sw->SetStateOn(true);
    f.sw->SetStateOn(true);
    f.sw->ToggleSwitch();
    EXPECT_EQ(f.events, (std::vector<std::string>{"on", "off"}));
}

TEST(Switch, PicturePlacedByTextPosition) {
    struct Case {
        TTextPos position;
        QPoint at;
    } cases[] = {
        {tpNone, {9, 6}}, {tpLeft, {18, 6}}, {tpRight, {0, 6}}, {tpAbove, {9, 12}}, {tpBelow, {9, 0}}};
    for (const Case& c : cases) {
        TExSwitch sw;
        sw.SetTextPosition(c.position);
        EXPECT_EQ(sw.PicturePos(), c.at) << c.position;
    }
}

TEST(Switch, ReadySwitchDrawsCaptionAbovePictureOnItsColour) {
    test::TestWindow window;
    auto* sw = new TExSwitch(&window.window);
    sw->setFont(test::TestFont(10));
    sw->SetCaption(QString::fromUtf8("Готов"));
    sw->SetTextPosition(tpAbove);
    sw->SetColor(0xFF8080);
    sw->SetShowFocus(false);
    window.ShowActive();
    const QImage image = sw->grab().toImage();
    const QRect text = test::InkBox(image.copy(0, 0, 50, 12), test::Exactly(clBlack));
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(test::At(image, 0, 30), ColorToRGB(0xFF8080));
    // The picture's transparent magenta shows the switch colour.
    EXPECT_EQ(test::At(image, 9, 12), ColorToRGB(0xFF8080));
    EXPECT_TRUE(test::InkBox(image, test::Exactly(clFuchsia)).isEmpty());
    const QImage off = image.copy(9, 12, 32, 48);
    sw->SetStateOn(true);
    EXPECT_NE(sw->grab().toImage().copy(9, 12, 32, 48), off);
}

}  // namespace
}  // namespace kordalt
