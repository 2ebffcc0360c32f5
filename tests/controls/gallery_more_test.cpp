// Renders the list, spin, switch, slider, grid, file-name edit and splitter
// controls to PNG files in <build>/gallery, next to the other controls' pictures.
#include <gtest/gtest.h>

#include <QDir>

#include "controls/draw_grid.h"
#include "controls/edit_button.h"
#include "controls/list_box.h"
#include "controls/slider.h"
#include "controls/spin_edit.h"
#include "controls/splitter.h"
#include "controls/switch.h"
#include "controls/widget_test_support.h"
#include "input_test_support.h"

namespace kordalt {
namespace {

void Shot(QWidget* widget, const QString& name) { test::SaveToGallery(widget->grab().toImage(), name); }

TEST(Gallery, CheckListBoxes) {
    test::TestWindow window({200, 110});
    auto* box = new TExCheckListBox(&window.window);
    box->setGeometry(5, 5, 190, 100);
    box->SetAllowGrayed(true);
    for (const char* name : {"Анна", "Борис", "Вера", "Глеб", "Дина", "Егор"})
        box->Items().Add(QString::fromUtf8(name));
    box->SetItemState(1, cbChecked);
    box->SetItemState(2, cbGrayed);
    box->SetItemEnabled(3, false);
    box->SetItemState(4, cbChecked);
    box->SetItemEnabled(4, false);
    box->SetItemIndex(0);
    window.ShowActive();
    box->setFocus();
    Shot(box, QStringLiteral("check_list_boxes"));
    box->SetCheckKind(ckRadioButtons);
    Shot(box, QStringLiteral("check_list_radio"));
    // The lobby's player list: read-only, check marks, two columns.
    box->SetCheckKind(ckCheckMarks);
    box->SetColor(clBtnFace);
    box->SetColumns(2);
    box->resize(190, 56);
    box->setEnabled(false);
    Shot(box, QStringLiteral("check_list_marks_columns"));
}

TEST(Gallery, SpinEdits) {
    test::TestWindow window({140, 40});
    auto* edit = new TExSpinEdit(&window.window);
    edit->setGeometry(5, 5, 121, 21);
    edit->SetMaxValue(999999);
    edit->SetEditorEnabled(false);
    edit->setAlignment(Qt::AlignCenter);
    edit->SetSpinIntValue(1250);
    window.ShowActive();
    Shot(edit, QStringLiteral("spin_edit"));
    test::Press(edit->Button(), {2, 2});
    Shot(edit, QStringLiteral("spin_edit_up_pressed"));
    test::Release(edit->Button(), {2, 2});
    const QPoint lower(edit->Button()->width() - 3, edit->Button()->height() - 3);
    test::Press(edit->Button(), lower);
    Shot(edit, QStringLiteral("spin_edit_down_pressed"));
    test::Release(edit->Button(), lower);
}

TEST(Gallery, Switches) {
    test::TestWindow window({60, 70});
    auto* sw = new TExSwitch(&window.window);
    sw->move(5, 5);
    sw->SetCaption(QString::fromUtf8("Готов"));
    sw->SetTextPosition(tpAbove);
    sw->SetColor(0xFF8080);
    window.ShowActive();
    Shot(sw, QStringLiteral("switch_off"));
    sw->SetStateOn(true);
    Shot(sw, QStringLiteral("switch_on"));
}

TEST(Gallery, Sliders) {
    test::TestWindow window({170, 60});
    auto* slider = new TExSlider(&window.window);
    slider->move(5, 5);
    slider->SetOptions(soShowPoints);
    slider->SetMaxValue(100);
    slider->SetMinValue(50);
    slider->SetIncrement(5);
    slider->SetValue(75);
    window.ShowActive();
    Shot(slider, QStringLiteral("slider_50_100"));
    slider->SetMinValue(2);
    slider->SetMaxValue(20);
    slider->SetIncrement(1);
    slider->SetValue(20);
    slider->setEnabled(false);
    Shot(slider, QStringLiteral("slider_2_20_disabled"));
    slider->setEnabled(true);
    slider->SetOptions(soShowPoints | soShowFocus);
    slider->SetBevelStyle(bvLowered);
    slider->setFocus();
    Shot(slider, QStringLiteral("slider_bevel_focus"));
}

TEST(Gallery, DrawGrids) {
    test::TestWindow window({330, 120});
    auto* grid = new TExDrawGrid(&window.window);
    grid->setGeometry(5, 5, 320, 110);
    grid->SetColCount(4);
    grid->SetRowCount(8);
    grid->SetFixedCols(0);
    grid->SetOptions(grid->Options() | goRowSelect);
    grid->SetColWidths(0, 110);
    const QStringList names{QString::fromUtf8("Государство"), QString::fromUtf8("Армия"),
                            QString::fromUtf8("Казна"), QString::fromUtf8("Земли")};
    grid->OnDrawCell = [&](TExDrawGrid* g, int col, int row, const TRect& rect, TGridDrawState) {
        if (row == 0)
            g->DrawCellStr(rect, names[col], taCenter);
        else if (col == 0)
            g->DrawCellStr(rect, QString::fromUtf8("Страна %1").arg(row), taLeftJustify);
        else
            g->DrawCellStr(rect, QString::number(row * 137 * col), taRightJustify);
    };
    window.ShowActive();
    grid->SetRow(3);
    grid->setFocus();
    Shot(grid, QStringLiteral("draw_grid_row_select"));
}

TEST(Gallery, FilenameEdits) {
    test::TestWindow window({230, 40});
    auto* edit = new TFilenameEdit(&window.window);
    edit->setGeometry(5, 5, 220, 21);
    edit->SetFileName(QStringLiteral("/home/player/chat log.txt"));
    window.ShowActive();
    Shot(edit, QStringLiteral("filename_edit"));
    edit->SetGlyphKind(gkEllipsis);
    Shot(edit, QStringLiteral("filename_edit_ellipsis"));
}

TEST(Gallery, Splitters) {
    test::TestWindow window({200, 160});
    auto* top = new QWidget(&window.window);
    top->setAutoFillBackground(true);
    top->setPalette(QPalette(ToQColor(clWhite)));
    top->resize(200, 60);
    SetControlAlign(top, alTop);
    auto* bottom = new QWidget(&window.window);
    bottom->setAutoFillBackground(true);
    bottom->setPalette(QPalette(ToQColor(clTeal)));
    SetControlAlign(bottom, alClient);
    auto* bar = new TExSplitter(&window.window);
    bar->move(0, 60);
    bar->SetAlign(alTop);
    window.ShowActive();
    test::Press(bar, {50, 1});
    test::MoveHeld(bar, {50, 31});
    Shot(&window.window, QStringLiteral("splitter_dragging"));
    test::Release(bar, {50, 31});
    Shot(&window.window, QStringLiteral("splitter_after_drag"));
}

}  // namespace
}  // namespace kordalt
