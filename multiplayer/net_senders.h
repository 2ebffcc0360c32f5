// The senders of the network message set, each through the session component.
#pragma once

#include <cstdint>
#include <string>

#include "multiplayer/net_messages.h"
#include "session/peer_play.h"

namespace kordalt {

// What the senders show.
class INetSendUi {
public:
    // The sending notice, shown while a large message is built and sent.
    virtual void ShowSendingNotice(bool visible) = 0;
    // Says "Error. Server not found." and closes the waiting window.
    virtual void ServerNotFound() = 0;
    // The year's result is about to go to one more player; tests stop a server here.
    virtual void SendingResult() {}

protected:
    ~INetSendUi() = default;
};

void SendAllMessage(TCustomPeerPlay& peer, const std::string& text, uint32_t colour);
void SendStartNewGame(TCustomPeerPlay& peer, bool ready);
void SendTurnDelay(TCustomPeerPlay& peer, int minutes);
// The map to all others: code 16 while a game runs, else 3.
void SendMap(TCustomPeerPlay& peer);
void SendAllLoadGame(TCustomPeerPlay& peer);
void SendServerRight(TCustomPeerPlay& peer);
// To `target` (who becomes server), or with 0 to every other living state's player.
void SendFull(TCustomPeerPlay& peer, INetSendUi& ui, uint32_t target);
void SendHalf(TCustomPeerPlay& peer, INetSendUi& ui);
// The year's result: the full snapshot (this peer the server) to the player of
// every state held by a player, alive or not, then the map and the news, so
// that every peer holds the whole state.
void SendYearResult(TCustomPeerPlay& peer, INetSendUi& ui);
// A full snapshot made earlier, naming `serverId` the server, to `to` only.
void SendKeptFull(TCustomPeerPlay& peer, uint32_t to, TNetMessage full, uint32_t serverId);
void SendInfoForWaiting(TCustomPeerPlay& peer);
void SendClientInf(TCustomPeerPlay& peer, INetSendUi& ui);
// The end-of-turn mark carries the year of the turn.
void SendEndOfTurn(TCustomPeerPlay& peer);
// The end-of-turn mark again, to the server only.
void SendEndOfTurnTo(TCustomPeerPlay& peer, uint32_t serverId);
void SendExit(TCustomPeerPlay& peer);
void SendCloseGame(TCustomPeerPlay& peer);

// The text of message 17: the year and, when there were battles, the chronicle.
std::string WaitingInfoText();

}  // namespace kordalt
