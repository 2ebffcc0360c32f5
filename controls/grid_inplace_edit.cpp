#include "controls/grid_inplace_edit.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include "controls/draw_utils.h"

namespace kordalt {

namespace {

qint64 TickCount() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

int ScrollBarWidth(const QWidget& widget) {
    return widget.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &widget);
}

// A classic push-button face in `r`: raised, or flat and dark-edged while pressed.
void DrawButtonFace(QPainter& painter, const QRect& r, bool pressed) {
    TRect face{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    painter.fillRect(r, ToQColor(clBtnFace));
    if (pressed) {
        Frame3D(painter, face, ToQColor(clBtnShadow), ToQColor(clBtnShadow), 1);
    } else {
        Frame3D(painter, face, ToQColor(clBtnFace), ToQColor(clWindowFrame), 1);
        Frame3D(painter, face, ToQColor(clBtnHighlight), ToQColor(clBtnShadow), 1);
    }
}

}  // namespace

// ---- TPopupListbox

TPopupListbox::TPopupListbox(QWidget* parent) : TExListBox(parent) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    SetItemHeight(11);
    SetIntegralHeight(true);
}

void TPopupListbox::SearchChar(QChar c, qint64 tickMs) {
    if (tickMs - lastTick_ > kSearchPauseMs) searchText_.clear();
    lastTick_ = tickMs;
    if (searchText_.size() < kMaxSearch) searchText_ += c;
    for (int i = 0; i < Items().Count(); ++i) {
        if (Items().Strings(i).startsWith(searchText_, Qt::CaseInsensitive)) {
            SetItemIndex(i);
            return;
        }
    }
}

void TPopupListbox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Escape) {
        ClearSearch();
        event->accept();
        return;
    }
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() != 127) {
        SearchChar(text[0], TickCount());
        event->accept();
        return;
    }
    TExListBox::keyPressEvent(event);
}

void TPopupListbox::mouseReleaseEvent(QMouseEvent* event) {
    TExListBox::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit Released(viewport()->rect().contains(event->position().toPoint()));
}

// ---- TExInplaceEdit

TExInplaceEdit::TExInplaceEdit(QWidget* parent) : QLineEdit(parent), buttonWidth_(ScrollBarWidth(*this)) {
    setFrame(false);
    UpdateMargins();
}

void TExInplaceEdit::SetEditStyle(TInplaceEditStyle value) {
    if (value == editStyle_) return;
    if (listVisible_) CloseUp(false);
    editStyle_ = value;
    UpdateMargins();
    update();
}

void TExInplaceEdit::SetAlignment(TAlignment value) {
    alignment_ = value;
    setAlignment(value == taRightJustify ? Qt::AlignRight
                 : value == taCenter     ? Qt::AlignHCenter
                                         : Qt::AlignLeft);
}

void TExInplaceEdit::UpdateMargins() {
    setTextMargins(2, 2, 2 + (editStyle_ != ieSimple ? buttonWidth_ : 0), 0);
}

QRect TExInplaceEdit::ButtonRect() const {
    if (editStyle_ == ieSimple) return {};
    return {width() - buttonWidth_, 0, buttonWidth_, height()};
}

TPopupListbox* TExInplaceEdit::PickList() {
    if (pickList_ == nullptr) {
        pickList_ = new TPopupListbox(this);
        connect(pickList_, &TPopupListbox::Released, this, [this](bool inside) { CloseUp(inside); });
    }
    return pickList_;
}

void TExInplaceEdit::DropDown() {
    if (listVisible_ || editStyle_ != iePickList) return;
    TPopupListbox* list = PickList();
    list->setFont(font());
    list->SetColor(FromQColor(palette().color(QPalette::Base)));
    QStringList items;
    if (OnGetPickList) OnGetPickList(items);
    list->ClearItems();
    list->ClearSearch();
    for (const QString& item : items) list->Items().Add(item);
    const int shown = IntMin(list->Items().Count(), kMaxVisibleItems);
    int widest = width();
    for (int i = 0; i < list->Items().Count(); ++i) {
        widest = IntMax(widest, list->fontMetrics().horizontalAdvance(list->Items().Strings(i)) + 8);
    }
    if (list->Items().Count() > kMaxVisibleItems) widest += ScrollBarWidth(*list);
    list->SetIntegralHeight(false);
    list->resize(widest, IntMax(1, shown) * list->ItemHeight() + 4);
    list->SetIntegralHeight(true);
    list->SetItemIndex(list->Items().IndexOf(text()));
    QPoint at = mapToGlobal(QPoint(0, height()));
    const QScreen* screen = this->screen();
    if (screen != nullptr && at.y() + list->height() > screen->geometry().bottom()) {
        at = mapToGlobal(QPoint(0, -list->height()));
    }
    list->move(at);
    list->show();
    listVisible_ = true;
    update();
}

void TExInplaceEdit::CloseUp(bool accept) {
    if (!listVisible_) return;
    listVisible_ = false;
    pickList_->hide();
    const int index = pickList_->ItemIndex();
    if (accept && index >= 0 && (!CanModify || CanModify())) {
        const QString value = pickList_->Items().Strings(index);
        if (value != text()) {
            setText(value);
            emit textEdited(value);
        }
        selectAll();
    }
    update();
}

void TExInplaceEdit::SetPressed(bool value) {
    if (value == pressed_) return;
    pressed_ = value;
    update(ButtonRect());
}

void TExInplaceEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && ButtonRect().contains(event->position().toPoint())) {
        if (listVisible_) {
            CloseUp(false);
        } else {
            tracking_ = true;
            SetPressed(true);
            if (editStyle_ == iePickList) DropDown();
        }
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void TExInplaceEdit::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    setCursor(ButtonRect().contains(p) ? Qt::ArrowCursor : Qt::IBeamCursor);
    if (tracking_) {
        SetPressed(ButtonRect().contains(p));
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void TExInplaceEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (tracking_ && event->button() == Qt::LeftButton) {
        const bool click = pressed_ && editStyle_ == ieEllipsis;
        tracking_ = false;
        SetPressed(false);
        if (click) emit OnEditButtonClick();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TExInplaceEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (ButtonRect().contains(event->position().toPoint())) return;
    QLineEdit::mouseDoubleClickEvent(event);
}

void TExInplaceEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool alt = event->modifiers() & Qt::AltModifier;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (editStyle_ == ieEllipsis && enter && (event->modifiers() & Qt::ControlModifier)) {
        event->accept();
        emit OnEditButtonClick();
        return;
    }
    if (editStyle_ == iePickList) {
        if (alt && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            event->accept();
            if (listVisible_)
                CloseUp(false);
            else
                DropDown();
            return;
        }
        if (listVisible_ && !alt && (enter || key == Qt::Key_Escape)) {
            event->accept();
            CloseUp(enter);
            return;
        }
        if (listVisible_) {
            QKeyEvent copy(event->type(), key, event->modifiers(), event->text());
            QCoreApplication::sendEvent(pickList_, &copy);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TExInplaceEdit::focusOutEvent(QFocusEvent* event) {
    CloseUp(false);
    QLineEdit::focusOutEvent(event);
}

void TExInplaceEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    update();
}

void TExInplaceEdit::PaintEllipsisButton(QPainter& painter, const QRect& r) {
    DrawButtonFace(painter, r, pressed_);
    const int spacing = IntMax(1, IntMin((r.width() - 12) / 2, 3));
    const int shift = pressed_ ? 1 : 0;
    const int x = r.left() + (r.width() - (6 + 2 * spacing)) / 2 + shift;
    const int y = r.top() + r.height() / 2 - 1 + shift;
    for (int i = 0; i < 3; ++i) painter.fillRect(x + i * (2 + spacing), y, 2, 2, ToQColor(clBlack));
}

void TExInplaceEdit::PaintDropDownButton(QPainter& painter, const QRect& r) {
    DrawButtonFace(painter, r, pressed_);
    const bool active = OnGetPickList != nullptr;
    const QColor arrow = ToQColor(active ? clBtnText : clGrayText);
    const int shift = pressed_ ? 1 : 0;
    const int cx = r.left() + r.width() / 2 + shift, cy = r.top() + r.height() / 2 - 2 + shift;
    for (int row = 0; row < 4; ++row) painter.fillRect(cx - 3 + row, cy + row, 7 - 2 * row, 1, arrow);
}

void TExInplaceEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (editStyle_ == ieSimple) return;
    QPainter painter(this);
    if (editStyle_ == ieEllipsis)
        PaintEllipsisButton(painter, ButtonRect());
    else
        PaintDropDownButton(painter, ButtonRect());
}

}  // namespace kordalt
