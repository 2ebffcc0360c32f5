#pragma once

namespace kordalt {

// No map, no turn report, fresh tables, a local game.
void ResetGame();

}  // namespace kordalt
