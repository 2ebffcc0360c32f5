// Every window and page of the program as a player meets it, in a game of 20
// states some years old: the captions fit and stand out (caption_check.h), and
// each picture goes to <build>/gallery/windows/<name>-<W>x<H>.png for a look.
// The test runs once per screen size (see CMakeLists.txt).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "controls/classic.h"
#include "controls/slider.h"
#include "controls/speed_button.h"
#include "game/battle.h"
#include "game/fronts.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/player_actions.h"
#include "game/random.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "game_reset.h"
#include "multiplayer/web_protocol.h"
#include "platform/cp1251.h"
#include "platform/guid.h"
#include "platform/host_address.h"
#include "platform/program_path.h"
#include "session/peer_play_qt.h"
#include "session/peer_test_support.h"
#include "support/test_files.h"
#include "tools/listing_server.h"
#include "ui/connect.h"
#include "ui/dop_info.h"
#include "ui/fake_music_player.h"
#include "ui/graph.h"
#include "ui/help_window.h"
#include "ui/internet_create_game.h"
#include "ui/internet_game_info.h"
#include "ui/internet_games.h"
#include "ui/main_borders_page.h"
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
#include "ui/wizard/wizard.h"
#include "windows_check/caption_check.h"

namespace kordalt::test {
namespace {

using namespace std::chrono_literals;

constexpr int kStates = 20;
constexpr int kYears = 12;

// The games the test listing server lists, with the players in each.
struct TListedGame {
    const char* name;
    const char* id;
    const char* address;
    int year;
    std::vector<const char*> players;
};
const TListedGame kListedGames[] = {
    {"Дуэль", "5A1D0C3E-1B2F-4C5D-8E9F-0A1B2C3D4E5F", "10.0.0.5", 12, {"Емеля"}},
    {"Северный союз",
     "6B2E1D4F-2C3A-4D6E-9FA0-1B2C3D4E5F60",
     "10.0.0.17",
     103,
     {"Емеля", "Василиса Премудрая"}},
};

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
        for (const char* name :
             {"kordalt.INI", "icons.bmp", "dim.dat", "kordalt.html", "menu.bmp", "menu2.bmp", "menu3.bmp",
              "setup.bmp", "setup2.bmp", "fame.gif", "libkordalt_dplay.so"})
            std::filesystem::copy_file(std::string(KORDALT_BIN_DIR "/") + name, folder.Path(name));
        EXPECT_EQ(chdir(folder.Dir().c_str()), 0);
        SetApplicationExceptionHandler([](QObject*, std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "error: " << e.what();
            }
        });
        PlayMode.GameMode = kLocalGame;
        CreateWindows();
        ListGames();
        PlaySomeYears();
    }
    ~WindowsCheck() override {
        TInternetGames::HostAddressSource = LocalHostAddresses;
        InternetServer = savedInternetServer;
        listing.Stop();
        PlayMode.TurnShown = 0;
        if (QWidget* help = HelpBrowser() ? HelpBrowser()->window() : nullptr) delete help;
        FreeWindows();
        ResetGame();
        SetApplicationExceptionHandler(nullptr);
        EXPECT_EQ(chdir(KORDALT_TEST_TMP), 0);
    }

    // The Internet windows ask the test listing server, which lists kListedGames.
    void ListGames() {
        InternetServer = "http://127.0.0.1:" + std::to_string(listing.Start(0)) + "/list.php";
        Preference->ServerEdit->setText(QString::fromStdString(InternetServer));  // kept when settings apply
        TInternetGames::HostAddressSource = [](std::vector<std::string>& list) {
            list = {"10.1.2.3"};
            return true;
        };
        for (const TListedGame& g : kListedGames) {
            const std::string host = std::string("Host") + g.id;  // an account names no game's player
            listing.Answer(PlayerNewRequest(host, "pw"));
            EXPECT_EQ(listing.Answer(
                          GameCreateRequest(Utf8ToCp1251(g.name), g.id, g.address, host, "pw", "Russian")),
                      "ok");
            listing.Answer(GameUpdateRequest(g.id, g.address, g.year, "Russian"));
            for (const char* player : g.players)
                listing.Answer(GameUserUpdateRequest(g.id, Utf8ToCp1251(player)));
        }
    }

    // A generated map of 20 states, one human among them, years computed.
    static void PlaySomeYears() {
        ScopedSeed seed(7);
        Start->StatesSlider->SetValue(kStates);
        Start->MapSizeSlider->SetValue(100);
        Start->GenerateMapClick();
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
        HireKordalts();
    }

    // An army and four Kordalts for the player (more rows than the Kordalt
    // grid shows at once), the first attacking a neighbour with the whole
    // army, the last an old one; the neighbour's home front meets them in a
    // battle of the last year.
    static void HireKordalts() {
        Game.mGos[1].Soldiers += 300;
        Game.mGos[1].Reserve += 300;
        std::vector<int> hired;
        for (int k = 1; k <= KordaltSlotCount && hired.size() < 4; ++k)
            if (Game.mKordalt[k].Owner == 0) {
                Game.mKordalt[k].Owner = 1;
                Game.mKordalt[k].Age = hired.size() == 3 ? 64 : 30;
                ++Game.mGos[1].KordaltCount;
                hired.push_back(k);
            }
        for (int j = 2; j <= Game.GosCount; ++j)
            if (Game.mGos[j].Alive && Map->AreNeighbours(1, static_cast<uint8_t>(j))) {
                Game.mGos[j].Soldiers += 300;
                Game.mGos[j].Fronts[j].Soldiers[1] += 300;
                AttackWithKordalt(1, hired.front(), static_cast<uint8_t>(j));
                PlaceFrontSoldiers(1, static_cast<uint8_t>(j), Game.mGos[1].Reserve);
                ProcessBattles();
                return;
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
                    PlayMode.GameMode = network ? kServer : kLocalGame;
                    PlayMode.TurnShown = 1;
                    Shown(Main);
                    Main->FormActivate();
                    Main->Pages->setCurrentIndex(index);
                    Main->Borders.dgrKordalts->SetRow(1);  // the attacker, with his front's slider
                    Main->RefreshBordersPage();
                    QCoreApplication::processEvents();
                    return static_cast<QWidget*>(Main);
                },
                [] {
                    PlayMode.TurnShown = 0;
                    Main->hide();
                    PlayMode.GameMode = kLocalGame;
                }};
    }

    std::vector<TWindowCase> Cases() {
        auto plain = [](QWidget* (*window)()) {
            return TWindowCase{{}, [window] { return Shown(window()); }, [window] { window()->hide(); }};
        };
        return {
            plain([]() -> QWidget* { return MainForm; }),
            SetupPage("setup", 0),
            SetupPage("setup-normal", 1),
            SetupPage("setup-expert", 2),
            {"progress",
             [] {
                 Start->ShowProgressPage(true);
                 Start->ShowYear(QString::fromUtf8("Год: 12"));
                 Start->ComputersMoveBar->setValue(40);
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
                 QTest::mouseClick(SelectGos->MapPicture, Qt::LeftButton, {}, QPoint(200, 200));
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
                 Proc->Pages->setCurrentIndex(TProc::kLosePage);
                 SetBattleDefender(2);
                 return Shown(Proc);
             },
             [] { Proc->hide(); }},
            {"win",
             [] {
                 Proc->Pages->setCurrentIndex(TProc::kWinPage);
                 SetBattleDefender(1);
                 return Shown(Proc);
             },
             [] { Proc->hide(); }},
            {{},
             [] {
                 Shown(Graph);
                 Graph->CriterionGroup->SetItemIndex(11);  // the population, which differs most
                 Graph->RefreshGraph();
                 return static_cast<QWidget*>(Graph);
             },
             [] { Graph->hide(); }},
            {"3d",
             [] {
                 Shown(Graph);
                 Graph->DepthViewBox->click();
                 return static_cast<QWidget*>(Graph);
             },
             [] {
                 Graph->DepthViewBox->click();
                 Graph->hide();
             }},
            plain([]() -> QWidget* { return Preference; }),
            plain([]() -> QWidget* { return RecordTable; }),
            plain([]() -> QWidget* { return DopInfo; }),
            {{},
             [] {
                 ShowHelpContents();
                 return Shown(HelpBrowser()->window());
             },
             [] { HelpBrowser()->window()->hide(); }},
            Lobby("server", true),
            Lobby("client", false),
            Waiting("client", TMultiPlayer::ClientWait),
            Waiting("server", TMultiPlayer::ServerWait),
            {{},
             [] {
                 InternetGames->EditName->setText(QString::fromUtf8("Емеля"));
                 Shown(InternetGames);
                 EXPECT_TRUE(QTest::qWaitFor([] { return !InternetGames->TimerUpdate->isActive(); }, 10000));
                 EXPECT_EQ(InternetGames->Games.size(), std::size(kListedGames));
                 return static_cast<QWidget*>(InternetGames);
             },
             [] { InternetGames->hide(); }},
            {{},
             [] {
                 InternetCreateGame->EditName->setText(QString::fromUtf8("Дуэль"));
                 return Shown(InternetCreateGame);
             },
             [] { InternetCreateGame->hide(); }},
            {{},
             [] {
                 InternetGameInfo->GameGUID = StrToGUID(kListedGames[1].id);
                 Shown(InternetGameInfo);
                 EXPECT_EQ(InternetGameInfo->Users.size(), 2U);
                 return static_cast<QWidget*>(InternetGameInfo);
             },
             [] { InternetGameInfo->hide(); }},
            WizardPage("provider", TPeerPlayForm::SelectProvider),
            WizardPage("type", TPeerPlayForm::SessionType),
            WizardPage("new", TPeerPlayForm::SessionNew),
            WizardPage("join", TPeerPlayForm::SessionJoin),
        };
    }

    // The set-up page at one difficulty level, which shows that level's description.
    static TWindowCase SetupPage(const char* page, int level) {
        return {page,
                [level] {
                    Start->RadioGroupDiffLevel->SetItemIndex(level);
                    Start->ApplyDifficulty();
                    Start->ShowProgressPage(false);
                    Shown(Start);
                    Start->EndMapGeneration();
                    return static_cast<QWidget*>(Start);
                },
                [] {
                    Start->hide();
                    Start->RadioGroupDiffLevel->SetItemIndex(0);
                    Start->ApplyDifficulty();
                }};
    }

    // The lobby of a live session over the in-memory service, as seen by its
    // server or by the client who joined it.
    TWindowCase Lobby(const char* page, bool server) {
        return {page,
                [this, server] {
                    OpenLiveSession();
                    PlayMode.GameMode = server ? kServer : kNetworkClient;
                    Shown(server ? host.get() : guest.get());
                    // The peers share one game state: the client takes the turn's length as a client.
                    if (!server) host->SendTurnDelayClick();
                    test::Pump(300ms);
                    return static_cast<QWidget*>(server ? host.get() : guest.get());
                },
                [this] {
                    guest.reset();
                    host.reset();
                    PlayMode.GameMode = kLocalGame;
                }};
    }

    // Емеля opens a session, Василиса joins it.
    void OpenLiveSession() {
        for (auto [lobby, create, name] :
             {std::tuple{&host, true, "Емеля"}, std::tuple{&guest, false, "Василиса"}}) {
            *lobby = std::make_unique<TConnect>(nullptr, sessions);
            (*lobby)->RunLoop = [](TConnect&) { ADD_FAILURE() << "the game started"; };
            (*lobby)->Session->SetProviderName("TCP/IP");
            (*lobby)->Session->OpenSession(create, Utf8ToCp1251("Дуэль"), Utf8ToCp1251(name));
        }
        EXPECT_TRUE(test::WaitFor([this] {
            return host->PlayerList->Items().Count() == 2 && guest->PlayerList->Items().Count() == 2;
        }));
        test::Pump(300ms);  // the greetings arrive
    }

    static TWindowCase Waiting(const char* page, TMultiPlayer::TPage shown) {
        return {page,
                [shown] {
                    MultiPlayer->SetPage(shown);
                    MultiPlayer->SetPlayers({Utf8ToCp1251("Емеля"), Utf8ToCp1251("Василиса")});
                    return Shown(MultiPlayer);
                },
                [] { MultiPlayer->hide(); }};
    }

    // The connection wizard over this program's session service, on one of its pages.
    TWindowCase WizardPage(const char* page, TPeerPlayForm::TPage shown) {
        return {page,
                [this, shown] {
                    wizard = std::make_unique<TPeerPlayForm>(peer);
                    wizard->FormShow();
                    wizard->Notebook->setCurrentIndex(shown);
                    wizard->NewGameSessionName->setText(QString::fromUtf8("Дуэль"));
                    wizard->NewGamePlayerName->setText(QString::fromUtf8("Емеля"));
                    wizard->JoinGamePlayerName->setText(QString::fromUtf8("Василиса"));
                    wizard->JoinGameSessionList->addItem(QString::fromUtf8("Дуэль"));
                    wizard->JoinGamePlayerList->addItem(QString::fromUtf8("Емеля"));
                    return Shown(wizard.get());
                },
                [this] { wizard.reset(); }};
    }

    ListingServer listing;
    std::string savedInternetServer = InternetServer;
    TPeerPlay peer;
    test::MemoryService sessions;
    std::unique_ptr<TConnect> host, guest;
    std::unique_ptr<TPeerPlayForm> wizard;
    ScratchDir folder;
    ScopedProgramFileName program{folder.Path("kordalt")};
    FakeMusicPlayer music;
    ScopedGameUi gameUi{QtGameUi()};
    ScopedMessageBoxHook boxes{[](TMsgType, const QString& text) {
        ADD_FAILURE() << "message box: " << text.toStdString();
        return TMsgButton::Ok;
    }};
};

// Checks and draws the windows of `cases`, their names followed by `suffix`.
void CheckAndDraw(const std::vector<TWindowCase>& cases, const QString& suffix = {}) {
    for (const TWindowCase& c : cases) {
        QWidget* window = c.open();
        QString name = window->objectName();
        if (!c.page.isEmpty()) name += u'-' + c.page;
        if (!suffix.isEmpty()) name += u'-' + suffix;
        SCOPED_TRACE(name.toStdString());
        for (const std::string& fault : CheckCaptions(*window)) ADD_FAILURE() << fault;
        const QString file = GalleryDir() + u'/' + name + u'-' + ScreenName() + QStringLiteral(".png");
        EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
        c.close();
    }
}

TEST_F(WindowsCheck, EveryCaptionFitsAndStandsOut) { CheckAndDraw(Cases()); }

TEST_F(WindowsCheck, EveryCaptionFitsAndStandsOutWithGraphicsHidden) {
    Preference->CheckBoxHidePictures->setChecked(true);
    Preference->ApplyAll();
    CheckAndDraw(Cases(), QStringLiteral("nographics"));
    Preference->CheckBoxHidePictures->setChecked(false);
    Preference->ApplyAll();
}

}  // namespace
}  // namespace kordalt::test
