// The network game's own counters, shared by the lobby, the year loop, the
// waiting window and the message set.
#pragma once

#include <cstdint>

namespace kordalt {

extern uint32_t ServerID;       // session player id of the server; 0 when unknown
extern uint8_t AcceptFullInf;   // 1: a full snapshot has been taken
extern uint8_t AcceptHalfInf;   // 1: a year result has been taken
extern uint8_t ExitGame;        // see the values below; 0 while the game goes on
extern uint8_t GameRunning;     // 1: a game runs on this peer
extern uint8_t ServerLost;      // 1: the server could not be found
extern uint8_t FullStateHeld;   // 1: a full snapshot was taken since the game started here
extern uint8_t ServerHandedOver;  // 1: the server left the game naming an heir; his result is awaited

// Why a game ended on this peer (ExitGame).
constexpr uint8_t kClosedByServer = 1;
constexpr uint8_t kAbortedHere = 2;
constexpr uint8_t kSessionLost = 3;
constexpr uint8_t kServerGone = 4;  // the server left and nobody can go on from a full state

}  // namespace kordalt
