#include "controls/spin_edit.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMetaMethod>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "controls/classic.h"
#include "controls/control_support.h"
#include "controls/draw_utils.h"
#include "platform/arith.h"

namespace kordalt {

namespace {

constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 100;
constexpr int kClassicBorder = 2;  // the sunken edit frame

QImage MonoGlyph(const char* const rows[6]) {
    QImage image(6, 6, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) image.setPixel(x, y, rows[y][x] == '#' ? 1 : 0);
    }
    return image;
}

// A line from (x0, y0) toward (x1, y1), the end point left out.
void Line(QPainter& p, int x0, int y0, int x1, int y1, const QColor& colour) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        p.fillRect(x0, y0, 1, 1, colour);
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

QChar DecimalSeparator() { return QLocale().decimalPoint().at(0); }

int HexDigit(QChar c) {
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    return -1;
}

// Optional leading blanks and sign, then decimal digits, or hexadecimal after "$"
// or "0x" (up to 32 bits, read as a signed value).
bool ParseInteger(const QString& text, long long& result) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16, ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16, i += 2;
    }
    if (i == text.size()) return false;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0 || digit >= base) return false;
        magnitude = magnitude * base + digit;
        if (magnitude > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return false;
    }
    if (base == 16) magnitude = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    result = negative ? -magnitude : magnitude;
    return result >= INT32_MIN && result <= INT32_MAX;
}

bool ParseFloat(const QString& text, long double& result) {
    QString s = text.trimmed();
    const QChar separator = DecimalSeparator();
    for (QChar c : s) {
        if (!(c.isDigit() || c == u'+' || c == u'-' || c == u'e' || c == u'E' || c == separator))
            return false;
    }
    if (separator != u'.') s.replace(separator, u'.');
    const std::string bytes = s.toStdString();
    if (bytes.empty()) return false;
    char* end = nullptr;
    result = std::strtold(bytes.c_str(), &end);
    return end == bytes.c_str() + bytes.size() && std::isfinite(result);
}

// Fixed point with `decimals` digits after the separator, from the value's first
// 15 significant digits, rounded half away from zero; scientific beyond 15
// integer digits.
QString FormatFixed(long double value, int decimals) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", value);
    const bool negative = buffer[0] == '-';
    const char* p = buffer + (negative ? 1 : 0);
    QString digits;
    for (; *p != 'e'; ++p) {
        if (*p != '.') digits += QChar(*p);
    }
    int exponent = std::atoi(p + 1);
    if (digits.count(u'0') == digits.size()) exponent = 0;
    const QChar separator = DecimalSeparator();
    if (exponent + 1 > 15) {
        return (negative ? QStringLiteral("-") : QString()) + digits.left(1) + separator + digits.mid(1) +
               u'E' + (exponent < 0 ? u'-' : u'+') +
               QString::number(std::abs(exponent)).rightJustified(3, u'0');
    }
    const int keep = exponent + decimals + 1;
    QString kept;
    if (keep >= digits.size()) {
        kept = digits + QString(keep - digits.size(), u'0');
    } else if (keep >= 0) {
        kept = digits.left(keep);
        if (digits[keep] >= u'5') {
            int i = static_cast<int>(kept.size()) - 1;
            for (; i >= 0 && kept[i] == u'9'; --i) kept[i] = u'0';
            if (i >= 0)
                kept[i] = QChar(kept[i].unicode() + 1);
            else
                kept.prepend(u'1');
        }
    }
    if (kept.size() < decimals + 1) kept = kept.rightJustified(decimals + 1, u'0');
    const bool zero = kept.count(u'0') == kept.size();
    QString out = kept.left(kept.size() - decimals);
    if (decimals > 0) out += separator + kept.right(decimals);
    return (negative && !zero ? QStringLiteral("-") : QString()) + out;
}

}  // namespace

QImage SpinUpGlyph() {
    static const char* const rows[6] = {"..##..", ".####.", "######", "..##..", "..##..", "..##.."};
    return MonoGlyph(rows);
}

QImage SpinDownGlyph() {
    static const char* const rows[6] = {"..##..", "..##..", "..##..", "######", ".####.", "..##.."};
    return MonoGlyph(rows);
}

bool ParseSpinText(const QString& text, TValueType type, long double& value) {
    if (type == vtFloat) return ParseFloat(text, value);
    long long integer = 0;
    if (!ParseInteger(type == vtHex ? u'$' + text : text, integer)) return false;
    value = static_cast<long double>(integer);
    return true;
}

QString FormatSpinValue(long double value, TValueType type, int decimals) {
    switch (type) {
        case vtFloat:
            return FormatFixed(value, decimals);
        case vtHex:
            return QString::number(static_cast<uint32_t>(RoundToInt(value)), 16).toUpper();
        default:
            return QString::number(RoundToInt(value));
    }
}

// ---- TExSpinButton

TExSpinButton::TExSpinButton(QWidget* parent)
    : QWidget(parent), upGlyph_(SpinUpGlyph()), downGlyph_(SpinDownGlyph()) {
    resize(20, 20);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TExSpinButton::SetUpGlyph(const QImage& glyph) {
    upGlyph_ = glyph.isNull() ? SpinUpGlyph() : glyph;
    redrawNeeded_ = true;
    update();
}

void TExSpinButton::SetDownGlyph(const QImage& glyph) {
    downGlyph_ = glyph.isNull() ? SpinDownGlyph() : glyph;
    redrawNeeded_ = true;
    update();
}

TExSpinButton::Half TExSpinButton::HalfAt(QPoint p) const {
    const double w = IntMax(width(), 1);
    return p.y() > height() - (height() / w) * p.x() ? Lower : Upper;
}

bool TExSpinButton::Inside(QPoint p) const {
    return 0 <= p.x() && p.x() <= width() && 0 <= p.y() && p.y() <= height();
}

void TExSpinButton::SetPressed(Half half) {
    if (half == pressed_) return;
    pressed_ = half;
    repaint();
}

void TExSpinButton::FireClick(Half half) {
    const bool handled = half == Upper
                             ? isSignalConnected(QMetaMethod::fromSignal(&TExSpinButton::OnTopClick))
                             : isSignalConnected(QMetaMethod::fromSignal(&TExSpinButton::OnBottomClick));
    if (half == Upper)
        emit OnTopClick();
    else
        emit OnBottomClick();
    if (handled && !pressedByMouse_) SetPressed(None);
}

void TExSpinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (focusControl_ && (focusControl_->focusPolicy() & Qt::TabFocus) && focusControl_->isEnabled() &&
        !focusControl_->hasFocus()) {
        focusControl_->setFocus(Qt::MouseFocusReason);
    }
    pressedByMouse_ = true;
    if (pressed_ != None) return;
    const Half half = HalfAt(event->position().toPoint());
    lastPressed_ = half;
    SetPressed(half);
    if (repeatTimer_ == nullptr) {
        repeatTimer_ = new QTimer(this);
        connect(repeatTimer_, &QTimer::timeout, this, &TExSpinButton::RepeatStep);
    }
    repeatTimer_->start(kFirstRepeatMs);
    FireClick(half);
}

void TExSpinButton::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedByMouse_) return;
    const QPoint p = event->position().toPoint();
    SetPressed(Inside(p) && HalfAt(p) == lastPressed_ ? lastPressed_ : None);
}

void TExSpinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressedByMouse_ = false;
    if (Inside(event->position().toPoint())) lastPressed_ = None;
    SetPressed(None);
}

void TExSpinButton::RepeatStep() {
    repeatTimer_->setInterval(kRepeatMs);
    if (pressed_ == None || !pressedByMouse_) return;
    try {
        FireClick(pressed_);
    } catch (...) {
        repeatTimer_->stop();
        throw;
    }
}

void TExSpinButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        redrawNeeded_ = true;
        update();
    }
    QWidget::changeEvent(event);
}

QImage TExSpinButton::FaceImage(Half pressed) {
    const int w = width(), h = height();
    const QColor frame = ToQColor(clWindowFrame), light = ToQColor(clBtnHighlight),
                 shadow = ToQColor(clBtnShadow);
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(ToQColor(clBtnFace));
    QPainter p(&image);
    p.setPen(frame);
    p.drawRect(0, 0, w - 1, h - 1);
    Line(p, -1, h, w, -1, frame);
    const bool top = pressed == Upper, bottom = pressed == Lower;
    Line(p, 1, h - 4, 1, 1, top ? shadow : light);
    Line(p, 1, 1, w - 3, 1, top ? shadow : light);
    if (!top) Line(p, 1, h - 3, w - 2, 0, shadow);
    Line(p, 2, h - 2, w - 2, h - 2, bottom ? light : shadow);
    Line(p, w - 2, h - 2, w - 2, 1, bottom ? light : shadow);
    Line(p, 2, h - 2, w - 1, 1, bottom ? shadow : light);
    const int o = top ? 2 : 1;
    BlitBitmapWithKeyColour(p, upGlyph_, clDefault, RoundToInt(w / 4.0L - upGlyph_.width() / 2.0L) + o,
                            RoundToInt(h / 4.0L - upGlyph_.height() / 2.0L) + o);
    BlitBitmapWithKeyColour(p, downGlyph_, clDefault,
                            RoundToInt(3 * w / 4.0L - downGlyph_.width() / 2.0L) - 1,
                            RoundToInt(3 * h / 4.0L - downGlyph_.height() / 2.0L) - 1);
    if (bottom) Line(p, 3, h - 2, w - 1, 2, shadow);
    return image;
}

void TExSpinButton::PrepareImages() {
    if (!redrawNeeded_ && images_[0].size() == size()) return;
    for (int half = None; half <= Lower; ++half) images_[half] = FaceImage(Half(half));
    redrawNeeded_ = false;
}

void TExSpinButton::paintEvent(QPaintEvent*) {
    PrepareImages();
    QPainter painter(this);
    painter.drawImage(0, 0, images_[pressed_]);
}

// ---- TExSpinEdit

// ---- TExUpDown

TExUpDown::TExUpDown(QWidget* parent) : QWidget(parent), repeatTimer_(new QTimer(this)) {
    connect(repeatTimer_, &QTimer::timeout, this, &TExUpDown::Repeat);
    resize(DefaultWidth(*this), 20);
}

int TExUpDown::DefaultWidth(const QWidget& widget) {
    return IntMin(widget.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &widget), 15);
}

void TExUpDown::PositionChanged(int position) {
    if (busy_) return;
    busy_ = true;
    position_ = position;
    try {
        if (position > 0)
            emit OnClick(btNext);
        else if (position < 0)
            emit OnClick(btPrev);
    } catch (...) {
        position_ = 0;
        busy_ = false;
        throw;
    }
    position_ = 0;
    busy_ = false;
}

void TExUpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = event->position().y() < height() / 2 ? 1 : -1;
    update();
    repeatTimer_->start(kFirstRepeatMs);
    PositionChanged(pressed_);
}

void TExUpDown::Repeat() {
    repeatTimer_->setInterval(kRepeatMs);
    if (pressed_ != 0 && rect().contains(mapFromGlobal(QCursor::pos()))) PositionChanged(pressed_);
}

void TExUpDown::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = 0;
    repeatTimer_->stop();
    update();
}

void TExUpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() != DefaultWidth(*this)) resize(DefaultWidth(*this), height());
}

void TExUpDown::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int half = height() / 2;
    const TRect halves[2] = {{0, 0, width(), half}, {0, half, width(), height()}};
    for (int i = 0; i < 2; ++i) {
        TRect r = halves[i];
        const bool down = pressed_ == (i == 0 ? 1 : -1);
        p.fillRect(r.ToQRect(), ToQColor(clBtnFace));
        if (down) {
            Frame3D(p, r, ToQColor(clBtnShadow), ToQColor(clBtnShadow), 1);
        } else {
            Frame3D(p, r, ToQColor(clBtnFace), ToQColor(clWindowFrame), 1);
            Frame3D(p, r, ToQColor(clBtnHighlight), ToQColor(clBtnShadow), 1);
        }
        // A small filled triangle, pointing up in the upper half, down in the lower.
        const QColor arrow = ToQColor(isEnabled() ? clBtnText : clGrayText);
        const int cx = (halves[i].left + halves[i].right) / 2 + (down ? 1 : 0);
        const int cy = (halves[i].top + halves[i].bottom) / 2 + (down ? 1 : 0);
        for (int row = 0; row < 3; ++row) {
            const int y = i == 0 ? cy - 1 + row : cy + 1 - row;
            p.fillRect(cx - row, y, 2 * row + 1, 1, arrow);
        }
    }
}

// ---- TExSpinEdit

TExSpinEdit::TExSpinEdit(QWidget* parent) : QLineEdit(parent) {
    CreateButton();
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!changing_) emit OnChange();
    });
    setText(QStringLiteral("0"));
    resize(121, 21);
    PlaceButton();
}

TExSpinEdit::~TExSpinEdit() { changing_ = true; }

void TExSpinEdit::SetButtonKind(TSpinButtonKind value) {
    if (value == buttonKind_) return;
    buttonKind_ = value;
    CreateButton();
    PlaceButton();
}

void TExSpinEdit::CreateButton() {
    delete button_;
    button_ = nullptr;
    delete upDown_;
    upDown_ = nullptr;
    if (buttonKind_ == bkStandard) {
        upDown_ = new TExUpDown(this);
        upDown_->setEnabled(isEnabled());
        connect(upDown_, &TExUpDown::OnClick, this, [this](TUDBtnType button) {
            if (focusPolicy() & Qt::TabFocus) setFocus(Qt::MouseFocusReason);
            if (button == btNext)
                StepUp();
            else
                StepDown();
        });
        upDown_->show();
        return;
    }
    button_ = new TExSpinButton(this);
    button_->SetFocusControl(this);
    button_->setEnabled(isEnabled());
    connect(button_, &TExSpinButton::OnTopClick, this, &TExSpinEdit::StepUp);
    connect(button_, &TExSpinButton::OnBottomClick, this, &TExSpinEdit::StepDown);
    button_->show();
}

long double TExSpinEdit::Value() const {
    long double value = 0;
    if (ParseSpinText(text(), valueType_, value)) return value;
    return valueType_ == vtFloat ? minValue_ : static_cast<long double>(Trunc(minValue_));
}

void TExSpinEdit::SetValue(long double value) {
    const QString formatted = Format(ClampToRange(value));
    if (formatted != text()) setText(formatted);
}

int TExSpinEdit::GetSpinIntValue() const { return SaturateI32(Trunc(Value())); }

QString TExSpinEdit::Format(long double value) const { return FormatSpinValue(value, valueType_, decimal_); }

long double TExSpinEdit::ClampToRange(long double value) const {
    if (minValue_ == maxValue_) return value;
    if (value < minValue_) return minValue_;
    if (value > maxValue_) return maxValue_;
    return value;
}

void TExSpinEdit::SetDecimal(quint8 value) {
    if (value == decimal_) return;
    const long double current = Value();
    decimal_ = value;
    SetValue(current);
}

void TExSpinEdit::SetValueType(TValueType value) {
    if (value == valueType_) return;
    const long double current = Value();
    valueType_ = value;
    SetValue(current);
    if (value != vtFloat) {
        increment_ = static_cast<long double>(Round(increment_));
        if (increment_ == 0) increment_ = 1;
    }
}

void TExSpinEdit::SetEditorEnabled(bool value) {
    editorEnabled_ = value;
    setAcceptDrops(value);
}

bool TExSpinEdit::IsValidSpinChar(QChar key) const {
    const char16_t c = key.unicode();
    if (!editorEnabled_) return c < 32 && c != 8;
    if (c < 32) return true;
    if (c == u'+' || c == u'-' || (c >= u'0' && c <= u'9')) return true;
    if (valueType_ == vtFloat) {
        if (key == DecimalSeparator() && !text().contains(key)) return true;
        if ((c == u'e' || c == u'E') && !text().toUpper().contains(u'E')) return true;
    }
    if (valueType_ == vtHex) return (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    return false;
}

bool TExSpinEdit::Step(long double delta) {
    if (isReadOnly()) {
        DefaultBeep();
        return false;
    }
    const QString old = text();
    changing_ = true;
    try {
        SetValue(Value() + delta);
    } catch (...) {
        changing_ = false;
        throw;
    }
    changing_ = false;
    if (text().compare(old, Qt::CaseInsensitive) != 0) {
        setModified(true);
        emit OnChange();
    }
    return true;
}

void TExSpinEdit::StepUp() {
    if (Step(increment_)) emit OnTopClick();
}

void TExSpinEdit::StepDown() {
    if (Step(-increment_)) emit OnBottomClick();
}

void TExSpinEdit::keyPressEvent(QKeyEvent* event) {
    if (arrowKeys_ && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        event->accept();
        if (event->key() == Qt::Key_Up)
            StepUp();
        else
            StepDown();
        return;
    }
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) {
        if (editorEnabled_ && !isReadOnly())
            QLineEdit::keyPressEvent(event);
        else
            event->accept();
        return;
    }
    QChar key;
    if (event->key() == Qt::Key_Backspace)
        key = QChar(8);
    else if (!event->text().isEmpty())
        key = event->text().at(0);
    // Without the editor, Delete is refused like Backspace: the text changes only by steps.
    const bool refusedDelete = !editorEnabled_ && event->key() == Qt::Key_Delete;
    if (refusedDelete || (!key.isNull() && !IsValidSpinChar(key))) {
        event->accept();
        DefaultBeep();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TExSpinEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason) selectAll();
}

void TExSpinEdit::focusOutEvent(QFocusEvent* event) {
    const long double value = Value();
    if (ClampToRange(value) != value) SetValue(value);
    QLineEdit::focusOutEvent(event);
}

void TExSpinEdit::PlaceButton() {
    const int minimum = fontMetrics().height() + 4 + 1;
    setMinimumHeight(minimum);
    const int w = width(), h = height();
    const int border = hasFrame() ? kClassicBorder : 0;
    if (upDown_ != nullptr) {
        const int bw = TExUpDown::DefaultWidth(*this);
        upDown_->setGeometry(w - bw - border, border, bw, h - 2 * border);
        setTextMargins(0, 0, bw + 2, 0);
        return;
    }
    if (hasFrame())
        button_->setGeometry(w - h - 1 + border, -1 + border, h - 3, h - 3);
    else
        button_->setGeometry(w - h, 0, h, h);
    setTextMargins(0, 0, button_->width() + 2, 0);
}

void TExSpinEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void TExSpinEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) PlaceButton();
}

void TExSpinEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    if (!editorEnabled_) {
        for (QAction* action : menu->actions()) {
            const QString name = action->objectName();
            if (name == u"edit-cut" || name == u"edit-paste" || name == u"edit-delete")
                action->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

}  // namespace kordalt
