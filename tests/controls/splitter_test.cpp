#include "controls/splitter.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "controls/widget_test_support.h"
#include "input_test_support.h"

namespace kordalt {
namespace {

// The battle list of the main screen: a top-aligned grid, the bar under it and a
// client-aligned area below, in a 300-pixel-high parent.
struct SplitterFixture {
    test::TestWindow window{QSize(320, 340)};
    QWidget* parent;
    QWidget* grid;
    QWidget* rest;
    TExSplitter* bar;
    explicit SplitterFixture(int limit = 1) {
        parent = new QWidget(&window.window);
        parent->setGeometry(10, 20, 200, 300);
        grid = new QWidget(parent);
        grid->resize(200, 100);
        SetControlAlign(grid, alTop);
        rest = new QWidget(parent);
        SetControlAlign(rest, alClient);
        bar = new TExSplitter(parent);
        bar->move(0, 100);
        bar->SetAlign(alTop);
        bar->SetTopLeftLimit(limit);
        bar->SetBottomRightLimit(limit);
        window.ShowActive();
    }
    void Drag(int dy) {
        const QPoint at(20, 1);
        test::Press(bar, at);
        test::MoveHeld(bar, at + QPoint(0, dy / 2));
        test::MoveHeld(bar, at + QPoint(0, dy));
        test::Release(bar, at + QPoint(0, dy));
    }
};

TEST(Splitter, AlignFindsTheControlAboveAndLaysOut) {
    SplitterFixture f;
    EXPECT_EQ(f.bar->ControlFirst(), f.grid);
    EXPECT_EQ(f.bar->height(), 3);
    EXPECT_EQ(f.bar->geometry(), QRect(0, 100, 200, 3));
    EXPECT_EQ(f.rest->geometry(), QRect(0, 103, 200, 197));
    EXPECT_EQ(f.bar->ResizeStyle(), 1);
    EXPECT_EQ(f.bar->cursor().shape(), Qt::SplitVCursor);
}

TEST(Splitter, DragsResizeTheFirstControlWithinTheLimits) {
    struct Case {
        int limit, dy, height;
    } cases[] = {
        {1, 40, 140},   {1, -30, 70},
        {1, -500, 1},   // the bar's top edge stops 1 pixel below the parent's top
        {1, 500, 296},  // its bottom edge 1 pixel above the parent's bottom
        {0, -500, 1},   // a height of 0 becomes 1
        {0, 500, 294},  // filling the parent (297 = 300 - bar) leaves 3 pixels
        {20, -500, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "limit " << c.limit << " drag " << c.dy);
        SplitterFixture f(c.limit);
        QSignalSpy changed(f.bar, &TExSplitter::OnPosChanged);
        f.Drag(c.dy);
        EXPECT_EQ(f.grid->height(), c.height);
        EXPECT_EQ(f.bar->y(), c.height);
        EXPECT_EQ(f.rest->y(), c.height + 3);
        EXPECT_EQ(f.rest->height(), 300 - c.height - 3);
        EXPECT_EQ(changed.count(), 1);
        EXPECT_FALSE(f.bar->Active());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST(Splitter, ParentNoTallerThanTheBarStillGivesOnePixel) {
    SplitterFixture f(0);
    f.parent->resize(200, 3);
    f.grid->resize(200, 40);
    f.Drag(10);
    EXPECT_EQ(f.grid->height(), 1);
}

TEST(Splitter, LimitShowsTheNoDropCursorAndTheLineStops) {
    SplitterFixture f;
    test::Press(f.bar, {20, 1});
    ASSERT_TRUE(f.bar->Active());
    const QLine first = f.bar->DragLine();
    EXPECT_EQ(first.y1(), f.window.window.mapFromGlobal(f.bar->mapToGlobal(QPoint(0, 1))).y());
    test::MoveHeld(f.bar, {20, 11});
    EXPECT_EQ(f.bar->DragLine().y1(), first.y1() + 10);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    test::MoveHeld(f.bar, {20, -300});
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
    // The bar's top edge at 1: its middle line at 2 in the parent.
    EXPECT_EQ(f.bar->DragLine().y1(), f.window.window.mapFromGlobal(f.parent->mapToGlobal(QPoint(0, 2))).y());
    test::MoveHeld(f.bar, {20, 5});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    test::Release(f.bar, {20, 5});
    EXPECT_EQ(f.grid->height(), 104);
}

TEST(Splitter, EscapeCancelsTheDrag) {
    SplitterFixture f;
    QSignalSpy changed(f.bar, &TExSplitter::OnPosChanged);
    test::Press(f.bar, {20, 1});
    test::MoveHeld(f.bar, {20, 41});
    QTest::keyClick(&f.window.window, Qt::Key_Escape);
    EXPECT_FALSE(f.bar->Active());
    EXPECT_TRUE(f.bar->DragLine().isNull());
    test::Release(f.bar, {20, 41});
    EXPECT_EQ(f.grid->height(), 100);
    EXPECT_EQ(changed.count(), 0);
}

TEST(Splitter, RefusedMoveKeepsTheLastLine) {
    SplitterFixture f;
    int refuseBelow = 30;
    f.bar->OnPosChanging = [&](TExSplitter*, int, int y, bool& allow) { allow = y < refuseBelow; };
    test::Press(f.bar, {20, 1});
    test::MoveHeld(f.bar, {20, 21});  // allowed: the line follows
    test::MoveHeld(f.bar, {20, 61});  // refused: no-drop, the line stays
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
    test::Release(f.bar, {20, 61});  // refused again: the size comes from the line
    EXPECT_EQ(f.grid->height(), 120);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Splitter, StyleFromTheAlignments) {
    struct Case {
        TAlign first, second, bar;
        bool withSecond;
        int style;
    } cases[] = {
        {alTop, alClient, alTop, true, 1},       {alTop, alNone, alTop, false, 1},
        {alBottom, alClient, alBottom, true, 1}, {alTop, alClient, alBottom, true, 0},
        {alClient, alBottom, alBottom, true, 2}, {alClient, alTop, alBottom, true, 0},
        {alLeft, alClient, alLeft, true, 3},     {alRight, alNone, alRight, false, 3},
        {alClient, alRight, alRight, true, 4},   {alLeft, alLeft, alLeft, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " " << c.second << " bar " << c.bar);
        QWidget parent;
        parent.resize(200, 200);
        auto* first = new QWidget(&parent);
        auto* second = new QWidget(&parent);
        auto* bar = new TExSplitter(&parent);
        bar->SetControlFirst(first);
        if (c.withSecond) bar->SetControlSecond(second);
        SetControlAlign(first, c.first);
        SetControlAlign(second, c.second);
        SetControlAlign(bar, c.bar);
        EXPECT_EQ(bar->ResizeStyle(), c.style);
    }
}

TEST(Splitter, RefusesItselfAndWindows) {
    SplitterFixture f;
    f.bar->SetControlFirst(&f.window.window);
    EXPECT_EQ(f.bar->ControlFirst(), nullptr);
    f.bar->SetControlSecond(f.bar);
    EXPECT_EQ(f.bar->ControlSecond(), nullptr);
    EXPECT_EQ(f.bar->ResizeStyle(), 0);
    test::Press(f.bar, {20, 1});
    EXPECT_FALSE(f.bar->Active());
}

}  // namespace
}  // namespace kordalt
