#include "multiplayer/player_addresses.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/support.h"
#include "session/com_ptr.h"
#include "session/peer_play.h"

namespace kordalt {
namespace {

bool EnumAddressCallback(const dplay::GUID& type, uint32_t size, const void* data, void* context) {
    if (type == dplay::DPAID_INet && size > 0)
        static_cast<std::vector<std::string>*>(context)->emplace_back(
            static_cast<const char*>(data), strnlen(static_cast<const char*>(data), size));
    return true;
}

// The Internet addresses of a session player, as the session object gives them.
std::vector<std::string> PlayerAddresses(TCustomPeerPlay& peer, dplay::IDirectPlayLobby2A& lobby,
                                         uint32_t id) {
    dplay::IDirectPlay4A* dp = peer.DirectPlay();
    uint32_t size = 0;
    if (!dp || dp->GetPlayerAddress(id, nullptr, &size) != dplay::DPERR_BUFFERTOOSMALL)
        throw ECError("PeerPlay1.DPlay.GetPlayerAddress");
    std::vector<uint8_t> address(size);
    if (dp->GetPlayerAddress(id, address.data(), &size) != dplay::DP_OK)
        throw ECError("PeerPlay1.DPlay.GetPlayerAddress");
    std::vector<std::string> texts;
    if (lobby.EnumAddress(EnumAddressCallback, address.data(), size, &texts) != dplay::DP_OK)
        throw ECError("Lobby.EnumAddress");
    return texts;
}

}  // namespace

bool AddressTaken(TCustomPeerPlay& peer) {
    dplay::IDirectPlayLobby* raw = nullptr;
    const bool made = peer.Service().CreateLobby(&raw) == dplay::DP_OK;
    ComPtr<dplay::IDirectPlayLobby> lobby(raw);
    auto lobby2 = lobby.Query<dplay::IDirectPlayLobby2A>(dplay::IID_IDirectPlayLobby2A);
    if (!made || !lobby2 || !peer.LocalPlayer()) throw ECError("PeerPlay1.DPlay.EnumAddress");
    const std::vector<std::string> own = PlayerAddresses(peer, *lobby2.Get(), peer.LocalPlayer()->ID);
    for (int i = 0; i < peer.Players().Count(); ++i) {
        const TPeerPlayPlayer& p = peer.Players().GetItem(i);
        if (!p.Remote) continue;
        for (const std::string& a : PlayerAddresses(peer, *lobby2.Get(), p.ID))
            if (std::find(own.begin(), own.end(), a) != own.end()) return true;
    }
    return false;
}

}  // namespace kordalt
