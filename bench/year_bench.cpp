// One computed year of a 20-state game on a side-100 map in mid-game, the
// save and load of that game in memory and through a file, the year of a
// network game of four automatic players on loopback, and the compressed
// full snapshot that carries each year's result.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "e2e/player_processes.h"
#include "game/fake_game_windows.h"
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
#include "multiplayer/net_envelope.h"
#include "multiplayer/net_messages.h"
#include "platform/program_path.h"

namespace kordalt {
namespace {

constexpr int kMidGameYear = 50;
constexpr uint64_t kSeedsTried = 10;

class TSilentUi final : public TGameUi {
public:
    void ShowMessage(const std::string&) override {}
    void StartProgress(TProgressBar, int) override {}
    void SetProgress(TProgressBar, int) override {}
};

// A local game of `states` states (20 by default), each a human who passes, at
// the start of year `year` (50 by default): the file of the year's first turn.
// A late year needs a game that lasts: the first of the seeds from 41 whose
// game does, else the last year of the last game tried.
class MidGame {
public:
    explicit MidGame(int year = kMidGameYear, int states = 20) : year_(year) {
        CreateLanguageFile();
        LoadRulesData();
        PlayMode.GameMode = kLocalGame;
        windows_.states = states;
        windows_.mapSize = 100;
        windows_.humans = states;
        windows_.onMainScreen = [this] {
            if (Game.Year != imageYear_) {
                image = SavedGameImage();
                imageYear_ = Game.Year;
            }
            return Game.Year < year_ ? TTurnResult::Pass : TTurnResult::Quit;
        };
        for (uint64_t seed = 41; imageYear_ != year_ && seed < 41 + kSeedsTried; ++seed) {
            ScopedSeed scope(seed);
            GenerateNewGame();
            HandOutStates();
        }
        year_ = imageYear_;
    }
    ~MidGame() { FreeLanguageFile(); }

    // Loads the mid-game file; the next turns pass in its year and quit in the next.
    void Restore() {
        LoadGameImage(image);
        windows_.onMainScreen = [this] { return Game.Year == year_ ? TTurnResult::Pass : TTurnResult::Quit; };
    }

    // The year of the file.
    int Year() const { return year_; }

    std::string image;

private:
    int year_;
    int imageYear_ = 0;
    ScopedProgramFileName program_{KORDALT_BIN_DIR "/kordalt"};
    TSilentUi ui_;
    ScopedGameUi uiScope_{ui_};
    FakeGameWindows windows_;
};

// Args: the year, the number of states.
void BM_Year(benchmark::State& state) {
    MidGame game(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        game.Restore();
        state.ResumeTiming();
        GameLoop();
        if (Game.Year != game.Year() + 1) state.SkipWithError("the year was not computed");
    }
    state.counters["living_states"] = Game.AliveGosCount;
    state.counters["year"] = game.Year();
}
// Games of 2 and 10 states on this map end by conquest before year 119; the
// counter "year" says which year was measured.
BENCHMARK(BM_Year)
    ->ArgsProduct({{1, kMidGameYear, 119}, {2, 10, 20}})
    ->ArgNames({"year", "states"})
    ->Unit(benchmark::kMillisecond);

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

// The year's result of the game at the start of year Arg: its full snapshot
// through the LZH coder and back, as the server and each client do it once a year.
void BM_FullSnapshotCoder(benchmark::State& state) {
    MidGame game(static_cast<int>(state.range(0)));
    LoadGameImage(game.image);
    const TNetMessage full = MakeFullInf(1, 0);
    size_t packed = 0;
    std::chrono::duration<double, std::milli> compress{}, decompress{};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::vector<uint8_t> envelope = CompressMessage(full.data(), full.size());
        const auto middle = std::chrono::steady_clock::now();
        const auto inner = DecompressMessgage(envelope.data(), envelope.size());
        decompress += std::chrono::steady_clock::now() - middle;
        compress += middle - start;
        if (!inner || *inner != full) state.SkipWithError("the snapshot did not come back");
        packed = envelope.size();
    }
    state.counters["snapshot_bytes"] = static_cast<double>(full.size());
    state.counters["compressed_bytes"] = static_cast<double>(packed);
    const double rounds = static_cast<double>(state.iterations());
    state.counters["compress_ms"] = compress.count() / rounds;
    state.counters["decompress_ms"] = decompress.count() / rounds;
}
BENCHMARK(BM_FullSnapshotCoder)->Arg(10)->Arg(kMidGameYear)->Unit(benchmark::kMillisecond);

// ---- A network game of four automatic players ----

constexpr int kNetPlayers = 4;
constexpr int kNetYears = 21;  // 20 year changes

// The time from the last player's end of turn (his year line, right before his
// turn ends: the automatic player passes at once) to every player's start of
// the next year, for each year after the first; empty when the game failed.
std::vector<double> NetYearDelays(const std::string& folder) {
    using test::PlayerProcess;
    std::vector<std::unique_ptr<PlayerProcess>> players;
    for (int i = 0; i < kNetPlayers; ++i) {
        std::vector<std::string> args = {i == 0 ? "--create" : "--join",
                                         "bench",
                                         "--player",
                                         "p" + std::to_string(i),
                                         "--bind",
                                         "127.0.0." + std::to_string(i + 2),
                                         "--years",
                                         std::to_string(kNetYears),
                                         "--seed",
                                         std::to_string(i + 1)};
        if (i == 0) args.insert(args.end(), {"--players", "4", "--states", "20", "--side", "100"});
        players.push_back(std::make_unique<PlayerProcess>("p" + std::to_string(i),
                                                          folder + "/p" + std::to_string(i), args));
    }
    const bool ended = test::ReadUntil(
        players,
        [&] {
            for (auto& p : players)
                if (p->Running()) return false;
            return true;
        },
        std::chrono::seconds(120));
    std::vector<double> delays;
    for (auto& p : players)
        if (!ended || p->ExitStatus() != 0 || p->Years().size() != kNetYears) {
            std::fprintf(stderr, "%s: %s\n", p->Name().c_str(), p->Errors().c_str());
            return delays;
        }
    for (int y = 1; y < kNetYears; ++y) {
        test::Clock::time_point lastEnd{}, allStart{};
        for (auto& p : players) {
            lastEnd = std::max(lastEnd, p->Years()[y - 1].at);
            allStart = std::max(allStart, p->Years()[y].at);
        }
        delays.push_back(std::chrono::duration<double, std::milli>(allStart - lastEnd).count());
    }
    return delays;
}

// Runs the game in a child process inside its own network; the delays come back through a pipe.
std::vector<double> MeasureNetYears(const std::string& folder) {
    int out[2];
    if (pipe(out) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        std::vector<double> delays;
        if (test::EnterOwnNetwork()) delays = NetYearDelays(folder);
        const ssize_t bytes = static_cast<ssize_t>(delays.size() * sizeof(double));
        _exit(write(out[1], delays.data(), static_cast<size_t>(bytes)) == bytes ? 0 : 1);
    }
    close(out[1]);
    std::vector<double> delays(kNetYears);
    ssize_t got = 0, n;
    while ((n = read(out[0], reinterpret_cast<char*>(delays.data()) + got,
                     delays.size() * sizeof(double) - got)) > 0)
        got += n;
    close(out[0]);
    waitpid(child, nullptr, 0);
    delays.resize(static_cast<size_t>(got) / sizeof(double));
    return delays;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t i = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[i];
}

void BM_NetYear(benchmark::State& state) {
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("net_year_bench." + std::to_string(getpid()))).string();
    std::vector<double> all;
    for (auto _ : state) {
        std::filesystem::remove_all(folder);
        const std::vector<double> delays = MeasureNetYears(folder);
        if (delays.size() != kNetYears - 1) {
            state.SkipWithError("the network game did not run (see stderr)");
            break;
        }
        double total = 0;
        for (double d : delays) total += d;
        state.SetIterationTime(total / 1000.0 / static_cast<double>(delays.size()));
        all.insert(all.end(), delays.begin(), delays.end());
    }
    std::filesystem::remove_all(folder);
    if (all.empty()) return;
    state.counters["median_ms"] = Percentile(all, 0.5);
    state.counters["p95_ms"] = Percentile(all, 0.95);
    state.counters["years"] = static_cast<double>(all.size());
}
BENCHMARK(BM_NetYear)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kordalt
