// The network session service over loopback: several service objects in one
// process, each on its own 127.x.y.n address.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "raw_client.h"
#include "session_peer.h"

namespace kordalt::dplay::test {
namespace {

// A message carrying its sender's number and sequence number, `size` bytes long.
std::vector<uint8_t> Numbered(uint32_t sender, uint32_t seq, size_t size) {
    std::vector<uint8_t> m(std::max<size_t>(size, 8), static_cast<uint8_t>(seq));
    std::memcpy(m.data(), &sender, 4);
    std::memcpy(m.data() + 4, &seq, 4);
    return m;
}

std::pair<uint32_t, uint32_t> SenderAndSeq(const Received& r) {
    uint32_t sender = 0, seq = 0;
    if (r.data.size() >= 8) {
        std::memcpy(&sender, r.data.data(), 4);
        std::memcpy(&seq, r.data.data() + 4, 4);
    }
    return {sender, seq};
}

bool IsData(const Received& r, DPID from, const std::string& text) {
    return r.from == from && r.Text() == text;
}

bool IsDestroyOf(const Received& r, DPID player) {
    return r.from == 0 && r.type == DPSYS_DESTROYPLAYERORGROUP && r.player == player;
}

struct Found {
    std::vector<std::string> names;
    std::vector<DPSESSIONDESC2> descs;
    int timeOuts = 0;
};

Found Enumerate(Peer& peer, const std::string& host, uint32_t flags) {
    auto address = TcpAddress(host);
    EXPECT_EQ(peer.dp()->InitializeConnection(address.data(), 0), DP_OK);
    DPSESSIONDESC2 sd{};
    sd.dwSize = sizeof sd;
    sd.guidApplication = kApp;
    Found found;
    auto collect = [](const DPSESSIONDESC2* d, uint32_t*, uint32_t f, void* ctx) {
        auto& out = *static_cast<Found*>(ctx);
        if (f & DPESC_TIMEDOUT) {
            ++out.timeOuts;
            return false;
        }
        out.names.emplace_back(d->lpszSessionNameA);
        out.descs.push_back(*d);
        return true;
    };
    EXPECT_EQ(peer.dp()->EnumSessions(&sd, 0, collect, &found, flags), DP_OK);
    return found;
}

TEST(SessionService, CreateAndJoinGiveBothSidesThePlayersAndTheirMessages) {
    Peer host(1), guest(2);
    host.HostWithPlayer("anna");
    guest.JoinWithPlayer(TestAddress(1), "boris");
    EXPECT_NE(host.id(), 0u);
    EXPECT_NE(guest.id(), 0u);
    EXPECT_NE(host.id(), guest.id());

    auto remote = guest.Players(DPENUMPLAYERS_REMOTE);
    ASSERT_EQ(remote.size(), 1u);
    EXPECT_EQ(remote[0].id, host.id());
    EXPECT_EQ(remote[0].name, "anna");
    EXPECT_EQ(guest.Players().size(), 2u);

    auto created = host.Next();
    ASSERT_TRUE(created);
    EXPECT_EQ(created->type, DPSYS_CREATEPLAYERORGROUP);
    EXPECT_EQ(created->player, guest.id());
    EXPECT_EQ(created->name, "boris");

    ASSERT_EQ(host.Send(guest.id(), "hello"), DP_OK);
    ASSERT_EQ(guest.Send(host.id(), "hi"), DP_OK);
    auto atGuest = guest.Next();  // no create message for the host's player listed at joining
    ASSERT_TRUE(atGuest);
    EXPECT_TRUE(IsData(*atGuest, host.id(), "hello"));
    auto atHost = host.Next();
    ASSERT_TRUE(atHost);
    EXPECT_TRUE(IsData(*atHost, guest.id(), "hi"));

    for (Peer* p : {&host, &guest}) {  // a player may send to itself
        ASSERT_EQ(p->Send(p->id(), "self"), DP_OK);
        auto self = p->Next();
        ASSERT_TRUE(self);
        EXPECT_TRUE(IsData(*self, p->id(), "self"));
    }

    EXPECT_EQ(host.AddressOf(guest.id()), TestAddress(2));
    EXPECT_EQ(guest.AddressOf(host.id()), TestAddress(1));
    EXPECT_EQ(guest.AddressOf(guest.id()), TestAddress(2));
}

TEST(SessionService, EnumerationListsJoinableSessionsOfTheApplicationOnly) {
    auto options = [](int n) {
        auto o = TestOptions(n);
        o.port = 23797;  // broadcasts reach every test on the machine: keep off the default port
        return o;
    };
    Peer open(options(1)), full(options(2)), other(options(3));
    // Broadcasts reach other runs of this test too: names tell the sessions apart.
    const std::string game = "game " + TestAddress(1), beta = "beta " + TestAddress(2);
    ASSERT_EQ(open.Host(game), DP_OK);
    ASSERT_EQ(open.CreatePlayer("a"), DP_OK);
    ASSERT_EQ(full.Host(beta, 1), DP_OK);
    ASSERT_EQ(full.CreatePlayer("b"), DP_OK);
    {
        auto address = TcpAddress("");
        ASSERT_EQ(other.dp()->InitializeConnection(address.data(), 0), DP_OK);
        DPSESSIONDESC2 sd{};
        sd.dwSize = sizeof sd;
        sd.guidApplication = GUID{1, 2, 3, {4}};
        sd.lpszSessionNameA = "foreign";
        ASSERT_EQ(other.dp()->Open(&sd, DPOPEN_CREATE), DP_OK);
    }
    struct Case {
        const char* what;
        int host;  // 0: broadcast
        uint32_t flags;
        std::vector<std::string> expected;
    } cases[] = {
        {"open session by host", 1, DPENUMSESSIONS_AVAILABLE, {game}},
        {"full session, joinable only", 2, DPENUMSESSIONS_AVAILABLE, {}},
        {"full session, all", 2, 0, {beta}},
        {"other application", 3, 0, {}},
    };
    int n = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Peer seeker(options(n++));
        Found found = Enumerate(seeker, TestAddress(c.host), c.flags);
        EXPECT_EQ(found.names, c.expected);
        EXPECT_EQ(found.timeOuts, 1);
    }
    Peer seeker(options(n++));
    Found found = Enumerate(seeker, "", DPENUMSESSIONS_AVAILABLE);
    EXPECT_EQ(found.timeOuts, 1);
    EXPECT_EQ(std::count(found.names.begin(), found.names.end(), game), 1);
    EXPECT_EQ(std::count(found.names.begin(), found.names.end(), beta), 0);
    EXPECT_EQ(std::count(found.names.begin(), found.names.end(), "foreign"), 0);
    // A session found by broadcast can be joined.
    auto at = std::find(found.names.begin(), found.names.end(), game) - found.names.begin();
    ASSERT_LT(static_cast<size_t>(at), found.descs.size());
    ASSERT_EQ(seeker.OpenJoin(found.descs[at]), DP_OK);
    ASSERT_EQ(seeker.CreatePlayer("c"), DP_OK);
    EXPECT_EQ(seeker.Players(DPENUMPLAYERS_REMOTE).at(0).id, open.id());
}

TEST(SessionService, AFullSessionRefusesAJoin) {
    Peer host(1), first(2), late(3);
    host.HostWithPlayer("h", 2);
    DPSESSIONDESC2 sd{};
    ASSERT_EQ(late.Find(TestAddress(1), sd), DP_OK);  // found while there was room
    first.JoinWithPlayer(TestAddress(1), "f");
    EXPECT_EQ(late.OpenJoin(sd), DPERR_NONEWPLAYERS);

    ASSERT_TRUE(host.NextSystem(DPSYS_CREATEPLAYERORGROUP));
    ASSERT_EQ(first.Send(host.id(), "still here"), DP_OK);
    auto r = host.Next();
    ASSERT_TRUE(r);
    EXPECT_TRUE(IsData(*r, first.id(), "still here"));
    EXPECT_EQ(host.Players().size(), 2u);
}

TEST(SessionService, SendingToAllReachesEveryoneButTheSender) {
    Peer peers[] = {Peer(1), Peer(2), Peer(3)};
    peers[0].HostWithPlayer("p0");
    peers[1].JoinWithPlayer(TestAddress(1), "p1");
    peers[2].JoinWithPlayer(TestAddress(1), "p2");
    for (int sender = 0; sender < 3; ++sender) {
        SCOPED_TRACE(sender);
        std::string text = "all from " + std::to_string(sender);
        ASSERT_EQ(peers[sender].Send(DPID_ALLPLAYERS, text), DP_OK);
        for (int i = 0; i < 3; ++i) {
            if (i == sender) continue;
            auto r = peers[i].NextWhere([](const Received& r) { return r.from != 0; });
            ASSERT_TRUE(r);
            EXPECT_TRUE(IsData(*r, peers[sender].id(), text));
        }
        // The sender's next message is a later one from someone else.
        int other = (sender + 1) % 3;
        ASSERT_EQ(peers[other].Send(peers[sender].id(), "marker"), DP_OK);
        auto r = peers[sender].NextWhere([](const Received& r) { return r.from != 0; });
        ASSERT_TRUE(r);
        EXPECT_TRUE(IsData(*r, peers[other].id(), "marker"));
    }
}

TEST(SessionService, EachSendersMessagesArriveOnceAndInOrderUnderLoad) {
    constexpr uint32_t kCount = 3000;
    Peer peers[] = {Peer(1), Peer(2), Peer(3)};
    peers[0].HostWithPlayer("p0");
    peers[1].JoinWithPlayer(TestAddress(1), "p1");
    peers[2].JoinWithPlayer(TestAddress(1), "p2");
    peers[0].NextSystem(DPSYS_CREATEPLAYERORGROUP);
    peers[0].NextSystem(DPSYS_CREATEPLAYERORGROUP);
    peers[1].NextSystem(DPSYS_CREATEPLAYERORGROUP);

    std::vector<std::thread> threads;
    std::map<uint32_t, std::vector<uint32_t>> seen[3];
    for (uint32_t p = 0; p < 3; ++p) {
        threads.emplace_back([&, p] {
            for (uint32_t seq = 0; seq < kCount; ++seq) {
                size_t size = seq % 500 == 0 ? 50000 : 16 + seq % 700;
                ASSERT_EQ(peers[p].Send(DPID_ALLPLAYERS, Numbered(p, seq, size)), DP_OK);
            }
        });
        threads.emplace_back([&, p] {
            for (uint32_t got = 0; got < 2 * kCount; ++got) {
                auto r = peers[p].NextWhere([](const Received& r) { return r.from != 0; }, 20s);
                ASSERT_TRUE(r) << "after " << got;
                auto [sender, seq] = SenderAndSeq(*r);
                seen[p][sender].push_back(seq);
            }
        });
    }
    for (auto& t : threads) t.join();
    for (uint32_t p = 0; p < 3; ++p) {
        for (uint32_t s = 0; s < 3; ++s) {
            if (s == p) {
                EXPECT_TRUE(seen[p][s].empty());
                continue;
            }
            std::vector<uint32_t> expected(kCount);
            for (uint32_t i = 0; i < kCount; ++i) expected[i] = i;
            EXPECT_EQ(seen[p][s], expected) << "receiver " << p << " sender " << s;
        }
    }
}

TEST(SessionService, ConcurrentJoinersSeeEveryPlayerExactlyOnce) {
    constexpr int kGuests = 6;
    Peer host(1);
    host.HostWithPlayer("host");
    std::vector<std::unique_ptr<Peer>> guests;
    for (int i = 0; i < kGuests; ++i) guests.push_back(std::make_unique<Peer>(2 + i));
    // Each peer's list: the players listed right after creating its player.
    std::vector<std::vector<PlayerEntry>> lists(kGuests + 1);
    lists[0] = host.Players();
    std::vector<std::thread> threads;
    for (int i = 0; i < kGuests; ++i) {
        threads.emplace_back([&, i] {
            guests[i]->JoinWithPlayer(TestAddress(1), "g" + std::to_string(i));
            lists[i + 1] = guests[i]->Players();
        });
    }
    for (auto& t : threads) t.join();
    std::set<DPID> all = {host.id()};
    for (auto& g : guests) all.insert(g->id());
    ASSERT_EQ(all.size(), kGuests + 1u);
    ASSERT_EQ(all.count(0), 0u);

    for (int p = 0; p <= kGuests; ++p) {
        SCOPED_TRACE(p);
        Peer& peer = p == 0 ? host : *guests[p - 1];
        std::set<DPID> known;
        for (const auto& e : lists[p]) EXPECT_TRUE(known.insert(e.id).second) << "listed twice: " << e.id;
        while (known.size() < all.size()) {
            auto r = peer.Next(5s);
            ASSERT_TRUE(r) << "missing players: have " << known.size();
            ASSERT_EQ(r->type, DPSYS_CREATEPLAYERORGROUP);
            EXPECT_TRUE(known.insert(r->player).second) << "created twice: " << r->player;
        }
        EXPECT_EQ(known, all);
        EXPECT_FALSE(peer.Next(100ms));  // nothing more
    }
}

TEST(SessionService, PlayersAreDestroyedWhenTheyLeaveOrTheirPeerDies) {
    enum class End { kLeave, kKilled };
    for (End end : {End::kLeave, End::kKilled}) {
        SCOPED_TRACE(end == End::kLeave ? "leave" : "killed");
        Peer host(1), stays(2);
        auto goes = std::make_unique<Peer>(3);
        host.HostWithPlayer("h");
        stays.JoinWithPlayer(TestAddress(1), "s");
        goes->JoinWithPlayer(TestAddress(1), "g");
        DPID gone = goes->id();
        ASSERT_EQ(goes->Send(DPID_ALLPLAYERS, "last words"), DP_OK);
        if (end == End::kLeave) {
            ASSERT_EQ(goes->dp()->Close(), DP_OK);
        } else {
            goes->dp()->Abort();
        }
        for (Peer* p : {&host, &stays}) {
            auto last = p->NextWhere([](const Received& r) { return r.from != 0; });
            ASSERT_TRUE(last);
            EXPECT_TRUE(IsData(*last, gone, "last words"));
            auto destroyed = p->Next();
            ASSERT_TRUE(destroyed);
            EXPECT_TRUE(IsDestroyOf(*destroyed, gone));
            EXPECT_EQ(destroyed->name, "g");
            EXPECT_EQ(p->Players().size(), 2u);
        }
    }
}

// Two guests' links are reset while the host's I/O thread stands still: when it
// runs again, dropping one sends news to every node, the other's link among
// them, which fails in the middle of that. Both go; the host and the rest go on.
TEST(SessionService, LinksThatDieTogetherAreDroppedAndTheOthersGoOn) {
    Peer host(1), stays(2);
    host.HostWithPlayer("h");
    stays.JoinWithPlayer(TestAddress(1), "s");
    std::vector<std::unique_ptr<RawClient>> dying;
    std::vector<DPID> gone;
    for (int n : {3, 4, 5}) {
        dying.push_back(std::make_unique<RawClient>(TestAddress(n), TestAddress(1), host.options().port));
        gone.push_back(dying.back()->JoinWithPlayer("d" + std::to_string(n)));
        ASSERT_NE(gone.back(), 0u);
    }
    ASSERT_TRUE(host.NextWhere([&](const Received& r) { return r.player == gone.back(); }));
    host.HoldIo();
    ASSERT_EQ(stays.Send(host.id(), "stop"), DP_OK);
    ASSERT_TRUE(host.signal().WaitUntilStopped(5s));
    for (auto& link : dying) link->Reset();
    host.signal().Release();

    for (Peer* p : {&host, &stays}) {
        std::set<DPID> destroyed;
        while (destroyed.size() < gone.size()) {
            auto m = p->NextSystem(DPSYS_DESTROYPLAYERORGROUP);
            ASSERT_TRUE(m) << (p == &host ? "host" : "guest") << " saw " << destroyed.size();
            destroyed.insert(m->player);
        }
        EXPECT_EQ(destroyed, std::set<DPID>(gone.begin(), gone.end()));
    }
    EXPECT_EQ(host.Players().size(), 2u);
    ASSERT_EQ(stays.Send(host.id(), "to the host"), DP_OK);
    ASSERT_EQ(host.Send(DPID_ALLPLAYERS, "to all"), DP_OK);
    EXPECT_TRUE(host.NextWhere([&](const Received& r) { return IsData(r, stays.id(), "to the host"); }));
    EXPECT_TRUE(stays.NextWhere([&](const Received& r) { return IsData(r, host.id(), "to all"); }));
}

// The host leaves; its guest sends a message and the acknowledgement together,
// and resets its link while the host's I/O thread stands still on the message.
// Running again, the host takes the acknowledgement and says goodbye on every
// link, the dead one among them.
TEST(SessionService, AHostLeavingWhileAGuestsLinkDiesEndsItsLeave) {
    Peer host(1);
    host.HostWithPlayer("h");
    RawClient guest(TestAddress(2), TestAddress(1), host.options().port);
    DPID player = guest.JoinWithPlayer("g");
    ASSERT_NE(player, 0u);
    ASSERT_TRUE(host.NextSystem(DPSYS_CREATEPLAYERORGROUP));
    host.HoldIo();
    HRESULT closed = DPERR_TIMEOUT;
    std::thread leaving([&] { closed = host.dp()->Close(); });
    ASSERT_TRUE(guest.ReadFrame(FrameType::kHostLeaving));
    auto frames = WireWriter(FrameType::kData).U32(player).U32(DPID_ALLPLAYERS).Str("stop").Finish();
    auto ack = WireWriter(FrameType::kLeaveAck).Finish();
    frames.insert(frames.end(), ack.begin(), ack.end());
    guest.SendBytes(frames);
    ASSERT_TRUE(host.signal().WaitUntilStopped(5s));
    guest.Reset();
    host.signal().Release();
    leaving.join();
    EXPECT_EQ(closed, DP_OK);
}

TEST(SessionService, ASilentPeerIsDroppedAfterTheKeepAliveTimeButAnIdleOneIsNot) {
    constexpr auto kKeepAlive = 300ms;
    Peer host(1, kKeepAlive), idle(2, kKeepAlive);
    host.HostWithPlayer("h");
    idle.JoinWithPlayer(TestAddress(1), "idle");
    RawClient silent(TestAddress(3), TestAddress(1), host.options().port);
    DPID mute = silent.JoinWithPlayer("mute");
    ASSERT_NE(mute, 0u);

    auto start = std::chrono::steady_clock::now();
    auto destroyed = host.NextWhere([&](const Received& r) { return IsDestroyOf(r, mute); }, 5s);
    ASSERT_TRUE(destroyed);
    EXPECT_GE(std::chrono::steady_clock::now() - start, kKeepAlive - 50ms);
    EXPECT_TRUE(silent.ClosedByHost(2s));

    // The idle peer's application made no call for many keep-alive periods; its I/O thread kept it in.
    std::this_thread::sleep_for(kKeepAlive * 5);
    EXPECT_FALSE(host.NextWhere([&](const Received& r) { return IsDestroyOf(r, idle.id()); }, 100ms));
    ASSERT_EQ(host.Send(idle.id(), "still there"), DP_OK);
    EXPECT_TRUE(idle.NextWhere([&](const Received& r) { return IsData(r, host.id(), "still there"); }));
}

TEST(SessionService, AGuestWhoseHostFallsSilentTakesOverAfterTheKeepAliveTime) {
    constexpr auto kKeepAlive = 300ms;
    FrozenHost host(TestAddress(1), kDefaultPort, kApp);
    Peer guest(2, kKeepAlive);
    guest.JoinWithPlayer(TestAddress(1), "guest");
    ASSERT_EQ(guest.Players(DPENUMPLAYERS_REMOTE).at(0).id, FrozenHost::kPlayer);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(guest.NextWhere([](const Received& r) { return IsDestroyOf(r, FrozenHost::kPlayer); }, 3s));
    EXPECT_GE(std::chrono::steady_clock::now() - start, kKeepAlive - 50ms);
    EXPECT_TRUE(guest.NextSystem(DPSYS_HOST, 1s));
    EXPECT_EQ(guest.Players().size(), 1u);
}

TEST(SessionService, AGracefulHostLeaveKeepsTheSessionAndLosesNothing) {
    constexpr uint32_t kCount = 1500, kHostCount = 200;
    Peer host(1), older(2), latest(3);
    host.HostWithPlayer("h");
    older.JoinWithPlayer(TestAddress(1), "o");
    latest.JoinWithPlayer(TestAddress(1), "l");
    DPID hostId = host.id();
    older.NextSystem(DPSYS_CREATEPLAYERORGROUP);

    Peer* senders[] = {&older, &latest};
    std::vector<std::thread> threads;
    for (uint32_t s = 0; s < 2; ++s) {
        threads.emplace_back([&, s] {
            for (uint32_t seq = 0; seq < kCount; ++seq)
                ASSERT_EQ(senders[s]->Send(DPID_ALLPLAYERS, Numbered(s + 1, seq, 32 + seq % 300)), DP_OK);
        });
    }
    for (uint32_t seq = 0; seq < kHostCount; ++seq)
        ASSERT_EQ(host.Send(DPID_ALLPLAYERS, Numbered(0, seq, 64)), DP_OK);
    // As the session component leaves: its own player first, then the session.
    ASSERT_EQ(host.dp()->DestroyPlayer(hostId), DP_OK);
    auto closing = std::chrono::steady_clock::now();
    ASSERT_EQ(host.dp()->Close(), DP_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 2s);
    for (auto& t : threads) t.join();

    for (uint32_t r = 0; r < 2; ++r) {
        SCOPED_TRACE(r);
        Peer& peer = *senders[r];
        std::vector<uint32_t> fromHost, fromOther;
        bool hostGone = false, becameHost = false;
        while (fromOther.size() < kCount || !hostGone) {
            auto m = peer.Next(10s);
            ASSERT_TRUE(m) << fromHost.size() << " " << fromOther.size() << " " << hostGone;
            if (m->from == 0) {
                if (IsDestroyOf(*m, hostId)) hostGone = true;
                if (m->type == DPSYS_HOST) becameHost = true;
                continue;
            }
            auto [sender, seq] = SenderAndSeq(*m);
            if (sender == 0) {
                EXPECT_FALSE(hostGone) << "a message of the host after its destroy notice";
                fromHost.push_back(seq);
            } else {
                fromOther.push_back(seq);
            }
        }
        EXPECT_EQ(fromHost.size(), kHostCount);
        for (uint32_t i = 0; i < fromHost.size(); ++i) ASSERT_EQ(fromHost[i], i);
        for (uint32_t i = 0; i < kCount; ++i) ASSERT_EQ(fromOther[i], i);
        if (&peer == &latest && !becameHost) becameHost = peer.NextSystem(DPSYS_HOST, 2s).has_value();
        EXPECT_EQ(becameHost, &peer == &latest);
    }

    // The new host takes newcomers.
    Peer newcomer(4);
    newcomer.JoinWithPlayer(TestAddress(3), "n");
    auto created = older.NextSystem(DPSYS_CREATEPLAYERORGROUP);
    ASSERT_TRUE(created);
    EXPECT_EQ(created->player, newcomer.id());
    EXPECT_EQ(newcomer.Players(DPENUMPLAYERS_REMOTE).size(), 2u);
}

TEST(SessionService, AfterAHostCrashTheOthersMigrate) {
    Peer host(1, 500ms), older(2, 500ms), latest(3, 500ms);
    host.HostWithPlayer("h");
    older.JoinWithPlayer(TestAddress(1), "o");
    latest.JoinWithPlayer(TestAddress(1), "l");
    older.NextSystem(DPSYS_CREATEPLAYERORGROUP);
    host.dp()->Abort();

    for (Peer* p : {&older, &latest}) {
        bool hostDestroyed = false, becameHost = false;
        while (!hostDestroyed || (p == &latest && !becameHost)) {
            auto m = p->Next();
            ASSERT_TRUE(m);
            hostDestroyed |= IsDestroyOf(*m, host.id());
            becameHost |= m->from == 0 && m->type == DPSYS_HOST;
        }
        EXPECT_EQ(becameHost, p == &latest);
        EXPECT_EQ(p->Players().size(), 2u);
    }
    ASSERT_EQ(older.Send(latest.id(), "to the new host"), DP_OK);
    ASSERT_EQ(latest.Send(older.id(), "to the older"), DP_OK);
    EXPECT_TRUE(
        latest.NextWhere([&](const Received& r) { return IsData(r, older.id(), "to the new host"); }));
    EXPECT_TRUE(older.NextWhere([&](const Received& r) { return IsData(r, latest.id(), "to the older"); }));
}

// A peer whose I/O thread stood still past the keep-alive time (a stopped
// process) has been dropped by the others, who go on without it. Running
// again, it tells its player first that the session is lost, and never takes
// the host's role: not the guest that was next in line, nor the host itself.
TEST(SessionService, APeerStoppedPastTheKeepAliveLearnsFirstThatItsSessionIsLost) {
    constexpr auto kKeepAlive = 500ms;
    struct Case {
        const char* name;
        int stopped;  // 0: the host; 2: the latest guest, the host's heir
    } cases[] = {{"host", 0}, {"heir", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Peer a(1, kKeepAlive), b(2, kKeepAlive), d(3, kKeepAlive);
        Peer* peers[] = {&a, &b, &d};
        a.HostWithPlayer("p0");
        b.JoinWithPlayer(TestAddress(1), "p1");
        d.JoinWithPlayer(TestAddress(1), "p2");
        Peer& stopped = *peers[c.stopped];
        Peer& sender = *peers[c.stopped == 0 ? 1 : 0];
        if (&stopped != &d)
            ASSERT_TRUE(stopped.NextWhere([&](const Received& r) { return r.player == d.id(); }));
        stopped.HoldIo();
        ASSERT_EQ(sender.Send(stopped.id(), "stop"), DP_OK);
        ASSERT_TRUE(stopped.signal().WaitUntilStopped(5s));
        std::vector<Peer*> others;
        for (Peer* p : peers)
            if (p != &stopped) others.push_back(p);
        for (Peer* p : others)
            ASSERT_TRUE(p->NextWhere([&](const Received& r) { return IsDestroyOf(r, stopped.id()); }, 10s));
        stopped.signal().Release();

        ASSERT_TRUE(stopped.NextWhere([&](const Received& r) { return IsData(r, sender.id(), "stop"); }));
        auto first = stopped.Next();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->from, 0u);
        EXPECT_EQ(first->type, static_cast<uint32_t>(DPSYS_SESSIONLOST));
        EXPECT_FALSE(stopped.NextSystem(DPSYS_HOST, kKeepAlive * 3));
        EXPECT_EQ(stopped.Send(sender.id(), "back"), DPERR_CONNECTIONLOST);

        ASSERT_EQ(others[0]->Send(others[1]->id(), "on"), DP_OK);
        ASSERT_EQ(others[1]->Send(others[0]->id(), "and on"), DP_OK);
        EXPECT_TRUE(
            others[1]->NextWhere([&](const Received& r) { return IsData(r, others[0]->id(), "on"); }));
        EXPECT_TRUE(
            others[0]->NextWhere([&](const Received& r) { return IsData(r, others[1]->id(), "and on"); }));
    }
}

// The host crashes and its heir dies too, having accepted only one of the two
// others back: the one it never told that the host's player is gone hears of
// it on rejoining the next host, and the two go on.
TEST(SessionService, APeerThatMissedNewsWhileTwoHostsDiedHearsItOnRejoining) {
    Peer host(1, 1s), older(2, 1s), middle(3, 1s);
    host.HostWithPlayer("h");
    older.JoinWithPlayer(TestAddress(1), "o");
    middle.JoinWithPlayer(TestAddress(1), "m");
    auto heirPort = std::make_unique<RawListener>(TestAddress(4));
    RawClient heir(TestAddress(4), TestAddress(1), host.options().port);
    DPID heirPlayer = heir.JoinWithPlayer("d", heirPort->port());
    ASSERT_NE(heirPlayer, 0u);
    for (Peer* p : {&older, &middle})
        ASSERT_TRUE(p->NextWhere([&](const Received& r) {
            return r.type == DPSYS_CREATEPLAYERORGROUP && r.player == heirPlayer;
        }));
    host.dp()->Abort();

    std::map<std::string, std::unique_ptr<RawClient>> rejoins;  // by the rejoining node's address
    while (rejoins.size() < 2) {
        auto link = heirPort->Accept(3s);
        ASSERT_TRUE(link);
        auto body = link->ReadFrame(FrameType::kRejoin);
        ASSERT_TRUE(body);
        WireReader r(body->data(), body->size());
        r.U8();
        rejoins[heir.nodes().at(r.U32()).address] = std::move(link);
    }
    NodeMap nodes = heir.nodes();
    PlayerMap players = heir.players();
    nodes.erase(players.at(host.id()).node);
    players.erase(host.id());
    WireWriter accepted(FrameType::kRejoinOk);
    WriteRoster(accepted, nodes, players, TestAddress(4));
    RawClient& middleLink = *rejoins.at(TestAddress(3));
    middleLink.SendBytes(WireWriter(FrameType::kPlayerDestroyed).U32(host.id()).Finish());
    middleLink.SendBytes(accepted.Finish());
    ASSERT_TRUE(middle.NextWhere([&](const Received& r) { return IsDestroyOf(r, host.id()); }));
    rejoins.clear();
    heirPort.reset();

    EXPECT_TRUE(middle.NextSystem(DPSYS_HOST));
    EXPECT_TRUE(older.NextWhere([&](const Received& r) { return IsDestroyOf(r, host.id()); }));
    for (Peer* p : {&older, &middle}) {
        std::set<DPID> ids;
        for (const PlayerEntry& e : p->Players()) ids.insert(e.id);
        EXPECT_EQ(ids, (std::set<DPID>{older.id(), middle.id()}));
    }
    ASSERT_EQ(older.Send(middle.id(), "still here"), DP_OK);
    EXPECT_TRUE(middle.NextWhere([&](const Received& r) { return IsData(r, older.id(), "still here"); }));
}

// Where the successor's port refuses, that node is gone too: the next one
// takes its place at once.
TEST(SessionService, AfterAHostCrashASuccessorWhereNothingListensIsPassedOver) {
    Peer host(1, 3s), older(2, 3s);
    host.HostWithPlayer("h");
    older.JoinWithPlayer(TestAddress(1), "o");
    RawClient latest(TestAddress(3), TestAddress(1), host.options().port);
    DPID unreachable = latest.JoinWithPlayer("l");
    ASSERT_NE(unreachable, 0u);
    ASSERT_TRUE(older.NextWhere(
        [&](const Received& r) { return r.type == DPSYS_CREATEPLAYERORGROUP && r.player == unreachable; }));
    host.dp()->Abort();
    // Well before the keep-alive time: the unreachable node is not waited for.
    EXPECT_TRUE(older.NextSystem(DPSYS_HOST, 2s));
    ASSERT_EQ(older.Players().size(), 1u);
    EXPECT_EQ(older.Players()[0].id, older.id());
}

TEST(SessionService, ClosingWhileTheHostChangesReturnsAtOnce) {
    Peer host(1), older(2);  // long keep-alive: the search for the successor would take seconds
    host.HostWithPlayer("h");
    older.JoinWithPlayer(TestAddress(1), "o");
    RawClient latest(TestAddress(3), TestAddress(1), host.options().port);
    ASSERT_NE(latest.JoinWithPlayer("l"), 0u);
    host.dp()->Abort();
    std::this_thread::sleep_for(100ms);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(older.dp()->Close(), DP_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

TEST(SessionService, AfterAHostCrashASuccessorThatNobodyRejoinsLosesTheSession) {
    Peer host(1, 300ms);
    host.HostWithPlayer("h");
    RawClient older(TestAddress(2), TestAddress(1), host.options().port);  // never rejoins
    ASSERT_NE(older.JoinWithPlayer("o"), 0u);
    Peer latest(3, 300ms);
    latest.JoinWithPlayer(TestAddress(1), "l");
    host.dp()->Abort();
    EXPECT_TRUE(latest.NextSystem(DPSYS_HOST));
    EXPECT_TRUE(latest.NextSystem(DPSYS_SESSIONLOST, 3s));
}

TEST(SessionService, OnlyTheHostDestroysAnotherNodesPlayerAndItsOwnerGetsSessionLost) {
    struct Case {
        const char* what;
        int by, target;  // 0 the host, 1 and 2 guests (2 joined last)
        HRESULT result;
    } cases[] = {{"a guest, by the host", 0, 2, DP_OK},
                 {"a guest, by another guest", 1, 2, DPERR_ACCESSDENIED},
                 {"the host, by a guest", 1, 0, DPERR_ACCESSDENIED}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Peer peers[] = {Peer(1), Peer(2), Peer(3)};
        peers[0].HostWithPlayer("p0");
        peers[1].JoinWithPlayer(TestAddress(1), "p1");
        peers[2].JoinWithPlayer(TestAddress(1), "p2");
        ASSERT_TRUE(peers[1].NextSystem(DPSYS_CREATEPLAYERORGROUP));  // guest 1 knows guest 2
        DPID target = peers[c.target].id();
        ASSERT_EQ(peers[c.by].dp()->DestroyPlayer(target), c.result);
        if (c.result != DP_OK) {
            // Nobody is gone: a message from the target still reaches everyone.
            ASSERT_EQ(peers[c.target].Send(DPID_ALLPLAYERS, "still here"), DP_OK);
            for (int i = 0; i < 3; ++i) {
                if (i == c.target) continue;
                EXPECT_TRUE(
                    peers[i].NextWhere([&](const Received& r) { return IsData(r, target, "still here"); }));
                EXPECT_EQ(peers[i].Players().size(), 3u);
            }
            continue;
        }
        EXPECT_TRUE(peers[c.target].NextSystem(DPSYS_SESSIONLOST));
        std::vector<Peer*> rest;
        for (int i = 0; i < 3; ++i)
            if (i != c.target) rest.push_back(&peers[i]);
        for (Peer* p : rest) {
            EXPECT_TRUE(p->NextWhere([&](const Received& r) { return IsDestroyOf(r, target); }));
            EXPECT_EQ(p->Players().size(), 2u);
        }
        ASSERT_EQ(rest[0]->Send(rest[1]->id(), "on"), DP_OK);
        EXPECT_TRUE(rest[1]->NextWhere([&](const Received& r) { return IsData(r, rest[0]->id(), "on"); }));
    }
}

// A bare client that read the ids from its join reply asks the host to destroy
// players of other nodes, the host's own first: the host ignores it.
TEST(SessionService, ABareClientCannotDestroyOtherNodesPlayers) {
    Peer host(1), guest(2);
    host.HostWithPlayer("h");
    guest.JoinWithPlayer(TestAddress(1), "g");
    RawClient bad(TestAddress(3), TestAddress(1), host.options().port);
    DPID own = bad.JoinWithPlayer("bad");
    ASSERT_NE(own, 0u);
    for (DPID victim : {host.id(), guest.id()})
        bad.SendBytes(WireWriter(FrameType::kDestroyPlayer).U32(victim).Finish());
    // Its own player it may destroy; that notice comes after the refused requests.
    bad.SendBytes(WireWriter(FrameType::kDestroyPlayer).U32(own).Finish());
    for (Peer* p : {&host, &guest}) {
        auto destroy = p->NextSystem(DPSYS_DESTROYPLAYERORGROUP);
        ASSERT_TRUE(destroy);
        EXPECT_EQ(destroy->player, own);
        EXPECT_EQ(p->Players().size(), 2u);
    }
    ASSERT_EQ(guest.Send(host.id(), "alive"), DP_OK);
    EXPECT_TRUE(host.NextWhere([&](const Received& r) { return IsData(r, guest.id(), "alive"); }));
}

TEST(SessionService, AnOversizedOrMalformedFrameClosesOnlyItsLink) {
    struct Case {
        const char* what;
        bool joined;
        std::vector<uint8_t> bytes;
    };
    auto frame = [](std::vector<uint8_t> body) {
        std::vector<uint8_t> f(4);
        uint32_t n = static_cast<uint32_t>(body.size());
        std::memcpy(f.data(), &n, 4);
        f.insert(f.end(), body.begin(), body.end());
        return f;
    };
    std::vector<uint8_t> oversized(4);
    uint32_t tooBig = 64 * 1024 + 1;
    std::memcpy(oversized.data(), &tooBig, 4);
    Case cases[] = {
        {"oversized length", true, oversized},
        {"empty frame", true, {0, 0, 0, 0}},
        {"unknown type", true, frame({0xEE, 1, 2, 3})},
        {"truncated data frame", true, frame({static_cast<uint8_t>(FrameType::kData), 1, 2, 3})},
        {"second join", true, WireWriter(FrameType::kJoin).Guid(kApp).Guid({}).U16(1).Finish()},
        {"garbage before joining", false, {1, 0, 0, 0, 0x7F}},
    };
    auto options = [](int n) {
        auto o = TestOptions(n);
        o.maxFrameSize = 64 * 1024;
        return o;
    };
    Peer host(options(1)), good(options(2));
    host.HostWithPlayer("h");
    good.JoinWithPlayer(TestAddress(1), "g");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient bad(TestAddress(3), TestAddress(1), host.options().port);
        DPID player = 0;
        if (c.joined) {
            player = bad.JoinWithPlayer("bad");
            ASSERT_NE(player, 0u);
        }
        bad.SendBytes(c.bytes);
        EXPECT_TRUE(bad.ClosedByHost(2s));
        if (c.joined) {
            EXPECT_TRUE(host.NextWhere([&](const Received& r) { return IsDestroyOf(r, player); }));
        }
        ASSERT_EQ(host.Send(good.id(), c.what), DP_OK);
        EXPECT_TRUE(good.NextWhere([&](const Received& r) { return IsData(r, host.id(), c.what); }));
        EXPECT_EQ(host.Players().size(), 2u);
    }
}

}  // namespace
}  // namespace kordalt::dplay::test
