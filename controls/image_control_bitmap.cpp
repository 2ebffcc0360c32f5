#include "controls/image_control_bitmap.h"

#include <QIODevice>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <atomic>

#include "controls/clipboard.h"
#include "controls/draw_utils.h"
#include "platform/graphic_errors.h"

namespace kordalt {

namespace {

std::atomic<bool> drawLocking{false};

void PlainDraw(const TBitmap& bitmap, QPainter& canvas, const TRect& rect, TColor key) {
    if (bitmap.Empty()) return;
    if (key == clNone) {
        canvas.drawImage(rect.ToQRect(), bitmap.Image);
    } else {
        StretchBitmapRectWithKeyColour(canvas, rect.left, rect.top, rect.Width(), rect.Height(),
                                       {0, 0, bitmap.Image.width(), bitmap.Image.height()}, bitmap.Image,
                                       key);
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

void TBitmap::LoadFromStream(QIODevice& stream) {
    QImageReader reader(&stream, "BMP");
    const QSize size = reader.size();
    CheckPictureSize(size.width(), size.height());
    QImage image;
    if (!reader.read(&image)) throw EInvalidGraphic("Bitmap image is not valid");
    Image = std::move(image);
}

void TBitmap::SaveToStream(QIODevice& stream) {
    if (!Image.save(&stream, "BMP")) throw std::runtime_error("Stream write error");
}

void TBitmap::LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) {
    QImage image = format == CF_BITMAP ? qvariant_cast<QImage>(data.imageData()) : QImage();
    if (image.isNull()) throw EInvalidGraphic("Bitmap image is not valid");
    Image = std::move(image);
}

void TBitmap::SaveToClipboardFormat(QMimeData& data) { data.setImageData(Image); }

void TBitmap::Assign(const TGraphic* source) {
    if (source == this) return;
    if (!source) {
        Image = QImage();
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        Image = bitmap->Image;
    } else {
        CheckPictureSize(source->Width(), source->Height());
        QImage image(source->Width(), source->Height(), QImage::Format_RGB32);
        image.fill(Qt::white);
        if (!image.isNull()) {
            QPainter painter(&image);
            source->Draw(painter, {0, 0, image.width(), image.height()});
        }
        Image = std::move(image);
    }
}

}  // namespace kordalt
