// The main menu: texts from the settings file, the button column, the buttons'
// paths into a game, help and the background music.
#include "ui/main_menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <memory>
#include <utility>

#include "controls/classic.h"
#include "controls/speed_button.h"
#include "game/fake_game_windows.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/saved_game.h"
#include "game/self_test.h"
#include "platform/cp1251.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "support/gallery.h"
#include "support/test_files.h"
#include "ui/connect.h"
#include "ui/dop_info.h"
#include "ui/fake_music_player.h"
#include "ui/help_window.h"
#include "ui/main_screen.h"
#include "ui/multi_player.h"
#include "ui/picture_store.h"
#include "ui/select_gos.h"
#include "ui/select_man.h"
#include "ui/select_player.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"
#include "windows_check/caption_check.h"

namespace kordalt {
namespace {

// Top to bottom.
const char* const kColumn[] = {"ExSpeedButton2", "ExSpeedButton6", "SpeedButton1",
                               "SpeedButton2",   "SpeedButton6",   "ExSpeedButton1",
                               "SpeedButton4",   "SpeedButton5",   "SpeedButton3"};

const std::string kBinDir = std::string(KORDALT_BIN_DIR) + "/";

// The shipped [Icons] section, its bitmap named with its full path.
std::string IconsSection() {
    const TIniFile shipped(kBinDir + "kordalt.INI");
    std::string section = "[Icons]\n";
    for (const std::string& key : shipped.ReadSection("Icons")) {
        const std::string value = shipped.ReadString("Icons", key, "");
        section += key + "=" + (key == "Icons" ? kBinDir + value : value) + "\n";
    }
    return section;
}

// The main menu over a scratch program folder whose settings file holds
// `language` in its one language section, the shipped pictures and `more`.
class MainMenuTest : public ::testing::Test {
protected:
    ~MainMenuTest() override {
        if (form) form->close();
        if (QWidget* help = HelpBrowser() ? HelpBrowser()->window() : nullptr) delete help;
    }

    // The settings file and the rules data of the program folder.
    void WriteSettings(const std::string& language, const std::string& more = "") {
        test::WriteFile(dir.Path("dim.dat"), test::ReadFile(kBinDir + "dim.dat"));
        test::WriteFile(dir.Path("kordalt.INI"),
                        "[Languages]\nCount=1\nDefault=0\n0=Test\n[Test]\ndim.dat=dim.dat\n" + language +
                            "\n" + IconsSection() + more + "\n");
    }

    void Open(const std::string& language, const std::string& more = "") {
        WriteSettings(language, more);
        form = std::make_unique<TMainForm>();
    }

    TExSpeedButton* Button(const char* name) const { return form->findChild<TExSpeedButton*>(name); }

    // Presses `name` while the boxes it shows are recorded.
    std::vector<QString> Press(const char* name) {
        std::vector<QString> boxes;
        ScopedMessageBoxHook hook([&](TMsgType, const QString& text) {
            boxes.push_back(text);
            return TMsgButton::Ok;
        });
        Button(name)->Click();
        return boxes;
    }

    test::ScratchDir dir;
    ScopedProgramFileName program{dir.Path("kordalt")};
    FakeMusicPlayer music;
    ScopedGameUi gameUi{QtGameUi()};
    // A box that no test expects fails the test instead of waiting for a click.
    ScopedMessageBoxHook unexpectedBoxes{[](TMsgType, const QString& text) {
        ADD_FAILURE() << "message box: " << text.toStdString();
        return TMsgButton::Ok;
    }};
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainMenuTest, TextsComeFromTheSettingsFileAndMissingOnesTakeTheirDefaults) {
    struct Case {
        const char* name;
        int32_t id;
        const char* given;     // in the settings file
        const char* fallback;  // the built-in default
    };
    const Case cases[] = {
        {"ExSpeedButton2", 1010, "Игра в Сети", "Интернет игра"},
        {"ExSpeedButton6", 1001, "По сети", "Сетевая игра"},
        {"SpeedButton1", 1002, "Начать", "Новая игра"},
        {"SpeedButton2", 1003, "Продолжить", "Загрузить игру"},
        {"SpeedButton6", 1004, "Лучшие", "Зал славы"},
        {"ExSpeedButton1", 1005, "Параметры", "Настройки"},
        {"SpeedButton4", 1006, "Справка", "Помощь"},
        {"SpeedButton5", 1007, "Авторы", "Об авторах"},
        {"SpeedButton3", 1008, "Закрыть", "Выход"},
    };
    std::string texts = "1000=Кордальт\n1009=Меню\n1011=Сборка %s!\n";
    for (const Case& c : cases) texts += std::to_string(c.id) + "=" + c.given + "\n";
    for (int i = 0; i < 11; ++i) texts += std::to_string(1100 + i) + "=Имя" + std::to_string(i + 1) + "\n";

    Open(texts);
    for (const Case& c : cases) EXPECT_EQ(Button(c.name)->Caption(), QString::fromUtf8(c.given)) << c.name;
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Меню"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QString::fromUtf8("Кордальт"));
    EXPECT_EQ(form->LabelGameVersion->text(), QString::fromUtf8("Сборка 4.5d!"));
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(Cp1251ToUtf8(Game.KordaltBaseNames[i]), "Имя" + std::to_string(i));
    form->close();

    Open("");
    form->show();
    form->Localize();  // as the settings dialog's language switch does
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::FramelessWindowHint)) << "the screen is not 640 x 480";
    for (const Case& c : cases) EXPECT_EQ(Button(c.name)->Caption(), QString::fromUtf8(c.fallback)) << c.name;
    EXPECT_EQ(form->windowTitle(), "Kordalt");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Kordalt");
    EXPECT_EQ(form->LabelGameVersion->text(), QString::fromUtf8("Версия 4.5d"));
    for (int i = 1; i <= 11; ++i) EXPECT_EQ(Game.KordaltBaseNames[i], "?");
}

TEST_F(MainMenuTest, ButtonsStandInOneColumnFromInternetGameToExit) {
    Open("");
    int previousBottom = -1;
    for (const char* name : kColumn) {
        TExSpeedButton* b = Button(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->x(), Button(kColumn[0])->x()) << name;
        EXPECT_GE(b->y(), previousBottom) << name << " is not below the button before it";
        previousBottom = b->geometry().bottom();
        EXPECT_TRUE(b->Flat() && b->Transparent()) << name;
        EXPECT_EQ(b->Layout(), blGlyphRight) << name;
    }
    EXPECT_EQ(form->size(), QSize(640, 480));
}

// Also drawn into <build>/gallery to be looked at.
TEST_F(MainMenuTest, ShippedSettingsGiveTheVersionLabel) {
    test::WriteFile(dir.Path("kordalt.INI"), test::ReadFile(kBinDir + "kordalt.INI"));
    TIniFile(dir.Path("kordalt.INI")).WriteString("Icons", "Icons", kBinDir + "icons.bmp");
    form = std::make_unique<TMainForm>();
    EXPECT_EQ(form->LabelGameVersion->text(), QString::fromUtf8("Версия 4.5d"));
    EXPECT_EQ(Button("SpeedButton1")->Caption(), QString::fromUtf8("Новая игра"));
    const QImage image = form->grab().toImage();
    EXPECT_EQ(image.size(), QSize(640, 480));
    test::SaveToGallery(image, "ui_main_menu");
}

TEST_F(MainMenuTest, ButtonsTakeTheirGlyphFragments) {
    Open("");
    const std::pair<const char*, int> glyphs[] = {
        {"ExSpeedButton2", 5}, {"ExSpeedButton6", 6}, {"SpeedButton1", 7},
        {"SpeedButton2", 8},   {"SpeedButton6", 9},   {"ExSpeedButton1", 10},
        {"SpeedButton4", 11},  {"SpeedButton5", 12},  {"SpeedButton3", 13},
    };
    for (const auto& [name, fragment] : glyphs) {
        QImage expected;
        PictureList->LoadGlyph(expected, fragment);
        ASSERT_FALSE(expected.isNull()) << name;
        EXPECT_EQ(Button(name)->Glyph().convertToFormat(QImage::Format_RGB32), expected) << name;
        EXPECT_EQ(Button(name)->NumGlyphs(), 2) << name;
    }
}

TEST_F(MainMenuTest, BackgroundDrawsTheLanguagePicturesOverTheWindowColour) {
    QImage base(640, 480, QImage::Format_RGB32);
    base.fill(Qt::blue);
    ASSERT_TRUE(base.save(QString::fromStdString(dir.Path("menu.bmp"))));
    // A red square in a green frame; green is the lower-left colour, left out.
    QImage sign(20, 20, QImage::Format_RGB32);
    sign.fill(Qt::green);
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x) sign.setPixel(x, y, qRgb(255, 0, 0));
    ASSERT_TRUE(sign.save(QString::fromStdString(dir.Path("sign.bmp"))));

    Open("Image=menu.bmp\nImage2=sign.bmp\nImage3=missing.bmp\n");
    QImage canvas = form->BackgroundImage->pixmap().toImage();
    EXPECT_EQ(canvas.pixelColor(10, 10), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(401, 11), QColor(Qt::blue)) << "the frame colour is left out";
    EXPECT_EQ(canvas.pixelColor(410, 20), QColor(Qt::red));
    form->close();

    // Without pictures the window colour lies beneath the white captions.
    Open("");
    canvas = form->BackgroundImage->pixmap().toImage();
    EXPECT_EQ(canvas.size(), QSize(640, 480));
    EXPECT_EQ(canvas.pixelColor(10, 10), canvas.pixelColor(630, 470));
    form->show();
    for (const std::string& fault : test::CheckCaptions(*form)) ADD_FAILURE() << fault;
}

TEST_F(MainMenuTest, NetworkAndInternetGamesWithoutASessionServiceStayInTheMenu) {
    Open("3139=Нет TCP/IP\n");
    form->show();
    // No session library in this folder: the Internet game finds no TCP/IP provider.
    EXPECT_EQ(Press("ExSpeedButton2"), std::vector<QString>{QString::fromUtf8("Нет TCP/IP")});
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(PlayMode.IsInternetGame);
    // Without a connection wizard the network game is cancelled: no box, no lobby.
    EXPECT_TRUE(Press("ExSpeedButton6").empty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(Connect->isVisible());
    EXPECT_EQ(Game.DifficultyLevel, 1);
    delete std::exchange(Connect, nullptr);
    delete std::exchange(MultiPlayer, nullptr);
    delete std::exchange(DopInfo, nullptr);
}

TEST_F(MainMenuTest, ExitClosesTheMenuAndStopsTheMusic) {
    test::WriteFile(dir.Path("a.mid"), "MThd");
    Open("", "[Music]\nCount=1\n0=a.mid\n");
    form->show();
    form->PlayNextMusic();
    ASSERT_NE(form->MusicDevice, 0);
    const uint16_t device = form->MusicDevice;
    Press("SpeedButton3");
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->MusicOn);
    EXPECT_EQ(form->MusicDevice, 0);
    EXPECT_EQ(music.closed, std::vector<uint16_t>{device});
    EXPECT_EQ(LanguageFile, nullptr);
}

TEST_F(MainMenuTest, NewGameShowsTheSetUpWindowModallyInTheMenusPlace) {
    Open("");
    Start = new TStart();
    form->show();
    MainState.AutoPass = true;
    PlayMode.IsInternetGame = true;
    PlayMode.GameMode = 0;
    bool modal = false, menuHidden = false;
    QTimer::singleShot(0, Start, [&] {
        modal = QApplication::activeModalWidget() == Start;
        menuHidden = !form->isVisible();
        Start->close();
    });
    EXPECT_TRUE(Press("SpeedButton1").empty());
    EXPECT_TRUE(modal);
    EXPECT_TRUE(menuHidden);
    EXPECT_FALSE(MainState.AutoPass);
    EXPECT_FALSE(PlayMode.IsInternetGame);
    EXPECT_EQ(PlayMode.GameMode, kLocalGame);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(Start->isVisible());
    delete std::exchange(Start, nullptr);
}

TEST_F(MainMenuTest, StartUpMakesTheWindowsAndHandsThemToTheGame) {
    WriteSettings("");
    CreateWindows();
    const std::pair<QWidget*, const char*> windows[] = {
        {MainForm, "MainForm"},   {Start, "Start"}, {SelectPlayer, "SelectPlayer"},
        {SelectGos, "SelectGos"}, {Main, "Main"},   {SelectMan, "SelectMan"},
        {DopInfo, "DopInfo"},
    };
    for (const auto& [window, name] : windows) {
        ASSERT_NE(window, nullptr) << name;
        EXPECT_EQ(window->objectName(), name);
    }
    EXPECT_EQ(GameWindows().StatesSliderValue(), Start->StatesCount())
        << "the game reaches the set-up window";
    MainForm->close();
    FreeWindows();
    for (QWidget* window : {static_cast<QWidget*>(MainForm), static_cast<QWidget*>(Start),
                            static_cast<QWidget*>(Main), static_cast<QWidget*>(DopInfo)})
        EXPECT_EQ(window, nullptr);
    EXPECT_EQ(LanguageFile, nullptr) << "the menu frees the language file";
}

// A picture bitmap that is missing stops the start-up with a box naming it.
TEST_F(MainMenuTest, StartUpWithoutThePictureBitmapSaysSoInABox) {
    test::WriteFile(dir.Path("kordalt.INI"),
                    "[Languages]\nCount=1\nDefault=0\n0=Test\n[Test]\n"
                    "[Icons]\nIcons=icons.bmp\nCount=0\n");
    std::vector<std::pair<TMsgType, QString>> boxes;
    ScopedMessageBoxHook hook([&](TMsgType type, const QString& text) {
        boxes.emplace_back(type, text);
        return TMsgButton::Ok;
    });
    EXPECT_FALSE(CreateWindowsReporting());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, TMsgType::Error);
    EXPECT_TRUE(boxes[0].second.contains(QStringLiteral("icons.bmp"))) << boxes[0].second.toStdString();
    FreeWindows();
    EXPECT_EQ(MainForm, nullptr);
}

// ---- Help ----

TEST_F(MainMenuTest, HelpOpensTheHtmlFileAtTheContentsTheAboutTopicOrTheMenusTopic) {
    test::WriteFile(dir.Path("kordalt.html"), test::ReadFile(kBinDir + "kordalt.html"));
    Open("help=kordalt.hlp\n");
    EXPECT_EQ(HelpFile(), dir.Path("kordalt.hlp"));

    EXPECT_TRUE(Press("SpeedButton5").empty());
    ASSERT_NE(HelpBrowser(), nullptr);
    EXPECT_EQ(HelpBrowser()->source().toLocalFile(), QString::fromStdString(dir.Path("kordalt.html")));
    EXPECT_EQ(HelpBrowser()->source().fragment(), "26");
    EXPECT_TRUE(HelpBrowser()->window()->isVisible());

    EXPECT_TRUE(Press("SpeedButton4").empty());
    EXPECT_EQ(HelpBrowser()->source().fragment(), "");
    EXPECT_TRUE(HelpBrowser()->toPlainText().contains(QString::fromUtf8("Главное меню")));
    test::SaveToGallery(HelpBrowser()->window()->grab().toImage(), "ui_help");

    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), 2000));
    QTest::keyClick(form.get(), Qt::Key_F1);
    EXPECT_EQ(HelpBrowser()->source().fragment(), "7");
}

// Escape or the window's own button closes the help.
TEST_F(MainMenuTest, HelpClosesWithEscapeOrItsButton) {
    test::WriteFile(dir.Path("kordalt.html"), test::ReadFile(kBinDir + "kordalt.html"));
    Open("help=kordalt.hlp\n");
    for (const bool escape : {true, false}) {
        EXPECT_TRUE(Press("SpeedButton4").empty());
        ASSERT_NE(HelpBrowser(), nullptr);
        QPointer<QWidget> help = HelpBrowser()->window();
        QApplication::setActiveWindow(help);
        ASSERT_TRUE(QTest::qWaitForWindowActive(help, 2000));
        if (escape) {
            QTest::keyClick(HelpBrowser(), Qt::Key_Escape);
        } else {
            auto* close = help->findChild<QPushButton*>("HelpClose");
            ASSERT_NE(close, nullptr);
            EXPECT_TRUE(help->rect().contains(QRect(close->mapTo(help, QPoint()), close->size())));
            close->click();
        }
        QCoreApplication::processEvents();
        EXPECT_TRUE(!help || !help->isVisible()) << (escape ? "Escape" : "the button");
    }
}

// The help window opens over the program's window, its title naming the
// program only once (the window system adds the program's name).
TEST_F(MainMenuTest, HelpOpensOverTheMenuTitledOnce) {
    test::WriteFile(dir.Path("kordalt.html"), test::ReadFile(kBinDir + "kordalt.html"));
    Open("help=kordalt.hlp\n");
    form->move(40, 20);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), 2000));
    EXPECT_TRUE(Press("SpeedButton4").empty());
    ASSERT_NE(HelpBrowser(), nullptr);
    QWidget* help = HelpBrowser()->window();
    EXPECT_FALSE(help->windowTitle().contains(QStringLiteral("Kordalt")))
        << help->windowTitle().toStdString();
    EXPECT_FALSE(help->windowTitle().isEmpty());
    const QPoint offset = help->geometry().center() - form->geometry().center();
    EXPECT_LE(offset.manhattanLength(), 4) << offset.x() << "," << offset.y();
}

TEST_F(MainMenuTest, MissingHelpFileGivesAnErrorBox) {
    Open("help=none.hlp\n");
    const std::vector<QString> boxes = Press("SpeedButton4");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains("none.html")) << boxes[0].toStdString();
}

TEST(HelpFile, ShippedFileHasEveryTopicTheWindowsOpen) {
    const std::string html = test::ReadFile(kBinDir + "kordalt.html");
    ASSERT_FALSE(html.empty());
    for (int topic : {7, 8, 10, 11, 12, 13, 14, 15, 16, 18, 20, 26})
        EXPECT_NE(html.find("<a name=\"" + std::to_string(topic) + "\">"), std::string::npos) << topic;
}

// ---- Loading a game ----

// A local game on a fresh map, saved to `file` with human 1 to move.
void SaveLocalGame(const std::string& file) {
    FakeGameWindows windows;
    windows.states = 3;
    windows.mapSize = 50;
    Game = GameState{};
    PlayMode.GameMode = kLocalGame;
    Rules.TroopTypeCount = 3;
    GenerateNewGame();
    for (int i = 1; i <= 3; ++i) {
        Game.mGos[i].Player = i == 1 ? 1 : 0;
        Game.mGos[i].PlayerName.Assign(i == 1 ? "P1" : "");
        Game.mGos[i].Alive = 1;
    }
    Game.HumanCount = 1;
    Game.CurrentHuman = 1;
    Game.Year = 3;
    SaveGame(file);
    ReplaceMap(nullptr);
    Game = GameState{};
}

// The menu over a saved local game that the open dialog picks.
class LoadGameTest : public MainMenuTest {
protected:
    LoadGameTest() {
        Open("");
        SaveLocalGame(dir.Path("game.sav"));
        windows.openFileName = dir.Path("game.sav");
        form->show();
    }
    ~LoadGameTest() override { ReplaceMap(nullptr); }

    ScopedSeed seed{5};
    FakeGameWindows windows;
};

TEST_F(LoadGameTest, LoadedGameRunsTheYearLoopWithTheMenuHidden) {
    bool menuHidden = false;
    windows.onMainScreen = [&] {
        menuHidden = !form->isVisible();
        return TTurnResult::Quit;
    };
    EXPECT_TRUE(Press("SpeedButton2").empty());
    EXPECT_EQ(PlayMode.GameMode, kLocalGame);
    EXPECT_FALSE(PlayMode.IsInternetGame);
    EXPECT_EQ(Game.Year, 3);
    EXPECT_NE(std::find(windows.log.begin(), windows.log.end(), "BeginYearLoop"), windows.log.end());
    EXPECT_EQ(windows.turns, std::vector<std::string>{"3:1:1"});
    EXPECT_TRUE(menuHidden);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(LoadGameTest, GameThatFailsReportsTheErrorAndShowsTheMenuAgain) {
    windows.onMainScreen = []() -> TTurnResult { throw std::runtime_error("broken"); };
    std::vector<std::string> errors;
    SetApplicationExceptionHandler([&](QObject*, std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            errors.push_back(e.what());
        }
    });
    Press("SpeedButton2");
    SetApplicationExceptionHandler(nullptr);
    EXPECT_EQ(errors, std::vector<std::string>{"broken"});
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainMenuTest, FailedLoadRunsNoYearLoopAndKeepsTheMenu) {
    test::WriteFile(dir.Path("bad.sav"), std::string(300, 'x'));
    struct Case {
        const char* what;
        std::string file;  // empty: the dialog is cancelled
        size_t boxes;
    };
    const Case cases[] = {{"cancelled", "", 0}, {"damaged file", dir.Path("bad.sav"), 1}};
    Open("");
    form->show();
    for (const Case& c : cases) {
        FakeGameWindows windows;
        windows.openFileName = c.file;
        EXPECT_EQ(Press("SpeedButton2").size(), c.boxes) << c.what;
        EXPECT_TRUE(windows.log.empty()) << c.what;
        EXPECT_TRUE(windows.turns.empty()) << c.what;
        EXPECT_TRUE(form->isVisible()) << c.what;
    }
}

// ---- Music ----

class MusicTest : public MainMenuTest {
protected:
    // A playlist of `files` (created when listed in `existing`).
    void OpenPlaylist(const std::vector<std::string>& files, const std::vector<std::string>& existing,
                      const std::string& preferences = "") {
        std::string section = "[Music]\nCount=" + std::to_string(files.size()) + "\n";
        for (size_t i = 0; i < files.size(); ++i) section += std::to_string(i) + "=" + files[i] + "\n";
        for (const std::string& name : existing) test::WriteFile(dir.Path(name), "MThd");
        Open("", "[Preferences]\n" + preferences + "\n" + section);
    }
};

TEST_F(MusicTest, PlaylistRepeatsInItsOrder) {
    struct Case {
        std::vector<std::string> files;
        std::vector<std::string> existing;
        int plays;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{"a.mid", "b.mid", "c.mid"},
         {"a.mid", "b.mid", "c.mid"},
         5,
         {"a.mid", "b.mid", "c.mid", "a.mid", "b.mid"}},
        {{"a.mid"}, {"a.mid"}, 3, {"a.mid", "a.mid", "a.mid"}},
        {{"a.mid", "gone.mid", "c.mid"}, {"a.mid", "c.mid"}, 3, {"a.mid", "c.mid", "a.mid"}},
    };
    for (const Case& c : cases) {
        music.opened.clear();
        OpenPlaylist(c.files, c.existing);
        EXPECT_TRUE(form->MusicOn);
        form->PlayNextMusic();
        for (int i = 1; i < c.plays; ++i) ASSERT_TRUE(music.FinishPlaying());
        EXPECT_EQ(music.opened, c.expected);
        EXPECT_EQ(music.playing.size(), 1u) << "each notice closes the device that finished";
        form->close();
    }
}

TEST_F(MusicTest, NoMusicWithoutFilesSwitchOrOutput) {
    struct Case {
        const char* what;
        std::string count;  // [Music] Count line
        std::string preferences;
        int waveDevices;
    };
    const Case cases[] = {
        {"Count 0", "Count=0", "", 1},
        {"no Count", "", "", 1},
        {"music off", "Count=1", "Music=0", 1},
        {"no audio output", "Count=1", "", 0},
    };
    test::WriteFile(dir.Path("a.mid"), "MThd");
    for (const Case& c : cases) {
        music.waveDevices = c.waveDevices;
        Open("", "[Preferences]\n" + c.preferences + "\n[Music]\n" + c.count + "\n0=a.mid\n");
        form->PlayNextMusic();
        EXPECT_TRUE(music.opened.empty()) << c.what;
        EXPECT_EQ(form->MusicDevice, 0) << c.what;
        form->close();
    }
}

TEST_F(MusicTest, SwitchingOffAndOnResumesWithTheNextFile) {
    OpenPlaylist({"a.mid", "b.mid", "c.mid"}, {"a.mid", "b.mid", "c.mid"});
    form->PlayNextMusic();
    ASSERT_TRUE(music.FinishPlaying());  // b plays
    // The settings dialog's apply step, off and on.
    form->MusicOn = false;
    form->StopMusic();
    form->PlayNextMusic();
    EXPECT_TRUE(music.playing.empty());
    form->MusicOn = true;
    form->StopMusic();
    form->PlayNextMusic();
    EXPECT_EQ(music.opened, (std::vector<std::string>{"a.mid", "b.mid", "c.mid"}));
}

TEST_F(MusicTest, FileThatDoesNotOpenLeavesTheMusicSilentUntilTheNextStart) {
    OpenPlaylist({"a.mid", "b.mid"}, {"a.mid", "b.mid"});
    music.unplayable = {"a.mid"};
    form->PlayNextMusic();
    EXPECT_EQ(form->MusicDevice, 0);
    EXPECT_TRUE(music.playing.empty());
    EXPECT_FALSE(music.FinishPlaying());
    form->PlayNextMusic();
    EXPECT_EQ(music.opened, (std::vector<std::string>{"a.mid", "b.mid"}));
    EXPECT_NE(form->MusicDevice, 0);
}

}  // namespace
}  // namespace kordalt
