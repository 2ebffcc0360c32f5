// The network game as one object with no window: the session's events reach
// its observer, a message goes through its own queue and dispatch, and a
// player who leaves hands his states to the computer. Anna's peer is the
// object's; Boris is a bare session component.
#include "multiplayer/network_game.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/play_mode.h"
#include "multiplayer/net_codes.h"
#include "net_test_support.h"
#include "session/peer_play_qt.h"
#include "session/peer_test_support.h"
#include "silent_lobby.h"

namespace kordalt {
namespace {

class RecordingSession final : public INetSessionUi {
public:
    void SessionOpened() override { roles.push_back(PlayMode.GameMode); }
    void SessionClosed() override { ++closed; }
    void PlayerJoined(const TPeerPlayPlayer&) override {}
    void PlayerLeft(const TPeerPlayPlayer& player) override {
        left.push_back(player.Name);
        secondStateHolder = Game.mGos[2].Player;
    }
    void ShowNetError(const std::string& text) override { errors.push_back(text); }

    std::vector<uint8_t> roles;  // GameMode at each opening
    std::vector<std::string> left, errors;
    uint32_t secondStateHolder = 0;  // when a leaver was reported
    int closed = 0;
};

class ChatOnlyLobby final : public test::SilentLobby {
public:
    void ShowChatMessage(const std::string& name, const std::string& text, uint32_t) override {
        lines.push_back(name + ": " + text);
    }

    std::vector<std::string> lines;
};

class NoSendUi final : public INetSendUi {
public:
    void ShowSendingNotice(bool) override {}
    void ServerNotFound() override {}
};

class NetworkGameObject : public NetGame {
protected:
    NetworkGameObject() { PlayMode.GameMode = kLocalGame; }
    // Anna creates the session, or joins Boris's.
    void Open(bool annaCreates) {
        auto openBoris = [&] {
            boris->SetGUID(test::kGameGuid);
            boris->SetProviderName("TCP/IP");
            boris->OpenSession(!annaCreates, "object", "boris");
        };
        if (!annaCreates) openBoris();
        Anna().SetProviderName("TCP/IP");
        Anna().OpenSession(annaCreates, "object", "anna");
        if (annaCreates) openBoris();
        ASSERT_TRUE(
            test::WaitFor([&] { return Anna().Players().Count() == 2 && boris->Players().Count() == 2; }));
    }
    TCustomPeerPlay& Anna() { return anna->Peer(); }
    uint32_t BorisId() const { return boris->LocalPlayer()->ID; }

    test::MemoryService service;
    RecordingSession session;
    ChatOnlyLobby lobby;
    NoSendUi send;
    std::unique_ptr<TNetworkGame> anna =
        std::make_unique<TNetworkGame>(std::make_unique<TPeerPlay>(nullptr, service), session, lobby, send);
    std::unique_ptr<TPeerPlay> boris = std::make_unique<TPeerPlay>(nullptr, service);
};

TEST_F(NetworkGameObject, OpeningSetsThisPeersRoleBeforeTheLobbyIsTold) {
    struct Case {
        bool annaCreates;
        uint8_t role;
    };
    for (const Case& c : {Case{true, kServer}, Case{false, kNetworkClient}}) {
        SCOPED_TRACE(c.annaCreates ? "creates" : "joins");
        Open(c.annaCreates);
        EXPECT_EQ(session.roles, std::vector<uint8_t>{c.role});
        EXPECT_EQ(Net.ServerLost, 0);
        anna.reset();
        boris->Close();
        session = RecordingSession{};
        PlayMode.GameMode = kLocalGame;
        anna = std::make_unique<TNetworkGame>(std::make_unique<TPeerPlay>(nullptr, service), session, lobby,
                                              send);
    }
}

TEST_F(NetworkGameObject, AChatLineGoesThroughItsQueueToTheLobby) {
    Open(true);
    SendAllMessage(*boris, "hello", clBlack);
    EXPECT_TRUE(test::WaitFor([&] { return lobby.lines == std::vector<std::string>{"boris: hello"}; }));
    EXPECT_EQ(anna->Queue().Count(), 0u);
}

TEST_F(NetworkGameObject, TheFirstDamagedEnvelopeOfASenderIsShown) {
    Open(true);
    // A compressed envelope whose contents are not compressed data.
    const uint32_t damaged[3] = {dx_Compressed, 0xffffffff, 0x01020304};
    boris->SendMessage(0, damaged, sizeof damaged);
    boris->SendMessage(0, damaged, sizeof damaged);
    SendAllMessage(*boris, "after", clBlack);
    ASSERT_TRUE(test::WaitFor([&] { return !lobby.lines.empty(); }));
    EXPECT_EQ(session.errors.size(), 1u);
}

TEST_F(NetworkGameObject, ALeaverIsReportedThenHisStatesGoToTheComputer) {
    Open(true);
    Game.mGos[2].Player = BorisId();
    Game.mGos[3].Player = BorisId();
    const uint32_t borisId = BorisId();
    boris->Close();
    ASSERT_TRUE(test::WaitFor([&] { return !session.left.empty(); }));
    EXPECT_EQ(session.left, std::vector<std::string>{"boris"});
    EXPECT_EQ(session.secondStateHolder, borisId);
    EXPECT_EQ(Game.mGos[2].Player, 0u);
    EXPECT_EQ(Game.mGos[3].Player, 0u);
    EXPECT_EQ(Game.mGos[1].Player, 101u);
}

TEST_F(NetworkGameObject, DestroyingItLeavesTheSessionWithoutTellingTheLobby) {
    Open(true);
    anna.reset();
    EXPECT_TRUE(test::WaitFor([&] { return boris->Players().Count() == 1; }));
    EXPECT_EQ(session.closed, 0);
}

}  // namespace
}  // namespace kordalt
