#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <queue>
#include <string>
#include <vector>

#include "game/random.h"
#include "game/squares.h"
#include "map_checker.h"

namespace kordalt {
namespace {

using testing::MapAgreesWithGrid;

// Opens the generator's steps to the tests.
struct GeneratorSquares : TCustomSquares {
    using TCustomSquares::BalanceRegions;
    using TCustomSquares::CountRegionNeighbours;
    using TCustomSquares::EqualizeRegions;
    using TCustomSquares::ExchangeBorders;
    using TCustomSquares::GrowRegions;
    using TCustomSquares::InitMakeData;
    using TCustomSquares::InitRegionLists;
    using TCustomSquares::MakeData;
    using TCustomSquares::PlaceSeeds;
    using TCustomSquares::SortRegionsBySize;
    using TCustomSquares::TCustomSquares;
};

// A generator whose draws come from `draw` and whose arguments are recorded.
class RecordingRandom final : public RandomSource {
public:
    explicit RecordingRandom(std::function<int(int)> draw) : draw_(std::move(draw)) {}
    int Below(int n) override {
        limits.push_back(n);
        values.push_back(draw_(n));
        return values.back();
    }
    double Real() override { throw ScriptedRandomError("the map generator draws no reals"); }
    std::vector<int> limits, values;

private:
    std::function<int(int)> draw_;
};

class ScopedRecordingRandom {
public:
    explicit ScopedRecordingRandom(std::function<int(int)> draw) {
        auto source = std::make_unique<RecordingRandom>(std::move(draw));
        random_ = source.get();
        previous_ = SetRandomSource(std::move(source));
    }
    ~ScopedRecordingRandom() { SetRandomSource(std::move(previous_)); }
    RecordingRandom* operator->() { return random_; }

private:
    RecordingRandom* random_;
    std::unique_ptr<RandomSource> previous_;
};

std::function<int(int)> Seeded(uint64_t seed) {
    auto generator = std::make_shared<Xoshiro256>(seed);
    return [generator](int n) { return generator->Below(n); };
}

TEST(MapGenerator, TargetsSeedDistanceAndEdgeMargin) {
    struct Case {
        int side, regions, seedDistance, margin, lattice;  // lattice: Random(n) of a seed coordinate
    } cases[] = {
        {100, 7, 18, 7, 43}, {50, 2, 29, 6, 19}, {50, 20, 6, 3, 22}, {73, 9, 12, 4, 32},  // k = 2
        {50, 5, 14, 2, 23},                                                               // k = 4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.side) + " x " + std::to_string(c.regions));
        for (uint64_t seed : {1u, 2u, 3u}) {
            ScopedRecordingRandom random(Seeded(seed));
            GeneratorSquares map(c.side, c.side, false, c.regions);
            map.InitMakeData();
            const TMakeData& m = map.MakeData;
            const int total = c.side * c.side, base = total / c.regions, start = random->values.at(0);
            ASSERT_EQ(random->limits.at(0), c.regions);
            for (int i = 0; i < c.regions; ++i) {
                const bool extra = (i - start + c.regions) % c.regions < total % c.regions;
                EXPECT_EQ(m.Targets[i], base + extra) << "region " << i + 1;
            }
            EXPECT_EQ(m.SeedDistance, c.seedDistance);
            EXPECT_EQ(m.FirstSeedDistance, c.seedDistance);

            map.InitRegionLists();
            map.PlaceSeeds();
            const int restarts = m.Restarts;
            EXPECT_EQ(m.SeedDistance, std::max(3, c.seedDistance - restarts - 1));
            EXPECT_EQ(m.EdgeMargin, std::max(2, c.margin - restarts - 1));
            ASSERT_TRUE(std::all_of(random->limits.begin() + 1, random->limits.end(),
                                    [&](int n) { return n == c.lattice; }));
            const int lastDistance = std::max(3, c.seedDistance - restarts);
            const int lastMargin = std::max(2, c.margin - restarts);
            for (int r = 1; r <= c.regions; ++r) {
                ASSERT_EQ(map.RegionSize(r), 1);
                const uint16_t s = map.Regions[r - 1].Cells[0];
                for (int v : {SquareX(s), SquareY(s)}) {
                    EXPECT_EQ((v - (c.margin - 1)) % 2, 0) << "seed off the lattice";
                    EXPECT_GT(v, lastMargin);
                    EXPECT_GT(c.side - v, lastMargin);
                }
                for (int q = 1; q < r; ++q)
                    EXPECT_GE(TSquares::SquareDistance(s, map.Regions[q - 1].Cells[0]), lastDistance);
            }
            EXPECT_TRUE(MapAgreesWithGrid(map));
        }
    }
}

TEST(MapGenerator, SideHundredWithSevenRegionsHasThreeAndFourTargets) {
    ScopedSeed seed(5);
    GeneratorSquares map(100, 100, false, 7);
    map.InitMakeData();
    const auto& t = map.MakeData.Targets;
    EXPECT_EQ(std::count(t.begin(), t.end(), 1428), 3);
    EXPECT_EQ(std::count(t.begin(), t.end(), 1429), 4);
    EXPECT_EQ(map.MakeData.BaseTarget, 1428);
    EXPECT_EQ(map.MakeData.LargestTarget, 1429);
}

TEST(MapGenerator, SeedsGoWhereTheDrawsPutThem) {
    // Side 100, 7 regions: seeds at 2a + 6, 2b + 6; margin 7, distance 18, then 17.
    ScopedScriptedRandom random{
        0,                       // remainder start
        1, 1,                    // (8, 8): region 1
        1, 1, 1, 1, 1, 1, 1, 1,  // taken square, 49 refused attempts in all:
    };
    for (int i = 0; i < 45; ++i) {
        random->Add(1);
        random->Add(1);
    }
    // Round 2 (distance 17): (6, 6) is inside the margin, (18, 22) is 17.2 away.
    for (int v : {0, 0, 1, 1, 6, 8, 1, 19, 1, 37, 19, 1, 19, 19, 37, 37}) random->Add(v);
    GeneratorSquares map(100, 100, false, 7);
    map.InitMakeData();
    map.InitRegionLists();
    map.PlaceSeeds();
    EXPECT_EQ(random->Remaining(), 0u);
    EXPECT_EQ(map.MakeData.Restarts, 1);
    EXPECT_EQ(map.MakeData.SeedDistance, 16);
    EXPECT_EQ(map.MakeData.EdgeMargin, 5);
    const std::vector<uint16_t> expected = {SquareId(8, 8),  SquareId(18, 22), SquareId(8, 44),
                                            SquareId(8, 80), SquareId(44, 8),  SquareId(44, 44),
                                            SquareId(80, 80)};
    int owned = 0;
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 100; ++y) owned += map.GetSquare(SquareId(x, y)) != 0;
    EXPECT_EQ(owned, 7);  // the failed round's seed was taken back
    for (int r = 1; r <= 7; ++r) {
        EXPECT_EQ(map.Regions[r - 1].Cells[0], expected[r - 1]) << r;
        EXPECT_EQ(map.GetSquare(expected[r - 1]), r);
    }
}

TEST(MapGenerator, SeedingGivesUpAfterBoundedRoundsWithFloorsReached) {
    {
        // Every candidate lies inside the margin: rounds fail for ever.
        ScopedRecordingRandom random([](int) { return 0; });
        GeneratorSquares map(50, 50, false, 20);
        map.InitMakeData();
        map.InitRegionLists();
        EXPECT_THROW(map.PlaceSeeds(), EMapError);
        EXPECT_EQ(map.MakeData.Restarts, TCustomSquares::kMaxSeedingRounds);
        EXPECT_EQ(map.MakeData.SeedDistance, 3);
        EXPECT_EQ(map.MakeData.EdgeMargin, 2);
    }
    ScopedSeed seed(3);
    TSquares tiny(10, 10, false, 20);  // room for one seed only
    EXPECT_THROW(tiny.Generate(), EMapError);
    TSquares none(50, 50, false, 0);
    EXPECT_THROW(none.Generate(), EMapError);
}

TEST(MapGenerator, GrowthProbesFromADrawnDirectionAndResumesAtTheCursor) {
    // One region seeded in the middle of a 3 x 3 map. Each probe draws its
    // first direction (0 left, 1 up, 2 right, 3 down); a search resumes at
    // the last square that had no free neighbour, which is probed again.
    ScopedScriptedRandom random{0,                        // remainder start
                                1, 3, 0, 0,               // (1,0), (1,2), (0,1), (2,1)
                                0, 0,                     // (1,1) full; (1,0) gives (0,0)
                                0, 0,                     // (1,1) full; (1,0) gives (2,0)
                                0, 0, 0,                  // (1,1), (1,0) full; (1,2) gives (0,2)
                                0, 0,                     // (1,0) full; (1,2) gives (2,2)
                                0, 0, 0, 0, 0, 0, 0, 0};  // squares 1..8 full: growth ends
    GeneratorSquares map(3, 3, false, 1);
    map.InitMakeData();
    map.InitRegionLists();
    map.SetSquare(SquareId(1, 1), 1);
    map.Regions[0].Cells = {SquareId(1, 1)};
    map.Regions[0].Size = 1;
    map.GrowRegions();
    EXPECT_EQ(random->Remaining(), 0u);
    EXPECT_EQ(map.Regions[0].Cells, (std::vector<uint16_t>{SquareId(1, 1), SquareId(1, 0), SquareId(1, 2),
                                                           SquareId(0, 1), SquareId(2, 1), SquareId(0, 0),
                                                           SquareId(2, 0), SquareId(0, 2), SquareId(2, 2)}));
}

TEST(MapGenerator, GrowthFillsTheMapAndExchangePercentagesAreClamped) {
    ScopedSeed seed(9);
    GeneratorSquares map(60, 55, false, 6);
    map.InitMakeData();
    map.InitRegionLists();
    map.PlaceSeeds();
    map.GrowRegions();
    map.CountRegionNeighbours();
    EXPECT_EQ(map.MakeData.Placed, 60 * 55);
    ASSERT_TRUE(MapAgreesWithGrid(map));
    map.BalanceRegions();
    ASSERT_TRUE(MapAgreesWithGrid(map));

    const auto owners = testing::Picture(map);
    map.ExchangeBorders(0);
    EXPECT_EQ(testing::Picture(map), owners) << "0 % moves nothing";

    // Exchanging draws nothing: a copy exchanged at 250 % must end as the map at 100 %.
    std::vector<uint16_t> sizes;
    for (int r = 1; r <= 6; ++r) sizes.push_back(map.RegionSize(r));
    GeneratorSquares copy(60, 55, false, 6);
    copy.InitRegions();
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 55; ++y) copy.SetSquare(SquareId(x, y), map.GetSquare(SquareId(x, y)));
    copy.RebuildRegions();
    copy.MakeData = map.MakeData;
    map.RebuildRegions();  // both lists in row order
    map.ExchangeBorders(100);
    copy.ExchangeBorders(250);
    EXPECT_EQ(testing::Picture(copy), testing::Picture(map));
    EXPECT_TRUE(MapAgreesWithGrid(map));
}

TEST(MapGenerator, SortBySizeKeepsThePartitioningsOrderOfTies) {
    // Sizes 3, 5, 3, 5, 1: a stable sort would give 2 4 1 3 5.
    auto map = testing::MapFromPicture<GeneratorSquares>({"111.22222", "333.44444", "5........"}, 5);
    std::vector<uint8_t> list = {1, 2, 3, 4, 5};
    map->SortRegionsBySize(list, 0, 4);
    EXPECT_EQ(list, (std::vector<uint8_t>{2, 4, 3, 1, 5}));
}

TEST(MapGenerator, BalancingAndEqualisingPassExcessAlongNeighbours) {
    struct Case {
        const char* name;
        std::vector<std::string> before;
        std::function<void(GeneratorSquares&)> step;
        std::vector<std::string> after;
    } cases[] = {
        // Targets 4, 3, 3: region 1 gives 2 to region 2, which then gives 1 to region 3.
        {"balance",
         {"1111112233"},
         [](GeneratorSquares& m) {
             m.MakeData.Targets = {4, 3, 3};
             m.BalanceRegions();
         },
         {"1111222333"}},
        // The largest region, 1, gets the extra square; the chain runs 1, 2, 3.
        {"equalise", {"1111112233"}, [](GeneratorSquares& m) { m.EqualizeRegions(); }, {"1111222333"}},
        // Targets 5, 5, 6. The walk starts at 3, the largest, goes to 1 (neighbour
        // counts tie, the lower number wins) and on to 2: 3 gives 4 squares to
        // 1, then 1 gives 3 to 2.
        {"equalise",
         {"1122", "1133", "3333", "3333"},
         [](GeneratorSquares& m) { m.EqualizeRegions(); },
         {"1222", "1223", "1133", "1333"}},
    };
    for (const Case& c : cases) {
        auto map = testing::MapFromPicture<GeneratorSquares>(c.before, 3);
        map->MakeData.Total = map->Width * map->Height;
        map->MakeData.Rounds = 80;
        c.step(*map);
        EXPECT_EQ(testing::Picture(*map), c.after) << c.name;
        EXPECT_TRUE(MapAgreesWithGrid(*map)) << c.name;
    }
}

// Squares of `region` reachable from its first square.
int ConnectedPart(const TCustomSquares& map, int region) {
    const TRegionRec& rec = map.Regions[region - 1];
    std::vector<bool> seen(map.Width * map.Height, false);
    std::queue<uint16_t> open;
    open.push(rec.Cells[0]);
    seen[SquareX(rec.Cells[0]) * map.Height + SquareY(rec.Cells[0])] = true;
    int count = 0;
    while (!open.empty()) {
        const uint16_t s = open.front();
        open.pop();
        ++count;
        const bool has[4] = {map.HasLeft(s), map.HasUp(s), map.HasRight(s), map.HasDown(s)};
        const uint16_t next[4] = {map.Left(s), map.Up(s), map.Right(s), map.Down(s)};
        for (int d = 0; d < 4; ++d) {
            const size_t index = SquareX(next[d]) * map.Height + SquareY(next[d]);
            if (has[d] && map.GetSquare(next[d]) == region && !seen[index]) {
                seen[index] = true;
                open.push(next[d]);
            }
        }
    }
    return count;
}

// Every side 50..100 step 5 (one test each) with 2..20 regions: one seed per
// pair, three at side 50 (a map of side 100 takes about 0.3 s under the
// sanitizers in a debug build). Every map is checked in full;
// regions need not be connected (a transfer may cut the giver in two), so
// maps with a region in pieces are counted, not refused.
class MapSweep : public ::testing::TestWithParam<int> {};

TEST_P(MapSweep, EveryRegionNonEmptyAndAtItsShare) {
    const int side = GetParam();
    const int seeds = side == 50 ? 3 : 1;
    int maps = 0, disconnected = 0;
    for (int regions = 2; regions <= 20; ++regions)
        for (int seed = 0; seed < seeds; ++seed) {
            SCOPED_TRACE(std::to_string(side) + " x " + std::to_string(regions) + " seed " +
                         std::to_string(seed));
            ScopedSeed scoped(side * 1000 + regions * 10 + seed);
            TSquares map(side, side, false, regions);
            map.Generate();
            ++maps;
            ASSERT_TRUE(MapAgreesWithGrid(map));
            for (int x = 0; x < side; ++x)
                for (int y = 0; y < side; ++y) {
                    const uint16_t s = SquareId(x, y);
                    ASSERT_NE(map.GetSquare(s), 0);
                    ASSERT_EQ(map.GetSnapshotOwner(s), map.GetSquare(s));
                }
            const int total = side * side, base = total / regions;
            int larger = 0;
            bool connected = true;
            for (int r = 1; r <= regions; ++r) {
                const int size = map.RegionSize(r);
                EXPECT_TRUE(size == base || size == base + 1) << "region " << r << " has " << size;
                larger += size == base + 1;
                connected = connected && ConnectedPart(map, r) == size;
            }
            EXPECT_EQ(larger, total % regions);
            disconnected += !connected;
        }
    RecordProperty("maps", maps);
    RecordProperty("maps_with_a_region_in_pieces", disconnected);
    std::printf("side %d: %d maps, %d with a region in pieces\n", side, maps, disconnected);
}

INSTANTIATE_TEST_SUITE_P(Sides, MapSweep, ::testing::Range(50, 101, 5));

TEST(MapGenerator, SameSeedSameMap) {
    std::vector<std::string> first;
    for (int run = 0; run < 2; ++run) {
        ScopedSeed seed(77);
        TSquares map(80, 80, false, 11);
        map.Generate();
        if (run == 0)
            first = testing::Picture(map);
        else
            EXPECT_EQ(testing::Picture(map), first);
    }
}

}  // namespace
}  // namespace kordalt
