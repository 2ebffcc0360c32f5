// The network game of this peer: it owns the session component, the incoming
// queue with its dispatch and the year loop with what it keeps between steps.
// Windows, or the automatic player, observe it through the interfaces below.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "multiplayer/net_dispatch.h"
#include "multiplayer/net_game_loop.h"
#include "multiplayer/net_queue.h"
#include "multiplayer/net_senders.h"
#include "session/peer_play.h"

namespace kordalt {

// The session's events as the lobby shows them.
class INetSessionUi {
public:
    // The session opened: the lobby is entered and this peer's role is set.
    virtual void SessionOpened() = 0;
    // The session closed; the queue is empty.
    virtual void SessionClosed() {}
    virtual void PlayerJoined(const TPeerPlayPlayer& player) = 0;
    // A player left; then his states go to the computer and, when he was the
    // server, the game is handed over.
    virtual void PlayerLeft(const TPeerPlayPlayer& player) = 0;
    // This peer went on as the server of a game whose server left.
    virtual void TookOverServer() {}
    // The session was lost; then Net.ExitGame := TExitGame::SessionLost.
    virtual void SessionLost() {}
    // A damaged envelope, the first of its sender.
    virtual void ShowNetError(const std::string& text) = 0;

protected:
    ~INetSessionUi() = default;
};

class TNetworkGame {
public:
    TNetworkGame(std::unique_ptr<TCustomPeerPlay> peer, INetSessionUi& session, INetLobbyUi& lobby,
                 INetSendUi& send);
    // The session closes without telling anyone.
    ~TNetworkGame();
    TNetworkGame(const TNetworkGame&) = delete;
    TNetworkGame& operator=(const TNetworkGame&) = delete;

    TCustomPeerPlay& Peer() { return *peer_; }
    TNetQueue& Queue() { return queue_; }
    TNetYearLoop& YearLoop() { return loop_; }

    // A game runs from the lobby and this peer returns to it: `playYears`
    // plays the years (PlayYears with the windows of the game).
    void RunGame(const std::function<void()>& playYears);
    // The year loop of this peer, with `ui` showing it.
    void PlayYears(INetLoopUi& ui);
    void Run(INetLoopUi& ui) {
        RunGame([&] { PlayYears(ui); });
    }

private:
    void Opened();
    void Closed();
    void PlayerLeft(TPeerPlayPlayer& player);
    void SessionLost();

    std::unique_ptr<TCustomPeerPlay> peer_;
    INetSessionUi& session_;
    INetLobbyUi& lobby_;
    INetSendUi& send_;
    TNetQueue queue_;
    TNetYearLoop loop_;
};

}  // namespace kordalt
