// The rules data file: troop types, tactics with the least values a commander
// and his army need to use them, a text for every tactic against every
// previous enemy tactic, and the battle table. One 38104-byte little-endian
// record; the names and texts come from the language store instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/game_state.h"
#include "platform/short_string.h"

namespace kordalt {

constexpr int kMaxTactics = 10;
constexpr int kMaxTroopTypes = 5;
constexpr int kBattleCoefficients = 3;  // attack factor, own morale gain, enemy morale loss

#pragma pack(push, 1)
struct TTacticRec {
    ShortString<40> Name;
    uint8_t MinMastery;
    uint8_t MinCondition;
    uint8_t MinMorale;
};

// BattleTable[t][e][k][c]: own tactic t, enemy's previous tactic e, troop type k,
// coefficient c. Every table here counts from 1.
using TBattleTable =
    OneBased<OneBased<OneBased<OneBased<double, kBattleCoefficients>, kMaxTroopTypes>, kMaxTactics>,
             kMaxTactics>;
using TTacticTexts =
    OneBased<OneBased<ShortString<255>, kMaxTactics>, kMaxTactics>;  // [own][enemy's previous]

struct TDimData {
    TBattleTable BattleTable;
    uint8_t TacticCount;
    uint8_t TroopTypeCount;
    OneBased<ShortString<10>, kMaxTroopTypes> TroopNames;
    OneBased<TTacticRec, kMaxTactics> Tactics;
    TTacticTexts TacticTexts;
    uint8_t Padding[7];
};
#pragma pack(pop)

static_assert(sizeof(TTacticRec) == 44);
static_assert(offsetof(TTacticRec, MinMastery) == 41);
static_assert(offsetof(TTacticRec, MinMorale) == 43);
static_assert(offsetof(TDimData, TacticCount) == 12000);
static_assert(offsetof(TDimData, TroopTypeCount) == 12001);
static_assert(offsetof(TDimData, TroopNames) == 12002);
static_assert(offsetof(TDimData, Tactics) == 12057);
static_assert(offsetof(TDimData, TacticTexts) == 12497);
static_assert(offsetof(TDimData, Padding) == 38097);
static_assert(sizeof(TDimData) == 38104);

// The rules tables in use, as loaded from the file.
struct TRules {
    TBattleTable BattleTable{};
    uint8_t TacticCount = 0;
    uint8_t TroopTypeCount = 0;
    OneBased<ShortString<10>, kMaxTroopTypes> TroopNames{};
    OneBased<TTacticRec, kMaxTactics> Tactics{};
    TTacticTexts TacticTexts{};
    uint8_t DimLoadFailed = 0;  // 1 when the last load could not use the file
};
extern TRules Rules;

// True when the record can be used: counts within 1..10 tactics and 1..5 troop
// types, every coefficient finite.
bool IsValidDimData(const TDimData& dim);

// Loads the file named by the language's "dim.dat" key into the tables and
// replaces the names and texts by the language's texts. A missing, short or
// damaged file, or one whose troop types would break the armies of the game in
// progress, shows text 3107, sets DimLoadFailed and keeps the tables.
void LoadRulesData();

}  // namespace kordalt
