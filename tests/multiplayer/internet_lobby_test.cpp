// The lobby of an Internet game tells the game-listing server (on loopback)
// who is in the game, asks it before dropping a player, and removes the game
// when the server closes it.
#include <gtest/gtest.h>

#include <QTextEdit>

#include "game/game_state.h"
#include "game/new_game.h"
#include "game/self_test.h"
#include "multiplayer/web_protocol.h"
#include "platform/guid.h"
#include "session/peer_test_support.h"
#include "ui/connect.h"
#include "ui/internet_games.h"
#include "ui/ui_support.h"
#include "web_test_support.h"

namespace kordalt {
namespace {

// The listed game, made before any lobby opens.
struct ListedGame {
    explicit ListedGame(test::RunningListingServer& server) : server(server) {
        InternetServer = server.Url;
        PlayMode.IsInternetGame = true;
        NewGUID(InternetChoice.NetGameGUID);
        server.Server.Answer(PlayerNewRequest("anna", "secret"));
        EXPECT_EQ(
            server.Server.Answer(GameCreateRequest("net", Id(), "127.0.0.1", "anna", "secret", "Russian")),
            "ok");
    }
    ~ListedGame() {
        PlayMode.IsInternetGame = false;
        InternetServer.clear();
        PlayMode.GameMode = kLocalGame;
    }
    std::string Id() const { return GUIDToStr(InternetChoice.NetGameGUID); }
    std::string Users() { return server.Server.Answer(GameUserListRequest(Id())); }
    bool Listed() { return server.Server.Answer(GameListRequest()).find(Id()) != std::string::npos; }

    test::RunningListingServer& server;
};

class InternetLobby : public ::testing::Test {
protected:
    ~InternetLobby() override { Game = GameState{}; }
    // A lobby whose session object has the Internet address `address`.
    std::unique_ptr<TConnect> Open(const std::string& name, bool create, const std::string& address) {
        auto lobby = std::make_unique<TConnect>(nullptr, service);
        service.nextObject = service.network.CreateDirectPlay(address, false);
        lobby->Session->SetProviderName("TCP/IP");
        lobby->Session->OpenSession(create, "net", name);
        return lobby;
    }
    bool UsersAre(const std::string& expected) {
        return test::WaitFor([&] { return game.Users() == expected; });
    }

    test::RunningListingServer server;
    ListedGame game{server};
    test::MemoryService service;
    std::vector<QString> shownBoxes;
    bool retry = false;
    std::function<void()> onBox;  // looks at the lobbies while a box shows
    ScopedMessageBoxHook boxes{[this](TMsgType, const QString& text) {
        shownBoxes.push_back(text);
        if (onBox) onBox();
        return retry ? TMsgButton::Yes : TMsgButton::No;
    }};
};

TEST_F(InternetLobby, TheListingServerFollowsThePlayersAndTheGame) {
    auto anna = Open("anna", true, "127.0.0.2");
    ASSERT_TRUE(UsersAre("1;anna;0.0~"));
    // Every peer lists its own player.
    auto boris = Open("boris", false, "127.0.0.3");
    ASSERT_TRUE(UsersAre("1;anna;0.0~2;boris;0.0~"));
    PlayMode.GameMode = kServer;  // anna's view: she is the server
    EXPECT_TRUE(anna->CanBreakPlayer("boris"));
    EXPECT_FALSE(anna->CanBreakPlayer("clara"));
    boris.reset();
    EXPECT_TRUE(UsersAre("1;anna;0.0~"));
    EXPECT_TRUE(game.Listed());
    anna->reject();  // the server closes the lobby, and with it the game
    EXPECT_TRUE(test::WaitFor([&] { return !game.Listed(); }));
}

TEST_F(InternetLobby, APlayerFromAnAddressAlreadyInTheGameIsToldAndLeaves) {
    auto anna = Open("anna", true, "127.0.0.2");
    ASSERT_TRUE(UsersAre("1;anna;0.0~"));  // the listing's order is the order its updates arrive in
    auto boris = Open("boris", false, "127.0.0.3");
    ASSERT_TRUE(UsersAre("1;anna;0.0~2;boris;0.0~"));
    EXPECT_FALSE(boris->Refused);
    EXPECT_TRUE(shownBoxes.empty());
    std::unique_ptr<TConnect> clara;
    // The refused player has left before he reads why: the others list him no more.
    bool leftBeforeTheBox = false;
    onBox = [&] {
        leftBeforeTheBox = clara && !clara->Session->Opened() &&
                           test::WaitFor([&] { return anna->Session->Players().Count() == 2; });
    };
    clara = Open("clara", false, "127.0.0.3");
    EXPECT_TRUE(clara->Refused);
    ASSERT_TRUE(test::WaitFor([&] { return !shownBoxes.empty(); }));
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0], QString::fromUtf8("IP адрес должен быть уникальным"));
    EXPECT_TRUE(leftBeforeTheBox);
    const QString notice = QString::fromUtf8("<clara> Некто пытается зайти под одинаковым IP адресом");
    EXPECT_TRUE(test::WaitFor([&] {
        return anna->ChatPane->toPlainText().contains(notice) &&
               boris->ChatPane->toPlainText().contains(notice) && !clara->Session->Opened() &&
               anna->Session->Players().Count() == 2;
    }));
    // The refused player never made it onto the listing.
    EXPECT_EQ(game.Users(), "1;anna;0.0~2;boris;0.0~");
}

// The server's end report reaches the listing server, which credits the winner;
// a failed report is offered again until the player declines.
TEST_F(InternetLobby, TheServerReportsTheGamesEnd) {
    auto anna = Open("anna", true, "127.0.0.2");
    ASSERT_TRUE(UsersAre("1;anna;0.0~"));
    server.Server.Answer(PlayerNewRequest("boris", "pw"));
    Game.GosCount = 3;
    auto setState = [](int s, const char* name, uint8_t alive) {
        Game.mGos[s].StartPlayerName.Assign(name);
        Game.mGos[s].PlayerName.Assign(name);
        Game.mGos[s].Alive = alive;
    };
    setState(1, "boris", 0);
    setState(2, "anna", 1);
    setState(3, "", 0);
    Game.mGos[2].DestroyedAsPlayer = 2;  // the computer's state and boris's
    Game.mGos[2].HumanVictimCount = 1;
    Game.mGos[2].HumanVictims[1] = 1;
    struct Case {
        uint8_t mode;
        bool serverUp;
        const char* anna;  // her rating afterwards
        size_t boxes;
    } cases[] = {{kNetworkClient, true, "0.0", 0}, {1, true, "1.0", 0}, {1, false, "1.0", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + (c.serverUp ? " up" : " down"));
        shownBoxes.clear();
        PlayMode.GameMode = c.mode;
        if (!c.serverUp) server.Server.Stop();
        anna->ReportGameEnd();
        EXPECT_EQ(shownBoxes.size(), c.boxes);
        EXPECT_NE(game.Users().find("anna;" + std::string(c.anna)), std::string::npos) << game.Users();
    }
    // Only one state alive: boris lost to anna, who is reported the winner.
    EXPECT_EQ(Game.mGos[2].Alive, 1);
}

}  // namespace
}  // namespace kordalt
