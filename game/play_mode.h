// How the game on this machine is played: local hot seat, or a network game's
// server or client, its turn limit and whether a human's turn is on screen.
#pragma once

#include <cstdint>

namespace kordalt {

// The kind of game being played (set by the main menu and the lobby); 0 until
// one is chosen.
constexpr uint8_t kServer = 1;  // the network game's server
constexpr uint8_t kNetworkClient = 2;
constexpr uint8_t kLocalGame = 3;

struct TPlayMode {
    uint8_t GameMode = 0;
    bool IsInternetGame = false;  // set by the network lobby while an Internet game is made or played
    int32_t TurnMinutes = 0;      // minutes of a turn in a network game; 0: no limit
    uint8_t TurnShown = 0;        // 1 while the main game screen shows a human's turn
};
extern TPlayMode PlayMode;

}  // namespace kordalt
