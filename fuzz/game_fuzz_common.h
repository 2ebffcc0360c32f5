// Shared by the fuzz targets that commit outside data to the game: a game in
// progress to start every input from, byte patches that turn an input into a
// near-valid message or file, and the checks made after each input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/owner_grid.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/saved_game.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "game/ui_hooks.h"
#include "platform/fatal.h"
#include "platform/program_path.h"
#include "tests/game/fake_game_windows.h"

namespace kordalt::fuzz {

class TSilentUi final : public TGameUi {
public:
    void ShowMessage(const std::string&) override {}
    void StartProgress(TProgressBar, int) override {}
    void SetProgress(TProgressBar, int) override {}
};

// The tables, counters, turn report and map, as bytes.
inline std::string StateBytes() {
    auto bytes = [](const auto& v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); };
    std::string s = bytes(Game.mGos) + bytes(Game.mKordalt) + bytes(Game.YearStats) + bytes(Game.GameGuid);
    for (int v : {int{Game.GosCount}, int{Game.AliveGosCount}, int{Game.MapSize}, int{Game.Year},
                  int{Game.DifficultyLevel}, int{Game.SaveCounter}, int{Game.GameOnInternet},
                  int{Game.HumanCount}, int{Game.ResumeHuman}, int{Game.CurrentGos}})
        s += std::to_string(v) + ",";
    s += bytes(Game.ResearchCostStep) + Game.BattleChronicle + "|";
    for (int i = 0; i < Messages.Count(); ++i) s += bytes(*Messages[i]);
    if (Map) {
        TOwnerGrid grid{};
        MapToGrid(*Map, Game.MapSize, grid);
        s += bytes(grid);
    }
    return s;
}

// A local game of eight states on a side-50 map, one human who passes, at the
// start of year 12: Kordalts hired, armies on the fronts.
class TGameInProgress {
public:
    static constexpr int kYear = 12;

    TGameInProgress() {
        // The self-test must not end the fuzzer: a failure is a finding.
        SetFatalExitHook([](int code, const std::string& line) {
            std::fprintf(stderr, "self-test: %s (exit code %d)\n", line.c_str(), code);
            std::abort();
        });
        SetGameUi(&ui_);
        CreateLanguageFile();
        LoadRulesData();
        PlayMode.GameMode = kLocalGame;
        ScopedSeed seed(7);
        windows_.states = 8;
        windows_.mapSize = 50;
        windows_.humans = 1;
        windows_.onMainScreen = [this] {
            if (Game.Year < kYear) return TTurnResult::Pass;
            body = SavedGameBody();
            state = Game;
            MapToGrid(*Map, Game.MapSize, grid);
            for (int i = 0; i < Messages.Count(); ++i) messages.push_back(*Messages[i]);
            return TTurnResult::Quit;
        };
        GenerateNewGame();
        HandOutStates();
        if (body.empty()) std::abort();
        Restore();
    }

    // Game, Map and Messages as they were in year kYear.
    void Restore() {
        Game = state;
        std::unique_ptr<TSquares> map;
        GridToMap(map, grid, state.MapSize, state.GosCount);
        map->SnapshotOwners();
        ReplaceMap(std::move(map));
        Messages.Clear();
        for (const TMessageRec& m : messages) Messages.Add(m);
    }

    std::string body;  // the saved game's body of that year
    GameState state;
    TOwnerGrid grid{};
    std::vector<TMessageRec> messages;

private:
    ScopedProgramFileName program_{KORDALT_BIN_DIR "/kordalt"};
    TSilentUi ui_;
    FakeGameWindows windows_;
};

// Applies 5-byte patches: 3 bytes of offset (modulo the size), an operation and
// a value (set, add, exclusive or, or an extreme byte).
template <class Bytes>
void ApplyPatches(Bytes& target, const uint8_t* data, size_t size) {
    if (target.empty()) return;
    for (size_t i = 0; i + 5 <= size; i += 5) {
        const size_t offset =
            (size_t{data[i]} | size_t{data[i + 1]} << 8 | size_t{data[i + 2]} << 16) % target.size();
        const uint8_t value = data[i + 4];
        auto& byte = reinterpret_cast<uint8_t&>(target[offset]);
        switch (data[i + 3] & 3) {
            case 0:
                byte = value;
                break;
            case 1:
                byte = static_cast<uint8_t>(byte + value);
                break;
            case 2:
                byte ^= value;
                break;
            default: {
                static constexpr uint8_t kExtremes[] = {0x00, 0xFF, 0x80, 0x7F};
                byte = kExtremes[value & 3];
            }
        }
    }
}

// The year after an accepted input, with the self-test before and after.
inline void PlayOneYear() {
    ScopedSeed seed(11);
    CheckGameState(Cp("fuzz: accepted"));
    ComputeYearSteps();
    CheckGameState(Cp("fuzz: year computed"));
}

}  // namespace kordalt::fuzz
