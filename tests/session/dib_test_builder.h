// Hand-made packed DIBs and BMP files for the bitmap tests.
#pragma once

#include <cstdint>
#include <vector>

#include "session/dib_image.h"

namespace kordalt::dibtest {

struct DibSpec {
    uint32_t headerSize = 40;  // 12 gives a core header
    int32_t width = 0, height = 0;
    uint16_t bitCount = 8;
    uint32_t compression = BI_RGB;
    int64_t sizeImage = -1;  // -1: the data size
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;
    std::vector<TRGBQuad> table;
    std::vector<uint8_t> data;
};

inline void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline std::vector<uint8_t> PackedDib(const DibSpec& s) {
    std::vector<uint8_t> out;
    Put(out, s.headerSize, 4);
    if (s.headerSize == 12) {
        Put(out, uint32_t(s.width), 2);
        Put(out, uint32_t(s.height), 2);
        Put(out, 1, 2);
        Put(out, s.bitCount, 2);
    } else {
        Put(out, uint32_t(s.width), 4);
        Put(out, uint32_t(s.height), 4);
        Put(out, 1, 2);
        Put(out, s.bitCount, 2);
        Put(out, s.compression, 4);
        Put(out, uint32_t(s.sizeImage < 0 ? s.data.size() : s.sizeImage), 4);
        Put(out, 2835, 4);
        Put(out, 2835, 4);
        Put(out, s.colorsUsed, 4);
        Put(out, 0, 4);
    }
    for (uint32_t m : s.masks) Put(out, m, 4);
    for (const TRGBQuad& q : s.table) {
        out.push_back(q.rgbBlue);
        out.push_back(q.rgbGreen);
        out.push_back(q.rgbRed);
        if (s.headerSize != 12) out.push_back(q.rgbReserved);
    }
    out.insert(out.end(), s.data.begin(), s.data.end());
    return out;
}

inline std::vector<uint8_t> BmpFile(const DibSpec& s) {
    const std::vector<uint8_t> packed = PackedDib(s);
    std::vector<uint8_t> out = {'B', 'M'};
    Put(out, uint32_t(packed.size() + 14), 4);
    Put(out, 0, 4);
    Put(out, uint32_t(packed.size() + 14 - s.data.size()), 4);
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

// A table of distinct colours: entry i = (red 10 i, green 255 - i, blue 3 i).
inline std::vector<TRGBQuad> DistinctTable(int count) {
    std::vector<TRGBQuad> table;
    for (int i = 0; i < count; ++i) table.push_back({uint8_t(3 * i), uint8_t(255 - i), uint8_t(10 * i), 0});
    return table;
}

// RLE4 data of encoded runs only, one end of line per row and an end of
// bitmap; rows bottom first, each row a list of 4-bit values.
inline std::vector<uint8_t> EncodeRle4Runs(const std::vector<std::vector<uint8_t>>& rowsBottomUp) {
    std::vector<uint8_t> out;
    for (const auto& row : rowsBottomUp) {
        for (size_t x = 0; x < row.size();) {
            size_t n = 1;
            while (x + n < row.size() && n < 255 && row[x + n] == row[x]) ++n;
            out.push_back(uint8_t(n));
            out.push_back(uint8_t(row[x] << 4 | row[x]));
            x += n;
        }
        out.push_back(0);
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(1);
    return out;
}

}  // namespace kordalt::dibtest
