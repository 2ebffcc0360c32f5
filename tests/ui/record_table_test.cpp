// The hall of fame window.
#include "ui/record_table.h"

#include <QLabel>
#include <QTest>
#include <QWindow>

#include "controls/animated_gif.h"
#include "controls/ex_label.h"
#include "controls/speed_button.h"
#include "end_windows_fixture.h"
#include "platform/program_path.h"
#include "support/test_files.h"
#include "ui/preference.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

class RecordTableTest : public EndWindows {
protected:
    RecordTableTest() {
        RecordTable = new TRecordTable;
        RecordTable->RecordFileName = dir_.Path("dim.rec");
    }
    ~RecordTableTest() override { delete RecordTable; }

    static QString Cell(int row, int column) { return RecordTable->Cells[row][column]->text(); }
    static TExSpeedButton* Button(TRecordButton button) { return RecordTable->Buttons[button]; }

    test::ScratchDir dir_;
};

TEST_F(RecordTableTest, OpeningCreatesTheDefaultTableAndShowsIt) {
    RecordTable->show();
    EXPECT_EQ(test::ReadFile(dir_.Path("dim.rec")), EncodeRecordTable(DefaultRecordTable()));
    EXPECT_EQ(Cell(0, 0), Text(1180));
    EXPECT_FALSE(Cell(0, 0).isEmpty());
    EXPECT_EQ(Cell(0, 1), QString::number(DefaultRecordTable()[0].Points));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("20"));
    EXPECT_EQ(Cell(0, 3), QStringLiteral("14"));
    EXPECT_EQ(Cell(0, 4), QStringLiteral("80"));
    EXPECT_EQ(Cell(0, 5), QStringLiteral("150"));
    EXPECT_EQ(Cell(6, 6), QStringLiteral("3"));
    // Zeros show "-".
    EXPECT_EQ(Cell(0, 6), QStringLiteral("-"));
    EXPECT_EQ(Cell(7, 0), Text(1187));
    for (int column = 1; column < TRecordTable::kColumns; ++column)
        EXPECT_EQ(Cell(7, column), QStringLiteral("-"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(RecordTableTest, SavesShowOnlyAtTheExpertLevel) {
    TRecordEntries table = DefaultRecordTable();
    table[6].Difficulty = 1;
    table[5].Difficulty = 2;
    ASSERT_EQ(WriteRecordFile(RecordTable->RecordFileName, table), 0);
    ActivateWindow(RecordTable);
    EXPECT_EQ(Cell(6, 6), QStringLiteral("-"));
    EXPECT_EQ(Cell(5, 6), QStringLiteral("2"));
}

TEST_F(RecordTableTest, TextsAndButtons) {
    EXPECT_EQ(RecordTable->windowTitle(), Text(6000));
    EXPECT_EQ(RecordTable->Title->Caption(), Text(6001));
    EXPECT_EQ(Button(rbClose)->Caption(), Text(6002));
    EXPECT_EQ(RecordTable->Headers[2]->text(), Text(6006));
    EXPECT_TRUE(RecordTable->Headers[2]->text().contains(QLatin1Char('\n')));
    EXPECT_EQ(RecordTable->LastGameLabel->text(), Text(6012));
    for (int n = 1; n <= 8; ++n) {
        auto* button = RecordTable->findChild<TExSpeedButton*>(QStringLiteral("SpeedButton%1").arg(n));
        ASSERT_NE(button, nullptr) << n;
        EXPECT_EQ(button->isVisibleTo(RecordTable), n == 1 || n == 4 || n == 7) << n;
    }
    QTest::mouseClick(Button(rbWebSite), Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Text(3225) + Text(3226));
}

TEST_F(RecordTableTest, ResettingAsksFirst) {
    TRecordEntries table = DefaultRecordTable();
    table[0].Points = 1;
    ASSERT_EQ(WriteRecordFile(RecordTable->RecordFileName, table), 0);
    ActivateWindow(RecordTable);
    for (TMsgButton button : {TMsgButton::No, TMsgButton::Yes}) {
        answer = button;
        QTest::mouseClick(Button(rbReset), Qt::LeftButton);
    }
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], Text(3224));
    EXPECT_EQ(messageTypes[0], TMsgType::Confirmation);
    EXPECT_EQ(test::ReadFile(RecordTable->RecordFileName), EncodeRecordTable(DefaultRecordTable()));
    EXPECT_EQ(Cell(0, 1), QString::number(DefaultRecordTable()[0].Points));
}

TEST_F(RecordTableTest, TheYearLoopEntersAWonGame) {
    SetUpStates(20, 20);
    Game.Year = 50;
    Game.DifficultyLevel = 1;
    Game.HumanWon = 1;
    Game.SaveCounter = 4;
    Game.mGos[20].Destroyed = 19;
    Game.mGos[20].Research[5].Level = 100;
    TRecordTable::EnterHallOfFame();
    int error = 0;
    const TRecordEntries table = ReadRecordFile(RecordTable->RecordFileName, error);
    EXPECT_EQ(table[0].Points, 39 * 39 * 100 + 100);
    EXPECT_EQ(table[0].PlayerName.Utf8(), "Игрок");
    EXPECT_EQ(table[7].Points, table[0].Points);
    EXPECT_EQ(table[1].Points, DefaultRecordTable()[0].Points);
    EXPECT_EQ(Game.SaveCounter, 0);
}

// A damaged file or an unwritable folder: one box, then the default table;
// the box closing activates the window again without a second box.
TEST_F(RecordTableTest, AFileErrorIsShownOnceThenTheDefaultTable) {
    const std::string damaged(100, '\x01');
    test::WriteFile(RecordTable->RecordFileName, damaged);
    RecordTable->show();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messageTypes[0], TMsgType::Error);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Файл рекордов"))) << messages[0].toStdString();
    EXPECT_EQ(Cell(0, 1), QString::number(DefaultRecordTable()[0].Points));
    SetUpStates(2, 1);
    TRecordTable::EnterHallOfFame();
    ActivateWindow(RecordTable);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(test::ReadFile(RecordTable->RecordFileName), damaged);

    // The reset writes the default table over the damaged file.
    answer = TMsgButton::Yes;
    QTest::mouseClick(Button(rbReset), Qt::LeftButton);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messageTypes[1], TMsgType::Confirmation);
    EXPECT_EQ(test::ReadFile(RecordTable->RecordFileName), EncodeRecordTable(DefaultRecordTable()));

    // Shown again later, an unwritable folder is reported once more, once.
    RecordTable->hide();
    RecordTable->RecordFileName = dir_.Path("no-such-dir/dim.rec");
    RecordTable->show();
    ActivateWindow(RecordTable);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2], Text(3223));
    EXPECT_EQ(Cell(6, 6), QStringLiteral("3"));
}

TEST_F(RecordTableTest, AFailedWriteShowsTheText) {
    RecordTable->RecordFileName = dir_.Path("no-such-dir/dim.rec");
    RecordTable->LoadDefaultTable();
    RecordTable->WriteFile();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Text(3223));
}

// Without a window manager a box shown before its window reaches the screen
// stands alone on an empty screen: the main menu is hidden already.
TEST_F(RecordTableTest, ADamagedCupIsReportedOverTheWindowOnTheScreen) {
    test::ScratchDir folder;
    test::WriteFile(folder.Path("fame.gif"), "GIF89a, cut short");
    ScopedProgramFileName program(folder.Path("kordalt"));
    delete RecordTable;
    RecordTable = new TRecordTable;
    RecordTable->RecordFileName = dir_.Path("dim.rec");
    bool onScreen = false;
    ScopedMessageBoxHook box([&](TMsgType, const QString& text) {
        messages.push_back(text);
        onScreen = RecordTable->windowHandle() && RecordTable->windowHandle()->isVisible();
        return TMsgButton::Ok;
    });
    RecordTable->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 2000));
    EXPECT_TRUE(messages[0].contains(QStringLiteral("fame.gif"))) << messages[0].toStdString();
    EXPECT_TRUE(onScreen) << "the window beneath the box is on the screen";
    RecordTable->hide();
    RecordTable->show();
    QTest::qWait(20);
    EXPECT_EQ(messages.size(), 1u) << "told once";
}

// The shipped cup: ten frames, 0 and 5 resting for two seconds, the others
// 150 ms; it plays from frame 0 while the window shows.
TEST_F(RecordTableTest, TheCupPlaysWhileTheWindowShows) {
    TExGIFAnimator* cup = RecordTable->Cup;
    ASSERT_NE(cup, nullptr);
    EXPECT_EQ(cup->objectName(), QStringLiteral("ExGIFAnimator1"));
    EXPECT_EQ(cup->geometry(), QRect(640 - 59, 4, 59, 65));
    EXPECT_TRUE(cup->Stretch());
    EXPECT_FALSE(cup->AutoSize());
    EXPECT_TRUE(cup->Loop());
    TGIFImage& gif = cup->Image();
    ASSERT_EQ(gif.Count(), 10);
    EXPECT_EQ(gif.ScreenWidth(), 59);
    EXPECT_EQ(gif.ScreenHeight(), 65);
    for (int i = 0; i < gif.Count(); ++i)
        EXPECT_EQ(gif.Frames(i).AnimateInterval, i == 0 || i == 5 ? 2000 : 150) << i;
    EXPECT_NE(gif.Frames(0).GetFrameBitmap().Image, gif.Frames(1).GetFrameBitmap().Image)
        << "the glint moves";
    EXPECT_FALSE(cup->Animate());
    cup->SetFrameIndex(3);
    RecordTable->show();
    EXPECT_TRUE(cup->Animate());
    EXPECT_EQ(cup->FrameIndex(), 0);
    EXPECT_EQ(cup->GetFrameDelay(), 2000u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cup->FrameIndex() == 1; }, 4000))
        << "frame 1 follows after two seconds";
    RecordTable->hide();
    EXPECT_FALSE(cup->Animate());
}

TEST_F(RecordTableTest, Gallery) {
    ActivateWindow(RecordTable);
    SaveToGallery(RecordTable->grab().toImage(), "record_table");
    Preference = new TPreference;
    SaveToGallery(Preference->grab().toImage(), "preference");
    delete Preference;
}

}  // namespace
}  // namespace kordalt
