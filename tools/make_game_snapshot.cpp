// Writes full network snapshots of a generated local game (20 states, side 100,
// fixed seed) at the start of the years asked: the bytes the good coder
// compresses in a network game, kept as test and benchmark data.
// Usage: make_game_snapshot OUTPUT_DIR YEAR... (files fullinf_yYEAR.bin).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "game/fake_game_windows.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/ui_hooks.h"
#include "multiplayer/net_messages.h"
#include "platform/program_path.h"

namespace kordalt {
namespace {

class TSilentUi final : public TGameUi {
public:
    void ShowMessage(const std::string&) override {}
    void StartProgress(TProgressBar, int) override {}
    void SetProgress(TProgressBar, int) override {}
};

bool WriteFile(const std::string& path, const TNetMessage& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Twenty humans who pass; the snapshot of a year is taken at its first turn.
int Run(const std::string& dir, const std::set<int>& years) {
    // The program folder's settings file and rules data.
    ScopedProgramFileName program(ProgramDirectory() + "kordalt");
    CreateLanguageFile();
    LoadRulesData();
    PlayMode.GameMode = kLocalGame;
    TSilentUi ui;
    ScopedGameUi uiScope(ui);
    ScopedSeed seed(41);
    FakeGameWindows windows;
    windows.states = 20;
    windows.mapSize = 100;
    windows.humans = 20;
    std::set<int> left = years;
    bool failed = false;
    windows.onMainScreen = [&] {
        if (left.erase(Game.Year) != 0) {
            const std::string path = dir + "/fullinf_y" + std::to_string(Game.Year) + ".bin";
            if (!WriteFile(path, MakeFullInf(1, 2))) {
                std::fprintf(stderr, "make_game_snapshot: cannot write %s\n", path.c_str());
                failed = true;
            }
        }
        return left.empty() || failed ? TTurnResult::Quit : TTurnResult::Pass;
    };
    GenerateNewGame();
    HandOutStates();
    FreeLanguageFile();
    if (!left.empty() && !failed) {
        std::fprintf(stderr, "make_game_snapshot: the game ended before year %d\n", *left.begin());
        return 1;
    }
    return failed ? 1 : 0;
}

}  // namespace
}  // namespace kordalt

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_game_snapshot OUTPUT_DIR YEAR...\n");
        return 2;
    }
    std::set<int> years;
    for (int i = 2; i < argc; ++i) years.insert(std::atoi(argv[i]));
    return kordalt::Run(argv[1], years);
}
