// The year loop of a network game, run by every peer from the lobby: the
// server computes each year and sends the result, clients play and wait.
#pragma once

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "game/game_windows.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_messages.h"
#include "session/peer_play.h"

namespace kordalt {

class INetSendUi;
class TNetQueue;

// States 1..GosCount with Player <> 0 and Alive <> 0.
int CountHumanStates();
// The server of a new game deals the states out at random to the session's
// players; false (nothing dealt) when there are fewer free states than players.
bool DealNetStates(TCustomPeerPlay& peer);
// A saved game loaded for the session: each session player, in list order,
// holds the first living state saved under his name (ignoring case); every
// other state is the computer's. The number of players seated.
int SeatSessionPlayers(TCustomPeerPlay& peer);
// While the lobby waits, a year's traffic belongs to the game about to start
// only once every player is ready; before that it is left over from a game
// this peer is no longer in, and is dropped.
void KeepYearMessagesForTheRun(TNetQueue& queue, bool everyoneReady);
// The lobby, on opening a session or after a game: no game runs, and a year's
// traffic is held for the game about to start. A new session's lobby knows no
// server until one acts as such.
void EnterNetLobby(TNetQueue& queue);
// A year result or a full snapshot was taken.
bool YearArrived();
// How long a client waits for the heir of a server that handed the game over,
// once a player who may have been that heir left the session.
constexpr std::chrono::seconds kHeirGrace{5};
// A client's wait for the year ends: the year arrived, or this peer became the server.
bool ClientWaitDone();
// A client's wait for the others ends early: the next year's result is already
// queued, so every human ended his turn.
bool YearResultWaiting(const TNetQueue& queue);
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
    // Client: waits until ClientWaitDone() or Net.ExitGame.
    virtual void WaitForYear() = 0;
    // The own turn of CurrentGos on the main game screen.
    virtual TTurnResult PlayTurn() = 0;
    // The humans' names are set; waits until every human ended his turn or Net.ExitGame.
    virtual void WaitForOthers(const std::vector<std::string>& humanNames) = 0;
    // The defeat screen of `gos`, then the charts.
    virtual void ShowDefeat(uint8_t gos) = 0;
    // The server leaves: true when the others go on without it.
    virtual bool AskOthersContinue() = 0;
    // The game cannot go on (Net.ExitGame says why): one message, and with
    // `canSave` an offer to save the state this peer holds.
    virtual void GameLost(bool canSave) = 0;

protected:
    ~INetLoopUi() = default;
};

// The states of every player who is no longer in the session are played by
// the computer from now on (GiveStatesToComputer).
void GiveAbsentPlayersStatesToComputer(TCustomPeerPlay& peer);

// The year loop of one network game over its session and queue, and what it
// keeps from one step to the next. The network game (TNetworkGame) holds one.
class TNetYearLoop {
public:
    TNetYearLoop(TCustomPeerPlay& peer, TNetQueue& queue, INetSendUi& sendUi);
    TNetYearLoop(const TNetYearLoop&) = delete;
    TNetYearLoop& operator=(const TNetYearLoop&) = delete;

    TCustomPeerPlay& Peer() const { return peer_; }

    // A game runs from the lobby: nothing taken yet and no turn played, then the
    // year traffic that came while the lobby was starting is taken.
    void StartRun();
    // The year loop; returns when the game is over for this peer.
    void Play(INetLoopUi& ui);

    // The game's server left the game naming an heir, whose result is awaited now.
    void ServerHandsOver();
    // A client awaits a result that nobody can send: the server it awaits is not
    // in the session and left nothing queued; or it knows none yet and is alone in
    // the session; or it awaits a hand-over's heir, a player left the session since
    // the year's result, and kHeirGrace passed since that and the hand-over.
    bool NoResultCanCome() const;
    // Then the game cannot go on: Net.ExitGame := TExitGame::ServerGone. The waits for the
    // year call it as they wait.
    void LoseTheGameWhenNoResultCanCome() const;
    // The heir of a dead server still awaits the year some survivor holds.
    bool ReportsAwaited() const { return !awaitedReports_.empty(); }
    // The wait for the others ends: every human ended his turn and every survivor
    // of a dead server said which year he holds; or a later year arrived.
    bool OthersWaitDone() const;

    // A session player left (his states are the computer's already). In the lobby,
    // when he was its server, the next one is learned anew. When he was
    // the server and left without handing the game over, the survivor holding the
    // living state with the highest player id (the one the session makes its host)
    // becomes the server. Every other survivor sends him the latest year result it
    // holds, and its turn again when it had ended it; the heir goes on from the
    // latest year any survivor holds and sends it to those who lack it. A result
    // the server sent before leaving is taken first: then this runs once it is.
    // Without a full state, Net.ExitGame := TExitGame::ServerGone.
    void GameServerLeft(uint32_t playerId);
    // A survivor's report to the heir: a full snapshot of `year` naming this peer
    // the server. One of an earlier year than this peer holds gets this peer's result.
    void TakeYearReport(uint32_t senderId, uint8_t year);

private:
    void ForgetReports();
    TNetCodeSet TurnGate() const;
    void KeepYearResult(uint32_t serverId);
    void AwaitSurvivors();
    bool FinishYear(INetLoopUi& ui, TTurnResult result);

    TCustomPeerPlay& peer_;
    TNetQueue& queue_;
    INetSendUi& sendUi_;
    // This peer ended its turn of the year and has not begun the next one.
    bool turnEnded_ = false;
    // The latest year result this peer took or sent, as the full snapshot it was.
    TNetMessage keptResult_;
    // Survivors of a dead server who told this peer, its heir, the year they hold;
    // and those whose word the heir still awaits.
    std::set<uint32_t> reported_;
    std::set<uint32_t> awaitedReports_;
    // A player left the session since this peer took the year's result; when the
    // latest such leaving or hand-over happened.
    bool leftSinceResult_ = false;
    std::chrono::steady_clock::time_point lastLeaveOrHandOver_;
};

}  // namespace kordalt
