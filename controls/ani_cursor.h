// Animated cursor files (RIFF "ACON"): the "anih" header, "rate" and "seq "
// chunks, a "LIST" "fram" of "icon" chunks and a "LIST" "INFO" with the title
// and the artist, read into a list of frames. Reading only.
#pragma once

#include <QPoint>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "controls/classic.h"
#include "controls/icon_list.h"

class QImage;

namespace kordalt {

struct TAniHeader {
    uint32_t cbSizeOf = 0, cFrames = 0, cSteps = 0, cx = 0, cy = 0, cBitCount = 0, cPlanes = 0, jifRate = 0,
             flags = 0;
};
static_assert(sizeof(TAniHeader) == 36);

// A chunk's identifier and size.
struct TAniTag {
    std::array<char, 4> ckID{};
    uint32_t ckSize = 0;
};

// One step of the animation.
struct TIconFrame {
    TIconFrame(int32_t sequenceIndex, uint32_t rate) : Rate(rate), SequenceIndex(sequenceIndex) {}
    // Frames that show the same icon share it.
    std::shared_ptr<const TIcon> Icon;
    bool IsIcon = false;
    TAniTag Tag;
    QPoint HotSpot;
    uint32_t Rate;  // jiffies (1/60 s)
    int32_t SequenceIndex;
};

class TAnimatedCursorImage {
public:
    static constexpr size_t kMaxText = 255;

    TAniHeader Header;
    std::string Title, Creator;  // raw bytes, at most kMaxText each
    uint16_t MaxColors = 0;      // 2, 16 or 256 for the deepest 1-, 4- or 8-bit frame image

    int FrameCount() const { return static_cast<int>(frames_.size()); }
    const TIconFrame& Frames(int index) const { return *frames_.at(static_cast<size_t>(index)); }
    const TIcon* Icons(int index) const { return Frames(index).Icon.get(); }

    void Clear();
    // EReadError ("Stream read error") for a file without the RIFF "ACON"
    // signature, an "anih" without flag bit 0 or without steps, and a file that
    // yields no frame with an icon.
    void LoadFromStream(std::span<const uint8_t> data);
    void LoadFromFile(const std::string& fileName);
    // Writing is not implemented: ReportNotImplemented.
    [[noreturn]] void SaveToStream(std::vector<uint8_t>& out) const;

    // Null clears.
    void Assign(const TAnimatedCursorImage* source);
    // The first frame's icon (an empty icon without frames).
    void AssignTo(TIcon& icon) const;
    // The frames side by side on `background`, reduced to max(MaxColors, 16) colours.
    void AssignTo(QImage& bitmap, TColor background = clWhite) const;
    void AssignTo(TIconList& list) const;
    void AssignToBitmap(QImage& bitmap, TColor background, bool vertical, bool reduce) const;

private:
    class Reader;
    void ReadAnimatedCursorRIFF(Reader& in);
    void ReadFrameList(Reader& in, int64_t remaining, int& iconsRead);
    void ReadInfoList(Reader& in, int64_t remaining);
    // Frames for an "icon" chunk; false when it holds no icon.
    bool AddIcon(std::span<const uint8_t> chunk, const TAniTag& tag, int iconsRead);

    std::vector<std::unique_ptr<TIconFrame>> frames_;
};

// The image reduced to `colors` colours through a BMP image of 1, 4 or 8 bits.
QImage ReduceBitmapColors(const QImage& bitmap, int colors);

}  // namespace kordalt
