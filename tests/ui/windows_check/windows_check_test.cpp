// Every window and page of the program as a player meets it, in a game of 20
// states some years old: the captions fit and stand out (caption_check.h), and
// each picture goes to <build>/gallery/windows/<name>-<W>x<H>.png for a look.
// The test runs once per screen size (see CMakeLists.txt).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "controls/classic.h"
#include "controls/slider.h"
#include "controls/speed_button.h"
#include "game/fronts.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/self_test.h"
#include "game/turn_report.h"
#include "game_reset.h"
#include "platform/program_path.h"
#include "support/test_files.h"
#include "ui/connect.h"
#include "ui/dop_info.h"
#include "ui/fake_music_player.h"
#include "ui/graph.h"
#include "ui/help_window.h"
#include "ui/internet_create_game.h"
#include "ui/internet_game_info.h"
#include "ui/internet_games.h"
#include "ui/main_menu.h"
#include "ui/main_screen.h"
#include "ui/multi_player.h"
#include "ui/preference.h"
#include "ui/proc.h"
#include "ui/record_table.h"
#include "ui/select_gos.h"
#include "ui/select_man.h"
#include "ui/select_player.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"
#include "windows_check/caption_check.h"

namespace kordalt::test {
namespace {

constexpr int kStates = 20;
constexpr int kYears = 12;

QString ScreenName() {
    const QSize size = QGuiApplication::primaryScreen()->size();
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString GalleryDir() {
    const QString dir = QDir::cleanPath(QStringLiteral(KORDALT_TEST_TMP "/../gallery/windows"));
    QDir().mkpath(dir);
    return dir;
}

// One look at a window: how to bring it up in that state and how to leave it.
struct TWindowCase {
    QString page;  // empty for a window of one page
    std::function<QWidget*()> open;
    std::function<void()> close = [] {};
};

class WindowsCheck : public ::testing::Test {
protected:
    WindowsCheck() {
        for (const char* name : {"kordalt.INI", "icons.bmp", "dim.dat", "kordalt.html", "menu.bmp", "menu2.bmp",
                                 "menu3.bmp", "setup.bmp", "setup2.bmp"})
            std::filesystem::copy_file(std::string(KORDALT_BIN_DIR "/") + name, folder.Path(name));
        EXPECT_EQ(chdir(folder.Dir().c_str()), 0);
        TInternetGames::HostAddressSource = nullptr;  // no game list is asked for
        SetApplicationExceptionHandler([](QObject*, std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "error: " << e.what();
            }
        });
        GameMode = kLocalGame;
        CreateWindows();
        PlaySomeYears();
    }
    ~WindowsCheck() override {
        TurnShown = 0;
        if (QWidget* help = HelpBrowser() ? HelpBrowser()->window() : nullptr) delete help;
        FreeWindows();
        ResetGame();
        SetApplicationExceptionHandler(nullptr);
        EXPECT_EQ(chdir(KORDALT_TEST_TMP), 0);
    }

    // A generated map of 20 states, one human among them, years computed.
    static void PlaySomeYears() {
        Start->ExSlider1->SetValue(kStates);
        Start->ExSlider2->SetValue(100);
        Start->ExSpeedButton1Click();
        for (int i = 1; i <= Game.GosCount; ++i) Game.mGos[i].Alive = 1;
        Game.mGos[1].Player = 1;
        Game.mGos[1].PlayerName.AssignUtf8("Емеля");
        Game.HumanCount = 1;
        Game.CurrentGos = 1;
        Game.CurrentPlayerName = "1";
        CheckFronts();
        Graph->ResetGraphFilter();
        for (int year = 1; year < kYears; ++year) {
            Messages.Clear();
            ComputeYearSteps();
            ++Game.Year;
        }
    }

    // Shows `window` and lets it settle.
    static QWidget* Shown(QWidget* window) {
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window, 5000)) << window->objectName().toStdString();
        QCoreApplication::processEvents();
        return window;
    }

    static TWindowCase MainPage(const char* page, int index, bool network = false) {
        return {page,
                [index, network] {
                    GameMode = network ? uint8_t{1} : kLocalGame;
                    TurnShown = 1;
                    Shown(Main);
                    Main->FormActivate();
                    Main->PageControl1->setCurrentIndex(index);
                    QCoreApplication::processEvents();
                    return static_cast<QWidget*>(Main);
                },
                [] {
                    TurnShown = 0;
                    Main->hide();
                    GameMode = kLocalGame;
                }};
    }

    std::vector<TWindowCase> Cases() {
        auto plain = [](QWidget* (*window)()) {
            return TWindowCase{{}, [window] { return Shown(window()); }, [window] { window()->hide(); }};
        };
        return {
            plain([]() -> QWidget* { return MainForm; }),
            {"setup",
             [] {
                 Start->ApplyDifficulty();
                 Start->ShowProgressPage(false);
                 Shown(Start);
                 Start->EndMapGeneration();
                 return static_cast<QWidget*>(Start);
             },
             [] { Start->hide(); }},
            {"progress",
             [] {
                 Start->ShowProgressPage(true);
                 Start->ShowYear(QString::fromUtf8("Год: 12"));
                 Start->ProgressBar2->setValue(40);
                 return Shown(Start);
             },
             [] {
                 Start->hide();
                 Start->ShowProgressPage(false);
             }},
            plain([]() -> QWidget* { return SelectPlayer; }),
            {{},
             [] {
                 GameWindows().PrepareStateChoice();
                 Shown(SelectGos);
                 QTest::mouseClick(SelectGos->Image1, Qt::LeftButton, {}, QPoint(200, 200));
                 return static_cast<QWidget*>(SelectGos);
             },
             [] { SelectGos->hide(); }},
            {{},
             [] {
                 Game.HumanCount = 2;
                 Game.mGos[2].Player = 2;
                 Game.mGos[2].PlayerName.AssignUtf8("Василиса");
                 Game.CurrentPlayerName = Game.mGos[1].PlayerName.Str();
                 return Shown(SelectMan);
             },
             [] {
                 SelectMan->hide();
                 Game.HumanCount = 1;
                 Game.mGos[2].Player = 0;
                 Game.mGos[2].PlayerName.Assign("");
                 Game.CurrentPlayerName = "1";
             }},
            MainPage("info", 0),
            MainPage("economy", 1),
            MainPage("science", 2),
            MainPage("borders", 3),
            MainPage("kordalts", 4),
            MainPage("chat", 5, true),
            {"lose",
             [] {
                 Proc->Notebook1->setCurrentIndex(TProc::kLosePage);
                 SetBattleDefender(2);
                 return Shown(Proc);
             },
             [] { Proc->hide(); }},
            {"win",
             [] {
                 Proc->Notebook1->setCurrentIndex(TProc::kWinPage);
                 SetBattleDefender(1);
                 return Shown(Proc);
             },
             [] { Proc->hide(); }},
            {{},
             [] {
                 Shown(Graph);
                 Graph->RadioGroup1->SetItemIndex(11);  // the population, which differs most
                 Graph->RadioGroup1Click();
                 return static_cast<QWidget*>(Graph);
             },
             [] { Graph->hide(); }},
            {"3d",
             [] {
                 Shown(Graph);
                 Graph->CheckBox1->click();
                 return static_cast<QWidget*>(Graph);
             },
             [] {
                 Graph->CheckBox1->click();
                 Graph->hide();
             }},
            plain([]() -> QWidget* { return Preference; }),
            plain([]() -> QWidget* { return RecordTable; }),
            plain([]() -> QWidget* { return DopInfo; }),
        };
    }

    ScratchDir folder;
    ScopedProgramFileName program{folder.Path("kordalt")};
    FakeMusicPlayer music;
    ScopedGameUi gameUi{QtGameUi()};
    ScopedMessageBoxHook boxes{[](TMsgType, const QString& text) {
        ADD_FAILURE() << "message box: " << text.toStdString();
        return TMsgButton::Ok;
    }};
};

TEST_F(WindowsCheck, EveryCaptionFitsAndStandsOut) {
    for (const TWindowCase& c : Cases()) {
        QWidget* window = c.open();
        QString name = window->objectName();
        if (!c.page.isEmpty()) name += u'-' + c.page;
        SCOPED_TRACE(name.toStdString());
        for (const std::string& fault : CheckCaptions(*window)) ADD_FAILURE() << fault;
        const QString file = GalleryDir() + u'/' + name + u'-' + ScreenName() + QStringLiteral(".png");
        EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
        c.close();
    }
}

}  // namespace
}  // namespace kordalt::test
