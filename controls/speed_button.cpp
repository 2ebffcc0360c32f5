#include "controls/speed_button.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "controls/draw_utils.h"

namespace kordalt {

namespace {

bool NewStyle(TButtonStyle style) { return style != bsWin31; }

// Alternating button-face and button-highlight pixels.
QBrush DitherBrush() {
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(x, y, (x + y) % 2 == 0 ? ToQRgb(clBtnFace) : ToQRgb(clBtnHighlight));
    }
    return QBrush(pattern);
}

}  // namespace

TRect DrawSpeedButtonFrame(QPainter& canvas, const TRect& client, bool isDown, TButtonStyle style,
                           bool flat) {
    const QColor highlight = ToQColor(clBtnHighlight), frame = ToQColor(clWindowFrame),
                 face = ToQColor(clBtnFace), shadow = ToQColor(clBtnShadow);
    TRect r = client;
    if (NewStyle(style)) {
        if (!isDown && !flat) {
            Frame3D(canvas, r, highlight, frame, 1);
            Frame3D(canvas, r, face, shadow, 1);
        } else if (!isDown) {
            Frame3D(canvas, r, highlight, shadow, 1);
        } else if (!flat) {
            Frame3D(canvas, r, frame, highlight, 1);
            Frame3D(canvas, r, shadow, face, 1);
        } else {
            Frame3D(canvas, r, frame, highlight, 1);
        }
    } else {
        if (!isDown && !flat) {
            Frame3D(canvas, r, frame, frame, 1);
            Frame3D(canvas, r, highlight, shadow, 1);
        } else if (!isDown) {
            Frame3D(canvas, r, highlight, frame, 1);
        } else if (!flat) {
            Frame3D(canvas, r, frame, frame, 1);
            canvas.fillRect(r.left, r.top, 1, r.Height(), shadow);
            canvas.fillRect(r.left, r.top, r.Width(), 1, shadow);
        } else {
            Frame3D(canvas, r, frame, highlight, 1);
        }
    }
    return r.Inflate(-1, -1);
}

TExSpeedButton::TExSpeedButton(QWidget* parent)
    : QWidget(parent),
      glyph_(std::make_unique<TExButtonGlyph>()),
      accelerator_(std::make_unique<CaptionAccelerator>(this, [this] {
          if (isEnabled()) Click();
      })) {
    resize(25, 25);
    setAttribute(Qt::WA_NoMouseReplay);
    setAttribute(Qt::WA_OpaquePaintEvent);
    glyph_->OnChange = [this] { update(); };
}

TExSpeedButton::~TExSpeedButton() = default;

void TExSpeedButton::SetAlignment(TAlignment value) {
    if (value == glyph_->Alignment()) return;
    glyph_->SetAlignment(value);
    update();
}

void TExSpeedButton::SetAllowAllUp(bool value) {
    if (value == allowAllUp_) return;
    allowAllUp_ = value;
    NotifyGroup();
}

void TExSpeedButton::SetAllowTimer(bool value) {
    allowTimer_ = value;
    if (!value && repeatTimer_ != nullptr) {
        delete repeatTimer_;
        repeatTimer_ = nullptr;
    }
}

void TExSpeedButton::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    accelerator_->SetCaption(caption);
    update();
}

void TExSpeedButton::SetDown(bool value) {
    if (groupIndex_ == 0) value = false;
    if (value == down_) return;
    if (down_ && !allowAllUp_) return;
    down_ = value;
    if (value) {
        state_ = bdsHeldDown;
    } else {
        state_ = bdsUp;
    }
    update();
    if (value) NotifyGroup();
}

void TExSpeedButton::SetDropDownMenu(QMenu* menu) {
    dropDownMenu_ = menu;
    if (markDropDown_) update();
}

void TExSpeedButton::SetFlat(bool value) {
    if (value == flat_) return;
    flat_ = value;
    update();
}

void TExSpeedButton::SetGlyph(const QImage& bitmap) {
    glyph_->SetGlyph(bitmap);
    update();
}

void TExSpeedButton::SetGrayedInactive(bool value) {
    if (value == grayedInactive_) return;
    grayedInactive_ = value;
    update();
}

void TExSpeedButton::SetGroupIndex(int value) {
    if (value == groupIndex_) return;
    groupIndex_ = value;
    NotifyGroup();
}

void TExSpeedButton::SetLayout(TButtonLayout value) {
    if (value == layout_) return;
    layout_ = value;
    update();
}

void TExSpeedButton::SetMargin(int value) {
    if (value == margin_ || value < -1) return;
    margin_ = value;
    update();
}

void TExSpeedButton::SetMarkDropDown(bool value) {
    if (value == markDropDown_) return;
    markDropDown_ = value;
    update();
}

void TExSpeedButton::SetNumGlyphs(TExNumGlyphs value) {
    value = IntMin(value, 5);
    if (value == glyph_->NumGlyphs()) return;
    glyph_->SetNumGlyphs(value);
    update();
}

void TExSpeedButton::SetSpacing(int value) {
    if (value == spacing_) return;
    spacing_ = value;
    update();
}

void TExSpeedButton::SetStyle(TButtonStyle value) {
    if (value == style_) return;
    style_ = value;
    update();
}

void TExSpeedButton::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    update();
}

void TExSpeedButton::SetWordWrap(bool value) {
    if (value == glyph_->WordWrap()) return;
    glyph_->SetWordWrap(value);
    update();
}

TColor TExSpeedButton::FontColor() const { return PaletteColor(*this, QPalette::WindowText); }

void TExSpeedButton::SetFontColor(TColor value) { SetPaletteColor(*this, QPalette::WindowText, value); }

void TExSpeedButton::DrawFace(QPainter& canvas, const TRect& rect, TExButtonDrawState state, bool withMark) {
    unsigned textFlags = AlignmentFlag(glyph_->Alignment());
    if (isRightToLeft()) {
        if (textFlags != dt::Center) textFlags = textFlags == dt::Right ? dt::Left : dt::Right;
        textFlags |= dt::RtlReading;
    }
    glyph_->DrawButton(canvas, rect, caption_, layout_, margin_, spacing_, withMark, state, textFlags);
}

void TExSpeedButton::paintEvent(QPaintEvent*) {
    if (!isEnabled()) {
        state_ = bdsDisabled;
        pressedByMouse_ = false;
    } else if (state_ == bdsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? bdsHeldDown : bdsUp;
    }
    TExButtonDrawState paintState = state_;
    if (flat_ && !mouseInside_) paintState = bdsInactive;

    // See-through buttons leave the image clear where nothing is drawn, and Qt's
    // composition shows the parent and the siblings beneath.
    if (drawImage_.size() != size()) drawImage_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    drawImage_.fill(transparent_ ? QColor(Qt::transparent) : ToQColor(clBtnFace));
    QPainter canvas(&drawImage_);
    canvas.setFont(font());
    canvas.setPen(ToQColor(FontColor()));

    const TRect client{0, 0, width(), height()};
    TRect face;
    if (paintState != bdsInactive || state_ == bdsHeldDown) {
        face = DrawSpeedButtonFrame(canvas, client, state_ == bdsPressed || state_ == bdsHeldDown, style_,
                                    flat_);
    } else {
        face = client.Inflate(-2, -2);
    }
    if (state_ == bdsHeldDown && !transparent_ && (!flat_ || paintState == bdsInactive)) {
        canvas.fillRect(face.Inflate(1, 1).ToQRect(), DitherBrush());
    }
    if (state_ == bdsPressed || state_ == bdsHeldDown) face = face.Offset(1, 1);
    if (state_ == bdsDisabled || !grayedInactive_) paintState = state_;
    DrawFace(canvas, face, paintState, markDropDown_ && dropDownMenu_);
    canvas.end();

    QPainter(this).drawImage(0, 0, drawImage_);
}

void TExSpeedButton::Press(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), at.x(), at.y());
    if (!mouseInside_ && isEnabled()) {
        mouseInside_ = true;
        update();
    }
    if (event->button() == Qt::RightButton) CheckMouseInside();
    if (event->button() != Qt::LeftButton || !isEnabled()) return;
    if (!down_) {
        state_ = bdsPressed;
        update();
    }
    pressedByMouse_ = true;
    menuTracking_ = true;
    // Qt does not replay the click that closes the menu onto this button.
    if (PopDropDownMenu(DropDownMenuPoint(), false)) FinishPress(event->button(), at);
    menuTracking_ = false;
    if (allowTimer_) {
        if (repeatTimer_ == nullptr) {
            repeatTimer_ = new QTimer(this);
            connect(repeatTimer_, &QTimer::timeout, this, &TExSpeedButton::RepeatTick);
        }
        repeatTimer_->start(initPause_);
    }
}

void TExSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (!menuTracking_) Press(event);
}

void TExSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (menuTracking_) return;
    Press(event);
    if (event->button() == Qt::LeftButton && down_) emit OnDblClick();
}

void TExSpeedButton::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedByMouse_) return;
    TExButtonDrawState next = down_                                          ? bdsHeldDown
                              : rect().contains(event->position().toPoint()) ? bdsPressed
                                                                             : bdsUp;
    if (next == state_) return;
    state_ = next;
    update();
}

void TExSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseUp(event->button(), at.x(), at.y());
    FinishPress(event->button(), at);
    if (repeatTimer_ != nullptr) repeatTimer_->stop();
}

void TExSpeedButton::FinishPress(Qt::MouseButton button, QPoint at) {
    if (pressedByMouse_ && button == Qt::LeftButton) {
        pressedByMouse_ = false;
        const bool inside = rect().contains(at);
        if (groupIndex_ == 0) {
            state_ = bdsUp;
            mouseInside_ = false;
            update();
        } else if (inside) {
            SetDown(!down_);
            if (down_) update();
        } else {
            if (down_) state_ = bdsHeldDown;
            update();
        }
        if (inside && !menuTracking_) RunHandled(this, [this] { Click(); });
    }
    CheckMouseInside();
}

void TExSpeedButton::Click() {
    SetFormModalResult(this, modalResult_);
    emit OnClick();
}

void TExSpeedButton::RepeatTick() {
    repeatTimer_->setInterval(repeatInterval_);
    if (state_ != bdsPressed || !pressedByMouse_) return;
    try {
        Click();
    } catch (...) {
        repeatTimer_->stop();
        HandleApplicationException(this, std::current_exception());
    }
}

QPoint TExSpeedButton::DropDownMenuPoint() const {
    if (!dropDownMenu_) return {0, 0};
    // Menus open left-aligned at the point.
    return menuPosition_ == dmpBottom ? QPoint(-1, height()) : QPoint(width(), -1);
}

bool TExSpeedButton::PopDropDownMenu(QPoint at, bool manual) {
    if (!dropDownMenu_) return false;
    dropDownMenu_->exec(mapToGlobal(at));
    return true;
}

void TExSpeedButton::enterEvent(QEnterEvent*) {
    if (!mouseInside_ && isEnabled() && AppWindowIsActive()) SetMouseInside(true);
}

void TExSpeedButton::leaveEvent(QEvent*) {
    if (mouseInside_ && isEnabled() && !pressedByMouse_) SetMouseInside(false);
}

void TExSpeedButton::CheckMouseInside() { SetMouseInside(MouseIsOver(*this)); }

void TExSpeedButton::SetMouseInside(bool inside) {
    if (inside == mouseInside_) return;
    mouseInside_ = inside;
    if (flat_) update();
    if (inside) {
        DoMouseEnter();
    } else {
        DoMouseLeave();
    }
}

void TExSpeedButton::BuildCurrentImage() {
    glyph_->BuildStateImage(!isEnabled() ? bdsDisabled : flat_ ? bdsInactive : bdsUp);
}

void TExSpeedButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        BuildCurrentImage();
        CheckMouseInside();
        update();
    } else if (event->type() == QEvent::FontChange) {
        update();
    }
    QWidget::changeEvent(event);
}

void TExSpeedButton::showEvent(QShowEvent*) { CheckMouseInside(); }

void TExSpeedButton::NotifyGroup() {
    if (groupIndex_ == 0 || parentWidget() == nullptr) return;
    for (auto* button : parentWidget()->findChildren<TExSpeedButton*>(Qt::FindDirectChildrenOnly)) {
        button->GroupNotice(groupIndex_, this);
    }
}

void TExSpeedButton::GroupNotice(int groupIndex, TExSpeedButton* sender) {
    if (groupIndex != groupIndex_ || sender == this) return;
    if (sender->down_ && down_) {
        down_ = false;
        state_ = bdsUp;
        update();
    }
    allowAllUp_ = sender->allowAllUp_;
}

}  // namespace kordalt
