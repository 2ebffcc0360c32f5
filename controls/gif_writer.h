// Writing GIF87a/GIF89a: the LZW encoder, encoding a frame from a BMP file
// image, the graphic control update and the file layout. Free of Qt.
#pragma once

#include "controls/gif_reader.h"

namespace kordalt {

constexpr int sGIFEncodeError = 61093, sGIFNoDataToWrite = 61098;

// Encodes the bottom-up DIB `pixels` (width x height at `bitCount` 1, 4 or 8,
// rows padded to 32 bits) as the minimum code size byte and the data sub-blocks.
void EncodeGIFLZW(std::vector<std::uint8_t>& out, int width, int height, int bitCount, bool interlaced,
                  const GIFProgress& progress, const std::uint8_t* pixels);

// Encodes the BMP file image `bmp` (1, 4 or 8 bits) into the frame's item. The
// first frame encoded for an image (an empty global table) defines the global
// table; later ones carry a local table.
void EncodeFrameDIB(TGIFFrameData& frame, const std::vector<std::uint8_t>& bmp, TGIFData& global,
                    std::uint16_t& screenWidth, std::uint16_t& screenHeight, const GIFProgress& progress);

// Brings the frame's graphic control extension in line with its delay,
// transparent colour and disposal, and drops empty comments. True when the
// frame still has an extension (the file must be "89a").
bool UpdateExtensions(TGIFFrameData& frame);

// Data sub-blocks: each non-empty line in pieces of at most 255 bytes; then the terminator.
void WriteDataSubBlocks(std::vector<std::uint8_t>& out, const std::vector<std::string>& lines);

// The header fields the file layout needs.
struct TGIFWriteHeader {
    const TGIFData* Data = nullptr;
    std::uint8_t Version = 1;
    std::uint16_t ScreenWidth = 0, ScreenHeight = 0;
    std::uint32_t BackgroundColor = kGIFNoColor;
    bool HasLoopExtension = false;
    std::uint16_t LoopCount = 1;
};

// The whole GIF file of frames that all have their compressed data.
std::vector<std::uint8_t> BuildGIFFile(const TGIFWriteHeader& header,
                                       const std::vector<TGIFFrameData*>& frames);

}  // namespace kordalt
