#include "game/kordalt_pool.h"

#include <gtest/gtest.h>

#include "game/random.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

using KordaltPool = RulesTest;

TEST_F(KordaltPool, NamesRunThroughTheBaseNamesBySlot) {
    for (int b = 1; b <= 11; ++b)
        Game.KordaltBaseNames[b] = Cp("Имя") + std::string(1, static_cast<char>('A' + b - 1));
    ScopedSeed seed(1);
    for (int slot = 1; slot <= KordaltSlotCount; ++slot) InitKordalt(slot);
    struct Case {
        int slot;
        const char* name;
    } cases[] = {{1, "ИмяA1"},  {19, "ИмяA19"},  {20, "ИмяA0"},  {21, "ИмяB1"}, {40, "ИмяB0"},
                 {41, "ИмяC1"}, {199, "ИмяJ19"}, {200, "ИмяJ0"}, {201, "ИмяK1"}};
    for (const Case& c : cases) EXPECT_EQ(Game.mKordalt[c.slot].Name.Utf8(), c.name) << c.slot;
}

TEST_F(KordaltPool, NamesAreCutTo13Characters) {
    Game.KordaltBaseNames[1] = Cp("Длинноеимяпол");  // 13 letters
    ScopedScriptedRandom script{0, 0.1};
    InitKordalt(12);
    EXPECT_EQ(Game.mKordalt[12].Name.Utf8(), "Длинноеимяпол");
}

TEST_F(KordaltPool, ReRollLeavesTheFrontAndResetsTheSlot) {
    Game.GosCount = 4;
    TKordaltRec& k = Game.mKordalt[23];
    k = TKordaltRec{0, {}, 2, 3, 44, 90, 50, 70, 10, 4, 1, 0};
    Game.mGos[3].Fronts[2].Kordalt = 23;
    Game.mGos[3].Fronts[3].Kordalt = 5;
    ScopedScriptedRandom script{39, 0.7, 0.9};
    InitKordalt(23);
    EXPECT_EQ(Game.mGos[3].Fronts[2].Kordalt, 0);
    EXPECT_EQ(Game.mGos[3].Fronts[3].Kordalt, 5);
    EXPECT_EQ(k.Id, 23);
    EXPECT_EQ(k.Front, 0);
    EXPECT_EQ(k.Owner, 0);
    EXPECT_EQ(k.Order, 2);
    EXPECT_EQ(k.Speed, 1);
    EXPECT_EQ(k.Condition, 100);
    EXPECT_EQ(k.Mastery, 0);
    EXPECT_EQ(k.Lifespan, 99);
    EXPECT_EQ(k.Age, 44);  // Age and Mark are the hiring code's
    EXPECT_EQ(k.Mark, 4);
}

TEST_F(KordaltPool, SlotWithoutOwnerOrFrontTouchesNoFront) {
    Game.mGos[2].Fronts[2].Kordalt = 22;
    for (auto [owner, front] : {std::pair{0, 2}, std::pair{2, 0}}) {
        Game.mKordalt[22].Owner = static_cast<uint8_t>(owner);
        Game.mKordalt[22].Front = static_cast<uint8_t>(front);
        ScopedScriptedRandom script{0, 0.1};
        InitKordalt(22);
        EXPECT_EQ(Game.mGos[2].Fronts[2].Kordalt, 22);
    }
}

TEST_F(KordaltPool, LifespanDrawsInOrder) {
    struct Case {
        std::vector<ScriptedRandom::Draw> draws;
        int lifespan;
    } cases[] = {
        {{39, 0.49}, 73},                               // r div 3
        {{0, 0.0}, 60},         {{39, 0.5, 0.49}, 79},  // r div 2
        {{25, 0.5, 0.5}, 85},                           // r stays
        {{39, 0.99, 0.99}, 99},
    };
    for (const Case& c : cases) {
        ScopedScriptedRandom script;
        for (const auto& d : c.draws) script->Add(d);
        InitKordalt(7);
        EXPECT_EQ(Game.mKordalt[7].Lifespan, c.lifespan);
        EXPECT_EQ(script->Remaining(), 0u);  // the second real is drawn only after a first >= 0.5
    }
}

TEST_F(KordaltPool, PriceTable) {
    struct Case {
        int mapSize, gosCount, age, mastery, mark, speed;
        int64_t price;
    } cases[] = {
        // s = 1, 2500/20 = 125 squares a state, (0+1)/4, factor 6, age 45 = 3: 62.5 rounds to even.
        {50, 20, 45, 0, 6, 1, 62},
        {50, 20, 45, 4, 6, 1, 312},   // 312.5 -> 312
        {50, 20, 15, 1, 3, 1, 562},   // 125 * 0.5 * 9 = 562.5 -> 562
        {50, 20, 15, 5, 3, 1, 1688},  // 125 * 1.5 * 9 = 1687.5 -> 1688
        {50, 20, 15, 3, 1, 1, 125},   // Mark 1: factor 1
        {50, 20, 15, 3, 2, 1, 375},
        {50, 20, 15, 3, 4, 1, 2250},
        {50, 20, 15, 3, 5, 1, 4500},
        {50, 20, 15, 3, 0, 1, 0},     // Mark 0: factor 0
        {50, 20, 15, 3, 7, 1, 875},   // above 5: the mark itself
        {50, 20, 15, 3, 1, 0, 125},   // Speed 0: s = 1
        {50, 20, 15, 3, 1, 10, 500},  // 3 ** 1.15 = 3.54: s = 4
        // 6 ** 1.15 = 7.85: s = 8; 8 * (10000 / 7) * 2.75 * 9 / 2 = 141428.57
        {100, 7, 30, 10, 3, 20, 141429},
        {50, 20, 0, 3, 1, 1, 1875},  // age 0 counts as 1
        {50, 20, -5, 3, 1, 1, 1875},
    };
    for (const Case& c : cases) {
        Game.MapSize = static_cast<uint8_t>(c.mapSize);
        Game.GosCount = static_cast<uint8_t>(c.gosCount);
        EXPECT_EQ(KordaltPrice(c.age, c.mastery, c.mark, c.speed), c.price)
            << c.mapSize << " " << c.gosCount << " " << c.age << " " << c.mastery << " " << c.mark << " "
            << c.speed;
    }
}

// A state hires into its own ten slots, every twentieth from its number; the
// slot after the last (201) is nobody's.
TEST_F(KordaltPool, AStateHiresIntoTheFirstOfItsOwnSlotsNobodyHolds) {
    struct Case {
        uint8_t gos;
        int taken;  // how many of its slots, from the first, are owned
        int slot;
    };
    const Case cases[] = {{1, 0, 1}, {1, 1, 21}, {1, 9, 181}, {1, 10, 0}, {20, 9, 200}, {20, 10, 0}};
    for (const Case& c : cases) {
        for (int s = 1; s <= KordaltSlotCount; ++s) Game.mKordalt[s].Owner = 0;
        for (int i = 0; i < c.taken; ++i) Game.mKordalt[c.gos + 20 * i].Owner = 5;
        EXPECT_EQ(FreeKordaltSlot(c.gos), c.slot) << int{c.gos} << " " << c.taken;
    }
}

}  // namespace
}  // namespace kordalt
