#include "controls/draw_grid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "controls/control_support.h"
#include "controls/draw_utils.h"
#include "platform/ini_file.h"

namespace kordalt {

namespace {

constexpr int kSizingSlack = 2;

}  // namespace

TExDrawGrid::TExDrawGrid(QWidget* parent)
    : QAbstractScrollArea(parent),
      colWidths_(5, 64),
      rowHeights_(5, 18),
      options_(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected |
               goColSizing) {
    resize(320, 120);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(2);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setTracking(false);
    horizontalScrollBar()->setTracking(false);
    UpdateScrollBars();
}

void TExDrawGrid::Changed() {
    col_ = IntMax(fixedCols_, IntMin(col_, ColCount() - 1));
    row_ = IntMax(fixedRows_, IntMin(row_, RowCount() - 1));
    topRow_ = IntMax(fixedRows_, IntMin(topRow_, MaxTopLeft(false)));
    leftCol_ = IntMax(fixedCols_, IntMin(leftCol_, MaxTopLeft(true)));
    UpdateScrollBars();
    viewport()->update();
}

void TExDrawGrid::SetColCount(int value) {
    value = IntMax(value, 1);
    if (value == ColCount()) return;
    colWidths_.resize(static_cast<size_t>(value), defaultColWidth_);
    fixedCols_ = IntMin(fixedCols_, value - 1);
    Changed();
}

void TExDrawGrid::SetRowCount(int value) {
    value = IntMax(value, 1);
    if (value == RowCount()) return;
    rowHeights_.resize(static_cast<size_t>(value), defaultRowHeight_);
    fixedRows_ = IntMin(fixedRows_, value - 1);
    Changed();
}

void TExDrawGrid::SetFixedCols(int value) {
    value = IntMax(0, IntMin(value, ColCount() - 1));
    if (value == fixedCols_) return;
    fixedCols_ = value;
    Initialize();
}

void TExDrawGrid::SetFixedRows(int value) {
    value = IntMax(0, IntMin(value, RowCount() - 1));
    if (value == fixedRows_) return;
    fixedRows_ = value;
    Initialize();
}

void TExDrawGrid::Initialize() {
    leftCol_ = col_ = fixedCols_;
    topRow_ = row_ = fixedRows_;
    Changed();
}

void TExDrawGrid::SetDefaultColWidth(int value) {
    defaultColWidth_ = value;
    std::fill(colWidths_.begin(), colWidths_.end(), value);
    Changed();
}

void TExDrawGrid::SetDefaultRowHeight(int value) {
    defaultRowHeight_ = value;
    std::fill(rowHeights_.begin(), rowHeights_.end(), value);
    Changed();
}

int TExDrawGrid::Extent(const std::vector<int>& extents, int index, int fallback) {
    return index >= 0 && index < static_cast<int>(extents.size()) ? extents[static_cast<size_t>(index)]
                                                                  : fallback;
}

void TExDrawGrid::SetExtent(std::vector<int>& extents, int index, int value) {
    if (Extent(extents, index, value) == value) return;
    extents[static_cast<size_t>(index)] = value;
    StopTracking();
    Changed();
}

int TExDrawGrid::ColWidths(int col) const { return Extent(colWidths_, col, defaultColWidth_); }
void TExDrawGrid::SetColWidths(int col, int width) { SetExtent(colWidths_, col, width); }
int TExDrawGrid::RowHeights(int row) const { return Extent(rowHeights_, row, defaultRowHeight_); }
void TExDrawGrid::SetRowHeights(int row, int height) { SetExtent(rowHeights_, row, height); }

void TExDrawGrid::SaveColumnWidths(TIniFile& ini, const std::string& section) const {
    for (int col = 0; col < ColCount(); ++col)
        ini.WriteInteger(section, "Item" + std::to_string(col), ColWidths(col));
}

void TExDrawGrid::LoadColumnWidths(const TIniFile& ini, const std::string& section) {
    for (int col = 0; col < ColCount(); ++col) {
        SetColWidths(col, ini.ReadInteger(section, "Item" + std::to_string(col), ColWidths(col)));
    }
}

void TExDrawGrid::SetGridLineWidth(int value) {
    gridLineWidth_ = IntMax(value, 0);
    Changed();
}

void TExDrawGrid::SetOptions(TGridOptions value) {
    if (value == options_) return;
    options_ = value;
    // Without thumb tracking the grid scrolls when the thumb is let go.
    verticalScrollBar()->setTracking(value & goThumbTracking);
    horizontalScrollBar()->setTracking(value & goThumbTracking);
    if (!(value & goEditing)) HideEditor();
    Changed();
}

void TExDrawGrid::SetFixedButtons(bool value) {
    if (value == fixedButtons_) return;
    fixedButtons_ = value;
    viewport()->update();
}

void TExDrawGrid::SetDefaultDrawing(bool value) {
    defaultDrawing_ = value;
    viewport()->update();
}

void TExDrawGrid::SetColor(TColor value) {
    color_ = value;
    viewport()->update();
}

void TExDrawGrid::SetFixedColor(TColor value) {
    fixedColor_ = value;
    viewport()->update();
}

int TExDrawGrid::LineWidth(bool columns, int) const {
    const TGridOptions lines = columns ? (goFixedVertLine | goVertLine) : (goFixedHorzLine | goHorzLine);
    return (options_ & lines) ? gridLineWidth_ : 0;
}

std::vector<TExDrawGrid::Span> TExDrawGrid::VisibleSpans(bool columns) const {
    std::vector<Span> spans;
    const int extent = columns ? viewport()->width() : viewport()->height();
    const int count = columns ? ColCount() : RowCount();
    const int fixed = columns ? fixedCols_ : fixedRows_;
    const int first = columns ? leftCol_ : topRow_;
    int position = 0;
    for (int i = fixed > 0 ? 0 : first; i < count && position < extent;
         i = (i + 1 == fixed) ? IntMax(first, fixed) : i + 1) {
        const int size = columns ? ColWidths(i) : RowHeights(i);
        spans.push_back({i, position, size});
        position += size + LineWidth(columns, i);
    }
    return spans;
}

int TExDrawGrid::MaxTopLeft(bool columns) const {
    const int count = columns ? ColCount() : RowCount();
    const int fixed = columns ? fixedCols_ : fixedRows_;
    int available = columns ? viewport()->width() : viewport()->height();
    for (int i = 0; i < fixed; ++i)
        available -= (columns ? ColWidths(i) : RowHeights(i)) + LineWidth(columns, i);
    // The first cell from which the rest fits; the last one when even it does not.
    int first = count - 1;
    for (int i = count - 1; i >= fixed; --i) {
        available -= (columns ? ColWidths(i) : RowHeights(i)) + LineWidth(columns, i);
        if (available < 0) break;
        first = i;
    }
    return IntMax(fixed, first);
}

int TExDrawGrid::VisibleRowCount() const {
    int visible = 0;
    for (const Span& s : VisibleSpans(false)) {
        if (s.index >= fixedRows_ && s.start + s.size <= viewport()->height()) ++visible;
    }
    return visible;
}

int TExDrawGrid::VisibleColCount() const {
    int visible = 0;
    for (const Span& s : VisibleSpans(true)) {
        if (s.index >= fixedCols_ && s.start + s.size <= viewport()->width()) ++visible;
    }
    return visible;
}

TRect TExDrawGrid::CellRect(int col, int row) const {
    for (const Span& c : VisibleSpans(true)) {
        if (c.index != col) continue;
        for (const Span& r : VisibleSpans(false)) {
            if (r.index == row) return {c.start, r.start, c.start + c.size, r.start + r.size};
        }
    }
    return {};
}

void TExDrawGrid::MouseToCell(int x, int y, int& col, int& row) const {
    col = row = -1;
    for (const Span& c : VisibleSpans(true)) {
        if (x >= c.start && x < c.start + c.size + LineWidth(true, c.index)) col = c.index;
    }
    for (const Span& r : VisibleSpans(false)) {
        if (y >= r.start && y < r.start + r.size + LineWidth(false, r.index)) row = r.index;
    }
    if (col < 0 || row < 0) col = row = -1;
}

void TExDrawGrid::InvalidateCell(int col, int row) {
    const TRect r = CellRect(col, row);
    viewport()->update(r.Inflate(gridLineWidth_, gridLineWidth_).ToQRect());
}

void TExDrawGrid::InvalidateRow(int row) {
    for (int col = 0; col < ColCount(); ++col) InvalidateCell(col, row);
}

void TExDrawGrid::SetTopRow(int value) {
    value = IntMax(fixedRows_, IntMin(value, MaxTopLeft(false)));
    if (value == topRow_) return;
    StopTracking();
    topRow_ = value;
    UpdateScrollBars();
    viewport()->update();
    if (EditorMode()) editor_->setGeometry(CellRect(col_, row_).ToQRect());
    emit OnTopLeftChanged();
}

void TExDrawGrid::SetLeftCol(int value) {
    value = IntMax(fixedCols_, IntMin(value, MaxTopLeft(true)));
    if (value == leftCol_) return;
    StopTracking();
    leftCol_ = value;
    UpdateScrollBars();
    viewport()->update();
    if (EditorMode()) editor_->setGeometry(CellRect(col_, row_).ToQRect());
    emit OnTopLeftChanged();
}

void TExDrawGrid::UpdateScrollBars() {
    syncingScroll_ = true;
    verticalScrollBar()->setRange(0, MaxTopLeft(false) - fixedRows_);
    verticalScrollBar()->setPageStep(IntMax(1, VisibleRowCount()));
    verticalScrollBar()->setValue(topRow_ - fixedRows_);
    horizontalScrollBar()->setRange(0, MaxTopLeft(true) - fixedCols_);
    horizontalScrollBar()->setPageStep(IntMax(1, VisibleColCount()));
    horizontalScrollBar()->setValue(leftCol_ - fixedCols_);
    syncingScroll_ = false;
}

void TExDrawGrid::scrollContentsBy(int, int) {
    if (syncingScroll_) return;
    SetTopRow(verticalScrollBar()->value() + fixedRows_);
    SetLeftCol(horizontalScrollBar()->value() + fixedCols_);
}

void TExDrawGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Changed();
}

void TExDrawGrid::FocusCell(int col, int row, bool moveAnchor) {
    if (ColCount() <= fixedCols_ || RowCount() <= fixedRows_) return;
    col = IntMax(fixedCols_, IntMin(col, ColCount() - 1));
    row = IntMax(fixedRows_, IntMin(row, RowCount() - 1));
    moveAnchor = moveAnchor || !(options_ & goRangeSelect);
    if (col == col_ && row == row_) {
        if (moveAnchor && (anchorCol_ != col || anchorRow_ != row)) {
            anchorCol_ = col;
            anchorRow_ = row;
            viewport()->update();
        }
        return;
    }
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(this, col, row, canSelect);
    if (!canSelect) return;
    const bool editing = EditorMode();
    HideEditor();
    col_ = col;
    row_ = row;
    if (moveAnchor) {
        anchorCol_ = col;
        anchorRow_ = row;
    }
    ScrollToCurrent();
    viewport()->update();
    if (editing || (options_ & goAlwaysShowEditor)) ShowEditor();
    emit OnClick();
}

TGridRect TExDrawGrid::Selection() const {
    TGridRect r{col_, row_, col_, row_};
    if (options_ & goRangeSelect) {
        r = {IntMin(anchorCol_, col_), IntMin(anchorRow_, row_), IntMax(anchorCol_, col_),
             IntMax(anchorRow_, row_)};
    }
    if (options_ & goRowSelect) {
        r.Left = fixedCols_;
        r.Right = ColCount() - 1;
    }
    return r;
}

void TExDrawGrid::MoveExtent(std::vector<int>& extents, int from, int to) {
    const int value = extents[static_cast<size_t>(from)];
    extents.erase(extents.begin() + from);
    extents.insert(extents.begin() + to, value);
}

// The current column or row follows the moved one, as do those between.
static int AfterMove(int index, int from, int to) {
    if (index == from) return to;
    if (from < to && index > from && index <= to) return index - 1;
    if (from > to && index >= to && index < from) return index + 1;
    return index;
}

void TExDrawGrid::MoveColumn(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= ColCount() || to >= ColCount()) return;
    HideEditor();
    MoveExtent(colWidths_, from, to);
    col_ = AfterMove(col_, from, to);
    anchorCol_ = AfterMove(anchorCol_, from, to);
    Changed();
    emit OnColumnMoved(from, to);
}

void TExDrawGrid::MoveRow(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= RowCount() || to >= RowCount()) return;
    HideEditor();
    MoveExtent(rowHeights_, from, to);
    row_ = AfterMove(row_, from, to);
    anchorRow_ = AfterMove(anchorRow_, from, to);
    Changed();
    emit OnRowMoved(from, to);
}

void TExDrawGrid::ScrollToCurrent() {
    if (row_ < topRow_) {
        SetTopRow(row_);
    } else {
        int top = topRow_;
        const int height = viewport()->height();
        auto fits = [&](int t) {
            int position = 0;
            for (int i = 0; i < fixedRows_; ++i) position += RowHeights(i) + LineWidth(false, i);
            for (int i = t; i < row_; ++i) position += RowHeights(i) + LineWidth(false, i);
            return position + RowHeights(row_) <= height;
        };
        while (top < row_ && !fits(top)) ++top;
        SetTopRow(top);
    }
    if (options_ & goRowSelect) return;
    if (col_ < leftCol_) {
        SetLeftCol(col_);
    } else {
        int left = leftCol_;
        auto fits = [&](int l) {
            int position = 0;
            for (int i = 0; i < fixedCols_; ++i) position += ColWidths(i) + LineWidth(true, i);
            for (int i = l; i < col_; ++i) position += ColWidths(i) + LineWidth(true, i);
            return position + ColWidths(col_) <= viewport()->width();
        };
        while (left < col_ && !fits(left)) ++left;
        SetLeftCol(left);
    }
}

bool TExDrawGrid::Selected(int col, int row) const {
    return !IsFixed(col, row) && Selection().Contains(col, row);
}

void TExDrawGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    canvas_ = &painter;
    painter.fillRect(viewport()->rect(), ToQColor(color_));
    const std::vector<Span> cols = VisibleSpans(true), rows = VisibleSpans(false);
    const int vertLine = LineWidth(true, 0), horzLine = LineWidth(false, 0);
    for (const Span& r : rows) {
        for (const Span& c : cols) {
            const bool fixed = c.index < fixedCols_ || r.index < fixedRows_;
            const bool vertical = (options_ & (fixed ? goFixedVertLine : goVertLine)) != 0;
            const bool horizontal = (options_ & (fixed ? goFixedHorzLine : goHorzLine)) != 0;
            const QColor line = ToQColor(fixed ? clBlack : clSilver);
            if (vertical) painter.fillRect(c.start + c.size, r.start, vertLine, r.size + horzLine, line);
            if (horizontal) painter.fillRect(c.start, r.start + r.size, c.size + vertLine, horzLine, line);
        }
    }
    for (const Span& r : rows) {
        for (const Span& c : cols) {
            TGridDrawState state = 0;
            if (c.index < fixedCols_ || r.index < fixedRows_)
                state |= gdFixed;
            else if (Selected(c.index, r.index))
                state |= gdSelected;
            if (hasFocus() && c.index == col_ && r.index == row_) state |= gdFocused;
            DrawCell(painter, c.index, r.index, {c.start, r.start, c.start + c.size, r.start + r.size},
                     state);
        }
    }
    if (defaultDrawing_ && hasFocus() && (options_ & goRowSelect) && !(options_ & goRangeSelect) &&
        row_ >= fixedRows_) {
        TRect focus;
        for (const Span& c : cols) {
            if (c.index < fixedCols_) continue;
            const TRect cell = CellRect(c.index, row_);
            if (cell.IsEmpty()) continue;
            focus = focus.IsEmpty() ? cell : focus.United(cell);
        }
        if (!(options_ & goHorzLine)) focus.bottom += gridLineWidth_;
        painter.setPen(ToQColor(PaletteColor(*this, QPalette::WindowText)));
        painter.setBrush(ToQColor(color_));
        DrawFocusRect(painter, focus);
    }
    canvas_ = nullptr;
}

void TExDrawGrid::DrawCell(QPainter& painter, int col, int row, TRect rect, TGridDrawState state) {
    const bool fixed = state & gdFixed;
    if (defaultDrawing_) {
        painter.setFont(font());
        if ((options_ & goRowSelect) && !fixed) {
            if (!(options_ & goVertLine)) rect.right += gridLineWidth_;
            if (!(options_ & goHorzLine)) rect.bottom += gridLineWidth_;
        }
        const bool highlight = (state & gdSelected) &&
                               (!(state & gdFocused) || (options_ & (goDrawFocusSelected | goRowSelect)));
        const QColor back = ToQColor(highlight ? clHighlight : fixed ? fixedColor_ : color_);
        painter.setBrush(back);
        painter.setPen(ToQColor(highlight ? clHighlightText : PaletteColor(*this, QPalette::WindowText)));
        painter.fillRect(rect.ToQRect(), back);
    }
    const bool pressed = fixedButtons_ && fixed && tracking_ && overPressed_ && defaultDrawing_ &&
                         col == pressedCol_ && row == pressedRow_;
    CellDrawingEvent(col, row, pressed ? rect.Offset(gridLineWidth_, gridLineWidth_) : rect, state);
    if (defaultDrawing_ && fixed && (options_ & (goFixedVertLine | goFixedHorzLine))) {
        TRect edge = rect;
        if ((options_ & goFixedVertLine) && !(options_ & goFixedHorzLine)) edge.bottom += gridLineWidth_;
        QColor light = ToQColor(clBtnHighlight), shadow = ToQColor(clBtnShadow);
        if (pressed) std::swap(light, shadow);
        if (options_ & goFixedVertLine) {
            painter.fillRect(edge.right - 1, edge.top, 1, edge.Height(), shadow);
            painter.fillRect(edge.left, edge.top, 1, edge.Height() - 1, light);
        }
        if (options_ & goFixedHorzLine) {
            painter.fillRect(edge.left, edge.bottom - 1, edge.Width(), 1, shadow);
            painter.fillRect(edge.left, edge.top, edge.Width() - 1, 1, light);
        }
    }
    const bool editorShown = (options_ & goEditing) && (options_ & goAlwaysShowEditor);
    if (defaultDrawing_ && (state & gdFocused) && !editorShown && !(options_ & goRowSelect)) {
        DrawFocusRect(painter, rect);
    }
}

void TExDrawGrid::CellDrawingEvent(int col, int row, const TRect& rect, TGridDrawState state) {
    if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

void TExDrawGrid::DrawCellStr(const TRect& r, const QString& s, TAlignment align) {
    if (canvas_ == nullptr) return;
    RenderGridCellText(*canvas_, s, r, align, vaCenter, false, layoutDirection() == Qt::RightToLeft);
}

int TExDrawGrid::SizingColumn(int x, int y) const {
    if (!(options_ & goColSizing)) return -1;
    int fixedHeight = 0;
    for (int i = 0; i < fixedRows_; ++i) fixedHeight += RowHeights(i) + LineWidth(false, i);
    if (y >= fixedHeight) return -1;
    for (const Span& c : VisibleSpans(true)) {
        if (c.index < fixedCols_) continue;
        const int end = c.start + c.size;
        if (x >= end - kSizingSlack && x <= end + LineWidth(true, c.index) + kSizingSlack) return c.index;
    }
    return -1;
}

int TExDrawGrid::SizingRow(int x, int y) const {
    if (!(options_ & goRowSizing)) return -1;
    int fixedWidth = 0;
    for (int i = 0; i < fixedCols_; ++i) fixedWidth += ColWidths(i) + LineWidth(true, i);
    if (x >= fixedWidth) return -1;
    for (const Span& r : VisibleSpans(false)) {
        if (r.index < fixedRows_) continue;
        const int end = r.start + r.size;
        if (y >= end - kSizingSlack && y <= end + LineWidth(false, r.index) + kSizingSlack) return r.index;
    }
    return -1;
}

bool TExDrawGrid::PressFixedButton(int col, int row) {
    bool enabled = IsFixed(col, row);
    if (enabled && OnCheckButton) OnCheckButton(this, col, row, enabled);
    if (!enabled) {
        DefaultBeep();
        return false;
    }
    tracking_ = true;
    overPressed_ = true;
    pressedCol_ = col;
    pressedRow_ = row;
    InvalidateCell(col, row);
    return true;
}

void TExDrawGrid::UpdatePressed(QPoint p) {
    int col = -1, row = -1;
    MouseToCell(p.x(), p.y(), col, row);
    const bool over = viewport()->rect().contains(p) && col == pressedCol_ && row == pressedRow_;
    if (over == overPressed_) return;
    overPressed_ = over;
    if (col >= 0) InvalidateCell(col, row);
    InvalidateCell(pressedCol_, pressedRow_);
}

void TExDrawGrid::StopTracking() {
    if (!tracking_) return;
    tracking_ = false;
    overPressed_ = false;
    InvalidateCell(pressedCol_, pressedRow_);
    pressedCol_ = pressedRow_ = -1;
}

void TExDrawGrid::StartMoving(int col, int row) {
    moving_.columns = row < fixedRows_;
    moving_.from = moving_.to = moving_.columns ? col : row;
}

bool TExDrawGrid::EditorMode() const { return editor_ != nullptr && editor_->isVisible(); }

void TExDrawGrid::SetEditorMode(bool value) {
    if (value)
        ShowEditor();
    else
        HideEditor();
}

bool TExDrawGrid::CanEditShow() {
    if (!(options_ & goEditing) || (options_ & goRowSelect) || IsFixed(col_, row_)) return false;
    bool allow = true;
    if (OnShowEditor) OnShowEditor(this, col_, row_, allow);
    return allow;
}

void TExDrawGrid::ShowEditor() {
    if (EditorMode() || !CanEditShow()) return;
    const TRect cell = CellRect(col_, row_);
    if (cell.IsEmpty()) return;
    if (editor_ == nullptr) {
        editor_ = new TExInplaceEdit(viewport());
        editor_->setObjectName(QStringLiteral("InplaceEdit"));
        editor_->installEventFilter(this);
        connect(editor_, &QLineEdit::textEdited, this, [this] { EditorTextChanged(); });
        connect(editor_, &TExInplaceEdit::OnEditButtonClick, this, &TExDrawGrid::OnEditButtonClick);
        editor_->OnGetPickList = [this](QStringList& items) {
            if (OnGetPicklist) OnGetPicklist(this, col_, row_, items);
        };
    }
    TAlignment alignment = taLeftJustify;
    if (OnGetEditAlign) OnGetEditAlign(this, col_, row_, alignment);
    TInplaceEditStyle style = ieSimple;
    if (OnGetEditStyle) OnGetEditStyle(this, col_, row_, style);
    int limit = 0;
    if (OnGetEditLimit) OnGetEditLimit(this, limit);
    QString text;
    if (OnGetEditText) OnGetEditText(this, col_, row_, text);
    loadingEditor_ = true;
    editor_->SetAlignment(alignment);
    editor_->SetEditStyle(style);
    editor_->setMaxLength(limit > 0 ? limit : 32767);
    editor_->setText(text);
    loadingEditor_ = false;
    editor_->setFont(font());
    editor_->setGeometry(cell.ToQRect());
    editor_->show();
    editor_->setFocus();
    editor_->selectAll();
}

void TExDrawGrid::HideEditor() {
    if (!EditorMode()) return;
    editor_->CloseUp(false);
    if (!cancelling_ && OnSetEditText) OnSetEditText(this, col_, row_, editor_->text());
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus) setFocus();
}

void TExDrawGrid::EditorTextChanged() {
    if (loadingEditor_ || (options_ & goAlwaysShowEditor) || !EditorMode()) return;
    emit OnEditChange();
}

bool TExDrawGrid::focusNextPrevChild(bool next) {
    if (!(options_ & goTabs)) return QAbstractScrollArea::focusNextPrevChild(next);
    const bool rowSelect = options_ & goRowSelect;
    int col = col_, row = row_;
    if (rowSelect) {
        row += next ? 1 : -1;
    } else if (next) {
        if (++col >= ColCount()) col = fixedCols_, ++row;
    } else if (--col < fixedCols_) {
        col = ColCount() - 1, --row;
    }
    if (row >= fixedRows_ && row < RowCount()) FocusCell(col, row);
    return true;
}

bool TExDrawGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_ || event->type() != QEvent::KeyPress)
        return QAbstractScrollArea::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (editor_->ListVisible() || (enter && ctrl)) return false;
    if (key->key() == Qt::Key_Escape && !ctrl && !(options_ & goAlwaysShowEditor)) {
        cancelling_ = true;
        HideEditor();
        cancelling_ = false;
        emit OnCancelEdit();
        return true;
    }
    if (enter && !(options_ & goAlwaysShowEditor)) {
        HideEditor();
        return true;
    }
    const bool vertical = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                          key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
    if (vertical && !(key->modifiers() & Qt::AltModifier)) {
        keyPressEvent(key);
        return true;
    }
    const QString text = key->text();
    if (text.size() == 1 && text[0].unicode() >= 32 && OnAcceptEditKey) {
        QChar c = text[0];
        if (!OnAcceptEditKey(this, c)) {
            DefaultBeep();
            return true;
        }
        if (c != text[0]) {
            editor_->insert(c);
            return true;
        }
    }
    return false;
}

void TExDrawGrid::mousePressEvent(QMouseEvent* event) {
    const bool wasCurrentFocused = hasFocus();
    HideEditor();
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (!hasFocus()) return;
    const QPoint p = event->position().toPoint();
    Qt::MouseButton button = event->button();
    int col = -1, row = -1;
    MouseToCell(p.x(), p.y(), col, row);
    if (button == Qt::LeftButton) {
        const int sizingCol = SizingColumn(p.x(), p.y()), sizingRow = SizingRow(p.x(), p.y());
        if (sizingCol >= 0 || sizingRow >= 0) {
            sizing_.columns = sizingCol >= 0;
            sizing_.index = sizing_.columns ? sizingCol : sizingRow;
            for (const Span& span : VisibleSpans(sizing_.columns)) {
                if (span.index == sizing_.index) sizing_.start = span.start;
            }
            sizing_.original = sizing_.columns ? ColWidths(sizing_.index) : RowHeights(sizing_.index);
            return;
        }
    }
    if (fixedButtons_ && col >= 0 && IsFixed(col, row)) {
        if (button == Qt::RightButton && (options_ & (goFixedVertLine | goFixedHorzLine))) {
            rightAsLeft_ = true;
            button = Qt::LeftButton;
        }
        if (button == Qt::LeftButton) {
            PressFixedButton(col, row);
            return;
        }
    }
    if (button == Qt::LeftButton && col >= 0) {
        const bool columnHeader = (options_ & goColMoving) && row < fixedRows_ && col >= fixedCols_;
        const bool rowHeader = (options_ & goRowMoving) && col < fixedCols_ && row >= fixedRows_;
        if (columnHeader || rowHeader) {
            StartMoving(col, row);
        } else if (!IsFixed(col, row)) {
            const bool again = wasCurrentFocused && col == col_ && row == row_;
            selecting_ = true;
            FocusCell(col, row, !(event->modifiers() & Qt::ShiftModifier));
            if (again) ShowEditor();
        }
    }
    emit OnMouseDown(event->button(), p.x(), p.y());
}

void TExDrawGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (sizing_.index >= 0) {
        if (sizing_.columns)
            SetColWidths(sizing_.index, IntMax(1, p.x() - sizing_.start));
        else
            SetRowHeights(sizing_.index, IntMax(1, p.y() - sizing_.start));
    } else if (tracking_) {
        UpdatePressed(p);
    } else if (moving_.from >= 0) {
        int col = -1, row = -1;
        MouseToCell(p.x(), p.y(), col, row);
        const int to = moving_.columns ? col : row;
        const int fixed = moving_.columns ? fixedCols_ : fixedRows_;
        if (to >= fixed) moving_.to = to;
    } else if (selecting_ && (event->buttons() & Qt::LeftButton)) {
        int col = -1, row = -1;
        MouseToCell(p.x(), p.y(), col, row);
        if (col >= fixedCols_ && row >= fixedRows_) FocusCell(col, row, false);
    } else if (event->buttons() == Qt::NoButton) {
        if (SizingColumn(p.x(), p.y()) >= 0)
            viewport()->setCursor(Qt::SplitHCursor);
        else if (SizingRow(p.x(), p.y()) >= 0)
            viewport()->setCursor(Qt::SplitVCursor);
        else
            viewport()->unsetCursor();
    }
    emit OnMouseMove(p.x(), p.y());
}

void TExDrawGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Qt::MouseButton button = event->button();
    if (rightAsLeft_ && button == Qt::RightButton) {
        rightAsLeft_ = false;
        button = Qt::LeftButton;
    }
    if (sizing_.index >= 0 && button == Qt::LeftButton) {
        const Sizing done = sizing_;
        sizing_.index = -1;
        const int now = done.columns ? ColWidths(done.index) : RowHeights(done.index);
        if (now != done.original) {
            if (done.columns)
                emit OnColumnSized();
            else
                emit OnRowSized();
        }
    }
    if (tracking_ && button == Qt::LeftButton) {
        UpdatePressed(p);
        const bool click = overPressed_ && pressedCol_ < ColCount() && pressedRow_ < RowCount();
        const int col = pressedCol_, row = pressedRow_;
        StopTracking();
        if (click) emit OnFixedCellClick(col, row);
    }
    if (moving_.from >= 0 && button == Qt::LeftButton) {
        const Moving done = moving_;
        moving_.from = -1;
        if (done.columns)
            MoveColumn(done.from, done.to);
        else
            MoveRow(done.from, done.to);
    }
    if (button == Qt::LeftButton) selecting_ = false;
    emit OnMouseUp(button, p.x(), p.y());
}

void TExDrawGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    int col = -1, row = -1;
    MouseToCell(p.x(), p.y(), col, row);
    if (fixedButtons_ && col >= 0 && IsFixed(col, row)) {
        mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::LeftButton) emit OnDblClick();
}

void TExDrawGrid::keyPressEvent(QKeyEvent* event) {
    const bool rowSelect = options_ & goRowSelect;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int page = IntMax(1, VisibleRowCount());
    int col = col_, row = row_;
    switch (event->key()) {
        case Qt::Key_Up:
            --row;
            break;
        case Qt::Key_Down:
            ++row;
            break;
        case Qt::Key_PageUp:
            row -= page;
            break;
        case Qt::Key_PageDown:
            row += page;
            break;
        case Qt::Key_Left:
            if (rowSelect)
                SetLeftCol(leftCol_ - 1);
            else
                --col;
            break;
        case Qt::Key_Right:
            if (rowSelect)
                SetLeftCol(leftCol_ + 1);
            else
                ++col;
            break;
        case Qt::Key_Home:
            if (rowSelect || ctrl) row = fixedRows_;
            if (!rowSelect) col = fixedCols_;
            break;
        case Qt::Key_End:
            if (rowSelect || ctrl) row = RowCount() - 1;
            if (!rowSelect) col = ColCount() - 1;
            break;
        case Qt::Key_F2:
            event->accept();
            ShowEditor();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!(options_ & goEditing)) {
                QAbstractScrollArea::keyPressEvent(event);
                return;
            }
            event->accept();
            SetEditorMode(!EditorMode());
            return;
        default: {
            const QString text = event->text();
            if ((options_ & goEditing) && text.size() == 1 && text[0].unicode() >= 32 && !ctrl) {
                const bool wasEditing = EditorMode();
                ShowEditor();
                if (EditorMode()) {
                    if (!wasEditing) editor_->clear();
                    QKeyEvent copy(event->type(), event->key(), event->modifiers(), text);
                    QApplication::sendEvent(editor_, &copy);
                    event->accept();
                    return;
                }
            }
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
    }
    event->accept();
    FocusCell(col, row, !(event->modifiers() & Qt::ShiftModifier));
}

void TExDrawGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    emit OnChangeFocus();
}

void TExDrawGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
    emit OnChangeFocus();
}

}  // namespace kordalt
