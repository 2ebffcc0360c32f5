// The game replaced by a checked one: from a network message, or the tables
// a loaded file brings.
#pragma once

#include <vector>

#include "game/game_state.h"
#include "game/owner_grid.h"
#include "game/turn_report.h"

namespace kordalt {

// The map from `grid`, `size` squares a side and `regions` states; the map of
// before stays when the grid is refused (EMapError). With `snapshot` its
// owners are the year's first, else the owners of before stay for highlighting.
void CommitMap(const TOwnerGrid& grid, int size, int regions, bool snapshot);
// A lobby's map: the map, and the game's number of states and side with it.
void CommitLobbyMap(const TOwnerGrid& grid, int size, int regions, bool snapshot);
// The game's tables replaced by a checked copy.
void CommitTables(GameState&& state);
// The map from `grid`, then the tables and the year's messages.
void CommitGame(GameState&& state, const TOwnerGrid& grid, const std::vector<TMessageRec>& messages,
                bool snapshot);

}  // namespace kordalt
