// The defeat and victory screen.
#include "ui/proc.h"

#include <QLabel>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include "controls/classic.h"
#include "controls/speed_button.h"
#include "end_windows_fixture.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

class ProcTest : public EndWindows {
protected:
    ProcTest() {
        Proc = new TProc;
        SetUpStates(4, 2);
    }
    ~ProcTest() override { delete Proc; }

    struct Line {
        QString text;
        TColor color;
        bool operator==(const Line&) const = default;
        friend std::ostream& operator<<(std::ostream& os, const Line& l) {
            return os << l.text.toStdString() << " #" << std::hex << l.color;
        }
    };
    static std::vector<Line> Shown() {
        std::vector<Line> lines;
        const QTextDocument* doc = Proc->LastBattle->document();
        if (doc->isEmpty()) return lines;
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
            lines.push_back(
                {block.text(), FromQColor(block.begin().fragment().charFormat().foreground().color())});
        return lines;
    }
    static TColor WindowColor() { return PaletteColor(*Proc, QPalette::Window); }
};

TEST_F(ProcTest, TextsOfTheSettingsFile) {
    EXPECT_EQ(Proc->windowTitle(), Text(1200));
    EXPECT_EQ(Proc->windowTitle(), QString::fromUtf8("Последнее сражение"));
    const std::pair<QString, int> shown[] = {
        {Proc->LoseBefore->text(), 1201},  {Proc->LoseAfter->text(), 1202},
        {Proc->LoseVerdict->text(), 1203}, {Proc->LoseClose->Caption(), 1204},
        {Proc->WinGreeting->text(), 1205}, {Proc->WinMessage->text(), 1206},
        {Proc->WinBanner->text(), 1207},   {Proc->WinClose->Caption(), 1208},
    };
    for (const auto& [text, id] : shown) {
        EXPECT_FALSE(text.isEmpty()) << id;
        EXPECT_EQ(text, Text(id)) << id;
    }
    EXPECT_EQ(Proc->LoseVerdict->text(), QString::fromUtf8("ВЫ\nПРОИГРАЛИ"));
}

TEST_F(ProcTest, ShowsOnlyTheBattleTextsOfTheDefender) {
    AddReportRecord(2, 2, 0x008000, "Битва за холм");
    AddReportRecord(1, 2, 0x0000FF, "Событие года");
    AddReportRecord(2, 3, 0x0000FF, "Чужая битва");
    AddReportRecord(2, 2, 0x800000, "Победа~12~Государство2~Государство3");
    AddReportRecord(2, 2, 0x000000, "Итог~5");
    SetBattleDefender(2);
    Proc->Pages->setCurrentIndex(TProc::kLosePage);
    ActivateWindow(Proc);
    EXPECT_EQ(Shown(), (std::vector<Line>{{QString::fromUtf8("Битва за холм"), 0x008000},
                                          {QString::fromUtf8("Победа"), 0x800000},
                                          {QString::fromUtf8("Итог"), 0x000000}}));
    EXPECT_EQ(Proc->LoseStateName->text(), QString::fromUtf8("Государство2"));
    EXPECT_EQ(Proc->LosePlayerName->text(), QString::fromUtf8("Игрок"));
    EXPECT_EQ(Proc->WinPlayerName->text(), QString::fromUtf8("Игрок"));
    EXPECT_EQ(WindowColor(), TColor{0x0000C1});

    // Another activation shows the texts once, not twice.
    ActivateWindow(Proc);
    EXPECT_EQ(Shown().size(), 3u);
}

TEST_F(ProcTest, AStateWithoutBattlesShowsNothingOnTheWinPage) {
    AddReportRecord(1, 2, 0x0000FF, "Событие года");
    AddReportRecord(2, 1, 0x0000FF, "Чужая битва");
    SetBattleDefender(2);
    Proc->Pages->setCurrentIndex(TProc::kWinPage);
    ActivateWindow(Proc);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(WindowColor(), TColor{0xC08000});
}

TEST_F(ProcTest, VictoryAndDefeatSequences) {
    struct Case {
        const char* what;
        void (*show)(uint8_t);
        int page;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"victory",
         &TProc::ShowVictory,
         TProc::kWinPage,
         {"Align MainScreen keep", "Banner Игрок", "Align TurnBanner keep", "Proc 2"}},
        {"defeat",
         &TProc::ShowDefeat,
         TProc::kLosePage,
         {"Align MainScreen keep", "Banner Игрок", "Align TurnBanner keep", "Proc 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        windows_.log.clear();
        Game.CurrentPlayerName.clear();
        SetBattleDefender(4);
        int page = -1;
        ScopedModalHook modal([&](QDialog& dialog) {
            EXPECT_EQ(&dialog, static_cast<QDialog*>(Proc));
            page = Proc->Pages->currentIndex();
            windows_.log.push_back("Proc " + std::to_string(CurrentBattleDefender()));
            return 2;
        });
        c.show(2);
        EXPECT_EQ(windows_.log, c.log);
        EXPECT_EQ(page, c.page);
        EXPECT_EQ(Game.CurrentPlayerName, Cp("Игрок"));
    }
}

TEST_F(ProcTest, TheCaptureOfALocalHumanShowsTheLosePage) {
    InstallDefeatScreen();
    Proc->Pages->setCurrentIndex(TProc::kWinPage);
    Game.CurrentPlayerName = Cp("Игрок");
    SetBattleDefender(2);
    int page = -1;
    ScopedModalHook modal([&](QDialog&) {
        page = Proc->Pages->currentIndex();
        windows_.log.push_back("Proc " + std::to_string(CurrentBattleDefender()));
        return 2;
    });
    CaptureShowsLocalDefeat();
    EXPECT_EQ(page, TProc::kLosePage);
    EXPECT_EQ(windows_.log, (std::vector<std::string>{"Align Setup", "Banner Игрок", "Align TurnBanner",
                                                      "Align Setup", "Proc 2", "Show Setup"}))
        << "the year goes on in the set-up window, shown again";
    RemoveCaptureUi();
}

TEST_F(ProcTest, BothButtonsClose) {
    for (TExSpeedButton* button : {Proc->WinClose, Proc->LoseClose}) {
        Proc->Pages->setCurrentWidget(button->parentWidget());
        Proc->show();
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_FALSE(Proc->isVisible()) << button->objectName().toStdString();
        EXPECT_EQ(Proc->result(), 2);
    }
}

TEST_F(ProcTest, Gallery) {
    AddReportRecord(2, 2, 0x008000, "Государство2 атакует Государство3");
    AddReportRecord(2, 2, 0x800000, "Армия разбита~3");
    SetBattleDefender(2);
    for (int page : {TProc::kLosePage, TProc::kWinPage}) {
        Proc->Pages->setCurrentIndex(page);
        ActivateWindow(Proc);
        SaveToGallery(Proc->grab().toImage(), page == TProc::kLosePage ? "proc_lose" : "proc_win");
    }
}

}  // namespace
}  // namespace kordalt
