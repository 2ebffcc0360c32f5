// A small game of living states for tests of the computer player.
#pragma once

#include <array>

#include "game/ai_economy.h"
#include "game/rules_data.h"
#include "rules_fixture.h"

namespace kordalt {

class AiTest : public RulesTest {
protected:
    AiTest() {
        tacticCount_ = Rules.TacticCount;
        Rules.TacticCount = 0;
        MakeGame(4, 20);
    }
    ~AiTest() override { Rules.TacticCount = tacticCount_; }

    // `count` living states of Character 1 with fresh research, no neighbours,
    // 100 squares, 100 peasants and no money.
    static void MakeGame(int count, int mapSize) {
        Game = GameState{};
        Game.GosCount = static_cast<uint8_t>(count);
        Game.AliveGosCount = static_cast<uint8_t>(count);
        Game.MapSize = static_cast<uint8_t>(mapSize);
        Game.Year = 30;
        for (int i = 1; i <= count; ++i) {
            TGosRec& g = Game.mGos[i];
            g.Name.AssignUtf8("Гос" + std::to_string(i));
            g.Alive = 1;
            g.Character = 1;
            g.Territory = 100;
            g.Peasants = 100;
            for (int k = 0; k < ResearchBranchCount; ++k) {
                g.Research[k].Effect = InitialResearch[k].Effect;
                g.Research[k].Increment = InitialResearch[k].Increment;
                g.Research[k].Cost = 1000;
            }
            for (int j = 1; j <= count; ++j) g.Relations[j].Attitude = 50;
        }
    }

    static void Border(int i, int j) {
        Game.mGos[i].Fronts[j].Neighbour = 1;
        Game.mGos[j].Fronts[i].Neighbour = 1;
        ++Game.mGos[i].NeighbourCount;
        ++Game.mGos[j].NeighbourCount;
    }

    void SetFlags(bool war, bool safe, bool dominant, bool outsized) {
        mode = {war, safe, dominant, outsized};
    }

    // The mode flags the tested steps of a move see.
    TAiMode mode;

    // Soldiers all in the reserve.
    static void SetArmy(int gos, int32_t soldiers) {
        Game.mGos[gos].Soldiers = soldiers;
        Game.mGos[gos].Reserve = soldiers;
    }

    static std::array<int32_t, 6> Staff(int gos) {
        std::array<int32_t, 6> s{};
        for (int k = 0; k < 6; ++k) s[k] = Game.mGos[gos].Research[k].Scientists;
        return s;
    }

private:
    uint8_t tacticCount_;
};

}  // namespace kordalt
