#include "controls/draw_grid.h"

#include "input_test_support.h"
#include "controls/control_support.h"
#include "controls/widget_test_support.h"
#include "platform/ini_file.h"
#include "support/test_files.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace kordalt {
namespace {

struct Drawn {
    TRect rect;
    TGridDrawState state;
};

// A shown grid of 5 x 5 cells (64 x 18 plus 1-pixel lines) with one fixed row and
// column, recording every OnDrawCell call.
struct GridFixture {
    test::TestWindow window{QSize(400, 300)};
    TExDrawGrid* grid;
    std::map<std::pair<int, int>, Drawn> drawn;
    explicit GridFixture(QSize viewport = {330, 100}) {
        grid = new TExDrawGrid(&window.window);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->resize(viewport + QSize(4, 4));  // the 2-pixel sunken frame
        grid->OnDrawCell = [this](TExDrawGrid*, int col, int row, const TRect& rect, TGridDrawState state) {
            drawn[{col, row}] = {rect, state};
        };
        window.ShowActive();
    }
    Drawn At(int col, int row) { return drawn[{col, row}]; }
    bool WasDrawn(int col, int row) const { return drawn.count({col, row}) != 0; }
    void Paint() {
        drawn.clear();
        (void)grid->viewport()->grab();
    }
    QPoint CellPoint(int col, int row) const {
        const TRect r = grid->CellRect(col, row);
        return {r.left + 5, r.top + 5};
    }
};

TEST(DrawGrid, DrawCallbackGetsEveryVisibleCellWithItsState) {
    GridFixture f;
    f.grid->clearFocus();
    f.Paint();
    EXPECT_EQ(f.drawn.size(), 25u);
    struct Case {
        int col, row;
        TRect rect;
        TGridDrawState state;
    } cases[] = {
        {0, 0, {0, 0, 64, 18}, gdFixed},      {3, 0, {195, 0, 259, 18}, gdFixed},
        {0, 4, {0, 76, 64, 94}, gdFixed},     {1, 1, {65, 19, 129, 37}, gdSelected},
        {2, 3, {130, 57, 194, 75}, 0},        {4, 4, {260, 76, 324, 94}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << "," << c.row);
        EXPECT_EQ(f.At(c.col, c.row).rect, c.rect);
        EXPECT_EQ(f.At(c.col, c.row).state, c.state);
        EXPECT_EQ(f.grid->CellRect(c.col, c.row), c.rect);
    }
    f.grid->setFocus();
    f.grid->SetOptions(f.grid->Options() | goRowSelect);
    f.Paint();
    for (int col = 1; col < 5; ++col) EXPECT_TRUE(f.At(col, 1).state & gdSelected) << col;
    EXPECT_EQ(f.At(1, 1).state, gdSelected | gdFocused);
    EXPECT_EQ(f.At(0, 1).state, gdFixed);
    EXPECT_EQ(f.At(2, 2).state, 0u);
}

TEST(DrawGrid, DefaultDrawingFillsByKindOfCell) {
    GridFixture f;
    f.grid->OnDrawCell = nullptr;
    f.grid->SetColor(clWhite);
    f.grid->SetFixedColor(clSilver);
    const QImage image = f.grid->viewport()->grab().toImage();
    EXPECT_EQ(test::At(image, 30, 9), ColorToRGB(clSilver));       // fixed
    EXPECT_EQ(test::At(image, 100, 28), ColorToRGB(clHighlight));  // the current cell
    EXPECT_EQ(test::At(image, 160, 66), ColorToRGB(clWhite));      // data
    EXPECT_EQ(test::At(image, 129, 66), ColorToRGB(clSilver));     // a grid line
    EXPECT_EQ(test::At(image, 0, 9), ColorToRGB(clBtnHighlight));  // raised edges of a fixed cell
    EXPECT_EQ(test::At(image, 63, 9), ColorToRGB(clBtnShadow));
}

TEST(DrawGrid, FocusedRowSelectGridFramesTheWholeRow) {
    GridFixture f;
    f.grid->OnDrawCell = nullptr;
    f.grid->SetOptions(f.grid->Options() | goRowSelect);
    f.grid->SetRow(2);
    auto* other = new QWidget(&f.window.window);
    other->setFocusPolicy(Qt::StrongFocus);
    other->move(0, 250);
    other->show();
    other->setFocus();
    const QImage unfocused = f.grid->viewport()->grab().toImage();
    f.grid->setFocus();
    const QImage focused = f.grid->viewport()->grab().toImage();
    QRect changed;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            if (focused.pixel(x, y) != unfocused.pixel(x, y)) changed = changed.united(QRect(x, y, 1, 1));
        }
    }
    EXPECT_EQ(TRect::FromQRect(changed), (TRect{65, 38, 324, 56}));
}

TEST(DrawGrid, MouseSelectsDataCellsOnly) {
    GridFixture f;
    int vetoRow = -1;
    f.grid->OnSelectCell = [&](TExDrawGrid*, int, int row, bool& canSelect) { canSelect = row != vetoRow; };
    QSignalSpy clicks(f.grid, &TExDrawGrid::OnClick), downs(f.grid, &TExDrawGrid::OnMouseDown),
        doubles(f.grid, &TExDrawGrid::OnDblClick);
    test::Click(f.grid->viewport(), f.CellPoint(3, 2));
    EXPECT_EQ(f.grid->Col(), 3);
    EXPECT_EQ(f.grid->Row(), 2);
    test::Click(f.grid->viewport(), f.CellPoint(2, 0));  // fixed: nothing
    EXPECT_EQ(f.grid->Col(), 3);
    vetoRow = 4;
    test::Click(f.grid->viewport(), f.CellPoint(2, 4));
    EXPECT_EQ(f.grid->Row(), 2);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(downs.count(), 3);
    // The second press of a double click only reports the double click.
    test::SendMouse(f.grid->viewport(), QEvent::MouseButtonDblClick, f.CellPoint(1, 3));
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_EQ(downs.count(), 3);
    EXPECT_EQ(f.grid->Row(), 2);
}

TEST(DrawGrid, KeysMoveTheCurrentRowAndScroll) {
    GridFixture f;
    f.grid->SetRowCount(30);
    f.grid->SetOptions(f.grid->Options() | goRowSelect);
    f.grid->setFocus();
    const int visible = f.grid->VisibleRowCount();
    ASSERT_EQ(visible, 4);  // rows of 19 pixels under the fixed row, in 100
    struct Case {
        Qt::Key key;
        int row, topRow;
    } cases[] = {{Qt::Key_Down, 2, 1}, {Qt::Key_Up, 1, 1},    {Qt::Key_Up, 1, 1},
                 {Qt::Key_PageDown, 5, 2}, {Qt::Key_End, 29, 26}, {Qt::Key_PageUp, 25, 25},
                 {Qt::Key_Home, 1, 1}};
    for (const Case& c : cases) {
        QTest::keyClick(f.grid, c.key);
        EXPECT_EQ(f.grid->Row(), c.row) << c.key;
        EXPECT_EQ(f.grid->TopRow(), c.topRow) << c.key;
    }
    f.grid->SetTopRow(100);
    EXPECT_EQ(f.grid->TopRow(), 26);
    EXPECT_TRUE(f.grid->CellRect(1, 1).IsEmpty());
    EXPECT_EQ(f.grid->CellRect(1, 26).top, 19);
}

TEST(DrawGrid, ScrollBarMovesTheTopRow) {
    GridFixture f;
    f.grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    f.grid->SetRowCount(30);
    QSignalSpy moved(f.grid, &TExDrawGrid::OnTopLeftChanged);
    f.grid->verticalScrollBar()->setValue(5);
    EXPECT_EQ(f.grid->TopRow(), 6);
    EXPECT_EQ(moved.count(), 1);
    f.Paint();
    EXPECT_EQ(f.At(1, 6).rect.top, 19);
    EXPECT_EQ(f.WasDrawn(1, 5), false);
    EXPECT_EQ(f.WasDrawn(1, 0), true);  // the fixed row stays
}

TEST(DrawGrid, ColumnWidthsPlaceTheCells) {
    GridFixture f;
    f.grid->SetColWidths(1, 100);
    EXPECT_EQ(f.grid->CellRect(2, 1).left, 65 + 101);
    f.grid->SetGridLineWidth(3);
    EXPECT_EQ(f.grid->CellRect(2, 1).left, 67 + 103);
    f.grid->SetOptions(f.grid->Options() & ~(goVertLine | goFixedVertLine));
    EXPECT_EQ(f.grid->CellRect(2, 1).left, 64 + 100);
    f.grid->SetDefaultColWidth(30);
    EXPECT_EQ(f.grid->ColWidths(1), 30);
    EXPECT_EQ(f.grid->CellRect(2, 1).left, 60);
}

TEST(DrawGrid, DraggingAHeaderBorderSizesTheColumn) {
    struct Case {
        bool sizing;
        int row;  // where the press is
        int width;
        int sized;
    } cases[] = {{true, 0, 84, 1}, {true, 1, 64, 0}, {false, 0, 64, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sizing " << c.sizing << " row " << c.row);
        GridFixture f;
        if (!c.sizing) f.grid->SetOptions(f.grid->Options() & ~goColSizing);
        QSignalSpy sized(f.grid, &TExDrawGrid::OnColumnSized);
        const QPoint border(129, f.grid->CellRect(1, c.row).top + 5);  // right edge of column 1
        test::Press(f.grid->viewport(), border);
        test::MoveHeld(f.grid->viewport(), border + QPoint(10, 0));
        test::MoveHeld(f.grid->viewport(), border + QPoint(20, 0));
        test::Release(f.grid->viewport(), border + QPoint(20, 0));
        EXPECT_EQ(f.grid->ColWidths(1), c.width);
        EXPECT_EQ(sized.count(), c.sized);
    }
}

TEST(DrawGrid, CellTextIsCentredVerticallyAndAlignedAcross) {
    for (int pixelSize : {8, 30}) {
        SCOPED_TRACE(pixelSize);
        GridFixture f;
        f.grid->setFont(test::TestFont(pixelSize));
        f.grid->SetColor(clWhite);
        f.grid->SetColWidths(2, 120);
        const TAlignment aligns[] = {taLeftJustify, taRightJustify, taCenter};
        f.grid->OnDrawCell = [&](TExDrawGrid* grid, int col, int row, const TRect& rect, TGridDrawState) {
            if (row == 2 && col >= 1 && col <= 3) grid->DrawCellStr(rect, QStringLiteral("WW"), aligns[col - 1]);
        };
        const QImage image = f.grid->viewport()->grab().toImage();
        const QFontMetrics metrics(f.grid->font());
        const QRect tight = metrics.tightBoundingRect(QStringLiteral("WW"));
        const int dy = std::max(1, (18 - metrics.height()) / 2);
        for (int col = 1; col <= 3; ++col) {
            SCOPED_TRACE(col);
            const TRect cell = f.grid->CellRect(col, 2);
            const QRect ink = test::InkBox(image.copy(cell.ToQRect()), test::Dark);
            ASSERT_FALSE(ink.isEmpty());
            const int glyphTop = dy + metrics.ascent() + tight.top();
            EXPECT_NEAR(ink.top(), std::max(0, glyphTop), 1);
            const int width = metrics.horizontalAdvance(QStringLiteral("WW"));
            const int x = col == 1 ? 2 : col == 2 ? cell.Width() - width - 3 : cell.Width() / 2 - width / 2;
            EXPECT_NEAR(ink.left(), std::max(0, x + tight.left()), 1);
        }
    }
}

TEST(DrawGrid, ColumnWidthsInASettingsFile) {
    test::ScratchDir dir;
    TIniFile ini(dir.Path("grid.INI"));
    {
        GridFixture f;
        f.grid->SetColWidths(1, 90);
        f.grid->SetColWidths(4, 12);
        f.grid->SaveColumnWidths(ini, "TMaindgrCountries");
    }
    EXPECT_EQ(ini.ReadString("TMaindgrCountries", "Item4", ""), "12");
    ini.DeleteKey("TMaindgrCountries", "Item2");
    GridFixture f;
    f.grid->SetColWidths(2, 33);
    f.grid->LoadColumnWidths(ini, "TMaindgrCountries");
    const int expected[] = {64, 90, 33, 64, 12};
    for (int col = 0; col < 5; ++col) EXPECT_EQ(f.grid->ColWidths(col), expected[col]) << col;
}

}  // namespace
}  // namespace kordalt
