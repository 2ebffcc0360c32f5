// What a peer does with each message the incoming gate lets through.
#pragma once

#include <cstdint>
#include <string>

#include "multiplayer/net_queue.h"
#include "session/peer_play.h"

namespace kordalt {

class TNetYearLoop;

// The lobby and the chat, as the dispatcher reaches them.
class INetLobbyUi {
public:
    virtual void ShowChatMessage(const std::string& name, const std::string& text, uint32_t colour) = 0;
    // Rows 0..rows-1 of the player list whose text is `name` (ignoring case) take the mark.
    virtual void SetReadyMark(const std::string& name, bool ready, int rows) = 0;
    // Every row 0..rows-1 of the player list is marked.
    virtual bool AllReady(int rows) = 0;
    virtual void MarkAllReady(int rows) = 0;
    virtual void ShowTurnDelay(int minutes) = 0;
    // A lobby map arrived (Game.GosCount, Game.MapSize and Map are set): a client
    // draws it, and the ready switch is enabled, coloured and switched off.
    virtual void LobbyMapReceived() = 0;
    // This peer is the server now (GameMode is already 1).
    virtual void BecomeServer() = 0;
    // A map for a waiting peer arrived: it is drawn into the lobby.
    virtual void ShowMapForWaiting() = 0;
    // The client text pane is cleared and, when `text` is not empty, shows it.
    virtual void ShowWaitingInfo(const std::string& text) = 0;

protected:
    ~INetLobbyUi() = default;
};

// Acts on one message for the game of `loop`; a sender that is not a player of
// its session, a code never sent, and a message that is damaged or would make
// the game invalid change nothing.
void DispatchNetMessage(const NetQueueItem& item, TNetYearLoop& loop, INetLobbyUi& ui);

}  // namespace kordalt
