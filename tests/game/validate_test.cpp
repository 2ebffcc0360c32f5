#include "game/validate.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>

#include "fake_game_ui.h"
#include "fake_game_windows.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/turn_report.h"
#include "platform/program_path.h"

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
    s->mKordalt[182].Front = 3;
    s->mKordalt[182].Owner = 2;
    s->mKordalt[PeopleKordalt].Front = 1;
    s->mKordalt[PeopleKordalt].Owner = 4;
    s->mKordalt[184].Front = s->mKordalt[184].Owner = 4;
    // State 3's army: 7 in reserve, 5 on two fronts.
    s->mGos[3].Soldiers = 12;
    s->mGos[3].Reserve = 7;
    s->mGos[3].Fronts[1].Soldiers[1] = 2;
    s->mGos[3].Fronts[4].Soldiers[3] = 3;
    return s;
}

using Change = std::function<void(GameState&)>;

TEST(Validate, AcceptsValidTables) {
    Rules.TroopTypeCount = 3;
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
        EXPECT_EQ(ValidateGameState(*s).Why(), "") << "case " << i;
    }
}

TEST(Validate, NamesTheFirstBadField) {
    Rules.TroopTypeCount = 3;
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
        EXPECT_EQ(ValidateGameState(*s).Why(), c.error);
    }
}

// Only a network game's final result may be in the last year: a saved game
// would go on to compute the year after it.
TEST(Validate, TheLastYearOnlyForTheGamesEnd) {
    Rules.TroopTypeCount = 3;
    const struct {
        int year;
        TYearLimit limit;
        const char* error;
    } cases[] = {
        {YearCount - 1, TYearLimit::BeforeLast, ""},
        {YearCount, TYearLimit::BeforeLast, "Year=120 outside 1..119"},
        {YearCount - 1, TYearLimit::GameOver, ""},
        {YearCount, TYearLimit::GameOver, ""},
        {YearCount + 1, TYearLimit::GameOver, "Year=121 outside 1..120"},
        {0, TYearLimit::GameOver, "Year=0 outside 1..120"},
    };
    TOwnerGrid grid{};
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 60; ++y) grid[OwnerGridIndex(x, y)] = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "year " << c.year << (c.limit == TYearLimit::GameOver ? ", game over" : ""));
        auto s = ValidGame();
        s->Year = static_cast<uint8_t>(c.year);
        EXPECT_EQ(ValidateGameState(*s, c.limit).Why(), c.error);
        EXPECT_EQ(ValidateStateRecord(*s, 3, c.limit).Why(), c.error);
        EXPECT_EQ(ValidateGame(*s, grid, c.limit).Why(), c.error);
    }
}

// Everything the self-test checks, whatever the borders: a front that is no
// neighbour now may become one.
TEST(Validate, RefusesWhatTheSelfTestWouldStopOn) {
    const struct {
        const char* error;
        Change change;
    } cases[] = {
        {"mGos[3].Soldiers=13 is not Reserve plus the fronts, 12",
         [](GameState& s) { s.mGos[3].Soldiers = 13; }},
        {"mGos[3].Soldiers=12 is not Reserve plus the fronts, 13",
         [](GameState& s) { s.mGos[3].Fronts[4].Soldiers[2] = 1; }},
        {"mGos[3].Fronts[1] has fewer than 0 soldiers of a type",
         [](GameState& s) { s.mGos[3].Fronts[1].Soldiers[1] = -1, s.mGos[3].Reserve = 10; }},
        {"mGos[1].Peasants is below 0", [](GameState& s) { s.mGos[1].Peasants = -1; }},
        {"mGos[4].FreeScientists is below 0", [](GameState& s) { s.mGos[4].FreeScientists = -5; }},
        {"mGos[2].Fronts[3].Kordalt records front 1", [](GameState& s) { s.mKordalt[182].Front = 1; }},
        {"mGos[4].Fronts[1].Kordalt records front 0",
         [](GameState& s) { s.mKordalt[PeopleKordalt].Front = 0; }},
        {"mGos[2].Fronts[2].Kordalt=2 is hired by state 3", [](GameState& s) { s.mKordalt[2].Owner = 3; }},
        {"mKordalt[22] records front 2 of state 2, which another commands",
         [](GameState& s) { s.mKordalt[22].Owner = s.mKordalt[22].Front = 2; }},
        {"mGos[1].TimeSpent is not finite",
         [](GameState& s) { s.mGos[1].TimeSpent = std::numeric_limits<double>::infinity(); }},
    };
    for (const auto& c : cases) {
        auto s = ValidGame();
        c.change(*s);
        EXPECT_EQ(ValidateGameState(*s, 3).Why(), c.error);
    }
    // Troop types beyond the rules in use are not part of an army.
    auto s = ValidGame();
    s->mGos[3].Fronts[4].Soldiers[4] = 9;
    EXPECT_EQ(ValidateGameState(*s, 3).Why(), "");
    EXPECT_EQ(ValidateGameState(*s, 4).Why(), "mGos[3].Soldiers=12 is not Reserve plus the fronts, 21");
}

// A year result or a client's state brings one state's record whole; the
// others keep what they had, checked for their indices only.
TEST(Validate, OneStatesRecord) {
    Rules.TroopTypeCount = 3;
    auto s = ValidGame();
    s->mGos[1].Soldiers = 99;  // another state's summary
    EXPECT_EQ(ValidateStateRecord(*s, 3).Why(), "");
    EXPECT_EQ(ValidateStateRecord(*s, 1).Why(), "mGos[1].Soldiers=99 is not Reserve plus the fronts, 0");
    s->mGos[1].Character = 7;
    EXPECT_EQ(ValidateStateRecord(*s, 3).Why(), "mGos[1].Character=7 outside 1..3");
    EXPECT_EQ(ValidateStateRecord(*s, 5).Why(), "state 5 is not in the game");
}

// The gate accepts every state the rules make: a whole computer game is
// checked before the computation of each year.
TEST(Validate, AcceptsEveryYearOfAPlayedGame) {
    FakeGameUi ui;
    ScopedProgramFileName program(KORDALT_BIN_DIR "/kordalt");
    CreateLanguageFile();
    LoadRulesData();
    ASSERT_EQ(Rules.DimLoadFailed, 0);
    PlayMode.GameMode = kLocalGame;
    ScopedSeed seed(3);
    FakeGameWindows windows;
    windows.states = 10;
    windows.mapSize = 50;
    windows.humans = 1;
    int years = 0;
    windows.onShowYear = [&] {
        ++years;
        EXPECT_EQ(ValidateGameState(Game).Why(), "") << "year " << int{Game.Year};
    };
    windows.onMainScreen = [] { return Game.Year < 60 ? TTurnResult::Pass : TTurnResult::Quit; };
    GenerateNewGame();
    HandOutStates();
    EXPECT_GE(years, 30);
    ReplaceMap(nullptr);
    Messages.Clear();
    FreeLanguageFile();
}

}  // namespace
}  // namespace kordalt
