// Differential check of the BMP reader against Qt's: a file that both accept
// must have the same size and the same colour at every pixel (16-bit channels
// compared at their own depth; palette indices outside the colour table skipped).
// Damaged RLE data is repaired differently by each reader and is not compared.
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>

#include "session/dib.h"

namespace {

using namespace kordalt;

constexpr int kMaxPixels = 1 << 18;

// The palette index of a pixel, or -1 above 8 bits.
int PaletteIndex(const TDIBSharedImage& image, int x, int y) {
    const uint8_t* row = image.Pixels() + static_cast<size_t>(image.Height() - 1 - y) * image.WidthBytes();
    switch (image.BitCount()) {
        case 1:
            return (row[x / 8] >> (7 - x % 8)) & 1;
        case 4:
            return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        case 8:
            return row[x];
        default:
            return -1;
    }
}

uint32_t ColoursUsed(const uint8_t* data, size_t size) {
    if (size < 14 + 40 || (data[14] | data[15] << 8) != 40) return 256;
    const uint32_t used = data[46] | data[47] << 8 | data[48] << 16 | uint32_t(data[49]) << 24;
    return used == 0 ? 256 : used;
}

// RLE data that writes every pixel once, row by row, without moves, and ends
// with an end of bitmap (pixels it leaves out have no defined colour).
bool CleanRle(const TDIBSharedImage& image) {
    const bool nibbles = image.Compression() == BI_RLE4;
    const uint8_t* data = image.Pixels();
    const size_t size = image.DataSize();
    int64_t x = 0, y = 0;
    const int64_t width = image.Width(), height = image.Height();
    for (size_t pos = 0; pos + 2 <= size;) {
        const uint8_t first = data[pos], second = data[pos + 1];
        pos += 2;
        if (first != 0) {
            if (y >= height || x + first > width) return false;
            x += first;
        } else if (second == 0) {
            if (x != width) return false;
            x = 0;
            ++y;
        } else if (second == 1) {
            return (y == height - 1 && x == width) || (y == height && x == 0);
        } else if (second == 2) {
            return false;
        } else {
            const size_t bytes = nibbles ? (second + 1u) / 2 : second;
            if (y >= height || x + second > width || pos + bytes > size) return false;
            x += second;
            pos += bytes;
            pos += pos & 1;
        }
    }
    return false;
}

// A pixel offset that points into the headers or the colour table is repaired
// differently by each reader.
bool OffsetInsideHeaders(const uint8_t* data, size_t size, const TDIB& dib) {
    const auto u32 = [&](size_t at) {
        return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | uint32_t(data[at + 3]) << 24;
    };
    const uint32_t header = u32(14);
    const bool core = header == 12;
    const bool masks = !core && u32(30) == BI_BITFIELDS;
    uint32_t colours = core ? 0 : u32(46);
    if (colours == 0 && dib.BitCount() <= 8) colours = 1u << dib.BitCount();
    colours = std::min<uint32_t>(colours, 256);
    return u32(10) < 14 + header + (masks ? 12 : 0) + colours * (core ? 3 : 4);
}

bool SameChannel(int ours, int theirs, int bits) { return (ours >> (8 - bits)) == (theirs >> (8 - bits)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDIB dib;
    TDibReadStream stream(std::span<const uint8_t>(data, size));
    try {
        dib.LoadFromStream(stream);
    } catch (const std::exception&) {
        return 0;
    }
    if (dib.Empty() || int64_t(dib.Width()) * dib.Height() > kMaxPixels) return 0;
    if (OffsetInsideHeaders(data, size, dib) || (dib.Image()->Compressed() && !CleanRle(*dib.Image())))
        return 0;

    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QImage theirs = reader.read().convertToFormat(QImage::Format_RGB32);
    if (theirs.isNull()) return 0;
    if (theirs.width() != dib.Width() || theirs.height() != dib.Height()) {
        std::fprintf(stderr, "size %dx%d, Qt %dx%d\n", dib.Width(), dib.Height(), theirs.width(),
                     theirs.height());
        std::abort();
    }
    TDIBSharedImage expanded;
    expanded.Decompress(*dib.Image(), true);
    const QImage ours = DibToQImage(expanded);
    const TDIBPixelFormat& f = dib.PixelFormat();
    const bool masked = dib.BitCount() == 16 || dib.BitCount() == 32;
    const uint32_t colours = std::min<uint32_t>(ColoursUsed(data, size), uint32_t(dib.PaletteCount()));
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            const int index = PaletteIndex(expanded, x, y);
            if (index >= 0 && uint32_t(index) >= colours) continue;
            const QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
            const bool same = masked ? SameChannel(qRed(a), qRed(b), f.RBitCount) &&
                                           SameChannel(qGreen(a), qGreen(b), f.GBitCount) &&
                                           SameChannel(qBlue(a), qBlue(b), f.BBitCount)
                                     : (a & 0xFFFFFF) == (b & 0xFFFFFF);
            if (!same) {
                std::fprintf(stderr, "%d-bit, compression %u, pixel (%d, %d): %06x, Qt %06x\n",
                             dib.BitCount(), dib.Image()->Compression(), x, y, a & 0xFFFFFF, b & 0xFFFFFF);
                std::abort();
            }
        }
    }
    return 0;
}
