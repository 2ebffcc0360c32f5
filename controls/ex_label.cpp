#include "controls/ex_label.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace kordalt {

namespace {

QPoint ShadowOffset(TShadowPosition position, int s) {
    switch (position) {
        case spLeftBottom:
            return {-s, s};
        case spRightBottom:
            return {s, s};
        case spRightTop:
            return {s, -s};
        default:
            return {-s, -s};
    }
}

}  // namespace

int DrawShadowedText(QPainter& painter, const QString& text, TRect& rect, unsigned format, int shadowSize,
                     TColor shadowColour, TShadowPosition position) {
    QPoint offset = ShadowOffset(position, shadowSize);
    TRect textRect = rect;
    TRect shadowRect = rect.Offset(offset.x(), offset.y());
    QPen pen = painter.pen();
    painter.setPen(ToQColor(shadowColour));
    int height = DrawPlatformText(painter, text, shadowRect, format);
    painter.setPen(pen);
    DrawPlatformText(painter, text, textRect, format);
    rect = textRect.United(shadowRect);
    return height > 0 ? height + shadowSize : height;
}

TExCustomLabel::TExCustomLabel(QWidget* parent)
    : QWidget(parent), accelerator_(std::make_unique<CaptionAccelerator>(this, [this] {
          if (focusControl_ && isEnabled() && showAccelChar_ && focusControl_->isEnabled() &&
              focusControl_->focusPolicy() != Qt::NoFocus) {
              focusControl_->setFocus(Qt::ShortcutFocusReason);
          }
      })) {
    resize(65, 17);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
}

TExCustomLabel::~TExCustomLabel() = default;

void TExCustomLabel::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    UpdateAccelerator();
    update();
    AdjustLabelBounds();
}

void TExCustomLabel::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    update();
}

void TExCustomLabel::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    AdjustLabelBounds();
}

void TExCustomLabel::SetLayout(TTextLayout value) {
    if (value == layout_) return;
    layout_ = value;
    update();
}

void TExCustomLabel::SetShadowColor(TColor value) {
    if (value == shadowColor_) return;
    shadowColor_ = value;
    update();
}

void TExCustomLabel::SetShadowSize(quint8 value) {
    if (value == shadowSize_) return;
    shadowSize_ = value;
    AdjustLabelBounds();
    update();
}

void TExCustomLabel::SetShadowPos(TShadowPosition value) {
    if (value == shadowPos_) return;
    shadowPos_ = value;
    update();
}

void TExCustomLabel::SetWordWrap(bool value) {
    if (value == wordWrap_) return;
    wordWrap_ = value;
    AdjustLabelBounds();
}

void TExCustomLabel::SetShowAccelChar(bool value) {
    if (value == showAccelChar_) return;
    showAccelChar_ = value;
    UpdateAccelerator();
    update();
}

void TExCustomLabel::SetShowFocus(bool value) {
    if (value == showFocus_) return;
    showFocus_ = value;
    update();
}

void TExCustomLabel::SetFocusControl(QWidget* control) {
    focusControl_ = control;
    UpdateAccelerator();
    if (showFocus_) update();
}

void TExCustomLabel::SetTransparent(bool value) {
    if (value == Transparent()) return;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    update();
}

TColor TExCustomLabel::Color() const { return PaletteColor(*this, QPalette::Window); }

void TExCustomLabel::SetColor(TColor value) { SetPaletteColor(*this, QPalette::Window, value); }

TColor TExCustomLabel::FontColor() const { return PaletteColor(*this, QPalette::WindowText); }

void TExCustomLabel::SetFontColor(TColor value) { SetPaletteColor(*this, QPalette::WindowText, value); }

void TExCustomLabel::UpdateAccelerator() {
    accelerator_->SetCaption(caption_, showAccelChar_ && focusControl_);
}

void TExCustomLabel::DrawLabelText(QPainter& painter, TRect& rect, unsigned flags) {
    QString text = LabelText();
    if ((flags & dt::CalcRect) && (text.isEmpty() || (showAccelChar_ && text == QStringLiteral("&"))))
        text += u' ';
    if (!showAccelChar_) flags |= dt::NoPrefix;
    if (isRightToLeft()) {
        if (flags & dt::Right) {
            flags &= ~dt::Right;
        } else if (!(flags & dt::Center)) {
            flags |= dt::Right;
        }
        flags |= dt::RtlReading;
    }
    painter.setFont(font());
    TColor textColour = LabelFontColor();
    TColor shadowColour = shadowColor_;
    int shadowSize = shadowSize_;
    TShadowPosition position = shadowPos_;
    if (!isEnabled()) {
        if (shadowSize == 0) {
            shadowSize = 1;
            position = spRightBottom;
        }
        textColour = clGrayText;
        shadowColour = clBtnHighlight;
    }
    painter.setPen(ToQColor(textColour));
    DrawShadowedText(painter, text, rect, flags, shadowSize, ColorToRGB(shadowColour), position);
}

void TExCustomLabel::paintEvent(QPaintEvent*) {
    if (!isEnabled()) pressedByMouse_ = false;
    QPainter painter(this);
    if (!Transparent()) painter.fillRect(rect(), ToQColor(Color()));
    TRect r{leftMargin_ + 1, 1, width() - rightMargin_ - 1, height() - 1};
    unsigned flags = dt::ExpandTabs | AlignmentFlag(alignment_) | (wordWrap_ ? dt::WordBreak : 0u);
    if (layout_ != tlTop) {
        DrawLabelText(painter, r, flags | dt::CalcRect);
        r.left = leftMargin_;
        r.right = width() - rightMargin_;
        int offset = layout_ == tlCenter ? (height() - r.bottom) / 2 : height() - r.bottom;
        r = r.Offset(0, offset);
    }
    DrawLabelText(painter, r, flags);
    if (showFocus_ && focusControl_ && focused_) {
        r = r.Inflate(1, 1);
        // Drawn inverting what lies below, so it shows on any colour.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.left, r.top, r.Width() - 1, r.Height() - 1);
    }
}

void TExCustomLabel::AdjustLabelBounds() {
    if (!autoSize_) return;
    TRect r{leftMargin_ + 1, 1, width() - rightMargin_ - 1, height() - 1};
    QImage screen(1, 1, QImage::Format_RGB32);
    QPainter painter(&screen);
    DrawLabelText(painter, r, dt::ExpandTabs | dt::CalcRect | (wordWrap_ ? dt::WordBreak : 0u));
    r = r.Inflate(1, 1);
    r.left -= leftMargin_;
    r.right += rightMargin_;
    TAlignment alignment = alignment_;
    if (isRightToLeft() && alignment != taCenter)
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    int left = x();
    if (alignment == taRightJustify) left += width() - r.right;
    setGeometry(left, y(), r.right, r.bottom);
}

void TExCustomLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) pressedByMouse_ = true;
    emit OnMouseDown(event->button(), event->position().toPoint().x(), event->position().toPoint().y());
    if (event->button() == Qt::RightButton) CheckMouseInside();
}

void TExCustomLabel::mouseReleaseEvent(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        bool click = pressedByMouse_ && rect().contains(at);
        pressedByMouse_ = false;
        if (click) RunHandled(this, [this] { emit OnClick(); });
    }
    RunHandled(this, [&] { emit OnMouseUp(event->button(), at.x(), at.y()); });
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) CheckMouseInside();
}

void TExCustomLabel::enterEvent(QEnterEvent*) {
    if (!mouseInside_ && isEnabled() && AppWindowIsActive()) SetMouseInside(true);
}

void TExCustomLabel::leaveEvent(QEvent*) {
    if (mouseInside_ && isEnabled() && !pressedByMouse_) SetMouseInside(false);
}

void TExCustomLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        CheckMouseInside();
        update();
    } else if (event->type() == QEvent::FontChange) {
        AdjustLabelBounds();
    }
    QWidget::changeEvent(event);
}

void TExCustomLabel::showEvent(QShowEvent*) { CheckMouseInside(); }

void TExCustomLabel::CheckMouseInside() { SetMouseInside(MouseIsOver(*this)); }

void TExCustomLabel::SetMouseInside(bool inside) {
    if (inside == mouseInside_) return;
    mouseInside_ = inside;
    if (inside) {
        DoMouseEnter();
    } else {
        DoMouseLeave();
    }
}

void TExCustomLabel::FocusChanged(QWidget* now) {
    bool focused = now != nullptr && now == focusControl_;
    if (focused == focused_) return;
    focused_ = focused;
    if (showFocus_) update();
}

}  // namespace kordalt
