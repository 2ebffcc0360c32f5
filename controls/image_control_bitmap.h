// A bitmap with its own re-entrant canvas lock, and the process-wide switch that
// makes every draw of a bitmap hold that lock (for bitmaps a timer thread composes).
#pragma once

#include "controls/classic.h"

#include <QImage>

#include <mutex>

class QPainter;

namespace kordalt {

class TBitmap {
public:
    TBitmap() = default;
    explicit TBitmap(QImage image) : Image(std::move(image)) {}
    TBitmap(const TBitmap& other) : Image(other.Image) {}
    TBitmap& operator=(const TBitmap& other) {
        Image = other.Image;
        return *this;
    }

    bool Empty() const { return Image.isNull() || Image.width() < 1 || Image.height() < 1; }
    void Lock() const { canvasLock_.lock(); }
    void Unlock() const { canvasLock_.unlock(); }

    // Stretches the bitmap into `rect`, leaving out `key` unless it is clNone.
    // Holds the canvas lock while BitmapDrawLocking is on and the bitmap is not empty.
    void Draw(QPainter& canvas, const TRect& rect, TColor key = clNone) const;

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
