// The computer's move of a year: it plays every state without a human player
// and every state whose player passed.
#pragma once

#include <cstdint>

namespace kordalt {

// True when the computer plays the state this year.
bool ComputerPlays(uint8_t gos);

// Runs after the humans' turns and before the statistics and the battles.
void ComputerTurn();

}  // namespace kordalt
