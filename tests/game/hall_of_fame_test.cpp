#include "game/hall_of_fame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "rules_fixture.h"
#include "support/processes_at_once.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

struct GameOutcome {
    const char* what;
    uint8_t difficulty;
    uint8_t won;
    int gosCount, destroyed, year, researchSum, saves;
    int32_t points;  // of row 7
    int32_t saved;   // Saves of row 7
    int row;         // where the game lands in the top seven, -1 not at all
};

class HallOfFameTest : public ::testing::Test {
protected:
    HallOfFameTest() { Game = GameState{}; }
    ~HallOfFameTest() override { Game = GameState{}; }

    // A game whose one human plays the highest numbered state with a player.
    static void SetUpGame(const GameOutcome& o) {
        Game.GosCount = static_cast<uint8_t>(o.gosCount);
        Game.Year = static_cast<uint8_t>(o.year);
        Game.DifficultyLevel = o.difficulty;
        Game.HumanWon = o.won;
        Game.SaveCounter = static_cast<uint16_t>(o.saves);
        TGosRec& human = Game.mGos[o.gosCount];
        human.Player = 1;
        human.PlayerName.AssignUtf8("Вася");
        human.Destroyed = static_cast<uint8_t>(o.destroyed);
        // The sum spread over the branches.
        for (int b = 0; b < ResearchBranchCount; ++b)
            human.Research[b].Level = o.researchSum / 6 + (b < o.researchSum % 6);
    }

    static std::vector<int32_t> Points(const TRecordEntries& entries) {
        std::vector<int32_t> points;
        for (const TRecordEntry& e : entries) points.push_back(e.Points);
        return points;
    }

    test::ScratchDir dir_;
};

TEST_F(HallOfFameTest, PointsFormula) {
    EXPECT_EQ(RecordPoints(20, 19, 50, 100, 0), 39 * 39 * 100 + 100);
    // The division is real and truncated: (15 * 15 * 70 + 230) / 3 = 5326.66...
    EXPECT_EQ(RecordPoints(15, 0, 80, 230, 2), 5326);
    EXPECT_EQ(RecordPoints(20, 13, 110, 290, 3), (33 * 33 * 40 + 290) / 4);
}

TEST_F(HallOfFameTest, DefaultTableTakesNamesFromTheLanguageAndScoresItsRows) {
    TestLanguage language("1180=Первый\n1183=Четвёртый\n1187=Пока никто");
    const TRecordEntries table = DefaultRecordTable();
    EXPECT_EQ(table[0].PlayerName.Utf8(), "Первый");
    EXPECT_EQ(table[1].PlayerName.Utf8(), "");
    EXPECT_EQ(table[3].PlayerName.Utf8(), "Четвёртый");
    EXPECT_EQ(table[7].PlayerName.Utf8(), "Пока никто");
    EXPECT_EQ(Points(table), (std::vector<int32_t>{34 * 34 * 70 + 150, 31 * 31 * 80 + 130, 27 * 27 * 90 + 90,
                                                   (33 * 33 * 40 + 290), (23 * 23 * 70 + 130) / 2,
                                                   (19 * 19 * 45 + 230) / 3, (13 * 13 * 35 + 260) / 4, 0}));
    for (const TRecordEntry& e : table) {
        EXPECT_EQ(e.Difficulty, 2);
        EXPECT_EQ(e.Reserved, 0);
    }
    EXPECT_EQ(table[6].Saves, 3);
    EXPECT_EQ(table[7].Year, 0);
}

TEST_F(HallOfFameTest, EnteringAFinishedGame) {
    const TRecordEntries defaults = DefaultRecordTable();
    // Default points: 81070, 77010, 65700, 43850, 18580, 5491, 1543.
    const GameOutcome cases[] = {
        {"lost game", 1, 0, 20, 19, 50, 100, 0, 0, 0, -1},
        {"won at training", 0, 1, 20, 19, 50, 100, 5, 0, 0, -1},
        {"won normal game tops the table", 1, 1, 20, 19, 50, 100, 0, 39 * 39 * 100 + 100, 0, 0},
        {"expert saves divide the score", 2, 1, 20, 13, 110, 10, 3, (33 * 33 * 40 + 10) / 4, 3, 5},
        {"equal to a row goes above it", 2, 1, 15, 8, 80, 130, 1, 18580, 1, 4},
        {"too low for the top seven", 1, 1, 4, 3, 140, 6, 0, 7 * 7 * 10 + 6, 0, -1},
    };
    for (const GameOutcome& o : cases) {
        SCOPED_TRACE(o.what);
        Game = GameState{};
        SetUpGame(o);
        TRecordEntries table = defaults;
        ASSERT_TRUE(EnterFinishedGame(table));
        const TRecordEntry& last = table[kLastGameRow];
        EXPECT_EQ(last.PlayerName.Utf8(), "Вася");
        EXPECT_EQ(last.GosCount, o.gosCount);
        EXPECT_EQ(last.Destroyed, o.destroyed);
        EXPECT_EQ(last.Year, o.year);
        EXPECT_EQ(last.ResearchSum, o.researchSum);
        EXPECT_EQ(last.Points, o.points);
        EXPECT_EQ(last.Saves, o.saved);
        EXPECT_EQ(last.Difficulty, o.difficulty);
        // At the expert level the counter stays, else it is cleared.
        EXPECT_EQ(Game.SaveCounter, o.saved);
        if (o.row < 0) {
            for (int r = 0; r < kLastGameRow; ++r)
                EXPECT_EQ(std::memcmp(&table[r], &defaults[r], 48), 0) << r;
        } else {
            EXPECT_EQ(std::memcmp(&table[o.row], &last, 48), 0);
            for (int r = 0; r + 1 < kLastGameRow; ++r) EXPECT_GE(table[r].Points, table[r + 1].Points) << r;
        }
    }
}

TEST_F(HallOfFameTest, NoHumanStateEntersNothing) {
    Game.GosCount = 5;
    TRecordEntries table = DefaultRecordTable();
    const std::string before = EncodeRecordTable(table);
    EXPECT_FALSE(EnterFinishedGame(table));
    EXPECT_EQ(EncodeRecordTable(table), before);
}

TEST_F(HallOfFameTest, TheLastHumanStateIsTheOneEntered) {
    Game.GosCount = 6;
    Game.mGos[2].Player = 1;
    Game.mGos[2].PlayerName.AssignUtf8("Первый");
    Game.mGos[5].Player = 2;
    Game.mGos[5].PlayerName.AssignUtf8("Второй");
    TRecordEntries table = DefaultRecordTable();
    ASSERT_TRUE(EnterFinishedGame(table));
    EXPECT_EQ(table[kLastGameRow].PlayerName.Utf8(), "Второй");
}

TEST_F(HallOfFameTest, FileLayoutAndRoundTrip) {
    TRecordEntries table = DefaultRecordTable();
    table[2].PlayerName.AssignUtf8("Ёж");
    table[2].Points = 0x01020304;
    table[2].Saves = -7;
    table[2].Difficulty = 1;
    const std::string path = dir_.Path("dim.rec");
    ASSERT_EQ(WriteRecordFile(path, table), 0);
    const std::string bytes = test::ReadFile(path);
    ASSERT_EQ(bytes.size(), 384u);
    const char* row = bytes.data() + 2 * 48;
    EXPECT_EQ(row[0], 2);
    EXPECT_EQ(std::string(row + 1, 2), Cp("Ёж"));
    EXPECT_EQ(std::string(row + 16, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(std::string(row + 36, 4), std::string("\xF9\xFF\xFF\xFF", 4));
    EXPECT_EQ(row[40], 1);
    EXPECT_EQ(std::string(row + 44, 4), std::string(4, '\0'));

    int writeError = -1;
    const TRecordEntries read = ReadRecordFile(path, writeError);
    EXPECT_EQ(writeError, 0);
    EXPECT_EQ(EncodeRecordTable(read), EncodeRecordTable(table));
}

TEST_F(HallOfFameTest, AMissingFileIsCreatedWithTheDefaultTable) {
    const std::string path = dir_.Path("dim.rec");
    int writeError = -1;
    const TRecordEntries read = ReadRecordFile(path, writeError);
    EXPECT_EQ(writeError, 0);
    EXPECT_EQ(test::ReadFile(path), EncodeRecordTable(DefaultRecordTable()));
    EXPECT_EQ(EncodeRecordTable(read), EncodeRecordTable(DefaultRecordTable()));
}

TEST_F(HallOfFameTest, AnUnwritableDirectoryReportsTheErrorAndKeepsTheDefaults) {
    const std::string path = dir_.Path("missing-dir/dim.rec");
    int writeError = 0;
    const TRecordEntries read = ReadRecordFile(path, writeError);
    EXPECT_NE(writeError, 0);
    EXPECT_EQ(EncodeRecordTable(read), EncodeRecordTable(DefaultRecordTable()));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(HallOfFameTest, DamagedFilesAreRefused) {
    const std::string good = EncodeRecordTable(DefaultRecordTable());
    std::string longName = good;
    longName[48] = 14;
    std::string badLevel = good;
    badLevel[3 * 48 + 40] = 3;
    const std::vector<std::string> damaged = {"", good.substr(0, 383), good + "x", longName, badLevel};
    const std::string path = dir_.Path("dim.rec");
    for (const std::string& bytes : damaged) {
        SCOPED_TRACE(bytes.size());
        test::WriteFile(path, bytes);
        int writeError = 0;
        EXPECT_THROW(ReadRecordFile(path, writeError), ERecordFileError);
        EXPECT_EQ(test::ReadFile(path), bytes);  // left alone
    }
}

TEST_F(HallOfFameTest, TwoProcessesUpdatingAtOnceLoseNothing) {
    const std::string path = dir_.Path("dim.rec");
    constexpr int kUpdates = 50;
    ASSERT_TRUE(test::RunInProcessesAtOnce(2, [&](int) {
        for (int i = 0; i < kUpdates; ++i) {
            TRecordEntries entries;
            if (UpdateRecordFile(
                    path, [](TRecordEntries& e) { ++e[kLastGameRow].Saves; }, entries) != 0)
                throw std::runtime_error("not written");
        }
    }));
    int writeError = -1;
    EXPECT_EQ(ReadRecordFile(path, writeError)[kLastGameRow].Saves, 2 * kUpdates);
}

TEST_F(HallOfFameTest, AnUpdateOfADamagedFileWritesNothing) {
    const std::string path = dir_.Path("dim.rec");
    test::WriteFile(path, "short");
    TRecordEntries entries;
    bool changed = false;
    EXPECT_THROW(UpdateRecordFile(
                     path, [&](TRecordEntries&) { changed = true; }, entries),
                 ERecordFileError);
    EXPECT_FALSE(changed);
    EXPECT_EQ(test::ReadFile(path), "short");
}

}  // namespace
}  // namespace kordalt
