#include "game_reset.h"

#include "game/game_state.h"
#include "game/new_game.h"
#include "game/self_test.h"
#include "game/turn_report.h"

namespace kordalt {

void ResetGame() {
    ReplaceMap(nullptr);
    Messages.Clear();
    Game = GameState{};
    PlayMode.GameMode = kLocalGame;
}

}  // namespace kordalt
