#include "controls/gif_writer.h"

#include <algorithm>
#include <cstring>

namespace kordalt {

namespace {

constexpr int kHashSize = 17777;
constexpr int kClearAt = 4094;
constexpr std::uint16_t kEmptySlot = 0xFFFF;

// Variable-width codes, least significant bit first, into 255-byte sub-blocks.
class LZWCodeWriter {
public:
    LZWCodeWriter(std::vector<std::uint8_t>& out, int codeSize) : out_(out), codeSize_(codeSize) {}

    void SetCodeSize(int size) { codeSize_ = size; }

    void WriteLZWCode(int code) {
        const std::uint32_t shifted = std::uint32_t(code) << (bitPos_ & 7);
        std::uint8_t* p = buffer_ + bitPos_ / 8;
        p[0] |= static_cast<std::uint8_t>(shifted);
        p[1] = static_cast<std::uint8_t>(shifted >> 8);
        p[2] = static_cast<std::uint8_t>(shifted >> 16);
        bitPos_ += static_cast<std::uint32_t>(codeSize_);
        if (bitPos_ < 2040) return;
        out_.push_back(255);
        out_.insert(out_.end(), buffer_, buffer_ + 255);
        buffer_[0] = buffer_[255];
        buffer_[1] = buffer_[256];
        std::memset(buffer_ + 2, 0, sizeof(buffer_) - 2);
        bitPos_ -= 2040;
    }

    void FlushLZWCodes() {
        const std::uint32_t bytes = (bitPos_ + 7) / 8;
        if (bytes > 0) {
            out_.push_back(static_cast<std::uint8_t>(bytes));
            out_.insert(out_.end(), buffer_, buffer_ + bytes);
        }
        out_.push_back(0);
    }

private:
    std::vector<std::uint8_t>& out_;
    int codeSize_;
    std::uint32_t bitPos_ = 0;
    std::uint8_t buffer_[260] = {};
};

struct LZWNode {
    std::uint16_t Prefix = 0, Code = 0;
    std::uint8_t Suffix = 0;
};

int LZWHash(int pixel) { return (pixel + 3) * 301; }

// Colour index at `column` of a DIB row.
int PixelAt(const std::uint8_t* row, int column, int bitCount) {
    switch (bitCount) {
        case 8:
            return row[column];
        case 4:
            return column % 2 == 0 ? row[column / 2] >> 4 : row[column / 2] & 0x0F;
        default:
            return (row[column / 8] >> (7 - column % 8)) & 1;
    }
}

void Tell(const GIFProgress& progress, TProgressStage stage, int percent, const std::string& message = {}) {
    if (progress) progress(stage, percent, message);
}

void RunLZW(std::vector<std::uint8_t>& out, int width, int height, int bitCount, bool interlaced,
            const GIFProgress& progress, const std::uint8_t* pixels) {
    const int initialSize = bitCount + 1 == 2 ? 3 : bitCount + 1;
    const int minSize = initialSize - 1;
    const int clearCode = 1 << minSize, endCode = clearCode + 1;
    out.push_back(static_cast<std::uint8_t>(minSize));

    std::vector<std::uint16_t> slots(kHashSize, kEmptySlot);
    std::vector<LZWNode> nodes(4096);
    LZWCodeWriter writer(out, initialSize);
    int codeSize = initialSize, codeLimit = 1 << initialSize, freeCode = endCode;
    int prefix = 0, hash = 0, length = 0;
    writer.WriteLZWCode(clearCode);

    const auto addPixel = [&](int p) {
        if (++length == 1) {
            prefix = p;
            hash = LZWHash(p);
            return;
        }
        hash = static_cast<int>((static_cast<std::int64_t>(p + length + 4) * hash) % kHashSize);
        for (int slot = hash;; slot = slot + 1 == kHashSize ? 0 : slot + 1) {
            const std::uint16_t at = slots[static_cast<std::size_t>(slot)];
            if (at != kEmptySlot) {
                const LZWNode& node = nodes[at];
                if (node.Prefix != prefix || node.Suffix != p) continue;
                prefix = node.Code;
                return;
            }
            writer.WriteLZWCode(prefix);
            ++freeCode;
            nodes[static_cast<std::size_t>(freeCode)] = {static_cast<std::uint16_t>(prefix),
                                                         static_cast<std::uint16_t>(freeCode),
                                                         static_cast<std::uint8_t>(p)};
            slots[static_cast<std::size_t>(slot)] = static_cast<std::uint16_t>(freeCode);
            prefix = p;
            hash = LZWHash(p);
            length = 1;
            break;
        }
        if (freeCode >= codeLimit) {
            codeLimit <<= 1;
            writer.SetCodeSize(++codeSize);
        } else if (freeCode >= kClearAt) {
            writer.WriteLZWCode(prefix);
            writer.WriteLZWCode(clearCode);
            length = 0;
            freeCode = endCode;
            codeSize = initialSize;
            codeLimit = 1 << initialSize;
            writer.SetCodeSize(codeSize);
            std::fill(slots.begin(), slots.end(), kEmptySlot);
        }
    };

    const int bytesPerRow = DIBBytesPerRow(width, bitCount);
    int row = 0, pass = 0;
    for (int done = 1; done <= height; ++done) {
        const std::uint8_t* line =
            pixels + static_cast<std::size_t>(height - 1 - row) * static_cast<std::size_t>(bytesPerRow);
        for (int column = 0; column < width; ++column) addPixel(PixelAt(line, column, bitCount));
        row = interlaced ? NextInterlacedRow(row, height, pass) : row + 1;
        Tell(progress, TProgressStage::psRunning, static_cast<int>(std::int64_t(done) * 100 / height));
    }
    // After a clear on the last pixel that pixel is already written.
    if (length > 0) {
        writer.WriteLZWCode(prefix);
        // The decoder adds an entry for that code, which may widen the end code.
        if (freeCode + 1 >= codeLimit) writer.SetCodeSize(codeSize + 1);
    }
    writer.WriteLZWCode(endCode);
    writer.FlushLZWCodes();
}

std::uint32_t ReadLE(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
    if (at + static_cast<std::size_t>(count) > bytes.size()) throw GIFError(sGIFEncodeError);
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

// The colour table of a BMP file image: `colours` entries from offset 54; the
// entries the file does not hold (a shorter used-colour count) stay black.
TGIFColorTable RGBQuadsToGIFColors(const std::vector<std::uint8_t>& bmp, int colours) {
    TGIFColorTable table;
    table.Count = std::min(256, colours);
    const std::uint32_t used = ReadLE(bmp, 46, 4);
    const int present = used > 0 && used < std::uint32_t(table.Count) ? static_cast<int>(used) : table.Count;
    for (int i = 0; i < present; ++i) {
        const std::size_t at = 54 + static_cast<std::size_t>(i) * 4;
        table.Entries[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(ReadLE(bmp, at + 2, 1)),
                                                      static_cast<std::uint8_t>(ReadLE(bmp, at + 1, 1)),
                                                      static_cast<std::uint8_t>(ReadLE(bmp, at, 1))};
    }
    return table;
}

// The smallest n from 1 up with 2^n at least `count`.
std::uint8_t BitsForCount(int count) {
    std::uint8_t bits = 1;
    while ((1 << bits) < count) ++bits;
    return bits;
}

void PutWord(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// Table entries as triples; `count` entries (those past the table's Count are zero).
void PutColorTable(std::vector<std::uint8_t>& out, const TGIFColorTable& table, int count) {
    for (int i = 0; i < count; ++i) {
        const auto& e = table.Entries[static_cast<std::size_t>(i)];
        out.insert(out.end(), e.begin(), e.end());
    }
}

int FindColorIndex(const TGIFColorTable& table, std::uint32_t colour) {
    if (colour == kGIFNoColor) return -1;
    for (int i = 0; i < std::min(table.Count, 256); ++i) {
        if (table.ColorOf(i) == colour) return i;
    }
    return -1;
}

// The index the frame's graphic controls made transparent when it was read, while
// that entry still has the frame's transparent colour: a table may hold the colour
// more than once, and only that entry is transparent. Else the first entry of it.
int TransparentIndex(const TGIFFrameData& frame) {
    const TGIFColorTable& table = frame.Item->ColorTable;
    int own = -1;
    for (const TExtension& e : frame.Extensions) {
        if (e.Kind != ekGraphicControl || e.Header.size() < 5) continue;
        if (!(e.Header[1] & 1))
            own = -1;
        else if (e.Header[4] < table.Count)
            own = e.Header[4];
    }
    if (own >= 0 && table.ColorOf(own) == frame.TransparentColor) return own;
    return FindColorIndex(table, frame.TransparentColor);
}

void WriteExtensions(std::vector<std::uint8_t>& out, const std::vector<TExtension>& extensions) {
    static constexpr std::uint8_t kLabel[4] = {0xF9, 0x01, 0xFF, 0xFE};
    static constexpr std::size_t kHeaderSize[4] = {6, 13, 12, 0};
    for (const TExtension& e : extensions) {
        out.push_back(0x21);
        if (e.Kind == ekOther) {
            out.push_back(e.Header.empty() ? 0 : e.Header[0]);
            WriteDataSubBlocks(out, e.Data);
            continue;
        }
        out.push_back(kLabel[e.Kind & 3]);
        std::vector<std::uint8_t> header = e.Header;
        header.resize(kHeaderSize[e.Kind & 3], 0);
        out.insert(out.end(), header.begin(), header.end());
        if (e.Kind != ekGraphicControl) WriteDataSubBlocks(out, e.Data);
    }
}

// The background index read while it still gives the background colour, or no
// colour by lying outside the table; else the first entry of the colour, or 0.
int BackgroundIndex(const TGIFData& data, std::uint32_t colour) {
    const int read = data.BackgroundIndex;
    const TGIFColorTable& table = data.ColorTable;
    if (colour == kGIFNoColor ? read >= table.Count : read < table.Count && table.ColorOf(read) == colour)
        return read;
    return std::max(FindColorIndex(table, colour), 0);
}

void WriteScreenDescriptor(std::vector<std::uint8_t>& out, const TGIFWriteHeader& header) {
    const TGIFColorTable& table = header.Data->ColorTable;
    PutWord(out, header.ScreenWidth);
    PutWord(out, header.ScreenHeight);
    std::uint8_t flags = 0, background = 0;
    if (table.Count > 0) {
        flags = static_cast<std::uint8_t>(0x80 | (ColorsToBitsPerPixel(table.Count) - 1) << 4 |
                                          ((header.Data->BitsPerPixel - 1) & 7));
        background = static_cast<std::uint8_t>(BackgroundIndex(*header.Data, header.BackgroundColor));
    }
    out.push_back(flags);
    out.push_back(background);
    out.push_back(header.Data->AspectRatio);
    PutColorTable(out, table, table.Count);
}

void WriteLoopExtension(std::vector<std::uint8_t>& out, std::uint16_t loopCount) {
    static constexpr char kIdentifier[] = "NETSCAPE2.0";
    out.insert(out.end(), {0x21, 0xFF, 11});
    out.insert(out.end(), kIdentifier, kIdentifier + 11);
    out.insert(out.end(), {3, 1});
    PutWord(out, loopCount);
    out.push_back(0);
}

// Image descriptor, local colour table and the stored image data of a frame.
void WriteImageBlock(std::vector<std::uint8_t>& out, TGIFFrameData& frame) {
    TGIFItem& item = *frame.Item;
    std::uint8_t packed = 0;
    if (frame.LocalColorTable) {
        item.BitsPerPixel = BitsForCount(item.ColorTable.Count);
        packed = static_cast<std::uint8_t>(0x80 | (item.BitsPerPixel - 1));
    }
    if (frame.Interlaced) packed |= 0x40;
    out.push_back(0x2C);
    PutWord(out, frame.OriginX);
    PutWord(out, frame.OriginY);
    PutWord(out, item.Width);
    PutWord(out, item.Height);
    out.push_back(packed);
    // As many entries as the descriptor announces, also for a short table.
    if (frame.LocalColorTable) PutColorTable(out, item.ColorTable, 1 << item.BitsPerPixel);
    if (item.ImageData) out.insert(out.end(), item.ImageData->begin(), item.ImageData->end());
}

}  // namespace

void EncodeGIFLZW(std::vector<std::uint8_t>& out, int width, int height, int bitCount, bool interlaced,
                  const GIFProgress& progress, const std::uint8_t* pixels) {
    Tell(progress, TProgressStage::psStarting, 0);
    try {
        RunLZW(out, width, height, bitCount, interlaced, progress, pixels);
    } catch (const std::exception& e) {
        Tell(progress, TProgressStage::psEnding, 0, e.what());
        throw;
    }
    Tell(progress, TProgressStage::psEnding, 100);
}

void EncodeFrameDIB(TGIFFrameData& frame, const std::vector<std::uint8_t>& bmp, TGIFData& global,
                    std::uint16_t& screenWidth, std::uint16_t& screenHeight, const GIFProgress& progress) {
    const auto width = static_cast<std::int32_t>(ReadLE(bmp, 18, 4));
    const auto height = static_cast<std::int32_t>(ReadLE(bmp, 22, 4));
    const int bitCount = static_cast<int>(ReadLE(bmp, 28, 2));
    const int colours = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    // Sizes the descriptor's 16-bit fields cannot hold are refused, as are
    // top-down or compressed images and pixels the file does not hold.
    if (colours == 0 || ReadLE(bmp, 30, 4) != 0 || width < 1 || height < 1 || width > 0xFFFF ||
        height > 0xFFFF)
        throw GIFError(sGIFEncodeError);
    const std::uint32_t offset = ReadLE(bmp, 10, 4);
    if (offset > bmp.size() ||
        std::uint64_t(DIBBytesPerRow(width, bitCount)) * std::uint64_t(height) > bmp.size() - offset)
        throw GIFError(sGIFEncodeError);

    frame.Interlaced = false;
    TGIFItem& item = *frame.Item;
    item.ColorTable = RGBQuadsToGIFColors(bmp, colours);
    item.ImageData.emplace();
    try {
        EncodeGIFLZW(*item.ImageData, width, height, bitCount, false, progress, bmp.data() + offset);
    } catch (...) {
        // Half-written data would be taken as encoded by the next save.
        frame.Item = std::make_shared<TGIFItem>();
        throw;
    }
    item.BitsPerPixel = BitsForCount(item.ColorTable.Count);
    if (global.ColorTable.Count == 0) {
        global.ColorTable = item.ColorTable;
        global.BitsPerPixel = item.BitsPerPixel;
        frame.LocalColorTable = false;
    } else {
        frame.LocalColorTable = true;
    }
    item.Width = width;
    item.Height = height;
    screenWidth = std::max(screenWidth, ClampScreenSide(std::int64_t(width) + frame.OriginX));
    screenHeight = std::max(screenHeight, ClampScreenSide(std::int64_t(height) + frame.OriginY));
}

bool UpdateExtensions(TGIFFrameData& frame) {
    auto& list = frame.Extensions;
    auto control = std::find_if(list.rbegin(), list.rend(),
                                [](const TExtension& e) { return e.Kind == ekGraphicControl; });
    TExtension* gce = control == list.rend() ? nullptr : &*control;
    if (!gce &&
        (frame.AnimateInterval != 0 || frame.TransparentColor != kGIFNoColor || frame.Disposal != 0)) {
        list.push_back(TExtension{ekGraphicControl, {4, 0, 0, 0, 0, 0}, {}});
        gce = &list.back();
    }
    if (gce) {
        std::vector<std::uint8_t>& h = gce->Header;
        h.resize(6, 0);
        const int delay = frame.AnimateInterval / 10;
        h[2] = static_cast<std::uint8_t>(delay);
        h[3] = static_cast<std::uint8_t>(delay >> 8);
        const int index = TransparentIndex(frame);
        if (index >= 0) {
            h[1] |= 1;
            h[4] = static_cast<std::uint8_t>(index);
        } else {
            h[1] &= 0xFE;
        }
        h[1] = static_cast<std::uint8_t>((h[1] & 0xE3) | (frame.Disposal & 7) << 2);
    }
    std::erase_if(list, [](const TExtension& e) { return e.Kind == ekComment && e.Data.empty(); });
    return !list.empty();
}

void WriteDataSubBlocks(std::vector<std::uint8_t>& out, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        for (std::size_t at = 0; at < line.size(); at += 255) {
            const std::size_t length = std::min<std::size_t>(line.size() - at, 255);
            out.push_back(static_cast<std::uint8_t>(length));
            out.insert(out.end(), line.begin() + static_cast<std::ptrdiff_t>(at),
                       line.begin() + static_cast<std::ptrdiff_t>(at + length));
        }
    }
    out.push_back(0);
}

std::vector<std::uint8_t> BuildGIFFile(const TGIFWriteHeader& header,
                                       const std::vector<TGIFFrameData*>& frames) {
    std::vector<std::uint8_t> out{
        'G', 'I', 'F', '8', header.Version == 2 ? std::uint8_t('9') : std::uint8_t('7'), 'a'};
    WriteScreenDescriptor(out, header);
    if (header.HasLoopExtension && frames.size() > 1) WriteLoopExtension(out, header.LoopCount);
    for (TGIFFrameData* frame : frames) {
        WriteExtensions(out, frame->Extensions);
        WriteImageBlock(out, *frame);
    }
    if (!header.Data->Comment.empty()) {
        out.insert(out.end(), {0x21, 0xFE});
        WriteDataSubBlocks(out, header.Data->Comment);
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace kordalt
