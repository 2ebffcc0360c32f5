#include "game/game_windows.h"

#include <utility>

namespace kordalt {
namespace {

class TNoWindows final : public TGameWindows {
public:
    int StatesSliderValue() override { return 0; }
    int MapSizeSliderValue() override { return 0; }
    int HumanCountValue() override { return 0; }
    void BeginMapGeneration(const std::string&) override {}
    void EndMapGeneration() override {}
    void HideMapPreview() override {}
    void HideChoiceButton() override {}
    void ShowSetup() override {}
    void AlignScreens(TScreen, bool) override {}
    void PrepareStateChoice() override {}
    void ShowPlayerHandover() override {}
    int ShowStateChoice(int) override { return kChoiceRejected; }
    void BeginYearLoop() override {}
    void ShowYear(const std::string&) override {}
    void ShowTurnBanner() override {}
    TTurnResult ShowMainScreen() override { return TTurnResult::Quit; }
    void EndTurn() override {}
    void HideSetup() override {}
    void EnterHallOfFame() override {}
    void ReturnToMainMenu() override {}
    void ShowVictory(uint8_t) override {}
    void ShowCharts() override {}
    bool OpenGameDialog(std::string&) override { return false; }
};

TNoWindows noWindows;
TGameWindows* installedWindows = nullptr;

}  // namespace

TGameWindows& GameWindows() { return installedWindows ? *installedWindows : noWindows; }

TGameWindows* SetGameWindows(TGameWindows* windows) { return std::exchange(installedWindows, windows); }

}  // namespace kordalt
