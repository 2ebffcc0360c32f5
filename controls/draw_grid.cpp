#include "controls/draw_grid.h"

#include "controls/control_support.h"
#include "controls/draw_utils.h"
#include "platform/ini_file.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace kordalt {

namespace {

constexpr int kSizingSlack = 2;

}  // namespace

TExDrawGrid::TExDrawGrid(QWidget* parent)
    : QAbstractScrollArea(parent),
      colWidths_(5, 64),
      rowHeights_(5, 18),
      options_(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected | goColSizing) {
    resize(320, 120);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(2);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
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
    return index >= 0 && index < static_cast<int>(extents.size()) ? extents[static_cast<size_t>(index)] : fallback;
}

void TExDrawGrid::SetExtent(std::vector<int>& extents, int index, int value) {
    if (Extent(extents, index, value) == value) return;
    extents[static_cast<size_t>(index)] = value;
    Changed();
}

int TExDrawGrid::ColWidths(int col) const { return Extent(colWidths_, col, defaultColWidth_); }
void TExDrawGrid::SetColWidths(int col, int width) { SetExtent(colWidths_, col, width); }
int TExDrawGrid::RowHeights(int row) const { return Extent(rowHeights_, row, defaultRowHeight_); }
void TExDrawGrid::SetRowHeights(int row, int height) { SetExtent(rowHeights_, row, height); }

void TExDrawGrid::SaveColumnWidths(TIniFile& ini, const std::string& section) const {
    for (int col = 0; col < ColCount(); ++col) ini.WriteInteger(section, "Item" + std::to_string(col), ColWidths(col));
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
    Changed();
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
    for (int i = fixed > 0 ? 0 : first; i < count && position < extent; i = (i + 1 == fixed) ? IntMax(first, fixed) : i + 1) {
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
    for (int i = 0; i < fixed; ++i) available -= (columns ? ColWidths(i) : RowHeights(i)) + LineWidth(columns, i);
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
    topRow_ = value;
    UpdateScrollBars();
    viewport()->update();
    emit OnTopLeftChanged();
}

void TExDrawGrid::SetLeftCol(int value) {
    value = IntMax(fixedCols_, IntMin(value, MaxTopLeft(true)));
    if (value == leftCol_) return;
    leftCol_ = value;
    UpdateScrollBars();
    viewport()->update();
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

void TExDrawGrid::FocusCell(int col, int row) {
    if (ColCount() <= fixedCols_ || RowCount() <= fixedRows_) return;
    col = IntMax(fixedCols_, IntMin(col, ColCount() - 1));
    row = IntMax(fixedRows_, IntMin(row, RowCount() - 1));
    if (col == col_ && row == row_) return;
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(this, col, row, canSelect);
    if (!canSelect) return;
    col_ = col;
    row_ = row;
    ScrollToCurrent();
    viewport()->update();
    emit OnClick();
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
    if (options_ & goRowSelect) return row == row_ && col >= fixedCols_;
    return col == col_ && row == row_;
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
            if (c.index < fixedCols_ || r.index < fixedRows_) state |= gdFixed;
            else if (Selected(c.index, r.index)) state |= gdSelected;
            if (hasFocus() && c.index == col_ && r.index == row_) state |= gdFocused;
            DrawCell(painter, c.index, r.index, {c.start, r.start, c.start + c.size, r.start + r.size}, state);
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
    CellDrawingEvent(col, row, rect, state);
    if (defaultDrawing_ && fixed && (options_ & (goFixedVertLine | goFixedHorzLine))) {
        TRect edge = rect;
        if ((options_ & goFixedVertLine) && !(options_ & goFixedHorzLine)) edge.bottom += gridLineWidth_;
        const QColor light = ToQColor(clBtnHighlight), shadow = ToQColor(clBtnShadow);
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

void TExDrawGrid::mousePressEvent(QMouseEvent* event) {
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (!hasFocus()) return;
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const int sizing = SizingColumn(p.x(), p.y());
        if (sizing >= 0) {
            sizingCol_ = sizing;
            for (const Span& c : VisibleSpans(true)) {
                if (c.index == sizing) sizingStart_ = c.start;
            }
            sizingOriginal_ = ColWidths(sizing);
            return;
        }
        int col = -1, row = -1;
        MouseToCell(p.x(), p.y(), col, row);
        if (col >= fixedCols_ && row >= fixedRows_) {
            selecting_ = true;
            FocusCell(col, row);
        }
    }
    emit OnMouseDown(event->button(), p.x(), p.y());
}

void TExDrawGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (sizingCol_ >= 0) {
        SetColWidths(sizingCol_, IntMax(1, p.x() - sizingStart_));
    } else if (selecting_ && (event->buttons() & Qt::LeftButton)) {
        int col = -1, row = -1;
        MouseToCell(p.x(), p.y(), col, row);
        if (col >= fixedCols_ && row >= fixedRows_) FocusCell(col, row);
    } else if (event->buttons() == Qt::NoButton) {
        if (SizingColumn(p.x(), p.y()) >= 0) viewport()->setCursor(Qt::SplitHCursor);
        else viewport()->unsetCursor();
    }
    emit OnMouseMove(p.x(), p.y());
}

void TExDrawGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (sizingCol_ >= 0 && event->button() == Qt::LeftButton) {
        const bool changed = ColWidths(sizingCol_) != sizingOriginal_;
        sizingCol_ = -1;
        if (changed) emit OnColumnSized();
    }
    if (event->button() == Qt::LeftButton) selecting_ = false;
    emit OnMouseUp(event->button(), p.x(), p.y());
}

void TExDrawGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit OnDblClick();
}

void TExDrawGrid::keyPressEvent(QKeyEvent* event) {
    const bool rowSelect = options_ & goRowSelect;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int page = IntMax(1, VisibleRowCount());
    int col = col_, row = row_;
    switch (event->key()) {
        case Qt::Key_Up: --row; break;
        case Qt::Key_Down: ++row; break;
        case Qt::Key_PageUp: row -= page; break;
        case Qt::Key_PageDown: row += page; break;
        case Qt::Key_Left:
            if (rowSelect) SetLeftCol(leftCol_ - 1);
            else --col;
            break;
        case Qt::Key_Right:
            if (rowSelect) SetLeftCol(leftCol_ + 1);
            else ++col;
            break;
        case Qt::Key_Home:
            if (rowSelect || ctrl) row = fixedRows_;
            if (!rowSelect) col = fixedCols_;
            break;
        case Qt::Key_End:
            if (rowSelect || ctrl) row = RowCount() - 1;
            if (!rowSelect) col = ColCount() - 1;
            break;
        default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
    FocusCell(col, row);
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
