// The rules data file: troop types, tactics, tactic texts and the battle table,
// one 38104-byte little-endian record.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kordalt {

constexpr int kMaxTactics = 10;
constexpr int kMaxTroopTypes = 5;
constexpr int kBattleCoefficients = 3;  // attack factor, own morale gain, enemy morale loss

#pragma pack(push, 1)
struct TTacticRec {
    uint8_t Name[41];  // string[40]
    uint8_t MinMastery;
    uint8_t MinCondition;
    uint8_t MinMorale;
};

// BattleTable[t][e][k][c]: own tactic t, enemy's previous tactic e, troop type k,
// coefficient c (all 0-based here).
using TBattleTable = double[kMaxTactics][kMaxTactics][kMaxTroopTypes][kBattleCoefficients];

struct TDimData {
    TBattleTable BattleTable;
    uint8_t TacticCount;
    uint8_t TroopTypeCount;
    uint8_t TroopNames[kMaxTroopTypes][11];                // string[10]
    TTacticRec Tactics[kMaxTactics];
    uint8_t TacticTexts[kMaxTactics][kMaxTactics][256];  // string[255], [own][enemy's previous]
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

}  // namespace kordalt
