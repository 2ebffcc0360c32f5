// A new game: starting values, the choice order and the handing-out of states.
#include "game/new_game.h"

#include <gtest/gtest.h>

#include "fake_game_windows.h"
#include "game/random.h"
#include "game/squares.h"
#include "platform/fatal.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

class NewGameTest : public RulesTest {
protected:
    ~NewGameTest() override {
        ReplaceMap(nullptr);
        PlayMode.IsInternetGame = false;
    }
    FakeGameWindows windows;
};

struct StartCase {
    int mapSize, states;
    int32_t peasants, grain, cost;
    float costStep;
};

TEST_F(NewGameTest, StartingValuesFollowTheMapSideAndTheStateCount) {
    for (const StartCase& c :
         {StartCase{50, 20, 114, 228, 25, 5.0f}, StartCase{100, 2, 4545, 9090, 433, 86.6f}}) {
        SCOPED_TRACE(c.mapSize);
        windows.mapSize = c.mapSize;
        windows.states = c.states;
        Game.mGos[1].Alive = 1;
        Game.mGos[1].Money = 77;
        Game.Year = 50;
        Game.BattleChronicle = "old";
        AddMessage(kEventMessage, 1, clBlack, "old");
        GenerateNewGame();
        ASSERT_NE(Map, nullptr);
        EXPECT_EQ(Map->Width, c.mapSize);
        EXPECT_EQ(Game.GosCount, c.states);
        EXPECT_EQ(Game.Year, 1);
        EXPECT_EQ(Game.BattleChronicle, "");
        EXPECT_EQ(Messages.Count(), 0);
        EXPECT_EQ(Game.ResearchCostStep, c.costStep);
        int territory = 0;
        for (int i = 1; i <= c.states; ++i) {
            const TGosRec& g = Game.mGos[i];
            EXPECT_EQ(g.Peasants, c.peasants);
            EXPECT_EQ(g.Grain, c.grain);
            EXPECT_EQ(g.Alive, 0);
            EXPECT_EQ(g.Money, 0);
            EXPECT_EQ(g.Name.Utf8(), "Ошибка");  // no settings file
            EXPECT_EQ(g.Territory, Map->RegionSize(static_cast<uint8_t>(i)));
            territory += g.Territory;
            for (int k = 0; k < ResearchBranchCount; ++k) {
                EXPECT_EQ(g.Research[k].Cost, c.cost);
                EXPECT_EQ(g.Research[k].Effect, InitialResearch[k].Effect);
                EXPECT_EQ(g.Research[k].Level, 0);
            }
            EXPECT_EQ(g.Relations[c.states].Attitude, 100);
            // Characters cycle 1, 2, 3 from the drawn first one.
            if (i > 1) EXPECT_EQ(g.Character, Game.mGos[i - 1].Character % 3 + 1);
            EXPECT_GE(g.Character, 1);
            EXPECT_LE(g.Character, 3);
        }
        EXPECT_EQ(territory, c.mapSize * c.mapSize);
        for (int k = 1; k <= KordaltSlotCount; ++k) {
            EXPECT_EQ(Game.mKordalt[k].Front, 0);
            EXPECT_EQ(Game.mKordalt[k].Owner, 0);
        }
    }
    EXPECT_EQ(windows.log, (std::vector<std::string>{"BeginMapGeneration", "EndMapGeneration",
                                                     "BeginMapGeneration", "EndMapGeneration"}));
}

TEST_F(NewGameTest, NetworkGameKeepsItsCountsAndLeavesTheWindowsAlone) {
    PlayMode.GameMode = kServer;  // a network game's host
    PlayMode.IsInternetGame = true;
    Game.GosCount = 3;
    Game.MapSize = 60;
    GenerateNewGame();
    EXPECT_EQ(Map->Width, 60);
    EXPECT_EQ(Map->RegionCount, 3);
    EXPECT_EQ(Game.GameOnInternet, 1);
    EXPECT_TRUE(windows.log.empty());
}

TEST_F(NewGameTest, MapSideOutsideItsRangeEndsTheProgram) {
    ScopedFatalExitThrows throws;
    for (int side : {49, 101, 0}) {
        windows.mapSize = side;
        try {
            GenerateNewGame();
            ADD_FAILURE() << side;
        } catch (const FatalExitCalled& e) {
            EXPECT_EQ(e.code, kBadMapSizeExitCode);
        }
        EXPECT_EQ(Map, nullptr);
    }
}

TEST_F(NewGameTest, StatesAreNamedByTheirOwnTexts) {
    TestLanguage language("1111=Кордалия\n1112=Бурбония\n1113=Государство с длинным именем");
    windows.states = 4;
    GenerateNewGame();
    EXPECT_EQ(Game.mGos[1].Name.Utf8(), "Кордалия");
    EXPECT_EQ(Game.mGos[2].Name.Utf8(), "Бурбония");
    EXPECT_EQ(Game.mGos[3].Name.Utf8(), "Государство с");  // cut to 13 characters
    EXPECT_EQ(Game.mGos[4].Name.Utf8(), "Ошибка");         // a text the language lacks
}

TEST_F(NewGameTest, StateCountOutsideItsRangeIsRefusedBeforeTheGameChanges) {
    windows.mapSize = 60;
    GenerateNewGame();
    const TSquares* map = Map;
    Game.Year = 7;
    for (int states : {0, 1, 21, 255}) {
        windows.states = states;
        EXPECT_THROW(GenerateNewGame(), std::out_of_range) << states;
        EXPECT_EQ(Map, map);
        EXPECT_EQ(Game.Year, 7);
    }
}

TEST_F(NewGameTest, ChoiceOrderFlagsOneFreePositionPerHuman) {
    Game.GosCount = 5;
    EXPECT_EQ(HumanChoicePositions(0), std::vector<bool>(5, false));
    EXPECT_EQ(HumanChoicePositions(1), (std::vector<bool>{true, false, false, false, false}));
    {
        // Second human draws position 3 again and draws once more.
        ScopedScriptedRandom script{4, 2, 4, 2, 3, 1};
        EXPECT_EQ(HumanChoicePositions(2), (std::vector<bool>{false, true, true, false, false}));
        EXPECT_EQ(script->Remaining(), 0u);
    }
    ScopedSeed seed(5);
    EXPECT_EQ(HumanChoicePositions(5), std::vector<bool>(5, true));
}

TEST_F(NewGameTest, EarlyPositionsChooseMoreOften) {
    Game.GosCount = 20;
    ScopedSeed seed(11);
    int first = 0, last = 0;
    for (int n = 0; n < 2000; ++n) {
        const std::vector<bool> flags = HumanChoicePositions(2);
        first += flags.front();
        last += flags.back();
    }
    EXPECT_GT(first, 4 * last);
    EXPECT_GT(last, 0);
}

TEST_F(NewGameTest, OneHumanChoosesFirstAndTheComputerTakesTheRest) {
    ScopedSeed seed(3);
    windows.humans = 1;
    windows.onMainScreen = [] { return TTurnResult::Quit; };
    GenerateNewGame();
    HandOutStates();
    EXPECT_EQ(windows.aliveBeforeChoice, std::vector<int>{0});  // before any computer draw
    for (int i = 1; i <= Game.GosCount; ++i) EXPECT_EQ(Game.mGos[i].Alive, 1) << i;
    EXPECT_EQ(Game.mGos[1].Player, 1u);
    EXPECT_EQ(Game.ResumeHuman, 1);
    EXPECT_EQ(Game.SaveCounter, 0);
    // The loop ran: the human's first turn was quit.
    EXPECT_EQ(windows.turns, std::vector<std::string>{"1:1:1"});
    for (int i = 1; i <= Game.GosCount; ++i)
        for (int j = 1; j <= Game.GosCount; ++j)
            EXPECT_EQ(Game.mGos[i].Fronts[j].Neighbour, i != j && Map->AreNeighbours(i, j)) << i << " " << j;
}

TEST_F(NewGameTest, HumanCountAboveTheStatesIsClamped) {
    ScopedSeed seed(4);
    windows.humans = 9;
    windows.onMainScreen = [] { return TTurnResult::Quit; };
    GenerateNewGame();
    HandOutStates();
    EXPECT_EQ(Game.HumanCount, 4);
    EXPECT_EQ(windows.aliveBeforeChoice, (std::vector<int>{0, 1, 2, 3}));  // no state drawn for the computer
    for (int i = 1; i <= 4; ++i) EXPECT_NE(Game.mGos[i].Player, 0u);
    EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), "Handover 4"), 1);
}

TEST_F(NewGameTest, RejectedTerritoryStopsTheHandingOut) {
    ScopedSeed seed(6);
    windows.humans = 2;
    windows.rejectChoice = true;
    GenerateNewGame();
    windows.log.clear();
    HandOutStates();
    const auto choice = std::find(windows.log.begin(), windows.log.end(), "StateChoice 1");
    ASSERT_NE(choice, windows.log.end());
    EXPECT_EQ(std::vector<std::string>(choice, windows.log.end()),
              (std::vector<std::string>{"StateChoice 1", "HideChoiceButton", "ShowSetup"}));
    EXPECT_TRUE(windows.turns.empty());
    EXPECT_EQ(Game.ResumeHuman, 0);
}

}  // namespace
}  // namespace kordalt
