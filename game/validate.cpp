#include "game/validate.h"

#include <cmath>
#include <initializer_list>

#include "game/rules_data.h"

namespace kordalt {
namespace {

struct Field {
    std::string name;
    long long value, lo, hi;
};

TChecked<> FirstOutOfRange(std::initializer_list<Field> fields) {
    for (const Field& f : fields) {
        if (f.value < f.lo || f.value > f.hi)
            return TRefused{f.name + "=" + std::to_string(f.value) + " outside " + std::to_string(f.lo) +
                            ".." + std::to_string(f.hi)};
    }
    return {};
}

TChecked<> Finite(const std::string& name, float v) {
    if (std::isfinite(v)) return {};
    return TRefused{name + " is not finite"};
}

TChecked<> CheckCounters(const GameState& s, TYearLimit years) {
    if (auto c = FirstOutOfRange({
            {"GosCount", s.GosCount, 2, MaxGos},
            {"MapSize", s.MapSize, 50, 100},
            {"Year", s.Year, 1, years == TYearLimit::GameOver ? YearCount : YearCount - 1},
            {"AliveGosCount", s.AliveGosCount, 0, s.GosCount},
            {"DifficultyLevel", s.DifficultyLevel, 0, 2},
        });
        !c)
        return c;
    return Finite("ResearchCostStep", s.ResearchCostStep);
}

// Slots s, s+20, ..., s+180 are the ones state s hires into.
bool IsOwnSlot(int slot, int gos) {
    return slot >= 1 && slot < PeopleKordalt && (slot - 1) % MaxGos + 1 == gos;
}

TChecked<> CheckResearch(const TGosRec& g, const std::string& prefix) {
    for (int k = 0; k < ResearchBranchCount; ++k) {
        const TResearchRec& r = g.Research[k];
        const std::string name = prefix + "Research[" + std::to_string(k) + "].";
        if (auto c = Finite(name + "Effect", r.Effect); !c) return c;
        if (auto c = Finite(name + "Increment", r.Increment); !c) return c;
        // These two divide.
        if ((k == AgrarianLevel || k == MilitaryTraining) && !(r.Effect > 0))
            return TRefused{name + "Effect=" + std::to_string(r.Effect) + " is not above 0"};
    }
    return {};
}

TChecked<> CheckGos(const GameState& s, int i) {
    const TGosRec& g = s.mGos[i];
    const std::string prefix = "mGos[" + std::to_string(i) + "].";
    if (auto c = FirstOutOfRange({
            {prefix + "KordaltCount", g.KordaltCount, 0, 10},
            {prefix + "Character", g.Character, 1, 3},
            {prefix + "Alive", g.Alive, 0, 1},
            {prefix + "Passed", g.Passed, 0, 1},
            {prefix + "HumanVictimCount", g.HumanVictimCount, 0, MaxGos},
        });
        !c)
        return c;
    for (int v = 1; v <= g.HumanVictimCount; ++v) {
        const std::string name = prefix + "HumanVictims[" + std::to_string(v) + "]";
        if (auto c = FirstOutOfRange({{name, g.HumanVictims[v], 0, MaxGos}}); !c) return c;
    }
    for (int j = 1; j <= s.GosCount; ++j) {
        const int k = g.Fronts[j].Kordalt;
        if (k != 0 && k != PeopleKordalt && !IsOwnSlot(k, i))
            return TRefused{prefix + "Fronts[" + std::to_string(j) + "].Kordalt=" + std::to_string(k) +
                            " is not 0, 201 or a slot of state " + std::to_string(i)};
    }
    if (!std::isfinite(g.TimeSpent)) return TRefused{prefix + "TimeSpent is not finite"};
    return CheckResearch(g, prefix);
}

TChecked<> CheckKordalt(const GameState& s, int i) {
    const TKordaltRec& k = s.mKordalt[i];
    const std::string prefix = "mKordalt[" + std::to_string(i) + "].";
    return FirstOutOfRange({
        {prefix + "Front", k.Front, 0, s.GosCount},
        {prefix + "Owner", k.Owner, 0, s.GosCount},
    });
}

// The states the invariants are checked for.
struct StateRange {
    int first, last;
};

void CheckArmies(const GameState& s, int troopTypes, StateRange r, std::vector<TInvariantBreach>& out) {
    for (int i = r.first; i <= r.last; ++i) {
        const TGosRec& gos = s.mGos[i];
        int64_t sum = 0;
        for (int j = 1; j <= s.GosCount; ++j)
            for (int k = 1; k <= troopTypes; ++k) {
                const int32_t soldiers = gos.Fronts[j].Soldiers[k];
                if (soldiers < 0) out.push_back({TBreachKind::NegativeFrontSoldiers, i, j});
                sum += soldiers;
            }
        const int64_t total = gos.Reserve + sum;
        if (gos.Soldiers != total) {
            out.push_back({TBreachKind::ArmyTotal, i, 0, gos.Soldiers, total, sum});
            return;
        }
    }
}

void CheckPeople(const GameState& s, StateRange r, std::vector<TInvariantBreach>& out) {
    for (int i = r.first; i <= r.last; ++i) {
        if (s.mGos[i].Peasants < 0) out.push_back({TBreachKind::NegativePeasants, i});
        if (s.mGos[i].FreeScientists < 0) out.push_back({TBreachKind::NegativeFreeScientists, i});
    }
}

void CheckFrontLinks(const GameState& s, TLinkScope scope, StateRange r, std::vector<TInvariantBreach>& out) {
    for (int i = r.first; i <= r.last; ++i)
        for (int j = 1; j <= s.GosCount; ++j) {
            const TFrontRec& front = s.mGos[i].Fronts[j];
            const bool active = front.Neighbour || j == i;
            if (front.Kordalt == 0 || (scope == TLinkScope::ActiveFronts && !active)) continue;
            const bool known = front.Kordalt <= KordaltSlotCount;
            if (known && s.mKordalt[front.Kordalt].Front == j) continue;
            TInvariantBreach breach{TBreachKind::FrontLink, i, j};
            breach.RecordedFront = known ? s.mKordalt[front.Kordalt].Front : 0;
            out.push_back(breach);
        }
}

std::string Describe(const TInvariantBreach& b) {
    const std::string gos = "mGos[" + std::to_string(b.Gos) + "].";
    const std::string front = gos + "Fronts[" + std::to_string(b.Front) + "]";
    switch (b.Kind) {
        case TBreachKind::NegativeFrontSoldiers:
            return front + " has fewer than 0 soldiers of a type";
        case TBreachKind::ArmyTotal:
            return gos + "Soldiers=" + std::to_string(b.Soldiers) + " is not Reserve plus the fronts, " +
                   std::to_string(b.Total);
        case TBreachKind::NegativePeasants:
            return gos + "Peasants is below 0";
        case TBreachKind::NegativeFreeScientists:
            return gos + "FreeScientists is below 0";
        case TBreachKind::FrontLink:
            return front + ".Kordalt records front " + std::to_string(b.RecordedFront);
    }
    return {};
}

// The other way of the links: a hired Kordalt on a front is that front's
// Kordalt, and a front's Kordalt (but the people's candidate) is hired by the
// front's state.
TChecked<> CheckKordaltLinks(const GameState& s, StateRange r) {
    for (int i = r.first; i <= r.last; ++i)
        for (int j = 1; j <= s.GosCount; ++j) {
            const int k = s.mGos[i].Fronts[j].Kordalt;
            if (k != 0 && k != PeopleKordalt && s.mKordalt[k].Owner != i)
                return TRefused{"mGos[" + std::to_string(i) + "].Fronts[" + std::to_string(j) +
                                "].Kordalt=" + std::to_string(k) + " is hired by state " +
                                std::to_string(s.mKordalt[k].Owner)};
        }
    for (int k = 1; k < PeopleKordalt; ++k) {
        const TKordaltRec& rec = s.mKordalt[k];
        if (rec.Owner < r.first || rec.Owner > r.last || rec.Front == 0) continue;
        if (s.mGos[rec.Owner].Fronts[rec.Front].Kordalt != k)
            return TRefused{"mKordalt[" + std::to_string(k) + "] records front " + std::to_string(rec.Front) +
                            " of state " + std::to_string(rec.Owner) + ", which another commands"};
    }
    return {};
}

std::vector<TInvariantBreach> Breaches(const GameState& s, int troopTypes, TLinkScope scope, StateRange r) {
    std::vector<TInvariantBreach> out;
    CheckArmies(s, troopTypes, r, out);
    CheckPeople(s, r, out);
    CheckFrontLinks(s, scope, r, out);
    return out;
}

// Every index, count and divisor, and the invariants of the states in `r`.
TChecked<> Validate(const GameState& s, int troopTypes, StateRange r, TYearLimit years) {
    if (auto c = CheckCounters(s, years); !c) return c;
    if (troopTypes < 0 || troopTypes > kMaxTroopTypes)
        return TRefused{"TroopTypeCount=" + std::to_string(troopTypes)};
    for (int i = 1; i <= s.GosCount; ++i) {
        if (auto c = CheckGos(s, i); !c) return c;
    }
    for (int i = 1; i <= KordaltSlotCount; ++i) {
        if (auto c = CheckKordalt(s, i); !c) return c;
    }
    const auto breaches = Breaches(s, troopTypes, TLinkScope::AllFronts, r);
    if (!breaches.empty()) return TRefused{Describe(breaches.front())};
    return CheckKordaltLinks(s, r);
}

}  // namespace

std::vector<TInvariantBreach> FindInvariantBreaches(const GameState& s, int troopTypes, TLinkScope scope) {
    return Breaches(s, troopTypes, scope, {1, s.GosCount});
}

TChecked<> ValidateGameState(const GameState& s, TYearLimit years) {
    return Validate(s, Rules.TroopTypeCount, {1, s.GosCount}, years);
}

TChecked<> ValidateGameState(const GameState& s, int troopTypes) {
    return Validate(s, troopTypes, {1, s.GosCount}, TYearLimit::BeforeLast);
}

TChecked<> ValidateStateRecord(const GameState& s, int gos, TYearLimit years) {
    if (gos < 1 || gos > s.GosCount) return TRefused{"state " + std::to_string(gos) + " is not in the game"};
    return Validate(s, Rules.TroopTypeCount, {gos, gos}, years);
}

TChecked<> ValidateGame(const GameState& s, const TOwnerGrid& grid, TYearLimit years) {
    if (auto c = ValidateGameState(s, years); !c) return c;
    return CheckOwnerGrid(grid, s.MapSize, s.GosCount);
}

}  // namespace kordalt
