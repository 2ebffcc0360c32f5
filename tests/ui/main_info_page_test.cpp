// The information page: events, the battle list and view built from a turn
// report, and the chronicle.
#include <QChartView>
#include <QLineSeries>
#include <QTextBlock>
#include <QTextEdit>
#include <QValueAxis>

#include "controls/draw_grid.h"
#include "controls/splitter.h"
#include "main_screen_fixture.h"

namespace kordalt::test {
namespace {

const std::string kBattleStart = "*** Новое сражение ***";

class InfoPage : public MainScreenTest {
protected:
    // A battle of state `gos` with `rounds` status lines; returns nothing.
    void AddBattle(uint8_t gos, const std::string& title, int number, int rounds) {
        AddBattleLine(gos, clBlack, kBattleStart);
        AddBattleLine(gos, clBlack, title + "~" + std::to_string(number));
        AddBattleLine(gos, clBlack, "Нападение~1~2~3~4");
        AddBattleLine(gos, clGreen, "Тактика " + title);
        for (int r = 1; r <= rounds; ++r)
            AddBattleLine(gos, clNavy,
                          "Раунд " + std::to_string(r) + "~" + std::to_string(100 * r) + "~10~1~50~" +
                              std::to_string(200 * r) + "~20~2~60");
    }
    QStringList Lines(const char* edit) {
        QStringList lines;
        for (QTextBlock b = Find<QTextEdit>(edit)->document()->begin(); b.isValid(); b = b.next())
            lines << b.text();
        return lines;
    }
    // The series belong to the charts' scenes, not to the window's widgets.
    QLineSeries* Series(const char* name) {
        for (QLineSeries* s : {screen->Info.AttackerArmy, screen->Info.DefenderArmy,
                               screen->Info.AttackerMorale, screen->Info.DefenderMorale})
            if (s->objectName() == name) return s;
        return nullptr;
    }
};

TEST_F(InfoPage, BattleListAndView) {
    AddEventLine(1, clRed, "Урожай погиб");
    AddBattle(2, "Чужая битва", 0, 3);
    AddBattle(1, "Битва у реки", 0, 3);
    AddBattle(1, "Битва у леса", 1, 1);
    AddBattleLine(1, clBlack, "Опоздавший заголовок~7");  // beyond the list: names the last battle
    screen->FormActivate();
    ASSERT_EQ(screen->BattleUnits.size(), 2u);
    EXPECT_EQ(Qs(screen->BattleUnits[0]->Title), "Битва у реки");
    EXPECT_EQ(Qs(screen->BattleUnits[1]->Title), "Опоздавший заголовок");
    EXPECT_EQ(screen->BattleUnits[1]->LastIndex, ReportSize() - 1);
    auto* grid = Find<TExDrawGrid>("ExDrawGrid1");
    EXPECT_FALSE(grid->isHidden());
    EXPECT_FALSE(Find("ExSplitter1")->isHidden());
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->height(), 2 * 19 + 2 * grid->frameWidth()) << "two rows inside the frame";
    EXPECT_EQ(Lines("RichEdit1"), QStringList{"Урожай погиб"});
    // The first battle is shown: its text lines and one chart point per round.
    EXPECT_EQ(Lines("RichEdit2"), (QStringList{"Тактика Битва у реки", "Раунд 1", "Раунд 2", "Раунд 3"}));
    ASSERT_EQ(Series("Series1")->count(), 3);
    EXPECT_EQ(Series("Series1")->at(2).y(), 300 + 10 + 1);
    EXPECT_EQ(Series("Series2")->at(2).y(), 600 + 20 + 2);
    EXPECT_EQ(Series("Series3")->at(0).y(), 50);
    EXPECT_EQ(Series("Series4")->at(0).y(), 60);
    EXPECT_EQ(Series("Series1")->pen().width(), 2);
    EXPECT_FALSE(Find("Panel28")->isHidden());
    // The second battle replaces everything; one round gives no charts.
    bool canSelect = true;
    screen->BattleListSelectCell(0, 1, canSelect);
    EXPECT_EQ(Lines("RichEdit2"), (QStringList{"Тактика Битва у леса", "Раунд 1"}));
    EXPECT_EQ(Series("Series1")->count(), 1);
    EXPECT_TRUE(Find("Panel28")->isHidden());
}

TEST_F(InfoPage, ALongTitleWrapsInARowTallEnoughForAllOfIt) {
    const std::string title =
        "Кордалия (Кутузкин1) против Бурбонии (Дядя Вася): 0.5–0.5; из 300 уцелело 90, из 300 уцелело 33";
    AddBattle(1, title, 0, 3);
    AddBattle(1, "Битва у леса", 1, 3);
    screen->FormActivate();
    auto* grid = Find<TExDrawGrid>("ExDrawGrid1");
    const QRect wrapped = grid->fontMetrics().boundingRect(QRect(0, 0, grid->ColWidths(0) - 6, 1000),
                                                           Qt::TextWordWrap, QString::fromStdString(title));
    EXPECT_GT(wrapped.height(), grid->fontMetrics().height()) << "the title takes more than one line";
    EXPECT_GE(grid->RowHeights(0), wrapped.height());
    EXPECT_EQ(grid->RowHeights(1), 18);
    EXPECT_GE(grid->viewport()->height(), grid->RowHeights(0) + grid->RowHeights(1))
        << "both rows are shown whole";
}

TEST_F(InfoPage, ChartAxesStartAtZeroAndReachAboveTheLines) {
    AddBattle(1, "Битва у реки", 0, 4);
    screen->FormActivate();
    for (QChartView* chart : {screen->Info.ArmyChart, screen->Info.MoraleChart}) {
        SCOPED_TRACE(chart->objectName().toStdString());
        double right = 0, top = 0;
        for (QAbstractSeries* s : chart->chart()->series())
            for (const QPointF& p : static_cast<QLineSeries*>(s)->points()) {
                right = std::max(right, p.x());
                top = std::max(top, p.y());
            }
        const auto* rounds = static_cast<QValueAxis*>(chart->chart()->axes(Qt::Horizontal).first());
        const auto* counts = static_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical).first());
        EXPECT_EQ(rounds->min(), 0);
        EXPECT_EQ(rounds->max(), right);
        EXPECT_EQ(counts->min(), 0);
        EXPECT_GT(counts->max(), top);
    }
}

TEST_F(InfoPage, NoBattleHidesTheListAndItsSplitter) {
    AddBattleLine(1, clBlack, "Заголовок без битвы~0");
    AddBattle(2, "Чужая битва", 0, 3);
    screen->FormActivate();
    EXPECT_TRUE(screen->BattleUnits.empty());
    EXPECT_TRUE(Find("ExDrawGrid1")->isHidden());
    EXPECT_TRUE(Find("ExSplitter1")->isHidden());
    EXPECT_TRUE(Find("Panel28")->isHidden());
}

TEST_F(InfoPage, ChronicleMarksOwnStateBoldAndDestroyedStatesRed) {
    const std::string own = Gos().Name.Utf8();
    const std::string other = Game.mGos[2].Name.Utf8();
    Game.BattleChronicle =
        Cp(own + " напал на " + other + "\n") + Cp("Государство " + other + " уничтожено!\n") +
        Cp("Государство " + own + " уничтожено!\n") + Cp("Мирный год\n") + Cp("Потерянная строка");
    screen->FormActivate();
    for (const char* name : {"RichEdit3", "RichEdit4"}) {
        SCOPED_TRACE(name);
        QTextDocument* doc = Find<QTextEdit>(name)->document();
        ASSERT_EQ(doc->blockCount(), 4) << "a last line without a line feed is not shown";
        struct Expected {
            bool bold, red;
        };
        const Expected expected[] = {{true, false}, {false, true}, {true, true}, {false, false}};
        QTextBlock block = doc->begin();
        for (const Expected& e : expected) {
            const QTextCharFormat format = block.begin().fragment().charFormat();
            EXPECT_EQ(format.fontWeight() == QFont::Bold, e.bold) << block.text().toStdString();
            EXPECT_EQ(format.foreground().color() == QColor(Qt::red), e.red) << block.text().toStdString();
            block = block.next();
        }
    }
}

TEST_F(InfoPage, AlarmLineNeedsBothPartsOfThePattern) {
    const std::pair<const char*, bool> lines[] = {
        {"Государство Омск уничтожено!", true},
        {"Государство Омск", false},
        {"Омск уничтожено!", false},
        {"", false},
    };
    for (const auto& [line, alarm] : lines) EXPECT_EQ(IsAlarmLine(Cp(line)), alarm) << line;
}

}  // namespace
}  // namespace kordalt::test
