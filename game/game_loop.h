// The local game's year loop (hot seat) and the end-of-game test shared with
// the network loop.
#pragma once

#include <cstdint>

namespace kordalt {

// 1 while the main game screen shows a human's turn.
extern uint8_t TurnShown;
// Minutes of the current turn, counted by the main game screen.
extern int32_t TurnMinutes;

// Plays years until GameOver; the first year skips the humans before ResumeHuman.
void GameLoop();

// The owner of every square of the map, 0 when the map is split.
uint8_t SoleOwner();

// True when the game has ended: one state owns the whole map, no human state
// lives, or Year has reached 120 (a draw). Shows the end messages.
bool GameOver();

}  // namespace kordalt
