#include "game/owner_grid.h"

namespace kordalt {

void MapToGrid(const TCustomSquares& map, int mapSize, TOwnerGrid& grid) {
    if (mapSize < 0 || mapSize > kOwnerGridSide - 2)
        throw EMapError("owner grid: map side " + std::to_string(mapSize) + " does not fit the grid");
    grid.fill(0);
    for (int x = 0; x < mapSize; ++x)
        for (int y = 0; y < mapSize; ++y) grid[OwnerGridIndex(x, y)] = map.GetSquare(SquareId(x, y));
}

TChecked<> CheckOwnerGrid(const TOwnerGrid& grid, int size, int regions) {
    if (regions < 2 || regions > 20)
        return TRefused{"owner grid: " + std::to_string(regions) + " regions, outside 2..20"};
    if (size < 50 || size > 100)
        return TRefused{"owner grid: map side " + std::to_string(size) + ", outside 50..100"};
    for (int gx = 0; gx < kOwnerGridSide; ++gx)
        for (int gy = 0; gy < kOwnerGridSide; ++gy) {
            const int owner = grid[gx * kOwnerGridSide + gy];
            const int x = gx - 1, y = gy - 1;
            const bool inside = x >= 0 && x < size && y >= 0 && y < size;
            if (inside && (owner < 1 || owner > regions))
                return TRefused{"owner grid: square (" + std::to_string(x) + ", " + std::to_string(y) +
                                ") has owner " + std::to_string(owner) + ", outside 1.." +
                                std::to_string(regions)};
            if (!inside && owner != 0)
                return TRefused{"owner grid: byte " + std::to_string(gx * kOwnerGridSide + gy) +
                                " outside the map is " + std::to_string(owner) + ", not 0"};
        }
    return {};
}

void GridToMap(std::unique_ptr<TSquares>& map, const TOwnerGrid& grid, int size, int regions) {
    if (auto c = CheckOwnerGrid(grid, size, regions); !c) throw EMapError(c.Why());
    if (map && map->Width == size && map->Height == size && map->RegionCount == regions)
        map->ResetOwners();
    else
        map = std::make_unique<TSquares>(size, size, false, regions);
    map->InitRegions();
    for (int x = 0; x < size; ++x)
        for (int y = 0; y < size; ++y) map->SetSquare(SquareId(x, y), grid[OwnerGridIndex(x, y)]);
    map->RebuildRegions();
}

}  // namespace kordalt
