// The network game's own counters, shared by the lobby, the year loop, the
// waiting window and the message set.
#pragma once

#include <cstdint>

namespace kordalt {

// Why a game ended on this peer.
enum class TExitGame : uint8_t {
    None,            // the game goes on
    ClosedByServer,  // the server closed the game for all
    AbortedHere,     // this player aborted it
    SessionLost,
    ServerGone,  // the server left and nobody can go on from a full state
};

struct TNetGame {
    uint32_t ServerID = 0;      // session player id of the server; 0 when unknown
    uint8_t AcceptFullInf = 0;  // 1: a full snapshot has been taken
    uint8_t AcceptHalfInf = 0;  // 1: a year result has been taken
    TExitGame ExitGame = TExitGame::None;
    uint8_t GameRunning = 0;       // 1: a game runs on this peer
    uint8_t ServerLost = 0;        // 1: the server could not be found
    uint8_t FullStateHeld = 0;     // 1: a full snapshot was taken since the game started here
    uint8_t ServerHandedOver = 0;  // 1: the server left the game naming an heir; his result is awaited
    uint8_t TurnsPlayed = 0;       // turns played since the lobby started the game
};

// The network game of this peer.
extern TNetGame Net;

}  // namespace kordalt
