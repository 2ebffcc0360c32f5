#include "game/computer_player.h"

#include "game/ai_economy.h"
#include "game/ai_kordalts.h"
#include "game/game_state.h"
#include "game/self_test.h"
#include "game/ui_hooks.h"
#include "platform/arith.h"
#include "platform/cp1251.h"
#include "platform/format.h"

namespace kordalt {
namespace {

void PlayState(uint8_t gos) {
    TGosRec& g = Game.mGos[gos];
    TAiMove move;
    move.Mode = AiModeFlags(gos);
    AiShedScientists(gos, move.Mode);
    move.V = AiSowAndSell(gos);
    AiPurchase(gos, move);
    AiHireAndResearch(gos, move.V, move.Mode);
    g.Money = SaturateI32(int64_t{g.Money} + move.Saved);
    move.W = ScientistSalary(g) + SoldierSalary(g) + 1;
    move.Threat = AiChooseThreat(gos);
    move.Victim = AiChooseVictim(gos);
    AiPlaceArmy(gos, move);
    AiGiveOrders(gos, move);
    AiCloseTurn(gos);
    CheckGameState(Cp("Кончает ходить ") + g.Name.Str());
}

}  // namespace

bool ComputerPlays(uint8_t gos) {
    const TGosRec& g = Game.mGos[gos];
    if (!g.Alive) return false;
    return g.Passed == 1 || (g.Player == 0 && (g.Peasants > 0 || g.Soldiers > 0 || g.Scientists > 0));
}

void ComputerTurn() {
    GameUi().StartProgress(TProgressBar::ComputerTurns, Game.GosCount);
    for (int i = 1; i <= Game.GosCount; ++i) {
        const auto gos = static_cast<uint8_t>(i);
        CheckGameState(FormatText(Cp("Начинает ходить %s"), {Game.mGos[gos].Name.Str()}));
        AiUpdateRelations(gos);
        GameUi().SetProgress(TProgressBar::ComputerTurns, i);
        if (ComputerPlays(gos)) PlayState(gos);
    }
}

}  // namespace kordalt
