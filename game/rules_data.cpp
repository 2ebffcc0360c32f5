#include "game/rules_data.h"

#include <cmath>
#include <exception>
#include <fstream>
#include <memory>

#include "game/language_file.h"
#include "game/ui_hooks.h"
#include "game/validate.h"

namespace kordalt {

TRules Rules;

namespace {

constexpr int kDamagedFileText = 3107;
// Text of troop type k, tactic t, and own tactic t after the enemy's tactic e:
constexpr int kFirstTroopNameText = 7049;   // + k
constexpr int kFirstTacticNameText = 7099;  // + t
constexpr int kFirstTacticText = 7200;      // + 10(e - 1) + t

// Reads exactly one record of the language's rules file; false when there is
// no settings file, or the file is missing, short or unreadable.
bool ReadDimFile(TDimData& dim) {
    if (!LanguageFile) return false;
    try {
        std::ifstream in(LanguageFile->GetDataFileName(), std::ios::binary);
        in.read(reinterpret_cast<char*>(&dim), sizeof dim);
        return in.good() && in.gcount() == static_cast<std::streamsize>(sizeof dim);
    } catch (const std::exception&) {
        return false;
    }
}

void UseDimData(const TDimData& dim) {
    Rules.BattleTable = dim.BattleTable;
    Rules.TacticCount = dim.TacticCount;
    Rules.TroopTypeCount = dim.TroopTypeCount;
    Rules.TroopNames = dim.TroopNames;
    Rules.Tactics = dim.Tactics;
    Rules.TacticTexts = dim.TacticTexts;
}

// A file whose troop types would make an army of the game in progress stop
// adding up is not taken (armies that do not add up now are the self-test's).
bool FitsTheGame(const TDimData& dim) {
    if (dim.TroopTypeCount == Rules.TroopTypeCount) return true;
    auto armyBroken = [](int troopTypes) {
        for (const TInvariantBreach& b : FindInvariantBreaches(Game, troopTypes, TLinkScope::ActiveFronts))
            if (b.Kind == TBreachKind::ArmyTotal) return true;
        return false;
    };
    return armyBroken(Rules.TroopTypeCount) || !armyBroken(dim.TroopTypeCount);
}

void LoadLanguageTexts() {
    for (int k = 1; k <= Rules.TroopTypeCount; ++k)
        Rules.TroopNames[k].Assign(LangText(kFirstTroopNameText + k));
    for (int t = 1; t <= Rules.TacticCount; ++t)
        Rules.Tactics[t].Name.Assign(LangText(kFirstTacticNameText + t));
    for (int t = 1; t <= Rules.TacticCount; ++t)
        for (int e = 1; e <= Rules.TacticCount; ++e)
            Rules.TacticTexts[t][e].Assign(LangText(kFirstTacticText + 10 * (e - 1) + t));
}

}  // namespace

bool IsValidDimData(const TDimData& dim) {
    if (dim.TacticCount < 1 || dim.TacticCount > kMaxTactics) return false;
    if (dim.TroopTypeCount < 1 || dim.TroopTypeCount > kMaxTroopTypes) return false;
    const double* c = &dim.BattleTable[1][1][1][1];
    for (size_t i = 0; i < sizeof dim.BattleTable / sizeof *c; ++i)
        if (!std::isfinite(c[i])) return false;
    return true;
}

void LoadRulesData() {
    Rules.DimLoadFailed = 0;
    auto dim = std::make_unique<TDimData>();
    if (ReadDimFile(*dim) && IsValidDimData(*dim) && FitsTheGame(*dim)) {
        UseDimData(*dim);
    } else {
        ShowMessage(LangText(kDamagedFileText, "У вас испорчен файл загрузки DIM.DAT"));
        Rules.DimLoadFailed = 1;
    }
    LoadLanguageTexts();
}

}  // namespace kordalt
