// Colour reduction with GIF encoding: a 24-bit picture made from the input is
// reduced by one of the mapping methods, encoded as a GIF and read back; every
// pixel must show the palette colour the reduction chose for it.
#include <QImage>
#include <cstdint>
#include <cstdlib>

#include "controls/colour_reduction.h"
#include "controls/gif_image.h"

namespace {

using namespace kordalt;

void Check(bool condition) {
    if (!condition) std::abort();
}

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool AtEnd() const { return pos_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto method = static_cast<TColorMapping>(in.Byte() % 6);
    const int width = 1 + in.Byte() % 48, height = 1 + in.Byte() % 48;
    // Colours from the input, repeated in runs so that pictures have few and many colours.
    QImage picture(width, height, QImage::Format_RGB32);
    const int spread = 1 + in.Byte();
    QRgb colour = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((x + y * width) % spread == 0) colour = qRgb(in.Byte(), in.Byte(), in.Byte());
            picture.setPixel(x, y, colour);
        }
    }
    const std::vector<uint8_t> reduced = BitmapToDIBStream(picture, 8, method);
    Check(reduced.size() >= 54 + 1024 && Le32(reduced, 10) == 54 + 1024);
    const uint8_t* indices = reduced.data() + 54 + 1024;
    const int stride = (width + 3) / 4 * 4;

    const TColorMapping saved = DefaultColorMapping;
    DefaultColorMapping = method;
    TGIFImage gif;
    gif.AppendFrame(TBitmap(picture));
    const QByteArray file = gif.WriteGIFStream(false);
    DefaultColorMapping = saved;
    TGIFImage back;
    back.LoadFromBytes(file);
    Check(back.Count() == 1 && !back.Frames(0).Corrupted);
    const QImage& decoded = back.Frames(0).GetFrameBitmap().Image;
    Check(decoded.width() == width && decoded.height() == height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int index = indices[static_cast<size_t>(height - 1 - y) * stride + x];
            const uint8_t* quad = reduced.data() + 54 + 4 * index;
            Check(decoded.pixel(x, y) == qRgb(quad[2], quad[1], quad[0]));
            if (method == cmGrayscale) Check(qRed(decoded.pixel(x, y)) == qGreen(decoded.pixel(x, y)));
        }
    }
    return 0;
}
