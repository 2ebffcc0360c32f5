// The map as saved games and network messages carry it: 102 x 102 owner bytes,
// byte (x + 1) * 102 + (y + 1) for square (x, y), every other byte 0.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "game/squares.h"
#include "platform/checked.h"

namespace kordalt {

constexpr int kOwnerGridSide = 102;
using TOwnerGrid = std::array<uint8_t, kOwnerGridSide * kOwnerGridSide>;

constexpr int OwnerGridIndex(int x, int y) { return (x + 1) * kOwnerGridSide + (y + 1); }

// Writes the owners of squares (x, y), 0 <= x, y < mapSize, into a zeroed grid.
// Throws EMapError when mapSize is outside 0..100.
void MapToGrid(const TCustomSquares& map, int mapSize, TOwnerGrid& grid);

// Accepts a grid that is a map of side `size` with `regions` regions, else
// refuses with why: 2 <= regions <= 20, 50 <= size <= 100, every square of
// the map owned by 1..regions and every other byte 0.
TChecked<> CheckOwnerGrid(const TOwnerGrid& grid, int size, int regions);

// Rebuilds `map` from the grid: the object is kept (its snapshot bytes too)
// when its size and region count fit, else replaced. A grid that
// CheckOwnerGrid refuses throws EMapError before `map` is touched. The caller
// takes a new snapshot.
void GridToMap(std::unique_ptr<TSquares>& map, const TOwnerGrid& grid, int size, int regions);

}  // namespace kordalt
