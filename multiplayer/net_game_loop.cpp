#include "multiplayer/net_game_loop.h"

#include "game/battle.h"
#include "game/computer_player.h"
#include "game/economy.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/player_actions.h"
#include "game/rules_data.h"
#include "game/seats.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_messages.h"
#include "multiplayer/net_queue.h"
#include "multiplayer/net_senders.h"
#include "platform/ansi_text.h"
#include "platform/arith.h"
#include "platform/cp1251.h"

namespace kordalt {

namespace {

uint32_t OwnId(const TCustomPeerPlay& peer) { return peer.LocalPlayer() ? peer.LocalPlayer()->ID : 0; }

bool IsHuman(const TGosRec& g) { return g.Player != 0 && g.Alive != 0; }

// The first human state other than `except`; 0 when none.
uint8_t FirstHumanState(uint8_t except) {
    for (int i = 1; i <= Game.GosCount; ++i)
        if (i != except && IsHuman(Game.mGos[i])) return static_cast<uint8_t>(i);
    return 0;
}

// The server's computation of the year, as in the local game.
void ComputeNetYear() {
    ComputeYearSteps();
    CheckGameState(Cp("Проверка в конце после зар. платы и графиков:"));
    BeginNextYear();
}

std::vector<std::string> HumanNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player != 0 && Game.mGos[i].Alive == 1)
            names.push_back(Game.mGos[i].PlayerName.Str());
    return names;
}

// The server leaves with the main screen's exit.
void ServerQuits(TCustomPeerPlay& peer, INetLoopUi& ui, INetSendUi& sendUi) {
    if (CountHumanStates() > 1) {
        if (ui.AskOthersContinue()) {
            SendFull(peer, sendUi, Game.mGos[FirstHumanState(Game.CurrentGos)].Player);
            PlayMode.GameMode = kNetworkClient;
            SendExit(peer);
        } else {
            SendCloseGame(peer);
            Net.ExitGame = TExitGame::ClosedByServer;
        }
        return;
    }
    SendExit(peer);
}

// The player of a living state with the highest id among the session's
// players; 0 when none. Every peer holds the same states and finds the same one.
uint32_t HeirOfServer(TCustomPeerPlay& peer) {
    uint32_t heir = 0;
    for (int i = 1; i <= Game.GosCount; ++i) {
        const uint32_t id = Game.mGos[i].Player;
        if (IsHuman(Game.mGos[i]) && id > heir && peer.Players().IndexOf(id) >= 0) heir = id;
    }
    return heir;
}

// False when the game is over for this peer; a game that cannot go on says so once.
bool GameGoesOn(INetLoopUi& ui) {
    if (Net.ExitGame == TExitGame::None) return true;
    if (Net.ExitGame == TExitGame::ServerGone || Net.ExitGame == TExitGame::SessionLost) {
        Net.ServerLost = 1;
        ui.GameLost(Net.FullStateHeld != 0 || PlayMode.GameMode == kServer);
    }
    return false;
}

}  // namespace

int CountHumanStates() {
    int n = 0;
    for (int i = 1; i <= Game.GosCount; ++i) n += IsHuman(Game.mGos[i]) ? 1 : 0;
    return n;
}

bool DealNetStates(TCustomPeerPlay& peer) {
    std::vector<TSeatedPlayer> players;
    for (int k = 0; k < peer.Players().Count(); ++k)
        players.push_back({peer.Players().GetItem(k).ID, peer.Players().GetItem(k).Name});
    return DealStatesAtRandom(players);
}

int SeatSessionPlayers(TCustomPeerPlay& peer) {
    UnseatPlayers();
    int seated = 0;
    for (int p = 0; p < peer.Players().Count(); ++p) {
        const TPeerPlayPlayer& player = peer.Players().GetItem(p);
        for (int i = 1; i <= Game.GosCount; ++i)
            if (AnsiSameText(Game.mGos[i].PlayerName.Str(), player.Name) &&
                SeatPlayer(static_cast<uint8_t>(i), player.ID)) {
                ++seated;
                break;
            }
    }
    return seated;
}

void KeepYearMessagesForTheRun(TNetQueue& queue, bool everyoneReady) {
    if (!everyoneReady) queue.DropMessages(YearMessages);
}

void EnterNetLobby(TNetQueue& queue) {
    // A lobby entered after a game keeps its server; a new session's lobby learns it.
    if (!Net.GameRunning) Net.ServerID = 0;
    Net.GameRunning = 0;
    queue.SetAcceptedMessages(LobbyMessages);
}

bool YearArrived() { return Net.AcceptHalfInf == 1 || Net.AcceptFullInf == 1; }

bool ClientWaitDone() { return YearArrived() || PlayMode.GameMode == kServer; }

bool YearResultWaiting(const TNetQueue& queue) {
    return PlayMode.GameMode == kNetworkClient && queue.Holds(dx_Game_SendFull);
}

std::vector<std::string> FinishedPlayerNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= Game.GosCount; ++i) {
        const TGosRec& g = Game.mGos[i];
        if (IsHuman(g) && g.CapturedThisTurn == kEndOfTurnMark) names.push_back(g.PlayerName.Str());
    }
    return names;
}

bool AllHumansFinished() {
    for (int i = 1; i <= Game.GosCount; ++i) {
        const TGosRec& g = Game.mGos[i];
        if (IsHuman(g) && g.CapturedThisTurn != kEndOfTurnMark) return false;
    }
    return true;
}

void GiveAbsentPlayersStatesToComputer(TCustomPeerPlay& peer) {
    for (int i = 1; i <= Game.GosCount; ++i) {
        const uint32_t id = Game.mGos[i].Player;
        if (id != 0 && peer.Players().IndexOf(id) < 0) GiveStatesToComputer(id);
    }
}

TNetYearLoop::TNetYearLoop(TCustomPeerPlay& peer, TNetQueue& queue, INetSendUi& sendUi)
    : peer_(peer), queue_(queue), sendUi_(sendUi) {}

void TNetYearLoop::StartRun() {
    Net.AcceptFullInf = 0;
    Net.AcceptHalfInf = 0;
    Net.FullStateHeld = 0;
    Net.ServerID = 0;
    Net.TurnsPlayed = 0;
    turnEnded_ = false;
    keptResult_.clear();
    ForgetReports();
    leftSinceResult_ = false;
    Net.GameRunning = 1;
    queue_.SetAcceptedMessages(AllMessageCodes);
}

void TNetYearLoop::ServerHandsOver() {
    Net.ServerHandedOver = 1;
    lastLeaveOrHandOver_ = std::chrono::steady_clock::now();
}

bool TNetYearLoop::NoResultCanCome() const {
    if (!Net.GameRunning || Net.ExitGame != TExitGame::None || PlayMode.GameMode != kNetworkClient ||
        YearArrived())
        return false;
    if (Net.ServerHandedOver)
        return leftSinceResult_ && std::chrono::steady_clock::now() - lastLeaveOrHandOver_ >= kHeirGrace;
    if (Net.ServerID == 0) return peer_.Players().Count() <= 1;
    return peer_.Players().IndexOf(Net.ServerID) < 0 && !queue_.Holds(dx_Game_SendFull, Net.ServerID);
}

void TNetYearLoop::LoseTheGameWhenNoResultCanCome() const {
    if (NoResultCanCome()) Net.ExitGame = TExitGame::ServerGone;
}

bool TNetYearLoop::OthersWaitDone() const {
    if (PlayMode.GameMode == kServer && YearArrived()) return true;
    return (AllHumansFinished() && !ReportsAwaited()) || YearResultWaiting(queue_);
}

void TNetYearLoop::ForgetReports() {
    reported_.clear();
    awaitedReports_.clear();
}

// The own turn: results stay queued, but the heir of a dead server takes the
// survivors' reports meanwhile.
TNetCodeSet TNetYearLoop::TurnGate() const {
    TNetCodeSet gate = LocalTurnMessages;
    if (!awaitedReports_.empty()) gate.set(dx_Game_SendFull);
    return gate;
}

void TNetYearLoop::KeepYearResult(uint32_t serverId) {
    keptResult_ = MakeFullInf(serverId, static_cast<uint8_t>(PlayMode.TurnMinutes));
}

// The heir of a dead server awaits the word of every other survivor.
void TNetYearLoop::AwaitSurvivors() {
    for (int i = 1; i <= Game.GosCount; ++i) {
        const uint32_t id = Game.mGos[i].Player;
        if (i != Game.CurrentGos && IsHuman(Game.mGos[i]) && id != OwnId(peer_) &&
            peer_.Players().IndexOf(id) >= 0 && !reported_.contains(id))
            awaitedReports_.insert(id);
    }
    if (!awaitedReports_.empty() && !queue_.AcceptedMessages.test(dx_Game_SendFull))
        queue_.SetAcceptedMessages(TurnGate());
}

// After the own turn: wait for the others; the server computes the year.
// False when the game is over for this peer.
bool TNetYearLoop::FinishYear(INetLoopUi& ui, TTurnResult result) {
    ui.WaitForOthers(HumanNames());
    // The heir of a dead server learnt of a later year than its own: it goes on from there.
    if (Net.ExitGame == TExitGame::None && PlayMode.GameMode == kServer && YearArrived()) return true;
    if (Map) Map->SnapshotOwners();
    if (PlayMode.GameMode == kNetworkClient) ClearCaptureCounts();
    if (!GameGoesOn(ui)) return false;
    ClearYearReport();
    if (PlayMode.GameMode == kServer) {
        ForgetReports();
        ComputeNetYear();
        if (Game.mGos[Game.CurrentGos].Alive == 0) {
            const uint8_t heir = FirstHumanState(0);
            if (Game.Year < YearCount && heir != 0) {
                SendFull(peer_, sendUi_, Game.mGos[heir].Player);
                PlayMode.GameMode = kNetworkClient;
                // The others await the heir's result, also when this peer leaves the session.
                SendExit(peer_);
            } else {
                SendYearResult(peer_, sendUi_);
            }
            ui.ShowDefeat(Game.CurrentGos);
            return false;
        }
    }
    if (result == TTurnResult::Quit) {
        if (PlayMode.GameMode == kServer)
            ServerQuits(peer_, ui, sendUi_);
        else
            SendExit(peer_);
        return false;
    }
    if (!GameOver()) return true;
    // The others see the end from the final result.
    if (PlayMode.GameMode == kServer) SendYearResult(peer_, sendUi_);
    return false;
}

void TNetYearLoop::GameServerLeft(uint32_t playerId) {
    awaitedReports_.erase(playerId);
    if (Net.GameRunning && playerId != Net.ServerID) {
        leftSinceResult_ = true;
        lastLeaveOrHandOver_ = std::chrono::steady_clock::now();
    }
    if (!Net.GameRunning) {
        // The lobby's server left, having given its role to another: he is learned anew.
        if (playerId == Net.ServerID) Net.ServerID = 0;
        return;
    }
    // A peer whose game is over, or whom the others dropped, never takes the role.
    if (Net.ExitGame != TExitGame::None || !peer_.Opened() || PlayMode.GameMode != kNetworkClient ||
        playerId != Net.ServerID || Net.ServerHandedOver)
        return;
    // Its last result is taken first; the loop comes back here then.
    if (queue_.Holds(dx_Game_SendFull, playerId)) return;
    const uint32_t heir = HeirOfServer(peer_);
    if (Net.FullStateHeld == 0 || heir == 0) {
        Net.ExitGame = TExitGame::ServerGone;
        return;
    }
    Net.ServerID = heir;
    if (heir == OwnId(peer_)) {
        // The others' marks may have come without their data: they send both again.
        PlayMode.GameMode = kServer;
        ClearEndOfTurnMarks(Game.CurrentGos);
        AwaitSurvivors();
        return;
    }
    if (!keptResult_.empty()) SendKeptFull(peer_, heir, keptResult_, heir);
    if (turnEnded_) {
        SendClientInf(peer_, sendUi_);
        SendEndOfTurnTo(peer_, heir);
    }
}

void TNetYearLoop::TakeYearReport(uint32_t senderId, uint8_t year) {
    if (!Net.GameRunning || senderId == OwnId(peer_)) return;
    reported_.insert(senderId);
    awaitedReports_.erase(senderId);
    if (year < Game.Year && !keptResult_.empty()) SendKeptFull(peer_, senderId, keptResult_, OwnId(peer_));
}

void TNetYearLoop::Play(INetLoopUi& ui) {
    Net.ExitGame = TExitGame::None;
    turnEnded_ = false;
    ClearEndOfTurnMarks(0);
    if (PlayMode.GameMode != kServer && PlayMode.GameMode != kNetworkClient) return;
    ui.BeginNetGame();
    const uint32_t ownId = OwnId(peer_);
    for (;;) {
        queue_.SetAcceptedMessages(TurnTopMessages);
        if (PlayMode.GameMode == kNetworkClient) {
            ui.WaitForYear();
            if (!GameGoesOn(ui)) return;
            if (!YearArrived()) {
                if (PlayMode.GameMode != kServer || Net.FullStateHeld == 0) return;
                // The server fell after this peer's turn: it finishes the year as the new server.
                queue_.SetAcceptedMessages(TurnGate());
                MarkEndOfTurn(Game.CurrentGos);
                if (!FinishYear(ui, TTurnResult::Next)) return;
                continue;
            }
        }
        SelectPlayersState(ownId);
        if (Game.CurrentGos < 1 || Game.CurrentGos > Game.GosCount) return;
        if (PlayMode.GameMode == kServer) {
            if (Net.TurnsPlayed == 0)
                SendFull(peer_, sendUi_, 0);
            else
                SendYearResult(peer_, sendUi_);
        }
        KeepYearResult(PlayMode.GameMode == kServer ? ownId : Net.ServerID);
        Net.AcceptFullInf = 0;
        Net.AcceptHalfInf = 0;
        leftSinceResult_ = false;
        // The battles' counts of the other humans would read as end-of-turn
        // marks; the marks themselves are still held back by the gate.
        ClearEndOfTurnMarks(Game.CurrentGos);
        const TGosRec& own = Game.mGos[Game.CurrentGos];
        if (own.Alive == 0) {
            ui.ShowDefeat(Game.CurrentGos);
            GameOver();
            return;
        }
        if (GameOver()) return;
        // The server left after sending this result: its role passes on now.
        if (PlayMode.GameMode == kNetworkClient && peer_.Players().IndexOf(Net.ServerID) < 0) {
            GameServerLeft(Net.ServerID);
            if (!GameGoesOn(ui)) return;
        }
        MergeTroopTypes(Game.mGos[Game.CurrentGos]);
        queue_.SetAcceptedMessages(TurnGate());
        turnEnded_ = false;
        PlayMode.TurnShown = 1;
        const TTurnResult result = ui.PlayTurn();
        PlayMode.TurnShown = 0;
        ++Net.TurnsPlayed;
        ApplyTurnResult(Game.CurrentGos, result);
        if (PlayMode.GameMode == kNetworkClient) {
            SendClientInf(peer_, sendUi_);
            if (Net.ServerLost) return;
        }
        SendEndOfTurn(peer_);
        turnEnded_ = true;
        if (!FinishYear(ui, result)) return;
    }
}

}  // namespace kordalt
