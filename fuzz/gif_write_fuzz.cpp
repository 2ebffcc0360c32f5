// Builds small palette images from the input, writes them as one GIF, reads the
// file back and checks that every frame decodes to the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "controls/gif_writer.h"

namespace {

using kordalt::DIBBytesPerRow;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A BMP file image of width x height at `bitCount` with a full colour table.
std::vector<std::uint8_t> MakeBMP(int width, int height, int bitCount, Input& in) {
    const std::uint32_t colours = 1u << bitCount, offset = 54 + 4 * colours;
    const std::uint32_t imageSize = std::uint32_t(DIBBytesPerRow(width, bitCount)) * std::uint32_t(height);
    std::vector<std::uint8_t> bmp{'B', 'M'};
    PutLE(bmp, offset + imageSize, 4);
    PutLE(bmp, 0, 4);
    PutLE(bmp, offset, 4);
    for (const std::uint32_t field : {40u, std::uint32_t(width), std::uint32_t(height)}) PutLE(bmp, field, 4);
    PutLE(bmp, 1, 2);
    PutLE(bmp, static_cast<std::uint32_t>(bitCount), 2);
    bmp.resize(54, 0);
    for (std::uint32_t i = 0; i < colours; ++i) bmp.insert(bmp.end(), {in.Byte(), in.Byte(), in.Byte(), 0});
    // Pixels: runs of one index from a generator seeded by the input, so that
    // strings grow as well as break and large frames fill the code table.
    const int stride = DIBBytesPerRow(width, bitCount), perByte = 8 / bitCount;
    const std::uint32_t runMask = (1u << (in.Byte() & 7)) - 1;
    std::uint32_t state = in.Byte() | in.Byte() << 8;
    std::vector<std::uint8_t> pixels(imageSize, 0);
    std::uint32_t index = 0, run = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (run-- == 0) {
                state = state * 1103515245u + 12345u;
                index = (state >> 16) & (colours - 1);
                run = (state >> 8) & runMask;
            }
            const int shift = (perByte - 1 - x % perByte) * bitCount;
            pixels[static_cast<std::size_t>(y * stride + x / perByte)] |=
                static_cast<std::uint8_t>(index << shift);
        }
    }
    bmp.insert(bmp.end(), pixels.begin(), pixels.end());
    return bmp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    kordalt::TGIFData global;
    std::uint16_t screenWidth = 0, screenHeight = 0;
    std::vector<kordalt::TGIFFrameData> frames(1 + in.Byte() % 3);
    std::vector<std::vector<std::uint8_t>> bmps;
    for (kordalt::TGIFFrameData& frame : frames) {
        static constexpr int kBits[4] = {1, 4, 8, 8};
        const int bitCount = kBits[in.Byte() & 3];
        // Up to 200 x 200: enough codes to fill the table and clear it.
        const int width = 1 + in.Byte() * 200 / 256, height = 1 + in.Byte() * 200 / 256;
        frame.OriginX = in.Byte() % 4;
        frame.AnimateInterval = static_cast<std::uint16_t>(in.Byte() * 10);
        frame.Disposal = in.Byte() & 7;
        bmps.push_back(MakeBMP(width, height, bitCount, in));
        kordalt::EncodeFrameDIB(frame, bmps.back(), global, screenWidth, screenHeight, {});
        if (in.Byte() & 1)
            frame.TransparentColor = frame.Item->ColorTable.ColorOf(in.Byte() % frame.Item->ColorTable.Count);
        kordalt::UpdateExtensions(frame);
    }
    std::vector<kordalt::TGIFFrameData*> pointers;
    for (kordalt::TGIFFrameData& frame : frames) pointers.push_back(&frame);
    const std::vector<std::uint8_t> gif =
        kordalt::BuildGIFFile({&global, 2, screenWidth, screenHeight}, pointers);

    kordalt::TolerateCorruptGIF = false;
    kordalt::TGIFContents back;
    kordalt::GIFByteStream stream(gif.data(), gif.size());
    kordalt::ReadGIFContents(stream, back);
    if (back.Frames.size() != frames.size()) std::abort();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const kordalt::TGIFFrameData& read = back.Frames[i];
        if (read.AnimateInterval != frames[i].AnimateInterval || read.Disposal != frames[i].Disposal ||
            read.TransparentColor != frames[i].TransparentColor)
            std::abort();
        bool corrupted = false;
        const std::vector<std::uint8_t> decoded =
            kordalt::DecodeGIFFrameToDIB(*read.Item, false, false, {}, corrupted);
        const std::vector<std::uint8_t>& source = bmps[i];
        // Same pixels at the same bit count; colours equal entry by entry.
        const std::size_t offset = source[10] | source[11] << 8;
        if (corrupted || decoded.size() != source.size() ||
            !std::equal(source.begin() + static_cast<long>(offset), source.end(),
                        decoded.begin() + static_cast<long>(offset)))
            std::abort();
        for (int c = 0; c < frames[i].Item->ColorTable.Count; ++c) {
            if (read.Item->ColorTable.ColorOf(c) != frames[i].Item->ColorTable.ColorOf(c)) std::abort();
        }
    }
    return 0;
}
