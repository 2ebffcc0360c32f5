#include "controls/list_box.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <cstring>
#include <set>

#include "controls/draw_utils.h"
#include "controls/widget_test_support.h"
#include "input_test_support.h"
#include "platform/ini_file.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

// A shown check-list box with the given item texts.
struct CheckListFixture {
    test::TestWindow window;
    TExCheckListBox* box;
    explicit CheckListFixture(std::initializer_list<const char*> items, QSize size = {160, 120}) {
        box = new TExCheckListBox(&window.window);
        box->resize(size);
        for (const char* item : items) box->Items().Add(QString::fromUtf8(item));
        window.ShowActive();
    }
    QPoint StripPoint(int index) const {
        const TRect r = box->ItemBounds(index);
        return {r.left + 5, r.top + r.Height() / 2};
    }
    QPoint TextPoint(int index) const {
        const TRect r = box->ItemBounds(index);
        return {r.left + 40, r.top + r.Height() / 2};
    }
};

TEST(CheckListBox, ImageCellPerKindStateAndEnabledFlag) {
    struct Case {
        TCheckKind kind;
        TCheckBoxState state;
        int enabled, disabled;
    } cases[] = {
        {ckCheckBoxes, cbUnchecked, 0, 3},   {ckCheckBoxes, cbChecked, 1, 4},
        {ckCheckBoxes, cbGrayed, 2, 5},      {ckRadioButtons, cbUnchecked, 6, 9},
        {ckRadioButtons, cbChecked, 7, 10},  {ckRadioButtons, cbGrayed, 8, 11},
        {ckCheckMarks, cbUnchecked, 12, 15}, {ckCheckMarks, cbChecked, 13, 16},
        {ckCheckMarks, cbGrayed, 14, 17},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckImageIndex(c.kind, c.state, true), c.enabled) << c.kind << " " << c.state;
        EXPECT_EQ(CheckImageIndex(c.kind, c.state, false), c.disabled) << c.kind << " " << c.state;
    }
    ASSERT_EQ(CheckImages().size(), QSize(96, 39));
    std::set<QByteArray> distinct;
    for (int i = 0; i < 18; ++i) {
        const QImage cell = ExtractGridCell(CheckImages(), 6, 3, i).convertToFormat(QImage::Format_RGB32);
        distinct.insert(QByteArray(reinterpret_cast<const char*>(cell.constBits()), cell.sizeInBytes()));
    }
    EXPECT_EQ(distinct.size(), 17u);  // an unchecked check mark looks the same enabled or not: nothing
}

TEST(CheckListBox, DrawsTheCellOfEachItemOnTheBoxColour) {
    for (TCheckKind kind : {ckCheckBoxes, ckRadioButtons, ckCheckMarks}) {
        SCOPED_TRACE(kind);
        CheckListFixture f({"a", "b", "c", "d", "e"});
        f.box->SetColor(clBtnFace);
        f.box->SetCheckKind(kind);
        f.box->SetAllowGrayed(true);
        struct Item {
            TCheckBoxState state;
            bool enabled;
        } items[] = {
            {cbUnchecked, true}, {cbChecked, true}, {cbGrayed, true}, {cbChecked, false}, {cbGrayed, false}};
        for (int i = 0; i < 5; ++i) {
            f.box->SetItemEnabled(i, items[i].enabled);
            if (kind != ckRadioButtons || items[i].state == cbChecked) f.box->SetItemState(i, items[i].state);
        }
        const QImage image = f.box->viewport()->grab().toImage();
        for (int i = 0; i < 5; ++i) {
            const TRect r = f.box->ItemBounds(i);
            const int x0 = r.left + (TExCheckListBox::kCheckWidth + 2 - 16) / 2,
                      y0 = r.top + (r.Height() - 13) / 2;
            const QImage cell = ExtractGridCell(
                CheckImages(), 6, 3, CheckImageIndex(kind, f.box->GetItemState(i), items[i].enabled));
            int wrong = 0;
            for (int y = 0; y < 13; ++y) {
                for (int x = 0; x < 16; ++x) {
                    TColor expected = FromQColor(QColor(cell.pixel(x, y)));
                    if (expected == clFuchsia) expected = ColorToRGB(clBtnFace);
                    if (test::At(image, x0 + x, y0 + y) != expected) ++wrong;
                }
            }
            EXPECT_EQ(wrong, 0) << "item " << i;
        }
    }
}

TEST(CheckListBox, RadioGroupKeepsOneChecked) {
    CheckListFixture f({"a", "b", "c"});
    f.box->SetItemState(1, cbGrayed);
    f.box->SetCheckKind(ckRadioButtons);
    EXPECT_EQ(f.box->CheckedIndex(), 0);
    EXPECT_EQ(f.box->GetItemState(1), cbUnchecked);  // grayed reads as unchecked
    EXPECT_FALSE(f.box->AllowGrayed());
    f.box->SetItemChecked(0, false);
    EXPECT_TRUE(f.box->GetItemChecked(0));
    std::vector<int> changes;
    f.box->OnStateChange = [&](TExCheckListBox* sender, int index) {
        EXPECT_EQ(sender, f.box);
        changes.push_back(index);
    };
    f.box->SetItemChecked(2, true);
    EXPECT_FALSE(f.box->GetItemChecked(0));
    EXPECT_EQ(f.box->CheckedIndex(), 2);
    EXPECT_EQ(changes, std::vector<int>{2});
    f.box->SetCheckedIndex(-5);
    EXPECT_EQ(f.box->CheckedIndex(), 0);
}

TEST(CheckListBox, ToggleCycles) {
    struct Case {
        TCheckKind kind;
        bool allowGrayed;
        std::vector<TCheckBoxState> cycle;  // states after successive toggles from unchecked
    } cases[] = {
        {ckCheckBoxes, false, {cbChecked, cbUnchecked, cbChecked}},
        {ckCheckBoxes, true, {cbGrayed, cbChecked, cbUnchecked, cbGrayed}},
        {ckCheckMarks, true, {cbGrayed, cbChecked, cbUnchecked}},
        {ckRadioButtons, true, {cbChecked, cbChecked}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " grayed " << c.allowGrayed);
        CheckListFixture f({"a", "b"});
        f.box->SetCheckKind(c.kind);
        f.box->SetAllowGrayed(c.allowGrayed);
        f.box->SetItemChecked(0, true);  // item 1 is the one toggled
        f.box->SetItemChecked(0, false);
        QSignalSpy clicks(f.box, &TExCheckListBox::OnClickCheck);
        for (TCheckBoxState expected : c.cycle) {
            f.box->ToggleItemState(1);
            EXPECT_EQ(f.box->GetItemState(1), expected);
        }
        EXPECT_EQ(clicks.count(), static_cast<int>(c.cycle.size()));
    }
}

TEST(CheckListBox, ClicksOnTheStripToggleAndOnTheTextSelect) {
    CheckListFixture f({"a", "b", "c"});
    f.box->SetItemEnabled(2, false);
    QSignalSpy clicks(f.box, &TExCheckListBox::OnClickCheck), selects(f.box, &TExCheckListBox::Click);
    test::Click(f.box->viewport(), f.TextPoint(1));
    EXPECT_FALSE(f.box->GetItemChecked(1));
    EXPECT_EQ(f.box->ItemIndex(), 1);
    test::Click(f.box->viewport(), f.StripPoint(0));
    EXPECT_TRUE(f.box->GetItemChecked(0));
    test::Click(f.box->viewport(), f.StripPoint(2));
    EXPECT_FALSE(f.box->GetItemChecked(2));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(selects.count(), 3);
}

TEST(CheckListBox, KeysToggleTheCurrentItemOrAllEnabledOnes) {
    CheckListFixture f({"a", "b", "c"});
    f.box->setFocus();
    f.box->SetItemEnabled(1, false);
    f.box->SetItemIndex(2);
    QTest::keyClick(f.box, Qt::Key_Space);
    EXPECT_TRUE(f.box->GetItemChecked(2));
    QTest::keyClick(f.box, Qt::Key_Plus, Qt::NoModifier);
    EXPECT_TRUE(f.box->GetItemChecked(0));
    EXPECT_FALSE(f.box->GetItemChecked(1));
    QTest::keyClick(f.box, Qt::Key_Minus, Qt::NoModifier);
    EXPECT_FALSE(f.box->GetItemChecked(0));
    EXPECT_FALSE(f.box->GetItemChecked(2));
    QTest::keyClick(f.box, Qt::Key_Up);
    EXPECT_EQ(f.box->ItemIndex(), 1);
}

TEST(CheckListBox, OutOfRangeIndexes) {
    CheckListFixture f({"a", "b"});
    try {
        (void)f.box->Items().Strings(5);
        FAIL() << "no exception";
    } catch (const EStringListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_THROW((void)f.box->Items().Objects(-1), EStringListError);
    EXPECT_THROW(f.box->Items().Delete(2), EStringListError);
    EXPECT_THROW(f.box->SetItemChecked(2, true), EStringListError);
    EXPECT_THROW(f.box->Items().Insert(3, QStringLiteral("x")), EOutOfResources);
    EXPECT_FALSE(f.box->GetItemChecked(9));
    EXPECT_TRUE(f.box->GetItemEnabled(9));
    EXPECT_NO_THROW(f.box->ToggleItemState(9));
    EXPECT_EQ(f.box->Items().Count(), 2);
}

TEST(CheckListBox, ChecksTravelWithTheirItems) {
    CheckListFixture f({"a", "b", "c"});
    int data = 7;
    f.box->Items().SetObject(0, &data);
    f.box->SetItemChecked(0, true);
    f.box->SetItemEnabled(1, false);
    f.box->Items().Exchange(0, 2);
    EXPECT_TRUE(f.box->GetItemChecked(2));
    EXPECT_EQ(f.box->Items().Objects(2), &data);
    EXPECT_EQ(f.box->Items().Strings(2), QStringLiteral("a"));
    f.box->Items().Move(1, 0);
    EXPECT_FALSE(f.box->GetItemEnabled(0));
    EXPECT_EQ(f.box->Items().Strings(0), QStringLiteral("b"));
    f.box->Items().Delete(0);
    EXPECT_TRUE(f.box->GetItemEnabled(0));
    f.box->ClearItems();
    f.box->Items().Add(QStringLiteral("new"));
    EXPECT_FALSE(f.box->GetItemChecked(0));
    EXPECT_EQ(f.box->Items().Objects(0), nullptr);
}

TEST(CheckListBox, ColumnsKeepItemsAndStates) {
    CheckListFixture f({"a", "b", "c", "d", "e", "f", "g"}, {122, 60});
    f.box->SetItemChecked(5, true);
    f.box->SetColumns(2);
    EXPECT_EQ(f.box->ColumnWidth(), (122 + 2 - 3) / 2);
    const int rows = f.box->RowsPerColumn();
    ASSERT_GE(rows, 1);
    EXPECT_EQ(f.box->ItemBounds(rows).left, f.box->ColumnWidth());
    EXPECT_EQ(f.box->ItemBounds(rows).top, 0);
    f.box->SetColumns(3);
    EXPECT_EQ(f.box->ColumnWidth(), (122 + 3 - 3) / 3);
    EXPECT_EQ(f.box->Items().Count(), 7);
    EXPECT_TRUE(f.box->GetItemChecked(5));
    const TRect second = f.box->ItemBounds(rows);
    EXPECT_EQ(f.box->ItemAtPoint({second.left + 20, second.top + 2}, true), rows);
}

TEST(ListBox, ItemGeometryAndHitTesting) {
    test::TestWindow window;
    auto* box = new TExListBox(&window.window);
    box->resize(120, 100);
    for (int i = 0; i < 3; ++i) box->Items().Add(QString::number(i));
    window.ShowActive();
    const int h = box->ItemHeight();
    EXPECT_EQ(h, QFontMetrics(box->font()).height());
    EXPECT_EQ(box->ItemBounds(1).top, h);
    EXPECT_EQ(box->ItemBounds(3).top, 3 * h);  // below the last item
    EXPECT_TRUE(box->ItemBounds(4).IsEmpty());
    EXPECT_EQ(box->ItemAtPoint({5, h + 1}, true), 1);
    EXPECT_EQ(box->ItemAtPoint({5, 3 * h + 5}, true), -1);
    EXPECT_EQ(box->ItemAtPoint({5, 3 * h + 5}, false), 3);
    EXPECT_EQ(box->ItemAtPoint({-1, 5}, false), -1);
    box->SetStyle(lbOwnerDrawFixed);
    box->SetItemHeight(40);
    EXPECT_EQ(box->ItemHeight(), 40);
    box->SetItemHeight(0);
    EXPECT_EQ(box->ItemHeight(), 40);
}

TEST(ListBox, SortedAddsAtTheirPlace) {
    TExListBox box;
    box.SetSorted(true);
    EXPECT_EQ(box.Items().Add(QStringLiteral("Борис")), 0);
    EXPECT_EQ(box.Items().Add(QStringLiteral("Анна")), 0);
    EXPECT_EQ(box.Items().Add(QStringLiteral("вера")), 2);
    EXPECT_EQ(box.Items().Add(QStringLiteral("бета")), 1);
}

TEST(CheckListBox, ItemHeightFitsTheCheckImage) {
    TExCheckListBox box;
    QFont small = test::TestFont(8);
    box.setFont(small);
    box.SetItemHeight(13);
    EXPECT_EQ(box.ItemHeight(), std::max(13, QFontMetrics(small).height()));
    box.setFont(test::TestFont(20));
    EXPECT_EQ(box.ItemHeight(), QFontMetrics(test::TestFont(20)).height());
}

TEST(CheckListBox, AutoScrollExtentIsTheWidestItem) {
    TExCheckListBox box;
    box.setFont(test::TestFont());
    const QFontMetrics metrics(box.font());
    box.Items().Add(QStringLiteral("short"));
    box.Items().Add(QStringLiteral("a much longer line"));
    const int widest = metrics.horizontalAdvance(QStringLiteral("a much longer linex")) + 18;
    EXPECT_EQ(box.WidestItem(), widest);
    box.Items().Delete(1);
    EXPECT_EQ(box.WidestItem(), metrics.horizontalAdvance(QStringLiteral("shortx")) + 18);
    box.ClearItems();
    EXPECT_EQ(box.WidestItem(), 0);
}

TEST(CheckListBox, StatesInASettingsFile) {
    test::ScratchDir dir;
    TIniFile ini(dir.Path("states.INI"));
    ini.WriteInteger("TConnectExCheckListBox1", "Stale", 1);
    {
        CheckListFixture f({"a", "b", "c"});
        f.box->SetAllowGrayed(true);
        f.box->SetItemState(1, cbChecked);
        f.box->SetItemState(2, cbGrayed);
        f.box->SaveStates(ini, "TConnectExCheckListBox1");
    }
    EXPECT_EQ(ini.ReadSection("TConnectExCheckListBox1"),
              (std::vector<std::string>{"Count", "Item0", "Item1", "Item2"}));
    struct Case {
        TCheckKind kind;
        int items;
        std::vector<TCheckBoxState> states;
    } cases[] = {
        {ckCheckBoxes, 4, {cbUnchecked, cbChecked, cbGrayed, cbUnchecked}},
        {ckCheckBoxes, 2, {cbUnchecked, cbChecked}},
        {ckRadioButtons, 3, {cbUnchecked, cbChecked, cbUnchecked}},  // stops after the checked one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " items " << c.items);
        CheckListFixture f({"a", "b", "c", "d"});
        while (f.box->Items().Count() > c.items) f.box->Items().Delete(f.box->Items().Count() - 1);
        f.box->SetCheckKind(c.kind);
        f.box->SetAllowGrayed(true);
        f.box->SetItemChecked(c.items - 1, true);
        if (c.kind != ckRadioButtons) f.box->SetItemChecked(c.items - 1, false);
        f.box->LoadStates(ini, "TConnectExCheckListBox1");
        for (int i = 0; i < c.items; ++i)
            EXPECT_EQ(f.box->GetItemState(i), c.states[static_cast<size_t>(i)]) << i;
    }
}

// A shown list box of `count` items "0", "1", ...
struct ListFixture {
    test::TestWindow window;
    TExListBox* box;
    explicit ListFixture(int count, QSize size = {120, 120}) {
        box = new TExListBox(&window.window);
        box->resize(size);
        for (int i = 0; i < count; ++i) box->Items().Add(QString::number(i));
        window.ShowActive();
        box->setFocus();
    }
    void ClickItem(int index, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const TRect r = box->ItemBounds(index);
        QTest::mouseClick(box->viewport(), Qt::LeftButton, mods, QPoint(r.left + 10, r.top + r.Height() / 2));
    }
    std::string SelectedItems() const {
        std::string out;
        for (int i = 0; i < box->Items().Count(); ++i) {
            if (box->Selected(i)) out += std::to_string(i);
        }
        return out;
    }
};

TEST(ListBox, MultiSelectionByClicksAndKeys) {
    constexpr auto kNone = Qt::NoModifier, kShift = Qt::ShiftModifier, kCtrl = Qt::ControlModifier;
    struct Step {
        int item;  // -1: a key instead
        Qt::KeyboardModifiers mods;
        Qt::Key key;
    };
    struct Case {
        bool extended;
        std::vector<Step> steps;
        const char* selected;
        int current;
    } cases[] = {
        {true, {{1, kNone, {}}, {3, kShift, {}}}, "123", 3},
        {true, {{1, kNone, {}}, {3, kShift, {}}, {0, kShift, {}}}, "01", 0},
        {true, {{1, kNone, {}}, {3, kCtrl, {}}, {4, kCtrl, {}}, {3, kCtrl, {}}}, "14", 3},
        {true, {{1, kNone, {}}, {4, kCtrl, {}}, {2, kShift | kCtrl, {}}}, "1234", 2},
        {true, {{2, kNone, {}}, {-1, kShift, Qt::Key_Down}, {-1, kShift, Qt::Key_Down}}, "234", 4},
        {true, {{2, kNone, {}}, {-1, kCtrl, Qt::Key_Down}}, "2", 3},
        {true, {{2, kNone, {}}, {-1, kNone, Qt::Key_Up}}, "1", 1},
        {false, {{1, kNone, {}}, {3, kShift, {}}, {1, kNone, {}}}, "3", 1},
        {false, {{1, kNone, {}}, {-1, kNone, Qt::Key_Down}, {-1, kNone, Qt::Key_Space}}, "12", 2},
    };
    for (const Case& c : cases) {
        ListFixture f(5);
        f.box->SetMultiSelect(true);
        f.box->SetExtendedSelect(c.extended);
        SCOPED_TRACE(testing::Message() << "extended " << c.extended << " expecting " << c.selected);
        for (const Step& step : c.steps) {
            if (step.item >= 0)
                f.ClickItem(step.item, step.mods);
            else
                QTest::keyClick(f.box, step.key, step.mods);
        }
        EXPECT_EQ(f.SelectedItems(), c.selected);
        EXPECT_EQ(f.box->SelCount(), static_cast<int>(strlen(c.selected)));
        EXPECT_EQ(f.box->ItemIndex(), c.current);
    }
    // One selection in a plain box: the current item.
    ListFixture single(3);
    single.ClickItem(1);
    single.ClickItem(2, kCtrl);
    EXPECT_EQ(single.SelectedItems(), "2");
    EXPECT_EQ(single.box->SelCount(), 1);
}

TEST(ListBox, IntegralHeightCutsTheBoxToWholeItems) {
    ListFixture f(20, {120, 100});
    const int h = f.box->ItemHeight();
    const int frame = f.box->height() - f.box->viewport()->height();
    ASSERT_NE((100 - frame) % h, 0) << "the fixture needs a partial item";
    f.box->SetIntegralHeight(true);
    EXPECT_EQ(f.box->viewport()->height() % h, 0);
    EXPECT_EQ(f.box->viewport()->height(), (100 - frame) / h * h);
    f.box->resize(120, 100 + h / 2);
    EXPECT_EQ(f.box->viewport()->height() % h, 0);
}

TEST(ListBox, VariableItemsHaveTheirMeasuredHeights) {
    ListFixture f(0, {120, 100});
    f.box->SetStyle(lbOwnerDrawVariable);
    f.box->SetAutoScroll(true);
    f.box->OnMeasureItem = [](TExCustomListBox*, int index, int& height) { height = 10 + 10 * (index % 3); };
    std::vector<int> drawn;
    f.box->SetOnDrawItem([&](TExCustomListBox*, QPainter&, int index, const TRect& rect, TOwnerDrawState) {
        drawn.push_back(rect.Height());
        EXPECT_EQ(rect.Height(), 10 + 10 * (index % 3));
    });
    f.box->SetOnGetItemWidth([](TExCustomListBox*, int index, int& width) { width = 100 + 50 * index; });
    for (int i = 0; i < 8; ++i) f.box->Items().Add(QString::number(i));
    // Heights 10, 20, 30, 10, 20, 30, 10, 20: tops 0, 10, 30, 60, 70.
    const int tops[] = {0, 10, 30, 60, 70};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(f.box->ItemBounds(i).top, tops[i]) << i;
    EXPECT_EQ(f.box->ItemAtPoint({5, 35}, true), 2);
    EXPECT_EQ(f.box->ItemAtPoint({5, 65}, true), 3);
    EXPECT_EQ(f.box->WidestItem(), 100 + 50 * 7);
    // Making item 6 visible scrolls just far enough: items 3..6 fill 70 pixels.
    f.box->SetItemIndex(6);
    const int viewport = f.box->viewport()->height();
    EXPECT_LE(f.box->ItemBounds(6).bottom, viewport);
    EXPECT_GT(f.box->ItemBounds(6).bottom + f.box->ItemBounds(f.box->TopIndex() - 1).Height(), viewport);
    f.box->viewport()->repaint();
    EXPECT_FALSE(drawn.empty());
}

TEST(ListBox, PlainItemsExchangeTextsAndObjectsOnly) {
    ListFixture f(3);
    int a = 1, b = 2;
    f.box->Items().SetObject(0, &a);
    f.box->Items().SetObject(2, &b);
    f.box->Items().Exchange(0, 2);
    EXPECT_EQ(f.box->Items().Strings(0), QStringLiteral("2"));
    EXPECT_EQ(f.box->Items().Objects(0), &b);
    EXPECT_EQ(f.box->Items().Objects(2), &a);
    f.box->Items().Move(2, 1);
    EXPECT_EQ(f.box->Items().Strings(1), QStringLiteral("0"));
    EXPECT_EQ(f.box->Items().Objects(1), &a);
    TExCheckListBox checks;
    EXPECT_NE(dynamic_cast<TCheckListBoxStrings*>(&checks.Items()), nullptr);
    EXPECT_EQ(dynamic_cast<TCheckListBoxStrings*>(&f.box->Items()), nullptr);
}

TEST(CheckListBox, RightToLeftPutsTheCheckStripAtTheRightEnd) {
    CheckListFixture f({"a", "b"});
    f.box->setLayoutDirection(Qt::RightToLeft);
    const TRect item = f.box->ItemBounds(0);
    test::Click(f.box->viewport(), {item.left + 5, item.top + 4});
    EXPECT_FALSE(f.box->GetItemChecked(0));
    EXPECT_EQ(f.box->ItemIndex(), 0);
    test::Click(f.box->viewport(), {item.right - 5, item.top + 4});
    EXPECT_TRUE(f.box->GetItemChecked(0));
    // The check image is drawn at the right end, the text beside it.
    f.box->SetItemChecked(1, true);
    const QImage image = f.box->viewport()->grab().toImage();
    const TRect second = f.box->ItemBounds(1);
    constexpr int kStrip = TExCheckListBox::kCheckWidth + 2;
    const QRect right(second.right - kStrip, second.top, kStrip, second.Height());
    const QRect left(second.left, second.top, kStrip, second.Height());
    EXPECT_FALSE(test::InkBox(image.copy(right), test::Exactly(clBlack)).isEmpty());
    EXPECT_TRUE(test::InkBox(image.copy(left), test::Dark).isEmpty());
    const QRect text = test::InkBox(image.copy(second.ToQRect()), test::Dark);
    EXPECT_GT(text.left(), second.Width() / 2);
}

// Records the drags the box starts instead of running one.
class DragRecordingBox : public TExListBox {
public:
    using TExListBox::TExListBox;
    int drags = 0;

protected:
    void StartDrag() override { ++drags; }
};

TEST(ListBox, AutomaticDragKeepsAMultiSelectionAndStartsAfterAMove) {
    test::TestWindow window;
    auto* box = new DragRecordingBox(&window.window);
    box->resize(120, 120);
    for (int i = 0; i < 4; ++i) box->Items().Add(QString::number(i));
    window.ShowActive();
    box->SetMultiSelect(true);
    box->SetDragMode(dmAutomatic);
    auto at = [&](int index) {
        const TRect r = box->ItemBounds(index);
        return QPoint(r.left + 10, r.top + 3);
    };
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::NoModifier, at(0));
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(2));
    EXPECT_EQ(box->SelCount(), 3);
    EXPECT_EQ(box->drags, 0);
    // A press on a selected item keeps the selection; moving starts the drag.
    test::Press(box->viewport(), at(1));
    EXPECT_EQ(box->SelCount(), 3);
    test::MoveHeld(box->viewport(), at(1) + QPoint(1, 1));
    EXPECT_EQ(box->drags, 0);
    test::MoveHeld(box->viewport(), at(1) + QPoint(QApplication::startDragDistance() + 2, 0));
    EXPECT_EQ(box->drags, 1);
    test::Release(box->viewport(), at(1));
    // Shift on an unselected item extends without a drag.
    QTest::mousePress(box->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(3));
    test::MoveHeld(box->viewport(), at(3) + QPoint(20, 0));
    EXPECT_EQ(box->drags, 1);
    EXPECT_EQ(box->SelCount(), 4);
    // In manual mode no drag starts.
    test::Release(box->viewport(), at(3));
    box->SetDragMode(dmManual);
    test::Press(box->viewport(), at(1));
    test::MoveHeld(box->viewport(), at(1) + QPoint(20, 0));
    EXPECT_EQ(box->drags, 1);
}

}  // namespace
}  // namespace kordalt
