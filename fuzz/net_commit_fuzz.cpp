// The commit path of the network game's update messages: a full snapshot, a
// client's state, a year result or a map, made from a game in progress with
// byte patches, pass the incoming queue and the dispatcher of a server that
// holds the game. An accepted update must play a year on the server without
// failing the self-test (a year result: the client's own state must pass it);
// a refused one must leave the game as it was.
#include "fuzz/game_fuzz_common.h"
#include "game/validate.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_dispatch.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_game_loop.h"
#include "multiplayer/net_messages.h"
#include "multiplayer/net_queue.h"
#include "multiplayer/net_senders.h"
#include "session/peer_play.h"
#include "tests/multiplayer/silent_lobby.h"

using namespace kordalt;

namespace {

constexpr uint32_t kServerId = 100, kClientId = 102;
constexpr uint8_t kClientState = 2;

class TNoUiThread final : public IUiThread {
public:
    void Post(std::function<void()>) override {}
    void ShowException(std::exception_ptr) override {}
};

class TNoSendUi final : public INetSendUi {
public:
    void ShowSendingNotice(bool) override {}
    void ServerNotFound() override {}
};

// The server's side: the game with three network players, the session's
// player list and the incoming queue.
struct TServer {
    TServer() : peer(uiThread) {
        for (uint32_t id : {kServerId, kServerId + 1, kClientId}) {
            TPeerPlayPlayer& p = peer.Players().Add();
            p.ID = id;
            p.Name = "P" + std::to_string(id);
        }
        for (int i = 1; i <= 3; ++i) start.state.mGos[i].Player = kServerId + static_cast<uint32_t>(i) - 1;
        start.Restore();
        queue.SetAcceptedMessages(AllMessageCodes);
        // The messages as the peers would send them.
        Game.CurrentGos = kClientState;
        messages.push_back(MakeClientInf());
        messages.push_back(MakeHalfInf(kClientState));
        messages.push_back(MakeFullInf(0, 2));
        TOwnerGrid grid{};
        MapToGrid(*Map, Game.MapSize, grid);
        messages.push_back(MakeMapMessage(dx_Connect_SendMap, Game.GosCount, Game.MapSize, grid));
    }

    fuzz::TGameInProgress start;
    TNoUiThread uiThread;
    TCustomPeerPlay peer;
    test::SilentLobby lobby;
    TNoSendUi sendUi;
    TNetQueue queue{[this](const NetQueueItem& item) { DispatchNetMessage(item, loop, lobby); }, nullptr};
    TNetYearLoop loop{peer, queue, sendUi};
    std::vector<TNetMessage> messages;
};

TServer& Server() {
    static TServer server;
    return server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    TServer& server = Server();
    server.start.Restore();
    const size_t kind = data[0] % server.messages.size();
    TNetMessage m = server.messages[kind];
    fuzz::ApplyPatches(m, data + 1, size - 1);
    const bool yearResult = NetMessageCode(m) == dx_Game_SendHalf;
    // A year result goes to a client; everything else here to the server.
    PlayMode.GameMode = yearResult ? kNetworkClient : kServer;
    Net.GameRunning = 1;
    Game.CurrentGos = yearResult ? kClientState : 1;
    Net.AcceptFullInf = Net.AcceptHalfInf = 0;
    const std::string before = fuzz::StateBytes();
    server.queue.PeerPlayMessage(yearResult ? kServerId : kClientId, m.data(),
                                 static_cast<int32_t>(m.size()));
    server.queue.ClearNetQueue();
    const uint32_t code = NetMessageCode(m);
    const bool update = code == dx_Connect_SendMap || code == dx_Game_SendFull || code == dx_Game_SendHalf ||
                        code == dx_Game_SendClientInf || code == dx_Game_SendMapForWaiting;
    // A patched code may make a small message (an end of turn, a player who leaves): not an update.
    if (!update || fuzz::StateBytes() == before) return 0;
    const bool accepted = Net.AcceptFullInf || Net.AcceptHalfInf || code == dx_Game_SendClientInf;
    if (!accepted) {
        std::fprintf(stderr, "a refused message changed the game\n");
        std::abort();
    }
    if (yearResult) {
        if (!ValidateStateRecord(Game, kClientState)) std::abort();
        return 0;
    }
    PlayMode.GameMode = kServer;
    fuzz::PlayOneYear();
    return 0;
}
