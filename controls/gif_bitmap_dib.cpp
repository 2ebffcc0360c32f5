#include "controls/gif_bitmap_dib.h"

#include <QBuffer>
#include <QImage>

#include "controls/colour_reduction.h"

namespace kordalt {

namespace {

std::vector<std::uint8_t> SavedBMP(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {bytes.begin(), bytes.end()};
}

bool IsPaletteBitmap(const QImage& image) {
    const QImage::Format format = image.format();
    return format == QImage::Format_Mono || format == QImage::Format_MonoLSB ||
           format == QImage::Format_Indexed8;
}

}  // namespace

std::vector<std::uint8_t> GIFFrameBMP(const QImage& image, bool& grayscale) {
    if (IsPaletteBitmap(image)) return SavedBMP(image);
    const TColorMapping method = grayscale ? cmGrayscale : DefaultColorMapping;
    std::vector<std::uint8_t> bmp = BitmapToDIBStream(image, 8, method);
    if (method == cmGrayscale) grayscale = true;
    return bmp.empty() ? SavedBMP(image) : bmp;
}

}  // namespace kordalt
