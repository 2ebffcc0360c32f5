// A colour-table entry of a device-independent bitmap, and a full table.
#pragma once

#include <array>
#include <cstdint>

namespace kordalt {

struct TRGBQuad {
    uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};
using TColorTable = std::array<TRGBQuad, 256>;

}  // namespace kordalt
