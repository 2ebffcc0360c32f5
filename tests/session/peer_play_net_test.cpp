// The session component over the real service library, loaded by name from
// the program folder, with every peer on its own loopback address.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "peer_test_support.h"
#include "platform/program_path.h"
#include "session/peer_consts.h"
#include "session/peer_play_qt.h"

namespace kordalt::test {
namespace {

constexpr uint16_t kPort = 23653;

class PeerPlayNet : public ::testing::Test {
protected:
    // A peer whose service binds to loopback address n; guests ask the host at address 1.
    std::unique_ptr<TPeerPlay> Connect(int n) {
        auto peer = std::make_unique<TPeerPlay>();
        peer->SetGUID(kGameGuid);
        peer->MaxPlayers = 20;
        peer->TCPIPSetting = {true, n == 1 ? "" : TestAddress(1), kPort};
        setenv("KORDALT_DPLAY_BIND", TestAddress(n).c_str(), 1);  // read when the session object is made
        peer->SetProviderName("TCP/IP");
        return peer;
    }
    void TearDown() override { unsetenv("KORDALT_DPLAY_BIND"); }

    ScopedProgramFileName program{std::string(KORDALT_BIN_DIR) + "/kordalt"};
    ShownErrors shown;
};

TEST_F(PeerPlayNet, PlayersJoinTalkInOrderAndLeave) {
    auto host = Connect(1);
    Recorder atHost(*host);
    host->OpenSession(true, "Net game", "anna");
    ASSERT_TRUE(host->IsHost());

    auto boris = Connect(2), clara = Connect(3);
    Recorder atBoris(*boris), atClara(*clara);
    ASSERT_EQ(boris->Sessions().Count(), 1);
    EXPECT_EQ(boris->Sessions().Name(0), "Net game");
    boris->OpenSession(false, "net GAME", "boris");
    clara->OpenSession(false, "Net game", "clara");
    EXPECT_FALSE(clara->IsHost());
    EXPECT_EQ(clara->Players().Count(), 3);
    ASSERT_TRUE(WaitFor([&] { return host->Players().Count() == 3 && boris->Players().Count() == 3; }, 10s));
    EXPECT_EQ(atHost.events, (std::vector<std::string>{"open", "add anna", "add boris", "add clara"}));
    EXPECT_EQ(atBoris.events, (std::vector<std::string>{"open", "add boris", "add clara"}));

    std::vector<std::string> fromBoris, fromClara;
    for (int i = 0; i < 100; ++i) {
        fromBoris.push_back("b" + std::to_string(i) + "..." +
                            std::string(static_cast<size_t>(i) * 1000, 'b'));
        fromClara.push_back("c" + std::to_string(i) + "...");
        Send(*boris, host->LocalPlayer()->ID, fromBoris.back());
        Send(*clara, host->LocalPlayer()->ID, fromClara.back());
    }
    ASSERT_TRUE(WaitFor([&] { return atHost.messages.size() == 200; }, 10s));
    std::vector<std::string> gotBoris, gotClara;
    for (const std::string& m : atHost.messages) (m[0] == 'b' ? gotBoris : gotClara).push_back(m);
    EXPECT_EQ(gotBoris, fromBoris);
    EXPECT_EQ(gotClara, fromClara);

    Send(*host, 0, "to everyone");
    ASSERT_TRUE(WaitFor([&] { return !atBoris.messages.empty() && !atClara.messages.empty(); }, 10s));
    EXPECT_EQ(atBoris.events.back(), "msg anna to everyone");
    EXPECT_EQ(atClara.events.back(), "msg anna to everyone");
    EXPECT_EQ(atHost.messages.size(), 200u);  // not back to the sender
    EXPECT_TRUE(atHost.onUiThread && atBoris.onUiThread && atClara.onUiThread);

    boris->Close();
    ASSERT_TRUE(WaitFor([&] { return host->Players().Count() == 2 && clara->Players().Count() == 2; }, 10s));
    EXPECT_EQ(atHost.events.back(), "delete boris");
    EXPECT_EQ(atClara.events.back(), "delete boris");

    host->Close();  // the last joiner takes over
    ASSERT_TRUE(WaitFor([&] { return clara->IsHost() && clara->Players().Count() == 1; }, 10s));
    EXPECT_TRUE(clara->Opened());
    EXPECT_TRUE(shown.texts.empty());
}

TEST_F(PeerPlayNet, JoiningAnAbsentHostFindsNoSession) {
    auto guest = Connect(2);
    EXPECT_EQ(guest->Sessions().Count(), 0);
    try {
        guest->OpenSession(false, "Net game", "boris");
        ADD_FAILURE() << "joined nothing";
    } catch (const EPeerPlayError& e) {
        EXPECT_STREQ(e.what(), "Session 'Net game' not found");
    }
    EXPECT_FALSE(guest->Opened());
}

}  // namespace
}  // namespace kordalt::test
