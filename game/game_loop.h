// The local game's year loop (hot seat) and the end-of-game test shared with
// the network loop.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "game/game_windows.h"
#include "game/play_mode.h"

namespace kordalt {

// Every front's soldiers of troop types 2 and up join type 1 (start of a human turn).
void MergeTroopTypes(TGosRec& g);
// The whole reserve to the home front, every front spread over troop types 1 to 3.
void DeployArmy(uint8_t gos);
// The end of `gos`'s turn: Next deploys its army and clears Passed, Pass sets it.
void ApplyTurnResult(uint8_t gos, TTurnResult result);
// No state carries a count of captures or an end-of-turn mark (CapturedThisTurn).
void ClearCaptureCounts();
// No state a human holds carries one, but `except` (0: none is spared).
void ClearEndOfTurnMarks(uint8_t except);
// The player of `gos` ended his turn of a network year.
void MarkEndOfTurn(uint8_t gos);
// The year's messages and battle chronicle have been shown: both are emptied.
void ClearYearReport();
// The year's computation is done: the next year begins.
void BeginNextYear();
// The computed part of a year: computer players, statistics, battles and the
// economy of every state, with the self-tests between the steps.
void ComputeYearSteps();

// Plays years until GameOver; the first year skips the humans before ResumeHuman.
void GameLoop();

// The owner of every square of the map, 0 when the map is split.
uint8_t SoleOwner();

// A network game is over: when more than one state is still in play, none is
// (nobody won).
void EndUndecidedGame();

// True when the game has ended: one state owns the whole map, no human state
// lives, or Year has reached 120 (a draw). Shows the end messages.
bool GameOver();

}  // namespace kordalt
