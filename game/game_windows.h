// How a new game, the year loop and the saved game reach their windows: the
// set-up window, the state choice and hand-over, the turn banner, the main game
// screen, the victory screen, the charts, the hall of fame and the open dialog.
// The windows implement TGameWindows; tests install fakes.
#pragma once

#include <cstdint>
#include <string>

namespace kordalt {

// What the main game screen returns.
enum class TTurnResult { Next = 1, Pass = 2, Quit = 3 };

// The modal result of the state-choice window that rejects the offered territory.
constexpr int kChoiceRejected = 3;

// Screens the others align on.
enum class TScreen { Setup, PlayerHandover, StateChoice, TurnBanner, MainScreen };

class TGameWindows {
public:
    virtual ~TGameWindows() = default;

    // The set-up window's counts: states slider, map-size slider, human count.
    virtual int StatesSliderValue() = 0;
    virtual int MapSizeSliderValue() = 0;
    virtual int HumanCountValue() = 0;
    // Hides both buttons and the map preview, keeps the status caption aside
    // and shows `status` (cp1251) at once.
    virtual void BeginMapGeneration(const std::string& status) = 0;
    // Restores the kept caption, draws the map preview into (1, 1)-(300, 300),
    // shows the picture and both buttons.
    virtual void EndMapGeneration() = 0;
    virtual void HideMapPreview() = 0;
    virtual void HideChoiceButton() = 0;
    // Closes and shows the set-up window again.
    virtual void ShowSetup() = 0;
    // Aligns the screens on `screen`; `keep` keeps it visible.
    virtual void AlignScreens(TScreen screen, bool keep) = 0;

    virtual void PrepareStateChoice() = 0;
    // Modal: hands the seat to CurrentPlayerName.
    virtual void ShowPlayerHandover() = 0;
    // Modal: human `human` picks a free state, which gets his number as Player,
    // his ruler name and Alive = 1. Returns the window's modal result.
    virtual int ShowStateChoice(int human) = 0;

    // Start of the year loop: the progress panel to the front, the main game
    // screen on its first page next time, the charts' state filter reset.
    virtual void BeginYearLoop() = 0;
    // The progress panel's year label.
    virtual void ShowYear(const std::string& caption) = 0;
    // Modal: the turn banner of CurrentPlayerName.
    virtual void ShowTurnBanner() = 0;
    // Modal: the turn of CurrentGos on the main game screen.
    virtual TTurnResult ShowMainScreen() = 0;
    // After a turn: the screens align on the main game screen keeping it
    // visible, no previous screen, the set-up window closed and shown again.
    virtual void EndTurn() = 0;
    // End of the game: the set-up window is hidden.
    virtual void HideSetup() = 0;
    // Enters the single human's game into the hall of fame.
    virtual void EnterHallOfFame() = 0;
    // The set-up window's main panel to the front, screens aligned on it, closed.
    virtual void ReturnToMainMenu() = 0;

    // Modal: the victory screen of state `winner`.
    virtual void ShowVictory(uint8_t winner) = 0;
    // Modal: the charts window.
    virtual void ShowCharts() = 0;

    // The set-up window's open dialog for saved games; false when cancelled.
    virtual bool OpenGameDialog(std::string& fileName) = 0;
};

// Windows that show nothing: the counts are 0, the state choice is rejected,
// every turn ends with Quit and the dialog is cancelled. Fakes override what they need.
class TInertGameWindows : public TGameWindows {
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

// The installed windows; without any, TInertGameWindows.
TGameWindows& GameWindows();
// Installs `windows` (nullptr restores the default); returns the previous one.
TGameWindows* SetGameWindows(TGameWindows* windows);

class ScopedGameWindows {
public:
    explicit ScopedGameWindows(TGameWindows& windows) : previous_(SetGameWindows(&windows)) {}
    ~ScopedGameWindows() { SetGameWindows(previous_); }
    ScopedGameWindows(const ScopedGameWindows&) = delete;
    ScopedGameWindows& operator=(const ScopedGameWindows&) = delete;

private:
    TGameWindows* previous_;
};

}  // namespace kordalt
