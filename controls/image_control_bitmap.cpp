#include "controls/image_control_bitmap.h"

#include "controls/draw_utils.h"

#include <QPainter>

#include <atomic>

namespace kordalt {

namespace {

std::atomic<bool> drawLocking{false};

void PlainDraw(const TBitmap& bitmap, QPainter& canvas, const TRect& rect, TColor key) {
    if (bitmap.Empty()) return;
    if (key == clNone) {
        canvas.drawImage(rect.ToQRect(), bitmap.Image);
    } else {
        StretchBitmapRectWithKeyColour(canvas, rect.left, rect.top, rect.Width(), rect.Height(),
                                       {0, 0, bitmap.Image.width(), bitmap.Image.height()}, bitmap.Image, key);
    }
}

}  // namespace

bool BitmapDrawLocking() { return drawLocking.load(); }

void PatchBitmapDraw() { drawLocking.store(true); }

void LockedBitmapDraw(const TBitmap& bitmap, QPainter& canvas, const TRect& rect, TColor key) {
    if (bitmap.Empty()) return;
    bitmap.Lock();
    try {
        PlainDraw(bitmap, canvas, rect, key);
    } catch (...) {
        bitmap.Unlock();
        throw;
    }
    bitmap.Unlock();
}

void TBitmap::Draw(QPainter& canvas, const TRect& rect, TColor key) const {
    if (BitmapDrawLocking()) {
        LockedBitmapDraw(*this, canvas, rect, key);
    } else {
        PlainDraw(*this, canvas, rect, key);
    }
}

}  // namespace kordalt
