// A TGameWindows for tests: the set-up window's counts are fields, every call
// is logged, the state choice takes the first free state and the main game
// screen answers from a function (Pass by default).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "game/game_windows.h"

namespace kordalt {

class FakeGameWindows final : public TGameWindows {
public:
    FakeGameWindows() : scope_(*this) {}

    int StatesSliderValue() override { return states; }
    int MapSizeSliderValue() override { return mapSize; }
    int HumanCountValue() override { return humans; }
    void BeginMapGeneration(const std::string&) override { log.push_back("BeginMapGeneration"); }
    void EndMapGeneration() override { log.push_back("EndMapGeneration"); }
    void HideMapPreview() override { log.push_back("HideMapPreview"); }
    void HideChoiceButton() override { log.push_back("HideChoiceButton"); }
    void ShowSetup() override { log.push_back("ShowSetup"); }
    void AlignScreens(TScreen, bool) override {}
    void PrepareStateChoice() override { log.push_back("PrepareStateChoice"); }
    void ShowPlayerHandover() override { log.push_back("Handover " + Game.CurrentPlayerName); }
    int ShowStateChoice(int human) override {
        log.push_back("StateChoice " + std::to_string(human));
        int alive = 0;
        for (int i = 1; i <= Game.GosCount; ++i) alive += Game.mGos[i].Alive;
        aliveBeforeChoice.push_back(alive);
        if (rejectChoice) return kChoiceRejected;
        for (int i = 1; i <= Game.GosCount; ++i) {
            TGosRec& g = Game.mGos[i];
            if (g.Alive) continue;
            g.Player = static_cast<uint32_t>(human);
            g.PlayerName.Assign("P" + std::to_string(human));
            g.Alive = 1;
            return 1;
        }
        return kChoiceRejected;
    }
    void BeginYearLoop() override { log.push_back("BeginYearLoop"); }
    void ShowYear(const std::string&) override {
        ++yearsShown;
        if (onShowYear) onShowYear();
    }
    void ShowTurnBanner() override {}
    TTurnResult ShowMainScreen() override {
        turns.push_back(std::to_string(Game.Year) + ":" + std::to_string(Game.CurrentHuman) + ":" +
                        std::to_string(Game.CurrentGos));
        return onMainScreen();
    }
    void EndTurn() override {}
    void HideSetup() override { log.push_back("HideSetup"); }
    void EnterHallOfFame() override { log.push_back("EnterHallOfFame"); }
    void ReturnToMainMenu() override { log.push_back("ReturnToMainMenu"); }
    void ShowVictory(uint8_t winner) override { log.push_back("ShowVictory " + std::to_string(winner)); }
    void ShowCharts() override { log.push_back("ShowCharts"); }
    bool OpenGameDialog(std::string& fileName) override {
        fileName = openFileName;
        return !openFileName.empty();
    }

    int states = 4, mapSize = 50, humans = 0;
    bool rejectChoice = false;
    std::string openFileName;  // empty: the dialog is cancelled
    std::function<TTurnResult()> onMainScreen = [] { return TTurnResult::Pass; };
    std::function<void()> onShowYear;  // runs when the computed year starts

    std::vector<std::string> log;
    std::vector<int> aliveBeforeChoice;  // living states when each choice began
    std::vector<std::string> turns;      // "Year:CurrentHuman:CurrentGos" of every main-screen turn
    int yearsShown = 0;

private:
    ScopedGameWindows scope_;
};

}  // namespace kordalt
