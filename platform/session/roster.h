// The session's nodes and players as a host sends them to a node that joins
// or rejoins.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/session/dplay.h"
#include "platform/session/wire.h"

namespace kordalt::dplay {

struct NodeRec {
    uint32_t id = 0;
    std::string address;  // IPv4 text as the host sees it
    uint16_t listenPort = 0;
};

struct PlayerRec {
    DPID id = 0;
    uint32_t node = 0;
    std::string name;
};

using NodeMap = std::map<uint32_t, NodeRec>;
using PlayerMap = std::map<DPID, PlayerRec>;

// A node without an address is the host itself: `hostAddress` stands for it.
void WriteRoster(WireWriter& w, const NodeMap& nodes, const PlayerMap& players,
                 const std::string& hostAddress);
// Fills both maps; false on a damaged roster.
bool ReadRoster(WireReader& r, NodeMap& nodes, PlayerMap& players);

}  // namespace kordalt::dplay
