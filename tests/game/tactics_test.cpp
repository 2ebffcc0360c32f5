#include "game/tactics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "battle_fixture.h"

namespace kordalt {
namespace {

using Coefficients = std::array<std::array<double, 3>, 3>;  // [troop type][attack, gain, loss]

class TacticMoves : public BattleTest {
protected:
    TacticMoves() {
        Game.GosCount = 2;
        for (int i = 1; i <= 2; ++i) {
            SetName(i, std::string(kStateNames[i - 1]));
            Game.mGos[i].Research[MilitaryTraining].Effect = 100;
        }
        Game.mGos[1].Player = 1;  // battle texts are recorded once, for the attacker
        BattleAttacker = 1;
        BattleDefender = 2;
    }

    static void SetArmy(int a, int b, const Army& soldiers) {
        Game.mGos[a].Soldiers = 0;
        Game.mGos[a].Fronts[b] = TFrontRec{};
        Man(a, b, soldiers);
    }
    static void SetCoefficients(int t, int p, const Coefficients& c) {
        for (int k = 1; k <= 3; ++k) SetTable(t, p, k, c[k - 1][0], c[k - 1][1], c[k - 1][2]);
    }
};

TEST_F(TacticMoves, ScoreAddsSoldiersTimesAttackFactorPlusOnePerType) {
    Rules.TacticCount = 10;
    struct Case {
        int tactic;
        Army own, enemy;
        std::array<double, 3> attack;
        double score;
    } cases[] = {
        {1, {10, 5, 0}, {15}, {2, 1, 3}, 28},  // (10*2 + 1) + (5*1 + 1) + (0*3 + 1)
        {1, {0, 0, 0}, {15}, {2, 1, 3}, 3},    // every type adds 1 without soldiers
        {2, {4, 0, 0}, {0}, {0.5, 9, 9}, 5},
        {6, {10, 0, 0}, {20}, {1, 0, 0}, 13000},  // 10 < 20 / 1.5: outnumbered
        {7, {10, 0, 0}, {20}, {1, 0, 0}, 13000},
        {5, {10, 0, 0}, {20}, {1, 0, 0}, 13},  // only tactics 6 and 7 gain
        {8, {10, 0, 0}, {20}, {1, 0, 0}, 13},
        {6, {14, 0, 0}, {20}, {1, 0, 0}, 17},          // 14 >= 13.33: not outnumbered
        {7, {6, 4, 3}, {5, 5, 10}, {1, 1, 1}, 16000},  // 13 < 13.33: every type counts
        {6, {10, 0, 0}, {15}, {1, 0, 0}, 13},          // 10 is not fewer than 15 / 1.5
    };
    for (const Case& c : cases) {
        SetArmy(1, 2, c.own);
        SetArmy(2, 1, c.enemy);
        for (int k = 1; k <= 3; ++k) SetTable(c.tactic, 3, k, c.attack[k - 1]);
        EXPECT_DOUBLE_EQ(TacticScore(1, 2, c.tactic, 3), c.score)
            << "tactic " << c.tactic << " own " << c.own[0];
    }
}

TEST_F(TacticMoves, ChoiceTakesTheBestQualifyingTacticAndTheLaterOnATie) {
    Rules.TacticCount = 7;
    SetArmy(1, 2, {10, 0, 0});
    SetArmy(2, 1, {14, 0, 0});
    HireKordalt(1, {.owner = 1, .front = 2, .order = 1, .mastery = 40, .condition = 60}, "Суворов");
    Game.mGos[1].Morale = 50;
    struct Case {
        const char* what;
        std::array<double, 7> attack;  // type 1 factor of tactics 1..7 against previous tactic 2
        TTacticRec second;             // minimums of tactic 2; the others have none
        int chosen;
    } cases[] = {
        {"best score", {1, 3, 2, 0, 0, 0, 0}, {}, 2},
        {"tie goes to the later tactic", {3, 1, 3, 0, 0, 0, 0}, {}, 3},
        {"all equal: the last", {0, 0, 0, 0, 0, 0, 0}, {}, 7},
        {"mastery 40 misses 41", {1, 9, 0, 0, 0, 0, 0}, {.MinMastery = 41}, 1},
        {"mastery 40 meets 40", {1, 9, 0, 0, 0, 0, 0}, {.MinMastery = 40}, 2},
        {"condition 60 misses 61", {1, 9, 0, 0, 0, 0, 0}, {.MinCondition = 61}, 1},
        {"morale 50 misses 51", {1, 9, 0, 0, 0, 0, 0}, {.MinMorale = 51}, 1},
        {"morale 50 meets 50", {1, 9, 0, 0, 0, 0, 0}, {.MinMorale = 50}, 2},
    };
    for (const Case& c : cases) {
        for (int t = 1; t <= 7; ++t) {
            Rules.Tactics[t] = t == 2 ? c.second : TTacticRec{};
            SetTable(t, 2, 1, c.attack[t - 1]);
        }
        EXPECT_EQ(ChooseTactic(1, 2, 1, 2), c.chosen) << c.what;
    }
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
}

TEST_F(TacticMoves, OutnumberedArmyTakesTacticSixOrSeven) {
    Rules.TacticCount = 7;
    HireKordalt(1, {.owner = 1, .front = 2, .order = 1}, "Суворов");
    for (int t = 1; t <= 7; ++t) SetTable(t, 1, 1, t == 1 ? 5.0 : 1.0);  // tactic 1 scores 53, the others 13
    struct Case {
        int own, enemy, chosen;
    } cases[] = {{10, 20, 7}, {14, 20, 1}, {13, 20, 7}, {10, 15, 1}};
    for (const Case& c : cases) {
        SetArmy(1, 2, {c.own});
        SetArmy(2, 1, {c.enemy});
        EXPECT_EQ(ChooseTactic(1, 2, 1, 1), c.chosen) << c.own << " against " << c.enemy;
    }
}

TEST_F(TacticMoves, NoQualifyingTacticGivesTheNoticeAndTacticOne) {
    Rules.TacticCount = 3;
    for (int t = 1; t <= 3; ++t) Rules.Tactics[t].MinMastery = 10;
    HireKordalt(1, {.owner = 1, .front = 2, .order = 1, .mastery = 9}, "Суворов");
    SetArmy(1, 2, {5});
    EXPECT_EQ(ChooseTactic(1, 2, 1, 3), 1);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Нет тактики"});
}

TEST_F(TacticMoves, MoveKillsAndMovesMorale) {
    struct Case {
        const char* what;
        Army mover, target;
        Coefficients c;
        float moverLevel = 100, targetLevel = 100;
        bool fortified = false;
        int moverMorale = 50, targetMorale = 50;
        Army after;
        int moverMoraleAfter, targetMoraleAfter;
        const char* text;
    } cases[] = {
        // clang-format off
        // strike 300 + 200 = 500, kills 5: types 1, 2, 3, 1, 3 (type 2 ran out);
        // gain 25 + Round(12.5) = 37, loss 10 + 15 = 25
        {"kills cycle over the types, skipping empty ones", {100, 50, 0}, {3, 1, 10},
         {{{3, 0.25, 0.1}, {4, 0.25, 0.3}, {1, 0, 0}}}, 100, 100, false, 40, 60,
         {1, 0, 8}, 40, 57, "Потери: Пехота: 2, Конница: 1, Пушки: 2, "},
        {"a strike that rounds to 0 kills one", {1, 0, 0}, {0, 0, 5},
         {{{0.1, 0, 0}}}, 100, 100, false, 50, 50,
         {0, 0, 4}, 50, 50, "Потери: Пехота: 0, Конница: 0, Пушки: 1, "},
        {"unfortified: 375 / 100 rounds to 4", {125, 0, 0}, {10, 0, 0},
         {{{3, 0, 0}}}, 100, 100, false, 50, 50,
         {6, 0, 0}, 50, 50, "Потери: Пехота: 4, Конница: 0, Пушки: 0, "},
        {"fortified: 375 / 1.5 / 100 = 2.5 rounds to 2", {125, 0, 0}, {10, 0, 0},
         {{{3, 0, 0}}}, 100, 100, true, 50, 50,
         {8, 0, 0}, 50, 50, "Потери: Пехота: 2, Конница: 0, Пушки: 0, "},
        {"levels: 100 * 150 / 100 / 50 = 3", {100, 0, 0}, {5, 5, 0},
         {{{1, 0, 0}}}, 150, 50, false, 50, 50,
         {3, 4, 0}, 50, 50, "Потери: Пехота: 2, Конница: 1, Пушки: 0, "},
        {"no strike against level 0 still kills one", {10, 0, 0}, {5, 0, 0},
         {{{0, 0, 0}}}, 100, 0, false, 50, 50,
         {4, 0, 0}, 50, 50, "Потери: Пехота: 1, Конница: 0, Пушки: 0, "},
        // (50 * 10 + 5) / 10 = 50.5 -> 50; (50 * 3 - Round(2.5)) / 3 = 49.33 -> 49
        {"morale rounds halves to even", {10, 0, 0}, {4, 0, 0},
         {{{1, 0.5, 0.25}}}, 100, 100, false, 50, 50,
         {3, 0, 0}, 50, 49, "Потери: Пехота: 1, Конница: 0, Пушки: 0, "},
        {"morale stays within 0..100", {10, 0, 0}, {4, 0, 0},
         {{{1, 10, 5}}}, 100, 100, false, 95, 10,
         {3, 0, 0}, 100, 0, "Потери: Пехота: 1, Конница: 0, Пушки: 0, "},
        // clang-format on
    };
    for (const Case& c : cases) {
        Messages.Clear();
        SetArmy(1, 2, c.mover);
        SetArmy(2, 1, c.target);
        SetCoefficients(4, 2, c.c);
        Game.mGos[1].Research[MilitaryTraining].Effect = c.moverLevel;
        Game.mGos[2].Research[MilitaryTraining].Effect = c.targetLevel;
        Game.mGos[2].Fronts[1].Fortified = c.fortified;
        Game.mGos[1].Morale = static_cast<uint8_t>(c.moverMorale);
        Game.mGos[2].Morale = static_cast<uint8_t>(c.targetMorale);
        bool destroyed = false;
        ApplyBattleMove(1, 2, 4, 2, destroyed);
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(destroyed);
        EXPECT_EQ(ArmyOf(2, 1), c.after);
        EXPECT_EQ(Game.mGos[2].Soldiers, c.after[0] + c.after[1] + c.after[2]);
        EXPECT_EQ(Game.mGos[1].Morale, c.moverMoraleAfter);
        EXPECT_EQ(Game.mGos[2].Morale, c.targetMoraleAfter);
        EXPECT_EQ(Report(), (std::vector<Entry>{{kBattleMessage, 1, clRed, c.text}}));
    }
}

TEST_F(TacticMoves, MoveThatKillsTheWholeArmyReleasesItsCommander) {
    struct Case {
        Army target;
        int commander;
        bool released;
    } cases[] = {{{1, 1, 1}, 5, true}, {{2, 0, 0}, PeopleKordalt, false}, {{0, 0, 0}, 0, false}};
    SetCoefficients(1, 1, {{{1, 0.5, 0.5}}});
    for (const Case& c : cases) {
        Messages.Clear();
        SetArmy(1, 2, {300, 0, 0});  // kills 3
        SetArmy(2, 1, c.target);
        Game.mGos[2].Reserve = 7;
        Game.mGos[2].Soldiers += 7;
        if (c.commander) {
            HireKordalt(c.commander, {.owner = 2, .front = 1, .order = 0}, "Кутузов");
        }
        Game.mGos[1].Morale = Game.mGos[2].Morale = 50;
        bool destroyed = false;
        ApplyBattleMove(1, 2, 1, 1, destroyed);
        SCOPED_TRACE(c.commander);
        EXPECT_TRUE(destroyed);
        EXPECT_EQ(ArmyOf(2, 1), Army{});
        EXPECT_EQ(Game.mGos[2].Soldiers, 7);
        EXPECT_EQ(Game.mGos[1].Morale, 50);  // no morale change on a wiped-out army
        EXPECT_EQ(Report(), (std::vector<Entry>{{kBattleMessage, 1, clRed, "Армия Юг разбита"}}));
        if (!c.commander) continue;
        const TKordaltRec& k = Game.mKordalt[c.commander];
        EXPECT_EQ(Game.mGos[2].Fronts[1].Kordalt, c.released ? 0 : c.commander);
        EXPECT_EQ(k.Front, c.released ? 0 : 1);
        EXPECT_EQ(k.Order, c.released ? 2 : 0);
    }
}

TEST_F(TacticMoves, MoveLeavesDestroyedAloneWhileTheArmyStands) {
    SetCoefficients(1, 1, {{{1, 0, 0}}});
    SetArmy(1, 2, {100, 0, 0});
    SetArmy(2, 1, {5, 0, 0});
    bool destroyed = true;  // set by an earlier move
    ApplyBattleMove(1, 2, 1, 1, destroyed);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ArmyOf(2, 1), (Army{4, 0, 0}));
}

TEST_F(TacticMoves, StatusLineShowsBothArmiesAndThreeNumericTypes) {
    SetArmy(1, 2, {5, 6, 7, 8, 9});
    SetArmy(2, 1, {1, 2, 3, 0, 0});
    Game.mGos[1].Morale = 77;
    Game.mGos[2].Morale = 12;
    struct Case {
        int types;
        const char* line;
    } cases[] = {
        {3,
         "\nСевер: Пехота: 5, Конница: 6, Пушки: 7,  мораль 77%\nЮг: Пехота: 1, Конница: 2, Пушки: 3,  "
         "мораль 12%\n"
         "~5~6~7~77~1~2~3~12"},
        {1, "\nСевер: Пехота: 5,  мораль 77%\nЮг: Пехота: 1,  мораль 12%\n~5~6~7~77~1~2~3~12"},
    };
    for (const Case& c : cases) {
        Rules.TroopTypeCount = static_cast<uint8_t>(c.types);
        EXPECT_EQ(Cp1251ToUtf8(BattleStatusLine(1, 2)), c.line) << c.types;
    }
    SetName(1, "Се~вер");  // a name never adds a field
    const std::string line = Cp1251ToUtf8(BattleStatusLine(1, 2));
    EXPECT_TRUE(line.starts_with("\nСе-вер: ")) << line;
    EXPECT_EQ(std::ranges::count(line, '~'), 8);
}

}  // namespace
}  // namespace kordalt
