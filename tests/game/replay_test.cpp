// A game started or loaded with the same seed is the same game, whatever was
// played before it in the process.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "fake_game_windows.h"
#include "game/game_loop.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/saved_game.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

constexpr int kLastYear = 30;

struct GameSetup {
    uint64_t seed;
    int states, side, humans;
};

constexpr GameSetup kFirst{41, 20, 100, 1};
constexpr GameSetup kOther{7, 6, 60, 2};

// The game's bytes without the fields that come from the clock or the system.
std::string StateBytes() {
    GameState kept = Game;
    Game.GameGuid = {};
    for (int i = 1; i <= MaxGos; ++i) Game.mGos[i].TimeSpent = 0;
    std::string bytes = SavedGameBody();
    Game = std::move(kept);
    return bytes;
}

class ReplayTest : public RulesTest {
protected:
    ReplayTest() {
        windows.onMainScreen = [this] {
            if (Game.Year == 1 && first.empty()) first = StateBytes();
            if (Game.Year < kLastYear) return TTurnResult::Pass;
            last = StateBytes();
            return TTurnResult::Quit;
        };
    }
    ~ReplayTest() override { ReplaceMap(nullptr); }

    // The bytes at the first human turn and at year kLastYear.
    std::pair<std::string, std::string> Play(const GameSetup& s) {
        first.clear();
        last.clear();
        windows.states = s.states;
        windows.mapSize = s.side;
        windows.humans = s.humans;
        ScopedSeed seed(s.seed);
        GenerateNewGame();
        HandOutStates();
        return {first, last};
    }

    // The bytes at year kLastYear of `image` played on from `seed`.
    std::string PlayLoaded(const std::string& image, uint64_t seed) {
        last.clear();
        ScopedSeed scope(seed);
        EXPECT_TRUE(LoadGameImage(image));
        GameLoop();
        return last;
    }

    FakeGameWindows windows;
    std::string first, last;
};

TEST_F(ReplayTest, TheSameSeedPlaysTheSameGameAfterOtherGames) {
    const auto fresh = Play(kFirst);
    ASSERT_FALSE(fresh.second.empty());
    Play(kOther);
    Play({kFirst.seed + 1, 3, 50, 3});
    const auto again = Play(kFirst);
    EXPECT_TRUE(fresh.first == again.first) << "the first turn differs";
    EXPECT_TRUE(fresh.second == again.second) << "year " << kLastYear << " differs";
}

TEST_F(ReplayTest, TheSameSavedGameAndSeedPlayTheSameYearsAfterOtherGames) {
    windows.onMainScreen = [this] {
        if (Game.Year < 10) return TTurnResult::Pass;
        first = SavedGameImage();
        return TTurnResult::Quit;
    };
    Play(kFirst);
    const std::string image = first;
    windows.onMainScreen = [this] {
        if (Game.Year < kLastYear) return TTurnResult::Pass;
        last = StateBytes();
        return TTurnResult::Quit;
    };
    const std::string fresh = PlayLoaded(image, 99);
    ASSERT_FALSE(fresh.empty());
    Play(kOther);
    EXPECT_TRUE(fresh == PlayLoaded(image, 99));
}

}  // namespace
}  // namespace kordalt
