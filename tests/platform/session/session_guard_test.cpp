// The session service against links that misbehave: links that never join,
// drip their bytes or announce large frames before joining, floods of links,
// forged rejoins, and a process out of descriptors. After each, a real guest
// still joins and talks.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "platform/session/enumeration.h"
#include "raw_client.h"
#include "session_peer.h"

namespace kordalt::dplay::test {
namespace {

using Clock = std::chrono::steady_clock;

ServiceOptions Guarded(int n, std::chrono::milliseconds connectTimeout = 500ms) {
    auto o = TestOptions(n, 1000ms);
    o.connectTimeout = connectTimeout;
    o.maxUnjoinedPerAddress = 3;
    o.maxUnjoinedLinks = 5;
    return o;
}

std::vector<uint8_t> LengthWord(uint32_t size) {
    std::vector<uint8_t> bytes(4);
    std::memcpy(bytes.data(), &size, 4);
    return bytes;
}

// Sends `bytes` one at a time, 100 ms apart, until the host closes the link;
// the time that took, or nothing when the host never closed it.
std::optional<Clock::duration> DripUntilClosed(RawClient& link, const std::vector<uint8_t>& bytes) {
    auto start = Clock::now();
    for (uint8_t b : bytes) {
        link.SendBytes({b});
        if (link.ClosedByHost(100ms)) return Clock::now() - start;
    }
    return std::nullopt;
}

// A guest from address `n` joins the host at address 1 and its message arrives.
void ExpectARealJoin(Peer& host, int n) {
    Peer guest(Guarded(n));
    guest.JoinWithPlayer(TestAddress(1), "guest" + std::to_string(n));
    ASSERT_EQ(guest.Send(host.id(), "joined"), DP_OK);
    EXPECT_TRUE(
        host.NextWhere([&](const Received& r) { return r.from == guest.id() && r.Text() == "joined"; }));
}

TEST(SessionGuard, LinksThatDoNotJoinOrFinishTheirFramesInTimeAreClosed) {
    Peer host(Guarded(1));
    host.HostWithPlayer("h");
    const uint16_t port = host.options().port;

    {
        SCOPED_TRACE("a large frame announced before joining");
        RawClient link(TestAddress(3), TestAddress(1), port);
        link.SendBytes(LengthWord(4096));
        EXPECT_TRUE(link.ClosedByHost(500ms));
    }
    {
        SCOPED_TRACE("idle, never joining");
        RawClient link(TestAddress(3), TestAddress(1), port);
        auto start = Clock::now();
        EXPECT_TRUE(link.ClosedByHost(3s));
        EXPECT_LT(Clock::now() - start, 2s);
    }
    {
        SCOPED_TRACE("a join dripped a byte at a time");
        RawClient link(TestAddress(3), TestAddress(1), port);
        auto join = WireWriter(FrameType::kJoin).Guid(kApp).Guid({}).U16(1).Finish();
        auto took = DripUntilClosed(link, join);
        ASSERT_TRUE(took) << "the whole join was dripped in";
        EXPECT_LT(*took, 2s);
    }
    {
        SCOPED_TRACE("a joined link dripping a frame outlives no keep-alive time");
        RawClient link(TestAddress(3), TestAddress(1), port);
        DPID player = link.JoinWithPlayer("drip");
        ASSERT_NE(player, 0u);
        std::vector<uint8_t> frame = LengthWord(60);
        frame.resize(4 + 60, 0);
        frame[4] = static_cast<uint8_t>(FrameType::kPing);
        auto took = DripUntilClosed(link, frame);
        ASSERT_TRUE(took) << "the whole frame was dripped in";
        EXPECT_LT(*took, 3s);
        EXPECT_TRUE(host.NextWhere([&](const Received& r) {
            return r.from == 0 && r.type == DPSYS_DESTROYPLAYERORGROUP && r.player == player;
        }));
    }
    ExpectARealJoin(host, 2);
}

TEST(SessionGuard, LinksThatHaveNotJoinedAreCappedPerAddressAndInAll) {
    Peer host(Guarded(1, 3s));
    host.HostWithPlayer("h");
    const uint16_t port = host.options().port;
    auto open = [&](int n) { return std::make_unique<RawClient>(TestAddress(n), TestAddress(1), port); };

    // A flood from one address: its three newest are kept, the older ones closed.
    std::vector<std::unique_ptr<RawClient>> flood;
    for (int i = 0; i < 20; ++i) flood.push_back(open(3));
    for (int i = 0; i < 17; ++i) EXPECT_TRUE(flood[i]->ClosedByHost(2s)) << i;
    for (int i = 17; i < 20; ++i) EXPECT_FALSE(flood[i]->ClosedByHost(50ms)) << i;
    // Another address still gets in.
    ExpectARealJoin(host, 2);

    // Five in all: two more from a second address fit; the next, from a third,
    // takes the place of the oldest link of the address holding most.
    auto second = open(4), third = open(4), fourth = open(5);
    EXPECT_FALSE(second->ClosedByHost(100ms));
    EXPECT_FALSE(third->ClosedByHost(100ms));
    EXPECT_TRUE(flood[17]->ClosedByHost(2s));
    EXPECT_FALSE(fourth->ClosedByHost(100ms));
    EXPECT_FALSE(flood[18]->ClosedByHost(50ms));
    // Once the links that never joined are gone, joining works again.
    EXPECT_TRUE(second->ClosedByHost(5s));
    ExpectARealJoin(host, 6);
}

// Links that never join are opened from four addresses again as fast as the
// host closes them, holding every place it keeps for them; guests still join.
TEST(SessionGuard, GuestsJoinWhileLinksThatNeverJoinFloodTheHost) {
    Peer host(Guarded(1, 3s));
    host.HostWithPlayer("h");
    const uint16_t port = host.options().port;
    std::atomic<bool> stop{false};
    std::atomic<int> closed{0};
    std::thread flood([&] {
        std::vector<std::unique_ptr<RawClient>> links;
        for (int n = 0; !stop; n = (n + 1) % 4) {
            closed += static_cast<int>(
                std::erase_if(links, [](const auto& link) { return link->ClosedByHost(0ms); }));
            if (links.size() >= 12) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            links.push_back(std::make_unique<RawClient>(TestAddress(3 + n), TestAddress(1), port));
            links.back()->SendBytes({1});  // a frame begun, never finished
        }
    });
    while (closed < 10) std::this_thread::sleep_for(1ms);  // every place is taken
    for (int n : {7, 8, 9}) ExpectARealJoin(host, n);
    stop = true;
    flood.join();
}

// A forged rejoin names a node that is not in the session and a huge id seen;
// the host refuses it and its player ids go on from where they were.
TEST(SessionGuard, ARefusedRejoinDoesNotMoveThePlayerIds) {
    Peer host(Guarded(1));
    host.HostWithPlayer("h");
    RawClient forger(TestAddress(3), TestAddress(1), host.options().port);
    forger.SendBytes(WireWriter(FrameType::kRejoin).U32(0x7777).U32(0xFFFFFFF0u).Finish());
    ASSERT_TRUE(forger.ReadFrame(FrameType::kRefuse));
    Peer guest(Guarded(2));
    guest.JoinWithPlayer(TestAddress(1), "g");
    EXPECT_GT(guest.id(), host.id());
    EXPECT_LT(guest.id() - host.id(), 100u);
}

// With no descriptor left, connections wait in the listener's queue: the
// service tries again now and then instead of spinning, and takes them once
// descriptors are free again.
TEST(SessionGuard, RunningOutOfDescriptorsNeitherSpinsNorStopsJoining) {
    auto options = Guarded(1, 1s);
    options.maxUnjoinedPerAddress = options.maxUnjoinedLinks = 100;
    Peer host(options);
    host.HostWithPlayer("h");
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(host.options().port);
    inet_pton(AF_INET, TestAddress(1).c_str(), &to.sin_addr);
    std::vector<int> waiting;
    for (int i = 0; i < 4; ++i) waiting.push_back(::socket(AF_INET, SOCK_STREAM, 0));

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
    int lowestFree = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    rlimit none = old;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    for (int fd : waiting) EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    timespec before{}, after{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    std::this_thread::sleep_for(1s);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
    const double cpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_LT(cpuMs, 50.0) << "CPU time while nothing could be accepted";

    // The waiting links are taken now (and closed, as they never join).
    for (int fd : waiting) {
        RawClient link(fd);
        EXPECT_TRUE(link.ClosedByHost(5s));
    }
    ExpectARealJoin(host, 2);
}

// The local addresses of the UDP sockets of this machine on `port`.
std::multiset<std::string> UdpSocketsOn(uint16_t port) {
    std::multiset<std::string> out;
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local;
        fields >> slot >> local;
        auto colon = local.find(':');
        if (colon == std::string::npos || std::stoul(local.substr(colon + 1), nullptr, 16) != port) continue;
        in_addr a{};
        a.s_addr = static_cast<uint32_t>(std::stoul(local.substr(0, colon), nullptr, 16));
        out.insert(inet_ntoa(a));
    }
    return out;
}

TEST(SessionEnumeration, ALoopbackBoundServiceStaysOnItsAddressAndTheLoopbackNetwork) {
    struct Case {
        const char* bind;
        std::vector<std::string> given, targets;
    } cases[] = {
        {"127.3.4.5", {}, {"127.255.255.255"}},
        {"127.0.0.1", {}, {"127.255.255.255"}},
        {"127.3.4.5", {"127.9.9.9"}, {"127.9.9.9"}},
        {"not an address", {}, {}},
    };
    for (const Case& c : cases) {
        ServiceOptions o;
        o.bindAddress = c.bind;
        o.broadcastAddresses = c.given;
        EXPECT_EQ(BroadcastTargets(o), c.targets) << c.bind;
    }
    ServiceOptions any;
    EXPECT_EQ(BroadcastTargets(any), InterfaceBroadcastAddresses());

    // A host and a seeker with a bind address and no broadcast list of their own.
    auto options = [](int n, uint16_t port) {
        auto o = TestOptions(n);
        o.broadcastAddresses.clear();
        o.port = port;
        return o;
    };
    const uint16_t port = DeadPort(TestAddress(1));
    Peer host(options(1, port)), seeker(options(2, port));
    const std::string name = "bound " + TestAddress(1);
    ASSERT_EQ(host.Host(name), DP_OK);
    ASSERT_EQ(host.CreatePlayer("h"), DP_OK);
    EXPECT_EQ(UdpSocketsOn(port), (std::multiset<std::string>{TestAddress(1), "127.255.255.255"}));
    auto address = TcpAddress("");
    ASSERT_EQ(seeker.dp()->InitializeConnection(address.data(), 0), DP_OK);
    DPSESSIONDESC2 sd{};
    sd.dwSize = sizeof sd;
    sd.guidApplication = kApp;
    std::vector<std::string> found;
    auto collect = [](const DPSESSIONDESC2* d, uint32_t*, uint32_t f, void* ctx) {
        if (f & DPESC_TIMEDOUT) return false;
        static_cast<std::vector<std::string>*>(ctx)->emplace_back(d->lpszSessionNameA);
        return true;
    };
    ASSERT_EQ(seeker.dp()->EnumSessions(&sd, 0, collect, &found, 0), DP_OK);
    EXPECT_EQ(std::count(found.begin(), found.end(), name), 1);
}

}  // namespace
}  // namespace kordalt::dplay::test
