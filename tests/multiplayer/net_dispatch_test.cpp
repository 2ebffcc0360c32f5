// The dispatcher and the senders between three peers over the in-memory
// session service. The peers share the process's one game state, so each test
// sets it up as the receiving peer would hold it before the messages are taken.
#include "multiplayer/net_dispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "game/game_loop.h"
#include "game/language_file.h"
#include "multiplayer/net_game_loop.h"
#include "multiplayer/net_senders.h"
#include "net_test_support.h"
#include "session/peer_play_qt.h"
#include "session/peer_test_support.h"

namespace kordalt {
namespace {

class FakeLobby final : public INetLobbyUi {
public:
    void ShowChatMessage(const std::string& name, const std::string& text, uint32_t colour) override {
        calls.push_back("chat " + name + " " + text + " " + std::to_string(colour));
    }
    void SetReadyMark(const std::string& name, bool ready, int rows) override {
        calls.push_back("ready " + name + " " + std::to_string(ready) + " " + std::to_string(rows));
    }
    bool AllReady(int) override { return allReady; }
    void MarkAllReady(int rows) override { calls.push_back("all ready " + std::to_string(rows)); }
    void ShowTurnDelay(int minutes) override { calls.push_back("delay " + std::to_string(minutes)); }
    void LobbyMapReceived() override { calls.push_back("lobby map"); }
    void BecomeServer() override { calls.push_back("server"); }
    void ShowMapForWaiting() override { calls.push_back("waiting map"); }
    void ShowWaitingInfo(const std::string& text) override { calls.push_back("info " + text); }

    std::vector<std::string> calls;
    bool allReady = false;
};

class FakeSendUi final : public INetSendUi {
public:
    void ShowSendingNotice(bool visible) override { calls.push_back(visible ? "notice on" : "notice off"); }
    void ServerNotFound() override { calls.push_back("server not found"); }
    std::vector<std::string> calls;
};

// One peer: its session component, its incoming queue and its lobby.
struct NetPeer {
    NetPeer(test::MemoryService& service, const std::string& name, bool create)
        : peer(std::make_unique<TPeerPlay>(nullptr, service)),
          queue([this](const NetQueueItem& item) { DispatchNetMessage(item, loop, lobby); }, nullptr),
          loop(*peer, queue, sendUi) {
        peer->SetGUID(test::kGameGuid);
        peer->SetProviderName("TCP/IP");
        peer->OpenSession(create, "net", name);
        peer->OnMessage = [this](TCustomPeerPlay&, TPeerPlayPlayer& from, const void* data, int32_t size) {
            queue.PeerPlayMessage(from.ID, data, size);
        };
        queue.SetAcceptedMessages(AllMessageCodes);
    }
    uint32_t Id() const { return peer->LocalPlayer()->ID; }

    std::unique_ptr<TPeerPlay> peer;
    FakeLobby lobby;
    FakeSendUi sendUi;
    TNetQueue queue;
    TNetYearLoop loop;
};

// Anna's peer is the server and holds state 1, Boris holds state 2, Clara
// holds none; states 3 and 4 are the computer's.
class NetDispatch : public NetGame {
protected:
    NetDispatch() {
        for (int i = 1; i <= 4; ++i) {
            Game.mGos[i].Player = 0;
            Game.mGos[i].Alive = 1;
        }
        Game.mGos[1].Player = anna.Id();
        Game.mGos[2].Player = boris.Id();
        Game.mGos[2].PlayerName.Assign("boris");
        Game.CurrentGos = 1;
        EXPECT_TRUE(test::WaitFor([&] {
            return anna.peer->Players().Count() == 3 && boris.peer->Players().Count() == 3 &&
                   clara.peer->Players().Count() == 3;
        }));
    }
    NetQueueItem Item(uint32_t from, TNetMessage m) { return {from, std::move(m)}; }

    test::MemoryService service;
    NetPeer anna{service, "anna", true}, boris{service, "boris", false}, clara{service, "clara", false};
    FakeSendUi sendUi;
};

// Anna's peer as a client of Boris's game, in the lobby or while it runs.
TEST_F(NetDispatch, SmallMessagesAtAClient) {
    PlayMode.GameMode = kNetworkClient;
    Net.ServerID = boris.Id();
    const std::string left = LangText(kPlayerLeftGame), closed = LangText(kServerClosedGame);
    constexpr uint8_t kYear = 7;
    Game.Year = kYear;
    struct Case {
        const char* what;
        bool running;
        uint32_t from;  // 1 boris, 2 clara, 0 nobody of the session
        TNetMessage message;
        std::vector<std::string> calls;
    } cases[] = {
        {"chat", false, 1, MakeChatMessage("hi", 0xFF), {"chat boris hi 255"}},
        {"chat during the game", true, 2, MakeChatMessage("hi", 0xFF), {"chat clara hi 255"}},
        {"chat from outside the session", true, 0, MakeChatMessage("hi", 0xFF), {}},
        {"code 6", false, 1, MakeValueMessage(6, 1), {}},
        {"code 18", true, 1, MakeValueMessage(18, 1), {}},
        {"turn delay", false, 1, MakeValueMessage(dx_Connect_TurnDelay, 7), {"delay 7"}},
        {"end of turn of a player without a state", true, 2, MakeValueMessage(dx_Game_EndOfTurn, kYear), {}},
        {"end of turn of another year", true, 1, MakeValueMessage(dx_Game_EndOfTurn, kYear - 1), {}},
        {"end of turn", true, 1, MakeValueMessage(dx_Game_EndOfTurn, kYear), {}},
        {"exit", true, 1, MakeValueMessage(dx_Game_Exit, 1), {"chat boris " + left + " 255"}},
        {"close all", true, 1, MakeValueMessage(dx_Game_CloseAll, 1), {"chat boris " + closed + " 255"}},
    };
    const uint32_t ids[] = {424242, boris.Id(), clara.Id()};
    for (const Case& c : cases) {
        const std::string before = Tables();
        anna.lobby.calls.clear();
        Net.GameRunning = c.running ? 1 : 0;
        DispatchNetMessage(Item(ids[c.from], c.message), anna.loop, anna.lobby);
        EXPECT_EQ(anna.lobby.calls, c.calls) << c.what;
        if (c.calls.empty() && std::string(c.what) != "end of turn") {
            EXPECT_TRUE(Tables() == before) << c.what;
        }
    }
    EXPECT_EQ(PlayMode.TurnMinutes, 7);
    EXPECT_EQ(Game.mGos[2].CapturedThisTurn, 39);
    EXPECT_EQ(Game.mGos[1].CapturedThisTurn, 0);
    EXPECT_EQ(Game.mGos[2].Player, 0u);  // the computer plays it now
    EXPECT_EQ(Game.mGos[2].PlayerName.Str(), "");
    EXPECT_EQ(Net.ExitGame, TExitGame::ClosedByServer);
}

TEST_F(NetDispatch, FullSnapshotToATargetMakesItTheServer) {
    PlayMode.TurnMinutes = 4;
    SendFull(*anna.peer, sendUi, boris.Id());
    EXPECT_EQ(sendUi.calls, (std::vector<std::string>{"notice on", "notice off"}));
    const std::string sent = Tables();
    RunningGameIsAnother();
    // As Boris sees it: a client of Anna's running game.
    PlayMode.GameMode = kNetworkClient;
    Net.GameRunning = 1;
    Net.ServerID = anna.Id();
    PlayMode.TurnMinutes = 0;
    ASSERT_TRUE(test::WaitFor([&] { return Net.AcceptFullInf == 1; }));
    EXPECT_TRUE(Tables() == sent);
    EXPECT_EQ(Net.ServerID, boris.Id());
    EXPECT_EQ(PlayMode.GameMode, 1);
    EXPECT_EQ(PlayMode.TurnMinutes, 4);
    test::Pump();
    EXPECT_EQ(clara.queue.Count(), 0u);  // nothing went to Clara
}

TEST_F(NetDispatch, YearResultGoesToEachPlayerAndNewsToThoseWithoutAState) {
    Game.mGos[2].Money = 2222;
    const TGosRec borisState = Game.mGos[2];
    const std::string news = WaitingInfoText();
    Net.GameRunning = 1;
    // Boris, in the game, takes his result; Clara, waiting in the lobby, takes hers after.
    boris.queue.SetAcceptedMessages(TNetCodeSet{}.set(dx_Game_SendHalf));
    clara.queue.SetAcceptedMessages(TNetCodeSet{});
    SendHalf(*anna.peer, sendUi);
    RunningGameIsAnother();
    PlayMode.GameMode = kNetworkClient;
    Net.ServerID = anna.Id();
    Game.CurrentGos = 2;
    ASSERT_TRUE(test::WaitFor([&] { return Net.AcceptHalfInf == 1; }));
    EXPECT_EQ(Game.mGos[2].Money, 2222);
    EXPECT_EQ(Bytes(Game.mGos[2]), Bytes(borisState));
    EXPECT_EQ(Net.ServerID, anna.Id());
    Net.GameRunning = 0;
    ASSERT_TRUE(test::WaitFor([&] { return clara.queue.Count() == 2; }));
    clara.queue.SetAcceptedMessages(LobbyMessages);
    EXPECT_EQ(clara.lobby.calls, (std::vector<std::string>{"waiting map", "info " + news}));
    EXPECT_TRUE(boris.lobby.calls.empty());
}

TEST_F(NetDispatch, LobbyMapReachesEveryOtherPeer) {
    TOwnerGrid sent{};
    MapToGrid(*Map, Game.MapSize, sent);
    SendMap(*anna.peer);                 // no game runs: the lobby map
    PlayMode.GameMode = kNetworkClient;  // as Boris and Clara see it
    ReplaceMap(nullptr);
    Game.GosCount = 2;
    Game.MapSize = 60;
    ASSERT_TRUE(test::WaitFor([&] { return !boris.lobby.calls.empty() && !clara.lobby.calls.empty(); }));
    test::Pump();
    EXPECT_EQ(boris.lobby.calls, std::vector<std::string>{"lobby map"});
    EXPECT_EQ(clara.lobby.calls, std::vector<std::string>{"lobby map"});
    EXPECT_TRUE(anna.lobby.calls.empty());
    EXPECT_EQ(Game.GosCount, 4);
    EXPECT_EQ(Game.MapSize, 50);
    ASSERT_NE(Map, nullptr);
    TOwnerGrid got{};
    MapToGrid(*Map, Game.MapSize, got);
    EXPECT_TRUE(got == sent);
}

TEST_F(NetDispatch, ServerRightGoesToTheLastRemotePlayer) {
    PlayMode.GameMode = kNetworkClient;
    SendServerRight(*anna.peer);
    ASSERT_TRUE(test::WaitFor([&] { return !clara.lobby.calls.empty(); }));
    EXPECT_EQ(clara.lobby.calls, std::vector<std::string>{"server"});
    EXPECT_EQ(PlayMode.GameMode, 1);
    EXPECT_TRUE(boris.lobby.calls.empty());
}

TEST_F(NetDispatch, ReadyEverywhereMakesTheServerLoadTheGame) {
    anna.lobby.allReady = true;
    SendStartNewGame(*boris.peer, true);
    EXPECT_EQ(boris.lobby.calls, std::vector<std::string>{"ready boris 1 3"});  // its own comes back at once
    boris.queue.SetAcceptedMessages(TNetCodeSet{});
    ASSERT_TRUE(test::WaitFor([&] { return boris.queue.Holds(dx_Connect_LoadGame); }));
    EXPECT_EQ(anna.lobby.calls, std::vector<std::string>{"ready boris 1 3"});
    PlayMode.GameMode = kNetworkClient;  // as Boris sees it
    boris.queue.SetAcceptedMessages(LobbyMessages);
    EXPECT_EQ(boris.lobby.calls.back(), "all ready 3");
}

TEST_F(NetDispatch, ClientStateWithoutAServerSaysSo) {
    Net.ServerID = 0;
    SendClientInf(*boris.peer, sendUi);
    EXPECT_EQ(Net.ServerLost, 1);
    EXPECT_EQ(sendUi.calls, std::vector<std::string>{"server not found"});
}

// Updates that would break the server's game are refused, each noted once in
// its log, and the game stays as it was.
TEST_F(NetDispatch, RefusedUpdatesLeaveTheGameAndAreNotedOnce) {
    Game.CurrentGos = 2;
    TNetMessage badTotal = MakeClientInf();
    ++badTotal[256 + offsetof(TGosRec, Soldiers)];
    TOwnerGrid grid{};
    MapToGrid(*Map, Game.MapSize, grid);
    Game.CurrentGos = 1;
    Net.GameRunning = 1;
    const struct {
        const char* what;
        TNetMessage message;
        const char* noted;
    } cases[] = {
        {"client state whose army does not add up", badTotal,
         "message 12 (client state) from boris refused: mGos[2].Soldiers="},
        {"lobby map while a game runs", MakeMapMessage(dx_Connect_SendMap, 2, 60, grid),
         "message 3 (lobby map) from boris refused: not taken while a game runs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = Tables();
        testing::internal::CaptureStderr();
        DispatchNetMessage(Item(boris.Id(), c.message), anna.loop, anna.lobby);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(Tables() == before);
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_NE(log.find(c.noted), std::string::npos) << log;
    }
    EXPECT_TRUE(anna.lobby.calls.empty());
}

}  // namespace
}  // namespace kordalt

namespace kordalt {
namespace {

// Messages a peer may not send, or not now: each is refused and noted once,
// and the receiver's game, role and lobby stay as they were. Anna serves the
// game; Boris and Clara are clients that know her as their server.
TEST_F(NetDispatch, HostileMessagesAreRefused) {
    // Boris's record for Anna's state, rich and his.
    Game.CurrentGos = 1;
    const TGosRec annas = Game.mGos[1];
    Game.mGos[1].Money = 1000000000;
    Game.mGos[1].Player = boris.Id();
    const TNetMessage annasStateAsBoris = MakeClientInf();
    Game.mGos[1] = annas;
    // Clara's record for Boris's state, given to the computer and emptied.
    Game.CurrentGos = 2;
    Game.mGos[2].Money = 500;
    const TGosRec boriss = Game.mGos[2];
    Game.mGos[2].Player = 0;
    Game.mGos[2].Money = 0;
    const TNetMessage borissStateToComputer = MakeClientInf();
    Game.mGos[2] = boriss;
    Game.CurrentGos = 1;
    const TNetMessage borisServes = MakeFullInf(boris.Id(), 3);
    const TNetMessage claraServes = MakeFullInf(clara.Id(), 3);
    Game.Year = 6;
    const TNetMessage borisResult = MakeHalfInf(3);
    Game.Year = 5;
    // Anna's map with states 1 and 2 swapped.
    TOwnerGrid owners{};
    MapToGrid(*Map, Game.MapSize, owners);
    for (uint8_t& owner : owners) owner = owner == 1 ? 2 : owner == 2 ? 1 : owner;
    const TNetMessage borissMap = MakeMapMessage(dx_Game_SendMapForWaiting, 4, 50, owners);

    enum Role { kAtServer, kAtClient };
    const struct {
        const char* what;
        Role at;
        bool running;
        uint32_t from;  // 1 boris, 2 clara
        TNetMessage message;
        const char* noted;
    } cases[] = {
        {"a client's record for the server's state", kAtServer, true, 1, annasStateAsBoris,
         "message 12 (client state) from boris refused: client state 1 of another player"},
        {"a client's record for another client's state", kAtServer, true, 2, borissStateToComputer,
         "message 12 (client state) from clara refused: client state 2 of another player"},
        {"a client's record at a client", kAtClient, true, 1, annasStateAsBoris,
         "refused: this peer is not the server"},
        {"a client's full state naming itself, at the server", kAtServer, true, 1, borisServes,
         "message 10 (full state) from boris refused: this peer is the server"},
        {"a client's full state naming itself, at a client", kAtClient, true, 1, borisServes,
         "message 10 (full state) from boris refused: the sender is not the game's server"},
        {"a client's full state naming the receiver while the server plays on", kAtClient, true, 1,
         claraServes, "message 10 (full state) from boris refused: the sender is not the game's server"},
        {"a client's year result", kAtClient, true, 1, borisResult,
         "message 11 (year result) from boris refused: the sender is not the game's server"},
        {"a client's close all, at a client", kAtClient, true, 2, MakeValueMessage(dx_Game_CloseAll, 1),
         "message 15 (game closed) from clara refused: the sender is not the game's server"},
        {"a client's close all, at the server", kAtServer, true, 2, MakeValueMessage(dx_Game_CloseAll, 1),
         "refused: this peer is the server"},
        {"the server role during a game", kAtClient, true, 1, MakeValueMessage(dx_Connect_ServerRight, 1),
         "message 5 (server role) from boris refused: not taken while a game runs"},
        {"the server role from a client in the lobby", kAtClient, false, 1,
         MakeValueMessage(dx_Connect_ServerRight, 1),
         "message 5 (server role) from boris refused: the sender is not the lobby's server"},
        {"the server role at the server", kAtServer, false, 1, MakeValueMessage(dx_Connect_ServerRight, 1),
         "refused: this peer is the server"},
        {"everyone ready during a game", kAtClient, true, 2, MakeValueMessage(dx_Connect_LoadGame, 1),
         "message 4 (everyone ready) from clara refused: not taken while a game runs"},
        {"everyone ready from a client in the lobby", kAtClient, false, 2,
         MakeValueMessage(dx_Connect_LoadGame, 1),
         "message 4 (everyone ready) from clara refused: the sender is not the lobby's server"},
        {"an end of turn in the lobby", kAtClient, false, 1, MakeValueMessage(dx_Game_EndOfTurn, 1),
         "message 13 (end of turn) from boris refused: not taken in the lobby"},
        {"a client's map for waiting players, at a waiting client", kAtClient, false, 1, borissMap,
         "message 16 (map for a waiting player) from boris refused: the sender is not the lobby's server"},
        {"a client's map for waiting players, at the server", kAtServer, false, 2, borissMap,
         "message 16 (map for a waiting player) from clara refused: this peer is the server"},
    };
    const uint32_t ids[] = {0, boris.Id(), clara.Id()};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayMode.GameMode = c.at == kAtServer ? kServer : kNetworkClient;
        Net = TNetGame{};
        Net.GameRunning = c.running ? 1 : 0;
        Net.ServerID = c.at == kAtServer ? 0 : anna.Id();
        const std::string before = Tables();
        testing::internal::CaptureStderr();
        DispatchNetMessage(Item(ids[c.from], c.message), (c.at == kAtServer ? anna : clara).loop, anna.lobby);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(Tables() == before);
        EXPECT_EQ(PlayMode.GameMode, c.at == kAtServer ? kServer : kNetworkClient);
        EXPECT_EQ(Net.ServerID, c.at == kAtServer ? 0 : anna.Id());
        EXPECT_EQ(Net.ExitGame, TExitGame::None);
        EXPECT_EQ(Net.AcceptFullInf + Net.AcceptHalfInf, 0);
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_NE(log.find(c.noted), std::string::npos) << log;
    }
    EXPECT_TRUE(anna.lobby.calls.empty());
}

}  // namespace
}  // namespace kordalt
