// A generated network game for the message-set tests, and the game's tables as bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/game_loop.h"
#include "game/new_game.h"
#include "game/owner_grid.h"
#include "game/random.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "game/validate.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_messages.h"

namespace kordalt {

template <class T>
std::string Bytes(const T& v) {
    return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}

// Everything an update may replace, as bytes.
inline std::string Tables() {
    std::string s = Bytes(Game.mGos) + Bytes(Game.mKordalt) + Bytes(Game.YearStats) + Bytes(Game.GameGuid);
    for (int v : {int{Game.GameOnInternet}, int{Game.AliveGosCount}, int{Game.GosCount}, int{Game.MapSize},
                  int{Game.Year}, int{Game.CurrentGos}})
        s += std::to_string(v) + ",";
    s += Bytes(Game.ResearchCostStep) + Game.BattleChronicle + "|";
    for (int i = 0; i < Messages.Count(); ++i) s += Bytes(*Messages[i]);
    if (Map) {
        TOwnerGrid grid{};
        MapToGrid(*Map, Game.MapSize, grid);
        s += Bytes(grid);
    }
    return s;
}

template <class T>
void Poke(TNetMessage& m, size_t offset, T value) {
    std::memcpy(m.data() + offset, &value, sizeof value);
}

// A generated network game of four states, as the server holds it.
class NetGame : public ::testing::Test {
protected:
    NetGame() {
        Game = GameState{};
        Messages.Clear();
        PlayMode.GameMode = kServer;
        Game.GosCount = 4;
        Game.MapSize = 50;
        GenerateNewGame();
        for (int i = 1; i <= 4; ++i) Game.mGos[i].Player = 100u + static_cast<uint32_t>(i);
        Game.Year = 5;
        Game.CurrentGos = 2;
        Game.YearStats[3][4].Harvest = 4444;
        Game.BattleChronicle = "battles";
        AddMessage(kEventMessage, 2, clRed, "to two");
        AddMessage(kBattleMessage, 3, clNavy, std::string(255, 'x'));
        AddMessage(kEventMessage, 2, clBlack, "to two again");
        Map->SnapshotOwners();
        EXPECT_EQ(ValidateGameState(Game).Why(), "");
    }
    ~NetGame() override {
        ReplaceMap(nullptr);
        PlayMode.GameMode = kLocalGame;
        Net = TNetGame{};
        PlayMode.TurnMinutes = 0;
        Messages.Clear();
        Game = GameState{};
    }
    // Another running game, to see that a refused update leaves it alone.
    void RunningGameIsAnother() {
        Game.Year = 9;
        Game.mGos[2].Money = 77;
        Game.BattleChronicle = "running";
        Messages.Clear();
        AddMessage(kEventMessage, 1, clBlack, "running");
    }

    ScopedSeed seed{21};
};

}  // namespace kordalt
