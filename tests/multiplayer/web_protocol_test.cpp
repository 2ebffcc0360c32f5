// Request scrambling, the name rule, reply framing, list parsing and the end report.
#include "multiplayer/web_protocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "game/game_state.h"
#include "platform/guid.h"
#include "platform/support.h"

namespace kordalt {
namespace {

std::string Encode(std::string_view s) {
    std::string e;
    EncodeServerMessage(s, e);
    return e;
}

TEST(WebProtocol, EncodeExamples) {
    struct Case {
        std::string text, digits;
    };
    // Key stream worked out by hand: k = 0xB3, then k = k * 0xE5 + 0xD8 (mod 256)
    // gives F7, CB, 6F; 61^F7 = 96, 62^CB = A9, 63^6F = 0C.
    const Case cases[] = {
        {"", ""}, {"abc", "96a90c"}, {"a", "96"}, {std::string(1, '\0'), "f7"}, {"\xF7", "00"},
    };
    for (const Case& c : cases) EXPECT_EQ(Encode(c.text), c.digits) << c.text;
}

TEST(WebProtocol, EncodeAppendsAndRestartsTheKeyForEachText) {
    std::string result = "msg=";
    EncodeServerMessage("abc", result);
    EncodeServerMessage("abc", result);
    EXPECT_EQ(result, "msg=96a90c96a90c");
    // Equal bytes at different positions get different keys.
    const std::string e = Encode("aaaa");
    EXPECT_NE(e.substr(0, 2), e.substr(2, 2));
}

TEST(WebProtocol, ScrambleRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    for (const std::string& text :
         {std::string(), all, GameListRequest(), std::string("playernew;\xC8\xE2\xE0\xED;pw")}) {
        const std::string e = Encode(text);
        ASSERT_EQ(e.size(), 2 * text.size());
        EXPECT_EQ(e.find_first_not_of("0123456789abcdef"), std::string::npos);
        std::string back;
        ASSERT_TRUE(DecodeServerMessage(e, back));
        EXPECT_EQ(back, text);
    }
}

TEST(WebProtocol, DecodeRejectsWhatIsNotHexPairs) {
    for (const char* bad : {"9", "96a", "zz", "96 a", "0x"}) {
        std::string out = "kept";
        EXPECT_FALSE(DecodeServerMessage(bad, out)) << bad;
        EXPECT_EQ(out, "kept");
    }
}

TEST(WebProtocol, NetNameRule) {
    struct Case {
        std::string name;
        bool valid;
    };
    const Case cases[] = {
        {"Ivan", true},
        {"  Ivan  ", true},
        {"[Team]_x=1+2-3 b", true},
        {"", false},
        {"    ", false},
        {"a;b", false},
        {"a~b", false},
        {"a.b", false},
        {"a\tb", false},
        {"\xC8\xE2\xE0\xED", false},  // Cyrillic, cp1251
        {"Ivan\xE0", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsValidNetName(c.name), c.valid) << '"' << c.name << '"';
}

TEST(WebProtocol, ReplyBetweenMarkers) {
    struct Case {
        std::string body, reply;
    };
    const Case cases[] = {
        {"msg=okmsgend", "ok"},
        {"<html>msg=ok;1~msgend</html>", "ok;1~"},
        {"msg=msgend", ""},
        {"msg=ok", ""},
        {"okmsgend", ""},
        {"msgend msg=ok", ""},
        {"msg=a msg=b msgend msgend", "a msg=b "},
        {std::string("msg=a\0b", 7) + "msgend", std::string("a\0b", 3)},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ExtractReply(c.body), c.reply) << c.body;
}

TEST(WebProtocol, GameListRecords) {
    struct Case {
        std::string reply;
        bool wellFormed;
        size_t games;
    };
    const std::string record = "Duel;0A1B2C3D-0000-4000-8000-000000000001;127.0.0.2;12;Russian;3";
    const Case cases[] = {
        {record + "~", true, 1},
        {record, true, 0},
        {record + "~" + record + ";extra~tail", true, 2},
        {"none", true, 0},
        {"", true, 0},
        {"~", false, 0},
        {"Duel;id;addr;1;Russian~", false, 0},
        {record + "~Duel;id~", false, 0},
    };
    for (const Case& c : cases) {
        std::vector<NetGameInfo> games(5);
        EXPECT_EQ(ParseGameList(c.reply, games), c.wellFormed) << c.reply;
        EXPECT_EQ(games.size(), c.games) << c.reply;
    }

    std::vector<NetGameInfo> games;
    ASSERT_TRUE(ParseGameList(record + "~", games));
    const NetGameInfo& g = games[0];
    EXPECT_EQ(g.Name, "Duel");
    EXPECT_EQ(g.Id, "0A1B2C3D-0000-4000-8000-000000000001");
    EXPECT_EQ(g.Address, "127.0.0.2");
    EXPECT_EQ(g.Year, 12);
    EXPECT_EQ(g.Language, "Russian");
    EXPECT_EQ(g.PlayerCount, 3);

    // Number fields are read from their digits alone.
    ASSERT_TRUE(ParseGameList("Odd;id;addr;y1x2;;~", games));
    EXPECT_EQ(games[0].Year, 12);
    EXPECT_EQ(games[0].Language, "");
    EXPECT_EQ(games[0].PlayerCount, 0);
}

TEST(WebProtocol, SplitGivesTheSamePartsAsTheOneByOneReader) {
    for (std::string_view s : {"", "a", ";", "a;b", ";a;;b;", "a~b;c~", "~~;"}) {
        std::vector<std::string> expected;
        for (int i = 0; i < CountParEC(s, ";~"); ++i) expected.push_back(GetParEC(s, i, ";~"));
        EXPECT_EQ(SplitParEC(s, ";~"), expected) << s;
        if (expected.size() > 2) expected.resize(2);
        EXPECT_EQ(SplitParEC(s, ";~", 2), expected) << s;
    }
}

// A reply of a mebibyte: read in one pass, at most kMaxListRecords games kept.
TEST(WebProtocol, ALargeGameListIsCappedAndReadInLinearTime) {
    const std::string record = "Duel;0A1B2C3D-0000-4000-8000-000000000001;127.0.0.2;12;Russian;3~";
    std::string reply;
    while (reply.size() < (1u << 20)) reply += record;
    std::string wide(1u << 20, ';');  // one record of half a million empty fields
    wide += "~";
    const auto start = std::chrono::steady_clock::now();
    std::vector<NetGameInfo> games;
    EXPECT_TRUE(ParseGameList(reply, games));
    EXPECT_EQ(games.size(), kMaxListRecords);
    EXPECT_EQ(games.back().Year, 12);
    EXPECT_TRUE(ParseGameList(wide, games));
    EXPECT_EQ(games.size(), 1u);
    // Far above linear time even on a busy machine; the quadratic reader took minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(WebProtocol, PlayerListRecords) {
    std::vector<NetPlayerInfo> players;
    ASSERT_TRUE(ParsePlayerList("1;Ivan;12.5~2;Petr;-3~junk", players));
    ASSERT_EQ(players.size(), 2u);
    EXPECT_EQ(players[0].Number, 1);
    EXPECT_EQ(players[0].Name, "Ivan");
    EXPECT_FLOAT_EQ(players[0].Rating, 12.5f);
    EXPECT_EQ(players[1].Name, "Petr");
    EXPECT_FLOAT_EQ(players[1].Rating, -3.0f);
    EXPECT_TRUE(ParsePlayerList("", players));
    EXPECT_TRUE(players.empty());
    EXPECT_FALSE(ParsePlayerList("1;Ivan;1~2;Petr~", players));
    EXPECT_TRUE(players.empty());
}

TEST(WebProtocol, RequestTexts) {
    EXPECT_EQ(GameListRequest(), "gamelist;4.5d");
    EXPECT_EQ(PlayerNewRequest("Ivan", "pw"), "playernew;Ivan;pw");
    EXPECT_EQ(GameCreateRequest("Duel", "ID", "1.2.3.4", "Ivan", "pw", "Russian"),
              "gamecreate;Duel;ID;1.2.3.4;Ivan;pw;Russian");
    EXPECT_EQ(GameUpdateRequest("ID", "1.2.3.4", 0, "Russian"), "gameupdate;ID;1.2.3.4;0;Russian");
    EXPECT_EQ(GameUserUpdateRequest("ID", "Ivan"), "gameuserupdate;ID;Ivan;0");
    EXPECT_EQ(CanBreakPlayerRequest("ID", "IvAn[X]"), "canbreakplayer;ID;ivan[x]");
}

TEST(WebProtocol, ReplyMeanings) {
    EXPECT_EQ(GameListReply(""), WebReply::NoConnection);
    EXPECT_EQ(GameListReply("error version"), WebReply::BadVersion);
    EXPECT_EQ(PlayerNewReply("error"), WebReply::NameTaken);
    EXPECT_EQ(PlayerNewReply("anything"), WebReply::Ok);
    EXPECT_EQ(PlayerCheckReply("error_player"), WebReply::NoPlayer);
    EXPECT_EQ(PlayerCheckReply("error_password"), WebReply::BadPassword);
    EXPECT_EQ(GameCreateReply("error_game"), WebReply::GameExists);
    EXPECT_EQ(GameCreateReply("error_password"), WebReply::BadPassword);
    EXPECT_EQ(GameCreateReply(""), WebReply::NoConnection);
    EXPECT_TRUE(CanBreakPlayerReply("1"));
    EXPECT_FALSE(CanBreakPlayerReply(""));
    EXPECT_FALSE(CanBreakPlayerReply("11"));
}

// Four states: Ivan (stayed), Petr (left), a computer state, Olga (destroyed by Ivan).
class GameEndReport : public ::testing::Test {
protected:
    void SetUp() override {
        game_->GosCount = 4;
        game_->GameGuid = StrToGUID("12345678-9ABC-4DEF-8123-456789ABCDEF");
        SetGos(1, "Ivan", "Ivan", 1);
        SetGos(2, "Petr", "", 1);
        SetGos(3, "", "", 0);
        SetGos(4, "Olga", "Olga", 0);
        TGosRec& ivan = game_->mGos[1];
        ivan.DestroyedAsPlayer = 3;
        ivan.HumanVictimCount = 1;
        ivan.HumanVictims[1] = 4;
    }
    void SetGos(int s, const char* start, const char* now, uint8_t alive) {
        game_->mGos[s].StartPlayerName.Assign(start);
        game_->mGos[s].PlayerName.Assign(now);
        game_->mGos[s].Alive = alive;
    }
    std::unique_ptr<GameState> game_ = std::make_unique<GameState>();
};

TEST_F(GameEndReport, TwoStatesAliveNamesNoWinner) {
    EXPECT_EQ(GameEndRequest(*game_, false),
              "gameend;12345678-9ABC-4DEF-8123-456789ABCDEF;Ivan;0;2;Olga;Petr;1;0;;Olga;0;0;");
}

TEST_F(GameEndReport, TheOneStateAliveWins) {
    game_->mGos[2].Alive = 0;
    EXPECT_EQ(GameEndRequest(*game_, false),
              "gameend;12345678-9ABC-4DEF-8123-456789ABCDEF;Ivan;2;2;Olga;Petr;1;0;;Olga;0;0;");
    EXPECT_EQ(game_->mGos[1].Alive, 1);
}

TEST_F(GameEndReport, ClosedByTheServerEveryoneLeft) {
    game_->mGos[2].Alive = 0;
    EXPECT_EQ(GameEndRequest(*game_, true),
              "gameend;12345678-9ABC-4DEF-8123-456789ABCDEF;Ivan;1;2;Olga;Petr;1;0;;Olga;1;0;");
}

TEST_F(GameEndReport, VictimNumbersOutsideTheGameAreSkipped) {
    TGosRec& ivan = game_->mGos[1];
    ivan.HumanVictimCount = 200;  // clamped to the list's capacity
    ivan.HumanVictims[2] = 0;
    ivan.HumanVictims[3] = 19;
    ivan.HumanVictims[4] = 2;
    const std::string report = GameEndRequest(*game_, false);
    EXPECT_NE(report.find(";Ivan;0;-197;Olga,Petr;"), std::string::npos) << report;
}

}  // namespace
}  // namespace kordalt
