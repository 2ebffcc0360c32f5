#include "controls/list_box.h"

#include "input_test_support.h"
#include "controls/draw_utils.h"
#include "controls/widget_test_support.h"
#include "platform/ini_file.h"
#include "support/test_files.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <set>

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
        {ckCheckBoxes, cbUnchecked, 0, 3},    {ckCheckBoxes, cbChecked, 1, 4},    {ckCheckBoxes, cbGrayed, 2, 5},
        {ckRadioButtons, cbUnchecked, 6, 9},  {ckRadioButtons, cbChecked, 7, 10}, {ckRadioButtons, cbGrayed, 8, 11},
        {ckCheckMarks, cbUnchecked, 12, 15},  {ckCheckMarks, cbChecked, 13, 16},  {ckCheckMarks, cbGrayed, 14, 17},
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
        } items[] = {{cbUnchecked, true}, {cbChecked, true}, {cbGrayed, true}, {cbChecked, false}, {cbGrayed, false}};
        for (int i = 0; i < 5; ++i) {
            f.box->SetItemEnabled(i, items[i].enabled);
            if (kind != ckRadioButtons || items[i].state == cbChecked) f.box->SetItemState(i, items[i].state);
        }
        const QImage image = f.box->viewport()->grab().toImage();
        for (int i = 0; i < 5; ++i) {
            const TRect r = f.box->ItemBounds(i);
            const int x0 = r.left + (TExCheckListBox::kCheckWidth + 2 - 16) / 2, y0 = r.top + (r.Height() - 13) / 2;
            const QImage cell = ExtractGridCell(CheckImages(), 6, 3,
                                                CheckImageIndex(kind, f.box->GetItemState(i), items[i].enabled));
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
    QSignalSpy changes(f.box, &TExCheckListBox::OnStateChange);
    f.box->SetItemChecked(2, true);
    EXPECT_FALSE(f.box->GetItemChecked(0));
    EXPECT_EQ(f.box->CheckedIndex(), 2);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toInt(), 2);
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
        for (int i = 0; i < c.items; ++i) EXPECT_EQ(f.box->GetItemState(i), c.states[static_cast<size_t>(i)]) << i;
    }
}

}  // namespace
}  // namespace kordalt
