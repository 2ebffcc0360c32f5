// Range checks of the game tables: every index, count and divisor field is
// checked before anything from a file or a peer is used.
#pragma once

#include <string>

#include "game/game_state.h"

namespace kordalt {

// Describes the first field out of range, or returns an empty text when all are valid.
std::string ValidateGameState(const GameState& s);

}  // namespace kordalt
