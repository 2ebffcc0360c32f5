#include "game/capture.h"

#include <gtest/gtest.h>

#include "battle_fixture.h"

namespace kordalt {
namespace {

// The series one soldier at a time, as the rules define it.
int64_t SquaresOneByOne(int speed, int soldiers) {
    float step = static_cast<float>(speed / 166.0L + 0.7L);
    float total = 0;
    for (int i = 0; i < soldiers; ++i) {
        step = static_cast<float>(step * 0.9995L);
        total = static_cast<float>(total + static_cast<long double>(step));
    }
    return static_cast<int64_t>(total);
}

class Captures : public BattleTest {
protected:
    // Two states of 100 squares side by side; the winner's front toward the
    // loser holds `soldiers` under a Kordalt of speed 1.
    void Prepare(int soldiers, int loserTerritory) {
        Reset();
        MakeWorld(std::vector<std::string>(10, std::string(10, '1') + std::string(10, '2')));
        RecordBorders();
        Game.mGos[1].Player = 1;
        Game.mGos[2].Territory = static_cast<uint16_t>(loserTerritory);
        Man(1, 2, {soldiers});
        HireKordalt(1, {.owner = 1, .front = 2, .order = 1, .speed = 1}, "Суворов");
        BattleAttacker = 1;
        BattleDefender = 2;
    }

    // Soldiers under a Kordalt of speed 1 that take exactly `squares`.
    static int SoldiersFor(int squares) {
        int soldiers = 0;
        while (SquaresToCapture(1, soldiers) < squares) ++soldiers;
        return soldiers;
    }
};

TEST_F(Captures, SquaresToCaptureIsAShrinkingSeries) {
    struct Case {
        int speed, soldiers;
        int64_t squares;
    } cases[] = {{1, 1, 0},   {100, 10, 12}, {50, 100, 97}, {100, 1000, 1024},
                 {100, 0, 0}, {1, 0, 0},     {0, 1, 0},     {100, -5, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(SquaresToCapture(c.speed, c.soldiers), c.squares) << c.speed << " " << c.soldiers;
    // Large armies: the same as adding every step, and never above about 1999 first steps.
    for (int speed : {0, 1, 100, 255})
        for (int soldiers : {5000, 30000, 200000})
            EXPECT_EQ(SquaresToCapture(speed, soldiers), SquaresOneByOne(speed, soldiers))
                << speed << " " << soldiers;
    EXPECT_EQ(SquaresToCapture(100, 1000000), SquaresOneByOne(100, 1000000));
    EXPECT_LE(SquaresToCapture(100, INT32_MAX), 2603);
}

TEST_F(Captures, TheLoserBearsAGrudgeByTheShareTaken) {
    struct Case {
        int territory, captured, attitude;
    } cases[] = {
        {100, 9, 93},   // r = 10: 7
        {100, 49, 0},   // r = 2: 100
        {100, 0, 99},   // a capture of nothing: r = 100, 1
        {3, 0, 0},      // r = 3: 100
        {100, 24, 65},  // r = 4: 35
        {100, 19, 65},  // r = 5: 35
        {100, 15, 80},  // r = 6.25 -> 6: 20
        {100, 14, 80},  // r = 6.67 -> 7: 20
        {100, 8, 99},   // r = 11.1 -> 11: 1
        {21, 1, 93},    // r = 10.5 -> 10 (halves to even): 7
    };
    for (const Case& c : cases) {
        Prepare(SoldiersFor(c.captured), c.territory);
        const int32_t captured = CaptureTerritory(1, 2);
        SCOPED_TRACE(testing::Message() << c.territory << " " << c.captured);
        EXPECT_EQ(Map->RegionSize(2), 100 - c.captured);
        EXPECT_EQ(Map->RegionSize(1), 100 + c.captured);
        EXPECT_EQ(captured, c.captured);
        EXPECT_EQ(Game.mGos[1].CapturedThisTurn, c.captured);
        EXPECT_EQ(Game.mGos[2].Relations[1].Attitude, c.attitude);
        EXPECT_EQ(Game.mGos[1].Relations[2].Attitude, 100);
        EXPECT_EQ(Game.mGos[2].Alive, 1);
        EXPECT_EQ(
            Report(),
            (std::vector<Entry>{{kBattleMessage, 1, clGreen, "Север берёт " + std::to_string(c.captured)}}));
    }
}

TEST_F(Captures, CapturedThisTurnAddsUp) {
    Prepare(SoldiersFor(9), 100);
    Game.mGos[1].CapturedThisTurn = 30;
    CaptureTerritory(1, 2);
    EXPECT_EQ(Game.mGos[1].CapturedThisTurn, 39);
}

TEST_F(Captures, ADetachedPartOfTheLoserIsNotTaken) {
    // State 2 holds columns 2-3 beside state 1 and columns 5-6 beyond state 3.
    MakeWorld({"1122322", "1122322"});
    RecordBorders();
    Game.mGos[1].Player = 1;
    Man(1, 2, {100});
    HireKordalt(1, {.owner = 1, .front = 2, .order = 1, .speed = 100}, "Суворов");
    BattleAttacker = 1;
    BattleDefender = 2;
    ASSERT_GT(SquaresToCapture(100, 100), 8);
    EXPECT_EQ(CaptureTerritory(1, 2), 4);
    EXPECT_EQ(Map->RegionSize(2), 4);
    EXPECT_EQ(Game.mGos[1].CapturedThisTurn, 4);
    EXPECT_EQ(Game.mGos[2].Relations[1].Attitude, 100 - 100);  // r = Round(8 / 5) = 2
    EXPECT_EQ(Game.mGos[2].Alive, 1);
    EXPECT_EQ(Report(), (std::vector<Entry>{{kBattleMessage, 1, clGreen, "Север берёт 4"}}));
}

TEST_F(Captures, AFrontWithoutKordaltCapturesAtSpeedZero) {
    Prepare(100, 100);
    Game.mGos[1].Fronts[2].Kordalt = 0;
    EXPECT_EQ(CaptureTerritory(1, 2), SquaresToCapture(0, 100));
}

// Three states in a row; state 1 takes all four squares of state 2.
class Destruction : public BattleTest {
protected:
    void Prepare(uint8_t mode, uint32_t loserPlayer, std::string_view winnerName) {
        Reset();
        PlayMode.GameMode = mode;
        MakeWorld({"111223", "111223"});
        RecordBorders();
        Man(1, 2, {100});
        HireKordalt(1, {.owner = 1, .front = 2, .order = 1, .speed = 100}, "Суворов");
        Game.mGos[1].Player = 1;
        Game.mGos[1].PlayerName.AssignUtf8(winnerName);
        Game.mGos[2].Player = loserPlayer;
        Game.mGos[2].PlayerName.AssignUtf8("Петя");
        Game.mGos[3].Relations[1].Attitude = 50;
        Game.mGos[3].Relations[2].Attitude = 50;
        BattleAttacker = 1;
        BattleDefender = 2;
    }
};

TEST_F(Destruction, TheLastSquareEndsTheState) {
    struct Case {
        const char* what;
        uint8_t mode;
        uint32_t loserPlayer;
        const char* winnerName;
        std::vector<std::string> chat, defeats;
        int destroyedAsPlayer, victims;
        std::string chronicle;
    } cases[] = {
        // clang-format off
        {"local game, human loser", kLocalGame, 2, "Ваня",
         {}, {"Петя"}, 1, 1, "Юг уничтожено\r\nПравитель Петя свергнут"},
        {"network game, human loser", 1, 0x5123, "Ваня",
         {"Правитель Петя свергнут"}, {}, 1, 1, "Юг уничтожено\r\nПравитель Петя свергнут"},
        {"local game, computer loser", kLocalGame, 0, "Ваня",
         {}, {}, 1, 0, "Юг уничтожено\r\n"},
        {"network game, computer loser", 1, 0, "Ваня",
         {}, {}, 1, 0, "Юг уничтожено\r\n"},
        {"network game, winner without a player name", 1, 0x5123, "",
         {"Правитель Петя свергнут"}, {}, 0, 0, "Юг уничтожено\r\nПравитель Петя свергнут"},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prepare(c.mode, c.loserPlayer, c.winnerName);
        const int32_t captured = CaptureTerritory(1, 2);
        const TGosRec& winner = Game.mGos[1];
        const TGosRec& loser = Game.mGos[2];
        EXPECT_EQ(Map->RegionSize(2), 0);
        EXPECT_EQ(captured, 4);
        EXPECT_EQ(loser.Alive, 0);
        EXPECT_EQ(winner.Destroyed, 1);
        EXPECT_EQ(winner.DestroyedAsPlayer, c.destroyedAsPlayer);
        EXPECT_EQ(winner.HumanVictimCount, c.victims);
        EXPECT_EQ(winner.HumanVictims[1], c.victims ? 2 : 0);
        EXPECT_EQ(captureUi_.chat, c.chat);
        EXPECT_EQ(captureUi_.colors, std::vector<TColor>(c.chat.size(), 0x000380));
        EXPECT_EQ(captureUi_.defeats, c.defeats);
        EXPECT_EQ(Cp1251ToUtf8(Game.BattleChronicle), c.chronicle);
        // Living states grow wary of the winner; the loser only keeps his grudge.
        EXPECT_EQ(winner.Relations[1].Attitude, 33);
        EXPECT_EQ(Game.mGos[3].Relations[1].Attitude, 17);
        EXPECT_EQ(Game.mGos[3].Relations[2].Attitude, 50);
        EXPECT_EQ(loser.Relations[1].Attitude, 0);
        std::vector<Entry> expected;
        for (const char* text : {"Север берёт 4", "Юг уничтожено\r\n"}) {
            expected.push_back({kBattleMessage, 1, clGreen, text});
            if (c.loserPlayer) expected.push_back({kBattleMessage, 2, clGreen, text});
        }
        EXPECT_EQ(Report(), expected);
    }
}

TEST_F(Destruction, AFullVictimsListIsNotWrittenPast) {
    Prepare(kLocalGame, 2, "Ваня");
    TGosRec& winner = Game.mGos[1];
    winner.HumanVictimCount = 20;
    for (int i = 1; i <= 20; ++i) winner.HumanVictims[i] = 5;
    const uint8_t padAfter = winner.Pad81[0];
    CaptureTerritory(1, 2);
    EXPECT_EQ(winner.Destroyed, 1);
    EXPECT_EQ(winner.DestroyedAsPlayer, 1);
    EXPECT_EQ(winner.HumanVictimCount, 20);
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(winner.HumanVictims[i], 5);
    EXPECT_EQ(winner.Pad81[0], padAfter);
    EXPECT_EQ(captureUi_.defeats, std::vector<std::string>{"Петя"});
}

TEST_F(Destruction, TheNoticesAreAppendedWithoutALineBreakOfTheirOwn) {
    Prepare(kLocalGame, 2, "Ваня");
    Game.BattleChronicle = Cp("Север - Юг\n");
    CaptureTerritory(1, 2);
    // Text 3319 ends in "|" here, text 3320 does not: nothing is added after either.
    EXPECT_EQ(Cp1251ToUtf8(Game.BattleChronicle), "Север - Юг\nЮг уничтожено\r\nПравитель Петя свергнут");
}

}  // namespace
}  // namespace kordalt
