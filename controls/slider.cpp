#include "controls/slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <stdexcept>

#include "controls/control_support.h"
#include "controls/draw_utils.h"
#include "platform/arith.h"

namespace kordalt {

namespace {

constexpr int kIndent = 6;
constexpr int kTrackSlack = 3;
constexpr int kMinTickInterval = 4;
constexpr int kRepeatMs = 400;

QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(ToQColor(clFuchsia));
    return image;
}

// A sunken channel across the image, 4 pixels thick, 2 pixels in from the sides.
QImage RulerImage(bool horizontal) {
    QImage image = horizontal ? Blank(10, 8) : Blank(8, 10);
    QPainter p(&image);
    TRect r = horizontal ? TRect{0, 2, 10, 6} : TRect{2, 0, 6, 10};
    Frame3D(p, r, ToQColor(clBtnShadow), ToQColor(clBtnHighlight), 1);
    Frame3D(p, r, ToQColor(clBlack), ToQColor(clBtnFace), 1);
    return image;
}

// One thumb state: a raised body ending in a point toward the tick marks.
void DrawThumb(QPainter& p, int x0, int w, int h, bool horizontal, bool highlighted) {
    const QColor light = ToQColor(clBtnHighlight), dark = ToQColor(clBlack), shadow = ToQColor(clBtnShadow);
    const QColor face = ToQColor(highlighted ? clWhite : clBtnFace);
    const int body = horizontal ? h - 5 : w - 5;  // length of the straight part
    for (int i = 0; i < (horizontal ? h : w); ++i) {
        int inset = i < body ? 0 : i - body + 1;  // the point narrows by one pixel per side
        int across = (horizontal ? w : h) - 2 * inset;
        if (across <= 0) break;
        for (int j = 0; j < across; ++j) {
            int a = inset + j;
            bool first = j == 0, last = j == across - 1, top = i == 0, tip = i == (horizontal ? h : w) - 1;
            QColor c = face;
            if (top || first) c = light;
            if (last || tip)
                c = dark;
            else if (j == across - 2 && !top)
                c = shadow;
            if (inset > 0 && first) c = light;
            if (i == 0 && (j == 0 || j == across - 1)) continue;  // rounded corners stay transparent
            if (horizontal)
                p.fillRect(x0 + a, i, 1, 1, c);
            else
                p.fillRect(x0 + i, a, 1, 1, c);
        }
    }
}

QImage ThumbImage(bool horizontal) {
    const int w = horizontal ? 9 : 19, h = horizontal ? 17 : 9;
    QImage image = Blank(2 * w, h);
    QPainter p(&image);
    DrawThumb(p, 0, w, h, horizontal, false);
    DrawThumb(p, w, w, h, horizontal, true);
    return image;
}

int DivTrunc(int a, int b) { return a / b; }  // C++ division truncates toward zero, as the rules ask

}  // namespace

QImage DefaultSliderImage(TSliderImageIndex index) {
    switch (index) {
        case siHThumb:
            return ThumbImage(true);
        case siHRuler:
            return RulerImage(true);
        case siVThumb:
            return ThumbImage(false);
        default:
            return RulerImage(false);
    }
}

TExCustomSlider::TExCustomSlider(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    for (int i = 0; i < 4; ++i) images_[i] = DefaultSliderImage(TSliderImageIndex(i));
    resize(150, 40);
    constructing_ = false;
    Relayout();
}

TExCustomSlider::~TExCustomSlider() {
    OnDrawPoints = nullptr;
    blockSignals(true);
}

TColor TExCustomSlider::Color() const { return PaletteColor(*this, QPalette::Window); }

void TExCustomSlider::SetColor(TColor value) {
    SetPaletteColor(*this, QPalette::Window, value);
    update();
}

void TExCustomSlider::SetValue(int value) {
    value = IntMax(IntMin(value, maxValue_), minValue_);
    const int old = value_;
    value_ = value;
    int offset = OffsetFromValue(value);
    ThumbPosition(offset);
    update();
    if (value != old) NotifyChange();
}

void TExCustomSlider::SetMinValue(int value) {
    if (value != minValue_) ApplyRange(value, maxValue_);
}

void TExCustomSlider::SetMaxValue(int value) {
    if (value != maxValue_) ApplyRange(minValue_, value);
}

void TExCustomSlider::ApplyRange(int minValue, int maxValue) {
    if (maxValue <= minValue) return;
    minValue_ = minValue;
    maxValue_ = maxValue;
    if (maxValue_ < increment_ + minValue_) increment_ = maxValue_ - minValue_;
    if (options_ & soShowPoints) update();
    SetValue(value_);
    RangeChangedHook();
}

void TExCustomSlider::SetIncrement(int value) {
    const long long range = static_cast<long long>(maxValue_) - minValue_;
    if (value > range || value < 1) {
        throw std::out_of_range(
            QStringLiteral("Value must be between %1 and %2").arg(1).arg(range).toStdString());
    }
    if (value == increment_) return;
    increment_ = value;
    SetValue(value_);
    update();
}

void TExCustomSlider::SetNumThumbStates(TNumThumbStates value) {
    value = IntMax(1, IntMin(value, 2));
    if (value == numThumbStates_) return;
    numThumbStates_ = value;
    Relayout();
}

void TExCustomSlider::SetOrientation(TSliderOrientation value) {
    if (value == orientation_) return;
    orientation_ = value;
    Relayout();
    resize(height(), width());
}

void TExCustomSlider::SetEdgeSize(int value) {
    const QImage& ruler = images_[orientation_ == soHorizontal ? siHRuler : siVRuler];
    const int length = orientation_ == soHorizontal ? ruler.width() : ruler.height();
    if (value == edgeSize_ || 2 * value >= length) return;
    edgeSize_ = value;
    Relayout();
}

void TExCustomSlider::SetOptions(TSliderOptions value) {
    if (value == options_) return;
    options_ = value;
    update();
}

void TExCustomSlider::SetBevelStyle(TBevelCut value) {
    if (value == bevelStyle_) return;
    bevelStyle_ = value;
    Relayout();
    repaint();
}

void TExCustomSlider::SetImage(TSliderImageIndex index, const QImage& image) {
    if (image.isNull()) {
        images_[index] = DefaultSliderImage(index);
        options_ &=
            (index == siHThumb || index == siVThumb) ? ~unsigned(soThumbOpaque) : ~unsigned(soRulerOpaque);
        update();
    } else {
        images_[index] = image;
    }
    if (!constructing_) Relayout();
}

TRect TExCustomSlider::SliderArea() const {
    TRect r = TRect::FromQRect(rect());
    return bevelStyle_ == bvNone ? r : r.Inflate(-1, -1);
}

QSize TExCustomSlider::ThumbSize() const {
    const QImage& thumb = images_[orientation_ == soHorizontal ? siHThumb : siVThumb];
    return {thumb.width() / numThumbStates_, thumb.height()};
}

int TExCustomSlider::RulerLength() const {
    if (orientation_ == soHorizontal) return ruler_.width() - images_[siHThumb].width() / numThumbStates_;
    return ruler_.height() - images_[siVThumb].height();
}

int TExCustomSlider::Indent() const {
    const TRect area = SliderArea();
    return (orientation_ == soHorizontal ? area.left : area.top) + kIndent;
}

void TExCustomSlider::ComposeRuler() {
    const TRect area = SliderArea();
    const bool horizontal = orientation_ == soHorizontal;
    const QImage& source = images_[horizontal ? siHRuler : siVRuler];
    QImage composed(horizontal ? IntMax(0, area.Width() - 2 * kIndent) : source.width(),
                    horizontal ? source.height() : IntMax(0, area.Height() - 2 * kIndent),
                    QImage::Format_RGB32);
    const int sourceLength = horizontal ? source.width() : source.height();
    const int edge = edgeSize_;
    const int length = (horizontal ? composed.width() : composed.height()) - 2 * edge;
    const int middle = sourceLength - 2 * edge;
    if (composed.isNull() || middle <= 0) {
        ruler_ = QImage();  // nothing to repeat: an empty ruler
        return;
    }
    composed.fill(source.pixel(0, source.height() - 1));
    const int count = DivTrunc(length, middle) + 1;
    const int rest = length % middle;
    QPainter p(&composed);
    auto copy = [&](int dest, int len, int from) {
        if (len <= 0) return;
        if (horizontal)
            p.drawImage(dest, 0, source, from, 0, len, source.height());
        else
            p.drawImage(0, dest, source, 0, from, source.width(), len);
    };
    for (int i = 0; i < count; ++i) {
        if (i == 0)
            copy(0, sourceLength - edge, 0);
        else if (i == count - 1)
            copy(edge + i * middle, edge + rest, edge + middle - rest);
        else
            copy(edge + i * middle, middle, edge);
    }
    p.end();
    ruler_ = composed;
}

void TExCustomSlider::Relayout() {
    if (constructing_) return;
    ComposeRuler();
    const TRect area = SliderArea();
    const QSize thumb = ThumbSize();
    const int rw = ruler_.width(), rh = ruler_.height();
    const int x = area.left + kIndent, y = area.top + kIndent;
    QPoint thumbAt;
    if (orientation_ == soHorizontal) {
        if (thumb.height() > rh) {
            thumbAt = {x, y};
            rulerOrigin_ = {x, y + DivTrunc(thumb.height() - rh, 2)};
            tickOrigin_ = {x, y + thumb.height() + 1};
        } else {
            thumbAt = {x, y + DivTrunc(rh - thumb.height(), 2)};
            rulerOrigin_ = {x, y};
            tickOrigin_ = {x, y + rh + 1};
        }
    } else if (thumb.width() <= rw) {
        thumbAt = {x + DivTrunc(rw - thumb.width(), 2), y};
        rulerOrigin_ = {x, y};
        tickOrigin_ = {x + rw + 1, y};
    } else {
        thumbAt = {x, y};
        rulerOrigin_ = {x + DivTrunc(thumb.width() - rw, 2), y};
        tickOrigin_ = {x + thumb.width() + 1, y};
    }
    thumbRect_ = {thumbAt.x(), thumbAt.y(), thumbAt.x() + thumb.width(), thumbAt.y() + thumb.height()};
    SetValue(value_);
    update();
}

int TExCustomSlider::OffsetFromValue(int value) const {
    const int indent = Indent();
    const int length = RulerLength();
    if (length <= 0) return indent;
    const long double fraction = static_cast<long double>(value - static_cast<long long>(minValue_)) /
                                 (static_cast<long long>(maxValue_) - minValue_);
    int offset = RoundToInt(fraction * length) + indent;
    if (orientation_ == soVertical) {
        const TRect area = SliderArea();
        offset = area.top + area.bottom - offset - images_[siVThumb].height();
    }
    return IntMax(offset, indent);
}

int TExCustomSlider::ValueFromOffset(int offset) const {
    const int length = RulerLength();
    if (length <= 0) return minValue_;
    if (orientation_ == soVertical) offset = height() - offset - images_[siVThumb].height();
    const long long range = static_cast<long long>(maxValue_) - minValue_;
    long long r = RoundToInt(static_cast<long double>(offset - SliderArea().left - kIndent) * range / length);
    if (!(options_ & soSmooth))
        r = static_cast<long long>(RoundToInt(static_cast<long double>(r) / increment_)) * increment_;
    return static_cast<int>(std::min<long long>(minValue_ + std::max<long long>(r, 0), maxValue_));
}

void TExCustomSlider::ThumbPosition(int& offset) {
    const int indent = Indent();
    const int last = indent + IntMax(RulerLength(), 0);
    offset = IntMax(indent, IntMin(offset, last));
    offset = IntMin(OffsetFromValue(ValueFromOffset(offset)), last);
    if (orientation_ == soHorizontal)
        thumbRect_ = thumbRect_.Offset(offset - thumbRect_.left, 0);
    else
        thumbRect_ = thumbRect_.Offset(0, offset - thumbRect_.top);
}

void TExCustomSlider::MoveThumbTo(int offset) {
    const TRect old = thumbRect_;
    ThumbPosition(offset);
    update(old.ToQRect());
    update(thumbRect_.ToQRect());
    if (!sliding_) return;
    const int value = ValueFromOffset(offset);
    if (value == value_) return;
    value_ = value;
    NotifyChange();
}

void TExCustomSlider::StepValue(int code) {
    long long value;
    switch (code) {
        case 1:
            value = minValue_;
            break;
        case 2:
            value = maxValue_;
            break;
        case 3:
        case 4: {
            long long snapped =
                static_cast<long long>(RoundToInt(static_cast<long double>(value_) / increment_)) *
                increment_;
            value = code == 3 ? snapped + increment_ : snapped - increment_;
            break;
        }
        default:
            return;
    }
    value = std::max<long long>(minValue_, std::min<long long>(value, maxValue_));
    if (value != value_) SetValue(static_cast<int>(value));
}

int TExCustomSlider::HitZone(int x, int y) const {
    if (orientation_ == soHorizontal) return x < thumbRect_.left ? 4 : x <= thumbRect_.right ? 0 : 3;
    return y < thumbRect_.top ? 3 : y <= thumbRect_.bottom ? 0 : 4;
}

void TExCustomSlider::DrawTickMarks(QPainter& painter, int step, int tickHeight, int endTickHeight) {
    if (step < 1) return;
    const int length = RulerLength();
    const long double range = static_cast<long double>(maxValue_) - minValue_;
    long long scale = 0, count = 0, interval = 0;
    do {
        ++scale;
        count = Round(range / (static_cast<long double>(scale) * step)) + 1;
        interval = count > 1 ? length / (count - 1) : length;
    } while (interval < kMinTickInterval && interval < length);
    const QColor pen = ToQColor(clWindowText);
    long long value = minValue_;
    for (long long i = 1; i <= count; ++i) {
        if (i == count) value = maxValue_;
        const int len = (value == minValue_ || value == maxValue_) ? endTickHeight : tickHeight;
        const int at = OffsetFromValue(static_cast<int>(value));
        if (orientation_ == soHorizontal) {
            painter.fillRect(at + (images_[siHThumb].width() / numThumbStates_) / 2, tickOrigin_.y(), 1, len,
                             pen);
        } else {
            painter.fillRect(tickOrigin_.x(), at + images_[siVThumb].height() / 2, len, 1, pen);
        }
        value += scale * step;
    }
}

void TExCustomSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TRect r = TRect::FromQRect(rect());
    if (bevelStyle_ != bvNone) {
        const QColor shadow = ToQColor(clBtnShadow), light = ToQColor(clBtnHighlight);
        if (bevelStyle_ == bvLowered)
            Frame3D(painter, r, shadow, light, 1);
        else
            Frame3D(painter, r, light, shadow, 1);
    }
    painter.fillRect(r.ToQRect(), ToQColor(Color()));
    if (ruler_.width() > 0) {
        DrawBitmapWithKeyColour(painter, rulerOrigin_.x(), rulerOrigin_.y(), ruler_,
                                (options_ & soRulerOpaque) ? clNone : clDefault);
    }
    if ((options_ & soShowFocus) && focused_) DrawFocusRect(painter, SliderArea().Inflate(-2, -2));
    if (options_ & soShowPoints) {
        if (OnDrawPoints)
            OnDrawPoints(this, painter);
        else
            DrawTickMarks(painter, increment_, 3, 5);
    }
    const QImage& thumb = images_[orientation_ == soHorizontal ? siHThumb : siVThumb];
    const int w = thumb.width() / numThumbStates_;
    const bool highlighted = numThumbStates_ == 2 && (thumbDown_ || !isEnabled());
    const TRect source{highlighted ? w : 0, 0, highlighted ? 2 * w : w, thumb.height()};
    DrawBitmapRectWithKeyColour(painter, thumbRect_.left, thumbRect_.top, source, thumb,
                                (options_ & soThumbOpaque) ? clNone : clDefault);
}

void TExCustomSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    if (PointInRectInclusive(p, thumbRect_)) {
        ThumbPressed(event->button(), p.x(), p.y());
        return;
    }
    TRect ruler{rulerOrigin_.x(), rulerOrigin_.y(), rulerOrigin_.x() + ruler_.width(),
                rulerOrigin_.y() + ruler_.height()};
    ruler = orientation_ == soHorizontal ? ruler.Inflate(0, kTrackSlack) : ruler.Inflate(kTrackSlack, 0);
    if (!PointInRectInclusive(p, ruler)) return;
    tracking_ = true;
    trackPoint_ = p;
    trackZone_ = HitZone(p.x(), p.y());
    TrackStep();
}

void TExCustomSlider::TrackStep() {
    if (HitZone(trackPoint_.x(), trackPoint_.y()) != trackZone_) return;
    StepValue(trackZone_);
    if (timerId_ == 0) timerId_ = startTimer(kRepeatMs);
}

void TExCustomSlider::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timerId_) TrackStep();
}

void TExCustomSlider::StopTracking() {
    if (timerId_ != 0) killTimer(timerId_);
    timerId_ = 0;
    tracking_ = false;
    NotifyChanged();
}

void TExCustomSlider::ThumbPressed(Qt::MouseButton button, int x, int y) {
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (button != Qt::LeftButton) return;
    sliding_ = true;
    thumbDown_ = true;
    grabOffset_ = orientation_ == soHorizontal ? x - thumbRect_.left : y - thumbRect_.top;
    repaint(thumbRect_.ToQRect());
}

void TExCustomSlider::ThumbDragged(int x, int y) {
    MoveThumbTo((orientation_ == soHorizontal ? x : y) - grabOffset_);
}

void TExCustomSlider::ThumbReleased(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    sliding_ = false;
    thumbDown_ = false;
    update(thumbRect_.ToQRect());
    NotifyChanged();
}

void TExCustomSlider::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const bool overThumb = thumbRect_.ToQRect().contains(p);
    if (overThumb)
        setCursor(ScreenCursor(crHandCursor));
    else
        unsetCursor();
    if ((event->buttons() & Qt::LeftButton) && sliding_) ThumbDragged(p.x(), p.y());
    if (tracking_) trackPoint_ = p;
}

void TExCustomSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (tracking_) StopTracking();
    if (sliding_) ThumbReleased(event->button());
}

void TExCustomSlider::keyPressEvent(QKeyEvent* event) {
    int code = 0;
    if ((event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0) {
        const bool horizontal = orientation_ == soHorizontal;
        switch (event->key()) {
            case Qt::Key_Home:
                code = 1;
                break;
            case Qt::Key_End:
                code = 2;
                break;
            case Qt::Key_Right:
                code = horizontal ? 3 : 0;
                break;
            case Qt::Key_Left:
                code = horizontal ? 4 : 0;
                break;
            case Qt::Key_Up:
                code = horizontal ? 0 : 3;
                break;
            case Qt::Key_Down:
                code = horizontal ? 0 : 4;
                break;
            default:
                break;
        }
    }
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    StepValue(code);
    NotifyChanged();
}

void TExCustomSlider::resizeEvent(QResizeEvent*) { Relayout(); }

void TExCustomSlider::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update(thumbRect_.ToQRect());
    QWidget::changeEvent(event);
}

void TExCustomSlider::focusInEvent(QFocusEvent*) { SetFocused(true); }
void TExCustomSlider::focusOutEvent(QFocusEvent*) { SetFocused(false); }

void TExCustomSlider::SetFocused(bool focused) {
    if (focused == focused_) return;
    focused_ = focused;
    if (options_ & soShowFocus) update();
}

}  // namespace kordalt
