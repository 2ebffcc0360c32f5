#include "game/rules_data.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

#include "game/language_file.h"
#include "game/rules_text.h"
#include "game/ui_hooks.h"

namespace kordalt {

TBattleTable BattleTable;
uint8_t TacticCount;
uint8_t TroopTypeCount;
ShortString<10> TroopNames[kMaxTroopTypes];
TTacticRec Tactics[kMaxTactics];
ShortString<255> TacticTexts[kMaxTactics][kMaxTactics];
uint8_t DimLoadFailed;

namespace {

constexpr int kDamagedFileText = 3107;
constexpr int kFirstTroopNameText = 7050;
constexpr int kFirstTacticNameText = 7100;
constexpr int kFirstTacticText = 7200;

// Reads exactly one record; false on a missing or short file.
bool ReadDimFile(const std::string& fileName, TDimData& dim) {
    std::ifstream in(fileName, std::ios::binary);
    in.read(reinterpret_cast<char*>(&dim), sizeof dim);
    return in.good() && in.gcount() == static_cast<std::streamsize>(sizeof dim);
}

void UseDimData(const TDimData& dim) {
    std::memcpy(BattleTable, dim.BattleTable, sizeof BattleTable);
    TacticCount = dim.TacticCount;
    TroopTypeCount = dim.TroopTypeCount;
    std::memcpy(TroopNames, dim.TroopNames, sizeof TroopNames);
    std::memcpy(Tactics, dim.Tactics, sizeof Tactics);
    std::memcpy(TacticTexts, dim.TacticTexts, sizeof TacticTexts);
}

void LoadLanguageTexts() {
    for (int k = 0; k < TroopTypeCount; ++k) TroopNames[k].Assign(RulesText(kFirstTroopNameText + k));
    for (int t = 0; t < TacticCount; ++t) Tactics[t].Name.Assign(RulesText(kFirstTacticNameText + t));
    for (int t = 0; t < TacticCount; ++t)
        for (int e = 0; e < TacticCount; ++e)
            TacticTexts[t][e].Assign(RulesText(kFirstTacticText + 10 * e + t));
}

}  // namespace

bool IsValidDimData(const TDimData& dim) {
    if (dim.TacticCount < 1 || dim.TacticCount > kMaxTactics) return false;
    if (dim.TroopTypeCount < 1 || dim.TroopTypeCount > kMaxTroopTypes) return false;
    const double* c = &dim.BattleTable[0][0][0][0];
    for (size_t i = 0; i < sizeof dim.BattleTable / sizeof *c; ++i)
        if (!std::isfinite(c[i])) return false;
    return true;
}

void LoadRulesData() {
    DimLoadFailed = 0;
    auto dim = std::make_unique<TDimData>();
    if (ReadDimFile(LanguageFile->GetDataFileName(), *dim) && IsValidDimData(*dim)) {
        UseDimData(*dim);
    } else {
        ShowMessage(RulesText(kDamagedFileText, "У вас испорчен файл загрузки DIM.DAT"));
        DimLoadFailed = 1;
    }
    LoadLanguageTexts();
}

}  // namespace kordalt
