// The windows' side of the game's window interface: the set-up window, the
// state choice and hand-over, the turn banner and the main game screen.
#pragma once

#include "game/game_windows.h"

namespace kordalt {

class TGameWindowsImpl final : public TGameWindows {
public:
    int StatesSliderValue() override;
    int MapSizeSliderValue() override;
    int HumanCountValue() override;
    void BeginMapGeneration(const std::string& status) override;
    void EndMapGeneration() override;
    void HideMapPreview() override;
    void HideChoiceButton() override;
    void ShowSetup() override;
    void AlignScreens(TScreen screen, bool keep) override;

    void PrepareStateChoice() override;
    void ShowPlayerHandover() override;
    int ShowStateChoice(int human) override;

    void BeginYearLoop() override;
    void ShowYear(const std::string& caption) override;
    void ShowTurnBanner() override;
    TTurnResult ShowMainScreen() override;
    void EndTurn() override;
    void HideSetup() override;
    void EnterHallOfFame() override;
    void ReturnToMainMenu() override;

    void ShowVictory(uint8_t winner) override;
    void ShowCharts() override;

    bool OpenGameDialog(std::string& fileName) override;
};

// Makes the windows the game's windows; the start-up calls it once the
// windows exist.
void InstallGameWindows();

}  // namespace kordalt
