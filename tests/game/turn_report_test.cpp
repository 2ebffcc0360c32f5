#include "game/turn_report.h"

#include <gtest/gtest.h>

#include <cstring>

#include "rules_fixture.h"

namespace kordalt {
namespace {

using TurnReport = RulesTest;

TEST_F(TurnReport, RecordBytesAreTheStoredForm) {
    AddMessage(kEventMessage, 7, clOlive, "abc");
    ASSERT_EQ(Messages.Count(), 1);
    ASSERT_EQ(CurMessage, Messages[0]);
    uint8_t expected[264] = {1, 7, 0, 0, 0x80, 0x80, 0, 0, 3, 'a', 'b', 'c'};
    EXPECT_EQ(std::memcmp(CurMessage, expected, sizeof expected), 0);
}

TEST_F(TurnReport, LongTextsAreCutTo255Cp1251Characters) {
    // 300 Cyrillic letters are 600 UTF-8 bytes but 300 cp1251 bytes.
    std::string text;
    for (int i = 0; i < 300; ++i) text += (i < 255 ? "ж" : "ы");
    AddMessage(kBattleMessage, 1, clRed, Cp(text));
    EXPECT_EQ(CurMessage->Text.Length, 255);
    EXPECT_EQ(Report()[0].text, text.substr(0, 255 * 2));
}

TEST_F(TurnReport, BattleMessagesGoToHumanSidesAttackerFirst) {
    struct Case {
        uint32_t attackerPlayer, defenderPlayer;
        std::vector<int> receivers;
    } cases[] = {{0, 0, {}}, {1, 0, {3}}, {0, 2, {5}}, {1, 2, {3, 5}}, {0x7f00ab12, 1, {3, 5}}};
    BattleAttacker = 3;
    BattleDefender = 5;
    for (const Case& c : cases) {
        Messages.Clear();
        Game.mGos[3].Player = c.attackerPlayer;
        Game.mGos[5].Player = c.defenderPlayer;
        AddBattleMessage(clGreen, "x");
        std::vector<Entry> expected;
        for (int gos : c.receivers) expected.push_back({kBattleMessage, gos, clGreen, "x"});
        EXPECT_EQ(Report(), expected) << c.attackerPlayer << " " << c.defenderPlayer;
    }
}

TEST_F(TurnReport, BattleTextSplitsAtTheFirstCarriageReturn) {
    struct Case {
        std::string text, head, tail;
    } cases[] = {
        {"ab\r\ncd", "ab", "cd"},
        {"ab", "ab", ""},
        {"", "", ""},
        {"ab\r", "ab", ""},   // CR as the last character
        {"ab\rX", "ab", ""},  // the character after CR is dropped whatever it is
        {"a\r\nb\r\nc", "a", "b\r\nc"},
        {"\r\n", "", ""},
    };
    BattleAttacker = 1;
    BattleDefender = 2;
    Game.mGos[1].Player = 1;
    for (const Case& c : cases) {
        Messages.Clear();
        AddBattleText(c.text);
        const std::vector<Entry> expected{{kBattleMessage, 1, clGreen, c.head},
                                          {kBattleMessage, 1, clNavy, c.tail}};
        EXPECT_EQ(Report(), expected) << testing::PrintToString(c.text);
    }
}

TEST_F(TurnReport, ClearFreesEveryRecordAndTheCursor) {
    Messages.Clear();  // an empty list
    EXPECT_EQ(Messages.Count(), 0);
    for (int i = 0; i < 3; ++i) AddMessage(kEventMessage, 1, clBlack, std::to_string(i));
    EXPECT_EQ(Messages.Count(), 3);
    EXPECT_EQ(CurMessage, Messages[2]);
    Messages.Clear();  // ASan reports a record freed twice or never
    EXPECT_EQ(Messages.Count(), 0);
    EXPECT_EQ(CurMessage, nullptr);
}

TEST(RecordField, TildesInNamesBecomeDashes) {
    EXPECT_EQ(RecordField("A~B~~"), "A-B--");
    EXPECT_EQ(RecordField("plain"), "plain");
    const std::string record = "x~" + RecordField("Se~ver") + "~" + RecordField("South");
    EXPECT_EQ(std::count(record.begin(), record.end(), '~'), 2);
}

}  // namespace
}  // namespace kordalt
