// The turn banner, the player hand-over and the sending notice.
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>
#include <cmath>

#include "game/self_test.h"
#include "setup_windows_fixture.h"

namespace kordalt {
namespace {

using TurnWindows = SetupWindows;

// Hours, minutes and seconds of a time text, whatever the locale's separators.
QList<int> TimeParts(const QString& text) {
    QList<int> parts;
    for (const QString& part : text.split(QRegularExpression(QStringLiteral("\\D+")), Qt::SkipEmptyParts))
        parts << part.toInt();
    return parts;
}

TEST(TimeOfDay, WholeDaysAreDropped) {
    struct Case {
        double days;
        QList<int> parts;
    };
    for (const Case& c :
         {Case{0, {0, 0, 0}}, Case{25.0 / 24, {1, 0, 0}}, Case{1.5, {12, 0, 0}},
          Case{(3 * 3600 + 25 * 60 + 7) / 86400.0, {3, 25, 7}},
          Case{2 + (23 * 3600 + 59 * 60 + 59) / 86400.0, {23, 59, 59}}, Case{NAN, {0, 0, 0}}}) {
        EXPECT_EQ(TimeParts(TimeOfDayText(c.days)), c.parts)
            << c.days << " " << TimeOfDayText(c.days).toStdString();
    }
}

TEST_F(TurnWindows, BannerOfASingleHuman) {
    Game.GosCount = 3;
    Game.HumanCount = 1;
    Game.Year = 17;
    Game.CurrentPlayerName = Cp("Емеля");
    ActivateWindow(SelectMan);
    EXPECT_EQ(SelectMan->windowTitle(), QString::fromUtf8("Выбор игрока"));
    EXPECT_EQ(SelectMan->PlayerName->Caption(), QString::fromUtf8("Емеля"));
    EXPECT_EQ(SelectMan->Banner->Caption(), QString::fromUtf8("ВАШ ХОД"));
    EXPECT_EQ(SelectMan->YearLabel->text(), QString::fromUtf8("Год"));
    EXPECT_EQ(SelectMan->Year->text(), QStringLiteral("17"));
    EXPECT_EQ(SelectMan->OkButton->Caption(), QStringLiteral("OK"));
    EXPECT_FALSE(SelectMan->TimeTable->isVisibleTo(SelectMan));
    EXPECT_FALSE(SelectMan->TimesLabel->isVisibleTo(SelectMan));
}

class HotSeat : public TurnWindows {
protected:
    HotSeat() {
        Game.GosCount = 5;
        Game.HumanCount = 3;
        // Human 1 plays states 2 and 4, human 2 state 5, human 3 state 1.
        const struct {
            int gos, player;
            const char* name;
            double days;
        } states[] = {{1, 3, "Третий", 0.5},
                      {2, 1, "Первый", 25.0 / 24},
                      {4, 1, "Первый-2", 2.0 / 24},
                      {5, 2, "Второй", 0}};
        for (const auto& s : states) {
            Game.mGos[s.gos].Player = static_cast<uint32_t>(s.player);
            Game.mGos[s.gos].PlayerName.AssignUtf8(s.name);
            Game.mGos[s.gos].TimeSpent = s.days;
        }
        Game.CurrentGos = 5;
        Game.CurrentPlayerName = Cp("Второй");
    }
};

TEST_F(HotSeat, BannerShowsEveryHumansTime) {
    ActivateWindow(SelectMan);
    TStringGrid& grid = *SelectMan->TimeTable;
    ASSERT_TRUE(grid.isVisibleTo(SelectMan));
    EXPECT_EQ(Shown(SelectMan->TimesLabel->text()), QString::fromUtf8("Время\nпотраченное на игру :"));
    ASSERT_EQ(grid.RowCount(), 3);
    // A human with two states shows the later one.
    EXPECT_EQ(grid.Cell(0, 0), QString::fromUtf8("Первый-2"));
    EXPECT_EQ(TimeParts(grid.Cell(1, 0)), (QList<int>{2, 0, 0}));
    EXPECT_EQ(grid.Cell(0, 1), QString::fromUtf8("Второй"));
    EXPECT_EQ(grid.Cell(0, 2), QString::fromUtf8("Третий"));
    EXPECT_EQ(TimeParts(grid.Cell(1, 2)), (QList<int>{12, 0, 0}));
    EXPECT_EQ(grid.Row(), 1);

    Game.CurrentGos = 2;
    ActivateWindow(SelectMan);
    EXPECT_EQ(grid.Row(), 0);
}

TEST_F(HotSeat, NetworkGameShowsNoTimes) {
    PlayMode.GameMode = kServer;
    ActivateWindow(SelectMan);
    EXPECT_FALSE(SelectMan->TimeTable->isVisibleTo(SelectMan));
    EXPECT_FALSE(SelectMan->TimesLabel->isVisibleTo(SelectMan));
}

TEST_F(TurnWindows, BannerAndHandOverCloseWithOk) {
    Game.CurrentPlayerName = "2";
    QTimer::singleShot(0, SelectPlayer, [] {
        EXPECT_EQ(SelectPlayer->PlayerName->Caption(), QStringLiteral("2"));
        QTest::mouseClick(SelectPlayer->ReadyButton, Qt::LeftButton);
    });
    EXPECT_EQ(ExecModal(*SelectPlayer), 1);
    EXPECT_EQ(SelectPlayer->ReadyButton->Caption(), QString::fromUtf8("Я готов"));
    EXPECT_EQ(SelectPlayer->windowTitle(), QString::fromUtf8("Передача хода"));
    EXPECT_TRUE(SelectPlayer->RequestLabel->Caption().startsWith(QString::fromUtf8("Все остальные")));
    EXPECT_TRUE(SelectPlayer->windowFlags() & Qt::WindowStaysOnTopHint);

    QTimer::singleShot(0, SelectMan, [] { QTest::mouseClick(SelectMan->OkButton, Qt::LeftButton); });
    EXPECT_EQ(ExecModal(*SelectMan), 1);
    EXPECT_TRUE(SelectMan->windowFlags() & Qt::WindowStaysOnTopHint);
}

// In hot seat too, where the time table takes the focus.
TEST_F(HotSeat, BannerClosesWithEnterSpaceOrEscape) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape}) {
        QTimer::singleShot(0, SelectMan, [key] {
            QApplication::setActiveWindow(SelectMan);
            ASSERT_TRUE(QTest::qWaitForWindowActive(SelectMan, 2000));
            SelectMan->TimeTable->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key);
            // A key that did nothing leaves the banner up: the button ends it with another result.
            if (SelectMan->isVisible()) SelectMan->done(0);
        });
        EXPECT_EQ(ExecModal(*SelectMan), 1) << QKeySequence(key).toString().toStdString();
    }
}

TEST_F(TurnWindows, SendingNoticeCentresOverTheMainWindow) {
    EXPECT_EQ(DopInfo->size(), QSize(249, 83));
    EXPECT_TRUE(DopInfo->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(DopInfo->SendingLabel->text(), QString::fromUtf8("Идёт отправка данных..."));
    QWidget mainForm;
    mainForm.setObjectName(QStringLiteral("MainForm"));
    mainForm.setGeometry(100, 60, 640, 480);
    mainForm.show();
    DopInfo->ShowNotice();
    EXPECT_TRUE(DopInfo->isVisible());
    EXPECT_LE((DopInfo->frameGeometry().center() - mainForm.frameGeometry().center()).manhattanLength(), 2);
    DopInfo->hide();
}

}  // namespace
}  // namespace kordalt
