// The network year loop of one peer against a scripted second player over the
// in-memory session service. The loop's windows are a fake whose turns end at
// once and whose waits run the user-interface thread's events.
#include "multiplayer/net_game_loop.h"

#include <gtest/gtest.h>

#include <memory>

#include "game/game_loop.h"
#include "game/seats.h"
#include "multiplayer/net_dispatch.h"
#include "multiplayer/net_senders.h"
#include "net_test_support.h"
#include "platform/fatal.h"
#include "session/peer_play_qt.h"
#include "session/peer_test_support.h"
#include "silent_lobby.h"

namespace kordalt {
namespace {

class NoSendUi final : public INetSendUi {
public:
    void ShowSendingNotice(bool) override {}
    void ServerNotFound() override { serverNotFound = true; }
    bool serverNotFound = false;
};

// Turns end with the scripted results; waits pump events with a bound.
class FakeLoopUi final : public INetLoopUi {
public:
    void BeginNetGame() override { began = true; }
    void WaitForYear() override {
        waits.push_back(test::WaitFor(
            [this] {
                if (loop) loop->LoseTheGameWhenNoResultCanCome();
                return ClientWaitDone() || Net.ExitGame != TExitGame::None;
            },
            2 * kHeirGrace));
    }
    TTurnResult PlayTurn() override {
        if (duringTurn) duringTurn();
        turnGos.push_back(Game.CurrentGos);
        turnYears.push_back(Game.Year);
        return results.at(turnGos.size() - 1);
    }
    void WaitForOthers(const std::vector<std::string>& names) override {
        waitedFor.push_back(names);
        waits.push_back(test::WaitFor(
            [this] { return (loop && loop->OthersWaitDone()) || Net.ExitGame != TExitGame::None; }));
    }
    void ShowDefeat(uint8_t gos) override { defeated = gos; }
    bool AskOthersContinue() override {
        asked = true;
        return othersContinue;
    }
    void GameLost(bool canSave) override { lost.push_back(canSave); }

    std::vector<TTurnResult> results;
    std::vector<bool> lost;  // canSave of each GameLost
    const TNetYearLoop* loop = nullptr;
    std::function<void()> duringTurn;
    std::vector<uint8_t> turnGos;
    std::vector<int> turnYears;
    std::vector<std::vector<std::string>> waitedFor;
    std::vector<bool> waits;
    bool began = false, asked = false, othersContinue = true;
    uint8_t defeated = 0;
};

struct Received {
    uint32_t code, sender, serverId;  // serverId of a full snapshot
};

// The loop runs on Anna's peer; Boris is the test's script. Anna holds state 1,
// Boris state 2; states 3 and 4 are the computer's.
class NetLoop : public NetGame {
protected:
    NetLoop() {
        annaPeer->SetGUID(test::kGameGuid);
        annaPeer->SetProviderName("TCP/IP");
        annaPeer->OpenSession(true, "loop", "anna");
        annaPeer->OnMessage = [this](TCustomPeerPlay&, TPeerPlayPlayer& from, const void* data,
                                     int32_t size) { annaQueue.PeerPlayMessage(from.ID, data, size); };
        boris->SetGUID(test::kGameGuid);
        boris->SetProviderName("TCP/IP");
        boris->OpenSession(false, "loop", "boris");
        boris->OnMessage = [this](TCustomPeerPlay&, TPeerPlayPlayer& from, const void* data, int32_t size) {
            borisQueue.PeerPlayMessage(from.ID, data, size);
        };
        borisQueue.SetAcceptedMessages(AllMessageCodes);
        // The lobby's part when a player leaves the session.
        annaPeer->OnDeletePlayer = [this](TCustomPeerPlay&, TPeerPlayPlayer& p) {
            GiveStatesToComputer(p.ID);
            annaLoop.GameServerLeft(p.ID);
        };
        ui.loop = &annaLoop;
        EXPECT_TRUE(
            test::WaitFor([&] { return annaPeer->Players().Count() == 2 && boris->Players().Count() == 2; }));
        for (int i = 1; i <= 4; ++i) {
            Game.mGos[i].Player = 0;
            Game.mGos[i].Alive = 1;
            Game.mGos[i].CapturedThisTurn = 0;
        }
        Game.mGos[1].Player = annaPeer->LocalPlayer()->ID;
        Game.mGos[1].PlayerName.Assign("anna");
        Game.mGos[2].Player = BorisId();
        Game.mGos[2].PlayerName.Assign("boris");
        Game.CurrentGos = 1;
        Net.TurnsPlayed = 0;
    }
    ~NetLoop() override { Net.TurnsPlayed = 0; }

    uint32_t AnnaId() const { return annaPeer->LocalPlayer()->ID; }
    uint32_t BorisId() const { return boris->LocalPlayer()->ID; }
    // The codes Boris received from Anna, chat, maps and news left out.
    std::vector<uint32_t> BorisCodes() const {
        std::vector<uint32_t> codes;
        for (const Received& r : received)
            if (r.code >= dx_Game_SendFull && r.code <= dx_Game_CloseAll) codes.push_back(r.code);
        return codes;
    }
    bool BorisGot(uint32_t code) {
        return test::WaitFor([&] {
            for (const Received& r : received)
                if (r.code == code) return true;
            return false;
        });
    }
    // Boris sends with his own state current.
    template <class F>
    void AsBoris(F&& send) {
        const uint8_t current = Game.CurrentGos;
        Game.CurrentGos = 2;
        send();
        Game.CurrentGos = current;
    }
    void RunLoop() { annaLoop.Play(ui); }
    // Windows of a new run, whose waits see Anna's loop.
    void ResetUi() {
        ui = FakeLoopUi{};
        ui.loop = &annaLoop;
    }
    // A new run with Anna as a client whose turns end with `results`; Boris,
    // the server, has sent the year's snapshot.
    void BeginClientRun(std::vector<TTurnResult> results) {
        PlayMode.GameMode = kNetworkClient;
        annaLoop.StartRun();
        ResetUi();
        ui.results = std::move(results);
        AsBoris([&] { SendFull(*boris, sendUi, 0); });
    }

    test::MemoryService service;
    std::unique_ptr<TPeerPlay> annaPeer = std::make_unique<TPeerPlay>(nullptr, service);
    test::SilentLobby lobby;
    NoSendUi sendUi;
    FakeLoopUi ui;
    TNetQueue annaQueue{[this](const NetQueueItem& item) { DispatchNetMessage(item, annaLoop, lobby); },
                        nullptr};
    TNetYearLoop annaLoop{*annaPeer, annaQueue, sendUi};
    std::unique_ptr<TPeerPlay> boris = std::make_unique<TPeerPlay>(nullptr, service);
    std::function<void(const NetQueueItem&)> borisScript;
    std::vector<Received> received;
    TNetQueue borisQueue{[this](const NetQueueItem& item) {
                             if (item.SenderID == BorisId()) return;
                             const uint32_t code = NetMessageCode(item.Data);
                             uint32_t serverId = 0;
                             if (code == dx_Game_SendFull)
                                 if (auto full = ReadFullInf(item.Data)) serverId = full->serverId;
                             received.push_back({code, item.SenderID, serverId});
                             if (borisScript) borisScript(item);
                         },
                         nullptr};
};

TEST_F(NetLoop, ServerPlaysYearsAndHandsOverWhenItLeaves) {
    PlayMode.GameMode = kServer;
    Net.GameRunning = 1;
    Game.Year = 1;
    ui.results = {TTurnResult::Next, TTurnResult::Pass, TTurnResult::Quit};
    // Boris ends his turn as soon as the year's data arrived.
    borisScript = [this](const NetQueueItem& item) {
        const uint32_t code = NetMessageCode(item.Data);
        if (code == dx_Game_SendFull || code == dx_Game_SendHalf) SendEndOfTurn(*boris);
    };
    RunLoop();
    EXPECT_TRUE(ui.began);
    EXPECT_EQ(ui.turnYears, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ui.turnGos, (std::vector<uint8_t>{1, 1, 1}));
    EXPECT_EQ(ui.waits, std::vector<bool>(3, true));
    EXPECT_EQ(ui.waitedFor.at(0), (std::vector<std::string>{"anna", "boris"}));
    EXPECT_EQ(Game.Year, 4);  // the leaving server still computed its last year
    EXPECT_EQ(Net.TurnsPlayed, 3);
    EXPECT_EQ(Game.mGos[1].Passed, 1);
    EXPECT_TRUE(ui.asked);
    EXPECT_EQ(PlayMode.GameMode, kNetworkClient);
    ASSERT_TRUE(BorisGot(dx_Game_Exit));
    // Every year's result is a full snapshot, so that every peer holds the whole game.
    EXPECT_EQ(BorisCodes(),
              (std::vector<uint32_t>{dx_Game_SendFull, dx_Game_EndOfTurn, dx_Game_SendFull, dx_Game_EndOfTurn,
                                     dx_Game_SendFull, dx_Game_EndOfTurn, dx_Game_SendFull, dx_Game_Exit}));
    std::vector<uint32_t> servers;
    for (const Received& r : received)
        if (r.code == dx_Game_SendFull) servers.push_back(r.serverId);
    // The year results name Anna the server, the hand-over names Boris.
    EXPECT_EQ(servers, (std::vector<uint32_t>{AnnaId(), AnnaId(), AnnaId(), BorisId()}));
}

TEST_F(NetLoop, ServerLeavingWhenTheOthersDoNotGoOnClosesTheGame) {
    PlayMode.GameMode = kServer;
    Net.GameRunning = 1;
    Game.Year = 1;
    ui.results = {TTurnResult::Quit};
    ui.othersContinue = false;
    borisScript = [this](const NetQueueItem& item) {
        if (NetMessageCode(item.Data) == dx_Game_SendFull) SendEndOfTurn(*boris);
    };
    RunLoop();
    EXPECT_EQ(ui.waits, std::vector<bool>{true});
    EXPECT_EQ(Net.ExitGame, TExitGame::ClosedByServer);
    EXPECT_EQ(PlayMode.GameMode, 1);
    ASSERT_TRUE(BorisGot(dx_Game_CloseAll));
    EXPECT_EQ(BorisCodes(), (std::vector<uint32_t>{dx_Game_SendFull, dx_Game_EndOfTurn, dx_Game_CloseAll}));
}

TEST_F(NetLoop, ClientWaitsForTheSnapshotPlaysSendsAndWaitsForTheYearResult) {
    Game.Year = 5;
    Game.CurrentGos = 3;  // found again by the own identifier
    BeginClientRun({TTurnResult::Next, TTurnResult::Quit});
    int clientInfs = 0;
    // Boris, the server, ends his turn and sends the year's result once Anna's turn is in.
    borisScript = [&](const NetQueueItem& item) {
        const uint32_t code = NetMessageCode(item.Data);
        if (code == dx_Game_SendClientInf) ++clientInfs;
        if (code != dx_Game_EndOfTurn) return;
        AsBoris([&] {
            SendEndOfTurn(*boris);
            ++Game.Year;  // Boris computed the year, in his own copy
            SendHalf(*boris, sendUi);
            --Game.Year;
        });
    };
    RunLoop();
    EXPECT_EQ(ui.turnGos, (std::vector<uint8_t>{1, 1}));
    EXPECT_EQ(ui.waits, std::vector<bool>(4, true));  // year, others, year, others
    EXPECT_EQ(Net.ServerID, BorisId());
    EXPECT_FALSE(sendUi.serverNotFound);
    ASSERT_TRUE(BorisGot(dx_Game_Exit));
    EXPECT_EQ(BorisCodes(), (std::vector<uint32_t>{dx_Game_SendClientInf, dx_Game_EndOfTurn,
                                                   dx_Game_SendClientInf, dx_Game_EndOfTurn, dx_Game_Exit}));
    EXPECT_EQ(clientInfs, 2);
    EXPECT_EQ(PlayMode.GameMode, kNetworkClient);
}

// The last year computed, the server sends its result before it leaves the
// loop: the others see the end of the game and wait no more.
TEST_F(NetLoop, ServerSendsTheResultOfTheLastYear) {
    PlayMode.GameMode = kServer;
    Net.GameRunning = 1;
    Game.Year = YearCount - 1;
    Net.TurnsPlayed = 1;
    ui.results = {TTurnResult::Pass};
    borisScript = [this](const NetQueueItem& item) {
        if (NetMessageCode(item.Data) == dx_Game_SendFull) SendEndOfTurn(*boris);
    };
    RunLoop();
    EXPECT_EQ(Game.Year, YearCount);
    ASSERT_TRUE(test::WaitFor([&] { return BorisCodes().size() >= 3; }));
    EXPECT_EQ(BorisCodes(), (std::vector<uint32_t>{dx_Game_SendFull, dx_Game_EndOfTurn, dx_Game_SendFull}));
    uint32_t lastServer = 0;
    for (const Received& r : received)
        if (r.code == dx_Game_SendFull) lastServer = r.serverId;
    EXPECT_EQ(lastServer, AnnaId());  // Boris's gate took the result
}

// The server's own state falls in the year's computation: before the last year
// the other human's peer becomes server, in the last year everybody gets the result.
TEST_F(NetLoop, ServerWhoseStateFallsHandsOverBeforeTheLastYear) {
    struct Case {
        int year;
        std::vector<uint32_t> lastCodes;
        bool handOver;
    } cases[] = {{1, {dx_Game_SendFull, dx_Game_Exit}, true},
                 {YearCount - 1, {dx_Game_EndOfTurn, dx_Game_SendFull}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year);
        PlayMode.GameMode = kServer;
        Net.GameRunning = 1;
        Game.Year = static_cast<uint16_t>(c.year);
        Net.TurnsPlayed = c.year == 1 ? 0 : 1;
        Game.mGos[1].Alive = 1;
        received.clear();
        ResetUi();
        ui.results = {TTurnResult::Next};
        // State 3 takes all of Anna's land while she plays.
        ui.duringTurn = [] {
            Map->TransferSquares(1, 3, Map->RegionSize(1));
            Game.mGos[1].Alive = 0;
        };
        borisScript = [this](const NetQueueItem& item) {
            const uint32_t code = NetMessageCode(item.Data);
            if ((code == dx_Game_SendFull || code == dx_Game_SendHalf) && received.size() == 1)
                SendEndOfTurn(*boris);
        };
        ScopedFatalExitThrows fatal;
        RunLoop();
        EXPECT_EQ(ui.waits, std::vector<bool>{true});
        EXPECT_EQ(ui.defeated, 1);
        EXPECT_EQ(PlayMode.GameMode, c.handOver ? kNetworkClient : 1);
        ASSERT_TRUE(test::WaitFor([&] { return BorisCodes().size() >= 3; }));
        const std::vector<uint32_t> codes = BorisCodes();
        EXPECT_EQ(std::vector<uint32_t>(codes.end() - 2, codes.end()), c.lastCodes);
        uint32_t lastServer = 0;
        for (const Received& r : received)
            if (r.code == dx_Game_SendFull) lastServer = r.serverId;
        EXPECT_EQ(lastServer, c.handOver ? BorisId() : AnnaId());
        // A new game on the same map for the next case.
        Map->TransferSquares(3, 1, Map->RegionSize(3) / 2);
    }
}

// Boris, the server, dies (leaves without handing the game over) after Anna's
// turn of year 5: Anna becomes the server from the state she holds, finishes
// the year without Boris and plays on.
TEST_F(NetLoop, ClientBecomesServerWhenTheServerDies) {
    struct Case {
        const char* name;
        bool afterHisTurn;  // Boris dies once he ended his turn too (Anna waits for the year)
    } cases[] = {{"while Anna waits for the others", false}, {"while Anna waits for the year", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BeginClientRun({TTurnResult::Pass, TTurnResult::Quit});
        borisScript = [&](const NetQueueItem& item) {
            if (NetMessageCode(item.Data) != dx_Game_EndOfTurn) return;
            if (c.afterHisTurn) AsBoris([&] { SendEndOfTurn(*boris); });
            boris->Close();
        };
        const int year = Game.Year;
        RunLoop();
        EXPECT_EQ(ui.turnYears, (std::vector<int>{year, year + 1}));
        EXPECT_EQ(PlayMode.GameMode, 1);
        EXPECT_EQ(Net.ServerID, AnnaId());
        EXPECT_EQ(Game.mGos[2].Player, 0u);  // Boris's state is the computer's
        EXPECT_TRUE(ui.lost.empty());
        // Boris joins again for the next case.
        boris->SetProviderName("TCP/IP");
        boris->OpenSession(false, "loop", "boris");
        ASSERT_TRUE(test::WaitFor([&] { return annaPeer->Players().Count() == 2; }));
        Game.mGos[2].Player = BorisId();
        Game.mGos[2].PlayerName.Assign("boris");
        received.clear();
    }
}

// Each network game keeps its own year loop: the heir of a dead server awaits
// the survivors' word in his game only, and another game's wait is not held.
TEST_F(NetLoop, TheHeirAwaitsTheSurvivorsInHisOwnGameOnly) {
    constexpr uint32_t kDeadServer = 999;
    TNetYearLoop borisLoop{*boris, borisQueue, sendUi};
    const bool annaIsHeir = AnnaId() > BorisId();  // the living state with the highest player id
    TNetYearLoop& heir = annaIsHeir ? annaLoop : borisLoop;
    TNetYearLoop& other = annaIsHeir ? borisLoop : annaLoop;
    PlayMode.GameMode = kNetworkClient;
    Net.GameRunning = 1;
    Net.FullStateHeld = 1;
    Net.ServerID = kDeadServer;
    Game.CurrentGos = annaIsHeir ? 1 : 2;
    heir.GameServerLeft(kDeadServer);
    ASSERT_EQ(PlayMode.GameMode, kServer);
    EXPECT_TRUE(heir.ReportsAwaited());
    EXPECT_FALSE(other.ReportsAwaited());
    Game.mGos[1].CapturedThisTurn = Game.mGos[2].CapturedThisTurn = kEndOfTurnMark;
    EXPECT_FALSE(heir.OthersWaitDone());
    EXPECT_TRUE(other.OthersWaitDone());
}

// Boris, the server, sends the result of the last year and leaves the session
// before Anna's gate took it: she ends the game with his result, neither as a
// lost game nor by computing the year again as his heir.
TEST_F(NetLoop, ClientEndsWithTheLastResultOfAServerThatLeft) {
    Game.Year = YearCount - 1;
    BeginClientRun({TTurnResult::Pass});
    int32_t sentPeasants = 0;
    borisScript = [&](const NetQueueItem& item) {
        if (NetMessageCode(item.Data) != dx_Game_EndOfTurn) return;
        AsBoris([&] {
            const GameState before = Game;
            ++Game.Year;  // Boris computed the last year, in his own copy
            sentPeasants = Game.mGos[3].Peasants += 777;
            SendFull(*boris, sendUi, 0);
            Game = before;
        });
        boris->Close();
    };
    RunLoop();
    EXPECT_TRUE(ui.lost.empty());
    EXPECT_EQ(Net.ExitGame, TExitGame::None);
    EXPECT_EQ(Game.Year, YearCount);
    EXPECT_EQ(Game.mGos[3].Peasants, sentPeasants);
    EXPECT_EQ(PlayMode.GameMode, kNetworkClient);
    boris->SetProviderName("TCP/IP");
    boris->OpenSession(false, "loop", "boris");
    ASSERT_TRUE(test::WaitFor([&] { return annaPeer->Players().Count() == 2; }));
}

// The server's first state can reach a client before its lobby has seen that
// everyone is ready: the lobby holds it and the client plays that year. While
// not everyone is ready, a year's traffic is a leftover and is dropped.
TEST_F(NetLoop, AClientsLobbyHoldsTheFirstStateForTheGameAboutToStart) {
    for (bool everyoneReady : {false, true}) {
        SCOPED_TRACE(everyoneReady ? "everyone ready" : "not everyone ready");
        PlayMode.GameMode = kNetworkClient;
        EnterNetLobby(annaQueue);
        AsBoris([&] { SendFull(*boris, sendUi, 0); });
        ASSERT_TRUE(test::WaitFor([&] { return annaQueue.Holds(dx_Game_SendFull); }));
        KeepYearMessagesForTheRun(annaQueue, everyoneReady);
        EXPECT_EQ(annaQueue.Holds(dx_Game_SendFull), everyoneReady);
        if (!everyoneReady) continue;
        ui.results = {TTurnResult::Quit};
        borisScript = [&](const NetQueueItem& item) {
            if (NetMessageCode(item.Data) == dx_Game_EndOfTurn) AsBoris([&] { SendEndOfTurn(*boris); });
        };
        annaLoop.StartRun();
        RunLoop();
        EXPECT_EQ(ui.turnYears, std::vector<int>{Game.Year});
        EXPECT_EQ(ui.waits, (std::vector<bool>{true, true}));  // the year, the others
        EXPECT_EQ(Net.ServerID, BorisId());
    }
}

// The server hands the game over after the others' turns: Anna, waiting for
// the others, takes its Exit before the held hand-over, and may take the
// hand-over only after the server left the session too. Either way she goes on
// as the server and the server's state stays the computer's.
TEST_F(NetLoop, ClientTakesAHandOverHeldPastTheServersExit) {
    const auto start = std::make_unique<GameState>(Game);
    for (bool serverLeaves : {false, true}) {
        SCOPED_TRACE(serverLeaves ? "the server leaves the session" : "the server stays in the session");
        BeginClientRun({TTurnResult::Pass, TTurnResult::Quit});
        bool handedOver = false;  // once: Anna's own ends of turn as the server come to Boris too
        borisScript = [&](const NetQueueItem& item) {
            if (NetMessageCode(item.Data) != dx_Game_EndOfTurn || std::exchange(handedOver, true)) return;
            AsBoris([&] {
                ++Game.Year;  // Boris computed the year, in his own copy
                SendFull(*boris, sendUi, AnnaId());
                --Game.Year;
                SendExit(*boris);
            });
            if (serverLeaves) boris->Close();
        };
        const int year = Game.Year;
        RunLoop();
        EXPECT_EQ(ui.turnYears, (std::vector<int>{year, year + 1}));
        EXPECT_EQ(ui.waits, std::vector<bool>(3, true));  // the year, the others, the others
        EXPECT_EQ(Net.ServerID, AnnaId());
        EXPECT_EQ(Game.mGos[2].Player, 0u);  // Boris's state is the computer's
        Game = *start;
        // Boris takes all Anna sent, up to her Exit, before the next case's script.
        if (!serverLeaves) ASSERT_TRUE(BorisGot(dx_Game_Exit));
        borisScript = nullptr;
    }
}

// Boris, the server, hands the game over to Clara and leaves the game; Clara
// dies before she sent anything, before or after Anna took Boris's Exit. Anna
// cannot know that Clara was the heir, but once a player left and the heir's
// grace passed she says that the game is lost, offers to save it and leaves.
TEST_F(NetLoop, ClientWhoseHeirOfAHandOverDiedLeavesTheGame) {
    for (bool heirDiesFirst : {false, true}) {
        SCOPED_TRACE(heirDiesFirst ? "the heir dies before the Exit" : "the heir dies after the Exit");
        auto clara = std::make_unique<TPeerPlay>(nullptr, service);
        clara->SetGUID(test::kGameGuid);
        clara->SetProviderName("TCP/IP");
        clara->OpenSession(false, "loop", "clara");
        ASSERT_TRUE(test::WaitFor([&] { return annaPeer->Players().Count() == 3; }));
        Game.mGos[3].Player = clara->LocalPlayer()->ID;
        Game.mGos[3].PlayerName.Assign("clara");
        BeginClientRun({TTurnResult::Pass, TTurnResult::Quit});
        borisScript = [&](const NetQueueItem& item) {
            if (NetMessageCode(item.Data) != dx_Game_EndOfTurn || item.SenderID != AnnaId()) return;
            if (heirDiesFirst) clara->Close();
            AsBoris([&] { SendExit(*boris); });
            if (!heirDiesFirst) clara->Close();
        };
        const int year = Game.Year;
        const auto start = std::chrono::steady_clock::now();
        RunLoop();
        EXPECT_EQ(ui.turnYears, std::vector<int>{year});
        EXPECT_EQ(Net.ExitGame, TExitGame::ServerGone);
        EXPECT_EQ(ui.lost, std::vector<bool>{true});                 // she holds the game, and may save it
        EXPECT_EQ(ui.waits, (std::vector<bool>{true, true, true}));  // the year, the others, the year
        EXPECT_GE(std::chrono::steady_clock::now() - start, kHeirGrace);
        Net.ServerLost = 0;
        ASSERT_TRUE(test::WaitFor([&] { return annaPeer->Players().Count() == 2; }));
        Game.mGos[2].Player = BorisId();
        Game.mGos[2].PlayerName.Assign("boris");
        received.clear();
    }
}

// A client's first wait that ends without the game's data leaves the loop
// before reading any state: the server closed the game, or it died before
// anybody held the game, or it left the lobby as the game began and nobody
// else is in the session (then one message, with nothing to save).
TEST_F(NetLoop, ClientWithoutTheGameLeavesAfterItsFirstWait) {
    enum Death { kLives, kDiesInTheGame, kLeftTheLobby };
    struct Case {
        const char* name;
        Death death;
        TExitGame exitGame;
    } cases[] = {{"closed", kLives, TExitGame::ClosedByServer},
                 {"server died", kDiesInTheGame, TExitGame::ServerGone},
                 {"server left the lobby", kLeftTheLobby, TExitGame::ServerGone}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayMode.GameMode = kNetworkClient;
        if (c.death == kLeftTheLobby) {
            EnterNetLobby(annaQueue);
            boris->Close();
            ASSERT_TRUE(test::WaitFor([&] { return annaPeer->Players().Count() == 1; }));
        }
        annaLoop.StartRun();
        if (c.death != kLeftTheLobby) Net.ServerID = BorisId();
        Game.CurrentGos = 0;
        ResetUi();
        if (c.death == kDiesInTheGame)
            boris->Close();
        else if (c.death == kLives)
            SendCloseGame(*boris);
        RunLoop();
        EXPECT_TRUE(ui.turnGos.empty());
        EXPECT_EQ(Net.ExitGame, c.exitGame);
        EXPECT_EQ(ui.lost, c.death != kLives ? std::vector<bool>{false} : std::vector<bool>{});
        EXPECT_EQ(ui.waits, std::vector<bool>{true});
        EXPECT_EQ(Net.ServerLost, c.death != kLives ? 1 : 0);
        Net.ServerLost = 0;
        if (c.death != kLives) {
            boris->SetProviderName("TCP/IP");
            boris->OpenSession(false, "loop", "boris");
            ASSERT_TRUE(test::WaitFor([&] { return annaPeer->Players().Count() == 2; }));
        }
    }
}

TEST_F(NetLoop, EndsAtOnceOutsideANetworkGame) {
    PlayMode.GameMode = kLocalGame;
    RunLoop();
    EXPECT_FALSE(ui.began);
    EXPECT_TRUE(ui.turnGos.empty());
}

}  // namespace
}  // namespace kordalt
