#include "controls/draw_grid.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <algorithm>
#include <map>
#include <utility>

#include "controls/control_support.h"
#include "controls/widget_test_support.h"
#include "input_test_support.h"
#include "platform/ini_file.h"
#include "support/test_files.h"

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
        {0, 0, {0, 0, 64, 18}, gdFixed},  {3, 0, {195, 0, 259, 18}, gdFixed},
        {0, 4, {0, 76, 64, 94}, gdFixed}, {1, 1, {65, 19, 129, 37}, gdSelected},
        {2, 3, {130, 57, 194, 75}, 0},    {4, 4, {260, 76, 324, 94}, 0},
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
    } cases[] = {{Qt::Key_Down, 2, 1},     {Qt::Key_Up, 1, 1},    {Qt::Key_Up, 1, 1},
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
            if (row == 2 && col >= 1 && col <= 3)
                grid->DrawCellStr(rect, QStringLiteral("WW"), aligns[col - 1]);
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

TEST(DrawGrid, FixedCellsActAsButtonsWhenAsked) {
    struct Case {
        const char* name;
        bool fixedButtons;
        bool refuse;
        Qt::MouseButton button;
        bool moveAway;  // released outside the pressed cell
        int clicks;
    } cases[] = {
        {"click", true, false, Qt::LeftButton, false, 1},
        {"released elsewhere", true, false, Qt::LeftButton, true, 0},
        {"refused", true, true, Qt::LeftButton, false, 0},
        {"right acts as left", true, false, Qt::RightButton, false, 1},
        {"plain grid", false, false, Qt::LeftButton, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridFixture f;
        f.grid->SetFixedButtons(c.fixedButtons);
        f.grid->OnCheckButton = [&](TExDrawGrid*, int, int, bool& enabled) { enabled = !c.refuse; };
        std::vector<std::pair<int, int>> clicks;
        QObject::connect(f.grid, &TExDrawGrid::OnFixedCellClick, [&](int col, int row) {
            clicks.push_back({col, row});
        });
        const QPoint at = f.CellPoint(2, 0);
        test::SendMouse(f.grid->viewport(), QEvent::MouseButtonPress, at, c.button, c.button);
        const bool pressed = c.fixedButtons && !c.refuse;
        EXPECT_EQ(f.grid->PressedCell(), pressed ? QPoint(2, 0) : QPoint(-1, -1));
        if (pressed) {
            // The pressed cell's painter gets its rectangle one line width right and down.
            f.Paint();
            EXPECT_EQ(f.At(2, 0).rect, f.grid->CellRect(2, 0).Offset(1, 1));
        }
        const QPoint release = c.moveAway ? f.CellPoint(3, 0) : at;
        test::SendMouse(f.grid->viewport(), QEvent::MouseMove, release, Qt::NoButton, c.button);
        test::SendMouse(f.grid->viewport(), QEvent::MouseButtonRelease, release, c.button, Qt::NoButton);
        EXPECT_EQ(static_cast<int>(clicks.size()), c.clicks);
        if (c.clicks > 0) EXPECT_EQ(clicks[0], std::make_pair(2, 0));
        EXPECT_EQ(f.grid->PressedCell(), QPoint(-1, -1));
        EXPECT_EQ(f.grid->Col(), 1) << "a fixed cell never becomes current";
    }
}

TEST(DrawGrid, ScrollingStopsAFixedButtonPress) {
    GridFixture f;
    f.grid->SetRowCount(30);
    f.grid->SetFixedButtons(true);
    QSignalSpy clicks(f.grid, &TExDrawGrid::OnFixedCellClick);
    test::Press(f.grid->viewport(), f.CellPoint(0, 2));
    EXPECT_EQ(f.grid->PressedCell(), QPoint(0, 2));
    f.grid->SetTopRow(5);
    EXPECT_EQ(f.grid->PressedCell(), QPoint(-1, -1));
    test::Release(f.grid->viewport(), f.CellPoint(0, 2));
    EXPECT_EQ(clicks.count(), 0);
}

TEST(DrawGrid, RangeSelectionFromTheAnchor) {
    using Mods = Qt::KeyboardModifiers;
    struct Step {
        int col, row;  // a click, or -1 for the key
        Mods mods;
        Qt::Key key;
    };
    struct Case {
        TGridOptions options;
        std::vector<Step> steps;
        TGridRect selection;
    } cases[] = {
        {goRangeSelect, {{1, 1, {}, {}}, {3, 2, Qt::ShiftModifier, {}}}, {1, 1, 3, 2}},
        {goRangeSelect, {{3, 3, {}, {}}, {1, 1, Qt::ShiftModifier, {}}}, {1, 1, 3, 3}},
        {goRangeSelect,
         {{2, 2, {}, {}},
          {-1, -1, Qt::ShiftModifier, Qt::Key_Down},
          {-1, -1, Qt::ShiftModifier, Qt::Key_Right}},
         {2, 2, 3, 3}},
        {goRangeSelect,
         {{2, 2, {}, {}}, {-1, -1, Qt::ShiftModifier, Qt::Key_Down}, {-1, -1, {}, Qt::Key_Down}},
         {2, 4, 2, 4}},
        {goRangeSelect | goRowSelect, {{2, 1, {}, {}}, {2, 3, Qt::ShiftModifier, {}}}, {1, 1, 4, 3}},
        {0, {{1, 1, {}, {}}, {3, 2, Qt::ShiftModifier, {}}}, {3, 2, 3, 2}},
    };
    for (const Case& c : cases) {
        GridFixture f;
        f.grid->SetOptions(f.grid->Options() | c.options);
        f.grid->setFocus();
        for (const Step& step : c.steps) {
            if (step.col >= 0)
                QTest::mouseClick(f.grid->viewport(), Qt::LeftButton, step.mods,
                                  f.CellPoint(step.col, step.row));
            else
                QTest::keyClick(f.grid, step.key, step.mods);
        }
        const TGridRect s = f.grid->Selection();
        EXPECT_EQ(s, c.selection) << s.Left << "," << s.Top << "-" << s.Right << "," << s.Bottom;
        f.Paint();
        for (int col = 1; col < 5; ++col) {
            for (int row = 1; row < 5; ++row) {
                EXPECT_EQ((f.At(col, row).state & gdSelected) != 0, c.selection.Contains(col, row))
                    << col << "," << row;
            }
        }
    }
    // Dragging over the cells extends from the press.
    GridFixture f;
    f.grid->SetOptions(f.grid->Options() | goRangeSelect);
    test::Press(f.grid->viewport(), f.CellPoint(1, 1));
    test::MoveHeld(f.grid->viewport(), f.CellPoint(2, 3));
    test::Release(f.grid->viewport(), f.CellPoint(2, 3));
    EXPECT_EQ(f.grid->Selection(), (TGridRect{1, 1, 2, 3}));
}

TEST(DrawGrid, DraggingARowBorderSizesTheRow) {
    struct Case {
        bool sizing;
        int col;
        int height;
        int sized;
    } cases[] = {{true, 0, 28, 1}, {true, 1, 18, 0}, {false, 0, 18, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sizing " << c.sizing << " col " << c.col);
        GridFixture f;
        if (c.sizing) f.grid->SetOptions(f.grid->Options() | goRowSizing);
        QSignalSpy sized(f.grid, &TExDrawGrid::OnRowSized);
        const TRect row1 = f.grid->CellRect(c.col, 1);
        const QPoint border(row1.left + 5, row1.bottom);
        test::Press(f.grid->viewport(), border);
        test::MoveHeld(f.grid->viewport(), border + QPoint(0, 10));
        test::Release(f.grid->viewport(), border + QPoint(0, 10));
        EXPECT_EQ(f.grid->RowHeights(1), c.height);
        EXPECT_EQ(sized.count(), c.sized);
    }
}

TEST(DrawGrid, HeadersMoveColumnsAndRows) {
    GridFixture f;
    f.grid->SetOptions(f.grid->Options() | goColMoving | goRowMoving);
    f.grid->SetColWidths(1, 40);
    f.grid->SetCol(1);
    std::vector<std::pair<int, int>> columns, rows;
    QObject::connect(f.grid, &TExDrawGrid::OnColumnMoved, [&](int from, int to) {
        columns.push_back({from, to});
    });
    QObject::connect(f.grid, &TExDrawGrid::OnRowMoved, [&](int from, int to) { rows.push_back({from, to}); });
    test::Press(f.grid->viewport(), f.CellPoint(1, 0));
    test::MoveHeld(f.grid->viewport(), f.CellPoint(3, 0));
    test::Release(f.grid->viewport(), f.CellPoint(3, 0));
    EXPECT_EQ(columns, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(f.grid->ColWidths(3), 40);
    EXPECT_EQ(f.grid->ColWidths(1), 64);
    EXPECT_EQ(f.grid->Col(), 3) << "the current column moves with its cells";
    f.grid->SetRow(3);
    test::Press(f.grid->viewport(), f.CellPoint(0, 3));
    test::MoveHeld(f.grid->viewport(), f.CellPoint(0, 1));
    test::Release(f.grid->viewport(), f.CellPoint(0, 1));
    EXPECT_EQ(rows, (std::vector<std::pair<int, int>>{{3, 1}}));
    EXPECT_EQ(f.grid->Row(), 1);
    // Without the options a header press moves nothing.
    f.grid->SetOptions(f.grid->Options() & ~(goColMoving | goRowMoving));
    test::Press(f.grid->viewport(), f.CellPoint(1, 0));
    test::MoveHeld(f.grid->viewport(), f.CellPoint(2, 0));
    test::Release(f.grid->viewport(), f.CellPoint(2, 0));
    EXPECT_EQ(columns.size(), 1u);
}

TEST(DrawGrid, TabMovesBetweenCellsOnlyWithGoTabs) {
    for (const bool tabs : {true, false}) {
        SCOPED_TRACE(tabs);
        GridFixture f;
        auto* next = new QLineEdit(&f.window.window);
        next->move(0, 250);
        next->show();
        if (tabs) f.grid->SetOptions(f.grid->Options() | goTabs);
        f.grid->SetCol(4);
        f.grid->setFocus();
        QTest::keyClick(f.grid, Qt::Key_Tab);
        if (tabs) {
            EXPECT_TRUE(f.grid->hasFocus());
            EXPECT_EQ(f.grid->Col(), 1);
            EXPECT_EQ(f.grid->Row(), 2);
            QTest::keyClick(f.grid, Qt::Key_Backtab, Qt::ShiftModifier);
            EXPECT_EQ(f.grid->Col(), 4);
            EXPECT_EQ(f.grid->Row(), 1);
        } else {
            EXPECT_TRUE(next->hasFocus());
            EXPECT_EQ(f.grid->Col(), 4);
        }
    }
}

TEST(DrawGrid, TheThumbScrollsWhileDraggedOnlyWithThumbTracking) {
    for (const bool tracking : {false, true}) {
        SCOPED_TRACE(tracking);
        GridFixture f;
        f.grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        f.grid->SetRowCount(30);
        if (tracking) f.grid->SetOptions(f.grid->Options() | goThumbTracking);
        QScrollBar* bar = f.grid->verticalScrollBar();
        bar->setSliderDown(true);
        bar->setSliderPosition(7);
        EXPECT_EQ(f.grid->TopRow(), tracking ? 8 : 1);
        bar->setSliderDown(false);
        EXPECT_EQ(f.grid->TopRow(), 8);
    }
}

// A grid of editable cells holding texts.
struct EditFixture : GridFixture {
    std::map<std::pair<int, int>, QString> cells;
    std::vector<std::string> events;
    EditFixture() {
        grid->SetOptions(grid->Options() | goEditing);
        grid->OnGetEditText = [this](TExDrawGrid*, int col, int row, QString& value) {
            value = cells[{col, row}];
        };
        grid->OnSetEditText = [this](TExDrawGrid*, int col, int row, const QString& value) {
            cells[{col, row}] = value;
            events.push_back("set " + value.toStdString());
        };
        QObject::connect(grid, &TExDrawGrid::OnEditChange, [this] { events.push_back("change"); });
        QObject::connect(grid, &TExDrawGrid::OnCancelEdit, [this] { events.push_back("cancel"); });
        cells[{1, 1}] = QStringLiteral("Анна");
        grid->setFocus();
    }
    TExInplaceEdit* Editor() const { return grid->InplaceEditor(); }
    QString Cell(int col, int row) { return cells[{col, row}]; }
};

TEST(DrawGrid, InplaceEditorLoadsEditsAndWritesBackOrCancels) {
    struct Case {
        const char* name;
        Qt::Key end;
        std::vector<std::string> events;
        const char* stored;
        bool editing;  // afterwards: the next cell's editor
    } cases[] = {
        {"enter", Qt::Key_Return, {"change", "set Анна!"}, "Анна!", false},
        {"escape", Qt::Key_Escape, {"change", "cancel"}, "Анна", false},
        {"down", Qt::Key_Down, {"change", "set Анна!"}, "Анна!", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.grid->OnGetEditAlign = [](TExDrawGrid*, int, int, TAlignment& a) { a = taRightJustify; };
        f.grid->OnGetEditLimit = [](TExDrawGrid*, int& limit) { limit = 5; };
        QTest::keyClick(f.grid, Qt::Key_F2);
        ASSERT_TRUE(f.grid->EditorMode());
        EXPECT_EQ(f.Editor()->text(), QStringLiteral("Анна"));
        EXPECT_EQ(f.Editor()->geometry(), f.grid->CellRect(1, 1).ToQRect());
        EXPECT_EQ(f.Editor()->Alignment(), taRightJustify);
        EXPECT_TRUE(f.Editor()->hasFocus());
        EXPECT_TRUE(f.events.empty()) << "loading the text is no change";
        QTest::keyClick(f.Editor(), Qt::Key_End);
        QTest::keyClicks(f.Editor(), QStringLiteral("!?"));  // the limit keeps 5 characters
        QTest::keyClick(f.Editor(), c.end);
        EXPECT_EQ(f.grid->EditorMode(), c.editing);
        EXPECT_EQ(f.events, c.events);
        EXPECT_EQ(f.Cell(1, 1).toStdString(), c.stored);
        EXPECT_EQ(f.grid->Row(), c.editing ? 2 : 1);
        if (c.editing)
            EXPECT_EQ(f.Editor()->geometry(), f.grid->CellRect(1, 2).ToQRect());
        else
            EXPECT_TRUE(f.grid->hasFocus());
    }
}

TEST(DrawGrid, InplaceEditorVetoesKeysAndCells) {
    EditFixture f;
    f.grid->OnShowEditor = [](TExDrawGrid*, int col, int, bool& allow) { allow = col != 2; };
    f.grid->OnAcceptEditKey = [](TExDrawGrid*, QChar& key) {
        key = key.toUpper();
        return !key.isDigit();
    };
    // Typing starts editing with the typed character in place of the text.
    QTest::keyClicks(f.grid, QStringLiteral("b7c"));
    ASSERT_TRUE(f.grid->EditorMode());
    EXPECT_EQ(f.Editor()->text(), QStringLiteral("BC"));
    QTest::keyClick(f.Editor(), Qt::Key_Return);
    EXPECT_EQ(f.Cell(1, 1), QStringLiteral("BC"));
    f.grid->SetCol(2);
    QTest::keyClick(f.grid, Qt::Key_F2);
    EXPECT_FALSE(f.grid->EditorMode());
    // A row-select grid never edits.
    f.grid->SetCol(1);
    f.grid->SetOptions(f.grid->Options() | goRowSelect);
    QTest::keyClick(f.grid, Qt::Key_F2);
    EXPECT_FALSE(f.grid->EditorMode());
}

TEST(DrawGrid, EllipsisButtonAndCtrlEnterReportTheButton) {
    EditFixture f;
    f.grid->OnGetEditStyle = [](TExDrawGrid*, int, int, TInplaceEditStyle& style) { style = ieEllipsis; };
    QSignalSpy buttons(f.grid, &TExDrawGrid::OnEditButtonClick);
    QTest::keyClick(f.grid, Qt::Key_F2);
    ASSERT_TRUE(f.grid->EditorMode());
    const QRect button = f.Editor()->ButtonRect();
    EXPECT_EQ(button.width(), f.Editor()->ButtonWidth());
    EXPECT_EQ(button.right(), f.Editor()->width() - 1);
    // Three black dots in the middle of the button.
    const QImage face = f.Editor()->grab().toImage().copy(button.adjusted(2, 2, -2, -2));
    const QRect dots = test::InkBox(face, test::Exactly(clBlack));
    EXPECT_EQ(dots.height(), 2);
    EXPECT_EQ(dots.width(), 6 + 2 * std::clamp((button.width() - 12) / 2, 1, 3));
    test::Press(f.Editor(), button.center());
    EXPECT_TRUE(f.Editor()->ButtonPressed());
    test::MoveHeld(f.Editor(), {2, 2});
    EXPECT_FALSE(f.Editor()->ButtonPressed());
    test::Release(f.Editor(), {2, 2});
    EXPECT_EQ(buttons.count(), 0) << "released off the button";
    test::Click(f.Editor(), button.center());
    EXPECT_EQ(buttons.count(), 1);
    QTest::keyClick(f.Editor(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(buttons.count(), 2);
    EXPECT_TRUE(f.grid->EditorMode()) << "Ctrl+Enter keeps the editor";
}

TEST(DrawGrid, PickListDropsDownAndTakesTheChosenItem) {
    struct Case {
        const char* name;
        Qt::Key end;
        const char* text;
    } cases[] = {{"enter takes", Qt::Key_Return, "Вера"}, {"escape keeps", Qt::Key_Escape, "Борис"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.cells[{1, 1}] = QStringLiteral("Борис");
        f.grid->OnGetEditStyle = [](TExDrawGrid*, int, int, TInplaceEditStyle& style) { style = iePickList; };
        int fills = 0;
        f.grid->OnGetPicklist = [&](TExDrawGrid*, int col, int row, QStringList& items) {
            ++fills;
            EXPECT_EQ(std::make_pair(col, row), std::make_pair(1, 1));
            items = {QStringLiteral("Анна"), QStringLiteral("Борис"), QStringLiteral("Вера")};
        };
        QTest::keyClick(f.grid, Qt::Key_F2);
        QTest::keyClick(f.Editor(), Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(f.Editor()->ListVisible());
        TPopupListbox* list = f.Editor()->PickList();
        EXPECT_EQ(fills, 1);
        EXPECT_EQ(list->ItemIndex(), 1) << "the item equal to the text";
        EXPECT_GE(list->width(), f.Editor()->width());
        EXPECT_EQ(list->geometry().top(), f.Editor()->mapToGlobal(QPoint(0, f.Editor()->height())).y());
        EXPECT_FALSE(list->hasFocus());
        QTest::keyClick(f.Editor(), Qt::Key_Down);  // passed to the list
        EXPECT_EQ(list->ItemIndex(), 2);
        QTest::keyClick(f.Editor(), c.end);
        EXPECT_FALSE(f.Editor()->ListVisible());
        EXPECT_TRUE(f.grid->EditorMode()) << "closing the list keeps the editor";
        EXPECT_EQ(f.Editor()->text().toStdString(), c.text);
    }
}

TEST(DrawGrid, PickListTakesAnItemReleasedInsideIt) {
    EditFixture f;
    f.grid->OnGetEditStyle = [](TExDrawGrid*, int, int, TInplaceEditStyle& style) { style = iePickList; };
    f.grid->OnGetPicklist = [](TExDrawGrid*, int, int, QStringList& items) {
        for (int i = 0; i < 12; ++i) items << QStringLiteral("item %1").arg(i);
    };
    QTest::keyClick(f.grid, Qt::Key_F2);
    test::Click(f.Editor(), f.Editor()->ButtonRect().center());
    ASSERT_TRUE(f.Editor()->ListVisible());
    TPopupListbox* list = f.Editor()->PickList();
    EXPECT_EQ(list->viewport()->height(), 8 * list->ItemHeight()) << "eight items show";
    const TRect third = list->ItemBounds(2);
    test::Click(list->viewport(), {third.left + 5, third.top + 3});
    EXPECT_FALSE(f.Editor()->ListVisible());
    EXPECT_EQ(f.Editor()->text(), QStringLiteral("item 2"));
    EXPECT_EQ(f.events, std::vector<std::string>{"change"});
}

TEST(PopupListbox, IncrementalSearchSelectsTheFirstItemBeginningWithTheTypedText) {
    TPopupListbox list;
    for (const char* item : {"Анна", "Антон", "Борис", "борщ", "Вера"})
        list.Items().Add(QString::fromUtf8(item));
    struct Step {
        const char* typed;
        qint64 tick;
        const char* search;
        int selected;
    } steps[] = {
        {"а", 10000, "а", 0},    {"н", 11000, "ан", 0},    {"т", 12000, "ант", 1},
        {"б", 16001, "б", 2},    {"о", 16500, "бо", 2},    {"р", 17000, "бор", 2},
        {"щ", 17500, "борщ", 3}, {"x", 18000, "борщx", 3},  // no match keeps the selection
        {"в", 22001, "в", 4},
    };
    for (const Step& s : steps) {
        list.SearchChar(QString::fromUtf8(s.typed)[0], s.tick);
        EXPECT_EQ(list.SearchText(), QString::fromUtf8(s.search)) << s.typed;
        EXPECT_EQ(list.ItemIndex(), s.selected) << s.typed;
    }
    for (int i = 0; i < 40; ++i) list.SearchChar(u'z', 30000);
    EXPECT_EQ(list.SearchText().size(), TPopupListbox::kMaxSearch);
    QTest::keyClick(&list, Qt::Key_Backspace);
    EXPECT_TRUE(list.SearchText().isEmpty());
    for (const QString typed : {QString::fromUtf8("в"), QString::fromUtf8("е")}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
        QApplication::sendEvent(&list, &key);
    }
    EXPECT_EQ(list.SearchText(), QString::fromUtf8("ве"));
    EXPECT_EQ(list.ItemIndex(), 4);
}

}  // namespace
}  // namespace kordalt
