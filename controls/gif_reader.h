// Parsing a GIF87a/GIF89a file into its header, extensions and frames with
// their compressed data. Free of Qt; decoding is in gif_lzw.h.
#pragma once

#include <algorithm>
#include <memory>

#include "controls/gif_lzw.h"

namespace kordalt {

// Truncated or damaged image data loads (the frame is marked corrupted) instead of failing.
extern bool TolerateCorruptGIF;

// The header shared by copies of one image.
struct TGIFData {
    std::vector<std::string> Comment;
    std::uint8_t AspectRatio = 0;
    std::uint8_t BackgroundIndex = 0;  // as read; outside the table it names no colour
    std::uint8_t BitsPerPixel = 0;
    std::uint8_t ColorResolution = 0;
    TGIFColorTable ColorTable;
};

// ekOther: an extension of a label the format does not define, kept as it was read.
enum TExtensionKind : std::uint8_t { ekGraphicControl, ekPlainText, ekApplication, ekComment, ekOther };

struct TExtension {
    TExtensionKind Kind = ekGraphicControl;
    std::vector<std::uint8_t> Header;  // the fixed bytes after the label; ekOther: the label

    std::vector<std::string> Data;  // one line per data sub-block
};

// The fields of one frame that come from the file.
struct TGIFFrameData {
    std::shared_ptr<TGIFItem> Item = std::make_shared<TGIFItem>();
    std::vector<TExtension> Extensions;
    int OriginX = 0, OriginY = 0;
    bool Interlaced = false, Corrupted = false, Grayscale = false;
    std::uint32_t TransparentColor = kGIFNoColor;
    std::uint16_t AnimateInterval = 0;  // milliseconds
    std::uint8_t Disposal = 0;
    bool LocalColorTable = false;
};

// Everything a GIF file holds.
struct TGIFContents {
    std::shared_ptr<TGIFData> Data = std::make_shared<TGIFData>();
    std::uint8_t Version = 0;  // 0 none, 1 "87a", 2 "89a"
    std::uint16_t ScreenWidth = 0, ScreenHeight = 0;
    std::uint32_t BackgroundColor = kGIFNoColor;
    bool HasLoopExtension = false;
    std::uint16_t LoopCount = 1;
    std::vector<TGIFFrameData> Frames;
};

// A screen side that reaches `extent`, as far as the 16-bit field goes.
inline std::uint16_t ClampScreenSide(std::int64_t extent) {
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(extent, 0, 0xFFFF));
}

// Reads a whole GIF from memory into `out` (fresh). On failure the frames read
// before the damage stay in `out` and the exception propagates.
void ReadGIFContents(GIFByteStream& data, TGIFContents& out);

}  // namespace kordalt
