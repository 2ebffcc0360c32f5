// The charts window.
#include "ui/graph.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QTest>
#include <QValueAxis>

#include "controls/spin_edit.h"
#include "end_windows_fixture.h"
#include "ui/main_screen.h"
#include "ui/start.h"
#include "ui/windows.h"
#include "windows_check/caption_check.h"

namespace kordalt {
namespace {

class GraphTest : public EndWindows {
protected:
    GraphTest() {
        Graph = new TGraph;
        SetUpStates(3, 2);
        Game.CurrentGos = 2;
        Game.mGos[3].Alive = 0;
        Game.Year = 4;
        for (int i = 1; i <= 3; ++i) {
            for (int y = 1; y < Game.Year; ++y)
                Game.YearStats[i][y].Territory = static_cast<uint16_t>(10 * i + y);
            Game.mGos[i].Territory = static_cast<uint16_t>(100 + i);
        }
        Graph->ResetGraphFilter();
    }
    ~GraphTest() override { delete Graph; }

    static QList<QPointF> Points(int gos) { return Graph->Series[gos - 1]->points(); }
    static std::vector<int> Visible() {
        std::vector<int> shown;
        for (int i = 1; i <= TGraph::kSeriesCount; ++i)
            if (Graph->Series[i - 1]->isVisible()) shown.push_back(i);
        return shown;
    }
    // The titles of the legend, in state order.
    static QStringList LegendNames() {
        QStringList names;
        for (int i = 1; i <= TGraph::kSeriesCount; ++i)
            if (auto* label = Graph->Legend->findChild<QLabel*>(QStringLiteral("LegendName%1").arg(i)))
                names << label->text();
        return names;
    }
    // The pixels of the chart that differ between two pictures of it.
    static int Differing(const QImage& a, const QImage& b) {
        int count = 0;
        for (int y = 0; y < std::min(a.height(), b.height()); ++y)
            for (int x = 0; x < std::min(a.width(), b.width()); ++x) count += a.pixel(x, y) != b.pixel(x, y);
        return count;
    }
    static QAction* MenuItem(int tag) {
        Graph->PopupMenuPopup();
        for (QAction* action : Graph->PopupMenu->actions())
            if (!action->isSeparator() && action->data().toInt() == tag) return action;
        ADD_FAILURE() << "no menu item " << tag;
        return nullptr;
    }
    static void ChooseCriterion(int index) {
        auto* button =
            Graph->CriterionGroup->findChild<QAbstractButton*>(QStringLiteral("Item%1").arg(index));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
    }
};

TEST_F(GraphTest, TerritoryOverTheYearsEndsWithTheCurrentValue) {
    Graph->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Graph, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(Graph->windowTitle(), Text(5000));
    EXPECT_EQ(Graph->CriterionGroup->ItemIndex(), TGraph::kTerritory);
    EXPECT_EQ(Graph->Chart->chart()->title(), Text(5057));
    // Year 1 at x = 0 and 1, years 2 and 3, the current value at x = Year.
    EXPECT_EQ(Points(1), (QList<QPointF>{{0, 11}, {1, 11}, {2, 12}, {3, 13}, {4, 101}}));
    EXPECT_EQ(Points(2), (QList<QPointF>{{0, 21}, {1, 21}, {2, 22}, {3, 23}, {4, 102}}));
    // A destroyed state ends with 0.
    EXPECT_EQ(Points(3), (QList<QPointF>{{0, 31}, {1, 31}, {2, 32}, {3, 33}, {4, 0}}));
    EXPECT_EQ(Visible(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Graph->Series[0]->name(), QString::fromUtf8("Государство1"));
    EXPECT_EQ(Graph->Series[3]->points().size(), 0);
    EXPECT_EQ(Graph->Series[0]->pen().width(), 3);
    EXPECT_EQ(LegendNames(),
              (QStringList{QString::fromUtf8("Государство1"), QString::fromUtf8("Государство2"),
                           QString::fromUtf8("Государство3")}));
    EXPECT_GE(Graph->AxisBottom->max(), 4);
    EXPECT_GE(Graph->AxisLeft->max(), 102);
}

TEST_F(GraphTest, TheFirstYearsShowTitlesButNoLinesThenThreePoints) {
    Game.Year = 1;
    ActivateWindow(Graph);
    EXPECT_TRUE(Visible().empty());
    EXPECT_EQ(Graph->Series[1]->name(), QString::fromUtf8("Государство2"));
    EXPECT_EQ(Graph->Chart->chart()->title(), Text(5057));

    Game.Year = 2;
    ActivateWindow(Graph);
    EXPECT_EQ(Points(1), (QList<QPointF>{{0, 11}, {1, 11}, {2, 101}}));
    EXPECT_EQ(Visible(), (std::vector<int>{1, 2, 3}));
}

TEST_F(GraphTest, EveryCriterionReadsItsOwnField) {
    Game.Year = 2;
    TYearStatRec& y1 = Game.YearStats[1][1];
    for (int b = 0; b < 6; ++b) y1.Levels[b] = static_cast<uint8_t>(b + 1);
    y1.Harvest = 70;
    y1.Territory = 80;
    y1.Peasants = 90;
    y1.Soldiers = 100;
    y1.Scientists = 110;
    TGosRec& g = Game.mGos[1];
    for (int b = 0; b < 6; ++b) g.Research[b].Level = 11 + b;
    g.Grain = 17;
    g.Territory = 18;
    g.Peasants = 19;
    g.Soldiers = 20;
    g.Scientists = 21;
    const struct {
        int recorded, current;
    } expected[TGraph::kCriterionCount] = {{1, 11},  {2, 12},  {3, 13},  {4, 14},   {5, 15},   {6, 16},
                                           {70, 17}, {80, 18}, {90, 19}, {100, 20}, {110, 21}, {300, 60}};
    ActivateWindow(Graph);
    for (int c = 0; c < TGraph::kCriterionCount; ++c) {
        SCOPED_TRACE(c);
        ChooseCriterion(c);
        EXPECT_EQ(Graph->Chart->chart()->title(), Text(5050 + c));
        EXPECT_EQ(Points(1), (QList<QPointF>{{0, double(expected[c].recorded)},
                                             {1, double(expected[c].recorded)},
                                             {2, double(expected[c].current)}}));
    }
}

TEST_F(GraphTest, TheStateFilters) {
    ActivateWindow(Graph);
    Graph->PopupMenuPopup();
    QStringList captions;
    for (QAction* action : Graph->PopupMenu->actions()) captions << action->text();
    EXPECT_EQ(captions, (QStringList{QString::fromUtf8("Государство1"), QString::fromUtf8("Государство2"),
                                     QString::fromUtf8("Государство3"), QString(), Text(5062), Text(5063),
                                     Text(5064), Text(5065), Text(5066)}));

    MenuItem(TGraph::fHumans)->trigger();
    EXPECT_EQ(Visible(), (std::vector<int>{2}));
    EXPECT_EQ(Graph->Series[1]->name(), QString::fromUtf8("Игрок (Государство2)"));
    EXPECT_EQ(LegendNames(), QStringList{QString::fromUtf8("Игрок (Государство2)")});
    EXPECT_TRUE(MenuItem(2 + TGraph::fStateBase)->isChecked());
    EXPECT_FALSE(MenuItem(1 + TGraph::fStateBase)->isChecked());

    MenuItem(TGraph::fAlive)->trigger();
    EXPECT_EQ(Visible(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Graph->Series[1]->name(), QString::fromUtf8("Государство2"));

    MenuItem(1 + TGraph::fStateBase)->trigger();
    EXPECT_EQ(Visible(), (std::vector<int>{2}));
    MenuItem(3 + TGraph::fStateBase)->trigger();
    EXPECT_EQ(Visible(), (std::vector<int>{2, 3}));

    MenuItem(TGraph::fOwn)->trigger();
    EXPECT_EQ(Visible(), (std::vector<int>{2}));
    // The main game screen's borders of the current state, itself included.
    MainState.GosBorders = {};
    MainState.GosBorders[2] = MainState.GosBorders[3] = 1;
    MenuItem(TGraph::fNeighbours)->trigger();
    EXPECT_EQ(Visible(), (std::vector<int>{2, 3}));
    MainState.GosBorders = {};
    MenuItem(TGraph::fAll)->trigger();
    EXPECT_EQ(Visible(), (std::vector<int>{1, 2, 3}));

    Graph->ResetGraphFilter();
    Graph->RefreshGraph();
    EXPECT_EQ(Visible(), (std::vector<int>{1, 2, 3}));
}

TEST_F(GraphTest, TheCurrentStateIsDrawnLastOnEveryRebuild) {
    Game.CurrentGos = 1;
    ActivateWindow(Graph);
    for (int rebuild = 0; rebuild < 3; ++rebuild) {
        const QList<QAbstractSeries*> order = Graph->Chart->chart()->series();
        ASSERT_EQ(order.size(), TGraph::kSeriesCount);
        // Drawing order: 3, 2, 1 take the places of 1, 2, 3.
        EXPECT_EQ(order[0], Graph->Series[2]);
        EXPECT_EQ(order[1], Graph->Series[1]);
        EXPECT_EQ(order[2], Graph->Series[0]);
        EXPECT_EQ(order[3], Graph->Series[3]);
        Graph->RefreshGraph();
    }
}

TEST_F(GraphTest, ThreeDimensionalViewDrawsTheLinesWithDepth) {
    Graph->show();
    ActivateWindow(Graph);
    EXPECT_EQ(Graph->DepthPercentEdit->GetSpinIntValue(), 13);
    EXPECT_FALSE(Graph->FirstYearEdit->isVisibleTo(Graph));
    const QImage flat = Graph->Chart->grab().toImage();
    EXPECT_EQ(Graph->DepthOffset(), 0);

    QTest::mouseClick(Graph->DepthViewBox, Qt::LeftButton);
    EXPECT_TRUE(Graph->View3D);
    const QImage shallow = Graph->Chart->grab().toImage();
    EXPECT_EQ(Graph->DepthOffset(), Graph->Chart->width() * 13 / 200);
    // The plot makes room for the depth above and to the right.
    EXPECT_LE(Graph->Chart->chart()->plotArea().right(), Graph->Chart->width() - Graph->DepthOffset());

    Graph->DepthPercentEdit->SetValue(40);  // clamped to 1..30
    EXPECT_EQ(Graph->Chart3DPercent, 30);
    const QImage deep = Graph->Chart->grab().toImage();
    EXPECT_GT(Differing(flat, shallow), 1000);
    EXPECT_GT(Differing(shallow, deep), 1000);

    QTest::mouseClick(Graph->DepthViewBox, Qt::LeftButton);
    EXPECT_FALSE(Graph->View3D);
    EXPECT_EQ(Differing(flat, Graph->Chart->grab().toImage()), 0);
    Graph->hide();
}

TEST_F(GraphTest, CountsStartAtZeroAndEveryYearLabelAndTitleShowsInFull) {
    SetUpStates(TGraph::kSeriesCount, 2);
    Game.Year = 12;
    for (int i = 1; i <= TGraph::kSeriesCount; ++i) {
        Game.mGos[i].Name.AssignUtf8(i % 2 ? "Тридевятия" : "Крутогорье");
        Game.mGos[i].Soldiers = 0;
    }
    Graph->ResetGraphFilter();
    Graph->show();
    ActivateWindow(Graph);
    ChooseCriterion(9);  // soldiers: none anywhere
    EXPECT_EQ(Graph->AxisLeft->min(), 0);
    EXPECT_GT(Graph->AxisLeft->max(), 0);
    EXPECT_EQ(LegendNames().size(), TGraph::kSeriesCount);
    ChooseCriterion(TGraph::kTerritory);
    EXPECT_EQ(Graph->AxisLeft->min(), 0);
    for (const std::string& fault : test::CheckCaptions(*Graph)) ADD_FAILURE() << fault;
    Graph->hide();
}

TEST_F(GraphTest, Gallery) {
    Game.Year = 30;
    for (int i = 1; i <= 3; ++i)
        for (int y = 1; y < Game.Year; ++y)
            Game.YearStats[i][y].Territory = static_cast<uint16_t>(100 + 40 * i + (y * (4 - i) * 3) % 70);
    ActivateWindow(Graph);
    SaveToGallery(Graph->grab().toImage(), "graph");
}

}  // namespace
}  // namespace kordalt
