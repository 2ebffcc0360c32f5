// Turn control of the main game screen: the ways a turn ends, autosaves, the
// turn clock, the status bar, and the year loop showing the screen.
#include "main_screen_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <filesystem>

#include "game/game_windows.h"

namespace kordalt::test {
namespace {

class TurnControl : public MainScreenTest {
protected:
    // Runs the turn; `play` acts on the shown window in place of the user.
    TTurnResult Run(const std::function<void()>& play) {
        ScopedModalHook hook([&](QDialog& dialog) {
            play();
            return dialog.result();
        });
        return screen->RunTurn();
    }
    void Sow() { Click("Shape28"); }
    bool Autosaved(const std::string& name = "autosave.kordalt") {
        return std::filesystem::exists(scratch.Path(name));
    }
};

TEST_F(TurnControl, NextPassAndEscEndTheTurnWithAnAutosave) {
    struct Case {
        const char* how;
        std::function<void()> press;
        TTurnResult result;
        uint8_t turnResult;
    };
    const Case cases[] = {
        {"Next after sowing",
         [this] {
             OpenPage(1);
             Sow();
             screen->BitBtn1->click();
         },
         TTurnResult::Next, 1},
        {"Pass", [this] { screen->BitBtn3->click(); }, TTurnResult::Pass, 2},
        {"Esc", [this] { QTest::keyClick(screen.get(), Qt::Key_Escape); }, TTurnResult::Pass, 2},
        {"p on Pass", [this] { QTest::keyClick(screen->BitBtn3, Qt::Key_P); }, TTurnResult::Pass, 2},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(scratch.Path("autosave.kordalt"));
        EXPECT_EQ(Run(c.press), c.result) << c.how;
        EXPECT_EQ(TurnResult, c.turnResult) << c.how;
        EXPECT_TRUE(Autosaved()) << c.how;
        EXPECT_FALSE(screen->isVisible()) << c.how;
    }
}

TEST_F(TurnControl, NextStaysDisabledUntilSowing) {
    const TTurnResult result = Run([&] {
        EXPECT_FALSE(screen->BitBtn1->isEnabled());
        screen->BitBtn1->click();
        EXPECT_TRUE(screen->isVisible()) << "a disabled Next does nothing";
        screen->BitBtn3->click();
    });
    EXPECT_EQ(result, TTurnResult::Pass);
}

TEST_F(TurnControl, ExitAsksAndABoxRestartsTheTurnClock) {
    const TTurnResult result = Run([&] {
        OpenPage(1);
        Sow();
        screen->Timer1Timer();
        answer = TMsgButton::No;
        screen->BitBtn2->click();
        EXPECT_EQ(boxes.back(), "Вы уверены, что хотите закончить игру ?");
        EXPECT_TRUE(screen->isVisible());
        EXPECT_EQ(TurnClock, 0.0) << "the activation after the box restarts the clock";
        EXPECT_EQ(TurnResult, 3);
        answer = TMsgButton::Yes;
        screen->BitBtn2->click();
    });
    EXPECT_EQ(result, TTurnResult::Quit);
    EXPECT_EQ(TurnResult, 0);
    EXPECT_FALSE(Autosaved()) << "leaving writes no autosave";
}

TEST_F(TurnControl, CloseBoxAsksBeforeLeaving) {
    const TTurnResult result = Run([&] {
        answer = TMsgButton::No;
        screen->close();
        EXPECT_TRUE(screen->isVisible());
        answer = TMsgButton::Yes;
        screen->close();
    });
    EXPECT_EQ(result, TTurnResult::Quit);
    EXPECT_EQ(boxes.size(), 2);
}

TEST_F(TurnControl, NoAutosaveAtExpertLevelOrOnANetworkClient) {
    struct Case {
        uint8_t difficulty, mode;
    };
    for (const Case& c : {Case{2, kLocalGame}, Case{0, kNetworkClient}}) {
        Game.DifficultyLevel = c.difficulty;
        GameMode = c.mode;
        EXPECT_EQ(Run([&] { screen->BitBtn3->click(); }), TTurnResult::Pass);
        EXPECT_FALSE(Autosaved());
        EXPECT_TRUE(QDir(QString::fromStdString(scratch.Dir())).entryList(QDir::Files).isEmpty());
    }
}

TEST_F(TurnControl, AutoPassPassesAtTheFirstTick) {
    AutoPass = 1;
    EXPECT_EQ(Run([&] { screen->Timer1Timer(); }), TTurnResult::Pass);
    EXPECT_EQ(AutoPass, 1);
}

TEST_F(TurnControl, TimeLimitPressesNextAfterExactlyTheMinutes) {
    GameMode = 1;
    TurnMinutes = 2;
    int ticks = 0;
    const TTurnResult result = Run([&] {
        while (screen->isVisible() && ticks < 200) {
            screen->Timer1Timer();
            ++ticks;
        }
    });
    EXPECT_EQ(result, TTurnResult::Next);
    EXPECT_EQ(ticks, 120);
    EXPECT_TRUE(Autosaved("autosave_Ivan.kordalt"));
}

TEST_F(TurnControl, StatusBarAndTurnClock) {
    Game.Year = 7;
    Gos().Money = 1234;
    for (int k = 0; k < 6; ++k) Gos().Research[k].Level = k + 1;
    Run([&] {
        EXPECT_EQ(screen->StatusBar1->PanelText(0), "Год 7");
        EXPECT_EQ(screen->StatusBar1->PanelText(1), Qs(Gos().Name.Str()));
        EXPECT_EQ(screen->StatusBar1->PanelText(2), "Ivan");
        EXPECT_EQ(screen->StatusBar1->PanelText(3), "1234 $");
        EXPECT_EQ(screen->StatusBar1->PanelText(4), "1:2:3:4:5:6");
        for (int i = 0; i < 65; ++i) screen->Timer1Timer();
        EXPECT_EQ(screen->StatusBar1->PanelText(7), "1:05");
        EXPECT_TRUE(screen->Timer1->isActive());
        EXPECT_FALSE(screen->PageControl1->isTabVisible(5)) << "no chat in a local game";
        screen->BitBtn3->click();
    });
    EXPECT_FALSE(screen->Timer1->isActive()) << "hiding stops the clock";
}

TEST_F(TurnControl, MapSideOutsideTheRangeStopsTheProgram) {
    Game.MapSize = 49;
    try {
        screen->FormActivate();
        FAIL() << "no exit";
    } catch (const FatalExitCalled& e) {
        EXPECT_EQ(e.code, 50100);
    }
    Game.MapSize = 50;
}

// The year loop shows the screen for the human's turns through the windows
// interface; Pass lets the computer play the year, Exit ends the game.
class ScreenWindows final : public TGameWindows {
public:
    explicit ScreenWindows(FakeGameWindows& fake, TMain& screen) : fake_(fake), screen_(screen) {}
    int StatesSliderValue() override { return fake_.StatesSliderValue(); }
    int MapSizeSliderValue() override { return fake_.MapSizeSliderValue(); }
    int HumanCountValue() override { return fake_.HumanCountValue(); }
    void BeginMapGeneration(const std::string& s) override { fake_.BeginMapGeneration(s); }
    void EndMapGeneration() override {}
    void HideMapPreview() override {}
    void HideChoiceButton() override {}
    void ShowSetup() override {}
    void AlignScreens(TScreen, bool) override {}
    void PrepareStateChoice() override {}
    void ShowPlayerHandover() override {}
    int ShowStateChoice(int human) override { return fake_.ShowStateChoice(human); }
    void BeginYearLoop() override {}
    void ShowYear(const std::string&) override {}
    void ShowTurnBanner() override {}
    TTurnResult ShowMainScreen() override {
        years.push_back(Game.Year);
        return screen_.RunTurn();
    }
    void EndTurn() override {}
    void HideSetup() override {}
    void EnterHallOfFame() override {}
    void ReturnToMainMenu() override { returned = true; }
    void ShowVictory(uint8_t) override {}
    void ShowCharts() override {}
    bool OpenGameDialog(std::string&) override { return false; }

    std::vector<int> years;
    bool returned = false;

private:
    FakeGameWindows& fake_;
    TMain& screen_;
};

TEST_F(TurnControl, TheYearLoopRunsTheScreen) {
    TurnShown = 0;
    Game = GameState{};
    ScopedSeed seed(5);
    FakeGameWindows fake;
    fake.humans = 1;
    ScreenWindows windows(fake, *screen);
    ScopedGameWindows installed(windows);
    GenerateNewGame();
    ScopedModalHook hook([&](QDialog& dialog) {
        EXPECT_EQ(TurnShown, 1);
        if (Game.Year == 1) screen->BitBtn3->click();
        else screen->BitBtn2->click();  // answered Yes
        return dialog.result();
    });
    HandOutStates();
    EXPECT_EQ(windows.years, (std::vector<int>{1, 2}));
    EXPECT_TRUE(windows.returned);
    EXPECT_EQ(TurnShown, 0);
}

}  // namespace
}  // namespace kordalt::test
