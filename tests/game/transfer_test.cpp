#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/random.h"
#include "game/squares.h"
#include "map_checker.h"

namespace kordalt {
namespace {

using testing::MapAgreesWithGrid;
using testing::MapFromPicture;
using testing::Picture;

TEST(TransferSquares, MovesTheFrontOutOfTheTakersBorder) {
    struct Case {
        const char* name;
        std::vector<std::string> before;
        int from, to, count;
        std::vector<std::string> after;
    } cases[] = {
        {"exposed squares of the front first", {"2111", "2111", "2111"}, 1, 2, 2, {"2211", "2111", "2211"}},
        {"a whole column in one pass", {"2111", "2111", "2111"}, 1, 2, 3, {"2211", "2211", "2211"}},
        {"the next column in the next pass", {"2111", "2111", "2111"}, 1, 2, 4, {"2221", "2211", "2211"}},
        {"a one-square strip before squares with more own neighbours",
         {"22222", "22122", "22122", "11111", "11111"},
         1,
         2,
         2,
         {"22222", "22222", "22222", "11111", "11111"}},
        {"more than From has: every reachable square", {"2211.1", "2211.1"}, 1, 2, 100, {"2222.1", "2222.1"}},
        {"From may be swallowed whole", {"221", "221"}, 1, 2, 100, {"222", "222"}},
        {"regions that do not border each other", {"22.11", "22.11"}, 1, 2, 5, {"22.11", "22.11"}},
        {"a count of 0", {"2111", "2111"}, 1, 2, 0, {"2111", "2111"}},
        {"a negative count", {"2111", "2111"}, 1, 2, -3, {"2111", "2111"}},
    };
    for (const Case& c : cases) {
        auto map = MapFromPicture(c.before, 2);
        map->TransferSquares(c.from, c.to, c.count);
        EXPECT_EQ(Picture(*map), c.after) << c.name;
        EXPECT_TRUE(MapAgreesWithGrid(*map)) << c.name;
    }
}

TEST(TransferSquares, TakenSquaresJoinTheTakersListInOrderTaken) {
    auto map = MapFromPicture({"2111", "2111", "2111"}, 2);
    map->TransferSquares(1, 2, 3);
    const std::vector<uint16_t> expected = {SquareId(0, 0), SquareId(0, 1), SquareId(0, 2),
                                            SquareId(1, 0), SquareId(1, 2), SquareId(1, 1)};
    EXPECT_EQ(map->Regions[1].Cells, expected);
    // From keeps its old order.
    EXPECT_EQ(map->Regions[0].Cells, (std::vector<uint16_t>{SquareId(2, 0), SquareId(3, 0), SquareId(2, 1),
                                                            SquareId(3, 1), SquareId(2, 2), SquareId(3, 2)}));
}

TEST(TransferSquares, RandomTransfersKeepTheMapExact) {
    ScopedSeed seed(11);
    TSquares map(50, 50, false, 7);
    map.Generate();
    int moved = 0;
    for (int step = 0; step < 300; ++step) {
        const int from = Random(7) + 1, to = Random(7) + 1;
        const int before = map.RegionSize(from);
        map.TransferSquares(from, to, Random(400));
        moved += before - map.RegionSize(from);
        ASSERT_TRUE(MapAgreesWithGrid(map)) << "step " << step;
    }
    EXPECT_GT(moved, 5000);  // the transfers did move squares
}

}  // namespace
}  // namespace kordalt
