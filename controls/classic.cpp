#include "controls/classic.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMap>
#include <QPainter>
#include <QShortcut>
#include <QWidget>
#include <array>
#include <mutex>

#include "controls/message_box.h"

namespace kordalt {

namespace {

// The classic 3-D scheme, indexed by system colour number.
constexpr std::array<TColor, 25> kSystemColours = {
    0xC8D0D4, 0x808000, 0x6A240A,
    0x808080, 0xC0C0C0,  // scroll bar, desktop, captions, menu
    0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF,  // window, frame, menu text, window text, caption text
    0xC0C0C0, 0xC0C0C0, 0x808080,
    0x800000, 0xFFFFFF,  // borders, app workspace, highlight, highlight text
    0xC0C0C0, 0x808080, 0x808080,
    0x000000, 0xC0C0C0,  // button face, shadow, grey text, button text, inactive caption text
    0xFFFFFF, 0x404040, 0xDFDFDF,
    0x000000, 0xE1FFFF,  // button highlight, dark shadow, light, info text, info back
};

int QtTextFlags(unsigned format) {
    int flags = Qt::AlignAbsolute;
    flags |= (format & dt::Center) ? Qt::AlignHCenter : (format & dt::Right) ? Qt::AlignRight : Qt::AlignLeft;
    flags |= (format & dt::VCenter)  ? Qt::AlignVCenter
             : (format & dt::Bottom) ? Qt::AlignBottom
                                     : Qt::AlignTop;
    if (format & dt::WordBreak) flags |= Qt::TextWordWrap;
    if (format & dt::SingleLine) flags |= Qt::TextSingleLine;
    if (format & dt::ExpandTabs) flags |= Qt::TextExpandTabs;
    if (format & dt::NoClip) flags |= Qt::TextDontClip;
    if (!(format & dt::NoPrefix)) flags |= Qt::TextShowMnemonic;
    return flags;
}

QString LineBreaksOf(const QString& text, unsigned format) {
    return (format & dt::SingleLine) ? text : NormalizeLineBreaks(text);
}

int Measure(const QFontMetrics& metrics, const QString& text, TRect& rect, unsigned format) {
    if (text.isEmpty()) {
        rect.right = rect.left;
        rect.bottom = rect.top;
        return 0;
    }
    constexpr int kUnbounded = 1 << 20;
    int width = (format & dt::WordBreak) ? std::max(rect.Width(), 1) : kUnbounded;
    int flags = QtTextFlags(format & ~(dt::Center | dt::Right | dt::VCenter | dt::Bottom));
    QRect bounds = metrics.boundingRect(QRect(0, 0, width, kUnbounded), flags, LineBreaksOf(text, format));
    rect.right = rect.left + bounds.width();
    rect.bottom = rect.top + bounds.height();
    return bounds.height();
}

ExceptionHandler& ApplicationHandler() {
    static ExceptionHandler handler;
    return handler;
}

}  // namespace

TColor ColorToRGB(TColor colour) {
    if ((colour & 0xFF000000u) == 0x80000000u) {
        unsigned index = colour & 0xFFu;
        return index < kSystemColours.size() ? kSystemColours[index] : 0;
    }
    return colour & 0x00FFFFFFu;
}

QRgb ToQRgb(TColor colour) {
    TColor rgb = ColorToRGB(colour);
    return qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QColor ToQColor(TColor colour) { return QColor(ToQRgb(colour)); }

TColor FromQColor(const QColor& colour) {
    return TColor(colour.red()) | TColor(colour.green()) << 8 | TColor(colour.blue()) << 16;
}

TColor PaletteColor(const QWidget& widget, QPalette::ColorRole role) {
    return FromQColor(widget.palette().color(QPalette::Active, role));
}

void SetPaletteColor(QWidget& widget, QPalette::ColorRole role, TColor colour) {
    QPalette colours = widget.palette();
    colours.setColor(role, ToQColor(colour));
    widget.setPalette(colours);
}

TRect TRect::United(const TRect& o) const {
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
}

void Frame3D(QPainter& painter, TRect& rect, const QColor& top, const QColor& bottom, int width) {
    int lastX = rect.right - 1, lastY = rect.bottom - 1;
    int x = rect.left, y = rect.top;
    for (int i = 0; i < width; ++i) {
        painter.fillRect(x, y, lastX - x, 1, top);
        painter.fillRect(x, y, 1, lastY - y, top);
        painter.fillRect(lastX, y, 1, lastY - y + 1, bottom);
        painter.fillRect(x, lastY, lastX - x + 1, 1, bottom);
        ++x, ++y, --lastX, --lastY;
    }
    rect = {x, y, lastX + 1, lastY + 1};
}

int DrawPlatformText(QPainter& painter, const QString& text, TRect& rect, unsigned format) {
    QFontMetrics metrics(painter.font(), painter.device());
    if (format & dt::CalcRect) return Measure(metrics, text, rect, format);
    if (text.isEmpty()) return 0;
    TRect measured = rect;
    int height = Measure(metrics, text, measured, format);
    Qt::LayoutDirection direction = painter.layoutDirection();
    painter.setLayoutDirection((format & dt::RtlReading) ? Qt::RightToLeft : Qt::LeftToRight);
    painter.drawText(rect.ToQRect(), QtTextFlags(format), LineBreaksOf(text, format));
    painter.setLayoutDirection(direction);
    return height;
}

int MeasurePlatformText(const QFont& font, const QString& text, TRect& rect, unsigned format) {
    return Measure(QFontMetrics(font), text, rect, format | dt::CalcRect);
}

QString NormalizeLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            out += c;
            continue;
        }
        if (i + 1 < text.size() && (text[i + 1] == u'\r' || text[i + 1] == u'\n') && text[i + 1] != c) ++i;
        out += u'\n';
    }
    return out;
}

unsigned AlignmentFlag(TAlignment alignment) {
    switch (alignment) {
        case taRightJustify:
            return dt::Right;
        case taCenter:
            return dt::Center;
        default:
            return dt::Left;
    }
}

QChar AccelCharOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (caption[i + 1] != u'&') return caption[i + 1];
        ++i;
    }
    return QChar();
}

CaptionAccelerator::CaptionAccelerator(QWidget* owner, std::function<void()> onAccel)
    : shortcut_(new QShortcut(owner)) {
    shortcut_->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut_, &QShortcut::activated, shortcut_,
                     [owner, onAccel = std::move(onAccel)] { RunHandled(owner, onAccel); });
}

void CaptionAccelerator::SetCaption(const QString& caption, bool showAccelChar) {
    const QChar accel = AccelCharOf(caption);
    if (!showAccelChar || accel.isNull()) {
        shortcut_->setKey(QKeySequence());
        return;
    }
    shortcut_->setKey(QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(accel.toUpper().unicode()))));
}

namespace {
std::mutex cursorsLock;
QMap<int, QCursor>& CursorTable() {
    static QMap<int, QCursor> table;
    return table;
}
}  // namespace

void RegisterLibraryCursors() {
    std::lock_guard lock(cursorsLock);
    CursorTable().insert(crHandCursor, QCursor(Qt::PointingHandCursor));
    CursorTable().insert(crDragCursor, QCursor(Qt::DragMoveCursor));
}

QCursor ScreenCursor(int id) {
    std::lock_guard lock(cursorsLock);
    return CursorTable().value(id, QCursor(Qt::ArrowCursor));
}

void SetFormModalResult(QWidget* control, int result) {
    if (control == nullptr) return;
    QWidget* form = control->window();
    form->setProperty("ModalResult", result);
    auto* dialog = qobject_cast<QDialog*>(form);
    if (dialog != nullptr && result != 0 && dialog->isModal()) dialog->done(result);
}

int FormModalResult(QWidget* control) {
    return control == nullptr ? 0 : control->window()->property("ModalResult").toInt();
}

bool AppWindowIsActive() { return QApplication::activeWindow() != nullptr; }

bool MouseIsOver(const QWidget& control) {
    return control.isEnabled() && QApplication::widgetAt(QCursor::pos()) == &control && AppWindowIsActive();
}

void SetApplicationExceptionHandler(ExceptionHandler handler) { ApplicationHandler() = std::move(handler); }

void HandleApplicationException(QObject* sender, std::exception_ptr error) {
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unknown exception");
    }
    if (ApplicationHandler()) {
        ApplicationHandler()(sender, error);
        return;
    }
    RunMessageBox(TMsgType::Error, text, nullptr);
}

void RunHandled(QObject* sender, const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        HandleApplicationException(sender, std::current_exception());
    }
}

}  // namespace kordalt
