// A small game whose every byte the gate does not check is seeded noise, so a
// field written at a wrong offset changes the bytes of whatever carries it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "game/game_state.h"
#include "game/new_game.h"
#include "game/owner_grid.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/squares.h"
#include "game/turn_report.h"

namespace kordalt::golden {

constexpr int kStates = 4;
constexpr int kSide = 50;

inline void Noise(Xoshiro256& rng, void* data, size_t n) {
    auto* bytes = static_cast<uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(rng.Next());
}

// The fields the gate checks made valid over the noise: state `gos` commands
// its home front with Kordalt slot `gos`.
inline void ValidState(TGosRec& g, int gos, Xoshiro256& rng) {
    g.KordaltCount = 1;
    g.Character = 1 + gos % 3;
    g.Alive = 1;
    g.Passed = gos % 2;
    g.HumanVictimCount = 0;
    g.TimeSpent = 1.5 * gos;
    for (TResearchRec& r : g.Research) {
        r.Effect = 1.0f + static_cast<float>(rng.Below(64)) / 8;
        r.Increment = static_cast<float>(rng.Below(64)) / 16;
    }
    int32_t onFronts = 0;
    for (int j = 1; j <= kStates; ++j) {
        TFrontRec& f = g.Fronts[j];
        f.Kordalt = j == gos ? static_cast<uint8_t>(gos) : 0;
        for (int k = 1; k <= kMaxTroopTypes; ++k) onFronts += f.Soldiers[k] = rng.Below(1000);
    }
    g.Reserve = rng.Below(10000);
    g.Soldiers = g.Reserve + onFronts;
    g.Peasants = rng.Below(1 << 20);
    g.FreeScientists = rng.Below(1000);
}

// Four states on quarters of a 50 x 50 map, or state 1 on all of it.
inline TOwnerGrid QuarterGrid(bool quarters = true) {
    TOwnerGrid grid{};
    for (int x = 0; x < kSide; ++x)
        for (int y = 0; y < kSide; ++y)
            grid[OwnerGridIndex(x, y)] = quarters ? 1 + (x >= kSide / 2) + 2 * (y >= kSide / 2) : 1;
    return grid;
}

// Replaces Game, Messages and Map; every troop type counts.
inline void BuildGame() {
    Xoshiro256 rng(20261211);
    Game = GameState{};
    Noise(rng, &Game.mGos, sizeof Game.mGos);
    Noise(rng, &Game.mKordalt, sizeof Game.mKordalt);
    Noise(rng, &Game.YearStats, sizeof Game.YearStats);
    Noise(rng, &Game.GameGuid, sizeof Game.GameGuid);
    for (int i = 1; i <= KordaltSlotCount; ++i) {
        TKordaltRec& k = Game.mKordalt[i];
        k.Owner = i <= kStates ? static_cast<uint8_t>(i) : static_cast<uint8_t>(rng.Below(kStates + 1));
        k.Front = i <= kStates ? static_cast<uint8_t>(i) : 0;
    }
    for (int i = 1; i <= kStates; ++i) ValidState(Game.mGos[i], i, rng);
    Game.GosCount = kStates;
    Game.AliveGosCount = kStates - 1;
    Game.MapSize = kSide;
    Game.Year = 7;
    Game.DifficultyLevel = 1;
    Game.ResearchCostStep = 1.375f;
    Game.GameOnInternet = 1;
    Game.CurrentGos = 2;
    for (int i = 0; i < 300; ++i) Game.BattleChronicle += static_cast<char>('A' + rng.Below(58));
    Messages.Clear();
    AddMessage(kEventMessage, 2, clRed, "to two");
    AddMessage(kBattleMessage, 2, clNavy, std::string(255, 'x'));
    AddMessage(kEventMessage, 2, clBlack, "\xCF\xF0\xE8\xE2\xE5\xF2");
    std::unique_ptr<TSquares> map;
    GridToMap(map, QuarterGrid(), kSide, kStates);
    map->SnapshotOwners();
    ReplaceMap(std::move(map));
    Rules.TroopTypeCount = kMaxTroopTypes;
}

}  // namespace kordalt::golden
