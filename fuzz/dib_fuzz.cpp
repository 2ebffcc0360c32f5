// Packed DIB reader and RLE expansion: any bytes either read as a consistent
// image or fail with a graphic or read error; expansion stays inside its buffers.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "session/dib_image.h"

namespace {

using namespace kordalt;

void Check(bool condition) {
    if (!condition) std::abort();
}

// Expansion of images up to this many pixel bytes (larger ones only cost time).
constexpr size_t kExpandLimit = size_t(1) << 18;

void ReadImage(std::span<const uint8_t> bytes, bool memoryImage) {
    TDIBSharedImage image;
    TDibReadStream stream(bytes);
    try {
        image.ReadPackedDIB(stream, memoryImage);
    } catch (const EInvalidGraphic&) {
        return;
    } catch (const EInvalidGraphicOperation&) {
        return;
    } catch (const EReadError&) {
        return;
    }
    Check(image.BitmapInfo().size() >= (image.Size() == 0 ? 0u : 40u));
    if (!image.Compressed()) {
        Check(image.PixelMemorySize() == image.Size());
        return;
    }
    Check(image.PixelMemorySize() == image.DataSize());
    if (image.Size() > kExpandLimit) return;
    TDIBSharedImage expanded;
    expanded.Decompress(image, memoryImage);
    Check(!expanded.Compressed() && expanded.PixelMemorySize() == image.Size());
    image.GetPalette();
}

// The raw bytes as RLE data for a small image whose size the first byte picks.
void ExpandRaw(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    const int width = 1 + (bytes[0] & 0x1F), height = 1 + (bytes[0] >> 5);
    const auto rle = bytes.subspan(1);
    std::vector<uint8_t> pixels(size_t(height) * ((width + 3) / 4 * 4));
    ExpandRLE8(rle, pixels.data(), width, height, (width + 3) / 4 * 4);
    std::vector<uint8_t> nibbles(size_t(height) * ((width + 7) / 8 * 4));
    ExpandRLE4(rle, nibbles.data(), width, height, (width + 7) / 8 * 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    ReadImage(bytes, true);
    ReadImage(bytes, false);
    ExpandRaw(bytes);
    return 0;
}
