// The classic desktop look the controls are drawn in, and the few platform
// services Qt lacks: system colours, 3-D frames, text drawing with the classic
// format flags, caption accelerators, library cursors, a form's modal result,
// the silent abort and the application's exception handling.
#pragma once

#include <QColor>
#include <QCursor>
#include <QPalette>
#include <QRect>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>

#include "platform/colors.h"

class QFont;
class QObject;
class QPainter;
class QShortcut;
class QWidget;

namespace kordalt {

// RGB value (0x00BBGGRR) of a colour; system colours take the classic scheme.
TColor ColorToRGB(TColor colour);
QColor ToQColor(TColor colour);
QRgb ToQRgb(TColor colour);
TColor FromQColor(const QColor& colour);

// A colour of the widget's palette (the parent's until the widget sets its own):
// Window is a control's Color, WindowText its font colour.
TColor PaletteColor(const QWidget& widget, QPalette::ColorRole role);
void SetPaletteColor(QWidget& widget, QPalette::ColorRole role, TColor colour);

// A rectangle with exclusive right and bottom edges.
struct TRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return left >= right || top >= bottom; }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    static TRect FromQRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }
    TRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    TRect Inflate(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
    TRect United(const TRect& o) const;
    bool operator==(const TRect&) const = default;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Draws the 1..width pixel wide frame: top and left in `top`, bottom and right in
// `bottom`; `rect` shrinks by the width.
void Frame3D(QPainter& painter, TRect& rect, const QColor& top, const QColor& bottom, int width);

// Text drawing with the classic format flags.
namespace dt {
constexpr unsigned Left = 0x0, Center = 0x1, Right = 0x2, VCenter = 0x4, Bottom = 0x8, WordBreak = 0x10,
                   SingleLine = 0x20, ExpandTabs = 0x40, NoClip = 0x100, CalcRect = 0x400, NoPrefix = 0x800,
                   RtlReading = 0x20000;
}
// Draws `text` in `rect` with the painter's font and pen; with dt::CalcRect only
// measures: `rect` keeps its top-left corner and takes the text's size. Returns the
// text height (0 for an empty text). Without dt::NoPrefix "&" marks the accelerator.
int DrawPlatformText(QPainter& painter, const QString& text, TRect& rect, unsigned format);
// Measuring without a painter of one's own (the screen's canvas).
int MeasurePlatformText(const QFont& font, const QString& text, TRect& rect, unsigned format);
unsigned AlignmentFlag(TAlignment alignment);
// CR LF, LF CR, lone CR and lone LF each become one "\n".
QString NormalizeLineBreaks(const QString& text);

// The character after a single "&" of a caption (null when there is none).
QChar AccelCharOf(const QString& caption);

// Alt + the caption's accelerator runs `onAccel` while the owner's window is active.
class CaptionAccelerator {
public:
    CaptionAccelerator(QWidget* owner, std::function<void()> onAccel);
    void SetCaption(const QString& caption, bool showAccelChar = true);

private:
    QShortcut* shortcut_;
};

// Library cursors in the screen's cursor table.
constexpr int crDefault = 0, crHandCursor = 14000, crDragCursor = 14001;
void RegisterLibraryCursors();
QCursor ScreenCursor(int id);

// The modal result of the form that holds `control`: a dialog closes with a result
// other than 0.
void SetFormModalResult(QWidget* control, int result);
int FormModalResult(QWidget* control);

// True while one of the application's windows is the active window.
bool AppWindowIsActive();
// The enabled control lies under the cursor in an active application.
bool MouseIsOver(const QWidget& control);

// The silent abort: ends an operation without a further message.
class EAbort : public std::runtime_error {
public:
    EAbort() : std::runtime_error("Operation aborted") {}
};

// The application's exception event: when set it receives every exception that
// application-level handling reports; otherwise a standard message box shows it.
using ExceptionHandler = std::function<void(QObject* sender, std::exception_ptr error)>;
void SetApplicationExceptionHandler(ExceptionHandler handler);
// User-interface thread; EAbort is ignored.
void HandleApplicationException(QObject* sender, std::exception_ptr error);
// Runs `action`; an exception it raises goes to HandleApplicationException, so
// that none leaves an event handler into Qt.
void RunHandled(QObject* sender, const std::function<void()>& action);

}  // namespace kordalt
