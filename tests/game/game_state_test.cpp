#include "game/game_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/cp1251.h"

namespace kordalt {
namespace {

uint32_t LoadLE32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }

template <class T>
size_t OffsetIn(const void* base, const T& member) {
    return static_cast<size_t>(reinterpret_cast<const char*>(&member) - static_cast<const char*>(base));
}

TEST(GameState, GosRecordSurvivesCopiesByteForByte) {
    unsigned char bytes[sizeof(TGosRec)];
    for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    TGosRec rec;
    std::memcpy(&rec, bytes, sizeof rec);

    // The one-based tables land on the file offsets.
    EXPECT_EQ(static_cast<uint32_t>(rec.Money), LoadLE32(bytes + 88));
    EXPECT_EQ(rec.HumanVictims[1], bytes[61]);
    EXPECT_EQ(rec.HumanVictims[20], bytes[80]);
    EXPECT_EQ(rec.Relations[20].Aggression, bytes[100 + 2 * 19 + 1]);
    EXPECT_EQ(static_cast<uint32_t>(rec.Fronts[3].Soldiers[2]), LoadLE32(bytes + 308 + 28 * 2 + 4 + 4));
    EXPECT_EQ(rec.Fronts[20].Kordalt, bytes[308 + 28 * 19 + 24]);
    EXPECT_EQ(static_cast<uint32_t>(rec.Research[5].Scientists), LoadLE32(bytes + 144 + 24 * 5 + 20));

    // A scratch copy committed to another state keeps the padding bytes too.
    auto scratch = std::make_unique<GameState>();
    scratch->mGos[4] = rec;
    auto committed = std::make_unique<GameState>();
    *committed = *scratch;
    unsigned char out[sizeof(TGosRec)];
    std::memcpy(out, &committed->mGos[4], sizeof out);
    EXPECT_EQ(std::memcmp(out, bytes, sizeof bytes), 0);
    EXPECT_EQ(OffsetIn(&committed->mGos, committed->mGos[4]), 3 * sizeof(TGosRec));
}

TEST(GameState, TablesAreStoredAsTheFileHasThem) {
    const auto s = std::make_unique<GameState>();
    const struct { int gos, year; } stats[] = {{1, 1}, {1, 120}, {2, 1}, {20, 120}, {7, 33}};
    for (const auto& c : stats)
        EXPECT_EQ(OffsetIn(&s->YearStats, s->YearStats[c.gos][c.year]),
                  2880u * (c.gos - 1) + 24u * (c.year - 1))
            << c.gos << "/" << c.year;
    EXPECT_EQ(OffsetIn(&s->mKordalt, s->mKordalt[201]), 25u * 200);
}

TEST(GameState, ShortStringsHoldCp1251AndCutToCapacity) {
    const struct {
        const char* utf8;
        const char* stored;  // what reads back
    } cases[] = {
        {"Кордальт", "Кордальт"},
        {"Абвгдежзийклм", "Абвгдежзийклм"},    // 13 characters fill it
        {"Абвгдежзийклмно", "Абвгдежзийклм"},  // longer names are cut to 13 characters
        {"Ёж № 1 «А»", "Ёж № 1 «А»"},
        {"a\u4e2db", "a?b"},  // no cp1251 byte
        {"", ""},
    };
    for (const auto& c : cases) {
        TKordaltRec k;
        std::memset(&k, 'x', sizeof k);
        k.Name.AssignUtf8(c.utf8);
        EXPECT_EQ(k.Name.Utf8(), c.stored) << c.utf8;
        EXPECT_EQ(k.Name.Str(), Utf8ToCp1251(c.stored)) << c.utf8;
        EXPECT_EQ(k.Name.Length, k.Name.Str().size());
        for (size_t i = k.Name.Length; i < sizeof k.Name.Chars; ++i) EXPECT_EQ(k.Name.Chars[i], 0) << c.utf8;
        EXPECT_EQ(k.Front, 'x') << "the neighbouring field is untouched";
    }
}

TEST(GameState, LengthByteAboveCapacityIsClamped) {
    TGosRec g{};
    g.PlayerName.Assign("abcdefghijklm");
    g.StartPlayerName.Assign("zz");
    g.PlayerName.Length = 200;
    EXPECT_EQ(g.PlayerName.Str(), "abcdefghijklm");
}

}  // namespace
}  // namespace kordalt
