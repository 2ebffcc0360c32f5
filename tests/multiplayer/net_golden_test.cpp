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

#include "game/random.h"
#include "game/rules_data.h"
#include "game/squares.h"
#include "multiplayer/net_codes.h"
#include "net_test_support.h"

namespace kordalt {
namespace {

constexpr int kStates = 4;
constexpr int kSide = 50;
constexpr int kKordaltsPerState = 10;

void Noise(Xoshiro256& rng, void* data, size_t n) {
    auto* bytes = static_cast<uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(rng.Next());
}

TKordaltRec& StateKordalt(GameState& s, int slot, int gos) { return s.mKordalt[(slot - 1) * MaxGos + gos]; }

// Noise in every byte, then the fields the gate checks made valid: state
// `gos` commands its home front with Kordalt slot `gos`.
void ValidState(TGosRec& g, int gos, Xoshiro256& rng) {
    g.KordaltCount = 1;
    g.Character = 1 + gos % 3;
    g.Alive = 1;
    g.Passed = gos % 2;
    g.HumanVictimCount = 0;
    g.TimeSpent = 1.5 * gos;
    for (TResearchRec& r : g.Research) {
        r.Effect = 1.0f + static_cast<float>(rng.Below(64)) / 8;
        r.Increment = static_cast<float>(rng.Below(64)) / 16;
    }
    int32_t onFronts = 0;
    for (int j = 1; j <= kStates; ++j) {
        TFrontRec& f = g.Fronts[j];
        f.Kordalt = j == gos ? static_cast<uint8_t>(gos) : 0;
        for (int k = 1; k <= kMaxTroopTypes; ++k) onFronts += f.Soldiers[k] = rng.Below(1000);
    }
    g.Reserve = rng.Below(10000);
    g.Soldiers = g.Reserve + onFronts;
    g.Peasants = rng.Below(1 << 20);
    g.FreeScientists = rng.Below(1000);
}

// Four states on quarters of a 50 x 50 map, or state 1 on all of it.
TOwnerGrid QuarterGrid(bool quarters = true) {
    TOwnerGrid grid{};
    for (int x = 0; x < kSide; ++x)
        for (int y = 0; y < kSide; ++y)
            grid[OwnerGridIndex(x, y)] = quarters ? 1 + (x >= kSide / 2) + 2 * (y >= kSide / 2) : 1;
    return grid;
}

class GoldenGame : public ::testing::Test {
protected:
    GoldenGame() {
        Xoshiro256 rng(20261211);
        Game = GameState{};
        Noise(rng, &Game.mGos, sizeof Game.mGos);
        Noise(rng, &Game.mKordalt, sizeof Game.mKordalt);
        Noise(rng, &Game.YearStats, sizeof Game.YearStats);
        Noise(rng, &Game.GameGuid, sizeof Game.GameGuid);
        for (int i = 1; i <= KordaltSlotCount; ++i) {
            TKordaltRec& k = Game.mKordalt[i];
            k.Owner = i <= kStates ? static_cast<uint8_t>(i) : static_cast<uint8_t>(rng.Below(kStates + 1));
            k.Front = i <= kStates ? static_cast<uint8_t>(i) : 0;
        }
        for (int i = 1; i <= kStates; ++i) ValidState(Game.mGos[i], i, rng);
        Game.GosCount = kStates;
        Game.AliveGosCount = kStates - 1;
        Game.MapSize = kSide;
        Game.Year = 7;
        Game.DifficultyLevel = 1;
        Game.ResearchCostStep = 1.375f;
        Game.GameOnInternet = 1;
        Game.CurrentGos = 2;
        for (int i = 0; i < 300; ++i) Game.BattleChronicle += static_cast<char>('A' + rng.Below(58));
        Messages.Clear();
        AddMessage(kEventMessage, 2, clRed, "to two");
        AddMessage(kBattleMessage, 2, clNavy, std::string(255, 'x'));
        AddMessage(kEventMessage, 2, clBlack, "\xCF\xF0\xE8\xE2\xE5\xF2");
        CommitMap(QuarterGrid(), kSide, kStates, true);
        TroopTypeCount = kMaxTroopTypes;
        EXPECT_EQ(ValidateGameState(Game), "");
        sent_ = Tables();
    }
    ~GoldenGame() override {
        ReplaceMap(nullptr);
        Messages.Clear();
        Game = GameState{};
        TroopTypeCount = troopTypes_;
    }

    // State `gos`'s record and Kordalts emptied, as a peer that has not yet got them.
    static void Forget(int gos) {
        Game.mGos[gos] = TGosRec{};
        for (int slot = 1; slot <= kKordaltsPerState; ++slot) StateKordalt(Game, slot, gos) = TKordaltRec{};
    }

    std::string sent_;  // Tables() of the game the messages come from

private:
    uint8_t troopTypes_ = TroopTypeCount;
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
    std::string why;
    auto full = ReadFullInf(ReadGolden("full"), why);
    ASSERT_TRUE(full) << why;
    EXPECT_EQ(full->serverId, 0x12345678u);
    EXPECT_EQ(full->turnMinutes, 3);
    CommitFullInf(*full);
    EXPECT_TRUE(Tables() == sent_);
}

TEST_F(GoldenGame, YearResultAndClientStateFilesRestoreWhatTheyCarry) {
    const struct Case {
        const char* name;
        std::function<void()> forget;
        std::function<bool(const TNetMessage&, std::string&)> apply;
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
         [](const TNetMessage& m, std::string& why) {
             auto half = ReadHalfInf(m, why);
             if (half) CommitHalfInf(*half);
             return half.has_value();
         }},
        {"client",
         [] {
             Forget(2);
             Game.CurrentGos = 4;
         },
         [](const TNetMessage& m, std::string& why) {
             const bool applied = ApplyClientInf(m, why);
             Game.CurrentGos = 2;
             return applied;
         }},
    };
    for (const Case& c : cases) {
        c.forget();
        ASSERT_FALSE(Tables() == sent_) << c.name;
        std::string why;
        EXPECT_TRUE(c.apply(ReadGolden(c.name), why)) << c.name << ": " << why;
        EXPECT_TRUE(Tables() == sent_) << c.name;
    }
}

TEST_F(GoldenGame, SmallMessageFilesReadBackTheirValues) {
    std::string why;
    const auto map = ReadMapMessage(ReadGolden("map"), why);
    ASSERT_TRUE(map) << why;
    EXPECT_EQ(map->gosCount, kStates);
    EXPECT_EQ(map->mapSize, kSide);
    EXPECT_TRUE(map->grid == QuarterGrid());
    const auto chat = ReadChatMessage(ReadGolden("chat"));
    ASSERT_TRUE(chat);
    EXPECT_EQ(chat->text, "\xCF\xF0\xE8\xE2\xE5\xF2, 5");
    EXPECT_EQ(chat->colour, 0x00C08040u);
    EXPECT_EQ(ReadInfoForWaiting(ReadGolden("info_for_waiting")), "Year : 7");
    EXPECT_EQ(ReadValueMessage(ReadGolden("value_turn_delay")), 10);
}

}  // namespace
}  // namespace kordalt
