// An owner-drawn grid: rows and columns of cells with fixed rows and columns,
// cell or row selection, scrolling, column sizing by mouse and an OnDrawCell
// event; its default painting fills the cells, raises the fixed ones and frames
// the current row of a focused row-select grid.
#pragma once

#include <QAbstractScrollArea>
#include <functional>
#include <string>
#include <vector>

#include "controls/classic.h"
#include "controls/grid_inplace_edit.h"

namespace kordalt {

class TIniFile;

enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowMoving = 1u << 8,
    goColMoving = 1u << 9,
    goEditing = 1u << 10,
    goTabs = 1u << 11,
    goRowSelect = 1u << 12,
    goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14
};
using TGridOptions = unsigned;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

// Columns Left..Right and rows Top..Bottom, inclusive.
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Contains(int col, int row) const {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
    bool operator==(const TGridRect&) const = default;
};

class TExDrawGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TExDrawGrid(QWidget* parent = nullptr);

    int ColCount() const { return static_cast<int>(colWidths_.size()); }
    void SetColCount(int value);
    int RowCount() const { return static_cast<int>(rowHeights_.size()); }
    void SetRowCount(int value);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return defaultColWidth_; }
    // Gives every column this width.
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor value);

    int Col() const { return col_; }
    void SetCol(int value) { FocusCell(value, row_); }
    int Row() const { return row_; }
    void SetRow(int value) { FocusCell(col_, value); }
    int TopRow() const { return topRow_; }
    void SetTopRow(int value);
    // The selected cells: the current one, or with goRangeSelect the range from
    // the anchor to the current cell (whole rows with goRowSelect).
    TGridRect Selection() const;
    bool FixedButtons() const { return fixedButtons_; }
    void SetFixedButtons(bool value);
    // The fixed cell shown pressed: -1, -1 when none.
    QPoint PressedCell() const { return {pressedCol_, pressedRow_}; }
    bool EditorMode() const;
    void SetEditorMode(bool value);
    void ShowEditor();
    // Writes the editor's text back (through OnSetEditText) unless cancelling.
    void HideEditor();
    // The in-place editor, or null before it was first shown.
    TExInplaceEdit* InplaceEditor() const { return editor_; }
    // Moves a column or row with its width or height; OnColumnMoved / OnRowMoved follow.
    void MoveColumn(int from, int to);
    void MoveRow(int from, int to);
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int value);
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // Viewport coordinates of a visible cell; empty when it is not visible.
    TRect CellRect(int col, int row) const;
    // -1, -1 outside the cells.
    void MouseToCell(int x, int y, int& col, int& row) const;
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);

    // Column widths in a settings-file section as "Item0".. ; loading keeps the
    // current width of a column without a key.
    void SaveColumnWidths(TIniFile& ini, const std::string& section) const;
    void LoadColumnWidths(const TIniFile& ini, const std::string& section);

    // The text of a cell in `r` on the canvas being painted (inside OnDrawCell):
    // vertically centred, 2 pixels in for left alignment, no word wrap.
    void DrawCellStr(const TRect& r, const QString& s, TAlignment align);
    QPainter* Canvas() const { return canvas_; }

    std::function<void(TExDrawGrid* sender, int col, int row, const TRect& rect, TGridDrawState state)>
        OnDrawCell;
    std::function<void(TExDrawGrid* sender, int col, int row, bool& canSelect)> OnSelectCell;
    std::function<void(TExDrawGrid* sender, int col, int row, bool& enabled)> OnCheckButton;
    std::function<void(TExDrawGrid* sender, int col, int row, bool& allowEdit)> OnShowEditor;
    std::function<void(TExDrawGrid* sender, int& maxLength)> OnGetEditLimit;
    std::function<bool(TExDrawGrid* sender, QChar& key)> OnAcceptEditKey;
    std::function<void(TExDrawGrid* sender, int col, int row, TAlignment& alignment)> OnGetEditAlign;
    std::function<void(TExDrawGrid* sender, int col, int row, TInplaceEditStyle& style)> OnGetEditStyle;
    std::function<void(TExDrawGrid* sender, int col, int row, QStringList& pickList)> OnGetPicklist;
    std::function<void(TExDrawGrid* sender, int col, int row, QString& value)> OnGetEditText;
    std::function<void(TExDrawGrid* sender, int col, int row, const QString& value)> OnSetEditText;

signals:
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, int x, int y);
    void OnMouseUp(Qt::MouseButton button, int x, int y);
    void OnMouseMove(int x, int y);
    void OnTopLeftChanged();
    void OnColumnSized();
    void OnRowSized();
    void OnChangeFocus();
    void OnFixedCellClick(int col, int row);
    void OnColumnMoved(int from, int to);
    void OnRowMoved(int from, int to);
    void OnEditChange();
    void OnCancelEdit();
    void OnEditButtonClick();

protected:
    virtual void DrawCell(QPainter& painter, int col, int row, TRect rect, TGridDrawState state);
    // Calls OnDrawCell.
    virtual void CellDrawingEvent(int col, int row, const TRect& rect, TGridDrawState state);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    // The editor's keys: Esc cancels, Enter closes, arrows move to another cell.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A column or row border being dragged.
    struct Sizing {
        bool columns = true;
        int index = -1, start = 0, original = 0;
    };
    // A column or row being moved by its fixed cell.
    struct Moving {
        bool columns = true;
        int from = -1, to = -1;
    };
    struct Span {
        int index, start, size;  // size without the grid line after the cell
    };
    std::vector<Span> VisibleSpans(bool columns) const;
    int LineWidth(bool columns, int index) const;
    int MaxTopLeft(bool columns) const;
    // With moveAnchor false a range selection keeps its anchor.
    void FocusCell(int col, int row, bool moveAnchor = true);
    void ScrollToCurrent();
    bool Selected(int col, int row) const;
    // The column whose right border lies under x in the fixed rows (or the row
    // whose bottom border lies under y in the fixed columns), or -1.
    int SizingColumn(int x, int y) const;
    int SizingRow(int x, int y) const;
    bool IsFixed(int col, int row) const { return col < fixedCols_ || row < fixedRows_; }
    // A fixed-cell press with FixedButtons; false when refused.
    bool PressFixedButton(int col, int row);
    void StopTracking();
    void UpdatePressed(QPoint p);
    bool CanEditShow();
    void EditorTextChanged();
    void StartMoving(int col, int row);
    void MoveExtent(std::vector<int>& extents, int from, int to);
    void UpdateScrollBars();
    // The width or height at `index`; `fallback` outside the list.
    static int Extent(const std::vector<int>& extents, int index, int fallback);
    // Stores a changed value of an existing index.
    void SetExtent(std::vector<int>& extents, int index, int value);
    void Changed();
    // The first scrollable cell becomes the top-left and the current one.
    void Initialize();

    std::vector<int> colWidths_, rowHeights_;
    QPainter* canvas_ = nullptr;
    TGridOptions options_;
    TColor color_ = clWindow, fixedColor_ = clBtnFace;
    int fixedCols_ = 1, fixedRows_ = 1;
    int defaultColWidth_ = 64, defaultRowHeight_ = 18;
    int gridLineWidth_ = 1;
    int col_ = 1, row_ = 1, topRow_ = 1, leftCol_ = 1;
    int anchorCol_ = 1, anchorRow_ = 1;
    Sizing sizing_;
    Moving moving_;
    TExInplaceEdit* editor_ = nullptr;
    int pressedCol_ = -1, pressedRow_ = -1;
    bool fixedButtons_ = false;
    bool tracking_ = false, overPressed_ = false, rightAsLeft_ = false;
    bool cancelling_ = false, loadingEditor_ = false;
    bool selecting_ = false;
    bool defaultDrawing_ = true;
    bool syncingScroll_ = false;
};

}  // namespace kordalt
