// The in-memory stand-in behaves as the network service does for the session component.
#include "platform/session/memory_directplay.h"

#include <gtest/gtest.h>

#include <cstring>

#include "session_peer.h"

namespace kordalt::dplay::test {
namespace {

struct MemoryPeer {
    explicit MemoryPeer(MemoryNetwork& net, const std::string& address = "127.0.0.1")
        : dp(net.CreateDirectPlay(address)) {}
    ~MemoryPeer() { dp->Release(); }

    HRESULT Host(uint32_t maxPlayers = 0) {
        DPSESSIONDESC2 sd{};
        sd.dwSize = sizeof sd;
        sd.dwFlags = kSessionFlags;
        sd.guidApplication = kApp;
        sd.dwMaxPlayers = maxPlayers;
        sd.lpszSessionNameA = "game";
        return dp->Open(&sd, DPOPEN_CREATE);
    }
    HRESULT Join() {
        DPSESSIONDESC2 sd;
        FindFirstSession(dp, sd, 0);
        return dp->Open(&sd, DPOPEN_JOIN);
    }
    HRESULT Create(const char* name) {
        DPNAME n{sizeof n, 0, name, nullptr};
        return dp->CreatePlayer(&id, &n, &signal, nullptr, 0, 0);
    }
    // Type of the next system message (0 for a player's message, -1 for none).
    int64_t NextType(DPID* player = nullptr) {
        DPID from, to;
        uint8_t buf[256];
        uint32_t size = sizeof buf;
        if (dp->Receive(&from, &to, DPRECEIVE_ALL, buf, &size) != DP_OK) return -1;
        if (from) return 0;
        uint32_t type;
        std::memcpy(&type, buf, 4);
        if (player && (type == DPSYS_CREATEPLAYERORGROUP || type == DPSYS_DESTROYPLAYERORGROUP))
            std::memcpy(player, buf + 8, 4);
        return type;
    }

    IDirectPlay4A* dp;
    DPID id = 0;
    TestSignal signal;
};

TEST(MemoryDirectPlay, SessionsJoinFillUpAndRouteMessages) {
    MemoryNetwork net;
    MemoryPeer host(net, "10.0.0.1"), guest(net, "10.0.0.2"), late(net);
    ASSERT_EQ(host.Host(2), DP_OK);
    ASSERT_EQ(host.Create("h"), DP_OK);
    ASSERT_EQ(guest.Join(), DP_OK);
    ASSERT_EQ(guest.Create("g"), DP_OK);
    EXPECT_EQ(late.Join(), DPERR_NONEWPLAYERS);

    DPID created = 0;
    EXPECT_EQ(host.NextType(&created), DPSYS_CREATEPLAYERORGROUP);
    EXPECT_EQ(created, guest.id);
    EXPECT_EQ(guest.NextType(), -1);  // the host's player was there already

    uint32_t word = 42;
    ASSERT_EQ(guest.dp->Send(guest.id, DPID_ALLPLAYERS, DPSEND_GUARANTEED, &word, 4), DP_OK);
    EXPECT_EQ(host.NextType(), 0);
    EXPECT_EQ(guest.NextType(), -1);  // not to the sender

    uint32_t size = 0;
    ASSERT_EQ(host.dp->GetPlayerAddress(guest.id, nullptr, &size), DPERR_BUFFERTOOSMALL);
    std::vector<uint8_t> address(size);
    ASSERT_EQ(host.dp->GetPlayerAddress(guest.id, address.data(), &size), DP_OK);
    EXPECT_EQ(AddressText(address), "10.0.0.2");
}

TEST(MemoryDirectPlay, HostLeaveMigratesAndCutOffLosesTheSession) {
    MemoryNetwork net;
    MemoryPeer host(net), older(net), latest(net);
    ASSERT_EQ(host.Host(), DP_OK);
    ASSERT_EQ(host.Create("h"), DP_OK);
    for (MemoryPeer* p : {&older, &latest}) {
        ASSERT_EQ(p->Join(), DP_OK);
        ASSERT_EQ(p->Create("p"), DP_OK);
    }
    older.NextType();
    ASSERT_EQ(host.dp->Close(), DP_OK);
    DPID gone = 0;
    EXPECT_EQ(latest.NextType(&gone), DPSYS_DESTROYPLAYERORGROUP);
    EXPECT_EQ(gone, host.id);
    EXPECT_EQ(latest.NextType(), DPSYS_HOST);
    EXPECT_EQ(older.NextType(), DPSYS_DESTROYPLAYERORGROUP);
    EXPECT_EQ(older.NextType(), -1);

    net.CutOff(older.dp);
    EXPECT_EQ(older.NextType(), DPSYS_SESSIONLOST);
    EXPECT_EQ(latest.NextType(&gone), DPSYS_DESTROYPLAYERORGROUP);
    EXPECT_EQ(gone, older.id);
}

}  // namespace
}  // namespace kordalt::dplay::test
