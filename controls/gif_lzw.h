// GIF colour tables, the graphic exception and the LZW decoder that turns one
// frame's stored data into a BMP file image. Free of Qt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/graphic_errors.h"

namespace kordalt {

// Texts of the resource string table that the GIF picture type reports.
constexpr int sGIFUnknownVersion = 61092, sGIFDecodeError = 61094, sGIFCodeSizeError = 61095,
              sGIFBitsPerPixelError = 61096, sGIFUnknownExtension = 61097, sGIFImageSizeChange = 61099,
              sGIFImageDescription = 61100;
// The class library's read error (no resource id).
constexpr int sReadError = 0;
std::string GIFResourceString(int id);

// The invalid-graphic-operation exception with resource text `id`.
inline EInvalidGraphicOperation GIFError(int id) {
    return EInvalidGraphicOperation(id, GIFResourceString(id));
}

// No colour (0x1FFFFFFF), as the controls' clNone.
constexpr std::uint32_t kGIFNoColor = 0x1FFFFFFF;

struct TGIFColorTable {
    std::int32_t Count = 0;
    std::array<std::array<std::uint8_t, 3>, 256> Entries{};  // red, green, blue

    void Clear() { *this = TGIFColorTable(); }
    // Entry `index` as 0x00BBGGRR.
    std::uint32_t ColorOf(int index) const;
};

// Bits per pixel of a colour count 2, 4, ..., 256; others fail with 61096.
int ColorsToBitsPerPixel(int colours);

// The compressed data of one frame, shared by copies of the frame.
struct TGIFItem {
    // Minimum code size byte, then the data sub-blocks as in the file; none before reading.
    std::optional<std::vector<std::uint8_t>> ImageData;
    int Width = 0, Height = 0;
    std::uint8_t PackedFields = 0;
    std::uint8_t BitsPerPixel = 0;
    TGIFColorTable ColorTable;
};

// A bounded reader over bytes in memory.
class GIFByteStream {
public:
    GIFByteStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Position() const { return pos_; }
    std::size_t Size() const { return size_; }
    std::size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    void SeekEnd() { pos_ = size_; }
    // Fail with the read error when fewer than `count` bytes remain.
    std::uint8_t ReadByte();
    std::uint8_t Peek() const { return AtEnd() ? 0 : data_[pos_]; }
    std::uint16_t ReadWord();
    void Read(std::uint8_t* dest, std::size_t count);
    // Up to `count` bytes; returns how many were read.
    std::size_t ReadSome(std::uint8_t* dest, std::size_t count);

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

enum class TProgressStage { psStarting, psRunning, psEnding };
// Stage, per cent done and, at the end of a failed run, the failure's message.
using GIFProgress = std::function<void(TProgressStage stage, int percent, const std::string& message)>;

int NextInterlacedRow(int row, int height, int& pass);
int DIBBitCountForGIF(int bitsPerPixel);
// 256 entries of (blue, green, red, 0); entries past the table read 128 in every byte;
// an empty table gives 256 black entries.
std::array<std::uint8_t, 1024> GIFColorsToRGBQuads(const TGIFColorTable& table);
constexpr int DIBBytesPerRow(int width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

// Decodes from the stream's position (the code size byte) into the zero-filled
// bottom-up DIB area `pixels` of width x height at `bitCount` (1, 4 or 8).
void DecodeGIFLZW(GIFByteStream& data, int width, int height, int bitCount, bool interlaced,
                  const GIFProgress& progress, bool& corrupted, std::uint8_t* pixels, int maskBits,
                  bool tolerant);

// The BMP file image of a frame; `corrupted` becomes true when the decoder repaired damage.
std::vector<std::uint8_t> DecodeGIFFrameToDIB(const TGIFItem& item, bool interlaced, bool tolerant,
                                              const GIFProgress& progress, bool& corrupted);

}  // namespace kordalt
