#include "platform/session/roster.h"

namespace kordalt::dplay {

void WriteRoster(WireWriter& w, const NodeMap& nodes, const PlayerMap& players,
                 const std::string& hostAddress) {
    w.U32(static_cast<uint32_t>(nodes.size()));
    for (const auto& [id, n] : nodes)
        w.U32(id).Str(n.address.empty() ? hostAddress : n.address).U16(n.listenPort);
    w.U32(static_cast<uint32_t>(players.size()));
    for (const auto& [id, p] : players) w.U32(id).U32(p.node).Str(p.name);
}

bool ReadRoster(WireReader& r, NodeMap& nodes, PlayerMap& players) {
    nodes.clear();
    players.clear();
    uint32_t count = r.U32();
    for (uint32_t i = 0; i < count && r.Ok(); ++i) {
        NodeRec n;
        n.id = r.U32();
        n.address = r.Str();
        n.listenPort = r.U16();
        nodes[n.id] = n;
    }
    count = r.U32();
    for (uint32_t i = 0; i < count && r.Ok(); ++i) {
        PlayerRec p;
        p.id = r.U32();
        p.node = r.U32();
        p.name = r.Str();
        players[p.id] = p;
    }
    return r.Ok();
}

}  // namespace kordalt::dplay
