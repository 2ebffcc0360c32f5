// Renders the up-down spin edit, the list boxes' selection, variable items and
// right-to-left reading, and the grid's pressed header, range selection,
// in-place editors and pick list into <build>/gallery.
#include <gtest/gtest.h>

#include <QPainter>

#include "controls/draw_grid.h"
#include "controls/list_box.h"
#include "controls/spin_edit.h"
#include "controls/widget_test_support.h"
#include "input_test_support.h"

namespace kordalt {
namespace {

void Shot(QWidget* widget, const QString& name) { test::SaveToGallery(widget->grab().toImage(), name); }

const char* const kNames[] = {"Анна", "Борис", "Вера", "Глеб", "Дина", "Егор", "Жанна"};

TEST(Gallery, SpinEditWithUpDown) {
    test::TestWindow window({140, 40});
    auto* edit = new TExSpinEdit(&window.window);
    edit->setGeometry(5, 5, 121, 21);
    edit->SetButtonKind(bkStandard);
    edit->SetSpinIntValue(7);
    window.ShowActive();
    Shot(edit, QStringLiteral("spin_edit_up_down"));
    test::Press(edit->UpDown(), {3, 3});
    Shot(edit, QStringLiteral("spin_edit_up_down_pressed"));
    test::Release(edit->UpDown(), {3, 3});
}

TEST(Gallery, ListBoxMultiSelectAndVariableItems) {
    test::TestWindow window({200, 120});
    auto* box = new TExListBox(&window.window);
    box->setGeometry(5, 5, 150, 100);
    box->SetMultiSelect(true);
    for (const char* name : kNames) box->Items().Add(QString::fromUtf8(name));
    box->SetSelected(1, true);
    box->SetSelected(2, true);
    box->SetSelected(4, true);
    box->SetIntegralHeight(true);
    window.ShowActive();
    box->setFocus();
    Shot(box, QStringLiteral("list_box_multi_select"));

    auto* variable = new TExListBox(&window.window);
    variable->setGeometry(5, 5, 150, 100);
    variable->SetStyle(lbOwnerDrawVariable);
    variable->OnMeasureItem = [](TExCustomListBox*, int index, int& height) {
        height = 14 + 8 * (index % 3);
    };
    variable->SetOnDrawItem(
        [](TExCustomListBox* sender, QPainter& canvas, int index, const TRect& rect, TOwnerDrawState state) {
            canvas.fillRect(rect.ToQRect(), canvas.brush());
            QFont font = canvas.font();
            font.setPixelSize(10 + 4 * (index % 3));
            canvas.setFont(font);
            canvas.drawText(rect.ToQRect().adjusted(3, 0, 0, 0), Qt::AlignVCenter,
                            sender->Items().Strings(index));
        });
    for (const char* name : kNames) variable->Items().Add(QString::fromUtf8(name));
    variable->show();
    variable->SetItemIndex(1);
    variable->setFocus();
    Shot(variable, QStringLiteral("list_box_variable_items"));
}

TEST(Gallery, CheckListBoxRightToLeft) {
    test::TestWindow window({200, 110});
    auto* box = new TExCheckListBox(&window.window);
    box->setGeometry(5, 5, 190, 100);
    box->setLayoutDirection(Qt::RightToLeft);
    box->SetAllowGrayed(true);
    for (const char* name : kNames) box->Items().Add(QString::fromUtf8(name));
    box->SetItemState(1, cbChecked);
    box->SetItemState(2, cbGrayed);
    box->SetItemEnabled(3, false);
    box->SetItemIndex(0);
    window.ShowActive();
    box->setFocus();
    Shot(box, QStringLiteral("check_list_right_to_left"));
}

TEST(Gallery, DrawGridButtonsRangeAndEditors) {
    test::TestWindow window({340, 160});
    auto* grid = new TExDrawGrid(&window.window);
    grid->setGeometry(5, 5, 330, 110);
    grid->SetColCount(4);
    grid->SetRowCount(8);
    grid->SetFixedButtons(true);
    grid->SetOptions(grid->Options() | goRangeSelect | goEditing);
    QStringList cells;
    for (int i = 0; i < 32; ++i) cells << QString::number(i * 37);
    grid->OnDrawCell = [&](TExDrawGrid* g, int col, int row, const TRect& rect, TGridDrawState) {
        if (row == 0)
            g->DrawCellStr(rect, QString::fromUtf8("Столбец %1").arg(col), taCenter);
        else if (col == 0)
            g->DrawCellStr(rect, QString::number(row), taCenter);
        else
            g->DrawCellStr(rect, cells[row * 4 + col], taRightJustify);
    };
    grid->OnGetEditText = [&](TExDrawGrid*, int col, int row, QString& value) {
        value = cells[row * 4 + col];
    };
    window.ShowActive();
    grid->setFocus();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 1).ToQRect().center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      grid->CellRect(2, 3).ToQRect().center());
    test::Press(grid->viewport(), grid->CellRect(2, 0).ToQRect().center());
    Shot(grid, QStringLiteral("draw_grid_pressed_header_and_range"));
    test::Release(grid->viewport(), grid->CellRect(2, 0).ToQRect().center());

    grid->OnGetEditStyle = [](TExDrawGrid*, int col, int, TInplaceEditStyle& style) {
        style = col == 3 ? iePickList : ieEllipsis;
    };
    grid->OnGetEditAlign = [](TExDrawGrid*, int, int, TAlignment& a) { a = taRightJustify; };
    grid->SetCol(2);
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    Shot(grid, QStringLiteral("draw_grid_ellipsis_editor"));

    grid->OnGetPicklist = [](TExDrawGrid*, int, int, QStringList& items) {
        for (const char* name : kNames) items << QString::fromUtf8(name);
        items << QStringLiteral("Зоя") << QStringLiteral("Игорь") << QStringLiteral("Кира");
    };
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Right);
    grid->SetCol(3);
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Down, Qt::AltModifier);
    TPopupListbox* list = grid->InplaceEditor()->PickList();
    ASSERT_TRUE(list->isVisible());
    list->SetItemIndex(3);
    // The grid with its open list below the editor, as one picture.
    const QRect gridArea(grid->mapToGlobal(QPoint(0, 0)), grid->size());
    const QRect whole = gridArea.united(list->geometry());
    QImage picture(whole.size(), QImage::Format_RGB32);
    picture.fill(ToQColor(clBtnFace));
    {
        QPainter p(&picture);
        p.drawImage(gridArea.topLeft() - whole.topLeft(), grid->grab().toImage());
        p.drawImage(list->geometry().topLeft() - whole.topLeft(), list->grab().toImage());
    }
    test::SaveToGallery(picture, QStringLiteral("draw_grid_pick_list"));
}

}  // namespace
}  // namespace kordalt
