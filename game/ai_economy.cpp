#include "game/ai_economy.h"

#include <algorithm>
#include <optional>

#include "game/fronts.h"
#include "game/player_actions.h"
#include "game/random.h"
#include "platform/arith.h"

namespace kordalt {

namespace {

constexpr int kFillDraws = 1001;

struct CharacterLimits {
    double war, unsafe;  // strength ratios of a neighbour
};
constexpr CharacterLimits kLimits[3] = {{1.3, 1.2}, {1.25, 1.18}, {1.2, 1.15}};

// Parameters of the research choice of one character.
struct ResearchStyle {
    double dLimit;
    int growthMargin;
    int growthYear;
    double agrarianChance;
    int militaryMargin;
    double growthTerritories;  // population limit of growth, in territories
    double growthFill;         // fill limit of growth
};
constexpr ResearchStyle kStyles[3] = {
    {0.95, 3, 25, 0.8, 6, 2.0, 0.85},
    {0.9, 2, 20, 0.95, 5, 2.0, 0.9},
    {0.9, 2, 15, 0.8, 4, 2.5, 0.95},
};

// Character 1..3 as an index 0..2.
int CharacterIndex(const TGosRec& g) { return std::clamp<int32_t>(g.Character, 1, 3) - 1; }

// A step of an attitude: 95 or more becomes 100, below 3 becomes 0.
void Raise(uint8_t& a) { a = a >= 95 ? 100 : static_cast<uint8_t>(a + 5); }
void Lower(uint8_t& a) { a = a < 3 ? 0 : static_cast<uint8_t>(a - 2); }

int32_t SaturatedAdd(int32_t a, int64_t b) { return SaturateI32(int64_t{a} + b); }

// A salary computed again only when its head count changed.
class CachedSalary {
public:
    explicit CachedSalary(int64_t (*salary)(int32_t)) : salary_(salary) {}
    int64_t operator()(int32_t count) {
        if (count != count_) {
            count_ = count;
            value_ = salary_(count);
        }
        return value_;
    }

private:
    int64_t (*salary_)(int32_t);
    std::optional<int32_t> count_;
    int64_t value_ = 0;
};

// What the hiring loop recomputes: the two salaries, and the worth of this
// year's sowing, which the loop does not change.
struct HiringValues {
    long double worth;
    CachedSalary scientists{[](int32_t n) { return Salaries(n, 0); }};
    CachedSalary soldiers{[](int32_t n) { return Salaries(0, n); }};
};

bool MayHireScientists(const TGosRec& g, const TAiMode& mode, HiringValues& values) {
    const long double salary = values.scientists(g.Scientists);
    const long double worth = values.worth;
    if (Game.Year >= 20 && salary >= worth / 1.5L && g.Soldiers <= g.Territory / 5.0) return false;
    if (mode.WarFooting && salary >= worth / 4) return false;
    return !(mode.Dominant && g.Soldiers <= g.Territory / 10.0 && g.Character != 1);
}

bool StopsHiring(const TGosRec& g, const TAiMode& mode, HiringValues& values) {
    const long double salaries = values.scientists(g.Scientists) + values.soldiers(g.Soldiers);
    const long double worth = values.worth;
    if (!mode.WarFooting && worth / 1.1L + g.Money / 3.0L < salaries) return true;
    if (mode.WarFooting && worth / 1.01L + g.Money < salaries) return true;
    return g.Peasants * 1.5 < g.Territory;
}

int LowestLevelBranch(const TGosRec& g) {
    int m = 1;
    for (int k = 2; k <= 5; ++k)
        if (g.Research[k].Level < g.Research[m].Level) m = k;
    return m;
}

// Assigns branch 5 on the random conditions of characters 2 and 3.
void MaybeAssignScience(uint8_t gos, double ratio) {
    if ((RandomReal() < 0.7 && ratio > 0.8) || (RandomReal() < 0.6 && ratio < 0.8))
        AiAssignScientists(gos, ScienceLevel);
}

void CharacterChoice(uint8_t gos, double ratio, const TAiMode& mode) {
    const TGosRec& g = Game.mGos[gos];
    const auto L = [&g](int k) { return g.Research[k].Level; };
    switch (CharacterIndex(g) + 1) {
        case 1: {
            const int m = ratio <= 0.7 ? 5 : 6;
            if (L(2) + m <= L(5) || L(5) >= m + L(3)) break;
            if (RandomReal() < 0.9 && ratio > 0.8)
                AiAssignScientists(gos, ScienceLevel);
            else if (RandomReal() < 0.7 && ratio < 0.9)
                AiAssignScientists(gos, ScienceLevel);
            else if (mode.Safe && RandomReal() < 0.6)
                AiAssignScientists(gos, ScienceLevel);
            break;
        }
        case 2: {
            const int m = ratio <= 0.7 ? 4 : 5;
            if (!(L(2) + m <= L(5) || m + L(3) <= L(5))) MaybeAssignScience(gos, ratio);
            break;
        }
        default:
            if (L(2) + 4 > L(5) && L(3) + 4 > L(5)) MaybeAssignScience(gos, ratio);
    }
}

void CommonChoice(uint8_t gos, double fill) {
    const TGosRec& g = Game.mGos[gos];
    const ResearchStyle& s = kStyles[CharacterIndex(g)];
    const auto L = [&g](int k) { return g.Research[k].Level; };
    if (fill > s.dLimit) {
        if (Game.Year < 25) {
            if (RandomReal() < 0.6 && L(0) < 6) AiAssignScientists(gos, PopulationDensity);
        } else if (Game.Year <= 60) {
            if (RandomReal() < 0.2 && L(0) < 8) AiAssignScientists(gos, PopulationDensity);
        }
    }
    if (Population(gos) < s.growthTerritories * g.Territory && fill < s.growthFill &&
        L(1) + s.growthMargin < L(5) && Game.Year > s.growthYear)
        AiAssignScientists(gos, PopulationGrowth);
    if (L(5) <= L(2) && L(5) <= L(3))
        AiAssignScientists(gos, ScienceLevel);
    else if (L(2) <= L(3)) {
        if (RandomReal() < s.agrarianChance) AiAssignScientists(gos, AgrarianLevel);
    } else
        AiAssignScientists(gos, FinancialLevel);
    if (L(4) < L(5) - s.militaryMargin) AiAssignScientists(gos, MilitaryTraining);
}

// The thresholds and shares of one row of the hiring table.
struct HiringRow {
    double scientists, soldiers;
    std::array<int, 6> p;
};

constexpr std::array<int, 6> kWarThresholds{5, 20, 40, 60, 90, 100};

double WarSoldierShare(const TGosRec& g, int64_t v) {
    if (AliveShare() < 0.1) return 0.5;
    if (RandomReal() < 0.1) return 0.5;
    if (g.Money / 2.0L > static_cast<long double>(v) - ScientistSalary(g) - SoldierSalary(g)) return 0.5;
    return 0.01;
}

HiringRow PeacefulRow(const TGosRec& g, const TAiMode& mode) {
    const int y = Game.Year;
    const double d1 = (!mode.Safe || g.TimesAttacked >= 3) ? 0.2 : 0;
    const double d2 = (!mode.Safe || g.TimesAttacked >= 2) ? 0.2 : 0;
    switch (CharacterIndex(g) + 1) {
        case 1:
            if (y <= 25) return {0.3, d1, {20, 40, 60, 80, 1, 100}};
            if (y <= 34) return {0.4, d1, {10, 20, 70, 80, 1, 100}};
            if (y <= 49) return {0.4, 0.3, {10, 20, 50, 70, 80, 100}};
            if (y <= 65) return {0.4, 0.3, {5, 15, 40, 65, 90, 100}};
            return {0.4, 0.4, {5, 15, 40, 65, 90, 100}};
        case 2:
            if (y <= 10) return {0.25, d2, {20, 40, 60, 80, 1, 100}};
            if (y <= 20) return {0.3, d2, {20, 40, 60, 80, 1, 100}};
            if (y <= 31) return {0.35, d2, {10, 30, 60, 80, 1, 100}};
            if (y <= 42) return {0.4, 0.3, {10, 25, 55, 85, 95, 100}};
            if (y <= 62) return {0.4, 0.3, {10, 20, 40, 60, 90, 100}};
            return {0.3, 0.4, {10, 20, 40, 60, 90, 100}};
        default:
            if (y <= 15) return {0.25, 0, {10, 30, 55, 80, 1, 100}};
            if (y <= 24) return {0.3, 0.2, {10, 20, 45, 70, 80, 100}};
            if (y <= 35) return {0.35, 0.3, {10, 20, 45, 70, 80, 100}};
            if (y <= 49) return {0.4, 0.3, {5, 20, 40, 60, 90, 100}};
            if (y <= 70) return {0.4, 0.4, {5, 20, 40, 60, 90, 100}};
            return {0.3, 0.5, {5, 20, 40, 60, 90, 100}};
    }
}

}  // namespace

double Share(double part, double whole) { return whole == 0 ? 0 : part / whole; }

double AliveShare() { return Share(Game.AliveGosCount, Game.GosCount); }

double AverageTerritory() { return Share(Game.MapSize * Game.MapSize, Game.AliveGosCount); }

bool Borders(uint8_t i, uint8_t j) { return j != i && Game.mGos[i].Fronts[j].Neighbour != 0; }

double GosStrength(uint8_t gos) {
    const TGosRec& g = Game.mGos[gos];
    return g.Territory * (1 + std::min(Share(Population(gos), g.Territory), 2.0) / 2);
}

double StrengthRatio(uint8_t a, uint8_t b) { return Share(GosStrength(a), GosStrength(b)); }

long double SowingWorth(const TGosRec& g, long double fields) {
    return fields * static_cast<long double>(g.Research[AgrarianLevel].Effect) *
           static_cast<long double>(g.Research[FinancialLevel].Effect);
}

int64_t ScientistSalary(const TGosRec& g) { return Salaries(g.Scientists, 0); }

int64_t SoldierSalary(const TGosRec& g) { return Salaries(0, g.Soldiers); }

void ReturnAllScientists(TGosRec& g) {
    for (TResearchRec& branch : g.Research) {
        g.FreeScientists = SaturatedAdd(g.FreeScientists, branch.Scientists);
        branch.Scientists = 0;
    }
}

void AiUpdateRelations(uint8_t gos) {
    TGosRec& g = Game.mGos[gos];
    for (int j = 1; j <= Game.GosCount; ++j)
        if (g.Relations[j].Aggression > 0) --g.Relations[j].Aggression;
    for (int jj = 1; jj <= Game.GosCount; ++jj) {
        const auto j = static_cast<uint8_t>(jj);
        if (!Game.mGos[j].Alive) continue;
        uint8_t& a = g.Relations[j].Attitude;
        const uint8_t aggression = g.Relations[j].Aggression;
        const int64_t p = PowerTrunc(aggression, 3);
        a = p > a ? 0 : static_cast<uint8_t>(a - p);
        const bool borders = Borders(gos, j);
        if (aggression == 0 && Game.mGos[j].Relations[gos].Aggression == 0 && borders) {
            const double r = StrengthRatio(j, gos);
            if (r < 0.7) Raise(a);
            if (r < 1.01) Raise(a);
        }
        if (borders) {
            const double r = StrengthRatio(j, gos);
            if (r > 1.2) Lower(a);
            if (r > 1.6) Lower(a);
            if (r > 1.8) Lower(a);
        } else
            Raise(a);
    }
}

TAiMode AiModeFlags(uint8_t gos) {
    const TGosRec& g = Game.mGos[gos];
    const CharacterLimits& limits = kLimits[CharacterIndex(g)];
    const double avgT = AverageTerritory();
    TAiMode mode;
    for (int j = 1; j <= Game.GosCount; ++j) {
        if (!Borders(gos, static_cast<uint8_t>(j))) continue;
        const double r = StrengthRatio(static_cast<uint8_t>(j), gos);
        if (r > limits.war) mode.WarFooting = true;
        if (r > limits.unsafe) mode.Safe = false;
    }
    if (Game.Year < 30 && g.Territory < avgT) {
        mode.Safe = false;
        if (g.TimesAttacked >= 1) mode.WarFooting = true;
    }
    if (AliveShare() < 0.2) {
        mode.WarFooting = true;
        mode.Safe = false;
    }
    for (int j = 1; j <= Game.GosCount; ++j) {
        if (!Borders(gos, static_cast<uint8_t>(j))) continue;
        const uint16_t t = Game.mGos[j].Territory;
        if (t / 1.1 > g.Territory) mode.Outsized = true;
        if (t * 1.1 > g.Territory || g.Territory < avgT) mode.Dominant = false;
    }
    return mode;
}

void AiShedScientists(uint8_t gos, const TAiMode& mode) {
    TGosRec& g = Game.mGos[gos];
    if (!(g.Territory < AverageTerritory())) return;
    for (int round = 0; round < 10; ++round) {
        if (!(mode.WarFooting && mode.Outsized && ScientistSalary(g) > SowingWorth(g, FieldsToSow(gos)) / 2))
            return;
        ReturnAllScientists(g);
        const int32_t c = g.FreeScientists / 10;
        g.FreeScientists -= c;
        g.Scientists = g.FreeScientists;
        g.Peasants = SaturatedAdd(g.Peasants, c);
    }
}

int64_t AiSowAndSell(uint8_t gos) {
    TGosRec& g = Game.mGos[gos];
    SowFields(gos, FieldsToSow(gos));
    SellGrain(gos, g.Grain);
    return Trunc(SowingWorth(g, g.FieldsSown));
}

void AiHireAndResearch(uint8_t gos, int64_t v, const TAiMode& mode) {
    TGosRec& g = Game.mGos[gos];
    const HiringRow row = mode.WarFooting && !mode.Dominant
                              ? HiringRow{0.001, WarSoldierShare(g, v), kWarThresholds}
                              : PeacefulRow(g, mode);
    AiHirePeople(gos, row.soldiers, row.scientists, mode);
    AiDistributeScientists(gos, row.p, mode);
}

void AiHirePeople(uint8_t gos, double soldierShare, double scientistShare, const TAiMode& mode) {
    TGosRec& g = Game.mGos[gos];
    int64_t costs = 0;
    for (const TResearchRec& branch : g.Research) costs += branch.Cost;
    if (costs < g.Scientists * static_cast<long double>(g.Research[ScienceLevel].Effect)) scientistShare = 0;
    HiringValues values{SowingWorth(g, g.FieldsSown)};
    // The computer hires one at a time and keeps more than one price.
    const auto mayHire = [&g] { return g.Peasants > 0 && kTrainingPrice < g.Money; };
    bool done = false;
    while (!done) {
        done = true;
        if (MayHireScientists(g, mode, values) && Share(g.Scientists, Population(gos)) < scientistShare &&
            mayHire()) {
            TrainScientists(gos, 1);
            done = false;
            for (int extra = 0; extra < 2; ++extra)
                if (mayHire()) TrainScientists(gos, 1);
        }
        if (Share(g.Soldiers, Population(gos)) < soldierShare && mayHire()) {
            TrainSoldiers(gos, 1);
            done = false;
        }
        if (StopsHiring(g, mode, values)) done = true;
    }
}

void AiAssignScientists(uint8_t gos, int branch) {
    TGosRec& g = Game.mGos[gos];
    TResearchRec& r = g.Research[branch];
    if (r.Scientists != 0 || g.FreeScientists < 1) return;
    const int64_t need = std::max<int64_t>(
        1,
        Trunc((int64_t{r.Cost} - r.Points) / static_cast<long double>(g.Research[ScienceLevel].Effect)) + 1);
    const auto n = static_cast<int32_t>(std::min<int64_t>(need, g.FreeScientists));
    r.Scientists = n;
    g.FreeScientists -= n;
}

void AiDistributeScientists(uint8_t gos, std::array<int, 6> p, const TAiMode& mode) {
    TGosRec& g = Game.mGos[gos];
    const auto L = [&g](int k) { return g.Research[k].Level; };
    const auto assign = [gos](int k) { AiAssignScientists(gos, k); };
    const double ratio = AliveShare();
    const double fill =
        Share(Population(gos), g.Territory * static_cast<double>(g.Research[PopulationDensity].Effect));
    const bool roomToGrow = Population(gos) < 2 * g.Territory;

    if (mode.WarFooting) p = {5, 15, 35, 55, 90, 100};
    ReturnAllScientists(g);
    for (int k = 0; k < ResearchBranchCount; ++k)
        if (g.Research[k].Points > g.Research[ScienceLevel].Effect) assign(k);

    const int lagging = LowestLevelBranch(g);
    if (Game.Year > 20) {
        if (RandomReal() < 0.2) assign(lagging);
    } else if (ratio < 0.7 && RandomReal() < 0.5)
        assign(lagging);

    if (mode.WarFooting || (ratio < 0.5 && RandomReal() < 0.5) || (!mode.Safe && RandomReal() < 0.2)) {
        if (L(5) - 2 > L(4)) assign(MilitaryTraining);
        if (L(5) - 2 > L(1) && roomToGrow) assign(PopulationGrowth);
    }
    if (L(5) - 5 > L(4)) assign(MilitaryTraining);
    if (L(5) - 5 > L(1) && roomToGrow) assign(PopulationGrowth);
    if (L(5) - 5 > L(2)) assign(AgrarianLevel);
    if (L(5) - 5 > L(3)) assign(FinancialLevel);
    for (int k = 0; k <= 3; ++k)
        if (L(k) >= L(5)) assign(ScienceLevel);

    CharacterChoice(gos, ratio, mode);
    CommonChoice(gos, fill);

    for (int draw = 0; draw < kFillDraws && g.FreeScientists > 0; ++draw) {
        const int x = Random(100);
        for (int k = 0; k < ResearchBranchCount; ++k)
            if (x < p[k]) {
                assign(k);
                break;
            }
    }
    for (int k :
         {MilitaryTraining, PopulationGrowth, AgrarianLevel, FinancialLevel, ScienceLevel, PopulationDensity})
        assign(k);
}

}  // namespace kordalt
