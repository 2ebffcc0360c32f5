// Screen hand-over and the language's fonts.
#include "ui/screens.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFontInfo>
#include <QLabel>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

// Top-level windows named like the program's windows, each at its own place.
struct ScreenSet {
    std::map<std::string, std::unique_ptr<QWidget>> windows;
    explicit ScreenSet(const std::vector<std::string>& names) {
        int i = 0;
        for (const std::string& name : names) {
            auto window = std::make_unique<QWidget>();
            window->setObjectName(QString::fromStdString(name));
            window->resize(64, 48);
            window->move(10 + 30 * i, 20 + 10 * i);
            ++i;
            windows[name] = std::move(window);
        }
    }
    QWidget* operator[](const std::string& name) { return windows.at(name).get(); }
};

class ScreensTest : public ::testing::Test {
protected:
    void TearDown() override { PreviousScreen = nullptr; }
};

TEST_F(ScreensTest, AlignScreensMovesTheTenFullScreenWindowsOnly) {
    ScreenSet set({"MainForm", "SelectGos", "SelectMan", "Main", "MultiPlayer", "Start", "Proc", "Connect",
                   "RecordTable", "Graph", "SelectPlayer", "Preference", "Other"});
    set["Start"]->move(200, 150);
    const QPoint selectPlayer = set["SelectPlayer"]->pos();
    const QPoint preference = set["Preference"]->pos();
    const QPoint other = set["Other"]->pos();

    AlignScreens(set["Start"]);

    for (const char* name : {"MainForm", "SelectGos", "SelectMan", "Main", "MultiPlayer", "Start", "Proc",
                             "Connect", "RecordTable", "Graph"})
        EXPECT_EQ(set[name]->pos(), QPoint(200, 150)) << name;
    EXPECT_EQ(set["SelectPlayer"]->pos(), selectPlayer);
    EXPECT_EQ(set["Preference"]->pos(), preference);
    EXPECT_EQ(set["Other"]->pos(), other);
    EXPECT_EQ(PreviousScreen, set["Start"]);
    EXPECT_EQ(set["Start"]->size(), QSize(64, 48));
}

TEST_F(ScreensTest, CopyFormPosMovesOnlyAnotherWindow) {
    ScreenSet set({"A", "B"});
    CopyFormPos(set["A"], set["B"]);
    EXPECT_EQ(set["B"]->pos(), set["A"]->pos());
    const QPoint a = set["A"]->pos();
    CopyFormPos(set["A"], set["A"]);
    EXPECT_EQ(set["A"]->pos(), a);
}

// Each case: a sequence of steps, then which of A and B are visible and which is marked.
TEST_F(ScreensTest, HandOverRules) {
    enum Step { AlignA, AlignB, KeepA, Hide, DestroyA };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        bool aVisible, bVisible;
        const char* marked;  // "A", "B" or nullptr
    };
    const std::vector<Case> cases = {
        {"nothing marked: hide does nothing", {Hide}, true, true, nullptr},
        {"align then hide hides the old window", {AlignA, Hide}, false, true, nullptr},
        {"align stays marked until someone hides", {AlignA}, true, true, "A"},
        {"keep leaves the window visible", {KeepA, Hide}, true, true, nullptr},
        {"a second align replaces the mark", {AlignA, AlignB, Hide}, true, false, nullptr},
        {"the mark is cleared by the first hide", {AlignA, Hide, Hide}, false, true, nullptr},
        {"keep after align clears the mark", {AlignB, KeepA, Hide}, true, true, nullptr},
        {"a destroyed marked window is not hidden", {AlignA, DestroyA, Hide}, false, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenSet set({"A", "B"});
        std::unique_ptr<QWidget> a = std::move(set.windows["A"]);
        QWidget* b = set["B"];
        a->show();
        b->show();
        for (Step step : c.steps) {
            switch (step) {
                case AlignA:
                    AlignScreens(a.get());
                    break;
                case AlignB:
                    AlignScreens(b);
                    break;
                case KeepA:
                    AlignScreensKeep(a.get());
                    break;
                case Hide:
                    HidePreviousScreen();
                    break;
                case DestroyA:
                    a.reset();
                    break;
            }
        }
        EXPECT_EQ(a && a->isVisible(), c.aVisible);
        EXPECT_EQ(b->isVisible(), c.bVisible);
        QWidget* expected = !c.marked ? nullptr : std::string(c.marked) == "A" ? a.get() : b;
        EXPECT_EQ(PreviousScreen.data(), expected);
        PreviousScreen = nullptr;
    }
}

TEST(LanguageFontTest, ChoosesTheLanguageFontOrItsReplacement) {
    test::ScratchDir dir;
    struct Case {
        const char* name;
        std::string ini;
        bool smallFonts;
        const char* font;
        int charset;
    };
    const std::string fonts = "[Lang]\nFontName=Times New Roman\nTTFFontName=Courier New\nCharset=204\n";
    const std::vector<Case> cases = {
        {"no keys, small fonts", "[Lang]\n", true, "MS Sans Serif", 1},
        {"no keys, other dpi", "[Lang]\n", false, "Arial", 1},
        {"small fonts keep the font name", fonts, true, "Times New Roman", 204},
        {"other dpi takes the replacement", fonts, false, "Courier New", 204},
        {"font defence off keeps the font name", fonts + "[Preferences]\nFontDefence=0\n", false,
         "Times New Roman", 204},
        {"font defence on at small fonts", fonts + "[Preferences]\nFontDefence=1\n", true, "Times New Roman",
         204},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Dir() + "fonts" + std::to_string(i++) + ".ini";
        test::WriteFile(path, c.ini);
        TIniFile ini(path);
        const TLanguageFont font = LanguageFont(ini, "Lang", c.smallFonts);
        EXPECT_EQ(font.Name, QString::fromUtf8(c.font));
        EXPECT_EQ(font.Charset, c.charset);
    }
}

TEST(LanguageFontTest, SettingsFontNamesMapToInstalledFamilies) {
    const std::vector<std::pair<const char*, const char*>> cases = {{"MS Sans Serif", "DejaVu Sans"},
                                                                    {"ms sans serif", "DejaVu Sans"},
                                                                    {"Arial", "Liberation Sans"},
                                                                    {"Times New Roman", "Liberation Serif"},
                                                                    {"DejaVu Serif", "DejaVu Serif"}};
    for (const auto& [name, family] : cases) {
        const QString mapped = FontFamilyFor(QString::fromUtf8(name));
        EXPECT_EQ(mapped, QString::fromUtf8(family)) << name;
        QFont font(mapped);
        EXPECT_EQ(QFontInfo(font).family(), mapped) << "not installed: " << family;
    }
}

TEST(ApplyFontToControlsTest, SetsTheFamilyOfOwnedControlsOnly) {
    QWidget form;
    QFont formFont(QStringLiteral("Liberation Mono"));
    formFont.setPixelSize(11);
    form.setFont(formFont);
    auto* panel = new QWidget(&form);
    auto* label = new QLabel(QStringLiteral("x"), panel);
    QFont designed(QStringLiteral("Liberation Mono"));
    designed.setPixelSize(17);
    designed.setBold(true);
    designed.setItalic(true);
    label->setFont(designed);
    auto* plain = new QLabel(QStringLiteral("y"), &form);
    auto* ownWindow = new QDialog(&form);  // a window of its own: it gets its own font
    auto* inOwnWindow = new QLabel(QStringLiteral("z"), ownWindow);
    const QString ownWindowFamily = ownWindow->font().family();
    const QString inOwnWindowFamily = inOwnWindow->font().family();

    ApplyFontToControls(&form, QStringLiteral("Arial"), 204);

    for (QWidget* control : std::vector<QWidget*>{panel, label, plain}) {
        EXPECT_EQ(control->font().family(), QStringLiteral("Liberation Sans"));
        EXPECT_EQ(control->property("Charset").toInt(), 204);
    }
    EXPECT_EQ(label->font().pixelSize(), 17);
    EXPECT_TRUE(label->font().bold());
    EXPECT_TRUE(label->font().italic());
    EXPECT_EQ(plain->font().pixelSize(), 11);
    EXPECT_EQ(form.font().family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(ownWindow->font().family(), ownWindowFamily);
    EXPECT_EQ(inOwnWindow->font().family(), inOwnWindowFamily);
    EXPECT_FALSE(ownWindow->property("Charset").isValid());
}

}  // namespace
}  // namespace kordalt
