#include "controls/switch.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/control_support.h"
#include "controls/draw_utils.h"

namespace kordalt {

namespace {

// A rocker tilted one way: the raised end carries the lamp (on) or the empty
// square (off).
QImage SwitchImage(bool on) {
    QImage image(32, 48, QImage::Format_RGB32);
    image.fill(ToQColor(clFuchsia));
    QPainter p(&image);
    const QColor black = ToQColor(clBlack), white = ToQColor(clWhite), grey = ToQColor(clGray),
                 silver = ToQColor(clSilver);
    p.fillRect(4, 2, 24, 44, black);  // housing
    p.fillRect(6, 4, 20, 40, grey);
    // The rocker: the half toward the raised end is lighter.
    const int raisedTop = on ? 24 : 6, loweredTop = on ? 6 : 24;
    p.fillRect(8, loweredTop, 16, 18, silver);
    p.fillRect(8, raisedTop, 16, 18, white);
    p.fillRect(8, raisedTop + (on ? 17 : 0), 16, 1, black);
    p.fillRect(8, 23, 16, 1, black);  // the pivot line
    if (on) {
        p.fillRect(12, 29, 8, 8, black);
        p.fillRect(13, 30, 6, 6, ToQColor(clRed));
    } else {
        p.fillRect(12, 11, 8, 8, black);
        p.fillRect(13, 12, 6, 6, white);
    }
    return image;
}

}  // namespace

QImage SwitchOnImage() { return SwitchImage(true); }
QImage SwitchOffImage() { return SwitchImage(false); }

TExSwitch::TExSwitch(QWidget* parent)
    : QWidget(parent),
      glyphOn_(SwitchOnImage()),
      glyphOff_(SwitchOffImage()),
      accelerator_(std::make_unique<CaptionAccelerator>(this, [this] {
          if (isEnabled() && focusPolicy() != Qt::NoFocus) setFocus(Qt::ShortcutFocusReason);
      })) {
    resize(50, 60);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TExSwitch::~TExSwitch() { blockSignals(true); }

void TExSwitch::SetStateOn(bool value) {
    if (value == stateOn_) return;
    stateOn_ = value;
    update();
    if (value)
        DoSwitchOn();
    else
        DoSwitchOff();
}

void TExSwitch::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    accelerator_->SetCaption(caption);
    update();
}

void TExSwitch::SetTextPosition(TTextPos value) {
    if (value == textPosition_) return;
    textPosition_ = value;
    update();
}

void TExSwitch::SetBorderStyle(TBorderStyle value) {
    if (value == borderStyle_) return;
    borderStyle_ = value;
    setContentsMargins(QMargins() + (value == bsSingle ? 1 : 0));
    update();
}

void TExSwitch::SetShowFocus(bool value) {
    if (value == showFocus_) return;
    showFocus_ = value;
    update();
}

void TExSwitch::SetColor(TColor value) {
    SetPaletteColor(*this, QPalette::Window, value);
    update();
}

TColor TExSwitch::Color() const { return PaletteColor(*this, QPalette::Window); }

TColor TExSwitch::FontColor() const { return PaletteColor(*this, QPalette::WindowText); }

void TExSwitch::SetFontColor(TColor value) {
    SetPaletteColor(*this, QPalette::WindowText, value);
    update();
}

void TExSwitch::SetGlyphOn(const QImage& image) {
    glyphOn_ = image.isNull() ? SwitchOnImage() : image;
    grayedOn_ = MakeGrayedGlyph(glyphOn_, clBlack);
    update();
}

void TExSwitch::SetGlyphOff(const QImage& image) {
    glyphOff_ = image.isNull() ? SwitchOffImage() : image;
    grayedOff_ = MakeGrayedGlyph(glyphOff_, clBlack);
    update();
}

const QImage& TExSwitch::Picture() const {
    const QImage& grayed = stateOn_ ? grayedOn_ : grayedOff_;
    if (!isEnabled() && !grayed.isNull()) return grayed;
    return stateOn_ ? glyphOn_ : glyphOff_;
}

QPoint TExSwitch::PicturePos() const {
    const QRect client = contentsRect();
    const int w = Picture().width(), h = Picture().height();
    const int cw = client.width(), ch = client.height();
    QPoint at;
    switch (textPosition_) {
        case tpLeft:
            at = {cw - w, (ch - h) / 2};
            break;
        case tpRight:
            at = {0, (ch - h) / 2};
            break;
        case tpAbove:
            at = {(cw - w) / 2, ch - h};
            break;
        case tpBelow:
            at = {(cw - w) / 2, 0};
            break;
        default:
            at = {(cw - w) / 2, (ch - h) / 2};
            break;
    }
    return at + client.topLeft();
}

void TExSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (borderStyle_ == bsSingle) {
        TRect frame = TRect::FromQRect(rect());
        Frame3D(painter, frame, ToQColor(clWindowFrame), ToQColor(clWindowFrame), 1);
    }
    painter.setFont(font());
    const QRect client = contentsRect();
    TRect r = TRect::FromQRect(client);
    painter.fillRect(client, ToQColor(Color()));
    const QImage& picture = Picture();
    const QPoint at = PicturePos();
    DrawBitmapWithKeyColour(painter, at.x(), at.y(), picture, clDefault);
    const int w = picture.width(), h = picture.height();
    switch (textPosition_) {
        case tpLeft:
            r.right -= w;
            break;
        case tpRight:
            r.left += w;
            break;
        case tpAbove:
            r.bottom -= h;
            break;
        case tpBelow:
            r.top += h;
            break;
        default:
            break;
    }
    if (focused_ && showFocus_ && focusPolicy() != Qt::NoFocus) {
        DrawFocusRect(painter, TRect{at.x(), at.y(), at.x() + w, at.y() + h}.Inflate(1, 1));
    }
    if (textPosition_ == tpNone) return;
    const int textHeight = QFontMetrics(font()).height();
    r.top = (r.top + r.bottom - textHeight) / 2;
    r.bottom = r.top + textHeight;
    painter.setPen(ToQColor(FontColor()));
    DrawPlatformText(painter, caption_, r, dt::ExpandTabs | dt::Center | dt::VCenter | dt::SingleLine);
}

void TExSwitch::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    RunHandled(this, [&] {
        if (event->button() == Qt::LeftButton) {
            if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
            ToggleSwitch();
        }
        emit OnMouseDown(event->button(), p.x(), p.y());
    });
}

void TExSwitch::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    RunHandled(this, [&] {
        emit OnMouseUp(event->button(), p.x(), p.y());
        if (event->button() == Qt::LeftButton && rect().contains(p)) emit OnClick();
    });
}

void TExSwitch::keyPressEvent(QKeyEvent* event) {
    const QKeySequence pressed(event->keyCombination());
    if (!toggleKey_.isEmpty() && pressed == toggleKey_) {
        event->accept();
        RunHandled(this, [this] { ToggleSwitch(); });
        return;
    }
    QWidget::keyPressEvent(event);
}

void TExSwitch::focusInEvent(QFocusEvent*) {
    focused_ = true;
    if (showFocus_) update();
}

void TExSwitch::focusOutEvent(QFocusEvent*) {
    focused_ = false;
    if (showFocus_) update();
}

void TExSwitch::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

}  // namespace kordalt
