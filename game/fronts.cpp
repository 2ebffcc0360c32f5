#include "game/fronts.h"

#include <algorithm>
#include <cmath>

#include "game/game_state.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "platform/arith.h"
#include "platform/format.h"

namespace kordalt {
namespace {

constexpr int kDealtTroopTypes = 3;

void RecountNeighbours() {
    for (int i = 1; i <= Game.GosCount; ++i) {
        TGosRec& gos = Game.mGos[i];
        gos.NeighbourCount = 0;
        gos.Territory = Map->RegionSize(static_cast<uint8_t>(i));
        for (int j = 1; j <= Game.GosCount; ++j) {
            const bool neighbour = Map->AreNeighbours(static_cast<uint8_t>(i), static_cast<uint8_t>(j));
            gos.Fronts[j].Neighbour = neighbour;
            gos.NeighbourCount += neighbour;
        }
    }
    Game.AliveGosCount = static_cast<uint8_t>(std::count_if(&Game.mGos[1], &Game.mGos[1] + Game.GosCount,
                                                            [](const TGosRec& g) { return g.Alive != 0; }));
}

// Sends home the Kordalts whose front no longer borders their owner.
void ReleaseKordaltsOfVanishedFronts() {
    for (int s = 1; s <= KordaltSlotCount; ++s) {
        TKordaltRec& k = Game.mKordalt[s];
        if (k.Front == 0) continue;
        if (k.Owner < 1 || k.Owner > Game.GosCount || k.Front > Game.GosCount) {
            k.Front = 0;
            continue;
        }
        TGosRec& owner = Game.mGos[k.Owner];
        if (owner.Fronts[k.Front].Neighbour || k.Front == k.Owner) continue;
        owner.Fronts[k.Front].Kordalt = 0;
        k.Front = 0;
        k.Order = kOrderRest;
        const std::string text = LangText(kKordaltReleased);
        AddMessage(kEventMessage, k.Owner, clBlue, FormatText(text, {k.Name.Str()}));
    }
}

}  // namespace

bool HasHumanPlayers() {
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player != 0) return true;
    return false;
}

void CheckFronts() {
    CheckGameState(Cp("до chek Front"));
    RecountNeighbours();
    ReleaseKordaltsOfVanishedFronts();
    for (int i = 1; i <= Game.GosCount; ++i) {
        TGosRec& gos = Game.mGos[i];
        if (!gos.Alive) continue;
        for (int j = 1; j <= Game.GosCount; ++j)
            if (j != i && !gos.Fronts[j].Neighbour)
                MoveFrontToReserve(static_cast<uint8_t>(i), static_cast<uint8_t>(j));
    }
    CheckGameState(Cp("после chek Front"));
}

void SwapWithHomeFront(uint8_t gos, uint8_t front) {
    TGosRec& g = Game.mGos[gos];
    TFrontRec& away = g.Fronts[front];
    TFrontRec& home = g.Fronts[gos];
    for (int k = 1; k <= Rules.TroopTypeCount; ++k) std::swap(away.Soldiers[k], home.Soldiers[k]);
    std::swap(away.Kordalt, home.Kordalt);
    if (away.Kordalt >= 1 && away.Kordalt <= KordaltSlotCount) Game.mKordalt[away.Kordalt].Front = front;
    if (home.Kordalt >= 1 && home.Kordalt <= KordaltSlotCount) Game.mKordalt[home.Kordalt].Front = gos;
}

void SetFrontSoldiers(uint8_t gos, uint8_t front, int32_t count) {
    TGosRec& g = Game.mGos[gos];
    TFrontRec& f = g.Fronts[front];
    const int64_t n = int64_t{count} + FrontSoldiers(gos, front);
    MoveFrontToReserve(gos, front);
    const int types = std::min<int>(kDealtTroopTypes, Rules.TroopTypeCount);
    if (n < 1 || types == 0) return;
    // Dealing one soldier at a time in the cycle 1, 2, 3, 1, ... while the
    // reserve lasts: the first `dealt` soldiers are placed.
    const int64_t dealt = std::clamp<int64_t>(g.Reserve, 0, n);
    for (int k = 1; k <= types; ++k)
        f.Soldiers[k] = static_cast<int32_t>(dealt / types + (k <= dealt % types ? 1 : 0));
    g.Reserve = static_cast<int32_t>(g.Reserve - dealt);
}

void MoveFrontToReserve(uint8_t gos, uint8_t front) {
    TGosRec& g = Game.mGos[gos];
    for (int k = 1; k <= Rules.TroopTypeCount; ++k) {
        g.Reserve = SaturateI32(int64_t{g.Reserve} + g.Fronts[front].Soldiers[k]);
        g.Fronts[front].Soldiers[k] = 0;
    }
}

int32_t FrontSoldiers(uint8_t gos, uint8_t front) {
    int64_t sum = 0;
    for (int k = 1; k <= Rules.TroopTypeCount; ++k) sum += Game.mGos[gos].Fronts[front].Soldiers[k];
    return SaturateI32(sum);
}

int32_t Population(uint8_t gos) {
    const TGosRec& g = Game.mGos[gos];
    return SaturateI32(int64_t{g.Peasants} + g.Scientists + g.Soldiers);
}

int64_t TruncMul(int32_t x, double y) { return Trunc(static_cast<long double>(x) * y); }

int64_t FieldsToSow(uint8_t gos) {
    const TGosRec& g = Game.mGos[gos];
    const long double effect = g.Research[AgrarianLevel].Effect;
    if (!std::isfinite(effect) || !(effect > 0)) return 0;
    const int64_t a = int64_t{std::min<int32_t>(g.Peasants, g.Territory)} - g.FieldsSown;
    const int64_t b = Trunc(g.Grain / effect);
    return std::max<int64_t>(0, std::min(a, b));
}

}  // namespace kordalt
