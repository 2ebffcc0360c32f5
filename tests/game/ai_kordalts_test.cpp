#include "game/ai_kordalts.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ai_fixture.h"
#include "game/fronts.h"
#include "game/kordalt_pool.h"
#include "game/random.h"
#include "game/squares.h"

namespace kordalt {
namespace {

using Draws = std::vector<ScriptedRandom::Draw>;

struct Version {
    int age, mastery, mark, speed;
    bool operator==(const Version&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Version& v) {
        return os << "{" << v.age << ", " << v.mastery << ", " << v.mark << ", " << v.speed << "}";
    }
};

int64_t PriceOf(const Version& v) { return KordaltPrice(v.age, v.mastery, v.mark, v.speed); }

Version VersionOf(const TKordaltRec& k) { return {k.Age, k.Mastery, k.Mark, k.Speed}; }

class AiKordalts : public AiTest {
protected:
    // A Kordalt of state `gos` in `slot`, free, resting.
    static void Hire(int slot, int gos, int age, int speed, int condition, int mastery = 0) {
        TKordaltRec& k = Game.mKordalt[slot];
        k.Owner = static_cast<uint8_t>(gos);
        k.Front = 0;
        k.Age = static_cast<uint8_t>(age);
        k.Speed = static_cast<uint8_t>(speed);
        k.Condition = static_cast<uint8_t>(condition);
        k.Mastery = static_cast<uint8_t>(mastery);
        k.Order = 2;
    }

    static void Script(ScopedScriptedRandom& script, const Draws& draws) {
        for (const ScriptedRandom::Draw& d : draws) script->Add(d);
    }
};

TEST_F(AiKordalts, UrgentLadderBuysTheLastAffordableVersion) {
    // The ladder: Mastery 1, 6, ..., 31, then Mark 4 and 5; Age falls by 2 to 15; Speed rises by 1 to 96.
    const Version ladder[] = {{30, 1, 3, 0},  {28, 6, 3, 1},  {26, 11, 3, 2}, {24, 16, 3, 3}, {22, 21, 3, 4},
                              {20, 26, 3, 5}, {18, 31, 3, 6}, {16, 31, 4, 7}, {15, 31, 5, 8}};
    struct Case {
        int64_t money;
        Version bought;
    } cases[] = {
        {PriceOf(ladder[0]), ladder[0]},     {PriceOf(ladder[1]), ladder[1]}, {PriceOf(ladder[2]), ladder[2]},
        {PriceOf(ladder[6]), ladder[6]},     {PriceOf(ladder[7]), ladder[7]}, {PriceOf(ladder[8]), ladder[8]},
        {PriceOf(ladder[1]) - 1, ladder[0]}, {100000000, {15, 31, 5, 96}},
    };
    for (const Case& c : cases) {
        MakeGame(4, 20);
        TGosRec& g = Game.mGos[2];
        g.Money = static_cast<int32_t>(c.money);
        g.KordaltCount = 1;
        Game.mKordalt[2].Owner = 2;  // the state's first slot is taken
        ScopedScriptedRandom noDraws;
        AiBuyKordalt(2, true);
        const TKordaltRec& k = Game.mKordalt[22];
        EXPECT_EQ(VersionOf(k), c.bought) << c.money;
        EXPECT_EQ(k.Owner, 2);
        EXPECT_EQ(k.Order, 2);
        EXPECT_EQ(g.Money, c.money - PriceOf(c.bought));
        EXPECT_EQ(g.KordaltCount, 2);
    }
}

TEST_F(AiKordalts, UnaffordableKordaltLeavesTheSlotFree) {
    for (const bool urgent : {true, false}) {
        TGosRec& g = Game.mGos[1];
        g.Money = static_cast<int32_t>(PriceOf({30, 1, 3, 0}) - 1);
        // not urgent: mark chance, r, then one improvement step (mark 0.5, speed 0 -> 1) before the test
        ScopedScriptedRandom script;
        if (!urgent) Script(script, {0.5, 4, 0.5});
        AiBuyKordalt(1, urgent);
        EXPECT_EQ(Game.mKordalt[1].Owner, 0) << urgent;
        EXPECT_EQ(g.KordaltCount, 0) << urgent;
        EXPECT_EQ(g.Money, PriceOf({30, 1, 3, 0}) - 1) << urgent;
        EXPECT_EQ(script->Remaining(), 0u) << urgent;
    }
}

TEST_F(AiKordalts, NonUrgentProfilesAndImprovement) {
    struct Case {
        const char* what;
        int kordalts;
        int64_t money;
        Draws draws;
        Version bought;
    } cases[] = {
        // mark 0.5, r 3; profile 1 passes 0.5; step: mark 3 -> 4 (0.1), age 25, speed 0.5: + Random(3)=2 + 1
        // + 1;
        // next step misses mark (0.9) and speed (0.95) and its age 20 is too dear
        {"profile 1", 0, PriceOf({25, 30, 4, 87}), {0.5, 3, 0.5, 0.1, 0.5, 2, 0.9, 0.95}, {25, 30, 4, 87}},
        // profile 1 fails its test (0.95), profile 2 passes (0.5); steps: age to 15, mark 4 -> 5 (0.01),
        // speed + 2 + 1 + 1 up to 100; then mastery may climb, and 6 is too dear (speed chance 0.95 missed)
        {"profile 2",
         0,
         PriceOf({30, 30, 3, 80}),
         {0.5, 0,   0.95, 0.5, 0.5, 0.5, 2, 0.5, 0.5, 2,   0.01, 0.5,
          2,   0.5, 2,    0.5, 2,   0.5, 2, 0.5, 2,   0.5, 2,    0.95},
         {15, 1, 5, 100}},
        // four Kordalts: profile 1 too dear, 2 fails, 3 passes; speed 100 lets mastery climb
        {"profile 3",
         4,
         PriceOf({15, 6, 3, 100}),
         {0.5, 0, 0.95, 0.5, 0.5, 0.95, 0.5, 0.95},
         {15, 6, 3, 100}},
        // no profile affordable: the base improves before its first test
        {"no profile", 0, 400, {0.5, 4, 0.5, 0.5, 0.5, 0, 0.5, 0.5, 0}, {20, 1, 3, 3}},
    };
    for (const Case& c : cases) {
        MakeGame(4, 20);
        TGosRec& g = Game.mGos[1];
        g.Money = static_cast<int32_t>(c.money);
        g.KordaltCount = static_cast<uint8_t>(c.kordalts);
        ScopedScriptedRandom script;
        Script(script, c.draws);
        AiBuyKordalt(1, false);
        EXPECT_EQ(VersionOf(Game.mKordalt[1]), c.bought) << c.what;
        EXPECT_EQ(g.Money, c.money - PriceOf(c.bought)) << c.what;
        EXPECT_EQ(g.KordaltCount, c.kordalts + 1) << c.what;
        EXPECT_EQ(script->Remaining(), 0u) << c.what;
    }
}

TEST_F(AiKordalts, ImprovementStopsAfterAThousandSteps) {
    // Mastery 30 cannot climb, Mark 3 and Speed 80 never change: the version stays affordable.
    Game.mGos[1].Money = 1000000000;
    ScopedScriptedRandom script{0.5, 0, 0.5};  // mark chance, r, profile 1 passes
    for (int step = 0; step < 1000; ++step) {
        script->Add(0.5);   // mark 3 stays
        script->Add(0.95);  // speed stays
    }
    AiBuyKordalt(1, false);
    EXPECT_EQ(VersionOf(Game.mKordalt[1]), (Version{15, 30, 3, 80}));
    EXPECT_EQ(script->Remaining(), 0u);
}

// Money below the price of a cheap Kordalt (450 here) keeps purchases out of the way.
TEST_F(AiKordalts, SavingForAKordalt) {
    struct Case {
        const char* what;
        int year;
        uint8_t kordalts, neighbours;
        int32_t scientists, money;
        int64_t v;
        bool war;
        Draws draws;
        int32_t saved, moneyAfter;
        uint8_t savingAfter;
    } cases[] = {
        // 60 scientists earn 700: below 2000 / 1.5, above 2000 / 4
        {"saves", 30, 1, 1, 60, 400, 2000, false, {0.5}, 400, 0, 1},
        {"salaries too high", 30, 1, 1, 100, 400, 2000, false, {0.5}, 0, 400, 0},
        {"salary test skipped", 30, 1, 1, 100, 400, 2000, false, {0.05}, 400, 0, 1},
        {"science cheap", 30, 1, 1, 10, 400, 2000, false, {0.5}, 0, 400, 0},
        {"young, more Kordalts than character", 15, 2, 1, 60, 400, 2000, false, {0.5}, 0, 400, 0},
        {"young, chance taken", 15, 1, 1, 60, 400, 2000, false, {0.5, 0.4}, 400, 0, 1},
        {"young, chance missed", 15, 1, 1, 60, 400, 2000, false, {0.5, 0.5}, 0, 400, 0},
        {"first year", 1, 1, 1, 60, 400, 2000, false, {}, 0, 400, 0},
        {"at war", 30, 1, 1, 60, 400, 2000, true, {}, 0, 400, 0},
        {"enough Kordalts", 30, 3, 1, 60, 400, 2000, false, {}, 0, 400, 0},
        // four Kordalts, money at most V: a Kordalt of 7560 is too dear unless a chance of 0.01 is met
        {"dear times", 30, 5, 8, 0, 2000, 5000, false, {0.5, 0.5}, 0, 2000, 0},
    };
    for (const Case& c : cases) {
        MakeGame(4, 20);
        Border(1, 2);
        Game.mGos[1].NeighbourCount = c.neighbours;
        SetFlags(c.war, true, false, false);
        Game.Year = static_cast<uint8_t>(c.year);
        TGosRec& g = Game.mGos[1];
        g.KordaltCount = c.kordalts;
        for (int n = 0; n < c.kordalts; ++n) Game.mKordalt[1 + 20 * n].Owner = 1;
        g.Scientists = g.FreeScientists = c.scientists;
        g.Money = c.money;
        ScopedScriptedRandom script;
        Script(script, c.draws);
        TAiMove move{c.v, 1, 0, 0, 0, mode};
        AiPurchase(1, move);
        EXPECT_EQ(move.Saved, c.saved) << c.what;
        EXPECT_EQ(g.Money, c.moneyAfter) << c.what;
        EXPECT_EQ(g.SavingForKordalt, c.savingAfter) << c.what;
        EXPECT_EQ(g.KordaltCount, c.kordalts) << c.what;
        EXPECT_EQ(script->Remaining(), 0u) << c.what;
    }
}

TEST_F(AiKordalts, WhoBuysAKordalt) {
    struct Case {
        const char* what;
        int year;
        uint8_t kordalts, neighbours, attitude, saving;
        bool war;
        int32_t money;
        uint8_t kordaltsAfter;
    } cases[] = {
        {"9 Kordalts, 8 neighbours", 30, 9, 8, 50, 0, false, 1000000, 10},
        {"10 Kordalts", 30, 10, 8, 50, 0, false, 1000000, 10},
        {"neighbours + 2", 30, 3, 1, 50, 0, false, 1000000, 3},
        {"at war", 30, 2, 1, 50, 0, true, 1000000, 2},
        {"at war, disliked neighbour: urgent", 30, 0, 1, 40, 0, true, 1000000, 1},
        {"young, as many as the character", 15, 1, 1, 50, 0, false, 1000000, 1},
        {"young, saved last year", 15, 1, 1, 50, 1, false, 1000000, 2},
        {"too poor", 30, 1, 1, 50, 0, false, 449, 1},
    };
    for (const Case& c : cases) {
        MakeGame(4, 20);
        Border(1, 2);
        SetFlags(c.war, true, false, false);
        Game.Year = static_cast<uint8_t>(c.year);
        TGosRec& g = Game.mGos[1];
        g.NeighbourCount = c.neighbours;
        g.Relations[2].Attitude = c.attitude;
        g.KordaltCount = c.kordalts;
        for (int n = 0; n < c.kordalts; ++n) Game.mKordalt[1 + 20 * n].Owner = 1;
        g.SavingForKordalt = c.saving;
        g.Money = c.money;
        ScopedSeed seed(7);
        TAiMove move{0, 1, 0, 0, 0, mode};  // no harvest: never saving
        AiPurchase(1, move);
        EXPECT_EQ(g.KordaltCount, c.kordaltsAfter) << c.what;
        EXPECT_EQ(g.SavingForKordalt, 0) << c.what;
        EXPECT_EQ(move.Saved, 0) << c.what;
    }
}

TEST_F(AiKordalts, NoFreeSlotShowsANotice) {
    for (int slot = 3; slot <= 200; slot += 20) Game.mKordalt[slot].Owner = 3;
    Game.mGos[3].Money = 100000000;
    AiBuyKordalt(3, true);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Все Kordaltы уже забиты, не могу купить"});
    EXPECT_EQ(Game.mGos[3].Money, 100000000);
}

TEST_F(AiKordalts, ThreatIsTheStrongestFeltNeighbour) {
    struct Case {
        const char* what;
        std::array<uint16_t, 3> territories;  // of neighbours 2, 3, 4; state 1 has 100
        std::array<uint8_t, 3> attitudes, destroyed, fronts;
        uint8_t threat;
    } cases[] = {
        {"strongest", {150, 120, 100}, {50, 50, 50}, {0, 0, 0}, {1, 1, 1}, 2},
        {"liked", {150, 120, 100}, {100, 50, 50}, {0, 0, 0}, {1, 1, 1}, 3},
        {"destroyer", {150, 120, 100}, {50, 50, 50}, {0, 0, 1}, {1, 1, 1}, 4},
        {"busy elsewhere", {150, 120, 100}, {50, 50, 50}, {0, 0, 0}, {20, 1, 1}, 3},
        {"ties: first", {100, 100, 100}, {50, 50, 50}, {0, 0, 0}, {1, 1, 1}, 2},
    };
    for (const Case& c : cases) {
        MakeGame(4, 20);
        for (int j = 2; j <= 4; ++j) {
            Border(1, j);
            Game.mGos[j].Peasants = 0;
            Game.mGos[j].Territory = c.territories[j - 2];
            Game.mGos[1].Relations[j].Attitude = c.attitudes[j - 2];
            Game.mGos[j].Destroyed = c.destroyed[j - 2];
            Game.mGos[j].NeighbourCount = c.fronts[j - 2];
        }
        Game.mGos[1].Peasants = 0;
        EXPECT_EQ(AiChooseThreat(1), c.threat) << c.what;
    }
    MakeGame(4, 20);
    EXPECT_EQ(AiChooseThreat(1), 0);
}

TEST_F(AiKordalts, VictimByTheFirstRuleThatYieldsOne) {
    struct Case {
        const char* what;
        int year, alive;
        uint32_t ownAttacks = 0;
        std::array<uint32_t, 3> attacks{};  // of neighbours 2, 3, 4; state 1 has 100 squares
        std::array<uint8_t, 3> attitudes;
        std::array<uint8_t, 3> aggressions{};
        std::array<uint16_t, 3> territories;
        std::array<int32_t, 3> peasants;
        Draws draws{};
        uint8_t victim;
    } cases[] = {
        {.what = "rarely attacked",
         .year = 30,
         .alive = 5,
         .ownAttacks = 2,
         .attacks = {3, 1, 1},
         .attitudes = {50, 50, 50},
         .territories = {100, 100, 100},
         .peasants = {200, 200, 200},
         .draws = {0.2, 0.5, 0.8},
         .victim = 3},
        {.what = "attacks: last of equals",
         .year = 30,
         .alive = 5,
         .ownAttacks = 2,
         .attacks = {1, 1, 1},
         .attitudes = {50, 50, 50},
         .territories = {100, 100, 100},
         .peasants = {200, 200, 200},
         .draws = {0.2, 0.1, 0.1, 0.1},
         .victim = 4},
        {.what = "grudge",
         .year = 30,
         .alive = 5,
         .attitudes = {5, 8, 50},
         .aggressions = {0, 2, 0},
         .territories = {100, 100, 100},
         .peasants = {200, 200, 200},
         .draws = {0.4},
         .victim = 3},
        {.what = "grudge: last of equals",
         .year = 40,
         .alive = 5,
         .attitudes = {5, 5, 50},
         .territories = {100, 100, 100},
         .peasants = {200, 200, 200},
         .victim = 3},
        {.what = "few alive: no grudge",
         .year = 40,
         .alive = 1,
         .attitudes = {8, 5, 50},
         .aggressions = {2, 0, 0},
         .territories = {100, 40, 100},
         .peasants = {200, 80, 200},
         .victim = 3},
        {.what = "small",
         .year = 40,
         .alive = 5,
         .attitudes = {50, 50, 50},
         .territories = {40, 30, 200},
         .peasants = {200, 200, 200},
         .victim = 3},
        {.what = "empty land",
         .year = 40,
         .alive = 5,
         .attitudes = {50, 50, 50},
         .territories = {100, 100, 100},
         .peasants = {100, 50, 200},
         .victim = 3},
        {.what = "no people: first",
         .year = 40,
         .alive = 5,
         .attitudes = {50, 50, 50},
         .territories = {100, 100, 100},
         .peasants = {100, 0, 0},
         .victim = 3},
        {.what = "smallest of all",
         .year = 40,
         .alive = 5,
         .attitudes = {50, 50, 50},
         .territories = {60, 200, 80},
         .peasants = {150, 400, 150},
         .victim = 2},
    };
    for (const Case& c : cases) {
        MakeGame(5, 20);
        Game.AliveGosCount = static_cast<uint8_t>(c.alive);
        Game.Year = static_cast<uint8_t>(c.year);
        Game.mGos[1].TimesAttacked = c.ownAttacks;
        for (int j = 2; j <= 4; ++j) {
            Border(1, j);
            TGosRec& other = Game.mGos[j];
            other.TimesAttacked = c.attacks[j - 2];
            other.Territory = c.territories[j - 2];
            other.Peasants = c.peasants[j - 2];
            Game.mGos[1].Relations[j] = {c.attitudes[j - 2], c.aggressions[j - 2]};
        }
        ScopedScriptedRandom script;
        Script(script, c.draws);
        EXPECT_EQ(AiChooseVictim(1), c.victim) << c.what;
        EXPECT_EQ(script->Remaining(), 0u) << c.what;
    }
}

TEST_F(AiKordalts, ArmyPlacementByMoodAndCharacter) {
    enum Mood { WarWeak, WarDominant, Outsized, Dominant, Calm };
    struct Case {
        const char* what;
        Mood mood;
        int character;
        int64_t v, w;
        uint16_t territory;
        int32_t peasants;
        Draws draws;
        std::array<int32_t, 3> soldiers;  // threat (2), victim (3), home (1)
    } cases[] = {
        {"war, rich", WarWeak, 1, 130, 100, 100, 100, {}, {10, 90, 0}},
        {"war, rich, character 3", WarWeak, 3, 130, 100, 100, 100, {}, {100, 0, 0}},
        {"war, poor", WarWeak, 1, 129, 100, 100, 100, {}, {100, 0, 0}},
        // 100 soldiers earn 3981
        {"war, dominant, costly army", WarDominant, 1, 1000, 1, 100, 100, {0.5}, {50, 50, 0}},
        {"war, dominant, chance missed", WarDominant, 2, 1000, 1, 100, 100, {0.7}, {0, 100, 0}},
        {"war, dominant, character 3", WarDominant, 3, 1000, 1, 100, 100, {}, {0, 100, 0}},
        {"outsized, costly army", Outsized, 1, 1000, 1, 100, 100, {}, {100, 0, 0}},
        {"outsized, cheap army", Outsized, 1, 20000, 1, 100, 100, {}, {0, 0, 100}},
        {"dominant, rich", Dominant, 1, 10000, 1, 300, 100, {0.5}, {0, 0, 100}},
        {"dominant, chance missed", Dominant, 1, 10000, 1, 300, 100, {0.9}, {0, 70, 30}},
        {"dominant, character 2", Dominant, 2, 1000, 1, 300, 100, {}, {90, 0, 10}},
        {"calm, thin land", Calm, 1, 1000, 1, 100, 0, {}, {0, 0, 100}},
        {"calm, crowded", Calm, 1, 1000, 1, 100, 100, {}, {0, 100, 0}},
        {"calm, character 3, thin land", Calm, 3, 1000, 1, 100, 0, {}, {0, 100, 0}},
        {"calm, character 3, cheap army", Calm, 3, 30000, 1, 1000, 0, {}, {0, 0, 100}},
    };
    for (const Case& c : cases) {
        MakeGame(4, 20);
        SetFlags(c.mood == WarWeak || c.mood == WarDominant, false,
                 c.mood == WarDominant || c.mood == Dominant, c.mood == Outsized);
        Border(1, 2);
        Border(1, 3);
        TGosRec& g = Game.mGos[1];
        g.Character = c.character;
        g.Territory = c.territory;
        g.Peasants = c.peasants;
        g.Soldiers = 100;
        g.Reserve = 40;
        g.Fronts[4].Soldiers[1] = 60;  // taken back first
        ScopedScriptedRandom script;
        Script(script, c.draws);
        AiPlaceArmy(1, TAiMove{c.v, c.w, 0, 2, 3, mode});
        EXPECT_EQ((std::array<int32_t, 3>{FrontSoldiers(1, 2), FrontSoldiers(1, 3), FrontSoldiers(1, 1)}),
                  c.soldiers)
            << c.what;
        EXPECT_EQ(FrontSoldiers(1, 4), 0) << c.what;
        EXPECT_EQ(g.Reserve, 0) << c.what;
        EXPECT_EQ(script->Remaining(), 0u) << c.what;
    }
}

TEST_F(AiKordalts, ThreatAndVictimOnOneFrontGetTheWholeArmy) {
    Border(1, 2);
    SetFlags(true, false, false, false);
    SetArmy(1, 100);
    AiPlaceArmy(1, TAiMove{130, 100, 0, 2, 2, mode});
    EXPECT_EQ(FrontSoldiers(1, 2), 100);
    EXPECT_EQ(Game.mGos[1].Reserve, 0);
}

TEST_F(AiKordalts, UsableTacticsCountsConditionAndMoraleChecks) {
    const auto saved = Rules.Tactics;
    Rules.TacticCount = 3;
    Rules.Tactics[1].MinMastery = 0, Rules.Tactics[1].MinCondition = 50, Rules.Tactics[1].MinMorale = 60;
    Rules.Tactics[2].MinMastery = 20, Rules.Tactics[2].MinCondition = 0, Rules.Tactics[2].MinMorale = 0;
    Rules.Tactics[3].MinMastery = 50, Rules.Tactics[3].MinCondition = 0, Rules.Tactics[3].MinMorale = 0;
    struct Case {
        int mastery, condition, usable;
    } cases[] = {{20, 55, 3}, {19, 55, 1}, {50, 60, 6}, {0, 10, 0}};
    for (const Case& c : cases) {
        Hire(5, 5, 30, 50, c.condition, c.mastery);
        EXPECT_EQ(UsableTactics(5), c.usable) << c.mastery << " " << c.condition;
    }
    Rules.Tactics = saved;
}

TEST_F(AiKordalts, PicksTakeTheBestFreeKordaltAndTheLowerSlotOfEquals) {
    Hire(1, 1, 20, 100, 50);   // attacker 10.67, defender 25.5, expendable -16
    Hire(21, 1, 60, 20, 100);  // attacker 13, defender 15.5, expendable 8
    Hire(41, 1, 30, 40, 80);   // attacker 11, defender 16.75, expendable -2
    Hire(61, 2, 90, 1, 100);   // another state's
    EXPECT_EQ(AiPickAttacker(1), 21);
    EXPECT_EQ(AiPickDefender(1), 1);
    EXPECT_EQ(AiPickExpendable(1), 21);
    Game.mKordalt[21].Front = 3;  // on a front: not free
    EXPECT_EQ(AiPickAttacker(1), 41);
    EXPECT_EQ(AiPickExpendable(1), 41);
    Hire(21, 1, 30, 40, 80);  // equal to slot 41
    EXPECT_EQ(AiPickAttacker(1), 21);
    // expendable scores start above -100
    Hire(1, 1, 15, 100, 0);
    Hire(21, 1, 15, 100, 0);
    Hire(41, 1, 15, 100, 0);
    EXPECT_EQ(AiPickExpendable(1), 1);
    EXPECT_EQ(AiPickAttacker(3), 0);
}

TEST_F(AiKordalts, FrontCountHalvedForACornerOwner) {
    TSquares map(10, 10, false, 2);
    Map = &map;
    map.SetSquare(SquareId(9, 9), 2);
    map.SetSquare(SquareId(5, 5), 1);
    Game.mGos[1].NeighbourCount = 5;
    Game.mGos[2].NeighbourCount = 5;
    EXPECT_EQ(AiFrontCount(1), 5);
    EXPECT_EQ(AiFrontCount(2), 3);
    map.SetSquare(SquareId(0, 9), 1);
    EXPECT_EQ(AiFrontCount(1), 3);
    Map = nullptr;
    EXPECT_EQ(AiFrontCount(2), 5);
}

TEST_F(AiKordalts, OrdersPutKordaltsOnTheArmedFronts) {
    struct Case {
        const char* what;
        int32_t threatSoldiers, victimSoldiers;
        bool war;
        uint8_t kordalts;
        std::array<int, 3> commanders;    // of the threat (2), victim (3) and home (1) fronts
        std::array<int32_t, 3> soldiers;  // after
    } cases[] = {
        // the attacker (21) takes the threat, the best defender left (1) the victim; home stays quiet
        {"strong fronts", 100, 100, false, 3, {21, 1, 0}, {100, 100, 0}},
        // 10 soldiers earn 63 < 1000 / 6: the threat front joins the victim front
        {"weak threat front", 10, 100, false, 3, {0, 1, 0}, {0, 110, 0}},
        {"weak threat front at war", 10, 100, true, 3, {21, 1, 0}, {10, 100, 0}},
        // 5 soldiers are at most 100 / 20 + 1: home, where they stay quiet
        {"weak victim front", 100, 5, false, 3, {21, 0, 0}, {100, 0, 5}},
        {"weak victim front, many Kordalts", 100, 5, false, 6, {21, 0, 1}, {100, 0, 5}},
        {"no soldiers", 0, 0, false, 6, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        MakeGame(4, 20);
        Border(1, 2);
        Border(1, 3);
        SetFlags(c.war, false, false, false);
        TGosRec& g = Game.mGos[1];
        g.KordaltCount = c.kordalts;
        SetArmy(1, c.threatSoldiers + c.victimSoldiers);
        SetFrontSoldiers(1, 2, c.threatSoldiers);
        SetFrontSoldiers(1, 3, c.victimSoldiers);
        Hire(1, 1, 20, 100, 50);
        Hire(21, 1, 60, 20, 100);
        Hire(41, 1, 30, 40, 80);
        Game.mKordalt[41].Front = 4;  // an old command, taken back
        g.Fronts[4].Kordalt = 41;
        AiGiveOrders(1, TAiMove{1000, 1, 0, 2, 3, mode});
        EXPECT_EQ((std::array<int, 3>{g.Fronts[2].Kordalt, g.Fronts[3].Kordalt, g.Fronts[1].Kordalt}),
                  c.commanders)
            << c.what;
        EXPECT_EQ((std::array<int32_t, 3>{FrontSoldiers(1, 2), FrontSoldiers(1, 3), FrontSoldiers(1, 1)}),
                  c.soldiers)
            << c.what;
        EXPECT_EQ(g.Fronts[4].Kordalt, 0) << c.what;
        for (int front : {2, 3, 1}) {
            const int k = g.Fronts[front].Kordalt;
            if (k == 0) continue;
            EXPECT_EQ(Game.mKordalt[k].Front, front) << c.what;
            EXPECT_EQ(Game.mKordalt[k].Order, front == 1 ? 0 : 1) << c.what;
        }
        EXPECT_EQ(Game.mKordalt[41].Front, 0) << c.what;
        EXPECT_EQ(Game.mKordalt[41].Order, 2) << c.what;
    }
}

TEST_F(AiKordalts, ClosingDismissesOldKordaltsAndSendsTheRestToTrainOrRest) {
    Border(1, 2);
    TGosRec& g = Game.mGos[1];
    g.KordaltCount = 5;             // at least NeighbourCount + 2
    Hire(1, 1, 55, 50, 100, 50);    // 200 < 201: dismissed
    Hire(21, 1, 54, 50, 100, 10);   // young enough; mastery below 30: trains
    Hire(41, 1, 30, 50, 90, 30);    // 80 + 5 <= 90: trains
    Hire(61, 1, 30, 50, 85, 30);    // 80 + 6 > 85: rests
    Hire(81, 1, 30, 50, 100, 100);  // fully trained: rests
    Hire(101, 1, 30, 50, 100, 10);
    Game.mKordalt[101].Front = 2;  // on a front without soldiers
    g.Fronts[2].Kordalt = 101;
    SetArmy(1, 7);
    ScopedScriptedRandom script{10, 0.3, 5, 6, 0};  // the re-roll of slot 1 draws first
    AiCloseTurn(1);
    EXPECT_EQ(Game.mKordalt[1].Owner, 0);
    EXPECT_EQ(Game.mKordalt[1].Lifespan, 63);
    EXPECT_EQ(g.KordaltCount, 4);
    EXPECT_EQ(Game.mKordalt[21].Order, 3);
    EXPECT_EQ(Game.mKordalt[41].Order, 3);
    EXPECT_EQ(Game.mKordalt[61].Order, 2);
    EXPECT_EQ(Game.mKordalt[81].Order, 2);
    EXPECT_EQ(Game.mKordalt[101].Order, 2);
    EXPECT_EQ(script->Remaining(), 0u);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Нету у меня войск В конце проверим Kordaltов без войск",
                                                     "Незанятые солдаты у гос-ва:Гос1"}));
}

TEST_F(AiKordalts, OldKordaltsStayWhileTheStateHasFewOrTheYearIsLate) {
    struct Case {
        uint8_t kordalts;
        int year;
    } cases[] = {{2, 30}, {3, 91}};  // NeighbourCount 1: 3 are needed before year 91
    for (const Case& c : cases) {
        MakeGame(4, 20);
        Border(1, 2);
        Game.Year = static_cast<uint8_t>(c.year);
        Game.mGos[1].KordaltCount = c.kordalts;
        Hire(1, 1, 70, 1, 0, 0);
        ScopedScriptedRandom noDraws;
        AiCloseTurn(1);
        EXPECT_EQ(Game.mKordalt[1].Owner, 1) << c.year;
        EXPECT_EQ(Game.mKordalt[1].Order, 3) << c.year;
        EXPECT_EQ(Game.mGos[1].KordaltCount, c.kordalts) << c.year;
    }
}

}  // namespace
}  // namespace kordalt
