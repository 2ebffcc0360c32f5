#include "game/economy.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/arith.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

constexpr char kTexts[] =
    "3201=over\n3202=grow %d\n"
    "3204=lvl0 %d\n3205=lvl1 %d\n3206=lvl2 %d\n3207=lvl3 %d\n3208=lvl4 %d\n3209=lvl5 %d\n"
    "3210=sci paid %d\n3211=sci sold %d\n3212=sci all left\n3213=sci left %d\n"
    "3214=sol paid %d\n3215=sol sold %d\n3216=sol all left\n3217=sol left %d\n";

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

class Economy : public RulesTest {
protected:
    Economy() {
        Game.GosCount = 4;
        Game.Year = 5;
        TGosRec& g = State();
        g.Alive = 1;
        for (int k = 0; k < ResearchBranchCount; ++k) {
            g.Research[k].Effect = InitialResearch[k].Effect;
            g.Research[k].Increment = InitialResearch[k].Increment;
            g.Research[k].Cost = 100;
        }
    }
    static TGosRec& State() { return Game.mGos[2]; }
    static std::vector<Entry> Events(std::initializer_list<std::pair<TColor, const char*>> list) {
        std::vector<Entry> entries;
        for (auto [color, text] : list) entries.push_back({kEventMessage, 2, color, text});
        return entries;
    }

    TestLanguage language{kTexts};
};

TEST(PowerTrunc, WorkedNumbers) {
    struct Case {
        double base, exponent;
        int64_t result;
    } cases[] = {{0, 1.6, 0},    {1, 1.8, 1}, {10, 1.6, 39}, {100, 1.8, 3981},
                 {32, 1.8, 512}, {2, 1.8, 3}, {20, 3, 8000}};
    for (const Case& c : cases)
        EXPECT_EQ(PowerTrunc(c.base, c.exponent), c.result) << c.base << " " << c.exponent;
}

TEST_F(Economy, Salaries) {
    struct Case {
        const char* what;
        int32_t scientists, soldiers, money, grain, peasants;
        int32_t moneyAfter, grainAfter, scientistsAfter, soldiersAfter;
        std::vector<Entry> events;
    } cases[] = {
        {"nobody to pay", 0, 0, 10, 10, 0, 10, 10, 0, 0, {}},
        {"32 soldiers earn PowerTrunc(32, 1.8) = 512", 0, 32, 1000, 0, 0, 488, 0, 0, 32,
         Events({{clOlive, "sol paid 512"}})},
        {"exactly the treasury", 10, 0, 39, 0, 0, 0, 0, 10, 0, Events({{clOlive, "sci paid 39"}})},
        {"soldiers are paid from what the scientists left", 10, 32, 551, 0, 0, 0, 0, 10, 32,
         Events({{clOlive, "sci paid 39"}, {clOlive, "sol paid 512"}})},
        // 50 fields to sow keep 51 tons; 949 tons sold at 10.
        {"grain sold", 0, 32, 100, 1000, 50, 9078, 51, 0, 32,
         Events({{clOlive, "sol sold 9490"}, {clOlive, "sol paid 512"}})},
        // Trunc((1 - 200 / 512) * 32) + 1 = 20 leave.
        {"unpaid soldiers partly leave", 0, 32, 200, 0, 0, 0, 0, 0, 12, Events({{clRed, "sol left 20"}})},
        // 199 tons sold; Trunc((1 - 2990 / 3981) * 100) + 1 = 25 leave.
        {"a sale that is not enough", 0, 100, 1000, 200, 0, 0, 1, 0, 75,
         Events({{clOlive, "sol sold 1990"}, {clRed, "sol left 25"}})},
        // PowerTrunc(2, 1.8) = 3; Trunc(1 * 2) + 1 = 3 >= 2.
        {"the whole army leaves", 0, 2, 0, 0, 0, 0, 0, 0, 0, Events({{clRed, "sol all left"}})},
        // Trunc((1 - 9 / 39) * 10) + 1 = 8 leave.
        {"unpaid scientists", 10, 0, 9, 0, 0, 0, 0, 2, 0, Events({{clRed, "sci left 8"}})},
        // The sale saturates the treasury instead of wrapping.
        {"a sale beyond the 32-bit limit", 0, 32, 100, kMax, 0, kMax - 412, 1, 0, 32,
         Events({{clOlive, "sol sold 2147483647"}, {clOlive, "sol paid 512"}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Messages.Clear();
        TGosRec& g = State();
        g.Scientists = g.FreeScientists = c.scientists;
        g.Soldiers = g.Reserve = c.soldiers;
        g.Money = c.money;
        g.Grain = c.grain;
        g.Peasants = c.peasants;
        g.Territory = 100;
        PaySalaries(2);
        EXPECT_EQ(g.Money, c.moneyAfter);
        EXPECT_EQ(g.Grain, c.grainAfter);
        EXPECT_EQ(g.Scientists, c.scientistsAfter);
        EXPECT_EQ(g.FreeScientists, c.scientistsAfter);
        EXPECT_EQ(g.Soldiers, c.soldiersAfter);
        EXPECT_EQ(g.Reserve, c.soldiersAfter);
        EXPECT_EQ(Report(), c.events);
    }
}

TEST_F(Economy, UnpaidSoldiersAreCalledBackFromEveryFrontFirst) {
    TGosRec& g = State();
    g.Soldiers = 32;
    g.Reserve = 17;
    g.Fronts[1].Soldiers[1] = 10;
    g.Fronts[4].Soldiers[2] = 5;
    g.Money = 200;
    PaySalaries(2);
    EXPECT_EQ(g.Soldiers, 12);
    EXPECT_EQ(g.Reserve, 12);
    EXPECT_EQ(g.Fronts[1].Soldiers[1], 0);
    EXPECT_EQ(g.Fronts[4].Soldiers[2], 0);
}

TEST_F(Economy, UnpaidScientistsLeaveTheirBranches) {
    TGosRec& g = State();
    g.Scientists = 10;
    g.FreeScientists = 3;
    g.Research[0].Scientists = 3;
    g.Research[5].Scientists = 4;
    g.Money = 9;
    PaySalaries(2);
    EXPECT_EQ(g.Scientists, 2);
    EXPECT_EQ(g.FreeScientists, 2);
    for (const TResearchRec& r : g.Research) EXPECT_EQ(r.Scientists, 0);
}

TEST_F(Economy, Harvest) {
    struct Case {
        uint16_t territory, sown;
        float agrarian, financial;
        int32_t grain, grainAfter;
        uint32_t harvest;
        const char* text;
    } cases[] = {
        {100, 40, 1.5f, 10.0f, 5, 125, 120, "Ваши крестьяне вырастили 120 тонн зерна, на сумму 1200 $"},
        {100, 0, 1.5f, 10.0f, 5, 5, 0, "Ваши крестьяне вырастили 0 тонн зерна, на сумму 0 $"},
        // Sown fields above the territory count as the territory; 30 * 1.05f = 31.49999.
        {30, 40, 1.05f, 10.5f, 0, 62, 62, "Ваши крестьяне вырастили 62 тонн зерна, на сумму 651 $"},
        {100, 100, 1.0f, 1.0f, kMax - 1, kMax, 200,
         "Ваши крестьяне вырастили 200 тонн зерна, на сумму 200 $"},
    };
    FreeLanguageFile();  // the built-in text
    for (const Case& c : cases) {
        Messages.Clear();
        TGosRec& g = State();
        g.Territory = c.territory;
        g.FieldsSown = c.sown;
        g.Research[AgrarianLevel].Effect = c.agrarian;
        g.Research[FinancialLevel].Effect = c.financial;
        g.Grain = c.grain;
        Harvest(2);
        EXPECT_EQ(g.Grain, c.grainAfter);
        EXPECT_EQ(g.FieldsSown, 0);
        EXPECT_EQ(Game.YearStats[2][5].Harvest, c.harvest);
        EXPECT_EQ(Report(), Events({{clGreen, c.text}}));
    }
}

TEST_F(Economy, HarvestOutsideTheYearsOfTheStatistics) {
    State().Territory = 100;
    for (int year : {0, 121, 255}) {
        Game.Year = static_cast<uint8_t>(year);
        State().FieldsSown = 10;
        Harvest(2);  // ASan reports a write past YearStats
        EXPECT_EQ(State().FieldsSown, 0);
    }
    Game.Year = 120;
    State().FieldsSown = 10;
    Harvest(2);
    EXPECT_EQ(Game.YearStats[2][120].Harvest, 20u);
}

TEST_F(Economy, Growth) {
    struct Case {
        int32_t peasants;  // with 10 scientists and 10 soldiers
        float birthRate;
        uint16_t territory;
        float density;
        int32_t peasantsAfter;
        std::vector<Entry> events;
    } cases[] = {
        {80, 3.0f, 200, 1.0f, 84, Events({{clBlue, "grow 4"}})},    // Round(100 * 3 / 100 + 1)
        {30, 3.0f, 200, 1.0f, 32, Events({{clBlue, "grow 2"}})},    // 2.5 rounds to 2
        {130, 3.0f, 400, 1.0f, 136, Events({{clBlue, "grow 6"}})},  // 5.5 rounds to 6
        {80, 3.0f, 104, 1.0f, 84, Events({{clBlue, "grow 4"}})},    // exactly up to the capacity
        {80, 3.0f, 102, 1.0f, 82, Events({{clRed, "over"}})},       // filled up to the capacity
        {80, 3.0f, 41, 2.5f, 82, Events({{clRed, "over"}})},        // capacity 102.5 rounds to 102
        {80, 3.0f, 100, 1.0f, 80, Events({{clRed, "over"}})},       // at the capacity
        {80, 3.0f, 50, 1.0f, 80, Events({{clRed, "over"}})},        // above it
    };
    for (const Case& c : cases) {
        Messages.Clear();
        TGosRec& g = State();
        g.Peasants = c.peasants;
        g.Scientists = 10;
        g.Soldiers = 10;
        g.Research[PopulationGrowth].Effect = c.birthRate;
        g.Territory = c.territory;
        g.Research[PopulationDensity].Effect = c.density;
        GrowPopulation(2);
        EXPECT_EQ(g.Peasants, c.peasantsAfter) << c.peasants << " " << c.territory;
        EXPECT_EQ(Report(), c.events) << c.peasants << " " << c.territory;
    }
}

TEST_F(Economy, ResearchSteps) {
    struct Case {
        int32_t scientists, points, cost, level;
        float science, step;
        int32_t pointsAfter, costAfter, levelAfter;
        float effectAfter;  // of branch 0: Effect 1.0, Increment 0.07
        std::vector<Entry> events;
    } cases[] = {
        // Points equal to the cost: Round(100 + 20 + 20 / 1.2 * 1) = 137; 1 + 0.07 + 0.014.
        {10, 90, 100, 0, 1.0f, 20.0f, 0, 137, 1, 1.084f, Events({{clNavy, "lvl0 1"}})},
        {10, 95, 100, 0, 1.0f, 20.0f, 5, 137, 1, 1.084f, Events({{clNavy, "lvl0 1"}})},
        {10, 50, 100, 0, 1.0f, 20.0f, 60, 100, 0, 1.0f, {}},
        {3, 0, 100, 0, 1.5f, 20.0f, 4, 100, 0, 1.0f, {}},                               // Trunc(3 * 1.5)
        {0, 100, 100, 0, 1.0f, 3.0f, 0, 106, 1, 1.084f, Events({{clNavy, "lvl0 1"}})},  // 105.5 -> 106
        {0, 100, 100, 2, 1.0f, 3.0f, 0, 110, 3, 1.112f, Events({{clNavy, "lvl0 3"}})},  // 110.5 -> 110
        {0, 100, 100, 0, 1.0f, 9.0f, 0, 116, 1, 1.084f, Events({{clNavy, "lvl0 1"}})},  // 116.5 -> 116
    };
    for (const Case& c : cases) {
        Messages.Clear();
        TGosRec& g = State();
        TResearchRec& r = g.Research[0];
        r = {c.level, 1.0f, 0.07f, c.points, c.cost, c.scientists};
        g.Research[ScienceLevel].Effect = c.science;
        Game.ResearchCostStep = c.step;
        AdvanceResearch(2);
        EXPECT_EQ(r.Points, c.pointsAfter) << c.scientists << " " << c.points;
        EXPECT_EQ(r.Cost, c.costAfter) << c.step << " " << c.level;
        EXPECT_EQ(r.Level, c.levelAfter);
        EXPECT_EQ(r.Effect, c.effectAfter);
        EXPECT_EQ(Report(), c.events);
    }
}

TEST_F(Economy, ScienceBranchCountsFromTheNextYear) {
    TGosRec& g = State();
    g.Research[ScienceLevel] = {0, 1.0f, 0.1f, 95, 100, 10};
    g.Research[MilitaryTraining].Scientists = 10;
    AdvanceResearch(2);
    EXPECT_EQ(g.Research[ScienceLevel].Effect, 1.12f);
    EXPECT_EQ(g.Research[MilitaryTraining].Points, 10);  // the old effect
    EXPECT_EQ(g.Research[ScienceLevel].Points, 5);
    AdvanceResearch(2);
    EXPECT_EQ(g.Research[MilitaryTraining].Points, 21);  // Trunc(10 * 1.12 + 10)
    EXPECT_EQ(Report(), Events({{clNavy, "lvl5 1"}}));
}

TEST_F(Economy, YearStatistics) {
    TGosRec& g = State();
    g.Research[0].Level = 257;
    g.Research[4].Level = 3;
    g.Territory = 321;
    g.Peasants = 100000;
    g.Scientists = 70000;
    g.Soldiers = 65536;
    Game.YearStats[2][5].Harvest = 77;
    RecordYearStatistics(2);
    const TYearStatRec& s = Game.YearStats[2][5];
    EXPECT_EQ(s.Levels[0], 1);
    EXPECT_EQ(s.Levels[4], 3);
    EXPECT_EQ(s.Territory, 321);
    EXPECT_EQ(s.Peasants, 100000u);
    EXPECT_EQ(s.Scientists, 70000 - 65536);
    EXPECT_EQ(s.Soldiers, 0);
    EXPECT_EQ(s.Harvest, 77u);

    g.Alive = 0;
    RecordYearStatistics(2);
    EXPECT_EQ(s.Levels[0], 0);
    EXPECT_EQ(s.Levels[4], 0);
    EXPECT_EQ(s.Territory, 0);
    EXPECT_EQ(s.Peasants, 0u);
    EXPECT_EQ(s.Scientists, 0);
    EXPECT_EQ(s.Harvest, 77u);

    g.Alive = 1;
    for (int year : {0, 121}) {
        Game.Year = static_cast<uint8_t>(year);
        RecordYearStatistics(2);  // ASan reports a write past YearStats
    }
    EXPECT_EQ(s.Territory, 0);
}

}  // namespace
}  // namespace kordalt
