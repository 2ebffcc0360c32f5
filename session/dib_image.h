// Device-independent bitmap data (the BMP/DIB format): pixel formats, shared
// image data read from a packed DIB, RLE8/RLE4 expansion, and a process-wide cache
// of palettes shared by equal colour tables. No Qt here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/graphic_errors.h"
#include "platform/rgb_quad.h"

namespace kordalt {

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;

TColorTable GreyscaleColorTable();

// Where red, green and blue sit in a pixel. Red and green shifts move right to an
// 8-bit value, the blue shift moves left.
struct TDIBPixelFormat {
    int32_t RBitMask = 0, GBitMask = 0, BBitMask = 0;
    int32_t RBitCount = 0, GBitCount = 0, BBitCount = 0;
    int32_t RShift = 0, GShift = 0, BShift = 0;
    int32_t RLoss = 0, GLoss = 0, BLoss = 0;
    bool operator==(const TDIBPixelFormat&) const = default;
};
TDIBPixelFormat MakeDIBPixelFormat(int r, int g, int b);
int CountMaskBits(uint32_t mask);
TDIBPixelFormat MaskToDIBPixelFormat(uint32_t red, uint32_t green, uint32_t blue);

// A memory stream read in place.
class TDibReadStream {
public:
    explicit TDibReadStream(std::span<const uint8_t> data) : data_(data) {}
    // Reads up to count bytes; returns how many were read.
    size_t Read(void* dest, size_t count);
    // Reads exactly count bytes or fails with EReadError.
    void ReadBuffer(void* dest, size_t count);
    size_t Remaining() const { return data_.size() - pos_; }
    size_t Position() const { return pos_; }
    size_t Size() const { return data_.size(); }
    // Moves to `position`; past the end fails with EReadError.
    void Seek(size_t position);

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

// One bitmap, shared by reference between pictures. Rows are kept bottom-up.
class TDIBSharedImage {
public:
    TDIBSharedImage();
    TDIBSharedImage(const TDIBSharedImage&) = delete;
    TDIBSharedImage& operator=(const TDIBSharedImage&) = delete;
    ~TDIBSharedImage();

    void CreateImage(int width, int height, int bitCount, const TDIBPixelFormat& format,
                     const TColorTable& colorTable, bool memoryImage, bool compressed);
    // Reads a packed DIB (info header onward); an exhausted stream gives an empty image.
    // `pixelOffset`, when not negative, is where the pixels start, counted from the
    // packed DIB's first byte; an offset into the headers or the colour table is ignored.
    void ReadPackedDIB(TDibReadStream& stream, bool memoryImage, int64_t pixelOffset = -1);
    void Duplicate(const TDIBSharedImage& source, bool memoryImage);
    void Decompress(const TDIBSharedImage& source, bool memoryImage);
    // The cached palette handle; 0 without a colour table.
    int GetPalette();
    void SetColorTable(const TColorTable& table);

    int BitCount() const { return bitCount_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int WidthBytes() const { return widthBytes_; }
    int NextLine() const { return -widthBytes_; }
    size_t Size() const { return size_; }
    bool Compressed() const { return compressed_; }
    bool MemoryImage() const { return memoryImage_; }
    int PaletteCount() const { return paletteCount_; }
    uint32_t Compression() const;
    // The data bytes the header records (the RLE data size when compressed).
    size_t DataSize() const;
    const TDIBPixelFormat& PixelFormat() const { return pixelFormat_; }
    const TColorTable& ColorTable() const { return colorTable_; }
    std::span<const uint8_t> BitmapInfo() const { return bitmapInfo_; }
    uint8_t* Pixels() { return pixels_.data(); }
    const uint8_t* Pixels() const { return pixels_.data(); }
    // The top row: the last one in memory.
    uint8_t* TopLine();
    size_t PixelMemorySize() const { return pixels_.size(); }

private:
    void Reset();
    void SetDataSize(size_t size);

    int bitCount_ = 0;
    std::vector<uint8_t> bitmapInfo_;
    size_t colorTableOffset_ = 0;
    bool paletteChanged_ = false;
    TColorTable colorTable_{};
    bool compressed_ = false;
    int height_ = 0, width_ = 0, widthBytes_ = 0;
    size_t size_ = 0;
    bool memoryImage_ = true;
    int palette_ = 0;
    int paletteCount_ = 0;
    std::vector<uint8_t> pixels_;
    TDIBPixelFormat pixelFormat_;
};

// The shared empty image every empty picture refers to.
std::shared_ptr<TDIBSharedImage> EmptyDIBImage();

// Expands RLE data into bottom-up rows of width pixels; stops at the end of either
// buffer, clips at the end of a row.
void ExpandRLE8(std::span<const uint8_t> source, uint8_t* pixels, int width, int height, int widthBytes);
void ExpandRLE4(std::span<const uint8_t> source, uint8_t* pixels, int width, int height, int widthBytes);

// Logical palettes shared by equal colour tables; handles are never 0.
class TPaletteManager {
public:
    int CreatePalette(const TRGBQuad* table, int count);
    void DeletePalette(int& handle);
    int ItemCount() const { return static_cast<int>(items_.size()); }

private:
    struct TPaletteItem {
        uint32_t hash = 0;
        int handle = 0;
        int refCount = 0;
        TColorTable table{};
        int count = 0;
    };
    std::vector<TPaletteItem> items_;
    int nextHandle_ = 1;
};
TPaletteManager& PaletteManager();

}  // namespace kordalt
