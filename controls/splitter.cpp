#include "controls/splitter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/draw_utils.h"

namespace kordalt {

// The inverted line over the bar's window, drawn and erased in one place.
class TExSplitter::DragOverlay : public QWidget {
public:
    DragOverlay(QWidget* window, int penWidth) : QWidget(window), penWidth_(penWidth) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(window->rect());
        show();
        raise();
    }
    void SetLine(QLine line) {
        line_ = line;
        update();
    }
    QLine Line() const { return line_; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (line_.isNull()) return;
        QPainter painter(this);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, penWidth_, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(line_);
    }

private:
    int penWidth_;
    QLine line_;
};

TExSplitter::TExSplitter(QWidget* parent) : QWidget(parent) {
    resize(185, 3);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TExSplitter::~TExSplitter() {
    if (active_) StopSizing(0, 0, false);
}

bool TExSplitter::Refused(QWidget* control) const {
    return control == this || (control && control->isWindow());
}

void TExSplitter::SetControlFirst(QWidget* control) {
    controlFirst_ = Refused(control) ? nullptr : control;
    UpdateCursor();
}

void TExSplitter::SetControlSecond(QWidget* control) {
    controlSecond_ = Refused(control) ? nullptr : control;
    UpdateCursor();
}

void TExSplitter::SetAlign(TAlign align) {
    const TAlign current = Align();
    if (current == alNone || current == alClient) {
        if (align == alTop || align == alBottom) resize(width(), 3);
        if (align == alLeft || align == alRight) resize(3, height());
    }
    SetControlAlign(this, align);
    if (!controlFirst_ && !controlSecond_ && parentWidget() != nullptr) {
        QPoint probe;
        switch (align) {
            case alTop:
                probe = {x(), y() - 1};
                break;
            case alBottom:
                probe = {x(), y() + height()};
                break;
            case alLeft:
                probe = {x() - 1, y()};
                break;
            case alRight:
                probe = {x() + width(), y()};
                break;
            default:
                UpdateCursor();
                return;
        }
        for (QObject* object : parentWidget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child != nullptr && child != this && !child->isWindow() &&
                child->geometry().contains(probe)) {
                SetControlFirst(child);
                break;
            }
        }
    }
    UpdateCursor();
}

int TExSplitter::ResizeStyle() const {
    if (!controlFirst_) return 0;
    const TAlign first = ControlAlign(controlFirst_), second = ControlAlign(controlSecond_);
    const bool secondFree = !controlSecond_ || second == alClient;
    int style = 0;
    if ((first == alTop || first == alBottom) && secondFree)
        style = 1;
    else if (first == alClient && controlSecond_ && (second == alBottom || second == alTop))
        style = 2;
    else if ((first == alLeft || first == alRight) && secondFree)
        style = 3;
    else if (first == alClient && controlSecond_ && (second == alRight || second == alLeft))
        style = 4;
    if ((style == 1 || style == 3) && Align() != first) return 0;
    if ((style == 2 || style == 4) && Align() != second) return 0;
    return style;
}

void TExSplitter::UpdateCursor() {
    const int style = ResizeStyle();
    if (style == 1 || style == 2)
        setCursor(Qt::SplitVCursor);
    else if (style == 3 || style == 4)
        setCursor(Qt::SplitHCursor);
    else
        unsetCursor();
}

void TExSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TRect r = TRect::FromQRect(rect());
    Frame3D(painter, r, ToQColor(clBtnHighlight), ToQColor(clBtnShadow), 1);
    painter.fillRect(r.ToQRect(), ToQColor(clBtnFace));
}

void TExSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || active_ || parentWidget() == nullptr) return;
    style_ = ResizeStyle();
    if (style_ == 0) return;
    active_ = true;
    noDrop_ = false;
    qApp->installEventFilter(this);  // Esc cancels; no tool tips while dragging
    down_ = event->position().toPoint();
    const QRect client = parentWidget()->contentsRect();
    limits_ = TRect{client.left() + topLeftLimit_, client.top() + topLeftLimit_,
                    client.width() - bottomRightLimit_, client.height() - bottomRightLimit_}
                  .Offset(-x(), -y());
    const int thickness = (style_ <= 2) ? height() : width();
    overlay_ = std::make_unique<DragOverlay>(window(), IntMax(thickness - 2, 2));
    lastLine_ = INT_MIN;
    DrawLine(width() / 2, height() / 2);
}

bool TExSplitter::ClampPosition(int& x, int& y) const {
    const int oldX = x, oldY = y;
    // The bar's near edge (coordinate - down point) and its far edge stay inside.
    auto clamp = [](int nearEdge, int low, int high) {
        if (nearEdge < low) return low;
        return nearEdge > high ? high : nearEdge;
    };
    x = clamp(x - down_.x(), limits_.left, limits_.right - width()) + down_.x();
    y = clamp(y - down_.y(), limits_.top, limits_.bottom - height()) + down_.y();
    return style_ <= 2 ? y != oldY : x != oldX;
}

void TExSplitter::DrawLine(int x, int y) {
    const bool horizontal = style_ <= 2;
    QWidget* parent = parentWidget();
    const QRect client(parent->mapToGlobal(parent->contentsRect().topLeft()), parent->contentsRect().size());
    QPoint screen = mapToGlobal(horizontal ? QPoint(0, y) : QPoint(x, 0));
    screen.setX(IntMax(client.left(), IntMin(screen.x(), client.right())));
    screen.setY(IntMax(client.top(), IntMin(screen.y(), client.bottom())));
    const int position = horizontal ? screen.y() : screen.x();
    if (position == lastLine_) return;
    lastLine_ = position;
    const QPoint start = overlay_->mapFromGlobal(screen);
    overlay_->SetLine(horizontal ? QLine(start, start + QPoint(width() - 1, 0))
                                 : QLine(start, start + QPoint(0, height() - 1)));
}

QLine TExSplitter::DragLine() const { return overlay_ ? overlay_->Line() : QLine(); }

void TExSplitter::SetNoDrop(bool noDrop) {
    if (noDrop == noDrop_) return;
    noDrop_ = noDrop;
    if (noDrop)
        QApplication::setOverrideCursor(Qt::ForbiddenCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TExSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!active_) return;
    int x = event->position().toPoint().x(), y = event->position().toPoint().y();
    bool allow = true;
    if (OnPosChanging) OnPosChanging(this, x, y, allow);
    if (!allow) {
        SetNoDrop(true);
        return;
    }
    SetNoDrop(ClampPosition(x, y));
    DrawLine(x - down_.x() + width() / 2, y - down_.y() + height() / 2);
}

void TExSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && active_) {
        StopSizing(event->position().toPoint().x(), event->position().toPoint().y(), true);
    }
}

void TExSplitter::ResizeControl(QWidget* control, int delta, bool heights) {
    if (control == nullptr) return;
    QWidget* parent = parentWidget();
    const int available = IntMax(
        1, heights ? parent->contentsRect().height() - height() : parent->contentsRect().width() - width());
    int size = IntMax(1, (heights ? control->height() : control->width()) + delta);
    if (size >= available) size = IntMax(1, available - 3);
    if (heights)
        control->resize(control->width(), size);
    else
        control->resize(size, control->height());
}

void TExSplitter::StopSizing(int x, int y, bool apply) {
    if (!active_) return;
    bool allow = true;
    if (apply && OnPosChanging) OnPosChanging(this, x, y, allow);
    const QLine line = DragLine();
    overlay_.reset();
    if (!allow && !line.isNull()) {
        const QPoint back = mapFromGlobal(window()->mapToGlobal(line.p1()));
        x = back.x() + down_.x() - width() / 2;
        y = back.y() + down_.y() - height() / 2;
    }
    if (apply) {
        ClampPosition(x, y);
        int downX = down_.x(), downY = down_.y();
        const TAlign first = ControlAlign(controlFirst_), second = ControlAlign(controlSecond_);
        if (first == alRight || second == alRight) x = -x, downX = -downX;
        if (first == alBottom || second == alBottom) y = -y, downY = -downY;
        QWidget* parent = parentWidget();
        DisableAlign(parent);
        switch (style_) {
            case 1:
                ResizeControl(controlFirst_, y - downY, true);
                break;
            case 2:
                ResizeControl(controlSecond_, y - downY, true);
                break;
            case 3:
                ResizeControl(controlFirst_, x - downX, false);
                break;
            case 4:
                ResizeControl(controlSecond_, x - downX, false);
                break;
            default:
                break;
        }
        EnableAlign(parent);
    }
    active_ = false;
    SetNoDrop(false);
    qApp->removeEventFilter(this);
    if (apply) emit OnPosChanged();
}

bool TExSplitter::eventFilter(QObject* watched, QEvent* event) {
    if (!active_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ToolTip) return true;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        StopSizing(0, 0, false);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kordalt
