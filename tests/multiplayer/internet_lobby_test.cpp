// The lobby of an Internet game tells the game-listing server (on loopback)
// who is in the game, asks it before dropping a player, and removes the game
// when the server closes it.
#include <gtest/gtest.h>

#include "game/new_game.h"
#include "game/self_test.h"
#include "game/support.h"
#include "multiplayer/web_protocol.h"
#include "session/peer_test_support.h"
#include "ui/connect.h"
#include "ui/internet_games.h"
#include "web_test_support.h"

namespace kordalt {
namespace {

// The listed game, made before any lobby opens.
struct ListedGame {
    explicit ListedGame(test::RunningListingServer& server) : server(server) {
        InternetServer = server.Url;
        IsInternetGame = true;
        NewGUID(NetGameGUID);
        server.Server.Answer(PlayerNewRequest("anna", "secret"));
        EXPECT_EQ(server.Server.Answer(GameCreateRequest("net", Id(), "127.0.0.1", "anna", "secret", "Russian")), "ok");
    }
    ~ListedGame() {
        IsInternetGame = false;
        InternetServer.clear();
        GameMode = kLocalGame;
    }
    std::string Id() const { return GUIDToStr(NetGameGUID); }
    std::string Users() { return server.Server.Answer(GameUserListRequest(Id())); }
    bool Listed() { return server.Server.Answer(GameListRequest()).find(Id()) != std::string::npos; }

    test::RunningListingServer& server;
};

class InternetLobby : public ::testing::Test {
protected:
    std::unique_ptr<TConnect> Open(const std::string& name, bool create) {
        auto lobby = std::make_unique<TConnect>(nullptr, service);
        lobby->PeerPlay1->SetGUID(test::kGameGuid);
        lobby->PeerPlay1->SetProviderName("TCP/IP");
        lobby->PeerPlay1->OpenSession(create, "net", name);
        return lobby;
    }
    bool UsersAre(const std::string& expected) {
        return test::WaitFor([&] { return game.Users() == expected; });
    }

    test::RunningListingServer server;
    ListedGame game{server};
    test::MemoryService service;
};

TEST_F(InternetLobby, TheListingServerFollowsThePlayersAndTheGame) {
    auto anna = Open("anna", true);
    ASSERT_TRUE(UsersAre("1;anna;0.0~"));
    // Every peer lists its own player.
    auto boris = Open("boris", false);
    ASSERT_TRUE(UsersAre("1;anna;0.0~2;boris;0.0~"));
    GameMode = 1;  // anna's view: she is the server
    EXPECT_TRUE(anna->CanBreakPlayer("boris"));
    EXPECT_FALSE(anna->CanBreakPlayer("clara"));
    boris.reset();
    EXPECT_TRUE(UsersAre("1;anna;0.0~"));
    EXPECT_TRUE(game.Listed());
    anna->reject();  // the server closes the lobby, and with it the game
    EXPECT_TRUE(test::WaitFor([&] { return !game.Listed(); }));
}

}  // namespace
}  // namespace kordalt
