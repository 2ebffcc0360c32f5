// The year loop of a network game, run by every peer from the lobby: the
// server computes each year and sends the result, clients play and wait.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/game_windows.h"
#include "session/peer_play.h"

namespace kordalt {

class INetSendUi;
class TNetQueue;

// Turns played since the lobby started the game.
extern uint8_t TurnsPlayed;

// The end-of-turn mark that message 13 leaves in CapturedThisTurn.
constexpr uint16_t kEndOfTurnMark = 39;

// States 1..GosCount with Player <> 0 and Alive <> 0.
int CountHumanStates();
// A client's wait for the year ends: a year result or a full snapshot was taken.
bool ClientWaitDone();
// PlayerName of every living human state that carries the end-of-turn mark.
std::vector<std::string> FinishedPlayerNames();
// Every living human state carries the end-of-turn mark.
bool AllHumansFinished();

// The windows the loop shows; each wait and the turn are modal and dispatch
// the network messages that the gate lets through meanwhile.
class INetLoopUi {
public:
    // Before the first year: the main screen's first page, the charts' filter reset.
    virtual void BeginNetGame() = 0;
    // Client: waits until ClientWaitDone() or ExitGame.
    virtual void WaitForYear() = 0;
    // The own turn of CurrentGos on the main game screen.
    virtual TTurnResult PlayTurn() = 0;
    // The humans' names are set; waits until every human ended his turn or ExitGame.
    virtual void WaitForOthers(const std::vector<std::string>& humanNames) = 0;
    // The defeat screen of `gos`, then the charts.
    virtual void ShowDefeat(uint8_t gos) = 0;
    // The server leaves: true when the others go on without it.
    virtual bool AskOthersContinue() = 0;

protected:
    ~INetLoopUi() = default;
};

// The year loop; returns when the game is over for this peer.
void NetGameLoop(TCustomPeerPlay& peer, TNetQueue& queue, INetLoopUi& ui, INetSendUi& sendUi);

}  // namespace kordalt
