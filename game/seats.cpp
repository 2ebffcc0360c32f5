#include "game/seats.h"

#include "game/fronts.h"
#include "game/game_state.h"
#include "game/random.h"

namespace kordalt {

namespace {

constexpr size_t kPlayerNameLength = 13;

}  // namespace

bool DealStatesAtRandom(const std::vector<TSeatedPlayer>& players) {
    size_t free = 0;
    for (int i = 1; i <= Game.GosCount; ++i) free += Game.mGos[i].Player == 0 ? 1 : 0;
    if (free < players.size()) return false;
    for (const TSeatedPlayer& p : players) {
        int s;
        do s = Random(Game.GosCount) + 1;
        while (Game.mGos[s].Player != 0);
        TGosRec& g = Game.mGos[s];
        g.Player = p.id;
        g.PlayerName.Assign(p.name.substr(0, kPlayerNameLength));
        g.StartPlayerName.Assign(p.name.substr(0, kPlayerNameLength));
    }
    for (int i = 1; i <= Game.GosCount; ++i) Game.mGos[i].Alive = 1;
    CheckFronts();
    return true;
}

void GiveStatesToComputer(uint32_t playerId) {
    for (int i = 1; i <= Game.GosCount; ++i) {
        TGosRec& g = Game.mGos[i];
        if (g.Player != playerId) continue;
        g.Player = 0;
        if (g.Alive == 1) g.PlayerName.Assign("");
    }
}

void SelectPlayersState(uint32_t playerId) {
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player == playerId) Game.CurrentGos = static_cast<uint8_t>(i);
}

}  // namespace kordalt
