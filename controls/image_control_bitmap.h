// A bitmap with its own re-entrant canvas lock, and the process-wide switch that
// makes every draw of a bitmap hold that lock (for bitmaps a timer thread composes).
#pragma once

#include <QImage>
#include <mutex>

#include "controls/classic.h"
#include "controls/graphic.h"

class QPainter;

namespace kordalt {

class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    explicit TBitmap(QImage image) : Image(std::move(image)) {}
    TBitmap(const TBitmap& other) : TGraphic(), Image(other.Image) {}
    TBitmap& operator=(const TBitmap& other) {
        Image = other.Image;
        return *this;
    }

    const char* ClassName() const override { return "TBitmap"; }
    bool Empty() const override { return Image.isNull() || Image.width() < 1 || Image.height() < 1; }
    int Width() const override { return Image.width(); }
    int Height() const override { return Image.height(); }
    void Lock() const { canvasLock_.lock(); }
    void Unlock() const { canvasLock_.unlock(); }

    void Draw(QPainter& canvas, const TRect& rect) const override { Draw(canvas, rect, clNone); }
    // Stretches the bitmap into `rect`, leaving out `key` unless it is clNone.
    // Holds the canvas lock while BitmapDrawLocking is on and the bitmap is not empty.
    void Draw(QPainter& canvas, const TRect& rect, TColor key) const;

    // A BMP file; "Bitmap image is not valid" for anything else.
    void LoadFromStream(QIODevice& stream) override;
    void SaveToStream(QIODevice& stream) override;
    // The plain bitmap format (CF_BITMAP).
    void LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) override;
    void SaveToClipboardFormat(QMimeData& data) override;
    // Null empties; another picture is drawn on white at its own size.
    void Assign(const TGraphic* source) override;

    QImage Image;

private:
    mutable std::recursive_mutex canvasLock_;
};

// Once on, every TBitmap::Draw takes the bitmap's canvas lock; never switched off.
bool BitmapDrawLocking();
void PatchBitmapDraw();
// Draw under the bitmap's canvas lock (empty bitmaps are drawn without it).
void LockedBitmapDraw(const TBitmap& bitmap, QPainter& canvas, const TRect& rect, TColor key = clNone);

}  // namespace kordalt
