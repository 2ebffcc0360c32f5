#include "game/state_commit.h"

#include <memory>
#include <utility>

#include "game/squares.h"

namespace kordalt {

void CommitMap(const TOwnerGrid& grid, int size, int regions, bool snapshot) {
    std::unique_ptr<TSquares> map(std::exchange(Map, nullptr));
    try {
        GridToMap(map, grid, size, regions);
    } catch (...) {
        Map = map.release();
        throw;
    }
    Map = map.release();
    if (snapshot) Map->SnapshotOwners();
}

void CommitLobbyMap(const TOwnerGrid& grid, int size, int regions, bool snapshot) {
    CommitMap(grid, size, regions, snapshot);
    Game.GosCount = static_cast<uint8_t>(regions);
    Game.MapSize = static_cast<uint8_t>(size);
}

void CommitTables(GameState&& state) { Game = std::move(state); }

void CommitGame(GameState&& state, const TOwnerGrid& grid, const std::vector<TMessageRec>& messages,
                bool snapshot) {
    CommitMap(grid, state.MapSize, state.GosCount, snapshot);
    CommitTables(std::move(state));
    Messages.Clear();
    for (const TMessageRec& r : messages) Messages.Add(r);
}

}  // namespace kordalt
