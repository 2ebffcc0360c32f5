// The service's pieces: entry points, compound addresses, the receive queue.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/session/address.h"
#include "platform/session/dplay.h"
#include "platform/session/receive_queue.h"
#include "platform/session/service_options.h"

namespace kordalt::dplay {
namespace {

TEST(SessionServiceLibrary, ExportsTheThreeEntryPointsByName) {
    void* lib = dlopen(KORDALT_BIN_DIR "/libkordalt_dplay.so", RTLD_NOW);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto enumerate = reinterpret_cast<decltype(&DirectPlayEnumerateA)>(dlsym(lib, "DirectPlayEnumerateA"));
    auto create = reinterpret_cast<decltype(&DirectPlayCreate)>(dlsym(lib, "DirectPlayCreate"));
    auto lobbyCreate =
        reinterpret_cast<decltype(&DirectPlayLobbyCreateA)>(dlsym(lib, "DirectPlayLobbyCreateA"));
    ASSERT_TRUE(enumerate && create && lobbyCreate);

    std::vector<std::pair<GUID, std::string>> providers;
    auto add = [](const GUID* id, const char* name, uint32_t, uint32_t, void* ctx) {
        static_cast<decltype(providers)*>(ctx)->emplace_back(*id, name);
        return true;
    };
    EXPECT_EQ(enumerate(add, &providers), DP_OK);
    ASSERT_EQ(providers.size(), 1u);
    EXPECT_EQ(providers[0].second, "TCP/IP");
    EXPECT_TRUE(providers[0].first == DPSPGUID_TCPIP);

    IDirectPlay* base = reinterpret_cast<IDirectPlay*>(1);
    GUID modem = DPSPGUID_MODEM;
    EXPECT_NE(create(&modem, &base, nullptr), DP_OK);
    EXPECT_EQ(base, nullptr);  // cleared even on failure
    ASSERT_EQ(create(&providers[0].first, &base, nullptr), DP_OK);
    IDirectPlay4A* dp = nullptr;
    ASSERT_EQ(base->QueryInterface(IID_IDirectPlay4A, reinterpret_cast<void**>(&dp)), DP_OK);
    void* none = nullptr;
    EXPECT_EQ(base->QueryInterface(IID_IDirectPlayLobby2A, &none), DPERR_NOINTERFACE);
    DPCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(dp->GetCaps(&caps, 0), DP_OK);
    EXPECT_EQ(caps.dwFlags & DPCAPS_ASYNCSUPPORTED, 0u);
    EXPECT_EQ(dp->Release(), 1u);
    EXPECT_EQ(base->Release(), 0u);

    IDirectPlayLobby* lobby = nullptr;
    ASSERT_EQ(lobbyCreate(nullptr, &lobby, nullptr, nullptr, 0), DP_OK);
    IDirectPlayLobby2A* lobby2 = nullptr;
    ASSERT_EQ(lobby->QueryInterface(IID_IDirectPlayLobby2A, reinterpret_cast<void**>(&lobby2)), DP_OK);
    uint32_t size = 0;
    EXPECT_EQ(lobby2->GetConnectionSettings(0, nullptr, &size), DPERR_NOTLOBBIED);
    lobby2->Release();
    lobby->Release();
    dlclose(lib);
}

TEST(CompoundAddress, BuildsWithTheSizeQueryAndWalksBackElementByElement) {
    const char host[] = "127.0.0.5";
    uint16_t port = 4321;
    DPCOMPOUNDADDRESSELEMENT e[] = {
        {DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP},
        {DPAID_INet, sizeof host, host},
        {DPAID_INetPort, 2, &port},
    };
    uint32_t size = 0;
    ASSERT_EQ(BuildAddress(e, 3, nullptr, &size), DPERR_BUFFERTOOSMALL);
    std::vector<uint8_t> block(size);
    uint32_t tooSmall = size - 1;
    EXPECT_EQ(BuildAddress(e, 3, block.data(), &tooSmall), DPERR_BUFFERTOOSMALL);
    EXPECT_EQ(tooSmall, size);
    ASSERT_EQ(BuildAddress(e, 3, block.data(), &size), DP_OK);

    ConnectionAddress a;
    ASSERT_TRUE(ParseConnectionAddress(block.data(), a));
    EXPECT_TRUE(a.provider == DPSPGUID_TCPIP);
    EXPECT_EQ(a.host, "127.0.0.5");
    EXPECT_EQ(a.port, 4321);

    std::vector<std::pair<GUID, std::string>> seen;
    auto take = [](const GUID& type, uint32_t n, const void* data, void* ctx) {
        static_cast<decltype(seen)*>(ctx)->emplace_back(type, std::string(static_cast<const char*>(data), n));
        return true;
    };
    ASSERT_EQ(WalkAddress(block.data(), size, take, &seen), DP_OK);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[1].first == DPAID_INet);
    EXPECT_EQ(seen[1].second, std::string(host, sizeof host));
}

TEST(CompoundAddress, RejectsDamagedBlocks) {
    uint16_t port = 1;
    DPCOMPOUNDADDRESSELEMENT e[] = {{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP},
                                    {DPAID_INetPort, 2, &port}};
    uint32_t size = 0;
    BuildAddress(e, 2, nullptr, &size);
    std::vector<uint8_t> good(size);
    BuildAddress(e, 2, good.data(), &size);
    auto never = [](const GUID&, uint32_t, const void*, void*) {
        ADD_FAILURE() << "callback on a damaged block";
        return true;
    };
    struct Case {
        const char* what;
        size_t at;  // byte to change
        uint8_t value;
    } cases[] = {
        {"bad magic", 0, 0},
        {"element size past the end", 8 + 16, 0xFF},
        {"total size larger than given", 4, static_cast<uint8_t>(size + 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bad = good;
        bad[c.at] = c.value;
        EXPECT_EQ(WalkAddress(bad.data(), size, never, nullptr), DPERR_INVALIDPARAMS);
    }
    // An INet element without its terminating zero is no host name.
    const char unterminated[] = {'a', 'b'};
    DPCOMPOUNDADDRESSELEMENT h[] = {{DPAID_INet, 2, unterminated}};
    BuildAddress(h, 1, nullptr, &size);
    std::vector<uint8_t> block(size);
    BuildAddress(h, 1, block.data(), &size);
    ConnectionAddress a;
    EXPECT_FALSE(ParseConnectionAddress(block.data(), a));
}

TEST(ServiceOptions, TakesValidSettingsFromTheEnvironment) {
    struct Case {
        const char* bind;
        const char* port;
        const char* keepAlive;
        std::string wantBind;
        uint16_t wantPort;
        long wantKeepAliveMs;
    } cases[] = {
        {nullptr, nullptr, nullptr, "", kDefaultPort, 15000},
        {"127.0.0.3", "40001", "250", "127.0.0.3", 40001, 250},
        {"", "0", "abc", "", kDefaultPort, 15000},
        {nullptr, "70000", "-5", "", kDefaultPort, 15000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wantBind + " " + std::to_string(c.wantPort));
        auto set = [](const char* name, const char* value) {
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        };
        set("KORDALT_DPLAY_BIND", c.bind);
        set("KORDALT_DPLAY_PORT", c.port);
        set("KORDALT_DPLAY_KEEPALIVE_MS", c.keepAlive);
        ServiceOptions o = ServiceOptions::FromEnvironment();
        EXPECT_EQ(o.bindAddress, c.wantBind);
        EXPECT_EQ(o.port, c.wantPort);
        EXPECT_EQ(o.keepAliveTimeout.count(), c.wantKeepAliveMs);
    }
    for (const char* name : {"KORDALT_DPLAY_BIND", "KORDALT_DPLAY_PORT", "KORDALT_DPLAY_KEEPALIVE_MS"})
        unsetenv(name);
}

class CountingSignal final : public IDPSignal {
public:
    void Set() override { ++count; }
    int count = 0;
};

TEST(ReceiveQueue, GivesTheOldestFirstWithTheBufferTooSmallProtocol) {
    ReceiveQueue q;
    CountingSignal signal;
    q.Begin(7, &signal, {{7, "me"}});
    const uint8_t five[] = {1, 2, 3, 4, 5};
    q.PushData(3, 7, five, 5);
    q.PushCreate({9, "nina"}, 3);
    EXPECT_EQ(signal.count, 2);

    DPID from = 99, to = 99;
    uint32_t size = 2;
    uint8_t small[2];
    ASSERT_EQ(q.Receive(&from, &to, DPRECEIVE_ALL, small, &size), DPERR_BUFFERTOOSMALL);
    EXPECT_EQ(size, 5u);
    std::vector<uint8_t> buf(size);
    ASSERT_EQ(q.Receive(&from, &to, DPRECEIVE_ALL, buf.data(), &size), DP_OK);
    EXPECT_EQ(from, 3u);
    EXPECT_EQ(to, 7u);
    EXPECT_EQ(buf, (std::vector<uint8_t>{1, 2, 3, 4, 5}));

    size = 0;
    ASSERT_EQ(q.Receive(&from, &to, DPRECEIVE_ALL, nullptr, &size), DPERR_BUFFERTOOSMALL);
    buf.assign(size, 0);
    ASSERT_EQ(q.Receive(&from, &to, DPRECEIVE_ALL, buf.data(), &size), DP_OK);
    EXPECT_EQ(from, DPID_SYSMSG);
    DPMSG_CREATEPLAYERORGROUP m;
    std::memcpy(&m, buf.data(), sizeof m);
    EXPECT_EQ(m.dwType, DPSYS_CREATEPLAYERORGROUP);
    EXPECT_EQ(m.dpId, 9u);
    EXPECT_EQ(m.dwCurrentPlayers, 3u);
    ASSERT_NE(m.dpnName.lpszShortNameA, nullptr);
    EXPECT_GE(m.dpnName.lpszShortNameA, reinterpret_cast<const char*>(buf.data()));  // inside the same buffer
    EXPECT_LT(m.dpnName.lpszShortNameA, reinterpret_cast<const char*>(buf.data() + buf.size()));
    EXPECT_STREQ(m.dpnName.lpszShortNameA, "nina");
    EXPECT_EQ(q.View().size(), 2u);  // taking the create message adds the player to the view

    EXPECT_EQ(q.Receive(&from, &to, DPRECEIVE_ALL, buf.data(), &size), DPERR_NOMESSAGES);
    q.End();
    q.PushData(3, 7, five, 1);
    EXPECT_EQ(signal.count, 2);  // nothing queued or signalled after End
}

}  // namespace
}  // namespace kordalt::dplay
