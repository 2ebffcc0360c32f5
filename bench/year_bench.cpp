// One computed year of a 20-state game on a side-100 map in mid-game, and the
// save and load of that game in memory and through a file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/saved_game.h"
#include "game/self_test.h"
#include "game/turn_report.h"
#include "game/ui_hooks.h"
#include "platform/program_path.h"
#include "tests/game/fake_game_windows.h"

namespace kordalt {
namespace {

constexpr int kMidGameYear = 50;

class TSilentUi final : public TGameUi {
public:
    void ShowMessage(const std::string&) override {}
    void StartProgress(TProgressBar, int) override {}
    void SetProgress(TProgressBar, int) override {}
};

// A local game of 20 states, each a human who passes, at the start of year 50:
// the file of human 1's turn.
class MidGame {
public:
    MidGame() {
        CreateLanguageFile();
        LoadRulesData();
        GameMode = kLocalGame;
        ScopedSeed seed(41);
        windows_.states = 20;
        windows_.mapSize = 100;
        windows_.humans = 20;
        windows_.onMainScreen = [this] {
            if (Game.Year < kMidGameYear) return TTurnResult::Pass;
            image = SavedGameImage();
            return TTurnResult::Quit;
        };
        GenerateNewGame();
        HandOutStates();
    }
    ~MidGame() { FreeLanguageFile(); }

    // Loads the mid-game file; the next turns pass in year 50 and quit in year 51.
    void Restore() {
        LoadGameImage(image);
        windows_.onMainScreen = [] {
            return Game.Year == kMidGameYear ? TTurnResult::Pass : TTurnResult::Quit;
        };
    }

    std::string image;

private:
    ScopedProgramFileName program_{KORDALT_BIN_DIR "/kordalt"};
    TSilentUi ui_;
    ScopedGameUi uiScope_{ui_};
    FakeGameWindows windows_;
};

void BM_Year(benchmark::State& state) {
    MidGame game;
    for (auto _ : state) {
        state.PauseTiming();
        game.Restore();
        state.ResumeTiming();
        GameLoop();
        if (Game.Year != kMidGameYear + 1) state.SkipWithError("the year was not computed");
    }
    state.counters["living_states"] = Game.AliveGosCount;
}
BENCHMARK(BM_Year)->Unit(benchmark::kMillisecond);

// Arg 0: in memory; 1: through a file.
void BM_SaveLoad(benchmark::State& state) {
    MidGame game;
    game.Restore();
    const bool toFile = state.range(0) == 1;
    const std::string path = (std::filesystem::temp_directory_path() / "year_bench.kordalt").string();
    size_t bytes = 0;
    for (auto _ : state) {
        bool loaded;
        if (toFile) {
            SaveGame(path);
            loaded = LoadGameFile(path);
        } else {
            const std::string image = SavedGameImage();
            bytes = image.size();
            loaded = LoadGameImage(image);
        }
        if (!loaded) state.SkipWithError("the saved game did not load");
    }
    if (toFile) {
        bytes = std::filesystem::file_size(path);
        std::filesystem::remove(path);
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
    state.counters["messages"] = Messages.Count();
}
BENCHMARK(BM_SaveLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kordalt
