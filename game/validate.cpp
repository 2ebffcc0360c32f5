#include "game/validate.h"

#include <cmath>
#include <initializer_list>

namespace kordalt {
namespace {

struct Field {
    std::string name;
    long long value, lo, hi;
};

std::string FirstOutOfRange(std::initializer_list<Field> fields) {
    for (const Field& f : fields) {
        if (f.value < f.lo || f.value > f.hi)
            return f.name + "=" + std::to_string(f.value) + " outside " + std::to_string(f.lo) + ".." +
                   std::to_string(f.hi);
    }
    return {};
}

std::string Finite(const std::string& name, float v) {
    return std::isfinite(v) ? "" : name + " is not finite";
}

std::string CheckCounters(const GameState& s) {
    if (std::string e = FirstOutOfRange({
            {"GosCount", s.GosCount, 2, MaxGos},
            {"MapSize", s.MapSize, 50, 100},
            {"Year", s.Year, 1, YearCount - 1},
            {"AliveGosCount", s.AliveGosCount, 0, s.GosCount},
            {"DifficultyLevel", s.DifficultyLevel, 0, 2},
        });
        !e.empty())
        return e;
    return Finite("ResearchCostStep", s.ResearchCostStep);
}

// Slots s, s+20, ..., s+180 are the ones state s hires into.
bool IsOwnSlot(int slot, int gos) {
    return slot >= 1 && slot < PeopleKordalt && (slot - 1) % MaxGos + 1 == gos;
}

std::string CheckResearch(const TGosRec& g, const std::string& prefix) {
    for (int k = 0; k < ResearchBranchCount; ++k) {
        const TResearchRec& r = g.Research[k];
        const std::string name = prefix + "Research[" + std::to_string(k) + "].";
        if (std::string e = Finite(name + "Effect", r.Effect); !e.empty()) return e;
        if (std::string e = Finite(name + "Increment", r.Increment); !e.empty()) return e;
        // These two divide.
        if ((k == AgrarianLevel || k == MilitaryTraining) && !(r.Effect > 0))
            return name + "Effect=" + std::to_string(r.Effect) + " is not above 0";
    }
    return {};
}

std::string CheckGos(const GameState& s, int i) {
    const TGosRec& g = s.mGos[i];
    const std::string prefix = "mGos[" + std::to_string(i) + "].";
    if (std::string e = FirstOutOfRange({
            {prefix + "KordaltCount", g.KordaltCount, 0, 10},
            {prefix + "Character", g.Character, 1, 3},
            {prefix + "Alive", g.Alive, 0, 1},
            {prefix + "Passed", g.Passed, 0, 1},
            {prefix + "HumanVictimCount", g.HumanVictimCount, 0, MaxGos},
        });
        !e.empty())
        return e;
    for (int v = 1; v <= g.HumanVictimCount; ++v) {
        const std::string name = prefix + "HumanVictims[" + std::to_string(v) + "]";
        if (std::string e = FirstOutOfRange({{name, g.HumanVictims[v], 0, MaxGos}}); !e.empty()) return e;
    }
    for (int j = 1; j <= s.GosCount; ++j) {
        const int k = g.Fronts[j].Kordalt;
        if (k != 0 && k != PeopleKordalt && !IsOwnSlot(k, i))
            return prefix + "Fronts[" + std::to_string(j) + "].Kordalt=" + std::to_string(k) +
                   " is not 0, 201 or a slot of state " + std::to_string(i);
    }
    return CheckResearch(g, prefix);
}

std::string CheckKordalt(const GameState& s, int i) {
    const TKordaltRec& k = s.mKordalt[i];
    const std::string prefix = "mKordalt[" + std::to_string(i) + "].";
    return FirstOutOfRange({
        {prefix + "Front", k.Front, 0, s.GosCount},
        {prefix + "Owner", k.Owner, 0, s.GosCount},
    });
}

}  // namespace

std::string ValidateGameState(const GameState& s) {
    if (std::string e = CheckCounters(s); !e.empty()) return e;
    for (int i = 1; i <= s.GosCount; ++i) {
        if (std::string e = CheckGos(s, i); !e.empty()) return e;
    }
    for (int i = 1; i <= KordaltSlotCount; ++i) {
        if (std::string e = CheckKordalt(s, i); !e.empty()) return e;
    }
    return {};
}

}  // namespace kordalt
