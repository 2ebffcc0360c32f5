// A list box with owner drawing, fixed item heights and columns, and the
// check-list box: a check image (check box, radio button or check mark) before
// every item, with checked, unchecked and grayed states and an enabled flag.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/classic.h"

namespace kordalt {

class TIniFile;

class EStringListError : public std::out_of_range {
public:
    explicit EStringListError(int index);
};

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TDragMode { dmManual, dmAutomatic };
enum TOwnerDrawStateFlag : unsigned { odSelected = 1, odFocused = 2, odDisabled = 4 };
using TOwnerDrawState = unsigned;

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TCheckKind { ckCheckBoxes, ckRadioButtons, ckCheckMarks };

struct TCheckListBoxItem {
    void* data = nullptr;
    TCheckBoxState state = cbUnchecked;
    bool enabled = true;
};

class EOutOfResources : public std::runtime_error {
public:
    EOutOfResources() : std::runtime_error("Unable to insert a line") {}
};

class TExCustomListBox;
class TExCheckListBox;

using TGetItemWidthEvent = std::function<void(TExCustomListBox* control, int index, int& width)>;
using TMeasureItemEvent = std::function<void(TExCustomListBox* control, int index, int& height)>;
using TChangeStateEvent = std::function<void(TExCheckListBox* sender, int index)>;

// The items of a list box, kept in the box.
class TExListBoxStrings {
public:
    explicit TExListBoxStrings(TExCustomListBox* box) : box_(box) {}
    virtual ~TExListBoxStrings() = default;

    int Count() const;
    QString Strings(int index) const;
    void SetString(int index, const QString& text);
    void* Objects(int index) const;
    void SetObject(int index, void* object);
    // Returns the new item's index (its sorted place in a sorted box).
    int Add(const QString& text);
    int AddObject(const QString& text, void* object);
    void Insert(int index, const QString& text);
    void Delete(int index);
    void Clear();
    // Texts and objects change places.
    virtual void Exchange(int a, int b);
    virtual void Move(int from, int to);
    int IndexOf(const QString& text) const;
    void BeginUpdate();
    void EndUpdate();

protected:
    TExCustomListBox* box_;
};

// The items of a check-list box: their check states and enabled flags go with
// them when they are exchanged or moved.
class TCheckListBoxStrings : public TExListBoxStrings {
public:
    using TExListBoxStrings::TExListBoxStrings;
    void Exchange(int a, int b) override;
    void Move(int from, int to) override;
};

class TExCustomListBox : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TExCustomListBox(QWidget* parent = nullptr);
    ~TExCustomListBox() override;

    TExListBoxStrings& Items();
    const TExListBoxStrings& Items() const { return const_cast<TExCustomListBox*>(this)->Items(); }
    void ClearItems() { Items().Clear(); }

    bool BorderSingle() const { return borderSingle_; }
    void SetBorderSingle(bool value);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    // The height items are drawn with.
    int ItemHeight() const { return ActualItemHeight(); }
    void SetItemHeight(int value);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    // With MultiSelect: Shift and Ctrl extend the selection (else a click toggles).
    bool ExtendedSelect() const { return extendedSelect_; }
    void SetExtendedSelect(bool value);
    // The box's height is cut to whole items.
    bool IntegralHeight() const { return integralHeight_; }
    void SetIntegralHeight(bool value);
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }
    // Right-to-left reading: the layout direction.
    bool UseRightToLeftReading() const { return layoutDirection() == Qt::RightToLeft; }
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int value);
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool value);
    bool GraySelection() const { return graySelection_; }
    void SetGraySelection(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);

    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    // The selected items of a multi-select box; else whether there is a current one.
    int SelCount() const;
    bool Selected(int index) const;
    // In a single-select box selecting makes the item current.
    void SetSelected(int index, bool value);
    int WidestItem() const { return widest_; }

    // -1 outside the client area; the count for a point below the items unless
    // only existing items are asked for (then -1).
    int ItemAtPoint(QPoint p, bool existing) const;
    // Viewport coordinates; for index = count the place below the last item.
    TRect ItemBounds(int index) const;
    int ColumnWidth() const;
    int RowsPerColumn() const;

    // Draws one item instead of the default text.
    std::function<void(TExCustomListBox* sender, QPainter& canvas, int index, const TRect& rect,
                       TOwnerDrawState state)>
        OnDrawItem;
    TGetItemWidthEvent OnGetItemWidth;
    void SetOnDrawItem(decltype(OnDrawItem) handler);
    void SetOnGetItemWidth(TGetItemWidthEvent handler);
    // The height of an item of an lbOwnerDrawVariable box, asked when it is added.
    TMeasureItemEvent OnMeasureItem;

signals:
    void Click();
    void DblClick();
    // An automatic drag begins (before the drag itself).
    void OnStartDrag();

protected:
    friend class TExListBoxStrings;
    friend class TCheckListBoxStrings;
    struct Item {
        QString text;
        void* data = nullptr;
        std::unique_ptr<TCheckListBoxItem> check;  // check-list boxes only
        int height = 0;                            // lbOwnerDrawVariable only
        bool selected = false;                     // multi-select boxes only
    };

    virtual std::unique_ptr<TExListBoxStrings> CreateItemStrings();
    virtual int ActualItemHeight() const;
    virtual void MeasureListItem(int index, int& height);
    // Drags the selected items' texts (one per line) as plain text.
    virtual void StartDrag();
    virtual int ItemWidth(int index) const;
    virtual void DrawListItem(QPainter& canvas, int index, const TRect& rect, TOwnerDrawState state);
    virtual void* ItemData(int index) const;
    virtual void SetItemData(int index, void* data);
    virtual int CheckHeight() const { return 0; }
    // The part of an item's rectangle its text and focus rectangle take.
    virtual TRect TextRect(const TRect& item) const { return item; }
    void CheckIndex(int index) const;
    Item& ItemAt(int index) { return items_[static_cast<size_t>(index)]; }
    const Item& ItemAt(int index) const { return items_[static_cast<size_t>(index)]; }
    void InvalidateItem(int index);
    void DrawItemText(QPainter& canvas, int index, const TRect& rect);
    // The default drawing: the rectangle filled, the item's text.
    void DrawDefaultItem(QPainter& canvas, int index, const TRect& rect);
    int Count() const { return static_cast<int>(items_.size()); }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int InsertItem(int index, const QString& text);
    // The height of one item (variable boxes: its measured height).
    int HeightOf(int index) const;
    // The number of whole items that fit from `top` (at least 1).
    int FitFrom(int top) const;
    int MaxTopIndex() const;
    void MeasureAll();
    void FitIntegralHeight();
    // A press or key moved the current item to `index` with these modifiers.
    void SelectTo(int index, Qt::KeyboardModifiers modifiers, bool byKey);
    void ClearSelection();
    void ItemsChanged();
    void RecomputeExtent();
    void GrowExtent(int index);
    void UpdateScrollBars();
    void MakeVisible(int index);

    std::unique_ptr<TExListBoxStrings> strings_;
    std::vector<Item> items_;
    TListBoxStyle style_ = lbStandard;
    TColor color_ = clWindow;
    int columns_ = 0;
    int itemHeight_ = 16;
    int tabWidth_ = 0;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int widest_ = 0;
    int updateCount_ = 0;
    int anchor_ = -1;
    TDragMode dragMode_ = dmManual;
    QPoint dragStart_;
    bool dragPending_ = false;
    bool multiSelect_ = false;
    bool extendedSelect_ = true;
    bool integralHeight_ = false;
    bool borderSingle_ = true;
    bool sorted_ = false;
    bool autoScroll_ = false;
    bool graySelection_ = false;
    bool syncingScroll_ = false;
};

class TExListBox : public TExCustomListBox {
    Q_OBJECT

public:
    using TExCustomListBox::TExCustomListBox;
};

// The 96 x 39 grid of 16 x 13 check images (6 columns: unchecked, checked,
// grayed on a white face, then the same disabled; rows: check boxes, radio
// buttons, check marks) on magenta, the transparent colour.
const QImage& CheckImages();
// The grid cell drawn for an item.
int CheckImageIndex(TCheckKind kind, TCheckBoxState state, bool enabled);

class TExCheckListBox : public TExCustomListBox {
    Q_OBJECT

public:
    static constexpr int kCheckWidth = 16, kCheckHeight = 13;

    explicit TExCheckListBox(QWidget* parent = nullptr);

    bool AllowGrayed() const { return allowGrayed_ && checkKind_ != ckRadioButtons; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    TCheckKind CheckKind() const { return checkKind_; }
    void SetCheckKind(TCheckKind value);
    int CheckedIndex() const;
    void SetCheckedIndex(int value);

    TCheckBoxState GetItemState(int index) const;
    void SetItemState(int index, TCheckBoxState state);
    bool GetItemChecked(int index) const;
    void SetItemChecked(int index, bool checked);
    bool GetItemEnabled(int index) const;
    void SetItemEnabled(int index, bool enabled);
    void SetAllStates(TCheckBoxState state, bool enabledOnly);
    // The user's toggle: unchecked -> grayed (when allowed) or checked -> unchecked;
    // grayed -> checked. Ignored for missing and disabled items.
    void ToggleItemState(int index);

    // The states in a settings-file section: it is erased, then "Count" and
    // "Item0".. (0 unchecked, 1 checked, 2 grayed) are written.
    void SaveStates(TIniFile& ini, const std::string& section) const;
    // Reads the first min(Count, items) states; a radio box stops after its first
    // checked item.
    void LoadStates(const TIniFile& ini, const std::string& section);

    TChangeStateEvent OnStateChange;

signals:
    void OnClickCheck();

protected:
    virtual void DoClickCheck() { emit OnClickCheck(); }
    virtual void DoStateChange(int index) {
        if (OnStateChange) OnStateChange(this, index);
    }
    std::unique_ptr<TExListBoxStrings> CreateItemStrings() override;

    int ItemWidth(int index) const override;
    void DrawListItem(QPainter& canvas, int index, const TRect& rect, TOwnerDrawState state) override;
    void* ItemData(int index) const override;
    void SetItemData(int index, void* data) override;
    int CheckHeight() const override { return kCheckHeight; }
    TRect TextRect(const TRect& item) const override;
    // Where an item's check image goes: its left end, or right end when reading right to left.
    TRect CheckStrip(const TRect& item) const;

    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TCheckListBoxItem& CheckObject(int index);
    const TCheckListBoxItem* FindCheckObject(int index) const;
    void StoreState(int index, TCheckBoxState state, bool force);
    void MakeRadioConsistent();
    void InvalidateCheck(int index);

    TCheckKind checkKind_ = ckCheckBoxes;
    bool allowGrayed_ = false;
};

}  // namespace kordalt
