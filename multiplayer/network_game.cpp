#include "multiplayer/network_game.h"

#include "game/play_mode.h"
#include "game/seats.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"

namespace kordalt {

TNetworkGame::TNetworkGame(std::unique_ptr<TCustomPeerPlay> peer, INetSessionUi& session, INetLobbyUi& lobby,
                           INetSendUi& send)
    : peer_(std::move(peer)),
      session_(session),
      lobby_(lobby),
      send_(send),
      queue_([this](const NetQueueItem& item) { DispatchNetMessage(item, loop_, lobby_); },
             [this](const std::string& text) { session_.ShowNetError(text); }),
      loop_(*peer_, queue_, send_) {
    peer_->SetGUID(kGameSessionGuid);
    peer_->MaxPlayers = kGameMaxPlayers;
    peer_->OnOpen = [this](TCustomPeerPlay&) { Opened(); };
    peer_->OnClose = [this](TCustomPeerPlay&) { Closed(); };
    peer_->OnAddPlayer = [this](TCustomPeerPlay&, TPeerPlayPlayer& p) { session_.PlayerJoined(p); };
    peer_->OnDeletePlayer = [this](TCustomPeerPlay&, TPeerPlayPlayer& p) { PlayerLeft(p); };
    peer_->OnSessionLost = [this](TCustomPeerPlay&) { SessionLost(); };
    peer_->OnMessage = [this](TCustomPeerPlay&, TPeerPlayPlayer& from, const void* data, int32_t size) {
        queue_.PeerPlayMessage(from.ID, data, size);
    };
}

TNetworkGame::~TNetworkGame() {
    peer_->OnOpen = nullptr;
    peer_->OnClose = nullptr;
    peer_->OnAddPlayer = nullptr;
    peer_->OnDeletePlayer = nullptr;
    peer_->OnSessionLost = nullptr;
    peer_->OnMessage = nullptr;
    peer_->Close();
}

void TNetworkGame::Opened() {
    queue_.ClearNetQueue();
    EnterNetLobby(queue_);
    Net.ServerLost = 0;
    PlayMode.GameMode = peer_->Players().Count() == 1 ? kServer : kNetworkClient;
    session_.SessionOpened();
}

void TNetworkGame::Closed() {
    queue_.ClearNetQueue();
    session_.SessionClosed();
}

void TNetworkGame::PlayerLeft(TPeerPlayPlayer& player) {
    session_.PlayerLeft(player);
    GiveStatesToComputer(player.ID);
    const uint8_t mode = PlayMode.GameMode;
    loop_.GameServerLeft(player.ID);
    if (mode != kServer && PlayMode.GameMode == kServer) session_.TookOverServer();
}

void TNetworkGame::SessionLost() {
    session_.SessionLost();
    Net.ExitGame = TExitGame::SessionLost;
}

void TNetworkGame::RunGame(const std::function<void()>& playYears) {
    loop_.StartRun();
    playYears();
    EnterNetLobby(queue_);
}

void TNetworkGame::PlayYears(INetLoopUi& ui) { loop_.Play(ui); }

}  // namespace kordalt
