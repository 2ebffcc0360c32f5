#include "game/fronts.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "game/random.h"
#include "game/squares.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

using Fronts = RulesTest;
using Five = std::array<int32_t, 5>;

Five SoldiersOf(const TFrontRec& f) {
    return {f.Soldiers[1], f.Soldiers[2], f.Soldiers[3], f.Soldiers[4], f.Soldiers[5]};
}

void SetSoldiers(TFrontRec& f, const Five& s) {
    for (int k = 1; k <= 5; ++k) f.Soldiers[k] = s[k - 1];
}

TEST_F(Fronts, SetFrontSoldiersDealsOverThreeTypes) {
    struct Case {
        Five front;
        int32_t reserve, count;
        Five after;
        int32_t reserveAfter;
    } cases[] = {
        {{5, 0, 0}, 0, 0, {2, 2, 1}, 0},
        {{0, 0, 0}, 4, 10, {2, 1, 1}, 0},
        {{3, 3, 3}, 10, -4, {2, 2, 1}, 14},  // shrinks the front
        {{3, 3, 3}, 0, -9, {0, 0, 0}, 9},    // n = 0
        {{1, 0, 0}, 5, -20, {0, 0, 0}, 6},   // n < 0
        {{0, 0, 0}, 100, 7, {3, 2, 2}, 93},
        {{0, 0, 0}, -3, 7, {0, 0, 0}, -3},  // a negative reserve gives nothing
    };
    Game.mGos[2].Soldiers = 0;
    for (const Case& c : cases) {
        TGosRec& g = Game.mGos[2];
        SetSoldiers(g.Fronts[4], c.front);
        g.Reserve = c.reserve;
        SetFrontSoldiers(2, 4, c.count);
        EXPECT_EQ(SoldiersOf(g.Fronts[4]), c.after) << c.count;
        EXPECT_EQ(g.Reserve, c.reserveAfter) << c.count;
    }
}

// The dealing as the rules describe it, one soldier at a time.
void DealOneByOne(TGosRec& g, TFrontRec& f, int32_t count) {
    int64_t n = count;
    for (int k = 1; k <= Rules.TroopTypeCount; ++k) {
        n += f.Soldiers[k];
        g.Reserve += f.Soldiers[k];
        f.Soldiers[k] = 0;
    }
    const int types = std::min<int>(3, Rules.TroopTypeCount);
    for (int64_t i = 0; i < n && types > 0; ++i)
        if (g.Reserve > 0) {
            ++f.Soldiers[static_cast<int>(i % types) + 1];
            --g.Reserve;
        }
}

TEST_F(Fronts, SetFrontSoldiersMatchesDealingOneByOneForEveryTypeCount) {
    ScopedSeed seed(11);
    for (int types = 0; types <= 5; ++types) {
        Rules.TroopTypeCount = static_cast<uint8_t>(types);
        for (int round = 0; round < 200; ++round) {
            Five front{};
            for (int k = 0; k < types; ++k) front[k] = Random(20);
            const int32_t reserve = Random(60) - 5;
            const int32_t count = Random(120) - 60;
            TGosRec expected{};
            SetSoldiers(expected.Fronts[1], front);
            expected.Reserve = reserve;
            DealOneByOne(expected, expected.Fronts[1], count);
            TGosRec& g = Game.mGos[1];
            SetSoldiers(g.Fronts[3], front);
            g.Reserve = reserve;
            SetFrontSoldiers(1, 3, count);
            ASSERT_EQ(SoldiersOf(g.Fronts[3]), SoldiersOf(expected.Fronts[1]))
                << types << " types, reserve " << reserve << ", count " << count;
            ASSERT_EQ(g.Reserve, expected.Reserve);
        }
    }
}

TEST_F(Fronts, SwapWithHomeFrontMovesSoldiersAndKordalts) {
    Game.GosCount = 5;
    TGosRec& g = Game.mGos[2];
    SetSoldiers(g.Fronts[4], {1, 2, 3, 4, 5});
    SetSoldiers(g.Fronts[2], {9, 8, 7, 6, 0});
    g.Fronts[4].Kordalt = 22;
    g.Fronts[2].Kordalt = 42;
    Game.mKordalt[22].Front = 4;
    Game.mKordalt[42].Front = 2;
    SwapWithHomeFront(2, 4);
    EXPECT_EQ(SoldiersOf(g.Fronts[4]), (Five{9, 8, 7, 4, 5}));  // types above TroopTypeCount stay
    EXPECT_EQ(SoldiersOf(g.Fronts[2]), (Five{1, 2, 3, 6, 0}));
    EXPECT_EQ(g.Fronts[4].Kordalt, 42);
    EXPECT_EQ(g.Fronts[2].Kordalt, 22);
    EXPECT_EQ(Game.mKordalt[42].Front, 4);
    EXPECT_EQ(Game.mKordalt[22].Front, 2);

    g.Fronts[4].Kordalt = 0;
    SwapWithHomeFront(2, 4);  // only the home front's Kordalt moves
    EXPECT_EQ(g.Fronts[2].Kordalt, 0);
    EXPECT_EQ(g.Fronts[4].Kordalt, 22);
    EXPECT_EQ(Game.mKordalt[22].Front, 4);
}

TEST_F(Fronts, CountingHelpers) {
    TGosRec& g = Game.mGos[1];
    SetSoldiers(g.Fronts[2], {4, 5, 6, 100, 100});
    EXPECT_EQ(FrontSoldiers(1, 2), 15);  // types 1..TroopTypeCount
    Rules.TroopTypeCount = 5;
    EXPECT_EQ(FrontSoldiers(1, 2), 215);

    g.Peasants = 10;
    g.Scientists = 20;
    g.Soldiers = 30;
    EXPECT_EQ(Population(1), 60);
    g.Peasants = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(Population(1), std::numeric_limits<int32_t>::max());

    EXPECT_EQ(TruncMul(7, 100.0), 700);
    EXPECT_EQ(TruncMul(-3, 2.5), -7);
    EXPECT_EQ(TruncMul(std::numeric_limits<int32_t>::max(), 100.0), 214748364700);
}

TEST_F(Fronts, FieldsToSow) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        int32_t peasants;
        uint16_t territory, sown;
        int32_t grain;
        float effect;
        int64_t fields;
    } cases[] = {
        {100, 50, 10, 1000, 1.0f, 40},  // land and peasants
        {30, 50, 0, 1000, 1.0f, 30},    // peasants
        {30, 50, 0, 25, 1.0f, 25},      // seed grain
        {100, 100, 0, 99, 2.0f, 49},    // a field takes the agrarian level in grain
        {30, 50, 0, 0, 1.0f, 0},        // no grain
        {30, 50, 40, 100, 1.0f, 0},     // more sown than can be: never negative
        {100, 100, 0, -50, 1.0f, 0},   {100, 100, 0, 50, 0.0f, 0},  // an effect that cannot divide
        {100, 100, 0, 50, -1.0f, 0},   {100, 100, 0, 50, nan, 0},  {100, 100, 0, 50, inf, 0},
    };
    for (const Case& c : cases) {
        TGosRec& g = Game.mGos[3];
        g.Peasants = c.peasants;
        g.Territory = c.territory;
        g.FieldsSown = c.sown;
        g.Grain = c.grain;
        g.Research[AgrarianLevel].Effect = c.effect;
        EXPECT_EQ(FieldsToSow(3), c.fields) << c.peasants << " " << c.grain << " " << c.effect;
    }
}

TEST_F(Fronts, HasHumanPlayersLooksAtEveryStateInTheGame) {
    Game.GosCount = 3;
    EXPECT_FALSE(HasHumanPlayers());
    Game.mGos[4].Player = 1;  // not in the game
    EXPECT_FALSE(HasHumanPlayers());
    Game.mGos[3].Player = 1;  // a dead state still counts
    EXPECT_TRUE(HasHumanPlayers());
}

// A generated map of seven states; every front is flagged as a neighbour front,
// as if the borders had just changed.
class CheckFrontsTest : public RulesTest {
protected:
    static constexpr int kStates = 7;

    CheckFrontsTest() : map_(60, 60, false, kStates) {
        ScopedSeed seed(3);
        map_.Generate();
        Map = &map_;
        Game.GosCount = kStates;
        for (int i = 1; i <= kStates; ++i) {
            TGosRec& g = Game.mGos[i];
            g.Name.AssignUtf8("Страна" + std::to_string(i));
            g.Alive = 1;
            g.Reserve = 10;
            g.Soldiers = 10;
            for (int j = 1; j <= kStates; ++j) g.Fronts[j].Neighbour = 1;
        }
        Game.mKordalt[1].Name.AssignUtf8("Кордальт");
    }
    ~CheckFrontsTest() override { Map = nullptr; }

    // Puts soldiers and, when given, a Kordalt slot on state a's front toward b.
    static void Man(int a, int b, const Five& soldiers, int slot = 0) {
        TGosRec& g = Game.mGos[a];
        SetSoldiers(g.Fronts[b], soldiers);
        for (int s : soldiers) g.Soldiers += s;
        if (slot == 0) return;
        g.Fronts[b].Kordalt = static_cast<uint8_t>(slot);
        Game.mKordalt[slot].Owner = static_cast<uint8_t>(a);
        Game.mKordalt[slot].Front = static_cast<uint8_t>(b);
        Game.mKordalt[slot].Order = 1;
    }

    std::pair<int, int> FindPair(bool neighbours) const {
        for (int a = 1; a <= kStates; ++a)
            for (int b = 1; b <= kStates; ++b)
                if (a != b && map_.AreNeighbours(a, b) == neighbours) return {a, b};
        return {0, 0};
    }

    TSquares map_;
};

TEST_F(CheckFrontsTest, FrontsFollowTheMap) {
    const auto [a, far] = FindPair(false);
    ASSERT_NE(a, 0) << "the map has no two states without a common border";
    const auto [b, near] = FindPair(true);
    // A dead state other than a and b, with a front toward a state it does not border.
    int dead = 0, deadFar = 0;
    for (int d = 1; d <= kStates && !dead; ++d)
        for (int j = 1; j <= kStates && !dead; ++j)
            if (d != a && d != b && j != d && !map_.AreNeighbours(d, j)) dead = d, deadFar = j;
    ASSERT_NE(dead, 0);
    Game.mGos[dead].Alive = 0;

    Man(a, far, {4, 5, 6}, 1);   // a vanished front: Kordalt and soldiers go
    Man(a, a, {1, 1, 1}, 21);    // the home front is never released
    Man(b, near, {2, 0, 0}, 2);  // a front toward a neighbour stays
    Man(dead, deadFar, {7, 0, 0});
    Game.mKordalt[3] = {3, {}, 3, 0, 0, 0, 1, 0, 0, 1, 1, 0};  // owner out of range
    Game.mKordalt[4] = {4, {}, 9, 1, 0, 0, 1, 0, 0, 1, 1, 0};  // front out of range

    CheckFronts();

    EXPECT_EQ(ui.messages, std::vector<std::string>{});  // both self-tests passed
    for (int i = 1; i <= kStates; ++i) {
        const TGosRec& g = Game.mGos[i];
        EXPECT_EQ(g.Territory, map_.RegionSize(i));
        int count = 0;
        for (int j = 1; j <= kStates; ++j) {
            EXPECT_EQ(g.Fronts[j].Neighbour, map_.AreNeighbours(i, j) ? 1 : 0) << i << " " << j;
            count += g.Fronts[j].Neighbour;
        }
        EXPECT_EQ(g.NeighbourCount, count);
    }
    EXPECT_EQ(Game.AliveGosCount, kStates - 1);

    const TGosRec& ga = Game.mGos[a];
    EXPECT_EQ(SoldiersOf(ga.Fronts[far]), (Five{}));
    EXPECT_EQ(ga.Reserve, 10 + 15);
    EXPECT_EQ(ga.Fronts[far].Kordalt, 0);
    EXPECT_EQ(Game.mKordalt[1].Front, 0);
    EXPECT_EQ(Game.mKordalt[1].Order, 2);
    EXPECT_EQ(ga.Fronts[a].Kordalt, 21);
    EXPECT_EQ(Game.mKordalt[21].Front, a);
    EXPECT_EQ(Game.mKordalt[21].Order, 1);
    EXPECT_EQ(Game.mGos[b].Fronts[near].Kordalt, 2);
    EXPECT_EQ(FrontSoldiers(b, near), 2);
    EXPECT_EQ(Game.mKordalt[2].Order, 1);
    EXPECT_EQ(Game.mKordalt[3].Front, 0);
    EXPECT_EQ(Game.mKordalt[3].Order, 1);
    EXPECT_EQ(Game.mKordalt[4].Front, 0);
    EXPECT_EQ(FrontSoldiers(dead, deadFar), 7);  // a dead state's fronts are not emptied
    EXPECT_EQ(Game.mGos[dead].Reserve, 10);

    const std::vector<Entry> expected{
        {kEventMessage, a, clBlue,
         "В связи с изменением границы, Ваш Kordalt Кордальт остался не у дел, и был с почётом отправлен на "
         "заслуженный отдых"}};
    EXPECT_EQ(Report(), expected);
}

TEST_F(CheckFrontsTest, ManningTheFrontsOfAGeneratedMapKeepsEveryArmyWhole) {
    CheckFronts();
    for (int i = 1; i <= kStates; ++i) {
        TGosRec& g = Game.mGos[i];
        g.Reserve = g.Soldiers = 100 * i + 7;
        ASSERT_GT(g.NeighbourCount, 0);
        for (int j = 1; j <= kStates; ++j)
            if (g.Fronts[j].Neighbour) SetFrontSoldiers(i, j, g.Soldiers / g.NeighbourCount);
        SetFrontSoldiers(i, i, g.Reserve);  // the rest to the home front
        EXPECT_EQ(g.Reserve, 0);
    }
    CheckFronts();  // the self-tests stop the program when an army does not add up
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    for (int i = 1; i <= kStates; ++i) {
        const TGosRec& g = Game.mGos[i];
        int64_t onFronts = 0;
        for (int j = 1; j <= kStates; ++j) {
            const int32_t n = FrontSoldiers(i, j);
            if (j != i && !g.Fronts[j].Neighbour) EXPECT_EQ(n, 0);
            // Even over the three types: no two types differ by more than one.
            const auto [lo, hi] =
                std::minmax({g.Fronts[j].Soldiers[1], g.Fronts[j].Soldiers[2], g.Fronts[j].Soldiers[3]});
            EXPECT_LE(hi - lo, 1);
            onFronts += n;
        }
        EXPECT_EQ(onFronts, g.Soldiers);
    }
}

}  // namespace
}  // namespace kordalt
