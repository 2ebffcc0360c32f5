// A human who passes every year is played by the computer: from the same seed
// his state fares exactly as a computer state in his seat does.
#include <gtest/gtest.h>

#include "fake_game_windows.h"
#include "game/fronts.h"
#include "game/game_loop.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/squares.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

constexpr int kGames = 6;
constexpr int kSide = 50;

// How the game ended for state 1; a seat that fell has lost, and the human's
// game ends there.
struct Outcome {
    bool fell;
    uint8_t soleOwner;  // 0: the map is split
    int year;
    uint16_t territory;
    bool operator==(const Outcome&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Outcome& o) {
        return os << "{fell " << o.fell << ", owner " << int{o.soleOwner} << ", year " << o.year
                  << ", territory " << o.territory << "}";
    }
};

class PassedHumanTest : public RulesTest {
protected:
    ~PassedHumanTest() override { ReplaceMap(nullptr); }

    void NewGame(uint64_t seed, int states) {
        windows.states = states;
        windows.mapSize = kSide;
        SeedRandom(seed);
        GenerateNewGame();
    }

    // State 1 is a human who passes every year.
    Outcome WithHuman(uint64_t seed, int states) {
        NewGame(seed, states);
        windows.humans = 1;
        HandOutStates();
        return Result();
    }

    // The same game with a computer state in the human's seat, handed out with
    // the same draws, played year by year until it is decided for the seat.
    Outcome WithComputer(uint64_t seed, int states) {
        NewGame(seed, states);
        Game.mGos[1].Alive = 1;
        for (int p = 2; p <= Game.GosCount; ++p) {
            int t;
            do t = Random(Game.GosCount) + 1;
            while (Game.mGos[t].Alive);
            Game.mGos[t].Alive = 1;
        }
        CheckFronts();
        do {
            Map->SnapshotOwners();
            Messages.Clear();
            Game.BattleChronicle.clear();
            ComputeYearSteps();
            ++Game.Year;
        } while (SoleOwner() == 0 && Game.Year < YearCount && Game.mGos[1].Alive);
        return Result();
    }

    static Outcome Result() {
        return {Game.mGos[1].Alive == 0, SoleOwner(), Game.Year, Game.mGos[1].Territory};
    }

    FakeGameWindows windows;
};

TEST_F(PassedHumanTest, FaresAsAComputerStateInHisSeat) {
    for (int states : {2, 3}) {
        for (int seed = 1; seed <= kGames; ++seed) {
            SCOPED_TRACE(::testing::Message() << states << " states, seed " << seed);
            const Outcome human = WithHuman(seed, states);
            EXPECT_EQ(human, WithComputer(seed, states));
        }
    }
}

}  // namespace
}  // namespace kordalt
