// The draw grid's in-place editor: a plain edit, an edit with an ellipsis
// button, or an edit with a drop-down pick list (TPopupListbox, with an
// incremental search over its items).
#pragma once

#include <QLineEdit>
#include <QStringList>
#include <functional>

#include "controls/classic.h"
#include "controls/list_box.h"

namespace kordalt {

enum TInplaceEditStyle { ieSimple, ieEllipsis, iePickList };

// A bordered top-most window that never takes the focus. Typing searches:
// the first item that begins with the typed text (any case) is selected.
class TPopupListbox : public TExListBox {
    Q_OBJECT

public:
    static constexpr int kMaxSearch = 32;
    static constexpr qint64 kSearchPauseMs = 4000;

    explicit TPopupListbox(QWidget* parent = nullptr);

    // One typed character at `tickMs`: a new search after a pause of more than
    // kSearchPauseMs, else appended (up to kMaxSearch characters).
    void SearchChar(QChar c, qint64 tickMs);
    void ClearSearch() { searchText_.clear(); }
    const QString& SearchText() const { return searchText_; }

signals:
    // A left-button release: inside the list or not.
    void Released(bool inside);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString searchText_;
    qint64 lastTick_ = 0;
};

class TExInplaceEdit : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int kMaxVisibleItems = 8;

    explicit TExInplaceEdit(QWidget* parent = nullptr);

    TInplaceEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TInplaceEditStyle value);
    int ButtonWidth() const { return buttonWidth_; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // The pick list, made on first need.
    TPopupListbox* PickList();
    bool ListVisible() const { return listVisible_; }
    bool ButtonPressed() const { return pressed_; }
    // The button's rectangle (empty for a plain edit).
    QRect ButtonRect() const;

    void DropDown();
    // Closes the list, taking its selected item into the text when `accept`.
    void CloseUp(bool accept);

    // Fills the pick list before it drops down.
    std::function<void(QStringList& items)> OnGetPickList;
    // Whether the editor may change its text (the list's item is taken only then).
    std::function<bool()> CanModify;

signals:
    void OnEditButtonClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateMargins();
    void SetPressed(bool value);
    void PaintEllipsisButton(QPainter& painter, const QRect& r);
    void PaintDropDownButton(QPainter& painter, const QRect& r);

    TPopupListbox* pickList_ = nullptr;
    TInplaceEditStyle editStyle_ = ieSimple;
    TAlignment alignment_ = taLeftJustify;
    int buttonWidth_;
    bool listVisible_ = false;
    bool tracking_ = false;
    bool pressed_ = false;
};

}  // namespace kordalt
