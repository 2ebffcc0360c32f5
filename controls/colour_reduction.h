// Colour reduction: a bitmap written as a BMP file image at 1, 4, 8 or 24 bits
// per pixel; an 8-bit target gets its palette from one of six colour-mapping
// methods. The mapping works on plain 24-bit bottom-up DIB rows and needs no Qt.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/graphic_errors.h"
#include "platform/rgb_quad.h"

class QImage;

namespace kordalt {

enum TColorMapping : uint8_t { cmHistogram, cmMedianCut, cmFixed784, cmFixed666, cmRamps, cmGrayscale };
extern TColorMapping DefaultColorMapping;

// Entry v of each table: the index of the level nearest to v (the lower one on
// ties) among 4 (0, 85, 170, 255), 6, 7 and 8 evenly spread levels.
struct TTruncLevelTables {
    std::array<uint8_t, 256> t4, t6, t7, t8;
};
const TTruncLevelTables& TruncLevelTables();

// Bytes per row of a DIB, padded to 4 bytes.
int DibRowSize(int width, int bitCount);

// 8-bit result of a mapping: rows padded to 4 bytes, bottom-up like the input.
struct TMappedDib {
    TColorTable table{};
    uint32_t usedColours = 0;  // the info header's used-colour count; 0 = all 256
    std::vector<uint8_t> bits;
};
// Maps 24-bit rows (blue, green, red; padded to 4 bytes; `bits` holds
// DibRowSize(width, 24) x height bytes) to palette indices.
TMappedDib MapDib24(const uint8_t* bits, int width, int height, TColorMapping method);

// A BMP file image of `bitmap` at 1, 4, 8 or 24 bits. A null image throws
// EInvalidGraphic; another bit count ends in ReportNotImplemented.
std::vector<uint8_t> BitmapToDIBStream(const QImage& bitmap, int bitCount, TColorMapping method);
// 1, 4 or 8 bits for at most 2, 16 or 256 colours, else 24; DefaultColorMapping.
std::vector<uint8_t> BitmapToDIBStreamByColors(const QImage& bitmap, int colors);

}  // namespace kordalt
