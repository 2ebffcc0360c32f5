// The year loop: hot-seat order, resume after a load, pass, next, quit and the
// end of the game.
#include "game/game_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "battle_fixture.h"
#include "fake_game_windows.h"
#include "game/fronts.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/saved_game.h"
#include "game/squares.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

constexpr char kNoHumans[] = "Где люди ?!!!";
constexpr char kHumansLost[] = "Все люди погибли\rИгра окончена\rМашина снова одержала победу над человеком!";
constexpr char kDraw[] = "Игра затянулась.\rНичейный результат.\rСпасибо за тормозную игру!";

class GameLoopTest : public RulesTest {
protected:
    GameLoopTest() {
        windows.states = 4;
        windows.mapSize = 50;
        GenerateNewGame();
        windows.log.clear();
    }
    ~GameLoopTest() override { ReplaceMap(nullptr); }

    // Gives state i to human `player` (0: the computer); every state lives.
    void Seat(std::initializer_list<int> players) {
        int i = 1, humans = 0;
        for (int p : players) {
            Game.mGos[i].Player = static_cast<uint32_t>(p);
            Game.mGos[i].PlayerName.Assign(p ? "P" + std::to_string(p) : "");
            Game.mGos[i].Alive = 1;
            humans = std::max(humans, p);
            ++i;
        }
        Game.HumanCount = static_cast<uint8_t>(humans);
        CheckFronts();
        Game.ResumeHuman = 1;
    }

    // The main game screen passes `passes` times, then quits.
    void PassThenQuit(int passes) {
        windows.onMainScreen = [passes, n = 0]() mutable {
            return n++ < passes ? TTurnResult::Pass : TTurnResult::Quit;
        };
    }

    bool Shown(const std::string& text) const {
        return std::find(ui.messages.begin(), ui.messages.end(), text) != ui.messages.end();
    }

    FakeGameWindows windows;
    ScopedSeed seed{21};
};

TEST_F(GameLoopTest, HumanPlaysBothOfHisStatesBeforeTheNextHuman) {
    Seat({1, 2, 1, 0});
    PassThenQuit(3);
    GameLoop();
    EXPECT_EQ(windows.turns, (std::vector<std::string>{"1:1:1", "1:1:3", "1:2:2", "2:1:1"}));
    EXPECT_EQ(Game.Year, 2);
    // Passed survives the computer's turn and is cleared when the next turn starts.
    EXPECT_EQ(Game.mGos[1].Passed, 0);
    EXPECT_EQ(Game.mGos[2].Passed, 1);
    EXPECT_EQ(Game.mGos[3].Passed, 1);
    EXPECT_EQ(windows.log, (std::vector<std::string>{"BeginYearLoop", "HideSetup", "ReturnToMainMenu"}));
}

TEST_F(GameLoopTest, ResumeSkipsTheHumansBeforeTheSavedOneInTheFirstYearOnly) {
    Seat({1, 2, 1, 0});
    Game.CurrentHuman = 2;  // saved during human 2's turn
    const std::string image = SavedGameImage();
    Game.CurrentHuman = 0;
    ASSERT_TRUE(LoadGameImage(image));
    ASSERT_EQ(Game.ResumeHuman, 2);
    PassThenQuit(4);
    GameLoop();
    EXPECT_EQ(windows.turns, (std::vector<std::string>{"1:2:2", "2:1:1", "2:1:3", "2:2:2", "3:1:1"}));
    EXPECT_EQ(Game.ResumeHuman, 1);
}

TEST_F(GameLoopTest, QuitSkipsTheComputerBattlesAndEconomy) {
    Seat({1, 0, 0, 0});
    AddMessage(kEventMessage, 1, clBlack, "news");
    Game.BattleChronicle = "chronicle";
    const TGosRec before = Game.mGos[2];
    PassThenQuit(0);
    GameLoop();
    EXPECT_EQ(Game.Year, 1);
    EXPECT_EQ(windows.yearsShown, 0);
    EXPECT_EQ(std::memcmp(&before, &Game.mGos[2], sizeof before), 0);
    EXPECT_EQ(Messages.Count(), 0);
    EXPECT_EQ(Game.BattleChronicle, "");
    // One human: the game goes into the hall of fame, after Quit as well.
    EXPECT_EQ(windows.log, (std::vector<std::string>{"BeginYearLoop", "HideSetup", "EnterHallOfFame",
                                                     "ReturnToMainMenu"}));
}

TEST_F(GameLoopTest, TurnMergesTroopTypesAndNextDeploysTheReserve) {
    Seat({1, 0, 0, 0});
    TGosRec& g = Game.mGos[1];
    g.Fronts[1].Soldiers[1] = 5;
    g.Fronts[1].Soldiers[2] = 3;
    g.Fronts[1].Soldiers[3] = 2;
    g.Reserve = 20;
    g.Soldiers = 30;
    auto homeFront = [&] {
        const OneBased<int32_t, 5>& s = g.Fronts[1].Soldiers;
        return std::vector<int32_t>{s[1], s[2], s[3], g.Reserve};
    };
    std::vector<int32_t> onScreen, afterTurn;
    int turn = 0;
    windows.onMainScreen = [&] {
        if (turn++ > 0) return TTurnResult::Quit;
        onScreen = homeFront();
        return TTurnResult::Next;
    };
    windows.onShowYear = [&] { afterTurn = homeFront(); };  // before the computer's turn
    GameLoop();
    EXPECT_EQ(onScreen, (std::vector<int32_t>{10, 0, 0, 20}));    // types merged into type 1
    EXPECT_EQ(afterTurn, (std::vector<int32_t>{10, 10, 10, 0}));  // the whole reserve at home, spread
    EXPECT_EQ(Game.Year, 2);
}

TEST_F(GameLoopTest, GameWithoutHumansRunsOneYear) {
    Seat({0, 0, 0, 0});
    GameLoop();
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.front(), kNoHumans);
    EXPECT_TRUE(Shown(kHumansLost));
    EXPECT_EQ(Game.Year, 2);
    EXPECT_EQ(windows.yearsShown, 1);
    EXPECT_TRUE(windows.turns.empty());
    EXPECT_EQ(windows.log,
              (std::vector<std::string>{"BeginYearLoop", "ShowCharts", "HideSetup", "ReturnToMainMenu"}));
}

TEST_F(GameLoopTest, LastYearIsADrawUnlessOneStateOwnsTheMap) {
    for (const bool wholeMap : {false, true}) {
        SCOPED_TRACE(wholeMap);
        ui.messages.clear();
        windows.log.clear();
        windows.turns.clear();
        Seat({1, 0, 0, 0});
        if (wholeMap) {
            for (int x = 0; x < Game.MapSize; ++x)
                for (int y = 0; y < Game.MapSize; ++y) Map->SetSquare(SquareId(x, y), 1);
            for (int i = 2; i <= 4; ++i) Game.mGos[i].Alive = 0;
            CheckFronts();
        }
        Game.Year = 119;
        PassThenQuit(1);
        GameLoop();
        EXPECT_EQ(Game.Year, 120);
        EXPECT_EQ(windows.turns, std::vector<std::string>{"119:1:1"});
        EXPECT_EQ(Shown(kDraw), !wholeMap);
        EXPECT_EQ(
            Shown("Игра окончена.\rГосударство Ошибка одержало сокрушительную победу над противниками!"),
            wholeMap);
        EXPECT_EQ(Game.HumanWon, wholeMap ? 1 : 0);
        EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), "ShowVictory 1"), wholeMap ? 1 : 0);
        EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), "ShowCharts"), 1);
    }
}

TEST_F(GameLoopTest, GameOverAnnouncesEveryEndThatApplies) {
    const std::string win2 =
        "Игра окончена.\rГосударство Ошибка одержало сокрушительную победу над противниками!";
    const std::string chatWin2 =
        "Игра окончена.\rГосударство P2 одержало сокрушительную победу над противниками!";
    struct Case {
        const char* what;
        int owner;  // of the whole map, 0: split
        int year;
        bool winnerHuman;  // state 2 is human 2's; state 1 is human 1's
        bool humanAlive;   // state 1 lives
        bool network;
        bool over;
        std::vector<std::string> messages;  // before the closing notice
        std::vector<std::string> chat;
    };
    const Case cases[] = {
        {"game goes on", 0, 60, false, true, false, false, {}, {}},
        {"year 119 goes on", 0, 119, false, true, false, false, {}, {}},
        {"draw", 0, 120, false, true, false, true, {kDraw}, {}},
        {"last human fell", 0, 60, false, false, false, true, {kHumansLost}, {}},
        {"computer took the map after the last human fell",
         2,
         60,
         false,
         false,
         false,
         true,
         {win2, kHumansLost},
         {}},
        {"human won in year 120", 2, 120, true, false, false, true, {win2}, {}},
        {"human won a network game", 2, 60, true, false, true, true, {win2}, {chatWin2}},
    };
    FakeCaptureUi capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.messages.clear();
        capture.Clear();
        windows.log.clear();
        Game.HumanWon = 0;
        PlayMode.GameMode = c.network ? kServer : kLocalGame;
        Seat({1, c.winnerHuman ? 2 : 0, 0, 0});
        Game.mGos[1].Alive = c.humanAlive;
        if (c.owner)
            for (int x = 0; x < Game.MapSize; ++x)
                for (int y = 0; y < Game.MapSize; ++y)
                    Map->SetSquare(SquareId(x, y), static_cast<uint8_t>(c.owner));
        Game.Year = static_cast<uint8_t>(c.year);
        EXPECT_EQ(GameOver(), c.over);
        std::vector<std::string> expected = c.messages;
        if (c.over) expected.push_back("");  // the closing notice has no text of its own
        EXPECT_EQ(ui.messages, expected);
        EXPECT_EQ(capture.chat, c.chat);
        if (!c.chat.empty()) EXPECT_EQ(capture.colors, std::vector<TColor>{0x8000});
        const bool humanWon = c.winnerHuman;
        EXPECT_EQ(Game.HumanWon, humanWon ? 1 : 0);
        EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), "ShowVictory 2"), humanWon ? 1 : 0);
        EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), "ShowCharts"), c.over ? 1 : 0);
    }
}

// At a network game's end more than one state in play means nobody won: then
// none stays in play; a sole survivor, or none, stays as it is.
TEST_F(GameLoopTest, AnUndecidedEndLeavesNoStateInPlay) {
    const struct {
        std::vector<uint8_t> alive, after;
    } cases[] = {{{1, 1, 0, 0}, {0, 0, 0, 0}},
                 {{1, 0, 1, 1}, {0, 0, 0, 0}},
                 {{0, 1, 0, 0}, {0, 1, 0, 0}},
                 {{0, 0, 0, 0}, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        for (int i = 1; i <= 4; ++i) Game.mGos[i].Alive = c.alive[i - 1];
        EndUndecidedGame();
        std::vector<uint8_t> after;
        for (int i = 1; i <= 4; ++i) after.push_back(Game.mGos[i].Alive);
        EXPECT_EQ(after, c.after);
    }
}

}  // namespace
}  // namespace kordalt
