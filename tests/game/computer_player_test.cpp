#include "game/computer_player.h"

#include <gtest/gtest.h>

#include <vector>

#include "ai_fixture.h"
#include "game/kordalt_pool.h"
#include "game/random.h"

namespace kordalt {
namespace {

class ComputerPlayer : public AiTest {
protected:
    // State 1 (computer, character 2) and state 2 (human) border each other:
    // 200 squares, 300 peasants and 2000 grain each, in year 30 on 400 squares.
    ComputerPlayer() {
        MakeGame(2, 20);
        Border(1, 2);
        for (int i = 1; i <= 2; ++i) {
            TGosRec& g = Game.mGos[i];
            g.Character = 2;
            g.Territory = 200;
            g.Peasants = 300;
            g.Grain = 2000;
        }
        Game.mGos[2].Player = 1;
        for (int slot = 1; slot <= KordaltSlotCount; ++slot) Game.mKordalt[slot].Condition = 100;
        TKordaltRec& k = Game.mKordalt[1];
        k.Owner = 1;
        k.Age = 40;
        k.Mastery = 35;
        k.Condition = 90;
        k.Speed = 50;
        k.Mark = 3;
        Game.mGos[1].KordaltCount = 1;
    }
};

TEST_F(ComputerPlayer, OneTurnOfASmallGame) {
    ScopedScriptedRandom script{
        0.5,           // saving: worth 2000 / 1.5 exceeds the salaries
        0.5, 0,        // no mark 5; r = 0
        0.5,           // profile 5 fails (profiles 1-3 and 6 too dear, 4 needs 3 Kordalts)
        0.5,           // profile 7 (25, 1, 4, 27) passes
        0.5, 0.5,  1,  // step: mark stays 4; age 20; speed 27 + 1 + 1 + 1
        0.5, 0.95,     // step: age 15 is too dear
        0.5,           // lagging branch not chosen
        0.5,           // character 2: science (already staffed)
        0.5,           // full land: density not chosen
        0.5,           // victim: no rule of attacks
        5,             // the old Kordalt trains: 80 + 5 <= 90
    };
    ComputerTurn();
    EXPECT_EQ(script->Consumed(), 15u);
    EXPECT_EQ(script->Remaining(), 0u);

    const TGosRec& g = Game.mGos[1];
    EXPECT_EQ(g.FieldsSown, 200);
    EXPECT_EQ(g.Grain, 0);
    // grain sold for 18000; the Kordalt bought; 4 scientists at 100 each
    EXPECT_EQ(g.Money, 18000 - KordaltPrice(20, 1, 4, 30) - 400);
    EXPECT_EQ(g.KordaltCount, 2);
    EXPECT_EQ(g.SavingForKordalt, 0);
    const TKordaltRec& bought = Game.mKordalt[21];
    EXPECT_EQ(bought.Owner, 1);
    EXPECT_EQ((std::vector<int>{bought.Age, bought.Mastery, bought.Mark, bought.Speed}),
              (std::vector<int>{20, 1, 4, 30}));
    EXPECT_EQ(bought.Order, 3);
    EXPECT_EQ(Game.mKordalt[1].Order, 3);
    EXPECT_EQ(g.Peasants, 296);
    EXPECT_EQ(g.Scientists, 4);
    EXPECT_EQ(g.Research[ScienceLevel].Scientists, 4);
    EXPECT_EQ(g.FreeScientists, 0);
    EXPECT_EQ(g.Soldiers, 0);
    EXPECT_EQ(g.Relations[2].Attitude, 55);  // equal neighbour: warmer

    const TGosRec& human = Game.mGos[2];
    EXPECT_EQ(human.Relations[1].Attitude, 55);
    EXPECT_EQ(human.FieldsSown, 0);
    EXPECT_EQ(human.Grain, 2000);
    EXPECT_EQ(human.Money, 0);

    using P = FakeGameUi::ProgressCall;
    EXPECT_EQ(ui.progress, (std::vector<P>{{TProgressBar::ComputerTurns, true, 2},
                                           {TProgressBar::ComputerTurns, false, 1},
                                           {TProgressBar::ComputerTurns, false, 2}}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ComputerPlayer, PassedHumanStateIsPlayedForThatYearOnly) {
    ScopedSeed seed(5);
    TGosRec& human = Game.mGos[2];
    human.Passed = 1;
    ComputerTurn();
    EXPECT_EQ(human.FieldsSown, 200);
    EXPECT_EQ(human.Grain, 0);
    EXPECT_GT(human.Scientists + human.Soldiers, 0);
    EXPECT_EQ(human.Player, 1u);
    EXPECT_EQ(human.Passed, 1);  // cleared when the human's next turn starts

    // next year the human plays again
    human.Passed = 0;
    human.Grain = 1000;
    Game.Year = 31;
    const TGosRec before = human;
    ComputerTurn();
    EXPECT_EQ(human.FieldsSown, before.FieldsSown);
    EXPECT_EQ(human.Grain, 1000);
    EXPECT_EQ(human.Money, before.Money);
    EXPECT_EQ(human.Scientists, before.Scientists);
    EXPECT_EQ(human.KordaltCount, before.KordaltCount);
}

TEST_F(ComputerPlayer, WhoTheComputerPlays) {
    struct Case {
        const char* what;
        uint32_t player;
        uint8_t passed, alive;
        int32_t peasants, scientists, soldiers;
        bool plays;
    } cases[] = {
        {"computer", 0, 0, 1, 10, 0, 0, true},
        {"computer with scientists only", 0, 0, 1, 0, 5, 0, true},
        {"computer with soldiers only", 0, 0, 1, 0, 0, 5, true},
        {"computer without people", 0, 0, 1, 0, 0, 0, false},
        {"human", 1, 0, 1, 10, 0, 0, false},
        {"passed human", 1, 1, 1, 10, 0, 0, true},
        {"passed human without people", 1, 1, 1, 0, 0, 0, true},
        {"dead", 0, 0, 0, 10, 0, 0, false},
        {"dead passed human", 1, 1, 0, 10, 0, 0, false},
    };
    for (const Case& c : cases) {
        TGosRec& g = Game.mGos[2];
        g.Player = c.player;
        g.Passed = c.passed;
        g.Alive = c.alive;
        g.Peasants = c.peasants;
        g.Scientists = c.scientists;
        g.Soldiers = c.soldiers;
        EXPECT_EQ(ComputerPlays(2), c.plays) << c.what;
    }
}

TEST_F(ComputerPlayer, UnplayedStatesStillChangeTheirAttitudes) {
    Game.mGos[1].Peasants = 0;  // a computer state without people is skipped
    Game.mGos[1].Grain = 0;
    Game.mGos[1].Relations[2] = {50, 3};
    Game.mGos[2].Alive = 0;  // dead, still its attitudes change
    Game.mGos[2].Relations[1] = {50, 2};
    Game.AliveGosCount = 1;
    ScopedScriptedRandom noDraws;
    ComputerTurn();
    EXPECT_EQ(Game.mGos[1].Relations[2].Aggression, 2);
    EXPECT_EQ(Game.mGos[1].Relations[2].Attitude, 50);  // toward a dead state only the grievance fades
    EXPECT_EQ(Game.mGos[2].Relations[1].Aggression, 1);
    EXPECT_EQ(Game.mGos[2].Relations[1].Attitude, 49);
    EXPECT_EQ(Game.mGos[1].KordaltCount, 1);
}

}  // namespace
}  // namespace kordalt
