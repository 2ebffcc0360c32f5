// The lobby and the waiting window over the in-memory session service: the
// server and two clients in one process. The peers share the process's game
// state; each peer's network counters are swapped in while its events run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <memory>

#include "controls/list_box.h"
#include "controls/slider.h"
#include "controls/spin_edit.h"
#include "controls/switch.h"
#include "game/fake_game_windows.h"
#include "game/game_loop.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/saved_game.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_game_loop.h"
#include "platform/program_path.h"
#include "session/peer_test_support.h"
#include "support/test_files.h"
#include "ui/connect.h"
#include "ui/help_window.h"
#include "ui/multi_player.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

// The network counters one peer holds.
struct PeerWorld {
    uint8_t gameMode = kLocalGame, lobbyHost = 0, acceptFull = 0, acceptHalf = 0, running = 0, lost = 0;
    TExitGame exitGame = TExitGame::None;
    uint32_t serverId = 0;
    int32_t turnMinutes = 0;

    void Swap() {
        std::swap(PlayMode.GameMode, gameMode);
        std::swap(LobbyHost, lobbyHost);
        std::swap(Net.AcceptFullInf, acceptFull);
        std::swap(Net.AcceptHalfInf, acceptHalf);
        std::swap(Net.ExitGame, exitGame);
        std::swap(Net.GameRunning, running);
        std::swap(Net.ServerLost, lost);
        std::swap(Net.ServerID, serverId);
        std::swap(PlayMode.TurnMinutes, turnMinutes);
    }
};

// Runs `f` with `world` as the process's counters.
template <class F>
void In(PeerWorld& world, F&& f) {
    world.Swap();
    f();
    world.Swap();
}

template <class Fn>
void Wrap(Fn& handler, PeerWorld& world) {
    handler = [inner = handler, &world](auto&&... args) { In(world, [&] { inner(args...); }); };
}

struct LobbyPeer {
    LobbyPeer(test::MemoryService& service, const std::string& name, bool create)
        : lobby(std::make_unique<TConnect>(nullptr, service)) {
        TPeerPlay& p = *lobby->Session;
        Wrap(p.OnOpen, world);
        Wrap(p.OnAddPlayer, world);
        Wrap(p.OnDeletePlayer, world);
        Wrap(p.OnMessage, world);
        lobby->RunLoop = [this](TConnect& l) {
            started = true;
            startedAsServer = PlayMode.GameMode == kServer;
            lobbyHidden = l.isHidden();
            gameRunning = Net.GameRunning;
        };
        p.SetProviderName("TCP/IP");
        p.OpenSession(create, "lobby", name);
    }
    ~LobbyPeer() {
        if (lobby) In(world, [&] { lobby.reset(); });
    }
    uint32_t Id() const { return lobby->Session->LocalPlayer()->ID; }
    QString Chat() const { return lobby->ChatPane->toPlainText(); }
    void Run(const std::function<void()>& f) { In(world, f); }

    PeerWorld world;
    std::unique_ptr<TConnect> lobby;
    bool started = false, startedAsServer = false, lobbyHidden = false;
    uint8_t gameRunning = 0;
};

class Lobby : public ::testing::Test {
protected:
    ~Lobby() override {
        ReplaceMap(nullptr);
        Game = GameState{};
        PlayMode.GameMode = kLocalGame;
    }
    bool AllSee(int players) {
        return test::WaitFor([&] {
            for (auto* p : peers)
                if (p->lobby->Session->Players().Count() != players ||
                    p->lobby->PlayerList->Items().Count() != players)
                    return false;
            return true;
        });
    }

    test::MemoryService service;
    ScopedSeed seed{5};
    ScopedMessageBoxHook boxes{[this](TMsgType, const QString& text) {
        shownBoxes.push_back(text);
        return TMsgButton::Yes;
    }};
    std::vector<QString> shownBoxes;
    LobbyPeer anna{service, "anna", true};
    LobbyPeer boris{service, "boris", false};
    LobbyPeer clara{service, "clara", false};
    std::vector<LobbyPeer*> peers{&anna, &boris, &clara};
};

TEST_F(Lobby, MapReadyAndStatesDealtStartTheGameOnEveryPeer) {
    ASSERT_TRUE(AllSee(3));
    EXPECT_EQ(anna.world.gameMode, 1);
    EXPECT_EQ(anna.world.lobbyHost, 1);
    EXPECT_EQ(boris.world.gameMode, kNetworkClient);
    // The test runs the lobby timers' ticks itself, each in its peer's world.
    for (auto* p : peers)
        p->Run([&] {
            p->lobby->show();
            p->lobby->ReadyTimer->stop();
        });
    EXPECT_EQ(anna.lobby->RolePages->currentIndex(), 0);
    EXPECT_EQ(boris.lobby->RolePages->currentIndex(), 1);
    EXPECT_FALSE(boris.lobby->StartCheck->isEnabled());

    anna.Run([&] {
        anna.lobby->TurnLengthEdit->SetValue(5);
        anna.lobby->StatesSlider->SetValue(4);
        anna.lobby->CreateMapClick();
    });
    ASSERT_TRUE(test::WaitFor([&] {
        return !clara.lobby->MapPicture->isHidden() && boris.lobby->ClientTurnLength->text() == "5";
    }));
    EXPECT_EQ(Game.GosCount, 4);
    EXPECT_TRUE(clara.lobby->StartCheck->isEnabled());
    EXPECT_EQ(clara.world.turnMinutes, 5);

    for (auto* p : peers) p->Run([&] { p->lobby->StartCheck->SetStateOn(true); });
    EXPECT_TRUE(test::WaitFor([&] {
        for (auto* p : peers)
            if (!p->lobby->AllReady(3)) return false;
        return true;
    }));

    // The server deals the states first, then every peer starts its loop.
    anna.Run([&] { anna.lobby->StartWhenAllReady(); });
    std::vector<uint32_t> dealt;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player != 0) dealt.push_back(Game.mGos[i].Player);
    std::sort(dealt.begin(), dealt.end());
    std::vector<uint32_t> ids{anna.Id(), boris.Id(), clara.Id()};
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(dealt, ids);
    for (int i = 1; i <= Game.GosCount; ++i) {
        EXPECT_EQ(Game.mGos[i].Alive, 1);
        if (Game.mGos[i].Player == boris.Id()) EXPECT_EQ(Game.mGos[i].PlayerName.Str(), "boris");
    }
    for (auto* p : {&boris, &clara}) p->Run([&] { p->lobby->StartWhenAllReady(); });
    for (auto* p : peers) {
        EXPECT_TRUE(p->started);
        EXPECT_TRUE(p->lobbyHidden);
        EXPECT_EQ(p->gameRunning, 1);
        EXPECT_EQ(p->startedAsServer, p == &anna);
        // Back in the lobby: nobody ready, the timer on again, no game running.
        EXPECT_FALSE(p->lobby->StartCheck->StateOn());
        EXPECT_FALSE(p->lobby->PlayerList->GetItemChecked(0));
        EXPECT_TRUE(p->lobby->ReadyTimer->isActive());
        EXPECT_EQ(p->world.running, 0);
    }
    // Every peer's chat shows the server's new-map notice, plain only on the server.
    EXPECT_TRUE(test::WaitFor([&] { return clara.Chat().contains("<anna>"); }));
}

TEST_F(Lobby, MoreReadyPlayersThanFreeStatesDoNotStartAndDoNotHang) {
    ASSERT_TRUE(AllSee(3));
    anna.Run([&] {
        anna.lobby->StatesSlider->SetValue(2);
        anna.lobby->CreateMapClick();
    });
    ASSERT_TRUE(test::WaitFor(
        [&] { return !boris.lobby->MapPicture->isHidden() && !clara.lobby->MapPicture->isHidden(); }));
    for (auto* p : peers) p->Run([&] { p->lobby->StartCheck->SetStateOn(true); });
    ASSERT_TRUE(test::WaitFor([&] { return anna.lobby->AllReady(3); }));
    anna.Run([&] { anna.lobby->StartWhenAllReady(); });
    EXPECT_FALSE(anna.started);
    EXPECT_EQ(shownBoxes.size(), 1u);
    EXPECT_FALSE(anna.lobby->StartCheck->StateOn());
}

TEST_F(Lobby, ControlsDoNotCoverEachOtherAndF1OpensTheLobbysHelp) {
    ASSERT_TRUE(AllSee(3));
    TConnect& lobby = *anna.lobby;
    anna.Run([&] {
        lobby.show();
        lobby.ReadyTimer->stop();
    });
    // The background and the map's place (its picture or caption) lie under the rest.
    std::vector<QWidget*> controls;
    for (QWidget* w : lobby.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!w->isHidden() && w != lobby.Background && w != lobby.MapPicture && w != lobby.MapCaption)
            controls.push_back(w);
    ASSERT_GE(controls.size(), 6u);
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << controls[i]->objectName().toStdString() << " and "
                << controls[j]->objectName().toStdString();

    SetHelpFile(std::string(KORDALT_BIN_DIR) + "/kordalt.html");
    QApplication::setActiveWindow(&lobby);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&lobby, 2000));
    QTest::keyClick(&lobby, Qt::Key_F1);
    ASSERT_NE(HelpBrowser(), nullptr);
    EXPECT_EQ(HelpBrowser()->source().fragment(), "20");
    delete HelpBrowser()->window();
    SetHelpFile("");
    lobby.hide();
}

// The lobby's session is listed under the game's identifier with its player limit.
TEST_F(Lobby, TheSessionIsListedUnderTheGamesIdentifierForTwentyPlayers) {
    ASSERT_TRUE(AllSee(3));
    struct Listed {
        std::vector<std::string> names;
        std::vector<uint32_t> limits;
    };
    auto list = [&](const std::string& guid) {
        dplay::IDirectPlay4A* seeker = service.network.CreateDirectPlay("127.0.0.9", true);
        dplay::DPSESSIONDESC2 sd{};
        sd.dwSize = sizeof sd;
        sd.guidApplication = ParseGuid(guid);
        Listed listed;
        auto collect = [](const dplay::DPSESSIONDESC2* d, uint32_t*, uint32_t flags, void* context) {
            if (flags & dplay::DPESC_TIMEDOUT) return false;
            static_cast<Listed*>(context)->names.emplace_back(d->lpszSessionNameA);
            static_cast<Listed*>(context)->limits.push_back(d->dwMaxPlayers);
            return true;
        };
        EXPECT_EQ(seeker->EnumSessions(&sd, 0, collect, &listed, 0), dplay::DP_OK);
        seeker->Release();
        return listed;
    };
    const Listed game = list("{00000000-0000-0000-0000-123000000000}");
    EXPECT_EQ(game.names, std::vector<std::string>{"lobby"});
    EXPECT_EQ(game.limits, std::vector<uint32_t>{20});
    EXPECT_TRUE(list("{00000000-0000-0000-0000-000000000000}").names.empty());
}

TEST_F(Lobby, ChatLineIsPlainForItsSenderAndBoldForTheOthers) {
    ASSERT_TRUE(AllSee(3));
    boris.lobby->ChatInput->setText("   ");
    boris.Run([&] { QTest::keyClick(boris.lobby->ChatInput, Qt::Key_Return); });
    EXPECT_EQ(boris.lobby->ChatInput->text(), "   ");
    boris.lobby->ChatInput->setText("  hello all ");
    boris.Run([&] { QTest::keyClick(boris.lobby->ChatInput, Qt::Key_Return); });
    EXPECT_EQ(boris.lobby->ChatInput->text(), "");
    auto lastFormat = [](const LobbyPeer& p) {
        return p.lobby->ChatPane->document()->lastBlock().begin().fragment().charFormat().fontWeight();
    };
    ASSERT_TRUE(test::WaitFor([&] {
        for (auto* p : peers)
            if (!p->Chat().endsWith("<boris> hello all")) return false;
        return true;
    }));
    EXPECT_EQ(lastFormat(boris), QFont::Normal);
    EXPECT_EQ(lastFormat(anna), QFont::Bold);
    EXPECT_EQ(lastFormat(clara), QFont::Bold);
}

TEST_F(Lobby, ADuplicateNameLeavesAndTheOthersAreTold) {
    ASSERT_TRUE(AllSee(3));
    LobbyPeer other{service, "ANNA", false};
    ASSERT_TRUE(test::WaitFor([&] { return !shownBoxes.empty(); }));
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_TRUE(other.lobby->Refused);
    EXPECT_TRUE(shownBoxes[0].contains(QString::fromUtf8("Игрок с таким именем")));
    EXPECT_TRUE(test::WaitFor([&] {
        return anna.Chat().contains(QString::fromUtf8("Некто пытался зайти под зарегистрированным именем")) &&
               !other.lobby->Session->Opened() && anna.lobby->Session->Players().Count() == 3;
    }));
    // Everyone keeps "anna": the row removed is the leaver's own.
    ASSERT_TRUE(AllSee(3));
    for (auto* p : peers) {
        const TExListBoxStrings& rows = p->lobby->PlayerList->Items();
        QStringList names;
        for (int row = 0; row < rows.Count(); ++row) names << rows.Strings(row);
        names.sort();
        EXPECT_EQ(names, (QStringList{"anna", "boris", "clara"}));
    }
}

TEST_F(Lobby, TheServerLeavingHandsTheRoleToTheLastRemotePlayer) {
    ASSERT_TRUE(AllSee(3));
    anna.Run([&] { anna.lobby->LeaveClick(); });
    EXPECT_EQ(anna.world.gameMode, kNetworkClient);
    EXPECT_TRUE(test::WaitFor([&] { return clara.world.gameMode == 1; }));
    EXPECT_EQ(clara.lobby->RolePages->currentIndex(), 0);
    EXPECT_EQ(boris.world.gameMode, kNetworkClient);
    // The others drop the leaver from their lists.
    EXPECT_TRUE(test::WaitFor([&] { return boris.lobby->PlayerList->Items().Count() == 2; }));
}

// ---- The waiting window ----

class WaitingWindow : public Lobby {
protected:
    WaitingWindow() {
        Game.GosCount = 4;
        const char* names[] = {"anna", "boris", "clara"};
        for (int i = 1; i <= 3; ++i) {
            Game.mGos[i].Player = 10u + static_cast<uint32_t>(i);
            Game.mGos[i].Alive = 1;
            Game.mGos[i].PlayerName.Assign(names[i - 1]);
        }
        Game.mGos[4].Alive = 1;  // the computer's
    }
    ~WaitingWindow() override {
        Net.AcceptFullInf = Net.AcceptHalfInf = 0;
        Net.ExitGame = TExitGame::None;
        Connect = nullptr;
    }
    TMultiPlayer window;
};

TEST_F(WaitingWindow, AClientWhoseSnapshotCameBeforeClosesAtTheFirstTick) {
    Net.AcceptFullInf = 1;
    QTimer::singleShot(3000, &window, [this] { window.CloseWait(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(window.RunWait(TMultiPlayer::ClientWait), QDialog::Accepted);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(window.WaitTimer->interval(), 1000);
}

TEST_F(WaitingWindow, NamesGetAsFewColumnsAsTheyNeedAndAllShow) {
    window.SetPage(TMultiPlayer::ServerWait);
    window.show();
    TExCheckListBox& list = *window.PlayerList;
    for (int players = 1; players <= 20; ++players) {
        std::vector<std::string> names;
        for (int i = 0; i < players; ++i) names.push_back("Player" + std::to_string(i));
        window.SetPlayers(names);
        if (players <= 2) EXPECT_EQ(list.Columns(), 1) << players;
        if (players == 20) EXPECT_EQ(list.Columns(), 3);
        // One column fewer would not hold them; every name is in sight.
        EXPECT_TRUE(list.Columns() == 1 || (list.Columns() - 1) * list.RowsPerColumn() < players) << players;
        const QRect view = list.viewport()->rect();
        for (int i = 0; i < players; ++i) {
            const QRect item = list.ItemBounds(i).ToQRect();
            EXPECT_TRUE(view.contains(item.topLeft()) && item.bottom() <= view.bottom())
                << players << ", " << i;
        }
    }
}

TEST_F(WaitingWindow, StaysOpenUntilTheThirdHumanEndedHisTurn) {
    window.SetPage(TMultiPlayer::ServerWait);
    window.SetPlayers({"clara", "anna", "boris"});
    window.show();
    window.WaitTimer->stop();
    Game.mGos[4].CapturedThisTurn = kEndOfTurnMark;  // no human's
    Game.mGos[2].CapturedThisTurn = kEndOfTurnMark;
    window.WatchTheWait();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.PlayerList->GetItemChecked(0));  // sorted: anna, boris, clara
    EXPECT_TRUE(window.PlayerList->GetItemChecked(1));
    Game.mGos[1].CapturedThisTurn = kEndOfTurnMark;
    window.WatchTheWait();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.PlayerList->GetItemChecked(0));
    Game.mGos[3].CapturedThisTurn = kEndOfTurnMark;
    window.WatchTheWait();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(WaitingWindow, AbortAnsweredNoChangesNothingAndYesOnAClientLeaves) {
    ASSERT_TRUE(AllSee(3));
    Game.mGos[2].Player = boris.Id();
    Connect = boris.lobby.get();
    window.SetPage(TMultiPlayer::ServerWait);
    window.show();
    window.WaitTimer->stop();
    {
        ScopedMessageBoxHook no([](TMsgType, const QString&) { return TMsgButton::No; });
        boris.Run([&] { window.AbortGameClick(); });
    }
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(boris.world.exitGame, TExitGame::None);
    boris.Run([&] {
        window.AbortGameClick();
        EXPECT_EQ(Net.ExitGame, TExitGame::AbortedHere);
    });
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), kAbortResult);
    // The server takes message 14: boris's state is the computer's now.
    EXPECT_TRUE(test::WaitFor([&] { return Game.mGos[2].Player == 0; }));
    EXPECT_EQ(Game.mGos[2].PlayerName.Str(), "");
}

// Escape and the close box do not end the wait as if the year had come: they
// ask to leave the game, and only a Yes leaves it.
TEST_F(WaitingWindow, EscapeAndTheCloseBoxAskToLeaveTheGame) {
    window.SetPage(TMultiPlayer::ClientWait);
    window.show();
    window.WaitTimer->stop();
    int asked = 0;
    TMsgButton answer = TMsgButton::No;
    ScopedMessageBoxHook hook([&](TMsgType, const QString&) {
        ++asked;
        return answer;
    });
    QTest::keyClick(&window, Qt::Key_Escape);
    window.close();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(Net.ExitGame, TExitGame::None);
    answer = TMsgButton::Yes;
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), kAbortResult);
    EXPECT_EQ(Net.ExitGame, TExitGame::AbortedHere);
}

TEST(WaitRules, FinishedHumansAreThoseWithTheEndOfTurnMark) {
    Game = GameState{};
    Game.GosCount = 4;
    for (int i = 1; i <= 4; ++i) Game.mGos[i].Alive = 1;
    Game.mGos[1].Player = 1;
    Game.mGos[1].PlayerName.Assign("a");
    Game.mGos[2].Player = 2;
    Game.mGos[2].PlayerName.Assign("b");
    Game.mGos[3].Player = 3;
    Game.mGos[3].Alive = 0;                          // a dead human is not waited for
    Game.mGos[4].CapturedThisTurn = kEndOfTurnMark;  // the computer's
    EXPECT_EQ(CountHumanStates(), 2);
    EXPECT_FALSE(AllHumansFinished());
    Game.mGos[1].CapturedThisTurn = kEndOfTurnMark;
    EXPECT_EQ(FinishedPlayerNames(), std::vector<std::string>{"a"});
    EXPECT_FALSE(AllHumansFinished());
    Game.mGos[2].CapturedThisTurn = kEndOfTurnMark;
    EXPECT_TRUE(AllHumansFinished());
    Net.AcceptFullInf = Net.AcceptHalfInf = 0;
    EXPECT_FALSE(ClientWaitDone());
    Net.AcceptHalfInf = 1;
    EXPECT_TRUE(ClientWaitDone());
    Net.AcceptHalfInf = 0;
    Game = GameState{};
}

}  // namespace
}  // namespace kordalt

namespace kordalt {
namespace {

// The lobby and the waiting window as pictures, to look at.
TEST_F(WaitingWindow, Gallery) {
    ASSERT_TRUE(AllSee(3));
    anna.Run([&] {
        anna.lobby->show();
        anna.lobby->ReadyTimer->stop();
        anna.lobby->StatesSlider->SetValue(6);
        anna.lobby->CreateMapClick();
    });
    ASSERT_TRUE(test::WaitFor([&] { return anna.Chat().contains("anna"); }));
    const QString gallery = QStringLiteral(KORDALT_TEST_TMP "/../gallery");
    QDir().mkpath(gallery);
    EXPECT_TRUE(anna.lobby->grab().save(gallery + "/ui_connect.png"));
    window.SetPage(TMultiPlayer::ServerWait);
    window.SetPlayers({"anna", "boris", "clara"});
    window.ShowMapClick();
    window.show();
    window.WaitTimer->stop();
    EXPECT_TRUE(window.grab().save(gallery + "/ui_multi_player.png"));
}

}  // namespace
}  // namespace kordalt

namespace kordalt {
namespace {

// [Debug] BreakPlayers of a settings file made for the test.
class DropPlayer : public Lobby {
protected:
    void SetBreakPlayers(bool on) {
        test::WriteFile(dir.Path("kordalt.INI"),
                        std::string("[Languages]\r\nCount=1\r\nDefault=0\r\n0=Russian\r\n"
                                    "[Russian]\r\n[Debug]\r\nBreakPlayers=") +
                            (on ? "1" : "0") + "\r\n");
        LanguageFile = std::make_unique<TLanguageFile>(dir.Path("kordalt.INI"));
    }
    ~DropPlayer() override { LanguageFile = std::move(previous); }
    void RightClickOnPlayerList() {
        const QPoint p = anna.lobby->PlayerList->geometry().center();
        anna.Run([&] { QTest::mouseClick(anna.lobby.get(), Qt::RightButton, {}, p); });
        anna.lobby->mnuOffUser->hide();
    }

    test::ScratchDir dir;
    ScopedProgramFileName program{dir.Path("kordalt")};
    std::unique_ptr<TLanguageFile> previous = std::move(LanguageFile);
};

TEST_F(DropPlayer, WithoutTheDebugKeyTheRightClickDoesNothing) {
    ASSERT_TRUE(AllSee(3));
    SetBreakPlayers(false);
    RightClickOnPlayerList();
    EXPECT_TRUE(anna.lobby->mnuOffUser->isEmpty());
}

TEST_F(DropPlayer, TheServerDropsAPlayerForEveryone) {
    ASSERT_TRUE(AllSee(3));
    SetBreakPlayers(true);
    RightClickOnPlayerList();
    const QList<QAction*> items = anna.lobby->mnuOffUser->actions();
    ASSERT_EQ(items.size(), 2);  // everybody but the server
    const QString borisItem = QString::fromUtf8("Отключить boris");
    auto it = std::find_if(items.begin(), items.end(), [&](QAction* a) { return a->text() == borisItem; });
    ASSERT_NE(it, items.end());
    anna.Run([&] { (*it)->trigger(); });
    EXPECT_TRUE(test::WaitFor([&] {
        return clara.lobby->PlayerList->Items().Count() == 2 &&
               clara.Chat().contains(QString::fromUtf8("Отключен игрок boris"));
    }));
    // A client has no menu.
    const QPoint p = clara.lobby->PlayerList->geometry().center();
    clara.Run([&] { QTest::mouseClick(clara.lobby.get(), Qt::RightButton, {}, p); });
    EXPECT_TRUE(clara.lobby->mnuOffUser->isEmpty());
}

}  // namespace
}  // namespace kordalt

namespace kordalt {
namespace {

TEST_F(Lobby, ANewcomerBeforeTheMapLearnsTheTurnDuration) {
    ASSERT_TRUE(AllSee(3));
    anna.Run([&] {
        anna.lobby->show();  // the server's lobby as it opens: no map yet
        anna.lobby->ReadyTimer->stop();
    });
    ASSERT_FALSE(anna.lobby->StartCheck->isEnabled());
    LobbyPeer david{service, "david", false};
    EXPECT_TRUE(test::WaitFor([&] { return david.lobby->ClientTurnLength->text() == "2"; }))
        << "[" << david.lobby->ClientTurnLength->text().toStdString() << "]";
    EXPECT_TRUE(david.lobby->MapPicture->isHidden());
}

TEST_F(Lobby, ANewcomerAfterTheMapGetsTheMapAndTheTurnDurationAgain) {
    ASSERT_TRUE(AllSee(3));
    anna.Run([&] {
        anna.lobby->TurnLengthEdit->SetValue(7);
        anna.lobby->StatesSlider->SetValue(5);
        anna.lobby->CreateMapClick();
    });
    LobbyPeer david{service, "david", false};
    EXPECT_TRUE(test::WaitFor([&] {
        return !david.lobby->MapPicture->isHidden() && david.lobby->ClientTurnLength->text() == "7";
    }));
    EXPECT_TRUE(david.lobby->StartCheck->isEnabled());
    // Leaving: the others show the notice and the computer takes his state.
    Game.mGos[3].Player = david.Id();
    Game.mGos[3].Alive = 1;
    Game.mGos[3].PlayerName.Assign("david");
    david.Run([&] { david.lobby.reset(); });
    EXPECT_TRUE(test::WaitFor([&] { return anna.lobby->PlayerList->Items().Count() == 3; }));
    EXPECT_EQ(Game.mGos[3].Player, 0u);
    EXPECT_EQ(Game.mGos[3].PlayerName.Str(), "");
    EXPECT_TRUE(anna.Chat().contains("<david>"));
}

}  // namespace
}  // namespace kordalt

namespace kordalt {
namespace {

// A saved network game of four states whose humans were `names` (state i+1
// held by names[i]); the other states are the computer's.
class LoadNetworkGame : public Lobby {
protected:
    void Save(const std::vector<std::string>& names) {
        ASSERT_TRUE(AllSee(3));
        anna.Run([&] {
            anna.lobby->StatesSlider->SetValue(4);
            anna.lobby->CreateMapClick();
            for (int i = 1; i <= 4; ++i) Game.mGos[i].Alive = 1;
            for (size_t i = 0; i < names.size(); ++i) {
                TGosRec& g = Game.mGos[static_cast<int>(i) + 1];
                g.Player = 900u + static_cast<uint32_t>(i);
                g.PlayerName.Assign(names[i]);
            }
            SaveGame(dir.Path("net.sav"));
        });
        windows.openFileName = dir.Path("net.sav");
        for (auto* p : peers) p->lobby->ReadyTimer->stop();
    }
    void Load() {
        anna.Run([&] { anna.lobby->LoadGameClick(); });
    }
    uint32_t PlayerOf(int gos) const { return Game.mGos[gos].Player; }

    test::ScratchDir dir;
    FakeGameWindows windows;
    ScopedGameWindows installed{windows};
};

TEST_F(LoadNetworkGame, MatchingNamesStartAtOnceAndTickTheClients) {
    Save({"Clara", "anna", "BORIS"});
    Load();
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_TRUE(anna.started);
    EXPECT_EQ(PlayerOf(1), clara.Id());
    EXPECT_EQ(PlayerOf(2), anna.Id());
    EXPECT_EQ(PlayerOf(3), boris.Id());
    EXPECT_EQ(PlayerOf(4), 0u);
    EXPECT_TRUE(test::WaitFor([&] { return boris.lobby->AllReady(3) && clara.lobby->AllReady(3); }));
}

TEST_F(LoadNetworkGame, AMissingPlayerIsListedAndAskedAbout) {
    Save({"anna", "boris", "clara", "dmitri"});
    std::vector<TMsgButton> answers{TMsgButton::Ok, TMsgButton::No};
    {
        ScopedMessageBoxHook hook([&](TMsgType, const QString& text) {
            shownBoxes.push_back(text);
            return answers.at(shownBoxes.size() - 1);
        });
        Load();
    }
    ASSERT_EQ(shownBoxes.size(), 2u);
    EXPECT_TRUE(shownBoxes[0].contains("4. dmitri"));
    EXPECT_FALSE(anna.started);
    shownBoxes.clear();
    Load();  // answered Yes by the fixture: dmitri's state is the computer's
    EXPECT_EQ(shownBoxes.size(), 2u);
    EXPECT_TRUE(anna.started);
    EXPECT_EQ(PlayerOf(4), 0u);
}

TEST_F(LoadNetworkGame, AServerMissingFromTheSavedGameCannotStartIt) {
    Save({"boris", "clara"});
    Load();
    EXPECT_EQ(shownBoxes.size(), 1u);
    EXPECT_FALSE(anna.started);
}

}  // namespace
}  // namespace kordalt

namespace kordalt {
namespace {

TEST_F(Lobby, ShowLobbyRunsAnOpenLobbyAgainAfterEachGame) {
    ASSERT_TRUE(AllSee(3));
    int shown = 0;
    ScopedModalHook hook([&](QDialog& dialog) {
        ++shown;
        // The first two runs end as a game hides and shows the lobby again.
        if (shown < 3) {
            anna.lobby->reshow_ = true;
            dialog.show();
        } else {
            dialog.hide();
        }
        return 0;
    });
    Connect = anna.lobby.get();
    anna.Run([&] { ShowLobby(); });
    EXPECT_EQ(shown, 3);
    anna.lobby->Session->Close();
    anna.Run([&] { ShowLobby(); });  // a closed session shows nothing
    EXPECT_EQ(shown, 3);
    Connect = nullptr;
}

}  // namespace
}  // namespace kordalt

namespace kordalt {
namespace {

// The server's turn duration is not typed into, but its button and arrow keys
// change it, and the clients are told.
TEST_F(Lobby, TheServerChangesTheTurnDurationByButtonAndArrowKeysNotByTyping) {
    ASSERT_TRUE(AllSee(3));
    TExSpinEdit* spin = anna.lobby->TurnLengthEdit;
    anna.Run([&] {
        anna.lobby->show();
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_7);
        QTest::keyClick(spin, Qt::Key_Backspace);
    });
    EXPECT_EQ(spin->text(), "2");
    anna.Run([&] {
        QTest::keyClick(spin, Qt::Key_Up);
        QTest::keyClick(spin, Qt::Key_Up);
    });
    EXPECT_EQ(spin->text(), "4");
    EXPECT_EQ(anna.world.turnMinutes, 4);
    EXPECT_TRUE(test::WaitFor([&] { return boris.lobby->ClientTurnLength->text() == "4"; }));
    anna.Run([&] {
        QWidget* button = spin->Button();
        const QPoint lower(button->width() - 2, button->height() - 2);
        QTest::mousePress(button, Qt::LeftButton, {}, lower);
        QTest::mouseRelease(button, Qt::LeftButton, {}, lower);
    });
    EXPECT_EQ(spin->text(), "3");
    EXPECT_EQ(anna.world.turnMinutes, 3);
    EXPECT_TRUE(test::WaitFor([&] { return clara.lobby->ClientTurnLength->text() == "3"; }));
}

}  // namespace
}  // namespace kordalt
