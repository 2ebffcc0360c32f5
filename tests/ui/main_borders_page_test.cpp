// The borders page: Kordalt orders through the popup menu, the front slider,
// the recall of soldiers and the state grid's row order.
#include <QAction>
#include <QMenu>

#include "controls/draw_grid.h"
#include "controls/ex_label.h"
#include "game/language_file.h"
#include "game/player_actions.h"
#include "game/squares.h"
#include "main_screen_fixture.h"

namespace kordalt::test {
namespace {

class BordersPage : public MainScreenTest {
protected:
    void SetUp() override {
        for (int j = 2; j <= Game.GosCount; ++j)
            if (Map->AreNeighbours(1, static_cast<uint8_t>(j))) neighbours.push_back(j);
        ASSERT_FALSE(neighbours.empty());
        for (int slot : {1, 21, 41}) Hire(slot);
        Gos().Soldiers = Gos().Reserve = 500;
        screen->FormActivate();
        OpenPage(3);
    }
    void Hire(int slot) {
        TKordaltRec& k = Game.mKordalt[slot];
        k.Owner = 1;
        k.Front = 0;
        k.Order = kOrderRest;
        k.Condition = 100;
        k.Mastery = 10;
        ++Gos().KordaltCount;
    }
    TExDrawGrid* Grid() { return Find<TExDrawGrid>("dgrKordalts"); }
    void Select(int row) { Grid()->SetRow(row); }
    QList<QAction*> MenuItems() {
        QMenu* menu = Find<QMenu>("mnuKordaltOrder");
        screen->mnuKordaltOrderPopup();
        return menu->actions();
    }
    // Chooses the item with `tag` for the Kordalt of `row`.
    void Order(int row, int tag) {
        Select(row);
        for (QAction* item : MenuItems())
            if (!item->isSeparator() && item->data().toInt() == tag) {
                item->trigger();
                return;
            }
        ADD_FAILURE() << "no item with tag " << tag;
    }
    std::vector<int> neighbours;
};

TEST_F(BordersPage, OrdersMenuListsRestTrainFortifyTheNeighboursAndDismiss) {
    EXPECT_EQ(screen->KordaltRows, (std::vector<int>{1, 21, 41}));
    EXPECT_EQ(Grid()->RowCount(), 4);
    Select(1);
    const QList<QAction*> items = MenuItems();
    ASSERT_EQ(items.size(), 4 + static_cast<int>(neighbours.size()) + 2);
    EXPECT_EQ(items[0]->text(), "Отдых");
    EXPECT_EQ(items[0]->data().toInt(), 1);
    EXPECT_EQ(Find<QMenu>("mnuKordaltOrder")->defaultAction(), items[0]) << "he rests";
    EXPECT_EQ(items[2]->data().toInt(), 3);
    EXPECT_TRUE(items[3]->isSeparator());
    for (size_t i = 0; i < neighbours.size(); ++i) {
        QAction* attack = items[4 + static_cast<int>(i)];
        EXPECT_EQ(attack->data().toInt(), neighbours[i] + 5);
        EXPECT_EQ(attack->text(), "Атака на " + Qs(Game.mGos[neighbours[i]].Name.Str()));
    }
    EXPECT_TRUE(items[items.size() - 2]->isSeparator());
    EXPECT_EQ(items.back()->data().toInt(), 4);
}

TEST_F(BordersPage, AttackPutsTheWholeReserveOnTheFrontAndTheSliderMovesIt) {
    const int j = neighbours[0];
    Order(1, j + 5);
    const TKordaltRec& k = Game.mKordalt[1];
    EXPECT_EQ(k.Order, kOrderAttack);
    EXPECT_EQ(k.Front, j);
    EXPECT_EQ(Gos().Fronts[j].Kordalt, 1);
    EXPECT_EQ(FrontSoldiers(1, static_cast<uint8_t>(j)), 500);
    EXPECT_EQ(Gos().Reserve, 0);
    EXPECT_EQ(Find<TExLabel>("ExLabel5")->Caption(), "0");
    QSlider* slider = Find<QSlider>("TrackBar1");
    EXPECT_FALSE(slider->isHidden());
    EXPECT_EQ(slider->maximum(), 500);
    slider->setValue(200);
    EXPECT_EQ(FrontSoldiers(1, static_cast<uint8_t>(j)), 200);
    EXPECT_EQ(Gos().Reserve, 300);
    EXPECT_EQ(Text("Label1"), "200");
    EXPECT_EQ(KordaltTroops(1), 200);
    // A second Kordalt takes the front; the first one trains (condition 100).
    Order(2, j + 5);
    EXPECT_EQ(Game.mKordalt[21].Front, j);
    EXPECT_EQ(Gos().Fronts[j].Kordalt, 21);
    EXPECT_EQ(Game.mKordalt[1].Front, 0);
    EXPECT_EQ(Game.mKordalt[1].Order, kOrderTrain);
    EXPECT_EQ(FrontSoldiers(1, static_cast<uint8_t>(j)), 500);
    EXPECT_EQ(Gos().Soldiers, 500);
}

TEST_F(BordersPage, ASecondFortifierReleasesTheFirst) {
    Order(1, 3);
    EXPECT_EQ(Game.mKordalt[1].Order, kOrderFortify);
    EXPECT_EQ(Gos().Fronts[1].Kordalt, 1);
    EXPECT_EQ(KordaltTroops(1), 500) << "the home front's defenders are the reserve";
    Game.mKordalt[1].Condition = 50;
    Game.mKordalt[1].Mastery = 90;
    Order(2, 3);
    EXPECT_EQ(Game.mKordalt[21].Order, kOrderFortify);
    EXPECT_EQ(Gos().Fronts[1].Kordalt, 21);
    EXPECT_EQ(Game.mKordalt[1].Order, kOrderRest);
    EXPECT_EQ(Game.mKordalt[1].Front, 0);
    EXPECT_TRUE(Find<QSlider>("TrackBar1")->isHidden());
}

// Rest, training, the home front or another front: the attacker leaves his
// front, and the front slider shows only for a new attack.
TEST_F(BordersPage, AnAttackerGivenAnotherOrderLeavesHisFront) {
    const int j = neighbours[0];
    const int other = neighbours.size() > 1 ? neighbours[1] : 0;
    for (int tag : {1, 2, 3, other + 5}) {
        if (tag == 5) continue;  // a single neighbour
        SCOPED_TRACE(tag);
        Order(1, j + 5);
        ASSERT_FALSE(Find<QSlider>("TrackBar1")->isHidden());
        Order(1, tag);
        EXPECT_EQ(Gos().Fronts[j].Kordalt, 0);
        EXPECT_EQ(Find<QSlider>("TrackBar1")->isHidden(), tag != other + 5);
    }
}

TEST_F(BordersPage, ActivationRecallsSoldiersOfFrontsWithoutAnAttacker) {
    const int j = neighbours[0];
    Order(1, j + 5);
    Find<QSlider>("TrackBar1")->setValue(300);
    const int other = neighbours.size() > 1 ? neighbours[1] : 1;
    Gos().Fronts[other].Soldiers[2] = 50;
    Gos().Reserve -= 50;
    screen->FormActivate();
    EXPECT_EQ(FrontSoldiers(1, static_cast<uint8_t>(j)), 300);
    EXPECT_EQ(FrontSoldiers(1, static_cast<uint8_t>(other)), 0);
    EXPECT_EQ(Gos().Reserve, 200);
    Click("SpeedButton6");
    for (int slot : {1, 21, 41}) EXPECT_EQ(Game.mKordalt[slot].Order, kOrderRest);
    EXPECT_EQ(Gos().Fronts[j].Kordalt, 0);
    EXPECT_EQ(Gos().Reserve, 500);
}

TEST_F(BordersPage, DismissAsksAndReturnsTheKordaltToThePool) {
    answer = TMsgButton::No;
    Order(3, 4);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(Game.mKordalt[41].Owner, 1);
    answer = TMsgButton::Yes;
    Order(3, 4);
    EXPECT_EQ(Game.mKordalt[41].Owner, 0);
    EXPECT_EQ(Gos().KordaltCount, 2);
    EXPECT_EQ(screen->KordaltRows, (std::vector<int>{1, 21}));
}

TEST_F(BordersPage, DismissAnsweredNoKeepsTheKordaltOnHisFront) {
    const int j = neighbours[0];
    Order(1, j + 5);
    Find<QSlider>("TrackBar1")->setValue(300);
    Order(2, 3);
    answer = TMsgButton::No;
    for (int row : {1, 2}) Order(row, 4);
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(Game.mKordalt[1].Order, kOrderAttack);
    EXPECT_EQ(Game.mKordalt[1].Front, j);
    EXPECT_EQ(Gos().Fronts[j].Kordalt, 1);
    EXPECT_EQ(FrontSoldiers(1, static_cast<uint8_t>(j)), 300) << "his soldiers stay with him";
    EXPECT_EQ(Gos().Reserve, 200);
    EXPECT_EQ(Game.mKordalt[21].Order, kOrderFortify);
    EXPECT_EQ(Gos().Fronts[1].Kordalt, 21) << "the home front keeps its defender";

    answer = TMsgButton::Yes;
    Order(1, 4);
    EXPECT_EQ(Game.mKordalt[1].Owner, 0);
    EXPECT_EQ(Gos().Fronts[j].Kordalt, 0);
    EXPECT_EQ(FrontSoldiers(1, static_cast<uint8_t>(j)), 0);
    EXPECT_EQ(Gos().Reserve, 500);
}

// The grid shows the header and four Kordalts; a fifth brings the scroll bar.
// Scrolled anywhere, no row is cut by the grid's bottom and every column
// lies beside the scroll bar.
TEST_F(BordersPage, TheKordaltGridShowsWholeRowsAndScrollsBeyondFour) {
    TExDrawGrid* grid = Grid();
    for (int slot : {61, 81}) {
        Hire(slot);
        screen->FormActivate();
        const size_t kordalts = screen->KordaltRows.size();
        SCOPED_TRACE(kordalts);
        EXPECT_EQ(grid->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, kordalts > 4);
        int width = 0;
        for (int c = 0; c < grid->ColCount(); ++c) width += grid->ColWidths(c) + grid->GridLineWidth();
        EXPECT_LE(width, grid->viewport()->width() + grid->GridLineWidth());
        for (int top = 1; top < grid->RowCount(); ++top) {
            grid->SetTopRow(top);
            for (int row = 0; row < grid->RowCount(); ++row) {
                const TRect cell = grid->CellRect(0, row);
                if (!cell.IsEmpty()) EXPECT_LE(cell.bottom, grid->viewport()->height()) << "row " << row;
            }
        }
        EXPECT_FALSE(grid->CellRect(0, grid->RowCount() - 1).IsEmpty()) << "the last Kordalt is out of reach";
    }
}

TEST_F(BordersPage, NoKordaltGivesABlankRowAndAnEmptyMenu) {
    for (int slot : {1, 21, 41}) Game.mKordalt[slot].Owner = 0;
    Gos().KordaltCount = 0;
    screen->FormActivate();
    EXPECT_EQ(Grid()->RowCount(), 2);
    EXPECT_TRUE(MenuItems().isEmpty());
    EXPECT_TRUE(Find<QSlider>("TrackBar1")->isHidden());
}

TEST_F(BordersPage, StateGridRowsAndKordaltTexts) {
    const std::vector<int> rows = screen->CountryRows();
    ASSERT_EQ(static_cast<int>(rows.size()), Game.GosCount);
    EXPECT_EQ(rows[0], 1);
    for (size_t i = 0; i < neighbours.size(); ++i) EXPECT_EQ(rows[i + 1], neighbours[i]);
    EXPECT_EQ(Find<TExDrawGrid>("dgrCountries")->RowCount(), Game.GosCount);
    EXPECT_EQ(Qs(KordaltOrderText(1)), "Отдых");
    Order(1, neighbours[0] + 5);
    EXPECT_EQ(Qs(KordaltOrderText(1)), "Атака на " + Qs(Game.mGos[neighbours[0]].Name.Str()));
}

// The views take the settings file's texts; the names item keeps its own.
TEST_F(BordersPage, MiniMapMenuNamesItsViewsAndTheNamesSwitch) {
    const QList<QAction*> items = Find<QMenu>("mnuMap")->actions();
    ASSERT_EQ(items.size(), 3);
    const char* texts[3] = {"Обычная", "Весь мир", "Названия"};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(items[i]->text(), QString::fromUtf8(texts[i])) << i;
    EXPECT_TRUE(items[2]->isChecked());
}

TEST_F(BordersPage, TheFrontControlsLieInsideThePageBesideTheOthers) {
    Order(1, neighbours[0] + 5);
    QWidget* page = screen->TabSheetBorders;
    QWidget* front = Find("FrontPanel");
    ASSERT_TRUE(front->isVisibleTo(page));
    const QRect inside = page->rect().adjusted(2, 2, -2, -2);
    QList<QWidget*> controls;
    for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisibleTo(page) && w->objectName() != "Image4") controls << w;  // not the background
    for (QWidget* w : controls) {
        const std::string name = w->objectName().toStdString();
        EXPECT_TRUE(inside.contains(w->geometry())) << name << " reaches the page's edge";
        for (QWidget* other : controls)
            if (other != w)
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << name << " overlaps " << other->objectName().toStdString();
    }
    for (const char* name : {"Label49", "TrackBar1", "Label1", "Label_km"})
        EXPECT_TRUE(front->contentsRect().contains(Find(name)->geometry())) << name;
}

// The shipped settings file names the states with texts 1111 to 1130 and the
// Kordalts with texts 1100 to 1110 followed by a number up to 19.
TEST_F(BordersPage, OrdersAndNamesOfTheShippedTextsFitTheirColumns) {
    TExDrawGrid* grid = Grid();
    const QFontMetrics metrics(grid->font());
    const auto fits = [&](int col, const QString& text) {
        return metrics.horizontalAdvance(text) + 4 <= grid->ColWidths(col);
    };
    for (int c = 0; c < 8; ++c)
        EXPECT_TRUE(fits(c, Qs(KordaltTexts.KordaltColumnTitles[static_cast<size_t>(c)]))) << c;
    const int j = neighbours[0];
    const std::string ownName = Game.mGos[j].Name.Str();
    Order(1, j + 5);
    for (int i = 0; i < kStateNames.Count; ++i) {
        Game.mGos[j].Name.Assign(LangText(kStateNames[i]));
        EXPECT_TRUE(fits(6, Qs(KordaltOrderText(1)))) << Qs(KordaltOrderText(1)).toStdString();
    }
    Game.mGos[j].Name.Assign(ownName);
    for (int order : {kOrderFortify, kOrderRest, kOrderTrain}) {
        Game.mKordalt[41].Order = static_cast<uint8_t>(order);
        EXPECT_TRUE(fits(6, Qs(KordaltOrderText(41)))) << order;
    }
    for (int i = 0; i < kKordaltBaseNames.Count; ++i) {
        const QString name = Qs(LangText(kKordaltBaseNames[i])) + "19";
        EXPECT_TRUE(fits(0, name)) << name.toStdString();
    }
}

TEST(BordersRules, AutoRestOrTrain) {
    struct Case {
        uint8_t condition, mastery, order;
    };
    const Case cases[] = {{79, 71, kOrderRest}, {81, 69, kOrderTrain},  {100, 70, kOrderTrain},
                          {80, 70, kOrderRest}, {100, 90, kOrderTrain}, {50, 50, kOrderRest}};
    for (const Case& c : cases) {
        Game.mKordalt[5].Condition = c.condition;
        Game.mKordalt[5].Mastery = c.mastery;
        AutoRestOrTrain(5);
        EXPECT_EQ(Game.mKordalt[5].Order, c.order) << int{c.condition} << " " << int{c.mastery};
    }
}

TEST(BordersRules, AttitudeIconsAndMapModes) {
    const std::pair<int, int> icons[] = {{100, 0}, {80, 0}, {79, 1}, {60, 1}, {59, 2},  {40, 2},
                                         {39, 3},  {20, 3}, {19, 4}, {0, 4},  {101, 4}, {255, 4}};
    for (const auto& [attitude, icon] : icons) EXPECT_EQ(AttitudeIcon(attitude), icon) << attitude;
    EXPECT_EQ(MapModeFromMenu(true, false), 1);
    EXPECT_EQ(MapModeFromMenu(true, true), 4);
    EXPECT_EQ(MapModeFromMenu(false, true), 3);
    EXPECT_EQ(MapModeFromMenu(false, false), 2);
}

}  // namespace
}  // namespace kordalt::test
