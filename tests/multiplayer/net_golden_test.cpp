// Every kind of network message, built from a small seeded game, compared byte
// for byte with the files under golden/: peers of other builds read these
// bytes, so any changed byte is a fault. Reading a file back gives the state it
// was made from. KORDALT_WRITE_GOLDEN=1 rewrites the files from this build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "game/rules_data.h"
#include "game/state_commit.h"
#include "multiplayer/net_codes.h"
#include "net_test_support.h"
#include "support/golden_game.h"

namespace kordalt {
namespace {

using golden::kSide;
using golden::kStates;
using golden::QuarterGrid;
constexpr int kKordaltsPerState = 10;

TKordaltRec& StateKordalt(GameState& s, int slot, int gos) { return s.mKordalt[(slot - 1) * MaxGos + gos]; }

class GoldenGame : public ::testing::Test {
protected:
    GoldenGame() {
        golden::BuildGame();
        EXPECT_EQ(ValidateGameState(Game).Why(), "");
        sent_ = Tables();
    }
    ~GoldenGame() override {
        ReplaceMap(nullptr);
        Messages.Clear();
        Game = GameState{};
        Rules.TroopTypeCount = troopTypes_;
    }

    // State `gos`'s record and Kordalts emptied, as a peer that has not yet got them.
    static void Forget(int gos) {
        Game.mGos[gos] = TGosRec{};
        for (int slot = 1; slot <= kKordaltsPerState; ++slot) StateKordalt(Game, slot, gos) = TKordaltRec{};
    }

    uint8_t troopTypes_ = Rules.TroopTypeCount;
    std::string sent_;  // Tables() of the game the messages come from
};

std::string GoldenPath(const std::string& name) {
    return KORDALT_SOURCE_DIR "/tests/multiplayer/golden/" + name + ".bin";
}

TNetMessage ReadGolden(const std::string& name) {
    std::ifstream in(GoldenPath(name), std::ios::binary);
    TNetMessage bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.empty()) ADD_FAILURE() << "missing " << GoldenPath(name);
    return bytes;
}

void WriteGolden(const std::string& name, const TNetMessage& m) {
    std::ofstream out(GoldenPath(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(m.data()), static_cast<std::streamsize>(m.size()));
}

// The offset of the first byte that differs, or the shorter size.
size_t FirstDifference(const TNetMessage& a, const TNetMessage& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i;
}

TEST_F(GoldenGame, EveryMessageKindKeepsItsBytes) {
    const struct Case {
        const char* name;
        std::function<TNetMessage()> make;
    } cases[] = {
        {"value_turn_delay", [] { return MakeValueMessage(dx_Connect_TurnDelay, 10); }},
        {"value_end_of_turn", [] { return MakeValueMessage(dx_Game_EndOfTurn, 1); }},
        {"chat", [] { return MakeChatMessage("\xCF\xF0\xE8\xE2\xE5\xF2, 5", 0x00C08040); }},
        {"map", [] { return MakeMapMessage(dx_Connect_SendMap, kStates, kSide, QuarterGrid()); }},
        {"info_for_waiting", [] { return MakeInfoForWaiting("Year : 7"); }},
        {"full", [] { return MakeFullInf(0x12345678, 3); }},
        {"half_to_2", [] { return MakeHalfInf(2); }},
        {"half_to_4", [] { return MakeHalfInf(4); }},  // no records
        {"client", [] { return MakeClientInf(); }},
    };
    const bool write = std::getenv("KORDALT_WRITE_GOLDEN") != nullptr;
    for (const Case& c : cases) {
        const TNetMessage made = c.make();
        if (write) WriteGolden(c.name, made);
        const TNetMessage golden = ReadGolden(c.name);
        EXPECT_EQ(made.size(), golden.size()) << c.name;
        EXPECT_TRUE(made == golden) << c.name << ": first difference at byte "
                                    << FirstDifference(made, golden);
    }
}

TEST_F(GoldenGame, FullSnapshotFileRebuildsTheGameOnAnEmptyPeer) {
    ReplaceMap(nullptr);
    Messages.Clear();
    Game = GameState{};
    Game.CurrentGos = 2;
    auto full = ReadFullInf(ReadGolden("full"));
    ASSERT_TRUE(full) << full.Why();
    EXPECT_EQ(full->serverId, 0x12345678u);
    EXPECT_EQ(full->turnMinutes, 3);
    CommitFullInf(*full);
    EXPECT_TRUE(Tables() == sent_);
}

TEST_F(GoldenGame, YearResultAndClientStateFilesRestoreWhatTheyCarry) {
    const struct Case {
        const char* name;
        std::function<void()> forget;
        std::function<TChecked<>(const TNetMessage&)> apply;
    } cases[] = {
        {"half_to_2",
         [] {
             Forget(2);
             Game.Year = 6;
             for (int j = 1; j <= kStates; ++j) {
                 Game.YearStats[j][6] = TYearStatRec{};
                 Game.mGos[j].Peasants = Game.mGos[j].Scientists = 0;
                 Game.mGos[j].Alive = 0;
             }
             Game.mGos[3].Soldiers = 0;
             Game.BattleChronicle.clear();
             Messages.Clear();
             CommitMap(QuarterGrid(false), kSide, kStates, false);
         },
         [](const TNetMessage& m) -> TChecked<> {
             auto half = ReadHalfInf(m);
             if (!half) return half.Refusal();
             CommitHalfInf(*half);
             return {};
         }},
        {"client",
         [] {
             // The server knows who plays the state.
             const TGosRec player = Game.mGos[2];
             Forget(2);
             Game.mGos[2].Player = player.Player;
             Game.mGos[2].PlayerName = player.PlayerName;
             Game.mGos[2].StartPlayerName = player.StartPlayerName;
             Game.CurrentGos = 4;
         },
         [](const TNetMessage& m) {
             auto applied = ApplyClientInf(m, Game.mGos[2].Player);
             Game.CurrentGos = 2;
             return applied;
         }},
    };
    for (const Case& c : cases) {
        c.forget();
        ASSERT_FALSE(Tables() == sent_) << c.name;
        const auto applied = c.apply(ReadGolden(c.name));
        EXPECT_TRUE(applied) << c.name << ": " << applied.Why();
        EXPECT_TRUE(Tables() == sent_) << c.name;
    }
}

TEST_F(GoldenGame, SmallMessageFilesReadBackTheirValues) {
    const auto map = ReadMapMessage(ReadGolden("map"));
    ASSERT_TRUE(map) << map.Why();
    EXPECT_EQ(map->gosCount, kStates);
    EXPECT_EQ(map->mapSize, kSide);
    EXPECT_TRUE(map->grid == QuarterGrid());
    const auto chat = ReadChatMessage(ReadGolden("chat"));
    ASSERT_TRUE(chat);
    EXPECT_EQ(chat->text, "\xCF\xF0\xE8\xE2\xE5\xF2, 5");
    EXPECT_EQ(chat->colour, 0x00C08040u);
    EXPECT_EQ(*ReadInfoForWaiting(ReadGolden("info_for_waiting")), "Year : 7");
    EXPECT_EQ(*ReadValueMessage(ReadGolden("value_turn_delay")), 10);
}

}  // namespace
}  // namespace kordalt
