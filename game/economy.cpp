#include "game/economy.h"

#include "game/fronts.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/player_actions.h"
#include "game/rules_data.h"
#include "game/turn_report.h"
#include "platform/arith.h"
#include "platform/format.h"

namespace kordalt {
namespace {

// The texts of one paid group.
struct SalaryTexts {
    TText paid, grainSold, allLeft, someLeft;
};
constexpr SalaryTexts kScientistTexts{kScientistsPaid, kGrainSoldForScientists, kAllScientistsLeft,
                                      kSomeScientistsLeft};
constexpr SalaryTexts kSoldierTexts{kSoldiersPaid, kGrainSoldForSoldiers, kWholeArmyLeft, kSomeSoldiersLeft};

void Event(uint8_t gos, TColor color, const std::string& text) {
    AddMessage(kEventMessage, gos, color, text);
}

// a + b at the 32-bit limits (b may be any 64-bit value).
int32_t AddSaturated(int32_t a, int64_t b) { return SaturateI32(Trunc(static_cast<long double>(a) + b)); }

TYearStatRec* YearStatsOf(uint8_t gos) {
    if (Game.Year < 1 || Game.Year > YearCount) return nullptr;
    return &Game.YearStats[gos][Game.Year];
}

void ReturnScientists(TGosRec& g) {
    for (TResearchRec& branch : g.Research) {
        g.FreeScientists = AddSaturated(g.FreeScientists, branch.Scientists);
        branch.Scientists = 0;
    }
}

void ReturnSoldiers(uint8_t gos) {
    for (int j = 1; j <= Game.GosCount; ++j) MoveFrontToReserve(gos, static_cast<uint8_t>(j));
}

// Pays salary `salary` to a group of `size` people held in `pool`; an unpaid
// group goes back to its pool and partly leaves.
void PayGroup(uint8_t gos, int64_t salary, int32_t& size, int32_t& pool, const SalaryTexts& texts,
              bool soldiers) {
    TGosRec& g = Game.mGos[gos];
    if (salary <= 0) return;
    if (salary <= g.Money) {
        g.Money = static_cast<int32_t>(g.Money - salary);
        Event(gos, clOlive, FormatText(LangText(texts.paid), {salary}));
        return;
    }
    const int64_t m0 = g.Money;
    g.Money = 0;
    const int64_t keep =
        Trunc(FieldsToSow(gos) * static_cast<long double>(g.Research[AgrarianLevel].Effect) + 1);
    const int64_t sell = g.Grain - keep;
    if (sell > 0) {
        g.Money = SaturateI32(Trunc(sell * static_cast<long double>(g.Research[FinancialLevel].Effect)));
        g.Grain = static_cast<int32_t>(g.Grain - sell);
        Event(gos, clOlive, FormatText(LangText(texts.grainSold), {int64_t{g.Money}}));
    }
    if (salary <= m0 + g.Money) {
        g.Money = SaturateI32(m0 + g.Money - salary);
        Event(gos, clOlive, FormatText(LangText(texts.paid), {salary}));
        return;
    }
    if (soldiers)
        ReturnSoldiers(gos);
    else
        ReturnScientists(g);
    const int64_t paid = m0 + g.Money;
    g.Money = 0;
    const int64_t leave = Trunc((1 - static_cast<long double>(paid) / salary) * size) + 1;
    if (size > leave) {
        size = static_cast<int32_t>(size - leave);
        pool = size;
        Event(gos, clRed, FormatText(LangText(texts.someLeft), {leave}));
    } else {
        size = 0;
        pool = 0;
        Event(gos, clRed, LangText(texts.allLeft));
    }
}

}  // namespace

void Harvest(uint8_t gos) {
    TGosRec& g = Game.mGos[gos];
    if (g.Territory < g.FieldsSown) g.FieldsSown = g.Territory;
    const int64_t h =
        Trunc(2.0L * Trunc(g.FieldsSown * static_cast<long double>(g.Research[AgrarianLevel].Effect)));
    g.Grain = AddSaturated(g.Grain, h);
    const int64_t worth = Trunc(h * static_cast<long double>(g.Research[FinancialLevel].Effect));
    Event(gos, clGreen, FormatText(LangText(kHarvest), {h, worth}));
    g.FieldsSown = 0;
    if (TYearStatRec* stats = YearStatsOf(gos)) stats->Harvest = static_cast<uint32_t>(h);
}

void GrowPopulation(uint8_t gos) {
    TGosRec& g = Game.mGos[gos];
    const int64_t p = int64_t{g.Peasants} + g.Scientists + g.Soldiers;
    const int64_t growth = Round(p * static_cast<long double>(g.Research[PopulationGrowth].Effect) / 100 + 1);
    const long double capacity = g.Territory * static_cast<long double>(g.Research[PopulationDensity].Effect);
    if (static_cast<long double>(p) + growth <= capacity) {
        g.Peasants = AddSaturated(g.Peasants, growth);
        Event(gos, clBlue, FormatText(LangText(kPopulationGrowth), {growth}));
        return;
    }
    if (p < capacity)
        g.Peasants =
            SaturateI32(Trunc(static_cast<long double>(Round(capacity)) - g.Scientists - g.Soldiers));
    Event(gos, clRed, LangText(kOverpopulation));
}

void AdvanceResearch(uint8_t gos) {
    TGosRec& g = Game.mGos[gos];
    const long double step = Game.ResearchCostStep;
    for (int k = 0; k < ResearchBranchCount; ++k) {
        TResearchRec& r = g.Research[k];
        r.Points = SaturateI32(
            Trunc(r.Scientists * static_cast<long double>(g.Research[ScienceLevel].Effect) + r.Points));
        if (r.Points < r.Cost) continue;
        r.Level = SaturateI32(int64_t{r.Level} + 1);
        r.Points = SaturateI32(int64_t{r.Points} - r.Cost);
        r.Cost = SaturateI32(Round(r.Cost + step + (step / 1.2L) * r.Level));
        const long double increment = r.Increment;
        r.Effect = static_cast<float>(r.Effect + increment + (increment / 5) * r.Level);
        Event(gos, clNavy, FormatText(LangText(kResearchLevelReached[k]), {int64_t{r.Level}}));
    }
}

void PaySalaries(uint8_t gos) {
    TGosRec& g = Game.mGos[gos];
    PayGroup(gos, Salaries(g.Scientists, 0), g.Scientists, g.FreeScientists, kScientistTexts, false);
    PayGroup(gos, Salaries(0, g.Soldiers), g.Soldiers, g.Reserve, kSoldierTexts, true);
}

void RecordYearStatistics(uint8_t gos) {
    TYearStatRec* stats = YearStatsOf(gos);
    if (!stats) return;
    const TGosRec& g = Game.mGos[gos];
    const bool alive = g.Alive != 0;
    for (int k = 0; k < ResearchBranchCount; ++k)
        stats->Levels[k] = alive ? static_cast<uint8_t>(g.Research[k].Level) : 0;
    stats->Territory = alive ? g.Territory : 0;
    stats->Peasants = alive ? static_cast<uint32_t>(g.Peasants) : 0;
    stats->Scientists = alive ? static_cast<uint16_t>(g.Scientists) : 0;
    stats->Soldiers = alive ? static_cast<uint16_t>(g.Soldiers) : 0;
}

}  // namespace kordalt
