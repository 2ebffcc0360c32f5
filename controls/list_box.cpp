#include "controls/list_box.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextOption>
#include <algorithm>

#include "controls/control_support.h"
#include "controls/draw_utils.h"
#include "platform/ini_file.h"

namespace kordalt {

namespace {

QString OutOfBoundsText(int index) { return QStringLiteral("List index out of bounds (%1)").arg(index); }

}  // namespace

EStringListError::EStringListError(int index) : std::out_of_range(OutOfBoundsText(index).toStdString()) {}

// ---- TExListBoxStrings

int TExListBoxStrings::Count() const { return box_->Count(); }

QString TExListBoxStrings::Strings(int index) const {
    box_->CheckIndex(index);
    return box_->ItemAt(index).text;
}

void TExListBoxStrings::SetString(int index, const QString& text) {
    box_->CheckIndex(index);
    box_->ItemAt(index).text = text;
    box_->ItemsChanged();
}

void* TExListBoxStrings::Objects(int index) const {
    box_->CheckIndex(index);
    return box_->ItemData(index);
}

void TExListBoxStrings::SetObject(int index, void* object) {
    box_->CheckIndex(index);
    box_->SetItemData(index, object);
}

int TExListBoxStrings::Add(const QString& text) {
    int index = Count();
    if (box_->Sorted()) {
        auto at = std::upper_bound(box_->items_.begin(), box_->items_.end(), text,
                                   [](const QString& t, const TExCustomListBox::Item& item) {
                                       return t.compare(item.text, Qt::CaseInsensitive) < 0;
                                   });
        index = static_cast<int>(at - box_->items_.begin());
    }
    return box_->InsertItem(index, text);
}

int TExListBoxStrings::AddObject(const QString& text, void* object) {
    const int index = Add(text);
    box_->SetItemData(index, object);
    return index;
}

void TExListBoxStrings::Insert(int index, const QString& text) {
    if (index < 0 || index > Count()) throw EOutOfResources();
    box_->InsertItem(index, text);
}

void TExListBoxStrings::Delete(int index) {
    box_->CheckIndex(index);
    const bool widest = box_->autoScroll_ && box_->ItemWidth(index) >= box_->widest_;
    box_->items_.erase(box_->items_.begin() + index);
    if (box_->itemIndex_ == index)
        box_->itemIndex_ = -1;
    else if (box_->itemIndex_ > index)
        --box_->itemIndex_;
    if (widest) {
        box_->horizontalScrollBar()->setValue(0);
        box_->RecomputeExtent();
    }
    box_->ItemsChanged();
}

void TExListBoxStrings::Clear() {
    box_->items_.clear();
    box_->itemIndex_ = -1;
    box_->anchor_ = -1;
    box_->topIndex_ = 0;
    box_->widest_ = 0;
    box_->ItemsChanged();
}

void TExListBoxStrings::Exchange(int a, int b) {
    box_->CheckIndex(a);
    box_->CheckIndex(b);
    const QString text = box_->ItemAt(a).text;
    void* data = box_->ItemData(a);
    box_->ItemAt(a).text = box_->ItemAt(b).text;
    box_->SetItemData(a, box_->ItemData(b));
    box_->ItemAt(b).text = text;
    box_->SetItemData(b, data);
    box_->ItemsChanged();
}

void TExListBoxStrings::Move(int from, int to) {
    box_->CheckIndex(from);
    box_->CheckIndex(to);
    const QString text = box_->ItemAt(from).text;
    void* data = box_->ItemData(from);
    Delete(from);
    Insert(to, text);
    box_->SetItemData(to, data);
}

void TCheckListBoxStrings::Exchange(int a, int b) {
    box_->CheckIndex(a);
    box_->CheckIndex(b);
    std::swap(box_->items_[static_cast<size_t>(a)], box_->items_[static_cast<size_t>(b)]);
    box_->ItemsChanged();
}

void TCheckListBoxStrings::Move(int from, int to) {
    box_->CheckIndex(from);
    box_->CheckIndex(to);
    TExCustomListBox::Item item = std::move(box_->items_[static_cast<size_t>(from)]);
    box_->items_.erase(box_->items_.begin() + from);
    box_->items_.insert(box_->items_.begin() + to, std::move(item));
    box_->ItemsChanged();
}

int TExListBoxStrings::IndexOf(const QString& text) const {
    for (int i = 0; i < Count(); ++i) {
        if (box_->ItemAt(i).text.compare(text, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

void TExListBoxStrings::BeginUpdate() { ++box_->updateCount_; }

void TExListBoxStrings::EndUpdate() {
    if (box_->updateCount_ > 0 && --box_->updateCount_ == 0) box_->ItemsChanged();
}

// ---- TExCustomListBox

TExCustomListBox::TExCustomListBox(QWidget* parent) : QAbstractScrollArea(parent) {
    resize(121, 97);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(2);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

TExCustomListBox::~TExCustomListBox() = default;

TExListBoxStrings& TExCustomListBox::Items() {
    if (!strings_) strings_ = CreateItemStrings();
    return *strings_;
}

std::unique_ptr<TExListBoxStrings> TExCustomListBox::CreateItemStrings() {
    return std::make_unique<TExListBoxStrings>(this);
}

void TExCustomListBox::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw EStringListError(index);
}

int TExCustomListBox::InsertItem(int index, const QString& text) {
    items_.insert(items_.begin() + index, Item{text, nullptr, nullptr});
    if (itemIndex_ >= index) ++itemIndex_;
    if (style_ == lbOwnerDrawVariable) MeasureListItem(index, ItemAt(index).height);
    GrowExtent(index);
    ItemsChanged();
    return index;
}

void TExCustomListBox::ItemsChanged() {
    if (updateCount_ > 0) return;
    UpdateScrollBars();
    viewport()->update();
}

void* TExCustomListBox::ItemData(int index) const { return ItemAt(index).data; }
void TExCustomListBox::SetItemData(int index, void* data) { ItemAt(index).data = data; }

void TExCustomListBox::SetBorderSingle(bool value) {
    if (value == borderSingle_) return;
    borderSingle_ = value;
    setFrameShape(value ? QFrame::Panel : QFrame::NoFrame);
}

void TExCustomListBox::SetColumns(int value) {
    value = IntMax(value, 0);
    if (value == columns_) return;
    columns_ = value;
    topIndex_ = 0;
    ItemsChanged();
}

void TExCustomListBox::SetItemHeight(int value) {
    if (value < 1 || value == itemHeight_) return;
    itemHeight_ = value;
    ItemsChanged();
}

void TExCustomListBox::SetStyle(TListBoxStyle value) {
    if (value == style_) return;
    style_ = value;
    MeasureAll();
    ItemsChanged();
}

void TExCustomListBox::MeasureListItem(int index, int& height) {
    height = itemHeight_;
    if (OnMeasureItem) OnMeasureItem(this, index, height);
}

void TExCustomListBox::MeasureAll() {
    if (style_ != lbOwnerDrawVariable) return;
    for (int i = 0; i < Count(); ++i) MeasureListItem(i, ItemAt(i).height);
}

void TExCustomListBox::SetMultiSelect(bool value) {
    if (value == multiSelect_) return;
    multiSelect_ = value;
    ClearSelection();
    viewport()->update();
}

void TExCustomListBox::SetExtendedSelect(bool value) {
    if (value == extendedSelect_) return;
    extendedSelect_ = value;
    ClearSelection();
    viewport()->update();
}

void TExCustomListBox::SetIntegralHeight(bool value) {
    if (value == integralHeight_) return;
    integralHeight_ = value;
    FitIntegralHeight();
}

void TExCustomListBox::FitIntegralHeight() {
    if (!integralHeight_ || style_ == lbOwnerDrawVariable) return;
    const int h = ActualItemHeight();
    const int rows = viewport()->height() / h;
    const int cut = viewport()->height() - rows * h;
    if (cut > 0 && rows > 0) resize(width(), height() - cut);
}

int TExCustomListBox::SelCount() const {
    if (!multiSelect_) return itemIndex_ >= 0 ? 1 : 0;
    return static_cast<int>(
        std::count_if(items_.begin(), items_.end(), [](const Item& i) { return i.selected; }));
}

bool TExCustomListBox::Selected(int index) const {
    CheckIndex(index);
    return multiSelect_ ? ItemAt(index).selected : index == itemIndex_;
}

void TExCustomListBox::SetSelected(int index, bool value) {
    CheckIndex(index);
    if (!multiSelect_) {
        if (value)
            SetItemIndex(index);
        else if (index == itemIndex_)
            SetItemIndex(-1);
        return;
    }
    if (ItemAt(index).selected == value) return;
    ItemAt(index).selected = value;
    InvalidateItem(index);
}

void TExCustomListBox::ClearSelection() {
    for (Item& item : items_) item.selected = false;
    anchor_ = -1;
}

void TExCustomListBox::SelectTo(int index, Qt::KeyboardModifiers modifiers, bool byKey) {
    const int old = itemIndex_;
    std::vector<bool> before;
    for (const Item& item : items_) before.push_back(item.selected);
    itemIndex_ = index;
    MakeVisible(index);
    const bool shift = modifiers & Qt::ShiftModifier, ctrl = modifiers & Qt::ControlModifier;
    if (!multiSelect_) {
        // nothing beyond the current item
    } else if (!extendedSelect_) {
        if (!byKey) ItemAt(index).selected = !ItemAt(index).selected;
    } else if (shift && anchor_ >= 0) {
        const int anchor = anchor_;
        if (!ctrl) ClearSelection();
        anchor_ = anchor;
        for (int i = IntMin(anchor, index); i <= IntMax(anchor, index); ++i) ItemAt(i).selected = true;
    } else if (ctrl && !byKey) {
        ItemAt(index).selected = !ItemAt(index).selected;
        anchor_ = index;
    } else if (!ctrl) {
        ClearSelection();
        ItemAt(index).selected = true;
        anchor_ = index;
    }
    viewport()->update();
    bool changed = old != index && !multiSelect_;
    for (int i = 0; i < Count() && !changed; ++i)
        changed = before[static_cast<size_t>(i)] != ItemAt(i).selected;
    if (changed) emit Click();
}

void TExCustomListBox::SetSorted(bool value) {
    if (value == sorted_) return;
    sorted_ = value;
    if (value) {
        std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
            return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
        });
    }
    ItemsChanged();
}

void TExCustomListBox::SetTabWidth(int value) {
    value = IntMax(value, 0);
    if (value == tabWidth_) return;
    tabWidth_ = value;
    RecomputeExtent();
    ItemsChanged();
}

void TExCustomListBox::SetAutoScroll(bool value) {
    if (value == autoScroll_) return;
    autoScroll_ = value;
    horizontalScrollBar()->setValue(0);
    RecomputeExtent();
    ItemsChanged();
}

void TExCustomListBox::SetOnGetItemWidth(TGetItemWidthEvent handler) {
    OnGetItemWidth = std::move(handler);
    horizontalScrollBar()->setValue(0);
    RecomputeExtent();
    ItemsChanged();
}

void TExCustomListBox::SetOnDrawItem(decltype(OnDrawItem) handler) {
    OnDrawItem = std::move(handler);
    horizontalScrollBar()->setValue(0);
    RecomputeExtent();
    ItemsChanged();
}

void TExCustomListBox::SetGraySelection(bool value) {
    if (value == graySelection_) return;
    graySelection_ = value;
    if (!hasFocus()) viewport()->update();
}

void TExCustomListBox::SetColor(TColor value) {
    color_ = value;
    viewport()->update();
}

void TExCustomListBox::SetItemIndex(int index) {
    if (index < -1 || index >= Count()) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    if (index >= 0) MakeVisible(index);
    viewport()->update();
}

void TExCustomListBox::SetTopIndex(int index) {
    index = IntMax(0, IntMin(index, IntMax(Count() - 1, 0)));
    if (columns_ > 0) index -= index % RowsPerColumn();
    if (index == topIndex_) return;
    topIndex_ = index;
    UpdateScrollBars();
    viewport()->update();
}

void TExCustomListBox::MakeVisible(int index) {
    const int rows = RowsPerColumn();
    if (columns_ > 0) {
        const int visibleColumns = IntMax(1, viewport()->width() / IntMax(ColumnWidth(), 1));
        const int column = index / rows, first = topIndex_ / rows;
        if (column < first)
            SetTopIndex(column * rows);
        else if (column >= first + visibleColumns)
            SetTopIndex((column - visibleColumns + 1) * rows);
        return;
    }
    if (index < topIndex_) {
        SetTopIndex(index);
    } else if (style_ == lbOwnerDrawVariable) {
        int top = topIndex_;
        while (top < index && index >= top + FitFrom(top)) ++top;
        SetTopIndex(top);
    } else if (index >= topIndex_ + rows) {
        SetTopIndex(index - rows + 1);
    }
}

int TExCustomListBox::HeightOf(int index) const {
    if (style_ == lbOwnerDrawVariable && index >= 0 && index < Count()) return ItemAt(index).height;
    return ActualItemHeight();
}

int TExCustomListBox::FitFrom(int top) const {
    int used = 0, fit = 0;
    for (int i = top; i < Count(); ++i) {
        used += HeightOf(i);
        if (used > viewport()->height()) break;
        ++fit;
    }
    return IntMax(fit, 1);
}

int TExCustomListBox::MaxTopIndex() const {
    if (style_ != lbOwnerDrawVariable) return IntMax(0, Count() - RowsPerColumn());
    int top = Count(), used = 0;
    while (top > 0 && used + HeightOf(top - 1) <= viewport()->height()) used += HeightOf(--top);
    return IntMin(top, IntMax(Count() - 1, 0));
}

int TExCustomListBox::ActualItemHeight() const {
    if (style_ == lbOwnerDrawFixed && OnDrawItem) return itemHeight_;
    int height = IntMax(fontMetrics().height(), CheckHeight());
    if (style_ == lbOwnerDrawFixed) height = IntMax(height, itemHeight_);
    return height;
}

int TExCustomListBox::ColumnWidth() const { return columns_ > 0 ? (width() + columns_ - 3) / columns_ : 0; }

int TExCustomListBox::RowsPerColumn() const {
    if (style_ == lbOwnerDrawVariable) return FitFrom(topIndex_);
    return IntMax(1, viewport()->height() / ActualItemHeight());
}

TRect TExCustomListBox::ItemBounds(int index) const {
    if (index < 0 || index > Count()) return {};
    const int h = ActualItemHeight();
    if (columns_ > 0) {
        const int rows = RowsPerColumn(), cw = ColumnWidth();
        const int column = index / rows - topIndex_ / rows, row = index % rows;
        return {column * cw, row * h, column * cw + cw, row * h + h};
    }
    const int scroll = horizontalScrollBar()->value();
    int top = (index - topIndex_) * h, height = h;
    if (style_ == lbOwnerDrawVariable) {
        top = 0;
        for (int i = topIndex_; i < index; ++i) top += HeightOf(i);
        for (int i = index; i < topIndex_; ++i) top -= HeightOf(i);
        height = HeightOf(index);
    }
    const int right = IntMax(viewport()->width(), widest_);
    if (UseRightToLeftReading())
        return {viewport()->width() - right + scroll, top, viewport()->width() + scroll, top + height};
    return {-scroll, top, right - scroll, top + height};
}

int TExCustomListBox::ItemAtPoint(QPoint p, bool existing) const {
    if (!viewport()->rect().contains(p)) return -1;
    for (int i = topIndex_; i < Count(); ++i) {
        const TRect r = ItemBounds(i);
        if (r.ToQRect().contains(p)) return i;
        if (columns_ == 0 && r.top > viewport()->height()) break;
    }
    return existing ? -1 : Count();
}

int TExCustomListBox::ItemWidth(int index) const {
    if (OnGetItemWidth && OnDrawItem && style_ != lbStandard) {
        int width = 0;
        OnGetItemWidth(const_cast<TExCustomListBox*>(this), index, width);
        return width;
    }
    const QString text = ItemAt(index).text + u'x';
    if (tabWidth_ <= 0) return fontMetrics().horizontalAdvance(text);
    const int tabStop = RoundToInt(tabWidth_ * fontMetrics().horizontalAdvance(u'0') * 0.25L);
    QRect bounds =
        fontMetrics().boundingRect(QRect(0, 0, 1 << 20, 1 << 10), Qt::TextExpandTabs, text, tabStop);
    return bounds.width();
}

void TExCustomListBox::GrowExtent(int index) {
    if (!autoScroll_ || columns_ > 0) return;
    widest_ = IntMax(widest_, ItemWidth(index));
}

void TExCustomListBox::RecomputeExtent() {
    widest_ = 0;
    if (!autoScroll_ || columns_ > 0) return;
    for (int i = 0; i < Count(); ++i) widest_ = IntMax(widest_, ItemWidth(i));
}

void TExCustomListBox::UpdateScrollBars() {
    syncingScroll_ = true;
    const int rows = RowsPerColumn();
    if (columns_ > 0) {
        const int totalColumns = (Count() + rows - 1) / rows;
        const int visibleColumns = IntMax(1, viewport()->width() / IntMax(ColumnWidth(), 1));
        verticalScrollBar()->setRange(0, 0);
        horizontalScrollBar()->setRange(0, IntMax(0, totalColumns - visibleColumns));
        horizontalScrollBar()->setPageStep(visibleColumns);
        horizontalScrollBar()->setValue(topIndex_ / rows);
    } else {
        verticalScrollBar()->setRange(0, MaxTopIndex());
        verticalScrollBar()->setPageStep(rows);
        verticalScrollBar()->setValue(topIndex_);
        horizontalScrollBar()->setRange(0, IntMax(0, widest_ - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
    }
    syncingScroll_ = false;
}

void TExCustomListBox::scrollContentsBy(int, int) {
    if (syncingScroll_) return;
    if (columns_ > 0)
        topIndex_ = horizontalScrollBar()->value() * RowsPerColumn();
    else
        topIndex_ = verticalScrollBar()->value();
    viewport()->update();
}

void TExCustomListBox::DrawItemText(QPainter& canvas, int index, const TRect& rect) {
    const QString& text = ItemAt(index).text;
    const QFontMetrics metrics(canvas.font());
    const int top = IntMax(rect.top, (rect.top + rect.bottom - metrics.height()) / 2);
    canvas.save();
    canvas.setClipRect(rect.ToQRect(), Qt::IntersectClip);
    if (UseRightToLeftReading()) {
        QTextOption option(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignTop);
        option.setWrapMode(QTextOption::NoWrap);
        option.setTextDirection(Qt::RightToLeft);
        if (tabWidth_ > 0)
            option.setTabStopDistance(RoundToInt(tabWidth_ * metrics.horizontalAdvance(u'0') * 0.25L));
        canvas.drawText(QRectF(rect.left, top, rect.Width() - 2, metrics.height()), text, option);
    } else if (tabWidth_ > 0) {
        QTextOption option(Qt::AlignLeft | Qt::AlignTop);
        option.setWrapMode(QTextOption::NoWrap);
        option.setTabStopDistance(RoundToInt(tabWidth_ * metrics.horizontalAdvance(u'0') * 0.25L));
        canvas.drawText(QRectF(rect.left + 2, top, 1 << 20, metrics.height()), text, option);
    } else {
        canvas.drawText(rect.left + 2, top + metrics.ascent(), text);
    }
    canvas.restore();
}

void TExCustomListBox::DrawDefaultItem(QPainter& canvas, int index, const TRect& rect) {
    canvas.fillRect(rect.ToQRect(), canvas.brush());
    if (index < Count()) DrawItemText(canvas, index, rect);
}

void TExCustomListBox::DrawListItem(QPainter& canvas, int index, const TRect& rect, TOwnerDrawState state) {
    if (OnDrawItem && style_ != lbStandard)
        OnDrawItem(this, canvas, index, rect, state);
    else
        DrawDefaultItem(canvas, index, rect);
}

void TExCustomListBox::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), ToQColor(color_));
    painter.setFont(font());
    const QColor fontColour = ToQColor(PaletteColor(*this, QPalette::WindowText));
    for (int i = topIndex_; i < Count(); ++i) {
        const TRect bounds = ItemBounds(i);
        if (bounds.left >= viewport()->width() || bounds.top >= viewport()->height()) {
            if (columns_ == 0) break;
            continue;
        }
        const TRect r = TextRect(bounds);
        TOwnerDrawState state = 0;
        if (Selected(i)) state |= odSelected;
        if (i == itemIndex_ && hasFocus()) state |= odFocused;
        if (!isEnabled()) state |= odDisabled;
        painter.setBrush(ToQColor(color_));
        painter.setPen(fontColour);
        if (state & odSelected) {
            if (graySelection_ && !hasFocus()) {
                painter.setBrush(ToQColor(clBtnFace));
                if (FromQColor(fontColour) == ColorToRGB(clBtnFace)) painter.setPen(ToQColor(clBtnText));
            } else {
                painter.setBrush(ToQColor(clHighlight));
                painter.setPen(ToQColor(clHighlightText));
            }
        }
        DrawListItem(painter, i, r, state);
        if (i == itemIndex_ && hasFocus() && (multiSelect_ || (state & odSelected)))
            DrawFocusRect(painter, r);
    }
}

void TExCustomListBox::InvalidateItem(int index) { viewport()->update(ItemBounds(index).ToQRect()); }

void TExCustomListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int index = ItemAtPoint(event->position().toPoint(), true);
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool multiKeys = multiSelect_ && (mods & (Qt::ShiftModifier | Qt::ControlModifier));
    dragPending_ = false;
    if (dragMode_ == dmAutomatic && index >= 0 && multiSelect_ && ItemAt(index).selected &&
        (!(mods & Qt::ShiftModifier) || (mods & Qt::ControlModifier))) {
        // A press on a selected item keeps the selection for the drag.
        dragPending_ = true;
    } else {
        if (index >= 0 && (index != itemIndex_ || multiSelect_)) SelectTo(index, mods, false);
        dragPending_ = dragMode_ == dmAutomatic && index >= 0 && !multiKeys;
    }
    dragStart_ = event->position().toPoint();
}

void TExCustomListBox::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint p = event->position().toPoint();
    if (dragPending_) {
        if ((p - dragStart_).manhattanLength() < QApplication::startDragDistance()) return;
        dragPending_ = false;
        emit OnStartDrag();
        StartDrag();
        return;
    }
    const int index = ItemAtPoint(p, true);
    if (index < 0 || index == itemIndex_) return;
    if (multiSelect_ && !extendedSelect_) return;
    SelectTo(index, multiSelect_ ? Qt::ShiftModifier : Qt::NoModifier, false);
}

void TExCustomListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragPending_ = false;
}

void TExCustomListBox::StartDrag() {
    QStringList texts;
    for (int i = 0; i < Count(); ++i) {
        if (Selected(i)) texts << ItemAt(i).text;
    }
    auto* mime = new QMimeData;
    mime->setText(texts.join(u'\n'));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction | Qt::MoveAction);
}

void TExCustomListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit DblClick();
}

void TExCustomListBox::keyPressEvent(QKeyEvent* event) {
    if (Count() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int rows = RowsPerColumn();
    const int current = itemIndex_;
    int target = current;
    switch (event->key()) {
        case Qt::Key_Up:
            target = current - 1;
            break;
        case Qt::Key_Down:
            target = current + 1;
            break;
        case Qt::Key_Left:
            target = columns_ > 0 ? current - rows : current;
            break;
        case Qt::Key_Right:
            target = columns_ > 0 ? current + rows : current;
            break;
        case Qt::Key_PageUp:
            target = current - (columns_ > 0 ? rows : rows - 1);
            break;
        case Qt::Key_PageDown:
            target = current + (columns_ > 0 ? rows : rows - 1);
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = Count() - 1;
            break;
        case Qt::Key_Space:
            if (multiSelect_ && !extendedSelect_ && current >= 0) {
                event->accept();
                SetSelected(current, !ItemAt(current).selected);
                emit Click();
                return;
            }
            [[fallthrough]];
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
    target = IntMax(0, IntMin(target, Count() - 1));
    if (target == current && !multiSelect_) return;
    SelectTo(target, event->modifiers(), true);
}

void TExCustomListBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (columns_ > 0) topIndex_ -= topIndex_ % RowsPerColumn();
    UpdateScrollBars();
    FitIntegralHeight();
}

void TExCustomListBox::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        MeasureAll();
        RecomputeExtent();
        ItemsChanged();
    } else if (event->type() == QEvent::EnabledChange || event->type() == QEvent::LayoutDirectionChange) {
        viewport()->update();
    }
}

void TExCustomListBox::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TExCustomListBox::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ---- check images

namespace {

// The classic tick, 7 pixels wide and 3 high in each column.
void DrawTick(QPainter& p, int x, int y, const QColor& colour) {
    static constexpr int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i) p.fillRect(x + i, y + kTop[i], 1, 3, colour);
}

void DrawCheckBoxCell(QPainter& p, int x, int y, TCheckBoxState state, const QColor& face) {
    TRect r{x + 1, y, x + 14, y + 13};
    Frame3D(p, r, ToQColor(clBtnShadow), ToQColor(clBtnHighlight), 1);
    Frame3D(p, r, ToQColor(clBlack), ToQColor(clBtnFace), 1);
    if (state == cbGrayed && face == ToQColor(clWhite)) {
        for (int yy = r.top; yy < r.bottom; ++yy) {
            for (int xx = r.left; xx < r.right; ++xx) {
                p.fillRect(xx, yy, 1, 1, (xx + yy) % 2 ? ToQColor(clBtnFace) : ToQColor(clWhite));
            }
        }
    } else {
        p.fillRect(r.ToQRect(), face);
    }
    if (state == cbChecked) DrawTick(p, x + 4, y + 3, ToQColor(clBlack));
    if (state == cbGrayed) DrawTick(p, x + 4, y + 3, ToQColor(clGray));
}

void DrawRadioCell(QPainter& p, int x, int y, TCheckBoxState state, const QColor& face) {
    // Outer ring: shadow top-left, highlight bottom-right; inner ring black / face.
    static const char* const kRing[12] = {"....ssss....", "..ssbbbbss..", ".sbb....bbh.", ".sb......fh.",
                                          "sb........fh", "sb........fh", "sb........fh", "sb........fh",
                                          ".sb......fh.", ".hff....ffh.", "..hhffffhh..", "....hhhh...."};
    for (int row = 0; row < 12; ++row) {
        for (int col = 0; col < 12; ++col) {
            const char c = kRing[row][col];
            const bool inside = c == '.' && row > 0 && row < 11 && col > 0 && col < 11 &&
                                (row > 1 || (col > 1 && col < 10)) && (row < 10 || (col > 1 && col < 10));
            QColor colour;
            if (c == 's')
                colour = ToQColor(clBtnShadow);
            else if (c == 'b')
                colour = ToQColor(clBlack);
            else if (c == 'h')
                colour = ToQColor(clBtnHighlight);
            else if (c == 'f')
                colour = ToQColor(clBtnFace);
            else if (inside)
                colour = face;
            else
                continue;
            p.fillRect(x + 2 + col, y + row, 1, 1, colour);
        }
    }
    if (state != cbUnchecked) {
        const QColor dot = ToQColor(state == cbChecked ? clBlack : clGray);
        p.fillRect(x + 7, y + 4, 2, 4, dot);
        p.fillRect(x + 6, y + 5, 4, 2, dot);
    }
}

void DrawMarkCell(QPainter& p, int x, int y, TCheckBoxState state, bool enabled) {
    if (state == cbUnchecked) return;
    QColor colour = ToQColor(state == cbChecked ? clGreen : clOlive);
    if (!enabled) colour = ToQColor(state == cbChecked ? clGray : clSilver);
    DrawTick(p, x + 4, y + 3, colour);
}

QImage MakeCheckImages() {
    QImage image(6 * TExCheckListBox::kCheckWidth, 3 * TExCheckListBox::kCheckHeight, QImage::Format_RGB32);
    image.fill(ToQColor(clFuchsia));
    QPainter p(&image);
    for (int column = 0; column < 6; ++column) {
        const auto state = TCheckBoxState(column % 3);
        const bool enabled = column < 3;
        const QColor face = ToQColor(enabled ? clWhite : clBtnFace);
        const int x = column * TExCheckListBox::kCheckWidth;
        DrawCheckBoxCell(p, x, 0, state, face);
        DrawRadioCell(p, x, TExCheckListBox::kCheckHeight, state, face);
        DrawMarkCell(p, x, 2 * TExCheckListBox::kCheckHeight, state, enabled);
    }
    return image;
}

}  // namespace

const QImage& CheckImages() {
    static const QImage images = MakeCheckImages();
    return images;
}

int CheckImageIndex(TCheckKind kind, TCheckBoxState state, bool enabled) {
    return int(kind) * 6 + int(state) + (enabled ? 0 : 3);
}

// ---- TExCheckListBox

TExCheckListBox::TExCheckListBox(QWidget* parent) : TExCustomListBox(parent) { SetAutoScroll(true); }

std::unique_ptr<TExListBoxStrings> TExCheckListBox::CreateItemStrings() {
    return std::make_unique<TCheckListBoxStrings>(this);
}

const TCheckListBoxItem* TExCheckListBox::FindCheckObject(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return ItemAt(index).check.get();
}

TCheckListBoxItem& TExCheckListBox::CheckObject(int index) {
    CheckIndex(index);
    auto& check = ItemAt(index).check;
    if (!check) check = std::make_unique<TCheckListBoxItem>();
    return *check;
}

void* TExCheckListBox::ItemData(int index) const {
    const TCheckListBoxItem* check = FindCheckObject(index);
    return check != nullptr ? check->data : nullptr;
}

void TExCheckListBox::SetItemData(int index, void* data) { CheckObject(index).data = data; }

void TExCheckListBox::SetCheckKind(TCheckKind value) {
    if (value == checkKind_) return;
    checkKind_ = value;
    MakeRadioConsistent();
    viewport()->update();
}

int TExCheckListBox::CheckedIndex() const {
    if (checkKind_ != ckRadioButtons) return -1;
    for (int i = 0; i < Count(); ++i) {
        if (GetItemChecked(i)) return i;
    }
    return -1;
}

void TExCheckListBox::SetCheckedIndex(int value) {
    if (checkKind_ == ckRadioButtons && Count() > 0) SetItemState(IntMax(value, 0), cbChecked);
}

void TExCheckListBox::MakeRadioConsistent() {
    if (checkKind_ == ckRadioButtons && Count() > 0) StoreState(IntMax(CheckedIndex(), 0), cbChecked, true);
}

TCheckBoxState TExCheckListBox::GetItemState(int index) const {
    const TCheckListBoxItem* check = FindCheckObject(index);
    const TCheckBoxState state = check != nullptr ? check->state : cbUnchecked;
    return checkKind_ == ckRadioButtons && state != cbChecked ? cbUnchecked : state;
}

void TExCheckListBox::SetItemState(int index, TCheckBoxState state) { StoreState(index, state, false); }

void TExCheckListBox::StoreState(int index, TCheckBoxState state, bool force) {
    CheckIndex(index);
    const TCheckListBoxItem* existing = FindCheckObject(index);
    const TCheckBoxState current = existing != nullptr ? existing->state : cbUnchecked;
    if (current == state && !force) return;
    if (checkKind_ == ckRadioButtons && current == cbChecked && state != cbChecked) return;
    CheckObject(index).state = state;
    if (checkKind_ == ckRadioButtons && state == cbChecked) {
        for (int i = Count() - 1; i >= 0; --i) {
            if (i == index || !GetItemChecked(i)) continue;
            ItemAt(i).check->state = cbUnchecked;
            InvalidateCheck(i);
        }
    }
    InvalidateCheck(index);
    DoStateChange(index);
}

bool TExCheckListBox::GetItemChecked(int index) const {
    const TCheckListBoxItem* check = FindCheckObject(index);
    return check != nullptr && check->state == cbChecked;
}

void TExCheckListBox::SetItemChecked(int index, bool checked) {
    SetItemState(index, checked ? cbChecked : cbUnchecked);
}

bool TExCheckListBox::GetItemEnabled(int index) const {
    const TCheckListBoxItem* check = FindCheckObject(index);
    return check == nullptr || check->enabled;
}

void TExCheckListBox::SetItemEnabled(int index, bool enabled) {
    TCheckListBoxItem& check = CheckObject(index);
    if (check.enabled == enabled) return;
    check.enabled = enabled;
    InvalidateItem(index);
}

void TExCheckListBox::SetAllStates(TCheckBoxState state, bool enabledOnly) {
    if (checkKind_ == ckRadioButtons) return;
    for (int i = 0; i < Count(); ++i) {
        if (!enabledOnly || GetItemEnabled(i)) SetItemState(i, state);
    }
}

void TExCheckListBox::ToggleItemState(int index) {
    if (index < 0 || index >= Count() || !GetItemEnabled(index)) return;
    switch (GetItemState(index)) {
        case cbUnchecked:
            SetItemState(index, AllowGrayed() ? cbGrayed : cbChecked);
            break;
        case cbChecked:
            SetItemState(index, cbUnchecked);
            break;
        case cbGrayed:
            SetItemState(index, cbChecked);
            break;
    }
    DoClickCheck();
}

void TExCheckListBox::SaveStates(TIniFile& ini, const std::string& section) const {
    ini.EraseSection(section);
    ini.WriteInteger(section, "Count", Count());
    for (int i = 0; i < Count(); ++i) ini.WriteInteger(section, "Item" + std::to_string(i), GetItemState(i));
}

void TExCheckListBox::LoadStates(const TIniFile& ini, const std::string& section) {
    const int count = IntMin(ini.ReadInteger(section, "Count", 0), Count());
    for (int i = 0; i < count; ++i) {
        const int state = ini.ReadInteger(section, "Item" + std::to_string(i), cbUnchecked);
        if (state < cbUnchecked || state > cbGrayed) continue;
        SetItemState(i, TCheckBoxState(state));
        if (checkKind_ == ckRadioButtons && state == cbChecked) break;
    }
}

TRect TExCheckListBox::TextRect(const TRect& item) const {
    TRect r = item;
    if (UseRightToLeftReading())
        r.right -= kCheckWidth + 2;
    else
        r.left += kCheckWidth + 2;
    return r;
}

TRect TExCheckListBox::CheckStrip(const TRect& item) const {
    if (UseRightToLeftReading()) return {item.right - (kCheckWidth + 2), item.top, item.right, item.bottom};
    return {item.left, item.top, item.left + kCheckWidth + 2, item.bottom};
}

void TExCheckListBox::InvalidateCheck(int index) {
    viewport()->update(CheckStrip(ItemBounds(index)).ToQRect());
}

int TExCheckListBox::ItemWidth(int index) const {
    return TExCustomListBox::ItemWidth(index) + kCheckWidth + 2;
}

void TExCheckListBox::DrawListItem(QPainter& canvas, int index, const TRect& rect, TOwnerDrawState state) {
    if (index < Count()) {
        const TRect strip = UseRightToLeftReading()
                                ? TRect{rect.right, rect.top, rect.right + kCheckWidth + 2, rect.bottom}
                                : TRect{rect.left - (kCheckWidth + 2), rect.top, rect.left, rect.bottom};
        canvas.fillRect(strip.ToQRect(), ToQColor(Color()));
        const bool enabled = GetItemEnabled(index);
        const QImage cell =
            ExtractGridCell(CheckImages(), 6, 3, CheckImageIndex(checkKind_, GetItemState(index), enabled));
        DrawBitmapWithKeyColour(canvas, strip.left + (strip.Width() - kCheckWidth) / 2,
                                strip.top + (strip.Height() - kCheckHeight) / 2, cell, clFuchsia);
        if (!enabled) canvas.setPen(ToQColor((state & odSelected) ? clInactiveCaptionText : clGrayText));
    }
    if (Style() == lbStandard)
        DrawDefaultItem(canvas, index, rect);
    else
        TExCustomListBox::DrawListItem(canvas, index, rect, state);
}

void TExCheckListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        const int index = ItemAtPoint(p, true);
        if (index >= 0) {
            const TRect item = ItemBounds(index);
            const int inStrip =
                UseRightToLeftReading() ? p.x() - (item.right - (kCheckWidth + 2)) : p.x() - item.left;
            if (inStrip < kCheckWidth + 2 && (!UseRightToLeftReading() || inStrip > 0))
                ToggleItemState(index);
        }
    }
    TExCustomListBox::mousePressEvent(event);
}

void TExCheckListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        event->accept();
        ToggleItemState(ItemIndex());
        return;
    }
    const QString text = event->text();
    if ((text == u"+" || text == u"-") && checkKind_ != ckRadioButtons) {
        event->accept();
        SetAllStates(text == u"+" ? cbChecked : cbUnchecked, true);
        DoClickCheck();
        return;
    }
    TExCustomListBox::keyPressEvent(event);
}

}  // namespace kordalt
