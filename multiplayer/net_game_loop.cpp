#include "multiplayer/net_game_loop.h"

#include "game/arith.h"
#include "game/battle.h"
#include "game/computer_player.h"
#include "game/economy.h"
#include "game/fronts.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_queue.h"
#include "multiplayer/net_senders.h"
#include "platform/cp1251.h"
#include "session/ansi_text.h"

namespace kordalt {

uint8_t TurnsPlayed = 0;

namespace {

constexpr uint8_t kServer = 1;

bool IsHuman(const TGosRec& g) { return g.Player != 0 && g.Alive != 0; }

// The state the own player holds (the last one when several); `fallback` when none.
uint8_t OwnState(uint32_t ownId, uint8_t fallback) {
    uint8_t gos = fallback;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player == ownId) gos = static_cast<uint8_t>(i);
    return gos;
}

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
    ++Game.Year;
}

std::vector<std::string> HumanNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player != 0 && Game.mGos[i].Alive == 1) names.push_back(Game.mGos[i].PlayerName.Str());
    return names;
}

// The server leaves with the main screen's exit.
void ServerQuits(TCustomPeerPlay& peer, INetLoopUi& ui, INetSendUi& sendUi) {
    if (CountHumanStates() > 1) {
        if (ui.AskOthersContinue()) {
            SendFull(peer, sendUi, Game.mGos[FirstHumanState(Game.CurrentGos)].Player);
            GameMode = kNetworkClient;
            SendExit(peer);
        } else {
            SendCloseGame(peer);
            ExitGame = 1;
        }
        return;
    }
    SendExit(peer);
}

}  // namespace

int CountHumanStates() {
    int n = 0;
    for (int i = 1; i <= Game.GosCount; ++i) n += IsHuman(Game.mGos[i]) ? 1 : 0;
    return n;
}

bool ClientWaitDone() { return AcceptHalfInf == 1 || AcceptFullInf == 1; }

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

void NetGameLoop(TCustomPeerPlay& peer, TNetQueue& queue, INetLoopUi& ui, INetSendUi& sendUi) {
    ExitGame = 0;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player != 0) Game.mGos[i].CapturedThisTurn = 0;
    if (GameMode != kServer && GameMode != kNetworkClient) return;
    ui.BeginNetGame();
    const uint32_t ownId = peer.LocalPlayer() ? peer.LocalPlayer()->ID : 0;
    for (;;) {
        queue.SetAcceptedMessages(TurnTopMessages);
        if (GameMode == kNetworkClient) ui.WaitForYear();
        Game.CurrentGos = OwnState(ownId, Game.CurrentGos);
        if (GameMode == kServer) {
            if (TurnsPlayed == 0) SendFull(peer, sendUi, 0);
            else SendHalf(peer, sendUi);
        }
        AcceptFullInf = 0;
        AcceptHalfInf = 0;
        // The battles' counts of the other humans would read as end-of-turn
        // marks; the marks themselves are still held back by the gate.
        for (int i = 1; i <= Game.GosCount; ++i)
            if (i != Game.CurrentGos && Game.mGos[i].Player != 0) Game.mGos[i].CapturedThisTurn = 0;
        TGosRec& own = Game.mGos[Game.CurrentGos];
        if (own.Alive == 0) {
            ui.ShowDefeat(Game.CurrentGos);
            GameOver();
            return;
        }
        if (GameOver()) return;
        MergeTroopTypes(own);
        queue.SetAcceptedMessages(LocalTurnMessages);
        TurnShown = 1;
        const TTurnResult result = ui.PlayTurn();
        TurnShown = 0;
        ++TurnsPlayed;
        if (result == TTurnResult::Next) {
            DeployArmy(Game.CurrentGos);
            own.Passed = 0;
        } else if (result == TTurnResult::Pass) {
            own.Passed = 1;
        }
        if (GameMode == kNetworkClient) SendClientInf(peer, sendUi);
        SendEndOfTurn(peer);
        ui.WaitForOthers(HumanNames());
        if (Map) Map->SnapshotOwners();
        if (GameMode == kNetworkClient)
            for (int i = 1; i <= Game.GosCount; ++i) Game.mGos[i].CapturedThisTurn = 0;
        if (ExitGame != 0) return;
        Messages.Clear();
        Game.BattleChronicle.clear();
        if (GameMode == kServer) {
            ComputeNetYear();
            if (own.Alive == 0) {
                const uint8_t heir = FirstHumanState(0);
                if (Game.Year < YearCount && heir != 0) {
                    SendFull(peer, sendUi, Game.mGos[heir].Player);
                    GameMode = kNetworkClient;
                } else {
                    SendHalf(peer, sendUi);
                }
                ui.ShowDefeat(Game.CurrentGos);
                return;
            }
        }
        if (result == TTurnResult::Quit) {
            if (GameMode == kServer) ServerQuits(peer, ui, sendUi);
            else SendExit(peer);
            return;
        }
        if (GameOver()) return;
    }
}

}  // namespace kordalt
