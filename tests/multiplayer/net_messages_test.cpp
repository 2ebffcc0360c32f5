// Layouts of the network messages, the compressed envelope, and updates that
// are refused whole when anything in them is damaged.
#include "multiplayer/net_messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/rules_data.h"
#include "game/squares.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_envelope.h"
#include "net_test_support.h"

namespace kordalt {
namespace {

TEST_F(NetGame, MessageSizesAndFixedFields) {
    TOwnerGrid grid{};
    MapToGrid(*Map, Game.MapSize, grid);
    struct Case {
        TNetMessage m;
        uint32_t code;
        size_t size;
    } cases[] = {
        {MakeValueMessage(dx_Connect_Flag, 1), 1, 8},
        {MakeValueMessage(dx_Game_EndOfTurn, 1), 13, 8},
        {MakeChatMessage("hello", 0x00FF00), 0, 17},
        {MakeChatMessage("", 0), 0, 12},
        {MakeMapMessage(dx_Game_SendMapForWaiting, 4, 50, grid), 16, 10412},
        {MakeInfoForWaiting("Year : 5"), 17, 4 + 8 + 1},
        {MakeFullInf(7, 3), 10, 91448 + 264 * 3},
        {MakeHalfInf(2), 11, 13128 + 264 * 2},
        {MakeHalfInf(1), 11, 13128},
        {MakeClientInf(), 12, 1136},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.m.size(), c.size) << c.code;
        uint32_t code;
        std::memcpy(&code, c.m.data(), 4);
        EXPECT_EQ(code, c.code);
    }
    TNetMessage chat = MakeChatMessage("hello", 0x00FF00);
    chat[15] = chat[16] = 0xEE;  // the two unused bytes
    auto line = ReadChatMessage(chat);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, "hello");
    EXPECT_EQ(line->colour, 0x00FF00u);
    EXPECT_EQ(*ReadValueMessage(MakeValueMessage(dx_Connect_TurnDelay, 10)), 10);
    EXPECT_EQ(*ReadInfoForWaiting(MakeInfoForWaiting("Year : 5")), "Year : 5");

    TNetMessage full = MakeFullInf(7, 3);
    EXPECT_EQ(full[91172], 3);
    uint32_t server;
    std::memcpy(&server, full.data() + 91176, 4);
    EXPECT_EQ(server, 7u);
    EXPECT_EQ(full[90657], 4);   // GosCount
    EXPECT_EQ(full[90659], 50);  // MapSize
}

TEST_F(NetGame, DamagedSmallMessagesAreRefused) {
    TNetMessage chat = MakeChatMessage("hello", 0);
    chat.resize(14);  // n = 5 but only 4 text bytes
    EXPECT_FALSE(ReadChatMessage(chat));
    TNetMessage info = MakeInfoForWaiting("text");
    info.back() = 'x';  // no terminator
    EXPECT_FALSE(ReadInfoForWaiting(info));
    TOwnerGrid grid{};
    MapToGrid(*Map, Game.MapSize, grid);
    EXPECT_TRUE(ReadMapMessage(MakeMapMessage(3, 4, 50, grid)));
    EXPECT_FALSE(ReadMapMessage(MakeMapMessage(3, 3, 50, grid)));  // an owner above the count
    EXPECT_FALSE(ReadMapMessage(MakeMapMessage(3, 4, 51, grid)));
    TNetMessage cut = MakeMapMessage(3, 4, 50, grid);
    cut.resize(10000);
    EXPECT_EQ(ReadMapMessage(cut).Why(), "map message of 10000 bytes: ends at byte 10000");
}

TEST(NetChronicle, HalvesCarryAtMost454Characters) {
    struct Case {
        size_t length, first, second, received;
    } cases[] = {
        {0, 0, 0, 0}, {199, 199, 0, 199}, {200, 199, 1, 200}, {454, 199, 255, 454}, {500, 199, 255, 454}};
    for (const Case& c : cases) {
        std::string text;
        for (size_t i = 0; i < c.length; ++i) text += static_cast<char>('a' + i % 26);
        ShortString<255> first{}, second{};
        SplitChronicle(text, first, second);
        EXPECT_EQ(first.Length, c.first) << c.length;
        EXPECT_EQ(second.Length, c.second) << c.length;
        EXPECT_EQ(JoinChronicle(first, second), text.substr(0, c.received)) << c.length;
    }
}

TEST_F(NetGame, FullSnapshotThroughTheEnvelopeRebuildsTheGame) {
    Game.BattleChronicle = std::string(500, 'c');
    const TNetMessage full = MakeFullInf(7, 3);
    Game.BattleChronicle.resize(454);
    const std::string sent = Tables();

    TNetMessage envelope = CompressMessage(full.data(), full.size());
    uint32_t header[2];
    std::memcpy(header, envelope.data(), 8);
    EXPECT_EQ(header[0], 1000u);
    EXPECT_EQ(header[1], envelope.size());
    EXPECT_LT(envelope.size(), full.size() / 4);
    const auto inner = DecompressMessgage(envelope.data(), envelope.size());
    ASSERT_TRUE(inner) << inner.Why();
    ASSERT_TRUE(*inner == full);

    RunningGameIsAnother();
    ReplaceMap(nullptr);
    auto update = ReadFullInf(*inner);
    ASSERT_TRUE(update) << update.Why();
    EXPECT_EQ(update->serverId, 7u);
    EXPECT_EQ(update->turnMinutes, 3);
    CommitFullInf(*update);
    ASSERT_NE(Map, nullptr);
    EXPECT_TRUE(Tables() == sent);
}

TEST_F(NetGame, EmptyTurnReportEmptiesTheReceiversReport) {
    Messages.Clear();
    const TNetMessage full = MakeFullInf(0, 0);
    EXPECT_EQ(full.size(), 91448u);
    RunningGameIsAnother();
    auto update = ReadFullInf(full);
    ASSERT_TRUE(update) << update.Why();
    CommitFullInf(*update);
    EXPECT_EQ(Messages.Count(), 0);
}

TEST_F(NetGame, DamagedFullSnapshotIsRefusedWithoutTouchingTheGame) {
    const TNetMessage good = MakeFullInf(7, 3);
    struct Case {
        const char* what;
        std::function<void(TNetMessage&)> damage;
    } cases[] = {
        {"cut short", [](TNetMessage& m) { m.resize(91000); }},
        {"records beyond the end", [](TNetMessage& m) { Poke<uint16_t>(m, 91180, 40); }},
        {"GosCount 25", [](TNetMessage& m) { m[90657] = 25; }},
        {"MapSize 120", [](TNetMessage& m) { m[90659] = 120; }},
        {"Year 0", [](TNetMessage& m) { m[90656] = 0; }},
        {"grid owner 9", [](TNetMessage& m) { m[80248 + OwnerGridIndex(3, 3)] = 9; }},
        {"grid byte outside the map", [](TNetMessage& m) { m[80248 + 5] = 1; }},
        {"record for state 12", [](TNetMessage& m) { m[91184 + 1] = 12; }},
        {"front Kordalt 250", [](TNetMessage& m) { m[62648 + 308 + 24] = 250; }},
    };
    RunningGameIsAnother();
    const std::string before = Tables();
    for (const Case& c : cases) {
        TNetMessage m = good;
        c.damage(m);
        const auto update = ReadFullInf(m);
        EXPECT_FALSE(update) << c.what;
        EXPECT_FALSE(update.Why().empty()) << c.what;
        EXPECT_TRUE(Tables() == before) << c.what;
    }
}

// The result of the last year ends the game on every peer.
TEST_F(NetGame, TheFinalYearResultIsTaken) {
    Game.Year = YearCount;
    const TNetMessage full = MakeFullInf(7, 0);
    const TNetMessage half = MakeHalfInf(2);
    RunningGameIsAnother();
    auto fullUpdate = ReadFullInf(full);
    ASSERT_TRUE(fullUpdate) << fullUpdate.Why();
    EXPECT_EQ(fullUpdate->state.Year, YearCount);
    auto halfUpdate = ReadHalfInf(half);
    ASSERT_TRUE(halfUpdate) << halfUpdate.Why();
    EXPECT_EQ(halfUpdate->state.Year, YearCount);
}

TEST_F(NetGame, YearResultReachesTheRecipientsStateOnly) {
    Game.mGos[2].Money = 2222;
    Game.mGos[3].Peasants = 3333;
    Game.mKordalt[(2 - 1) * 20 + 2].Age = 42;  // second Kordalt of state 2
    Game.YearStats[1][4].Harvest = 1111;
    Game.BattleChronicle = std::string(210, 'b');
    const TNetMessage half = MakeHalfInf(2);
    const TGosRec sentOwn = Game.mGos[2];
    const TGosRec sentOther = Game.mGos[3];

    RunningGameIsAnother();
    Game.mGos[3].Money = 31;  // not sent: stays
    auto update = ReadHalfInf(half);
    ASSERT_TRUE(update) << update.Why();
    CommitHalfInf(*update);
    EXPECT_EQ(Game.Year, 5);
    EXPECT_EQ(Bytes(Game.mGos[2]), Bytes(sentOwn));
    EXPECT_EQ(Game.mGos[3].Peasants, sentOther.Peasants);
    EXPECT_EQ(Game.mGos[3].Money, 31);
    EXPECT_EQ(Game.mKordalt[22].Age, 42);
    EXPECT_EQ(Game.YearStats[1][4].Harvest, 1111u);
    EXPECT_EQ(Game.BattleChronicle, std::string(210, 'b'));
    ASSERT_EQ(Messages.Count(), 2);
    EXPECT_EQ(Messages[1]->Text.Str(), "to two again");
}

TEST_F(NetGame, DamagedYearResultOrClientStateIsRefusedWithoutTouchingTheGame) {
    Rules.TroopTypeCount = 3;  // front troops count toward the totals
    const TNetMessage half = MakeHalfInf(2);
    const TNetMessage client = MakeClientInf();
    struct Case {
        const char* what;
        bool half;
        std::function<void(TNetMessage&)> damage;
    } cases[] = {
        {"half cut short", true, [](TNetMessage& m) { m.resize(12000); }},
        {"half records beyond the end", true, [](TNetMessage& m) { Poke<uint16_t>(m, 12858, 9); }},
        {"half year 1", true, [](TNetMessage& m) { m[12344] = 1; }},
        {"half year 200", true, [](TNetMessage& m) { m[12344] = 200; }},
        {"half grid owner 7", true, [](TNetMessage& m) { m[734 + OwnerGridIndex(0, 0)] = 7; }},
        {"half Kordalt front 30", true, [](TNetMessage& m) { m[484 + 15] = 30; }},
        {"client cut short", false, [](TNetMessage& m) { m.resize(1000); }},
        {"client state 0", false, [](TNetMessage& m) { m[4] = 0; }},
        {"client state 21", false, [](TNetMessage& m) { m[4] = 21; }},
        {"client front Kordalt 250", false, [](TNetMessage& m) { m[256 + 308 + 24] = 250; }},
        // What the self-test checks: the totals and the front links.
        {"client army total one more", false, [](TNetMessage& m) { ++m[256 + offsetof(TGosRec, Soldiers)]; }},
        {"client front soldiers one more", false,
         [](TNetMessage& m) { ++m[256 + offsetof(TGosRec, Fronts) + offsetof(TFrontRec, Soldiers)]; }},
        {"client home front Kordalt records front 3", false,
         [](TNetMessage& m) {
             m[256 + offsetof(TGosRec, Fronts) + 28 + offsetof(TFrontRec, Kordalt)] = 2;
             m[5 + offsetof(TKordaltRec, Owner)] = 2;
             m[5 + offsetof(TKordaltRec, Front)] = 3;
         }},
        {"client negative peasants", false,
         [](TNetMessage& m) { m[256 + offsetof(TGosRec, Peasants) + 3] = 0x80; }},
        // The summaries carry every state's total, the own one too.
        {"half own army total one more", true, [](TNetMessage& m) { ++m[11140 + 16 * (2 - 1) + 12]; }},
    };
    RunningGameIsAnother();
    const std::string before = Tables();
    for (const Case& c : cases) {
        TNetMessage m = c.half ? half : client;
        c.damage(m);
        const bool accepted =
            c.half ? ReadHalfInf(m).Accepted() : ApplyClientInf(m, Game.mGos[2].Player).Accepted();
        EXPECT_FALSE(accepted) << c.what;
        EXPECT_TRUE(Tables() == before) << c.what;
    }
}

TEST_F(NetGame, ClientStateReplacesTheSendersRecordAndKordalts) {
    Game.mGos[2].Money = 5555;
    Game.mKordalt[(3 - 1) * 20 + 2].Mastery = 77;
    const TNetMessage client = MakeClientInf();
    Game.mGos[2].Money = 1;
    Game.mKordalt[42].Mastery = 1;
    Game.CurrentGos = 4;  // the server's own state
    const auto applied = ApplyClientInf(client, Game.mGos[2].Player);
    ASSERT_TRUE(applied) << applied.Why();
    EXPECT_EQ(Game.mGos[2].Money, 5555);
    EXPECT_EQ(Game.mKordalt[42].Mastery, 77);
}

TEST(NetEnvelope, RoundTripOfManySizesAndDamagedEnvelopesRefused) {
    ScopedSeed seed{5};
    for (size_t size : {4u, 100u, 40000u, 300000u}) {
        TNetMessage m(size);
        for (size_t i = 0; i < size; ++i) m[i] = static_cast<uint8_t>(i % 7 == 0 ? Random(256) : i / 100);
        TNetMessage e = CompressMessage(m.data(), m.size());
        const auto inner = DecompressMessgage(e.data(), e.size());
        ASSERT_TRUE(inner) << size << ": " << inner.Why();
        EXPECT_TRUE(*inner == m) << size;
    }
    const std::string text(5000, 'k');
    const TNetMessage good = CompressMessage(text.data(), text.size());
    struct Case {
        const char* what;
        std::function<void(TNetMessage&)> damage;
        const char* errorStart;
    } cases[] = {
        {"header only",
         [](TNetMessage& m) {
             m.resize(8);
             Poke<uint32_t>(m, 4, 8);
         },
         "ELzrw1Exception: "},
        {"size field wrong", [](TNetMessage& m) { Poke<uint32_t>(m, 4, 7); },
         "Error detected!\rCompress DecompressMessgage"},
        {"cut short", [](TNetMessage& m) { m.resize(m.size() - 3); },
         "Error detected!\rCompress DecompressMessgage"},
        {"no coder id", [](TNetMessage& m) { m[8] ^= 0xFF; }, "ELzrw1Exception: "},
        {"claims 2 GB", [](TNetMessage& m) { Poke<uint32_t>(m, 12, 0x7FFFFFFFu); }, "ELzrw1Exception: "},
        {"claims more than it holds", [](TNetMessage& m) { Poke<uint32_t>(m, 12, 9000); },
         "ELzrw1Exception: "},
    };
    for (const Case& c : cases) {
        TNetMessage m = good;
        c.damage(m);
        const auto inner = DecompressMessgage(m.data(), m.size());
        EXPECT_FALSE(inner) << c.what;
        EXPECT_EQ(inner.Why().rfind(c.errorStart, 0), 0u) << c.what << ": " << inner.Why();
    }
}

}  // namespace
}  // namespace kordalt
