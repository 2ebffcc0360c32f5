// A game played through the program's windows under a real X server, with a
// window manager and without (see with_openbox.sh): the main menu, the set-up,
// the state choice, the turn banners, every page of the main game screen, the
// charts, the exit from the game, the hall of fame and the program's exit. At every
// change of screen the full-screen windows shown stand where the main menu
// stood and every button lies inside the screen; the save and settings dialogs
// open at one place each time, over the main game screen. Escape on the first exit
// question goes through the X server as a player types it (xdotool), to the
// window with the keyboard focus, and answers No.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/slider.h"
#include "controls/speed_button.h"
#include "game/game_state.h"
#include "game/squares.h"
#include "game_reset.h"
#include "platform/program_path.h"
#include "support/test_files.h"
#include "ui/fake_music_player.h"
#include "ui/graph.h"
#include "ui/main_borders_page.h"
#include "ui/main_economy_page.h"
#include "ui/main_menu.h"
#include "ui/main_screen.h"
#include "ui/preference.h"
#include "ui/record_table.h"
#include "ui/screens.h"
#include "ui/select_gos.h"
#include "ui/select_man.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt::test {
namespace {

constexpr int kYears = 4;
constexpr int kMinScreenChanges = 30;
constexpr qint64 kTimeLimitMs = 240000;
constexpr int kTicksPerScreen = 10;
constexpr int kTurnsWithDialogs = 2;  // a dialog that showed before comes back where it was

const QStringList kFullScreen = {"MainForm", "SelectGos", "SelectMan", "Main",        "MultiPlayer",
                                 "Start",    "Proc",      "Connect",   "RecordTable", "Graph"};

// Where the X server has the window's client area.
QPoint ClientPlace(QWidget& window) { return window.mapToGlobal(QPoint(0, 0)); }

class WindowManagerCheck : public ::testing::Test {
protected:
    WindowManagerCheck() {
        for (const char* name : {"kordalt.INI", "icons.bmp", "dim.dat", "kordalt.html", "menu.bmp",
                                 "menu2.bmp", "menu3.bmp", "setup.bmp", "setup2.bmp", "fame.gif"})
            std::filesystem::copy_file(std::string(KORDALT_BIN_DIR "/") + name, folder.Path(name));
        EXPECT_EQ(chdir(folder.Dir().c_str()), 0);
        CreateWindows();
        driver.setInterval(20);
        QObject::connect(&driver, &QTimer::timeout, [this] { Drive(); });
    }
    ~WindowManagerCheck() override {
        FreeWindows();
        ResetGame();
        EXPECT_EQ(chdir(KORDALT_TEST_TMP), 0);
    }

    // Plays until the program has left its main menu.
    void Play() {
        MainForm->show();
        driver.start();
        QTimer::singleShot(kTimeLimitMs, &loop, &QEventLoop::quit);
        if (!done) loop.exec();
        driver.stop();
        EXPECT_TRUE(done) << "the game did not end in time";
        EXPECT_TRUE(exitDeclined) << "Escape on the exit question did not let the game go on";
        EXPECT_EQ(dialogsChecked, 2 * kTurnsWithDialogs) << "the save and settings dialogs did not all show";
    }

    // Keys through the X server, to the window that has the keyboard focus;
    // true when they close `window` in time.
    bool KeysClose(const char* keys, QWidget& window) {
        busy = true;
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(keys)});
        EXPECT_TRUE(QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 5000)) << keys;
        EXPECT_EQ(xdotool.exitCode(), 0) << keys;
        const bool closed = QTest::qWaitFor([&] { return !window.isVisible(); }, 5000);
        busy = false;
        return closed;
    }

    // The window the player acts in now.
    static QWidget* TopWindow() {
        if (QWidget* modal = QApplication::activeModalWidget()) return modal;
        return MainForm && MainForm->isVisible() ? MainForm : nullptr;
    }

    void Drive() {
        if (busy || done) return;
        QWidget* top = TopWindow();
        if (!top || !top->windowHandle() || !top->windowHandle()->isExposed()) return;
        QString screen = top->objectName();
        if (top == Main) screen += QString::number(Main->Pages->currentIndex());
        if (screen != lastScreen) {
            lastScreen = screen;
            CheckScreen(screen);
            idleTicks = 0;
        }
        // The player takes a moment over each screen, as the window system does.
        if (++idleTicks < kTicksPerScreen) return;
        idleTicks = 0;
        busy = true;
        // What opens a modal window runs from a timer of its own so that the driver keeps ticking.
        QTimer::singleShot(0, [this, top] {
            busy = false;
            Act(top);
        });
    }

    // The full-screen windows shown stand where the first stood; their buttons lie inside the screen.
    void CheckScreen(const QString& screen) {
        QGuiApplication::sync();
        QCoreApplication::processEvents();
        ++screenChanges;
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || !kFullScreen.contains(window->objectName())) continue;
            const std::string where = screen.toStdString() + ": " + window->objectName().toStdString();
            const QPoint place = ClientPlace(*window);
            if (home.isNull()) home = place;
            EXPECT_EQ(place, home) << where << " moved";
            for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
                if (button->isVisibleTo(window) && !button->geometry().isEmpty())
                    EXPECT_TRUE(desktop.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())))
                        << where << " " << button->objectName().toStdString() << " off the screen";
            for (TExSpeedButton* button : window->findChildren<TExSpeedButton*>())
                if (button->isVisibleTo(window))
                    EXPECT_TRUE(desktop.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())))
                        << where << " " << button->objectName().toStdString() << " off the screen";
        }
    }

    // A dialog stands centred over the main game screen, where it stood the first time.
    void CheckDialogPlace(QWidget& dialog) {
        const std::string name = dialog.objectName().toStdString();
        const QPoint place = ClientPlace(dialog);
        const QPoint centre = place + QPoint(dialog.width() / 2, dialog.height() / 2);
        const QPoint mainCentre = ClientPlace(*Main) + QPoint(Main->width() / 2, Main->height() / 2);
        EXPECT_LE((centre - mainCentre).manhattanLength(), 2) << name << " is not over the main game screen";
        const auto [first, isNew] = dialogPlaces.try_emplace(name, place);
        EXPECT_EQ(place, first->second) << name << " moved since it showed before";
        ++dialogsChecked;
    }

    void Act(QWidget* top) {
        if (top == MainForm) {
            if (!played) {
                played = true;
                QTest::mouseClick(MainForm->NewGameButton, Qt::LeftButton);  // a new game
            } else if (!fameSeen) {
                fameSeen = true;
                QTest::mouseClick(MainForm->HallOfFameButton, Qt::LeftButton);
            } else {
                done = true;
                EXPECT_GE(screenChanges, kMinScreenChanges) << screenChanges << " screens";
                QTest::mouseClick(MainForm->ExitButton, Qt::LeftButton);  // the program's exit
                loop.quit();
            }
        } else if (top == Start) {
            if (Start->ProgressPageShown()) return;
            Start->StatesSlider->SetValue(4);
            Start->MapSizeSlider->SetValue(30);
            QTest::mouseClick(Start->GenerateMapButton, Qt::LeftButton);
            QTest::mouseClick(Start->ChooseTerritoryButton, Qt::LeftButton);
        } else if (top == SelectGos) {
            ChooseFreeState();
        } else if (top == SelectMan) {
            QTest::mouseClick(SelectMan->OkButton, Qt::LeftButton);
        } else if (top == Main) {
            PlayTurn();
        } else if (top == Graph) {
            QTest::mouseClick(Graph->CloseButton, Qt::LeftButton);
        } else if (auto* box = qobject_cast<QMessageBox*>(top)) {
            // The message boxes are real: they keep the event loop running while they show.
            if (box->escapeButton() && !exitEscaped) {
                exitEscaped = true;  // the first question is the exit's
                if (KeysClose("Escape", *box)) return;
                ADD_FAILURE() << "Escape did not answer " << box->text().toStdString();
                QTest::mouseClick(box->escapeButton(), Qt::LeftButton);
                return;
            }
            QAbstractButton* button = box->defaultButton();
            QTest::mouseClick(button ? button : box->buttons().front(), Qt::LeftButton);
        } else if (top == Main->SaveDialog || top == Preference) {
            CheckDialogPlace(*top);
            qobject_cast<QDialog*>(top)->reject();
        } else if (top == RecordTable) {
            QTest::mouseClick(RecordTable->Buttons[rbClose], Qt::LeftButton);
        }
    }

    // Every page in turn, the charts from the borders page, then the pass (or the exit).
    void PlayTurn() {
        if (!exitEscaped) {
            QTest::mouseClick(Main->ExitButton, Qt::LeftButton);  // answered by Escape
            return;
        }
        exitDeclined = true;
        if (turns < kTurnsWithDialogs && dialogsThisTurn < 2) {
            // From a timer: the dialogs are modal and the driver keeps ticking under them.
            if (dialogsThisTurn++ == 0)
                Main->SaveGameClick();
            else
                Main->SettingsClick();
            return;
        }
        const int page = Main->Pages->currentIndex();
        if (pagesSeen.empty()) chartsSeen = false;
        pagesSeen.insert(page);
        if (Main->Borders.ShowGraph->isVisibleTo(Main) && !chartsSeen) {
            chartsSeen = true;
            QTest::mouseClick(Main->Borders.ShowGraph, Qt::LeftButton);
            return;
        }
        for (int next = 0; next < Main->Pages->count(); ++next)
            if (Main->Pages->isTabVisible(next) && !pagesSeen.contains(next)) {
                Main->Pages->setCurrentIndex(next);
                return;
            }
        pagesSeen.clear();
        dialogsThisTurn = 0;
        if (++turns >= kYears) {
            QTest::mouseClick(Main->ExitButton, Qt::LeftButton);
            return;
        }
        // Sows what it can, which lets the turn end with "Next".
        TEconomyAction& sow = Main->Economy.Actions[epSow];
        sow.TrackBar->setValue(sow.TrackBar->maximum());
        Main->SowClick();
        QTest::mouseClick(Main->NextButton, Qt::LeftButton);
    }

    // Clicks a square of the first state not in play and confirms it.
    static void ChooseFreeState() {
        for (int i = 1; i <= Game.GosCount; ++i) {
            if (Game.mGos[i].Alive) continue;
            const int side = TSelectGos::kMapSide;
            for (int y = 0; y < Map->Height; ++y)
                for (int x = 0; x < Map->Width; ++x)
                    if (Map->GetSquare(SquareId(x, y)) == i) {
                        const QPoint pixel((2 * x + 1) * side / (2 * Map->Width),
                                           (2 * y + 1) * side / (2 * Map->Height));
                        QTest::mouseClick(SelectGos->MapPicture, Qt::LeftButton, {}, pixel);
                        SelectGos->RulerNameEdit->setText(QStringLiteral("Емеля"));
                        QTest::mouseClick(SelectGos->ConfirmButton, Qt::LeftButton);
                        return;
                    }
        }
    }

    ScratchDir folder;
    ScopedProgramFileName program{folder.Path("kordalt")};
    FakeMusicPlayer music;
    ScopedGameUi gameUi{QtGameUi()};
    QEventLoop loop;
    QTimer driver;
    QString lastScreen;
    std::set<int> pagesSeen;  // this turn
    QPoint home;
    std::map<std::string, QPoint> dialogPlaces;
    int screenChanges = 0, turns = 0, idleTicks = 0, dialogsThisTurn = 0, dialogsChecked = 0;
    bool busy = false, done = false, played = false, fameSeen = false, chartsSeen = false;
    bool exitEscaped = false, exitDeclined = false;
};

TEST_F(WindowManagerCheck, WindowsStayInPlaceThroughAGame) { Play(); }

// Full-screen windows put in one place stand there whether they showed before,
// are shown or never showed: the window manager's frame is known only after
// a window has shown.
TEST(ScreenAlignment, WindowsStandTogetherWhateverTheyShowedBefore) {
    auto makeWindow = [] {
        auto window = std::make_unique<QWidget>();
        window->setFixedSize(640, 480);
        return window;
    };
    const auto shown = makeWindow(), hidden = makeWindow(), created = makeWindow(), fresh = makeWindow();
    auto showAndWait = [](QWidget& window) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(200);  // the window manager's frame and its move
    };
    showAndWait(*shown);
    showAndWait(*hidden);
    hidden->hide();
    created->winId();
    const QPoint home = ClientPlace(*shown);
    for (QWidget* window : {hidden.get(), created.get(), fresh.get()}) CopyFormPos(shown.get(), window);
    shown->hide();
    for (QWidget* window : {hidden.get(), created.get(), fresh.get()}) {
        showAndWait(*window);
        EXPECT_EQ(ClientPlace(*window), home);
        // And back to the first, which has that place already, while this one still covers it.
        CopyFormPos(window, shown.get());
        showAndWait(*shown);
        EXPECT_EQ(ClientPlace(*shown), home);
        window->hide();
        shown->hide();
    }
}

}  // namespace
}  // namespace kordalt::test
