// The session component over the in-memory session service: providers,
// sessions, players, events and the message path through the receive thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <memory>

#include "controls/classic.h"
#include "peer_test_support.h"
#include "platform/cp1251.h"
#include "session/lobby_launch.h"
#include "session/peer_consts.h"
#include "session/peer_play_qt.h"

namespace kordalt::test {
namespace {

using namespace dplay;

class PeerPlay : public ::testing::Test {
protected:
    std::unique_ptr<TPeerPlay> Make() {
        auto peer = std::make_unique<TPeerPlay>(nullptr, service);
        peer->SetGUID(kGameGuid);
        peer->MaxPlayers = 20;
        return peer;
    }
    void Host(TCustomPeerPlay& peer, const std::string& session, const std::string& player) {
        peer.SetProviderName("TCP/IP");
        peer.OpenSession(true, session, player);
    }
    void Join(TCustomPeerPlay& peer, const std::string& session, const std::string& player) {
        peer.SetProviderName("TCP/IP");
        peer.OpenSession(false, session, player);
    }

    MemoryService service;
    ShownErrors shown;
};

template <class F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const EPeerPlayError& e) {
        return e.what();
    } catch (const EAbort&) {
        return "abort";
    }
    return "none";
}

TEST_F(PeerPlay, GuidTextIsNormalised) {
    auto peer = Make();
    peer->SetGUID("");
    EXPECT_EQ(peer->GetGUID(), "{00000000-0000-0000-0000-000000000000}");
    peer->SetGUID("{0a1b2c3d-4e5f-6a7b-8c9d-aebfc0d1e2f3}");
    EXPECT_EQ(peer->GetGUID(), "{0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3}");
    for (const char* bad :
         {"{0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F}", "0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3",
          "{0A1B2C3D-4E5F-6A7B-8C9DXAEBFC0D1E2F3}", "{0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2FG}"}) {
        EXPECT_EQ(ErrorOf([&] { peer->SetGUID(bad); }), "Invalid class string") << bad;
        EXPECT_EQ(peer->GetGUID(), "{0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3}");
    }
    const GUID g = ParseGuid(kGameGuid);
    EXPECT_EQ(g.D4[2], 0x12);
    EXPECT_EQ(g.D4[3], 0x30);
    EXPECT_EQ(GUIDToStr(g, GuidForm::kBraced), kGameGuid);
}

TEST_F(PeerPlay, WithoutProviderEverySessionOperationSaysNotConnected) {
    auto peer = Make();
    EXPECT_EQ(ErrorOf([&] { peer->OpenSession(true, "game", "anna"); }), SNotConnected);
    EXPECT_EQ(ErrorOf([&] { peer->Sessions(); }), SNotConnected);
    EXPECT_FALSE(peer->Opened());
    peer->Close();  // closed already: nothing happens
    peer->Close();
}

TEST_F(PeerPlay, ProviderIsFoundIgnoringCaseAndAnUnknownOneIsRefused) {
    auto peer = Make();
    ASSERT_EQ(peer->Providers().Count(), 2);
    peer->SetProviderName("tcp/ip");
    EXPECT_EQ(peer->ProviderName(), "tcp/ip");
    EXPECT_NE(peer->DirectPlay(), nullptr);
    EXPECT_EQ(ErrorOf([&] { peer->SetProviderName("IPX"); }), "Provider 'IPX' not found");
    EXPECT_EQ(peer->ProviderName(), "");
    EXPECT_EQ(peer->DirectPlay(), nullptr);
}

TEST_F(PeerPlay, AddressHoldsTheTcpElementsOnlyWhenEnabledAndSet) {
    struct Case {
        bool enabled;
        std::string host;
        uint16_t port;
        std::vector<GUID> elements;
    } cases[] = {
        {false, "10.0.0.1", 2300, {DPAID_ServiceProvider}},
        {true, "", 0, {DPAID_ServiceProvider}},
        {true, "10.0.0.1", 0, {DPAID_ServiceProvider, DPAID_INet}},
        {true, "", 2300, {DPAID_ServiceProvider, DPAID_INetPort}},
        {true, "10.0.0.1", 2300, {DPAID_ServiceProvider, DPAID_INet, DPAID_INetPort}},
    };
    auto peer = Make();
    for (const Case& c : cases) {
        peer->TCPIPSetting = {c.enabled, c.host, c.port};
        peer->ModemSetting = {true, "555", "modem"};  // not the chosen provider
        peer->SetProviderName("TCP/IP");
        EXPECT_TRUE(service.lastElements == c.elements) << c.enabled << " '" << c.host << "' " << c.port;
    }
}

TEST_F(PeerPlay, SessionObjectThatCannotBeMadeOrBoundLeavesNoProvider) {
    auto peer = Make();
    struct Case {
        const char* what;
        std::function<void()> breakService;
    } cases[] = {
        {"no lobby object", [&] { service.failLobby = true; }},
        {"no session object", [&] { service.failCreate = true; }},
        {"already bound", [&] { service.nextObject = service.network.CreateDirectPlay("127.0.0.1", true); }},
    };
    for (const Case& c : cases) {
        service.failLobby = service.failCreate = false;
        c.breakService();
        EXPECT_EQ(ErrorOf([&] { peer->SetProviderName("TCP/IP"); }), "DirectPlay cannot be initialized")
            << c.what;
        EXPECT_EQ(peer->ProviderName(), "") << c.what;
        EXPECT_EQ(peer->DirectPlay(), nullptr) << c.what;
    }
}

TEST_F(PeerPlay, CreateAndJoinGiveEachSideThePlayersAndTheEventsInOrder) {
    auto host = Make(), guest = Make();
    Recorder atHost(*host), atGuest(*guest);
    Host(*host, "Game", "anna");
    EXPECT_TRUE(host->Opened());
    EXPECT_TRUE(host->IsHost());
    EXPECT_EQ(host->SessionName(), "Game");
    EXPECT_EQ(atHost.events, (std::vector<std::string>{"open", "add anna"}));

    guest->SetProviderName("TCP/IP");
    ASSERT_EQ(guest->Sessions().Count(), 1);
    EXPECT_EQ(guest->Sessions().Name(0), "Game");
    guest->OpenSession(false, "GAME", "boris");  // names compared ignoring case
    EXPECT_FALSE(guest->IsHost());
    EXPECT_EQ(guest->SessionName(), "GAME");
    ASSERT_EQ(guest->Players().Count(), 2);
    EXPECT_EQ(guest->LocalPlayer(), &guest->Players().GetItem(0));
    EXPECT_FALSE(guest->LocalPlayer()->Remote);
    const TPeerPlayPlayer& anna = guest->Players().GetItem(1);
    EXPECT_EQ(anna.Name, "anna");
    EXPECT_TRUE(anna.Remote);
    EXPECT_EQ(anna.ID, host->LocalPlayer()->ID);
    EXPECT_EQ(atGuest.events, (std::vector<std::string>{"open", "add boris"}));  // no event for anna

    ASSERT_TRUE(WaitFor([&] { return host->Players().Count() == 2; }));
    EXPECT_EQ(atHost.events.back(), "add boris");
    EXPECT_EQ(host->Players().Find(guest->LocalPlayer()->ID).Name, "boris");
    EXPECT_TRUE(atHost.onUiThread);

    guest->Close();
    EXPECT_EQ(atGuest.events.back(), "close");
    EXPECT_FALSE(guest->Opened());
    EXPECT_EQ(guest->LocalPlayer(), nullptr);
    EXPECT_EQ(guest->Players().Count(), 0);
    EXPECT_EQ(guest->ProviderName(), "");
    ASSERT_TRUE(WaitFor([&] { return host->Players().Count() == 1; }));
    EXPECT_EQ(atHost.events.back(), "delete boris");
    guest->Close();
    EXPECT_EQ(std::count(atGuest.events.begin(), atGuest.events.end(), "close"), 1);
}

TEST_F(PeerPlay, OpeningRefusesWhatCannotBeOpened) {
    auto host = Make(), guest = Make();
    host->MaxPlayers = 1;
    Host(*host, "full", "anna");
    guest->SetProviderName("TCP/IP");
    struct Case {
        bool create;
        std::string session, player, error;
    } cases[] = {
        {false, "nothing", "boris", "Session 'nothing' not found"},
        {false, "", "boris", SNoSessionName},
        {true, "new", "", SNoPlayerName},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf([&] { guest->OpenSession(c.create, c.session, c.player); }), c.error) << c.session;
        EXPECT_FALSE(guest->Opened());
    }
    // A full session is not listed as available: joining it by name finds nothing.
    EXPECT_EQ(ErrorOf([&] { guest->OpenSession(false, "full", "boris"); }), "Session 'full' not found");
}

TEST_F(PeerPlay, JoiningASessionThatWentAwayCannotBeOpened) {
    auto host = Make(), guest = Make();
    Host(*host, "short", "anna");
    guest->SetProviderName("TCP/IP");
    ASSERT_EQ(guest->Sessions().Count(), 1);
    host->Close();
    EXPECT_EQ(ErrorOf([&] { guest->OpenSession(false, "short", "boris"); }),
              "Session short cannot be opened");
    EXPECT_FALSE(guest->Opened());
}

TEST_F(PeerPlay, SendingChecksTheFormAndReachesTheAddressees) {
    auto a = Make(), b = Make(), c = Make();
    Recorder ra(*a), rb(*b), rc(*c);
    Host(*a, "g", "a");
    Join(*b, "g", "b");
    Join(*c, "g", "c");
    ASSERT_TRUE(WaitFor([&] { return a->Players().Count() == 3 && b->Players().Count() == 3; }));

    EXPECT_EQ(ErrorOf([&] { Send(*a, 0, "abc"); }), SIllegalMessage);
    ra.messages.clear();
    bool returned = false;
    a->OnMessage = [&](TCustomPeerPlay&, TPeerPlayPlayer& from, const void* data, int32_t size) {
        EXPECT_FALSE(returned);
        EXPECT_EQ(&from, a->LocalPlayer());
        ra.messages.push_back(Text(data, size));
    };
    Send(*a, a->LocalPlayer()->ID, "self");
    returned = true;
    EXPECT_EQ(ra.messages, std::vector<std::string>{"self"});

    Send(*a, 0, "all!");
    Send(*a, b->LocalPlayer()->ID, "to b");
    Send(*c, b->LocalPlayer()->ID, "from c");
    ASSERT_TRUE(WaitFor([&] { return rb.messages.size() == 3 && rc.messages.size() == 1; }));
    Pump();
    EXPECT_EQ(rb.messages, (std::vector<std::string>{"all!", "to b", "from c"}));
    EXPECT_EQ(rc.messages, std::vector<std::string>{"all!"});
    EXPECT_EQ(ra.messages, std::vector<std::string>{"self"});  // a send to all does not come back
    EXPECT_EQ(rb.events.back(), "msg c from c");

    a->Close();
    Send(*a, 0, "closed");  // nothing, no error
    Send(*a, 0, "");
}

TEST_F(PeerPlay, ManyMessagesOfManySizesArriveInOrder) {
    auto a = Make(), b = Make();
    Recorder rb(*b);
    Host(*a, "g", "a");
    Join(*b, "g", "b");
    std::vector<std::string> sent;
    for (int i = 0; i < 200; ++i) {
        sent.push_back("message " + std::to_string(i) + std::string(static_cast<size_t>(i * 37), 'x'));
        Send(*a, b->LocalPlayer()->ID, sent.back());
    }
    ASSERT_TRUE(WaitFor([&] { return rb.messages.size() == sent.size(); }));
    EXPECT_EQ(rb.messages, sent);
}

TEST_F(PeerPlay, LostSessionFiresLostThenCloseAndStopsTheThread) {
    auto a = Make(), b = Make();
    Recorder rb(*b);
    Host(*a, "g", "a");
    Join(*b, "g", "b");
    ASSERT_EQ(service.created.size(), 2u);
    service.network.CutOff(service.created[1]);
    ASSERT_TRUE(WaitFor([&] { return !b->Opened(); }));
    EXPECT_EQ(rb.events, (std::vector<std::string>{"open", "add b", "lost", "close"}));
    EXPECT_EQ(b->DirectPlay(), nullptr);
    // The stopped thread is joined when the component opens again.
    Join(*b, "g", "b2");
    EXPECT_TRUE(b->Opened());
    ASSERT_TRUE(WaitFor([&] { return a->Players().Count() == 2; }));
    EXPECT_EQ(a->Players().GetItem(1).Name, "b2");
}

TEST_F(PeerPlay, HostLeavingMakesTheLastJoinerHost) {
    auto a = Make(), b = Make(), c = Make();
    Host(*a, "g", "a");
    Join(*b, "g", "b");
    Join(*c, "g", "c");
    EXPECT_FALSE(c->IsHost());
    a->Close();
    ASSERT_TRUE(WaitFor([&] { return c->IsHost() && c->Players().Count() == 2; }));
    EXPECT_FALSE(b->IsHost());
}

TEST_F(PeerPlay, HandlerMayCloseTheSessionFromInsideTheReceive) {
    auto a = Make(), b = Make();
    Host(*a, "g", "a");
    Join(*b, "g", "b");
    int seen = 0;
    b->OnMessage = [&](TCustomPeerPlay& sender, TPeerPlayPlayer&, const void*, int32_t) {
        ++seen;
        sender.Close();
    };
    Send(*a, b->LocalPlayer()->ID, "one!");
    Send(*a, b->LocalPlayer()->ID, "two!");
    ASSERT_TRUE(WaitFor([&] { return !b->Opened(); }));
    Pump();
    EXPECT_EQ(seen, 1);  // nothing is taken after the close
    EXPECT_TRUE(shown.texts.empty());
    ASSERT_TRUE(WaitFor([&] { return a->Players().Count() == 1; }));
}

TEST_F(PeerPlay, CloseWithAWakeUpPendingDeliversNothingMore) {
    auto a = Make(), b = Make();
    Recorder rb(*b);
    Host(*a, "g", "a");
    Join(*b, "g", "b");
    for (int i = 0; i < 20; ++i) Send(*a, b->LocalPlayer()->ID, "late");
    b->Close();  // no event loop ran since the sends
    Pump(200ms);
    EXPECT_TRUE(rb.messages.empty());
    EXPECT_EQ(rb.events.back(), "close");
}

TEST_F(PeerPlay, DestroyingTheComponentWhileOpenClosesIt) {
    auto a = Make(), b = Make();
    Recorder ra(*a);
    Host(*a, "g", "a");
    Join(*b, "g", "b");
    ASSERT_TRUE(WaitFor([&] { return a->Players().Count() == 2; }));
    for (int i = 0; i < 5; ++i) Send(*a, b->LocalPlayer()->ID, "busy");
    b.reset();
    ASSERT_TRUE(WaitFor([&] { return a->Players().Count() == 1; }));
    EXPECT_EQ(ra.events.back(), "delete b");
}

TEST_F(PeerPlay, OpenWithoutLaunchShowsTheWizardAndItsCancelAborts) {
    auto peer = Make();
    Recorder r(*peer);
    int shownWizards = 0;
    SetPeerPlayWizard([&](TCustomPeerPlay& p, TPeerPlayWizardResult&) {
        ++shownWizards;
        EXPECT_EQ(&p, peer.get());
        return false;
    });
    EXPECT_EQ(ErrorOf([&] { peer->Open(); }), "abort");
    EXPECT_EQ(shownWizards, 1);
    EXPECT_FALSE(peer->Opened());
    EXPECT_TRUE(r.events.empty());

    SetPeerPlayWizard([&](TCustomPeerPlay& p, TPeerPlayWizardResult& result) {
        p.SetProviderName("TCP/IP");  // as the wizard would: a bound object with an open session
        IDirectPlay4A* object = p.DirectPlay();
        object->AddRef();
        DPSESSIONDESC2 desc{};
        desc.dwSize = sizeof desc;
        desc.guidApplication = ParseGuid(p.GetGUID());
        desc.lpszSessionNameA = "wizard game";
        EXPECT_EQ(object->Open(&desc, DPOPEN_CREATE), DP_OK);
        result = {object, "vera", "TCP/IP", "wizard game"};
        return true;
    });
    peer->Open();
    SetPeerPlayWizard(nullptr);
    EXPECT_TRUE(peer->Opened());
    EXPECT_EQ(peer->SessionName(), "wizard game");
    EXPECT_EQ(peer->ProviderName(), "TCP/IP");
    EXPECT_EQ(peer->LocalPlayer()->Name, "vera");
    EXPECT_EQ(r.events, (std::vector<std::string>{"open", "add vera"}));
}

TEST_F(PeerPlay, CommandLineLaunchCreatesAndJoinsWithoutTheWizard) {
    SetPeerPlayWizard([](TCustomPeerPlay&, TPeerPlayWizardResult&) -> bool {
        ADD_FAILURE() << "no wizard with a launch";
        return false;
    });
    auto host = Make(), guest = Make();
    SetLobbyLaunch(ParseLobbyLaunch({"kordalt", "--session-create", "cmd game", "--session-player", "anna"}));
    host->Open();
    SetLobbyLaunch(ParseLobbyLaunch({"kordalt", "--session-join", "CMD GAME", "--session-player", "boris"}));
    guest->Open();
    SetLobbyLaunch(std::nullopt);
    SetPeerPlayWizard(nullptr);
    EXPECT_TRUE(host->IsHost());
    EXPECT_EQ(host->SessionName(), "cmd game");
    EXPECT_EQ(guest->SessionName(), "CMD GAME");
    EXPECT_EQ(guest->Players().Count(), 2);
    EXPECT_EQ(guest->Players().GetItem(1).Name, "anna");
}

TEST(LobbyLaunch, CommandLineOptions) {
    struct Case {
        std::vector<std::string> args;
        std::optional<TLobbyLaunch> launch;
    } cases[] = {
        {{"kordalt"}, std::nullopt},
        {{"--session-create", "g", "--session-player", "anna"}, TLobbyLaunch{true, "g", "anna", "", 0}},
        {{"-x", "--session-join", "g", "--session-player", "b", "--session-host", "127.0.0.2",
          "--session-port", "2300"},
         TLobbyLaunch{false, "g", "b", "127.0.0.2", 2300}},
        {{"--session-join", "g"}, std::nullopt},  // no player
        {{"--session-create", "g", "--session-join", "g", "--session-player", "a"}, std::nullopt},  // both
        {{"--session-create", "g", "--session-player", "a", "--session-port", "65536"}, std::nullopt},
        {{"--session-create", "g", "--session-player", "a", "--session-port", "23x"}, std::nullopt},
        {{"--session-create", "g", "--session-player"}, std::nullopt},  // value missing
        {{"--session-create", "", "--session-player", "a"}, std::nullopt},
        {{"--session-create", "Игра", "--session-player", "Анна"},
         TLobbyLaunch{true, Cp("Игра"), Cp("Анна"), "", 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseLobbyLaunch(c.args), c.launch) << ::testing::PrintToString(c.args);
}

}  // namespace
}  // namespace kordalt::test
