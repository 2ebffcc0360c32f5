#include "game/game_state.h"

namespace kordalt {

GameState Game;
TSquares* Map = nullptr;

}  // namespace kordalt
