// Drawing helpers shared by the controls: key-colour blits, grid cells,
// embossed glyphs, cell text and captions shortened with an ellipsis.
#pragma once

#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QString>

#include "controls/classic.h"

class QPainter;

namespace kordalt {

constexpr int IntMax(int a, int b) { return a > b ? a : b; }
constexpr int IntMin(int a, int b) { return a < b ? a : b; }
constexpr int RectWidth(const TRect& r) { return r.right - r.left; }
constexpr int RectHeight(const TRect& r) { return r.bottom - r.top; }
// All four edges count as inside.
constexpr bool PointInRectInclusive(QPoint p, const TRect& r) {
    return r.left <= p.x() && p.x() <= r.right && r.top <= p.y() && p.y() <= r.bottom;
}
inline TColor PaletteRelativeColor(TColor c) { return ColorToRGB(c) | 0x02000000u; }

// Copies the source rectangle stretched (nearest pixel) onto the destination
// rectangle; source pixels of `key` (0x00BBGGRR) stay transparent.
void MaskedTransparentBlit(QPainter& dest, int dstX, int dstY, int dstW, int dstH, const QImage& source,
                           int srcX, int srcY, int srcW, int srcH, TColor key);
// dstW/dstH < 1: the bitmap's size; srcW or srcH < 1: the whole bitmap.
// clNone: opaque; clDefault: the bottom-left pixel; a monochrome bitmap keys white.
void BlitBitmapWithKeyColour(QPainter& dest, const QImage& bitmap, TColor key, int dstX, int dstY,
                             int dstW = 0, int dstH = 0, int srcX = 0, int srcY = 0, int srcW = 0,
                             int srcH = 0);
void StretchBitmapRectWithKeyColour(QPainter& dest, int x, int y, int w, int h, const TRect& source,
                                    const QImage& bitmap, TColor key);
void DrawBitmapRectWithKeyColour(QPainter& dest, int x, int y, const TRect& source, const QImage& bitmap,
                                 TColor key);
void DrawBitmapWithKeyColour(QPainter& dest, int x, int y, const QImage& bitmap, TColor key);

// Cell `index` of `source` seen as cols x rows equal cells numbered row by row.
QImage ExtractGridCell(const QImage& source, int cols, int rows, int index);

// Src's shape as a flat silhouette in `shadow` (and a copy in `highlight` one pixel
// right and down) on `back`; pixels of `outline` in Src are background.
QImage MakeEmbossedGlyph(const QImage& source, TColor outline, TColor back, TColor highlight, TColor shadow,
                         bool drawHighlight);
QImage MakeGrayedGlyph(const QImage& source, TColor outline);
// The same look drawn straight onto the painter from an image with an alpha mask.
void DrawImageListEmbossed(QPainter& painter, const QImage& image, int x, int y, TColor highlight,
                           TColor shadow, bool drawHighlight);

enum TVerticalAlignment { vaTop, vaCenter, vaBottom };

// Text in `r` offset by dx (left alignment only) and dy; filled with the painter's brush.
void RenderCellText(QPainter& canvas, const TRect& r, int dx, int dy, const QString& text,
                    TAlignment alignment, bool wordWrap, bool rightToLeft);
void RenderGridCellText(QPainter& canvas, const QString& text, const TRect& r, TAlignment alignment,
                        TVerticalAlignment verticalAlignment, bool wordWrap, bool rightToLeft);
void EnsureCellTextBitmap();
void FreeCellTextBitmap();

// `s` when it fits in maxWidth, else cut and followed by "...".
QString FitTextWithEllipsis(const QString& s, const QFontMetrics& metrics, int maxWidth);

// Resets the cursor, says that the function is not implemented and raises EAbort.
[[noreturn]] void ReportNotImplemented();
void DefaultBeep();

}  // namespace kordalt
