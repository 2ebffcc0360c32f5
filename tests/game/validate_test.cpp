#include "game/validate.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>

namespace kordalt {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Four states on a 60-square map in year 1, with Kordalts on some fronts; the
// unused state records are valid too.
std::unique_ptr<GameState> ValidGame() {
    auto s = std::make_unique<GameState>();
    s->GosCount = 4;
    s->AliveGosCount = 4;
    s->MapSize = 60;
    s->Year = 1;
    s->DifficultyLevel = 1;
    s->ResearchCostStep = 5.0f;
    for (int i = 1; i <= MaxGos; ++i) {
        TGosRec& g = s->mGos[i];
        g.Alive = 1;
        g.Character = (i - 1) % 3 + 1;
        for (int k = 0; k < ResearchBranchCount; ++k) {
            g.Research[k].Effect = InitialResearch[k].Effect;
            g.Research[k].Increment = InitialResearch[k].Increment;
        }
    }
    s->mGos[2].Fronts[2].Kordalt = 2;
    s->mGos[2].Fronts[3].Kordalt = 182;
    s->mGos[4].Fronts[1].Kordalt = PeopleKordalt;
    s->mGos[4].Fronts[4].Kordalt = 184;
    s->mKordalt[2].Front = s->mKordalt[2].Owner = 2;
    s->mKordalt[184].Front = s->mKordalt[184].Owner = 4;
    return s;
}

using Change = std::function<void(GameState&)>;

TEST(Validate, AcceptsValidTables) {
    const Change accepted[] = {
        [](GameState&) {},
        [](GameState& s) { s.GosCount = 20, s.AliveGosCount = 0, s.MapSize = 100, s.Year = 119; },
        [](GameState& s) { s.MapSize = 50, s.DifficultyLevel = 2; },
        [](GameState& s) { s.mGos[1].HumanVictimCount = 1, s.mGos[1].HumanVictims[1] = 20; },
        [](GameState& s) { s.mGos[1].HumanVictims[2] = 99; },     // beyond the count
        [](GameState& s) { s.mGos[5].Character = 0; },            // beyond GosCount
        [](GameState& s) { s.mGos[1].Fronts[10].Kordalt = 77; },  // front toward no state
        [](GameState& s) { s.mGos[1].Research[0].Effect = 0; },   // only branches 2 and 4 divide
        [](GameState& s) { s.mGos[3].KordaltCount = 10, s.mGos[3].Passed = 1; },
    };
    for (size_t i = 0; i < std::size(accepted); ++i) {
        auto s = ValidGame();
        accepted[i](*s);
        EXPECT_EQ(ValidateGameState(*s), "") << "case " << i;
    }
}

TEST(Validate, NamesTheFirstBadField) {
    const struct {
        const char* error;
        Change change;
    } cases[] = {
        {"GosCount=1 outside 2..20", [](GameState& s) { s.GosCount = 1; }},
        {"GosCount=21 outside 2..20", [](GameState& s) { s.GosCount = 21; }},
        {"MapSize=49 outside 50..100", [](GameState& s) { s.MapSize = 49; }},
        {"MapSize=101 outside 50..100", [](GameState& s) { s.MapSize = 101; }},
        {"Year=0 outside 1..119", [](GameState& s) { s.Year = 0; }},
        {"Year=120 outside 1..119", [](GameState& s) { s.Year = 120; }},
        {"AliveGosCount=5 outside 0..4", [](GameState& s) { s.AliveGosCount = 5; }},
        {"DifficultyLevel=3 outside 0..2", [](GameState& s) { s.DifficultyLevel = 3; }},
        {"ResearchCostStep is not finite", [](GameState& s) { s.ResearchCostStep = kNaN; }},
        {"mGos[2].KordaltCount=11 outside 0..10", [](GameState& s) { s.mGos[2].KordaltCount = 11; }},
        {"mGos[3].Character=0 outside 1..3", [](GameState& s) { s.mGos[3].Character = 0; }},
        {"mGos[4].Character=4 outside 1..3", [](GameState& s) { s.mGos[4].Character = 4; }},
        {"mGos[1].Alive=2 outside 0..1", [](GameState& s) { s.mGos[1].Alive = 2; }},
        {"mGos[1].Passed=7 outside 0..1", [](GameState& s) { s.mGos[1].Passed = 7; }},
        {"mGos[1].HumanVictimCount=21 outside 0..20", [](GameState& s) { s.mGos[1].HumanVictimCount = 21; }},
        {"mGos[1].HumanVictims[2]=21 outside 0..20",
         [](GameState& s) { s.mGos[1].HumanVictimCount = 2, s.mGos[1].HumanVictims[2] = 21; }},
        {"mGos[2].Fronts[4].Kordalt=3 is not 0, 201 or a slot of state 2",
         [](GameState& s) { s.mGos[2].Fronts[4].Kordalt = 3; }},
        {"mGos[4].Fronts[1].Kordalt=202 is not 0, 201 or a slot of state 4",
         [](GameState& s) { s.mGos[4].Fronts[1].Kordalt = 202; }},
        {"mGos[1].Research[1].Increment is not finite",
         [](GameState& s) { s.mGos[1].Research[1].Increment = kInf; }},
        {"mGos[1].Research[4].Effect is not finite",
         [](GameState& s) { s.mGos[1].Research[4].Effect = kNaN; }},
        {"mGos[2].Research[2].Effect=0.000000 is not above 0",
         [](GameState& s) { s.mGos[2].Research[2].Effect = 0; }},
        {"mGos[3].Research[4].Effect=-1.000000 is not above 0",
         [](GameState& s) { s.mGos[3].Research[4].Effect = -1; }},
        {"mKordalt[201].Owner=5 outside 0..4", [](GameState& s) { s.mKordalt[201].Owner = 5; }},
        {"mKordalt[7].Front=9 outside 0..4", [](GameState& s) { s.mKordalt[7].Front = 9; }},
        // A smaller GosCount makes links to the states beyond it invalid.
        {"mKordalt[184].Front=4 outside 0..3", [](GameState& s) { s.GosCount = 3, s.AliveGosCount = 3; }},
    };
    for (const auto& c : cases) {
        auto s = ValidGame();
        c.change(*s);
        EXPECT_EQ(ValidateGameState(*s), c.error);
    }
}

}  // namespace
}  // namespace kordalt
