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
    for (int k = 1; k <= Rules.TroopTypeCount; ++k) Rules.TroopNames[k].Assign(LangText(kTroopNames[k - 1]));
    for (int t = 1; t <= Rules.TacticCount; ++t) Rules.Tactics[t].Name.Assign(LangText(kTacticNames[t - 1]));
    for (int t = 1; t <= Rules.TacticCount; ++t)
        for (int e = 1; e <= Rules.TacticCount; ++e)
            Rules.TacticTexts[t][e].Assign(LangText(kTacticTexts[10 * (e - 1) + t - 1]));
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
        ShowMessage(LangText(kDamagedRulesFile));
        Rules.DimLoadFailed = 1;
    }
    LoadLanguageTexts();
}

}  // namespace kordalt
