// The one table of the network game's messages: for every code what it
// carries, which way it goes, who may send it, when it is taken, how large it
// may be and what a peer does with it. The queue's size check, the gate's sets
// and the dispatcher read it; a new message is one row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/checked.h"

namespace kordalt {

struct TNetDelivery;

enum class TNetDirection : uint8_t {
    ServerToClients,
    ClientToServer,
    AnyToAll,
};

enum class TNetSender : uint8_t {
    GameServer,   // the server of the running game
    StatePlayer,  // the player of the state the message names
    LobbyServer,  // the server of the lobby
    AnyPlayer,
};

// When a peer takes a message; outside these steps it is refused, except that
// a year's traffic waits in the queue for its step.
enum class TNetSteps : uint8_t {
    Lobby,  // no game runs here
    Year,   // a game runs here
    Both,
    YearResult,  // a game runs; held during the own turn and in the lobby
    TurnEnd,     // a game runs; held at the top of a year and in the lobby
    Waiting,     // no game runs here; a peer in the game drops it unnoted
};

struct TNetMessageKind {
    uint32_t code;
    const char* what;  // what it carries; its layout is its wire struct's Describe
    TNetDirection direction;
    TNetSender sender;
    TNetSteps steps;
    size_t (*largest)();  // bytes its layout allows at most
    // Acts on the message, or refuses it with why.
    TChecked<> (*handle)(TNetDelivery& d);
};

// The row of `code`; null for a code outside the message set.
const TNetMessageKind* FindNetMessageKind(uint32_t code);

}  // namespace kordalt
