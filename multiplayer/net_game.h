// The network game's own counters, shared by the lobby, the year loop, the
// waiting window and the message set.
#pragma once

#include <cstdint>

namespace kordalt {

struct TNetGame {
    uint32_t ServerID = 0;         // session player id of the server; 0 when unknown
    uint8_t AcceptFullInf = 0;     // 1: a full snapshot has been taken
    uint8_t AcceptHalfInf = 0;     // 1: a year result has been taken
    uint8_t ExitGame = 0;          // see the values below; 0 while the game goes on
    uint8_t GameRunning = 0;       // 1: a game runs on this peer
    uint8_t ServerLost = 0;        // 1: the server could not be found
    uint8_t FullStateHeld = 0;     // 1: a full snapshot was taken since the game started here
    uint8_t ServerHandedOver = 0;  // 1: the server left the game naming an heir; his result is awaited
    uint8_t TurnsPlayed = 0;       // turns played since the lobby started the game
};

// The network game of this peer.
extern TNetGame Net;

// Why a game ended on this peer (ExitGame).
constexpr uint8_t kClosedByServer = 1;
constexpr uint8_t kAbortedHere = 2;
constexpr uint8_t kSessionLost = 3;
constexpr uint8_t kServerGone = 4;  // the server left and nobody can go on from a full state

}  // namespace kordalt
