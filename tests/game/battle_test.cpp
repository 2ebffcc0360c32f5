#include "game/battle.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "battle_fixture.h"
#include "game/random.h"

namespace kordalt {
namespace {

using Battles = BattleTest;

std::vector<Entry> EventsOf(const std::vector<Entry>& report) {
    std::vector<Entry> events;
    std::ranges::copy_if(report, std::back_inserter(events),
                         [](const Entry& e) { return e.kind == kEventMessage; });
    return events;
}

bool Contains(const std::vector<Entry>& report, std::string_view text) {
    return std::ranges::any_of(report, [&](const Entry& e) { return e.text == text; });
}

TEST_F(Battles, ExperienceIsHalfTheRoundsUpToMastery100) {
    Game.GosCount = 2;
    struct Case {
        int rounds, mastery, masteryAfter;
        const char* event;  // nullptr: none
    } cases[] = {
        {1, 10, 10, nullptr},
        {2, 10, 11, "Суворов: опыт +1 единицу"},
        {5, 10, 12, "Суворов: опыт +2 единицы"},
        {9, 10, 14, "Суворов: опыт +4 единицы"},
        {10, 10, 15, "Суворов: опыт +5 единиц"},
        {20, 97, 100, "Суворов: опыт +10 единиц"},
        {20, 100, 100, nullptr},
    };
    for (const Case& c : cases) {
        Messages.Clear();
        HireKordalt(3, {.owner = 2, .front = 0, .order = 2, .mastery = c.mastery}, "Суворов");
        GainExperience(3, c.rounds);
        EXPECT_EQ(Game.mKordalt[3].Mastery, c.masteryAfter) << c.rounds;
        std::vector<Entry> expected;
        if (c.event) expected.push_back({kEventMessage, 2, clBlack, c.event});
        EXPECT_EQ(Report(), expected) << c.rounds;
    }
    Messages.Clear();
    HireKordalt(PeopleKordalt, {.owner = 2, .front = 1, .order = 2, .mastery = 10}, "Дядя Вася");
    GainExperience(PeopleKordalt, 20);
    EXPECT_EQ(Game.mKordalt[PeopleKordalt].Mastery, 10);
    EXPECT_EQ(Report(), std::vector<Entry>{});
}

TEST_F(Battles, KordaltsActFastestFirstSpeedZeroIncludedEqualSpeedsInSlotOrder) {
    Game.GosCount = 2;
    Game.mGos[1].Alive = Game.mGos[2].Alive = 1;
    // Every one of them has outlived his lifespan, so each dies at his turn.
    const std::pair<int, int> slots[] = {{5, 0}, {3, 0}, {7, 10}, {2, 10}, {9, 50}};
    for (auto [slot, speed] : slots)
        HireKordalt(slot, {.owner = 1, .front = 0, .order = 2, .speed = speed, .age = 80, .lifespan = 79},
                    "К" + std::to_string(slot));
    Game.mGos[1].KordaltCount = 4;  // one short: the count stops at 0
    ScopedScriptedRandom script{0, 0.1, 0, 0.1, 0, 0.1, 0, 0.1, 0, 0.1};
    ProcessBattles();
    EXPECT_EQ(Report(), (std::vector<Entry>{{kEventMessage, 1, clRed, "К9 умер"},
                                            {kEventMessage, 1, clRed, "К2 умер"},
                                            {kEventMessage, 1, clRed, "К7 умер"},
                                            {kEventMessage, 1, clRed, "К3 умер"},
                                            {kEventMessage, 1, clRed, "К5 умер"}}));
    EXPECT_EQ(Game.mGos[1].KordaltCount, 0);
    for (auto [slot, speed] : slots) EXPECT_EQ(Game.mKordalt[slot].Owner, 0) << slot;
    EXPECT_EQ(script->Remaining(), 0u);

    ASSERT_EQ(ui.progress.size(), 202u);
    EXPECT_EQ(ui.progress.front(), (FakeGameUi::ProgressCall{TProgressBar::Battles, true, 201}));
    for (int step = 1; step <= 201; ++step)
        EXPECT_EQ(ui.progress[step], (FakeGameUi::ProgressCall{TProgressBar::Battles, false, step}));
}

TEST_F(Battles, RestTrainAndFortifyOrders) {
    Game.GosCount = 3;
    struct Case {
        const char* what;
        int order, mastery, mark, condition;
        int orderAfter, masteryAfter, conditionAfter;
    } cases[] = {
        {"training up to 100 keeps training", 3, 95, 5, 80, 3, 100, 80},
        {"training past 100 turns to rest, and he rests", 3, 100, 5, 80, 2, 100, 85},
        {"training past 100 at full condition keeps training", 3, 98, 3, 100, 3, 100, 100},
        {"training adds the mark", 3, 40, 4, 80, 3, 44, 80},
        {"rest adds 5", 2, 40, 1, 95, 2, 40, 100},
        {"rest above 95 fills up and turns to training", 2, 40, 1, 96, 3, 40, 100},
        {"rest at full mastery stays rest", 2, 100, 1, 100, 2, 100, 100},
        {"fortifying costs 3", 0, 40, 1, 50, 0, 40, 47},
        {"fortifying does not go below 0", 0, 40, 1, 2, 0, 40, 0},
        {"an unknown order does nothing", 7, 40, 1, 50, 7, 40, 50},
    };
    for (const Case& c : cases) {
        Reset();
        Game.GosCount = 3;
        for (int j = 1; j <= 3; ++j) Game.mGos[2].Fronts[j].Fortified = 1;  // last year's
        HireKordalt(4,
                    {.owner = 2,
                     .front = 0,
                     .order = c.order,
                     .mastery = c.mastery,
                     .condition = c.condition,
                     .mark = c.mark,
                     .age = 30},
                    "Суворов");
        ProcessBattles();
        const TKordaltRec& k = Game.mKordalt[4];
        SCOPED_TRACE(c.what);
        EXPECT_EQ(k.Age, 31);
        EXPECT_EQ(k.Order, c.orderAfter);
        EXPECT_EQ(k.Mastery, c.masteryAfter);
        EXPECT_EQ(k.Condition, c.conditionAfter);
        for (int j = 1; j <= 3; ++j) EXPECT_EQ(Game.mGos[2].Fronts[j].Fortified, c.order == 0 ? 1 : 0) << j;
        EXPECT_EQ(Report(), std::vector<Entry>{});
    }
}

// States 1 and 2 border each other, and so do 2 and 3; 1 and 3 do not.
class InvalidOrders : public BattleTest {
protected:
    void Prepare() {
        Reset();
        MakeWorld({"112233", "112233"});
        RecordBorders();
        Game.mGos[1].Player = 1;
        Man(1, 2, {10});
        Man(2, 1, {10});
        HireKordalt(1, {.owner = 1, .front = 2, .order = 1}, "Суворов");
    }
};

TEST_F(InvalidOrders, AnAttackWithoutATargetIsNoBattle) {
    struct Case {
        const char* what;
        int front;
        bool deadTarget;
        int orderAfter;
        uint32_t timesAttacked;  // of the front's state
    } cases[] = {
        {"no front", 0, false, 2, 0},
        {"the owner's own home front", 1, false, 2, 0},
        {"above GosCount", 4, false, 2, 0},
        {"a dead state", 2, true, 2, 0},
        {"not a neighbour", 3, false, 2, 0},
        {"no soldiers on the front: attacked, but no battle", 2, false, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prepare();
        TKordaltRec& k = Game.mKordalt[1];
        Game.mGos[1].Fronts[2].Kordalt = 0;
        k.Front = static_cast<uint8_t>(c.front);
        if (c.front >= 1 && c.front <= 3) Game.mGos[1].Fronts[c.front].Kordalt = 1;
        Game.mGos[2].Alive = !c.deadTarget;
        if (c.orderAfter == 1) {
            Game.mGos[1].Reserve = 10;
            Game.mGos[1].Fronts[2].Soldiers[1] = 0;
        }
        const TFrontRec defenderFront = Game.mGos[2].Fronts[1];
        ProcessBattles();
        EXPECT_EQ(k.Order, c.orderAfter);
        EXPECT_EQ(Report(), std::vector<Entry>{});
        EXPECT_EQ(Game.BattleChronicle, "");
        EXPECT_EQ(Game.mGos[2].Relations[1].Attitude, 100);
        EXPECT_EQ(Game.mGos[2].Relations[1].Aggression, c.timesAttacked ? 2 : 0);
        EXPECT_EQ(Game.mGos[c.front >= 1 && c.front <= 3 ? c.front : 2].TimesAttacked, c.timesAttacked);
        EXPECT_EQ(ArmyOf(2, 1), (Army{10}));
        EXPECT_EQ(ArmyOf(2, 2), (Army{}));
        EXPECT_EQ(Game.mGos[2].Fronts[1].Kordalt, defenderFront.Kordalt);
    }
}

// Two states: the northern Kordalt attacks the southern front, whose own army
// falls; the home army steps in under the candidate from the people, falls
// too, and the north takes squares.
class BattlePhase : public BattleTest {
protected:
    explicit BattlePhase(std::string_view settings = "") : BattleTest(settings) { BuildWorld(); }

    void BuildWorld(const std::string& row = "11112222222222") {
        Reset();
        MakeWorld(std::vector<std::string>(3, row));
        RecordBorders();
        Rules.TroopTypeCount = 1;
        Rules.TacticCount = 2;
        Rules.Tactics[2].MinMastery = 50;  // beyond both commanders
        SetTable(1, 1, 1, 7, 0.5, 1);
        Rules.TacticTexts[1][1].AssignUtf8("Натиск\r\nв лоб");
        Game.mGos[1].Player = 1;  // the south is the computer's: battle texts go to the north only
        Man(1, 2, {30});
        Man(2, 1, {4});
        Man(2, 2, {2});
        HireKordalt(1, {.owner = 1, .front = 2, .order = 1, .speed = 1, .mastery = 10, .condition = 90},
                    "Суворов");
        HireKordalt(
            2, {.owner = 2, .front = 1, .order = 2, .speed = 20, .mastery = 0, .condition = 80, .age = 40},
            "Кутузов");
    }

    // The north's army toward the south and the south's front army; the south's home army keeps 2.
    static void SetArmies(int north, int south) {
        Game.mGos[1].Fronts[2].Soldiers[1] = north;
        Game.mGos[1].Soldiers = north;
        Game.mGos[2].Fronts[1].Soldiers[1] = south;
        Game.mGos[2].Soldiers = south + 2;
    }
};

TEST_F(BattlePhase, GoldenSequenceOfTextsAndChronicle) {
    ScopedScriptedRandom script{5, 0.3};  // the candidate's re-roll
    ProcessBattles();

    const std::vector<Entry> expected{
        // First battle: the front's own army under Kutuzov (rested to condition 85).
        {2, 1, clBlue, "Новое сражение"},
        {2, 1, clRed, "Трубы"},
        {2, 1, clNavy, "Битва Север и Юг~Север~Юг"},
        {2, 1, clBlack, "Граница Юг против Север"},
        {2, 1, clBlack, "Отступать некуда"},
        {2, 1, clBlack, "Дальше армия защиты"},
        {2, 1, clBlue, "Ведёт Суворов"},
        {2, 1, clBlue, "Защищает Кутузов"},
        {2, 1, clRed, "Построились"},
        {2, 1, clBlack, "\nСевер: Пехота: 30,  мораль 90%\nЮг: Пехота: 4,  мораль 85%\n~30~0~0~90~4~0~0~85"},
        {2, 1, clBlue, "Ходит Север"},
        {2, 1, clGreen, "Натиск"},
        {2, 1, clNavy, "в лоб"},
        {2, 1, clRed, "Потери: Пехота: 2, "},  // 30 * 7 = 210: 2 killed
        {2, 1, clBlue, "Ходит Юг"},
        {2, 1, clGreen, "Натиск"},
        {2, 1, clNavy, "в лоб"},
        {2, 1, clRed, "Потери: Пехота: 1, "},  // 2 * 7 = 14 rounds to 0: still 1
        // Morale: north (90 * 30 + 15) / 30 = 90.5 -> 90, then (90 * 29 - 2) / 29 -> 90;
        // south (85 * 2 - 30) / 2 = 70, then (70 * 2 + 1) / 2 = 70.5 -> 70.
        {2, 1, clBlack, "\nСевер: Пехота: 29,  мораль 90%\nЮг: Пехота: 2,  мораль 70%\n~29~0~0~90~2~0~0~70"},
        {2, 1, clBlue, "Ходит Север"},
        {2, 1, clGreen, "Натиск"},
        {2, 1, clNavy, "в лоб"},
        {2, 1, clRed, "Армия Юг разбита"},
        {1, 1, clBlack, "Суворов: опыт +1 единицу"},
        {1, 2, clBlack, "Кутузов: опыт +1 единицу"},
        {2, 1, clBlue, ""},
        {2, 1, clBlue, "Север (Суворов) - Юг (Кутузов): 1-0, 30/29, 4/0, 2~1"},
        // Second battle: the home army under the candidate from the people.
        {2, 1, clBlue, "Новое сражение"},
        {2, 1, clRed, "Трубы"},
        {2, 1, clNavy, "Битва Север и Юг~Север~Юг"},
        {2, 1, clBlue, "Ведёт Суворов"},
        {2, 1, clRed, "Нет командира"},
        {2, 1, clBlue, "Защищает Дядя Вася"},
        {2, 1, clRed, "Построились"},
        {2, 1, clBlack,
         "\nСевер: Пехота: 29,  мораль 85%\nЮг: Пехота: 2,  мораль 100%\n~29~0~0~85~2~0~0~100"},
        {2, 1, clBlue, "Ходит Север"},
        {2, 1, clGreen, "Натиск"},
        {2, 1, clNavy, "в лоб"},
        {2, 1, clRed, "Армия Юг разбита"},
        {2, 1, clGreen, "Север берёт 20"},
        {2, 1, clBlue, ""},
        {2, 1, clBlue, "Север (Суворов) - Юг (Дядя Вася): 1-0, 29/29, 2/0, 1, взято 20~2"},
    };
    EXPECT_EQ(Report(), expected);
    EXPECT_EQ(Cp1251ToUtf8(Game.BattleChronicle), "Север - Юг\nСевер - Юг\n");
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(script->Remaining(), 0u);

    const TGosRec& north = Game.mGos[1];
    const TGosRec& south = Game.mGos[2];
    EXPECT_EQ(north.Territory, 32);
    EXPECT_EQ(south.Territory, 10);
    EXPECT_EQ(north.CapturedThisTurn, 20);
    EXPECT_EQ(BattleAttacker, 1);
    EXPECT_EQ(BattleDefender, 2);
    EXPECT_EQ(south.TimesAttacked, 1u);
    EXPECT_EQ(south.Relations[1].Aggression, 0);  // +2 for the attack, -2 for the fallen front
    EXPECT_EQ(south.Relations[1].Attitude, 0);    // -3, -3, -3, then the grudge of 100
    EXPECT_EQ(north.Relations[2].Attitude, 95);
    EXPECT_EQ(ArmyOf(1, 2), (Army{29}));
    EXPECT_EQ(ArmyOf(2, 1), Army{});
    EXPECT_EQ(ArmyOf(2, 2), Army{});
    EXPECT_EQ(south.Fronts[1].Kordalt, 0);
    EXPECT_EQ(south.Fronts[2].Kordalt, 0);

    const TKordaltRec& suvorov = Game.mKordalt[1];
    EXPECT_EQ(suvorov.Age, 31);
    EXPECT_EQ(suvorov.Mastery, 11);
    EXPECT_EQ(suvorov.Condition, 75);  // -5 after the first battle, -10 after the second
    EXPECT_EQ(suvorov.Order, 1);
    const TKordaltRec& kutuzov = Game.mKordalt[2];
    EXPECT_EQ(kutuzov.Front, 0);
    EXPECT_EQ(kutuzov.Order, 2);
    EXPECT_EQ(kutuzov.Condition, 80);
    EXPECT_EQ(kutuzov.Mastery, 1);
    const TKordaltRec& candidate = Game.mKordalt[PeopleKordalt];
    EXPECT_EQ(candidate.Owner, 0);
    EXPECT_EQ(candidate.Front, 0);
    EXPECT_EQ(candidate.Lifespan, 61);  // Random(40) = 5, then 5 div 3
    EXPECT_EQ(candidate.Name.Utf8(), "Народ1");
}

TEST_F(BattlePhase, ARoundTwentyWithBothArmiesStandingIsADraw) {
    SetTable(1, 1, 1, 1);  // every move kills one
    SetArmies(100, 100);
    ProcessBattles();
    const std::vector<Entry> report = Report();
    EXPECT_EQ(std::ranges::count_if(report, [](const Entry& e) { return e.text.starts_with("\nСевер"); }),
              20);
    ASSERT_GE(report.size(), 5u);
    const std::vector<Entry> tail(report.end() - 5, report.end());
    EXPECT_EQ(tail, (std::vector<Entry>{
                        {2, 1, clGreen, "Ничья Север и Юг"},
                        {1, 1, clBlack, "Суворов: опыт +10 единиц"},
                        {1, 2, clBlack, "Кутузов: опыт +10 единиц"},
                        {2, 1, clBlue, ""},
                        {2, 1, clBlue, "Север (Суворов) - Юг (Кутузов): 0.5-0.5, 100/80, 100/80, 20~1"}}));
    EXPECT_EQ(Game.mKordalt[1].Condition, 85);
    EXPECT_EQ(Game.mKordalt[2].Condition, 80);
    EXPECT_EQ(Game.mGos[1].Territory, 12);
    EXPECT_EQ(Cp1251ToUtf8(Game.BattleChronicle), "Север - Юг\n");
}

TEST_F(BattlePhase, TheDefenderWinsWhenTheAttackersArmyFalls) {
    SetTable(1, 1, 1, 1000);  // every move kills 10 per soldier
    SetArmies(3, 40);
    ProcessBattles();
    const std::vector<Entry> report = Report();
    EXPECT_TRUE(Contains(report, "Армия Север разбита"));
    EXPECT_EQ(report.back(), (Entry{2, 1, clBlue, "Север (Суворов) - Юг (Кутузов): 0-1, 3/0, 40/10, 1~1"}));
    EXPECT_EQ(Game.mGos[1].Relations[2].Attitude, 96);
    EXPECT_EQ(Game.mKordalt[1].Front, 0);  // released with his army
    EXPECT_EQ(Game.mKordalt[1].Order, 2);
    EXPECT_EQ(Game.mGos[2].Territory, 30);
}

TEST_F(BattlePhase, FortificationCountsOnlyForBattlesAfterTheFortifiersTurn) {
    struct Case {
        int fortifierSpeed;
        bool fortified;
    } cases[] = {{30, true}, {0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fortifierSpeed);
        BuildWorld();
        SetArmies(30, 40);  // the south's front never falls in one move
        HireKordalt(22, {.owner = 2, .front = 0, .order = 0, .speed = c.fortifierSpeed}, "Багратион");
        ProcessBattles();
        const std::vector<Entry> report = Report();
        EXPECT_EQ(Contains(report, "Укреплено"), c.fortified);
        // 30 * 7 = 210 against a fortified front is 140: one killed, not two.
        const auto losses =
            std::ranges::find_if(report, [](const Entry& e) { return e.text.starts_with("Потери"); });
        ASSERT_NE(losses, report.end());
        EXPECT_EQ(losses->text, c.fortified ? "Потери: Пехота: 1, " : "Потери: Пехота: 2, ");
        for (int j = 1; j <= 2; ++j) EXPECT_EQ(Game.mGos[2].Fronts[j].Fortified, 1);
        EXPECT_EQ(Game.mGos[1].Fronts[2].Fortified, 0);
    }
}

TEST_F(BattlePhase, ALocalHumanLosingHisLastSquareSeesTheDefeatAtOnce) {
    BuildWorld("111122");  // the south has 6 squares
    PlayMode.GameMode = kLocalGame;
    Game.mGos[2].Player = 2;
    Game.mGos[2].PlayerName.AssignUtf8("Петя");
    ScopedScriptedRandom script{0, 0.1};
    ProcessBattles();
    EXPECT_EQ(captureUi_.defeats, std::vector<std::string>{"Петя"});
    EXPECT_EQ(captureUi_.defeatedStates, std::vector<int>{2});
    EXPECT_EQ(Game.mGos[2].Alive, 0);
    EXPECT_EQ(Game.mGos[2].Territory, 0);
    EXPECT_EQ(Game.mGos[1].Territory, 18);
    EXPECT_EQ(Game.mGos[1].CapturedThisTurn, 6);
    EXPECT_EQ(Game.mGos[1].HumanVictimCount, 0);  // the north has no player name
    EXPECT_EQ(Game.mGos[1].Destroyed, 1);
    EXPECT_EQ(Game.AliveGosCount, 1);
    EXPECT_EQ(Cp1251ToUtf8(Game.BattleChronicle),
              "Север - Юг\nСевер - Юг\nЮг уничтожено\r\nПравитель Петя свергнут");
    // The front toward the vanished state is gone: its Kordalt goes home to rest.
    EXPECT_EQ(Game.mKordalt[1].Front, 0);
    EXPECT_EQ(Game.mKordalt[1].Order, 2);
    EXPECT_EQ(Game.mGos[1].Reserve, 29);
    const std::vector<Entry> report = Report();
    EXPECT_EQ(
        EventsOf(report).back().text,
        "В связи с изменением границы, Ваш Kordalt Суворов остался не у дел, и был с почётом отправлен на "
        "заслуженный отдых");
    EXPECT_EQ(std::ranges::count(report, Entry{2, 2, clBlue,
                                               "Север (Суворов) - Юг (Дядя Вася): 1-0, 29/29, 2/0, 1, "
                                               "взято 6~2"}),
              1);
}

class DeadAfterMovePhase : public BattlePhase {
protected:
    explicit DeadAfterMovePhase(std::string_view settings) : BattlePhase(settings) {
        Kutuzov().Age = 71;  // past his lifespan of 70
        HireKordalt(41, {.owner = 1, .front = 0, .order = 1, .speed = 5, .age = 90, .lifespan = 80},
                    "Сидоров");
        SetTable(1, 1, 1, 100);  // 30 * 100 = 3000: 30 killed at once
    }
    static TKordaltRec& Kutuzov() { return Game.mKordalt[2]; }
};

class DeadAfterMoveOff : public DeadAfterMovePhase {
protected:
    DeadAfterMoveOff() : DeadAfterMovePhase("[Preferences]\nDeadAfterMove=0\n") {}
};

class DeadAfterMoveOn : public DeadAfterMovePhase {
protected:
    DeadAfterMoveOn() : DeadAfterMovePhase("[Preferences]\nDeadAfterMove=1\n") {}
};

TEST_F(DeadAfterMoveOff, TheOldDieBeforeTheirTurnAndTheirFrontsLoseTheirCommander) {
    ASSERT_FALSE(DeadAfterMove());
    ScopedScriptedRandom script{0, 0.1, 0, 0.1, 0, 0.1};
    ProcessBattles();
    const std::vector<Entry> report = Report();
    ASSERT_GE(report.size(), 2u);
    EXPECT_EQ(report[0], (Entry{kEventMessage, 2, clRed, "Кутузов умер"}));
    EXPECT_EQ(report[1], (Entry{kEventMessage, 1, clRed, "Сидоров умер"}));
    EXPECT_TRUE(Contains(report, "Защищает Дядя Вася"));
    EXPECT_FALSE(Contains(report, "Защищает Кутузов"));
    EXPECT_EQ(EventsOf(report).size(), 2u);
    EXPECT_EQ(Game.mGos[2].KordaltCount, 0);
    EXPECT_EQ(Game.mGos[1].KordaltCount, 1);
}

TEST_F(DeadAfterMoveOn, TheOldDieAfterAllBattlesAndStillCommand) {
    ASSERT_TRUE(DeadAfterMove());
    ScopedScriptedRandom script{0, 0.1, 0, 0.1, 0, 0.1};
    ProcessBattles();
    const std::vector<Entry> report = Report();
    ASSERT_GE(report.size(), 2u);
    EXPECT_TRUE(Contains(report, "Защищает Кутузов"));
    EXPECT_EQ(EventsOf(report), (std::vector<Entry>{{kEventMessage, 2, clRed, "Кутузов умер"},
                                                    {kEventMessage, 1, clRed, "Сидоров пал в походе"}}));
    EXPECT_EQ(std::vector<Entry>(report.end() - 2, report.end()), EventsOf(report));
    EXPECT_EQ(Kutuzov().Owner, 0);
    EXPECT_EQ(Kutuzov().Age, 71);  // re-rolling leaves the age: he never aged this year
    EXPECT_EQ(Game.mKordalt[41].Owner, 0);
    EXPECT_EQ(Game.mGos[2].KordaltCount, 0);
    EXPECT_EQ(script->Remaining(), 0u);
}

}  // namespace
}  // namespace kordalt
