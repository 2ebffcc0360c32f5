// The network game's own counters, shared by the lobby, the year loop, the
// waiting window and the message set.
#pragma once

#include <cstdint>

namespace kordalt {

extern uint32_t ServerID;       // session player id of the server; 0 when unknown
extern uint8_t AcceptFullInf;   // 1: a full snapshot has been taken
extern uint8_t AcceptHalfInf;   // 1: a year result has been taken
extern uint8_t ExitGame;        // 1: a player closed the game for all
extern uint8_t GameRunning;     // 1: a game runs on this peer
extern uint8_t ServerLost;      // 1: the server could not be found

}  // namespace kordalt
