// The settings dialog.
#include "ui/preference.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <memory>
#include <utility>

#include "controls/classic.h"
#include "controls/edit_button.h"
#include "controls/ex_label.h"
#include "controls/speed_button.h"
#include "fake_music_player.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "game_reset.h"
#include "platform/cp1251.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "support/test_files.h"
#include "ui/connect.h"
#include "ui/graph.h"
#include "ui/main_menu.h"
#include "ui/main_screen.h"
#include "ui/multi_player.h"
#include "ui/proc.h"
#include "ui/record_table.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

constexpr char kLanguages[] =
    "[Languages]\nCount=2\nDefault=0\n0=Russian\n1=English\n"
    "[Russian]\nTitle=Русский\n4000=Настройка\n4009=Спросить\n1200=Последнее "
    "сражение\n5000=Графики\n6001=ЗАЛ\n"
    "1400=Ожидание\n7000=Сетевая игра\n7001=Выход\n"
    "[English]\nTitle=English\n4000=Settings\n4009=Ask\n1200=Last battle\n5000=Charts\n6001=HALL\n"
    "1400=Waiting\n7000=Network game\n7001=Leave\n"
    "[Music]\nCount=2\n0=a.mid\n1=b.mid\n";

// The first table's keys, in writing order, with their defaults.
const std::pair<const char*, const char*> kKeys[] = {
    {"Music", "1"},          {"SinglePlayer", "0"},    {"HideGraphics", "0"},     {"ShowHint", "0"},
    {"ShowScrollHelp", "0"}, {"ConfirmSaveGame", "0"}, {"DeadAfterMove", "0"},    {"InternetServer", ""},
    {"RememberPage", "1"},   {"SaveChat", "0"},        {"ChatFileName", nullptr},
};

// The shipped [Icons] section, its bitmap named with its full path: the main
// menu loads its glyphs from it.
std::string IconsSection() {
    const std::string binDir = std::string(KORDALT_BIN_DIR) + "/";
    const TIniFile shipped(binDir + "kordalt.INI");
    std::string section = "[Icons]\n";
    for (const std::string& key : shipped.ReadSection("Icons"))
        section += key + "=" + (key == "Icons" ? binDir : "") + shipped.ReadString("Icons", key, "") + "\n";
    return section;
}

class PreferenceTest : public ::testing::Test {
protected:
    explicit PreferenceTest(const std::string& preferences = "") : program_(Prepare(dir_, preferences)) {
        CreateLanguageFile();
        ResetGame();
    }
    ~PreferenceTest() override {
        delete Preference;
        ResetGame();
        FreeLanguageFile();
    }

    static std::string Prepare(const test::ScratchDir& dir, const std::string& preferences) {
        test::WriteFile(dir.Path("kordalt.INI"), std::string(kLanguages) + IconsSection() + preferences);
        return dir.Path("kordalt");
    }
    std::string Setting(const char* key) const {
        return TIniFile(dir_.Path("kordalt.INI")).ReadString("Preferences", key, "<missing>");
    }
    std::vector<QCheckBox*> Boxes() const {
        TPreference* p = Preference;
        return {p->CheckBoxMusic,    p->CheckBoxNoBanner, p->CheckBoxHidePictures, p->CheckBoxHints,
                p->CheckBoxScroll,   p->CheckBoxAskSave,  p->CheckBoxKordaltsDie,  nullptr,
                p->CheckBoxKeepPage, p->CheckBoxSaveChat};
    }

    test::ScratchDir dir_;
    ScopedProgramFileName program_;
    std::vector<QString> messages;
    ScopedMessageBoxHook boxes_{[this](TMsgType, const QString& text) {
        messages.push_back(text);
        return TMsgButton::Ok;
    }};
};

TEST_F(PreferenceTest, MissingKeysTakeTheirDefaults) {
    Preference = new TPreference;
    const std::vector<QCheckBox*> boxes = Boxes();
    for (size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i]) {
            EXPECT_EQ(boxes[i]->isChecked(), std::string(kKeys[i].second) == "1") << kKeys[i].first;
        }
    EXPECT_EQ(Preference->ServerEdit->text(), QString());
    EXPECT_EQ(Preference->ChatFileEdit->text(),
              QDir::current().absoluteFilePath(QStringLiteral("kordaltchat.txt")));
    EXPECT_FALSE(Preference->ChatFileEdit->isEnabled());
    EXPECT_EQ(Preference->windowTitle(), QString::fromUtf8("Настройка"));
    EXPECT_EQ(Preference->CheckBoxAskSave->text(), QString::fromUtf8("Спросить"));
    EXPECT_EQ(Preference->LanguageList->count(), 2);
    EXPECT_EQ(Preference->LanguageList->currentText(), QString::fromUtf8("Русский"));
}

class PreferenceValues : public PreferenceTest {
protected:
    PreferenceValues()
        : PreferenceTest(
              "[Preferences]\nMusic=0\nSinglePlayer=1\nHideGraphics=1\nShowHint=1\nShowScrollHelp=1\n"
              "ConfirmSaveGame=1\nDeadAfterMove=1\nInternetServer=http://127.0.0.1/list\nRememberPage=0\n"
              "SaveChat=1\nChatFileName=/tmp/chat.log\n") {}
};

TEST_F(PreferenceValues, TheControlsTakeTheFilesValues) {
    InternetServer.clear();
    Preference = new TPreference;
    const std::vector<QCheckBox*> boxes = Boxes();
    for (size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i]) {
            EXPECT_NE(boxes[i]->isChecked(), std::string(kKeys[i].second) == "1") << kKeys[i].first;
        }
    EXPECT_EQ(Preference->ServerEdit->text(), QStringLiteral("http://127.0.0.1/list"));
    EXPECT_EQ(InternetServer, "http://127.0.0.1/list");
    EXPECT_FALSE(MainState.RememberPage);
    EXPECT_EQ(Preference->ChatFileEdit->text(), QStringLiteral("/tmp/chat.log"));
    EXPECT_TRUE(Preference->ChatFileEdit->isEnabled());
}

TEST_F(PreferenceTest, ApplyWritesEveryKeyAndCloseWritesNothing) {
    Preference = new TPreference;
    Preference->show();
    Preference->CheckBoxHidePictures->setChecked(true);
    QTest::mouseClick(Preference->CloseButton, Qt::LeftButton);
    EXPECT_EQ(Setting("HideGraphics"), "<missing>");
    EXPECT_EQ(Preference->result(), 2);

    Preference->show();
    Preference->ServerEdit->setText(QStringLiteral("http://127.0.0.1:8080/"));
    Preference->CheckBoxSaveChat->click();
    EXPECT_TRUE(Preference->ChatFileEdit->isEnabled());
    Preference->ChatFileEdit->setText(QStringLiteral("/tmp/my chat.txt"));
    Preference->CheckBoxSaveChat->click();
    EXPECT_FALSE(Preference->ChatFileEdit->isEnabled());
    QTest::mouseClick(Preference->ApplyButton, Qt::LeftButton);
    EXPECT_EQ(Preference->result(), 1);
    EXPECT_FALSE(Preference->isVisible());
    for (const auto& [key, def] : kKeys) {
        SCOPED_TRACE(key);
        const std::string value = Setting(key);
        if (std::string(key) == "HideGraphics")
            EXPECT_EQ(value, "1");
        else if (std::string(key) == "InternetServer")
            EXPECT_EQ(value, "http://127.0.0.1:8080/");
        else if (std::string(key) == "ChatFileName")
            EXPECT_EQ(value, "/tmp/my chat.txt");
        else
            EXPECT_EQ(value, def);
    }
    EXPECT_EQ(InternetServer, "http://127.0.0.1:8080/");
    EXPECT_TRUE(MainState.RememberPage);
}

// The settings file cannot be written: one box in Russian per click of the
// mouse, and the dialog goes on working.
TEST_F(PreferenceTest, AFailedWriteThroughTheMouseShowsOneBoxAndGoesOn) {
    SetApplicationExceptionHandler(ShowApplicationError);
    const std::string ini = dir_.Path("kordalt.INI");
    const std::string before = test::ReadFile(ini);
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
    Preference = new TPreference;
    Preference->show();
    Preference->CheckBoxHidePictures->setChecked(true);
    for (int click = 1; click <= 2; ++click) {
        QTest::mouseClick(Preference->ApplyButton, Qt::LeftButton);
        ASSERT_EQ(messages.size(), static_cast<size_t>(click));
        EXPECT_TRUE(messages.back().startsWith(QStringLiteral("Не удалось записать файл настроек")))
            << messages.back().toStdString();
        EXPECT_TRUE(messages.back().endsWith(QStringLiteral("нет права на запись")))
            << messages.back().toStdString();
        EXPECT_TRUE(Preference->isVisible());
    }
    EXPECT_EQ(test::ReadFile(ini), before);
    std::filesystem::permissions(ini, std::filesystem::perms::owner_all);
    QTest::mouseClick(Preference->ApplyButton, Qt::LeftButton);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(Setting("HideGraphics"), "1");
    SetApplicationExceptionHandler(nullptr);
}

TEST_F(PreferenceTest, HiddenGraphicsFollowTheBoxOnApply) {
    QWidget start, main;
    start.setObjectName(QStringLiteral("Start"));
    main.setObjectName(QStringLiteral("Main"));
    auto* background = new QWidget(&start);
    background->setObjectName(QStringLiteral("Image3"));
    auto* other = new QWidget(&start);
    other->setObjectName(QStringLiteral("Image2"));
    auto* picture = new QWidget(&main);
    picture->setObjectName(QStringLiteral("Image7"));
    Preference = new TPreference;
    for (bool hide : {true, false}) {
        Preference->CheckBoxHidePictures->setChecked(hide);
        Preference->ApplyClick();
        EXPECT_EQ(background->isVisibleTo(&start), !hide);
        EXPECT_EQ(picture->isVisibleTo(&main), !hide);
        EXPECT_TRUE(other->isVisibleTo(&start));
    }
}

// Counts the tool-tip events that reach it.
class HintTarget : public QWidget {
public:
    int toolTips = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ToolTip) ++toolTips;
        return QWidget::event(e);
    }
};

TEST_F(PreferenceTest, HintsOfTheMainScreenFollowTheBox) {
    QWidget main;
    main.setObjectName(QStringLiteral("Main"));
    auto* panel = new HintTarget;
    panel->setParent(&main);
    panel->setObjectName(QStringLiteral("Panel17"));
    auto* unlisted = new HintTarget;
    unlisted->setParent(&main);
    unlisted->setObjectName(QStringLiteral("Panel13"));
    Preference = new TPreference;
    auto hint = [](QWidget* w) {
        QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
        QCoreApplication::sendEvent(w, &event);
    };
    hint(panel);
    hint(unlisted);
    EXPECT_EQ(panel->toolTips, 0);
    EXPECT_EQ(unlisted->toolTips, 1);
    Preference->CheckBoxHints->setChecked(true);
    Preference->ApplyClick();
    hint(panel);
    EXPECT_EQ(panel->toolTips, 1);
}

TEST_F(PreferenceTest, MusicStopsAndStartsWithTheNextFile) {
    test::WriteFile(dir_.Path("a.mid"), "x");
    test::WriteFile(dir_.Path("b.mid"), "x");
    FakeMusicPlayer player;
    MainForm = new TMainForm;
    MainForm->PlayNextMusic();
    Preference = new TPreference;
    EXPECT_EQ(player.opened, (std::vector<std::string>{"a.mid"}));

    Preference->CheckBoxMusic->setChecked(false);
    Preference->ApplyClick();
    EXPECT_FALSE(MainForm->MusicOn);
    EXPECT_EQ(player.closed.size(), 1u);
    EXPECT_TRUE(player.playing.empty());
    EXPECT_EQ(Setting("Music"), "0");

    Preference->CheckBoxMusic->setChecked(true);
    Preference->ApplyClick();
    EXPECT_TRUE(MainForm->MusicOn);
    EXPECT_EQ(player.opened, (std::vector<std::string>{"a.mid", "b.mid"}));
    EXPECT_EQ(player.playing.size(), 1u);
    delete MainForm;
    MainForm = nullptr;
}

TEST_F(PreferenceTest, TheLanguageSwitchRetextsTheWindowsAndIsStoredAtOnce) {
    Proc = new TProc;
    Graph = new TGraph;
    RecordTable = new TRecordTable;
    Preference = new TPreference;
    MultiPlayer = new TMultiPlayer;
    Connect = new TConnect;
    EXPECT_EQ(Proc->windowTitle(), QString::fromUtf8("Последнее сражение"));
    EXPECT_EQ(Connect->windowTitle(), QString::fromUtf8("Сетевая игра"));
    Preference->LanguageList->setCurrentIndex(1);
    EXPECT_EQ(LanguageFile->LanguageIndex, 1);
    EXPECT_EQ(TIniFile(dir_.Path("kordalt.INI")).ReadString("Languages", "Default", ""), "1");
    EXPECT_EQ(Proc->windowTitle(), QStringLiteral("Last battle"));
    EXPECT_EQ(Graph->windowTitle(), QStringLiteral("Charts"));
    EXPECT_EQ(RecordTable->Title->Caption(), QStringLiteral("HALL"));
    EXPECT_EQ(Preference->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(Preference->CheckBoxAskSave->text(), QStringLiteral("Ask"));
    EXPECT_EQ(MultiPlayer->windowTitle(), QStringLiteral("Waiting"));
    EXPECT_EQ(Connect->windowTitle(), QStringLiteral("Network game"));
    EXPECT_EQ(Connect->LeaveButton->Caption(), QStringLiteral("Leave"));
    // Nothing else was written.
    EXPECT_EQ(Setting("Music"), "<missing>");
    delete Connect;
    delete MultiPlayer;
    delete RecordTable;
    delete Graph;
    delete Proc;
}

// The set-up window's text routine reloads the rules data with the new
// language's names and texts.
TEST(LanguageSwitch, TheRulesDataTakesTheNewLanguagesTexts) {
    test::ScratchDir dir;
    test::WriteFile(dir.Path("dim.dat"), test::ReadFile(KORDALT_BIN_DIR "/dim.dat"));
    test::WriteFile(
        dir.Path("kordalt.INI"),
        "[Languages]\nCount=2\nDefault=0\n0=Russian\n1=English\n"
        "[Russian]\nTitle=Русский\ndim.dat=dim.dat\n7050=Пехота\n7100=Натиск\n7201=Вперёд\n"
        "[English]\nTitle=English\ndim.dat=dim.dat\n7050=Infantry\n7100=Onslaught\n7201=Forward\n");
    ScopedProgramFileName program(dir.Path("kordalt"));
    std::vector<QString> boxes;
    ScopedMessageBoxHook hook([&](TMsgType, const QString& text) {
        boxes.push_back(text);
        return TMsgButton::Ok;
    });
    CreateLanguageFile();
    Start = new TStart;
    Preference = new TPreference;
    EXPECT_EQ(Cp1251ToUtf8(Rules.TroopNames[1].Str()), "Пехота");
    Preference->LanguageList->setCurrentIndex(1);
    EXPECT_EQ(Rules.TroopNames[1].Str(), "Infantry");
    EXPECT_EQ(Rules.Tactics[1].Name.Str(), "Onslaught");
    EXPECT_EQ(Rules.TacticTexts[1][1].Str(), "Forward");
    EXPECT_FALSE(Rules.DimLoadFailed);
    EXPECT_TRUE(boxes.empty());
    delete std::exchange(Preference, nullptr);
    delete std::exchange(Start, nullptr);
    FreeLanguageFile();
}

TEST_F(PreferenceTest, TheMainGameScreenOpensItWithoutLanguageAndServer) {
    Preference = new TPreference;
    for (bool fromMenu : {true, false}) {
        bool language = !fromMenu, server = !fromMenu;
        ScopedModalHook modal([&](QDialog& dialog) {
            EXPECT_EQ(&dialog, static_cast<QDialog*>(Preference));
            language = Preference->LanguageList->isEnabled();
            server = Preference->ServerEdit->isEnabled();
            return 2;
        });
        TPreference::Execute(fromMenu);
        EXPECT_EQ(language, fromMenu);
        EXPECT_EQ(server, fromMenu);
    }
}

}  // namespace
}  // namespace kordalt
