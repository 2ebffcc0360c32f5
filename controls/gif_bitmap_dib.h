// The BMP file image a GIF frame is encoded from. Kept apart from the GIF
// headers: the colour reduction's header declares its own picture exceptions.
#pragma once

#include <cstdint>
#include <vector>

class QImage;

namespace kordalt {

// 1-bit and palette bitmaps as they are (the bitmap's own BMP image); others
// reduced to 8 bits with the default colour mapping, or to grey when
// `grayscale` is set or the default mapping is grey (then `grayscale` becomes true).
std::vector<std::uint8_t> GIFFrameBMP(const QImage& image, bool& grayscale);

}  // namespace kordalt
