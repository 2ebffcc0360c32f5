// Every request kind through the client against the listing server on loopback.
#include <gtest/gtest.h>

#include <string>

#include "multiplayer/web_protocol.h"
#include "web_test_support.h"

namespace kordalt {
namespace {

const std::string kGameId = "0A1B2C3D-0000-4000-8000-000000000001";

class WebServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(listing_.Port, 0); }

    std::string Ask(const std::string& request) const {
        std::string reply = "stale";
        QueryServer(listing_.Url, request, reply);
        return reply;
    }
    std::vector<NetGameInfo> Games() const {
        std::vector<NetGameInfo> games;
        EXPECT_TRUE(ParseGameList(Ask(GameListRequest()), games));
        return games;
    }
    std::vector<NetPlayerInfo> Players() const {
        std::vector<NetPlayerInfo> players;
        EXPECT_TRUE(ParsePlayerList(Ask(GameUserListRequest(kGameId)), players));
        return players;
    }
    // Ivan registered, his game "Duel" listed.
    void CreateDuel() {
        ASSERT_EQ(PlayerNewReply(Ask(PlayerNewRequest("Ivan", "secret"))), WebReply::Ok);
        ASSERT_EQ(GameCreateReply(
                      Ask(GameCreateRequest("Duel", kGameId, "127.0.0.2", "Ivan", "secret", "Russian"))),
                  WebReply::Ok);
    }

    test::RunningListingServer listing_;
};

TEST_F(WebServer, GameListVersionAndEmptyList) {
    EXPECT_EQ(GameListReply(Ask(GameListRequest())), WebReply::Ok);
    EXPECT_TRUE(Games().empty());
    EXPECT_EQ(GameListReply(Ask("gamelist;4.5c")), WebReply::BadVersion);
}

TEST_F(WebServer, RegisterAndCheckPlayers) {
    EXPECT_EQ(PlayerCheckReply(Ask(PlayerCheckRequest("Ivan", "secret"))), WebReply::NoPlayer);
    EXPECT_EQ(PlayerNewReply(Ask(PlayerNewRequest("Ivan", "secret"))), WebReply::Ok);
    EXPECT_EQ(PlayerNewReply(Ask(PlayerNewRequest("IVAN", "other"))), WebReply::NameTaken);
    EXPECT_EQ(PlayerCheckReply(Ask(PlayerCheckRequest("Ivan", "wrong"))), WebReply::BadPassword);
    EXPECT_EQ(PlayerCheckReply(Ask(PlayerCheckRequest("Ivan", "secret"))), WebReply::Ok);
}

TEST_F(WebServer, CreateGameChecksPlayerAndName) {
    EXPECT_EQ(
        GameCreateReply(Ask(GameCreateRequest("Duel", kGameId, "127.0.0.2", "Ivan", "secret", "Russian"))),
        WebReply::NoPlayer);
    CreateDuel();
    EXPECT_EQ(
        GameCreateReply(Ask(GameCreateRequest("Duel", "OTHER-ID", "127.0.0.3", "Ivan", "secret", "Russian"))),
        WebReply::GameExists);
    EXPECT_EQ(
        GameCreateReply(Ask(GameCreateRequest("Duel2", "OTHER-ID", "127.0.0.3", "Ivan", "bad", "Russian"))),
        WebReply::BadPassword);

    const auto games = Games();
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].Name, "Duel");
    EXPECT_EQ(games[0].Id, kGameId);
    EXPECT_EQ(games[0].Address, "127.0.0.2");
    EXPECT_EQ(games[0].Year, 0);
    EXPECT_EQ(games[0].Language, "Russian");
    EXPECT_EQ(games[0].PlayerCount, 0);
}

TEST_F(WebServer, GamePlayersProgressAndEnd) {
    CreateDuel();
    ASSERT_EQ(PlayerNewReply(Ask(PlayerNewRequest("Petr", "pw"))), WebReply::Ok);
    EXPECT_EQ(Ask(GameUserUpdateRequest(kGameId, "Ivan")), "ok");
    EXPECT_EQ(Ask(GameUserUpdateRequest(kGameId, "Petr")), "ok");
    EXPECT_EQ(Ask(GameUserUpdateRequest(kGameId, "Petr")), "ok");  // listed once
    EXPECT_EQ(Ask(GameUpdateRequest(kGameId, "127.0.0.9", 7, "English")), "ok");

    auto games = Games();
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].PlayerCount, 2);
    EXPECT_EQ(games[0].Year, 7);
    EXPECT_EQ(games[0].Address, "127.0.0.9");
    auto players = Players();
    ASSERT_EQ(players.size(), 2u);
    EXPECT_EQ(players[0].Number, 1);
    EXPECT_EQ(players[0].Name, "Ivan");
    EXPECT_EQ(players[1].Number, 2);
    EXPECT_EQ(players[1].Name, "Petr");

    EXPECT_TRUE(CanBreakPlayerReply(Ask(CanBreakPlayerRequest(kGameId, "PETR"))));
    EXPECT_FALSE(CanBreakPlayerReply(Ask(CanBreakPlayerRequest(kGameId, "Olga"))));
    EXPECT_EQ(Ask(GameUserDeleteRequest(kGameId, "Petr")), "ok");
    EXPECT_FALSE(CanBreakPlayerReply(Ask(CanBreakPlayerRequest(kGameId, "Petr"))));
    ASSERT_EQ(Players().size(), 1u);

    int retries = 0;
    EXPECT_TRUE(SendGameEnd(listing_.Url, "gameend;" + kGameId + ";Ivan;2;0;Petr;Petr;1;0;", [&] {
        ++retries;
        return false;
    }));
    EXPECT_EQ(retries, 0);
    players = Players();
    ASSERT_EQ(players.size(), 1u);
    EXPECT_FLOAT_EQ(players[0].Rating, 1.0f);

    EXPECT_EQ(Ask(GameDestroyRequest(kGameId)), "ok");
    EXPECT_TRUE(Games().empty());
    EXPECT_TRUE(Players().empty());
}

TEST_F(WebServer, RefusedGameEndIsRetriedUntilTheUserGivesUp) {
    int asked = 0;
    EXPECT_FALSE(SendGameEnd(listing_.Url, "gameend;" + kGameId + ";Ivan;2", [&] { return ++asked < 3; }));
    EXPECT_EQ(asked, 3);
}

TEST_F(WebServer, UnknownKindAndUnknownGame) {
    EXPECT_EQ(Ask("hello;world"), "error");
    EXPECT_EQ(Ask(GameUpdateRequest(kGameId, "127.0.0.2", 3, "Russian")), "error");
    EXPECT_TRUE(Players().empty());
}

}  // namespace
}  // namespace kordalt
