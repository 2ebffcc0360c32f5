#include "game/owner_grid.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "game/random.h"
#include "map_checker.h"

namespace kordalt {
namespace {

using testing::MapAgreesWithGrid;
using testing::Picture;

std::unique_ptr<TSquares> Generated(int side, int regions, uint64_t seed) {
    ScopedSeed scoped(seed);
    auto map = std::make_unique<TSquares>(side, side, false, regions);
    map->Generate();
    return map;
}

TEST(OwnerGrid, MapToGridFillsOnlyTheMapsBlock) {
    const auto map = Generated(60, 7, 1);
    TOwnerGrid grid;
    grid.fill(0xAA);
    MapToGrid(*map, 50, grid);  // the extent is the given side, not the object's
    for (int g = 0; g < kOwnerGridSide; ++g)
        for (int k = 0; k < kOwnerGridSide; ++k) {
            const uint8_t byte = grid[g * kOwnerGridSide + k];
            if (g >= 1 && g <= 50 && k >= 1 && k <= 50)
                ASSERT_EQ(byte, map->GetSquare(SquareId(g - 1, k - 1))) << g << "," << k;
            else
                ASSERT_EQ(byte, 0) << g << "," << k;
        }
    EXPECT_THROW(MapToGrid(*map, 101, grid), EMapError);
}

TEST(OwnerGrid, RoundTripRebuildsTheMap) {
    for (const auto& [side, regions] : {std::pair{50, 2}, {77, 13}, {100, 20}}) {
        const auto original = Generated(side, regions, side + regions);
        TOwnerGrid grid;
        MapToGrid(*original, side, grid);
        std::unique_ptr<TSquares> map;
        GridToMap(map, grid, side, regions);
        ASSERT_TRUE(map);
        EXPECT_EQ(Picture(*map), Picture(*original));
        EXPECT_TRUE(MapAgreesWithGrid(*map, testing::Lists::kChecked, true));
        for (int r = 1; r <= regions; ++r) EXPECT_EQ(map->RegionSize(r), original->RegionSize(r));
        TOwnerGrid again;
        MapToGrid(*map, side, again);
        EXPECT_EQ(again, grid);
    }
}

TEST(OwnerGrid, FittingMapIsReusedWithItsSnapshotOtherwiseReplaced) {
    const auto source = Generated(50, 4, 8);
    TOwnerGrid grid;
    MapToGrid(*source, 50, grid);

    std::unique_ptr<TSquares> map = Generated(50, 4, 9);
    const TSquares* before = map.get();
    const auto oldOwners = Picture(*map);
    GridToMap(map, grid, 50, 4);
    EXPECT_EQ(map.get(), before);
    EXPECT_EQ(Picture(*map), Picture(*source));
    int kept = 0;
    for (int x = 0; x < 50; ++x)
        for (int y = 0; y < 50; ++y) {
            const uint16_t s = SquareId(x, y);
            ASSERT_EQ(map->GetSnapshotOwner(s), oldOwners[y][x] - '0');
            kept += map->GetSnapshotOwner(s) != map->GetSquare(s);
        }
    EXPECT_GT(kept, 0);  // the two maps differ, so the kept snapshot shows

    for (const auto& [side, regions] : {std::pair{50, 5}, {55, 4}}) {
        std::unique_ptr<TSquares> other = Generated(side, regions, 10);
        const auto otherGrid = [&] {
            TOwnerGrid g;
            MapToGrid(*other, side, g);
            return g;
        }();
        std::unique_ptr<TSquares> target = Generated(50, 4, 11);
        GridToMap(target, otherGrid, side, regions);
        EXPECT_EQ(target->Width, side);
        EXPECT_EQ(target->RegionCount, regions);
        EXPECT_EQ(Picture(*target), Picture(*other));
        EXPECT_EQ(target->GetSnapshotOwner(SquareId(0, 0)), 0);  // a new object
    }
}

TEST(OwnerGrid, BadGridsAreRefusedBeforeTheMapIsTouched) {
    const auto source = Generated(60, 6, 21);
    TOwnerGrid good;
    MapToGrid(*source, 60, good);
    ASSERT_TRUE(CheckOwnerGrid(good, 60, 6));

    struct Case {
        const char* name;
        int size, regions;
        std::function<void(TOwnerGrid&)> spoil;
    } cases[] = {
        {"one region", 60, 1, [](TOwnerGrid&) {}},
        {"21 regions", 60, 21, [](TOwnerGrid&) {}},
        {"side 49", 49, 6, [](TOwnerGrid&) {}},
        {"side 101", 101, 6, [](TOwnerGrid&) {}},
        {"side smaller than the owned block", 59, 6, [](TOwnerGrid&) {}},
        {"side larger than the owned block", 61, 6, [](TOwnerGrid&) {}},
        {"owner 0 inside", 60, 6, [](TOwnerGrid& g) { g[OwnerGridIndex(30, 59)] = 0; }},
        {"owner above the regions", 60, 6, [](TOwnerGrid& g) { g[OwnerGridIndex(0, 0)] = 7; }},
        {"owner 255", 60, 6, [](TOwnerGrid& g) { g[OwnerGridIndex(59, 12)] = 255; }},
        {"byte in the first row of zeros", 60, 6, [](TOwnerGrid& g) { g[5] = 1; }},
        {"first byte of a group", 60, 6, [](TOwnerGrid& g) { g[40 * kOwnerGridSide] = 2; }},
        {"column beyond the side", 60, 6, [](TOwnerGrid& g) { g[OwnerGridIndex(60, 3)] = 3; }},
        {"row beyond the side", 60, 6, [](TOwnerGrid& g) { g[OwnerGridIndex(3, 60)] = 3; }},
        {"last byte", 60, 6, [](TOwnerGrid& g) { g.back() = 1; }},
    };
    std::unique_ptr<TSquares> map = Generated(60, 6, 22);
    const TSquares* before = map.get();
    const auto owners = Picture(*map);
    for (const Case& c : cases) {
        TOwnerGrid grid = good;
        c.spoil(grid);
        EXPECT_FALSE(CheckOwnerGrid(grid, c.size, c.regions)) << c.name;
        EXPECT_THROW(GridToMap(map, grid, c.size, c.regions), EMapError) << c.name;
        EXPECT_EQ(map.get(), before) << c.name;
        EXPECT_EQ(Picture(*map), owners) << c.name;
    }
}

}  // namespace
}  // namespace kordalt
