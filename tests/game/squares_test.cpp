#include "game/squares.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/random.h"
#include "map_checker.h"

namespace kordalt {
namespace {

using testing::Lists;
using testing::MapAgreesWithGrid;
using testing::MapFromPicture;

::testing::AssertionResult Fails(const std::string& what) { return ::testing::AssertionFailure() << what; }

TEST(Squares, EdgeCases) {
    struct Case {
        const char* name;
        std::function<::testing::AssertionResult()> check;
    };
    const Case cases[] = {
        {"fresh map: corners 2, edges 3, inner squares 4",
         [] {
             TSquares map(50, 50, false, 2);
             for (int x = 0; x < 50; ++x)
                 for (int y = 0; y < 50; ++y) {
                     const int onEdge = (x == 0 || x == 49) + (y == 0 || y == 49);
                     if (map.GetSameCount(SquareId(x, y)) != 4 - onEdge)
                         return Fails("square " + std::to_string(x) + "," + std::to_string(y));
                 }
             return ::testing::AssertionSuccess();
         }},
        {"setting the owner a square has fires no event and changes no count",
         [] {
             auto map = MapFromPicture({"112", "122", "222"}, 2);
             const auto sameCounts = [&] {
                 std::vector<int> counts;
                 for (int x = 0; x < 3; ++x)
                     for (int y = 0; y < 3; ++y) counts.push_back(map->GetSameCount(SquareId(x, y)));
                 return counts;
             };
             const auto regions = map->Regions;
             const auto before = sameCounts();
             int events = 0;
             map->OnSquareChange = [&](TCustomSquares&, uint16_t) { ++events; };
             map->SetSquare(SquareId(1, 1), 2);
             if (events != 0) return Fails("event fired");
             if (sameCounts() != before) return Fails("SameCount changed");
             for (int r = 0; r < 2; ++r)
                 if (map->Regions[r].Borders != regions[r].Borders) return Fails("borders changed");
             map->SetSquare(SquareId(1, 1), 1);
             if (events != 1) return Fails("no event for a real change");
             return MapAgreesWithGrid(*map, Lists::kSkipped);
         }},
        {"a corner square from nobody to region 2 adds 2 outer edges",
         [] {
             TSquares map(50, 50, false, 3);
             map.InitRegions();
             map.SetSquare(SquareId(49, 0), 2);
             if (map.Regions[1].Borders[3] != 2) return Fails(std::to_string(map.Regions[1].Borders[3]));
             return MapAgreesWithGrid(map, Lists::kSkipped);
         }},
        {"GetSquare beyond the map is 0",
         [] {
             auto map = MapFromPicture({"11", "11"}, 1);
             for (uint16_t id : {SquareId(2, 0), SquareId(0, 2), SquareId(255, 255), SquareId(1, 200)})
                 if (map->GetSquare(id) != 0) return Fails("square " + std::to_string(id));
             return ::testing::AssertionSuccess();
         }},
        {"RegionBounds of an empty region is (0, 0, 0, 0)",
         [] {
             auto map = MapFromPicture({".11", ".11"}, 2);
             if (map->RegionBounds(2) != TByteRect{}) return Fails("empty region");
             if (map->RegionBounds(1) != MakeByteRect(1, 0, 3, 2)) return Fails("region 1");
             return ::testing::AssertionSuccess();
         }},
        {"RebuildRegions lists squares in row order with exact sizes",
         [] {
             auto map = MapFromPicture({"1221", "2112", "1221"}, 2);
             if (map->Regions[0].Cells != std::vector<uint16_t>{SquareId(0, 0), SquareId(3, 0),
                                                                SquareId(1, 1), SquareId(2, 1),
                                                                SquareId(0, 2), SquareId(3, 2)})
                 return Fails("region 1 list");
             return MapAgreesWithGrid(*map, Lists::kChecked, true);
         }},
        {"a region bordering two others has NeighbourCount 2",
         [] {
             auto map = MapFromPicture({"1122", "1122", "3333"}, 3);
             if (map->Regions[0].NeighbourCount != 2) return Fails("region 1");
             return MapAgreesWithGrid(*map);
         }},
    };
    for (const Case& c : cases) EXPECT_TRUE(c.check()) << c.name;
}

TEST(Squares, RandomSetSquareSequencesKeepCountsExact) {
    ScopedSeed seed(7);
    struct Shape {
        int width, height;
        bool wrap;
        int regions;
    } shapes[] = {{50, 50, false, 20}, {7, 3, false, 4}, {1, 9, false, 2}, {5, 4, true, 3}, {2, 3, true, 2}};
    for (const Shape& s : shapes) {
        TSquares map(s.width, s.height, s.wrap, s.regions);
        map.InitRegions();
        ASSERT_TRUE(MapAgreesWithGrid(map)) << s.width << "x" << s.height;
        for (int step = 0; step < 4000; ++step) {
            const uint16_t id = SquareId(Random(s.width), Random(s.height));
            map.SetSquare(id, Random(s.regions + 1));
            if (step % 500 == 499) {
                ASSERT_TRUE(MapAgreesWithGrid(map, Lists::kSkipped)) << step;
            }
        }
        map.RebuildRegions();
        EXPECT_TRUE(MapAgreesWithGrid(map, Lists::kChecked, true)) << s.width << "x" << s.height;
        map.Clear();
        EXPECT_TRUE(MapAgreesWithGrid(map)) << "after Clear";
    }
}

TEST(Squares, CheckedArgumentsRaiseErrors) {
    TSquares map(5, 4, false, 3);
    map.InitRegions();
    const std::vector<std::pair<const char*, std::function<void()>>> bad = {
        {"owner above the regions", [&] { map.SetSquare(SquareId(0, 0), 4); }},
        {"column outside", [&] { map.SetSquare(SquareId(5, 0), 1); }},
        {"row outside", [&] { map.SetSquare(SquareId(0, 4), 1); }},
        {"snapshot outside", [&] { map.SetSnapshotOwner(SquareId(9, 9), 1); }},
        {"snapshot read outside", [&] { (void)map.GetSnapshotOwner(SquareId(5, 3)); }},
        {"mark outside", [&] { map.SetMark(SquareId(0, 4), 1); }},
        {"same count outside", [&] { (void)map.GetSameCount(SquareId(255, 0)); }},
        {"region 0", [&] { (void)map.RegionSize(0); }},
        {"region above the count", [&] { (void)map.AreNeighbours(1, 4); }},
        {"wrapping map one column wide", [] { TSquares m(1, 5, true, 2); }},
    };
    for (const auto& [name, call] : bad) EXPECT_THROW(call(), EMapError) << name;
    EXPECT_TRUE(MapAgreesWithGrid(map));
}

TEST(Squares, NavigationAndBorderLines) {
    TSquares flat(4, 3, false, 2), wrapped(4, 3, true, 2);
    const uint16_t corner = SquareId(0, 0), right = SquareId(3, 2);
    EXPECT_EQ(flat.Left(corner), corner);
    EXPECT_EQ(flat.Up(corner), corner);
    EXPECT_EQ(flat.Right(right), right);
    EXPECT_EQ(flat.Down(right), right);
    EXPECT_FALSE(flat.HasLeft(corner));
    EXPECT_EQ(wrapped.Left(corner), SquareId(3, 0));
    EXPECT_EQ(wrapped.Right(right), SquareId(0, 2));
    EXPECT_TRUE(wrapped.HasLeft(corner));
    EXPECT_FALSE(wrapped.HasUp(corner));
    // A wrapping map's first and last columns have four neighbours.
    EXPECT_EQ(wrapped.GetSameCount(corner), 3);
    EXPECT_EQ(wrapped.GetSameCount(SquareId(0, 1)), 4);

    auto map = MapFromPicture({"112", "122"}, 2);
    const uint16_t middle = SquareId(1, 0);
    EXPECT_FALSE(map->IsBorderLeft(middle));
    EXPECT_TRUE(map->IsBorderRight(middle));
    EXPECT_TRUE(map->IsBorderDown(middle));
    EXPECT_FALSE(map->IsBorderUp(middle));                      // no square above
    EXPECT_EQ(map->SameOwnerNeighbours(SquareId(1, 1), 1), 2);  // left and up
}

TEST(Squares, WidestRowTakesTheFirstRunOfEachRowAndTheUpperOnTies) {
    struct Case {
        std::vector<std::string> picture;
        TByteRow row;
    } cases[] = {
        {{"..1..", ".111.", "11.11", ".111."}, {1, 1, 3}},  // row 2's first run is 2 long
        {{"1.111", "11...", "....."}, {0, 1, 2}},           // only the first run of row 0 counts
        {{".....", "..2..", "....."}, {0, 0, 0}},           // an empty region
    };
    for (const Case& c : cases) {
        auto map = MapFromPicture(c.picture, 2);
        EXPECT_EQ(map->WidestRow(1), c.row) << c.picture[0];
    }
}

TEST(Squares, SnapshotAndDistances) {
    auto map = MapFromPicture({"12", "21"}, 2);
    map->SnapshotOwners();
    map->SetSquare(SquareId(0, 0), 2);
    EXPECT_EQ(map->GetSnapshotOwner(SquareId(0, 0)), 1);
    EXPECT_EQ(map->GetSnapshotOwner(SquareId(1, 0)), 2);
    map->ResetOwners();
    EXPECT_EQ(map->GetSquare(SquareId(0, 0)), 0);
    EXPECT_EQ(map->GetSnapshotOwner(SquareId(0, 0)), 1);  // ResetOwners keeps snapshots
    map->ResetSquares();
    EXPECT_EQ(map->GetSnapshotOwner(SquareId(0, 0)), 0);

    EXPECT_EQ(TSquares::SquareDistance(SquareId(0, 0), SquareId(3, 4)), 5);
    EXPECT_EQ(TSquares::SquareDistance(SquareId(8, 8), SquareId(18, 22)), 17);  // 17.2
    EXPECT_EQ(TSquares::SquareDistance(SquareId(0, 0), SquareId(1, 1)), 1);     // 1.41
    EXPECT_EQ(TSquares::SquareDistance(SquareId(0, 0), SquareId(2, 1)), 2);     // 2.24
}

}  // namespace
}  // namespace kordalt
