#include "game/ai_economy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai_fixture.h"
#include "game/random.h"

namespace kordalt {
namespace {

using AiEconomy = AiTest;

TEST_F(AiEconomy, StrengthCountsPeopleUpToTwicePerSquare) {
    struct Case {
        uint16_t territory;
        int32_t peasants, scientists, soldiers;
        double strength;
    } cases[] = {
        {100, 0, 0, 0, 100},   {100, 100, 0, 0, 150}, {100, 60, 20, 20, 150},
        {100, 200, 0, 0, 200}, {100, 900, 0, 0, 200}, {40, 20, 0, 0, 50},
        {0, 0, 0, 0, 0},       {0, 10, 0, 0, 0},  // no territory: no strength, no division by zero
    };
    for (const Case& c : cases) {
        TGosRec& g = Game.mGos[1];
        g.Territory = c.territory;
        g.Peasants = c.peasants;
        g.Scientists = c.scientists;
        g.Soldiers = c.soldiers;
        EXPECT_DOUBLE_EQ(GosStrength(1), c.strength) << c.territory << " " << c.peasants;
    }
}

TEST_F(AiEconomy, StrengthRatioOfNeighbourOverState) {
    Game.mGos[1].Territory = 100;  // strength 150
    Game.mGos[2].Territory = 200;  // 100 peasants: strength 250
    EXPECT_DOUBLE_EQ(StrengthRatio(2, 1), 250.0 / 150.0);
    EXPECT_DOUBLE_EQ(StrengthRatio(1, 2), 150.0 / 250.0);
    Game.mGos[1].Territory = 0;
    EXPECT_EQ(StrengthRatio(2, 1), 0);
}

TEST_F(AiEconomy, AttitudesMoveWithGrievanceStrengthAndBorders) {
    struct Case {
        int attitude, aggression, theirAggression;
        bool border;
        uint16_t theirTerritory;  // state 1 has 100 squares, both have no people
        bool alive;
        int attitudeAfter, aggressionAfter;
    } cases[] = {
        {50, 0, 0, true, 60, true, 60, 0},     // much weaker: +5 +5
        {88, 0, 0, true, 60, true, 98, 0},     // 88 -> 93 -> 98: the step looks at the value before it
        {93, 0, 0, true, 60, true, 100, 0},    // 93 -> 98 -> 100
        {95, 0, 0, true, 100, true, 100, 0},   // 95 or more becomes 100
        {50, 0, 0, true, 100, true, 55, 0},    // ratio 1 < 1.01
        {50, 0, 0, true, 101, true, 50, 0},    // ratio 1.01: no change
        {50, 0, 1, true, 60, true, 50, 0},     // their grievance blocks the warming
        {50, 2, 0, true, 100, true, 49, 1},    // aggression 2 falls to 1 and costs 1
        {50, 4, 0, true, 100, true, 23, 3},    // 3 cubed is 27
        {20, 4, 0, true, 100, true, 0, 3},     // 27 > 20
        {50, 0, 0, true, 130, true, 48, 0},    // stronger: -2
        {50, 0, 0, true, 170, true, 46, 0},    // -2 -2
        {50, 0, 0, true, 190, true, 44, 0},    // -2 -2 -2
        {4, 0, 0, true, 190, true, 0, 0},      // 4 -> 2 -> 0 -> 0
        {50, 0, 0, false, 190, true, 55, 0},   // no border: +5
        {97, 1, 0, false, 190, true, 100, 0},  // aggression 1 -> 0 first, then p = 0
        {50, 3, 0, true, 60, false, 50, 2},    // dead: only the aggression falls
    };
    for (const Case& c : cases) {
        MakeGame(2, 20);
        for (int i = 1; i <= 2; ++i) Game.mGos[i].Peasants = 0;
        if (c.border) Border(1, 2);
        TGosRec& g = Game.mGos[1];
        g.Relations[2] = {static_cast<uint8_t>(c.attitude), static_cast<uint8_t>(c.aggression)};
        Game.mGos[2].Relations[1].Aggression = static_cast<uint8_t>(c.theirAggression);
        Game.mGos[2].Territory = c.theirTerritory;
        Game.mGos[2].Alive = c.alive;
        AiUpdateRelations(1);
        EXPECT_EQ(g.Relations[2].Attitude, c.attitudeAfter)
            << c.attitude << " " << c.aggression << " " << c.theirTerritory;
        EXPECT_EQ(g.Relations[2].Aggression, c.aggressionAfter) << c.attitude << " " << c.aggression;
    }
}

TEST_F(AiEconomy, ModeFlagsByCharacterAndNeighbours) {
    struct Case {
        int character;
        uint16_t territory, neighbourTerritory;  // nobody has people: strength is territory
        int year;
        uint32_t timesAttacked;
        int alive;  // of 6 states on 400 squares
        bool war, safe, dominant, outsized;
    } cases[] = {
        {1, 100, 116, 40, 0, 6, false, true, false, true},
        {1, 100, 121, 40, 0, 6, false, false, false, true},
        {1, 100, 131, 40, 0, 6, true, false, false, true},
        {2, 100, 117, 40, 0, 6, false, true, false, true},
        {2, 100, 119, 40, 0, 6, false, false, false, true},
        {2, 100, 126, 40, 0, 6, true, false, false, true},
        {3, 100, 114, 40, 0, 6, false, true, false, true},
        {3, 100, 116, 40, 0, 6, false, false, false, true},
        {3, 100, 121, 40, 0, 6, true, false, false, true},
        {1, 100, 90, 40, 0, 6, false, true, true, false},    // 90 * 1.1 < 100
        {1, 100, 95, 40, 0, 6, false, true, false, false},   // neither bigger nor outsized
        {1, 100, 109, 40, 0, 6, false, true, false, false},  // 109 / 1.1 < 100
        // below the average territory of 66.7 before year 30
        {1, 60, 70, 29, 0, 6, false, false, false, true},
        {1, 60, 70, 29, 1, 6, true, false, false, true},
        {1, 60, 70, 30, 1, 6, false, true, false, true},
        {1, 60, 50, 40, 0, 6, false, true, false, false},  // bigger than the neighbour, smaller than average
        // 1 of 6 alive: at war, and below the average of 400
        {1, 100, 90, 40, 0, 1, true, false, false, false},
    };
    for (const Case& c : cases) {
        MakeGame(6, 20);
        Game.AliveGosCount = static_cast<uint8_t>(c.alive);
        for (int i = 1; i <= 6; ++i) Game.mGos[i].Peasants = 0;
        Border(1, 2);
        TGosRec& g = Game.mGos[1];
        g.Character = c.character;
        g.TimesAttacked = c.timesAttacked;
        g.Territory = c.territory;
        Game.Year = static_cast<uint8_t>(c.year);
        Game.mGos[2].Territory = c.neighbourTerritory;
        const TAiMode flags = AiModeFlags(1);
        const std::string what = std::to_string(c.character) + " " + std::to_string(c.territory) + " " +
                                 std::to_string(c.neighbourTerritory) + " " + std::to_string(c.year);
        EXPECT_EQ(flags.WarFooting, c.war) << what;
        EXPECT_EQ(flags.Safe, c.safe) << what;
        EXPECT_EQ(flags.Dominant, c.dominant) << what;
        EXPECT_EQ(flags.Outsized, c.outsized) << what;
    }
}

TEST_F(AiEconomy, HiringByShareMoneyAndLimits) {
    struct Case {
        const char* what;
        int32_t money, peasants, scientists;
        bool dominant;
        int character;
        int32_t scientistsAfter, soldiersAfter, moneyAfter, peasantsAfter;
    } cases[] = {
        // three scientists and a soldier a pass; the fourth scientist pass hires one
        {"shares", 1000, 1000, 0, false, 1, 7, 2, 100, 991},
        {"100 money hires nobody", 100, 1000, 0, false, 1, 0, 0, 100, 1000},
        {"101 money hires one", 101, 1000, 0, false, 1, 1, 0, 1, 999},
        {"science outruns the costs", 1000, 1000, 10, false, 1, 10, 9, 100, 991},
        {"few peasants stop the hiring", 1000, 60, 0, false, 1, 3, 1, 600, 56},
        {"dominant with a small army", 1000, 1000, 0, true, 2, 0, 9, 100, 991},
        {"character 1 ignores dominance", 1000, 1000, 0, true, 1, 7, 2, 100, 991},
    };
    for (const Case& c : cases) {
        MakeGame(2, 20);
        SetFlags(false, true, c.dominant, false);
        TGosRec& g = Game.mGos[1];
        g.Character = c.character;
        g.Peasants = c.peasants;
        g.Scientists = g.FreeScientists = c.scientists;
        g.FieldsSown = 100;  // worth 100 * 1 * 10
        for (TResearchRec& r : g.Research) r.Cost = c.scientists > 0 ? 1 : 1000;
        g.Money = c.money;
        AiHirePeople(1, 0.2, 0.3, mode);
        EXPECT_EQ(g.Scientists, c.scientistsAfter) << c.what;
        EXPECT_EQ(g.FreeScientists, c.scientistsAfter) << c.what;
        EXPECT_EQ(g.Soldiers, c.soldiersAfter) << c.what;
        EXPECT_EQ(g.Reserve, c.soldiersAfter) << c.what;
        EXPECT_EQ(g.Money, c.moneyAfter) << c.what;
        EXPECT_EQ(g.Peasants, c.peasantsAfter) << c.what;
    }
}

TEST_F(AiEconomy, HiringAtWarStopsScientistsAtAQuarterOfTheHarvest) {
    SetFlags(true, false, false, false);
    TGosRec& g = Game.mGos[1];
    g.Peasants = 1000;
    g.FieldsSown = 10;  // worth 100; 9 scientists earn 33 >= 100 / 4, 6 earn 17
    g.Money = 100000;
    AiHirePeople(1, 0.01, 0.9, mode);
    EXPECT_EQ(g.Scientists, 9);
    EXPECT_EQ(g.Soldiers, 10);  // 1% of 1000
    EXPECT_EQ(g.Money, 100000 - 19 * 100);
}

TEST_F(AiEconomy, AssigningStaffsAnEmptyBranchForTheMissingPoints) {
    struct Case {
        int32_t cost, points;
        float science;
        int32_t already, free;
        int32_t staffed, freeAfter;
    } cases[] = {
        {100, 0, 1.0f, 0, 50, 50, 0},    // needs 101, takes all
        {100, 40, 2.0f, 0, 50, 31, 19},  // Trunc(60 / 2) + 1
        {100, 41, 2.0f, 0, 50, 30, 20},  // Trunc(59 / 2) + 1
        {100, 120, 1.0f, 0, 50, 1, 49},  // points beyond the cost: at least 1
        {100, 0, 1.0f, 3, 50, 3, 50},    // already staffed
        {100, 0, 1.0f, 0, 0, 0, 0},      // nobody free
    };
    for (const Case& c : cases) {
        TGosRec& g = Game.mGos[1];
        g.Research[ScienceLevel].Effect = c.science;
        TResearchRec& r = g.Research[AgrarianLevel];
        r.Cost = c.cost;
        r.Points = c.points;
        r.Scientists = c.already;
        g.FreeScientists = c.free;
        AiAssignScientists(1, AgrarianLevel);
        EXPECT_EQ(r.Scientists, c.staffed) << c.points;
        EXPECT_EQ(g.FreeScientists, c.freeAfter) << c.points;
    }
}

// Every branch needs 2 scientists and 5 are at hand, so the staffing shows
// which branches were chosen first.
TEST_F(AiEconomy, ScientistStaffingByCharacter) {
    struct Case {
        const char* what;
        int character;
        bool war, safe;
        std::array<int32_t, 6> levels;
        std::vector<ScriptedRandom::Draw> draws;
        std::array<int32_t, 6> staff;
    } cases[] = {
        // lagging 0.5 no; character 1 science 0.5 < 0.9; full land 0.1 < 0.2: density; agrarian 0.3 < 0.8
        {"character 1", 1, false, true, {2, 2, 2, 2, 2, 4}, {0.5, 0.5, 0.1, 0.3}, {2, 0, 1, 0, 0, 2}},
        // science 0.9 and 0.5 (ratio 1 is not below 0.8); density 0.1; agrarian 0.9 < 0.95; fill 85: science
        {"character 2",
         2,
         false,
         true,
         {2, 2, 2, 2, 2, 4},
         {0.5, 0.9, 0.5, 0.1, 0.9, 85},
         {2, 0, 2, 0, 0, 1}},
        // science 0.3 (no second draw); density 0.5 no; agrarian 0.7 < 0.8; fill 5: density
        {"character 3", 3, false, true, {2, 2, 2, 2, 2, 4}, {0.5, 0.3, 0.5, 0.7, 5}, {1, 0, 2, 0, 0, 2}},
        // war: military first (L5 - 2 > L4); every chance missed, none for the unsafe science;
        // war thresholds: 40 is branch 3, 96 branch 5
        {"war", 1, true, false, {2, 2, 2, 2, 1, 4}, {0.5, 0.95, 0.8, 0.5, 0.9, 40, 96}, {0, 0, 0, 2, 2, 1}},
        // lagging military drawn (0.1); five behind science: growth, agrarian; nobody left for the rest,
        // but the common block still draws (density 0.5, agrarian 0.5)
        {"far behind", 1, false, true, {9, 3, 3, 9, 2, 9}, {0.1, 0.5, 0.5}, {0, 2, 1, 0, 2, 0}},
        // density level at science's staffs science; character 1 misses 0.95, 0.8, 0.7; density 0.5 no;
        // science not above agrarian or financial: no agrarian draw; fill 3 and 15
        {"science not ahead",
         1,
         false,
         true,
         {5, 5, 5, 5, 5, 5},
         {0.5, 0.95, 0.8, 0.7, 0.5, 3, 15},
         {2, 1, 0, 0, 0, 2}},
    };
    for (const Case& c : cases) {
        MakeGame(2, 20);
        SetFlags(c.war, c.safe, false, false);
        TGosRec& g = Game.mGos[1];
        g.Character = c.character;
        g.Scientists = 5;
        g.Research[AgrarianLevel].Scientists = 5;  // all go back to the free pool first
        for (int k = 0; k < 6; ++k) {
            g.Research[k].Level = c.levels[k];
            g.Research[k].Cost = 1;
        }
        ScopedScriptedRandom script;
        for (const ScriptedRandom::Draw& d : c.draws) script->Add(d);
        AiDistributeScientists(1, {10, 20, 70, 80, 1, 100}, mode);
        EXPECT_EQ(Staff(1), c.staff) << c.what;
        EXPECT_EQ(script->Remaining(), 0u) << c.what;
        int32_t staffed = 0;
        for (int32_t s : c.staff) staffed += s;
        EXPECT_EQ(g.FreeScientists, 5 - staffed) << c.what;
    }
}

TEST_F(AiEconomy, RandomFillWithMilitaryTurnedOffStaffsItLast) {
    TGosRec& g = Game.mGos[1];
    g.Scientists = 12;
    g.Research[MilitaryTraining].Scientists = 12;
    for (int k = 0; k < 6; ++k) {
        g.Research[k].Level = 3;
        g.Research[k].Cost = 1;
    }
    g.Research[ScienceLevel].Level = 2;  // every other level at or above science: science first
    SetFlags(false, true, false, false);
    // lagging 0.5 no; character 1 science 0.95, 0.8, 0.6 missed; density 0.5 no
    ScopedScriptedRandom script{0.5, 0.95, 0.8, 0.6, 0.5};
    for (int x : {85, 0, 79, 20, 40}) script->Add(x);
    for (int n = 5; n < 1001; ++n) script->Add(80 + n % 20);  // all science, already staffed
    AiDistributeScientists(1, {20, 40, 60, 80, 1, 100}, mode);
    EXPECT_EQ(Staff(1), (std::array<int32_t, 6>{2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(script->Remaining(), 0u);
    EXPECT_EQ(g.FreeScientists, 0);
}

}  // namespace
}  // namespace kordalt
