#include "controls/draw_utils.h"

#include <QApplication>
#include <QPainter>
#include <mutex>

#include "controls/message_box.h"

namespace kordalt {

namespace {

bool IsMonochrome(const QImage& image) {
    return image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
}

// Opaque `colour` where `shape` is opaque, transparent elsewhere.
QImage Tinted(const QImage& shape, QRgb colour) {
    QImage out(shape.size(), QImage::Format_ARGB32);
    for (int y = 0; y < shape.height(); ++y) {
        for (int x = 0; x < shape.width(); ++x) {
            out.setPixel(x, y, qAlpha(shape.pixel(x, y)) != 0 ? (colour | 0xFF000000u) : 0u);
        }
    }
    return out;
}

void DrawEmbossed(QPainter& painter, const QImage& shape, int x, int y, TColor highlight, TColor shadow,
                  bool drawHighlight) {
    if (drawHighlight) painter.drawImage(x + 1, y + 1, Tinted(shape, ToQRgb(highlight)));
    painter.drawImage(x, y, Tinted(shape, ToQRgb(shadow)));
}

std::mutex cellTextLock;
QImage* cellTextBitmap = nullptr;

}  // namespace

void MaskedTransparentBlit(QPainter& dest, int dstX, int dstY, int dstW, int dstH, const QImage& source,
                           int srcX, int srcY, int srcW, int srcH, TColor key) {
    QImage part = source.copy(srcX, srcY, srcW, srcH).convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = ToQRgb(key) & 0x00FFFFFFu;
    for (int y = 0; y < part.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            line[x] = (line[x] & 0x00FFFFFFu) == keyRgb ? 0u : (line[x] | 0xFF000000u);
        }
    }
    dest.save();
    dest.setRenderHint(QPainter::SmoothPixmapTransform, false);
    dest.setCompositionMode(QPainter::CompositionMode_SourceOver);
    dest.drawImage(QRect(dstX, dstY, dstW, dstH), part);
    dest.restore();
}

void BlitBitmapWithKeyColour(QPainter& dest, const QImage& bitmap, TColor key, int dstX, int dstY, int dstW,
                             int dstH, int srcX, int srcY, int srcW, int srcH) {
    if (bitmap.isNull()) return;
    if (dstW < 1) dstW = bitmap.width();
    if (dstH < 1) dstH = bitmap.height();
    if (srcW < 1 || srcH < 1) {
        srcX = srcY = 0;
        srcW = bitmap.width();
        srcH = bitmap.height();
    }
    if (key == clNone) {
        dest.save();
        dest.setRenderHint(QPainter::SmoothPixmapTransform, false);
        dest.drawImage(QRect(dstX, dstY, dstW, dstH),
                       bitmap.copy(srcX, srcY, srcW, srcH).convertToFormat(QImage::Format_RGB32));
        dest.restore();
        return;
    }
    if (key == clDefault) key = FromQColor(QColor(bitmap.pixel(0, bitmap.height() - 1)));
    if (IsMonochrome(bitmap)) key = clWhite;
    MaskedTransparentBlit(dest, dstX, dstY, dstW, dstH, bitmap, srcX, srcY, srcW, srcH, key);
}

void StretchBitmapRectWithKeyColour(QPainter& dest, int x, int y, int w, int h, const TRect& source,
                                    const QImage& bitmap, TColor key) {
    BlitBitmapWithKeyColour(dest, bitmap, key, x, y, w, h, source.left, source.top, source.Width(),
                            source.Height());
}

void DrawBitmapRectWithKeyColour(QPainter& dest, int x, int y, const TRect& source, const QImage& bitmap,
                                 TColor key) {
    StretchBitmapRectWithKeyColour(dest, x, y, source.Width(), source.Height(), source, bitmap, key);
}

void DrawBitmapWithKeyColour(QPainter& dest, int x, int y, const QImage& bitmap, TColor key) {
    BlitBitmapWithKeyColour(dest, bitmap, key, x, y);
}

QImage ExtractGridCell(const QImage& source, int cols, int rows, int index) {
    if (source.isNull()) return QImage();
    cols = IntMax(cols, 1);
    rows = IntMax(rows, 1);
    index = IntMax(index, 0);
    int cellW = source.width() / cols, cellH = source.height() / rows;
    return source.copy((index % cols) * cellW, (index / cols) * cellH, cellW, cellH);
}

QImage MakeEmbossedGlyph(const QImage& source, TColor outline, TColor back, TColor highlight, TColor shadow,
                         bool drawHighlight) {
    const QRgb background = IsMonochrome(source) ? qRgb(255, 255, 255) : ToQRgb(outline);
    QImage shape(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            bool isBack = (source.pixel(x, y) & 0x00FFFFFFu) == (background & 0x00FFFFFFu);
            shape.setPixel(x, y, isBack ? 0u : 0xFF000000u);
        }
    }
    QImage result(source.size(), QImage::Format_RGB32);
    result.fill(ToQColor(back));
    QPainter painter(&result);
    DrawEmbossed(painter, shape, 0, 0, highlight, shadow, drawHighlight);
    return result;
}

QImage MakeGrayedGlyph(const QImage& source, TColor outline) {
    return MakeEmbossedGlyph(source, outline, clBtnFace, clBtnHighlight, clBtnShadow, true);
}

void DrawImageListEmbossed(QPainter& painter, const QImage& image, int x, int y, TColor highlight,
                           TColor shadow, bool drawHighlight) {
    DrawEmbossed(painter, image.convertToFormat(QImage::Format_ARGB32), x, y, highlight, shadow,
                 drawHighlight);
}

namespace {
// cellTextLock held.
QImage& CellTextBitmap() {
    if (cellTextBitmap == nullptr) cellTextBitmap = new QImage(1, 1, QImage::Format_RGB32);
    return *cellTextBitmap;
}
}  // namespace

void EnsureCellTextBitmap() {
    std::lock_guard lock(cellTextLock);
    CellTextBitmap();
}

void FreeCellTextBitmap() {
    std::lock_guard lock(cellTextLock);
    delete cellTextBitmap;
    cellTextBitmap = nullptr;
}

void RenderCellText(QPainter& canvas, const TRect& r, int dx, int dy, const QString& text,
                    TAlignment alignment, bool wordWrap, bool rightToLeft) {
    const bool direct = !wordWrap && !text.contains(u'\r');
    // The direct path swaps the sides only for left-to-right reading, the scratch path always.
    if (canvas.layoutDirection() == Qt::RightToLeft && (!direct || !rightToLeft) && alignment != taCenter) {
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    }
    if (direct) {
        QFontMetrics metrics(canvas.font(), canvas.device());
        int width = metrics.horizontalAdvance(text);
        int x = alignment == taLeftJustify    ? r.left + dx
                : alignment == taRightJustify ? r.right - width - 3
                                              : r.left + (r.Width() >> 1) - (width >> 1);
        canvas.save();
        canvas.setClipRect(r.ToQRect(), Qt::IntersectClip);
        canvas.fillRect(r.ToQRect(), canvas.brush());
        canvas.drawText(x, r.top + dy + metrics.ascent(), text);
        canvas.restore();
        return;
    }
    std::lock_guard lock(cellTextLock);
    QImage& scratch = CellTextBitmap();
    if (scratch.width() < r.Width() || scratch.height() < r.Height()) {
        scratch = QImage(IntMax(scratch.width(), r.Width()), IntMax(scratch.height(), r.Height()),
                         QImage::Format_RGB32);
    }
    {
        QPainter painter(&scratch);
        painter.setFont(canvas.font());
        painter.setPen(canvas.pen());
        painter.fillRect(0, 0, r.Width(), r.Height(), canvas.brush().color());
        TRect textRect{dx, dy, r.Width() - 1, r.Height() - 1};
        unsigned flags = AlignmentFlag(alignment) | dt::ExpandTabs | dt::NoPrefix;
        if (rightToLeft) flags |= dt::RtlReading;
        if (wordWrap) flags |= dt::WordBreak;
        DrawPlatformText(painter, text, textRect, flags);
    }
    canvas.drawImage(r.left, r.top, scratch, 0, 0, r.Width(), r.Height());
}

void RenderGridCellText(QPainter& canvas, const QString& text, const TRect& r, TAlignment alignment,
                        TVerticalAlignment verticalAlignment, bool wordWrap, bool rightToLeft) {
    int textHeight = QFontMetrics(canvas.font(), canvas.device()).height();  // the height of "W"
    int dy = verticalAlignment == vaTop      ? 2
             : verticalAlignment == vaCenter ? IntMax(1, (r.Height() - textHeight) / 2)
                                             : IntMax(2, r.Height() - textHeight);
    RenderCellText(canvas, r, 2, dy, text, alignment, wordWrap, rightToLeft);
}

QString FitTextWithEllipsis(const QString& s, const QFontMetrics& metrics, int maxWidth) {
    QString result = s;
    for (qsizetype i = 1; i <= s.size();) {
        if (metrics.horizontalAdvance(result) <= maxWidth) break;
        ++i;
        result = s.left(std::max<qsizetype>(0, s.size() - i)) + QStringLiteral("...");
    }
    return result;
}

void ReportNotImplemented() {
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    RunMessageBox(TMsgType::Information, QString::fromUtf8("Функция не реализована"), nullptr);
    throw EAbort();
}

void DefaultBeep() { QApplication::beep(); }

}  // namespace kordalt
