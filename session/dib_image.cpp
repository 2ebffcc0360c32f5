#include "session/dib_image.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "session/peer_consts.h"

namespace kordalt {

namespace {

constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kMasksSize = 12;
// Offsets in the info header.
constexpr size_t kWidthAt = 4, kHeightAt = 8, kPlanesAt = 12, kBitCountAt = 14, kCompressionAt = 16,
                 kSizeImageAt = 20, kClrUsedAt = 32;

uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }
uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

[[noreturn]] void InvalidDIB() { throw EInvalidGraphic(SInvalidDib); }

// ((1 shl bits) - 1) shl shift, bounded to 32 bits.
int32_t BitMask(int bits, int shift) {
    if (bits <= 0 || shift >= 32) return 0;
    uint64_t ones = bits >= 32 ? 0xFFFFFFFFull : (uint64_t(1) << bits) - 1;
    return static_cast<int32_t>(static_cast<uint32_t>(ones << shift));
}

bool MasksAre(const TDIBPixelFormat& f, uint32_t r, uint32_t g, uint32_t b) {
    return uint32_t(f.RBitMask) == r && uint32_t(f.GBitMask) == g && uint32_t(f.BBitMask) == b;
}

void CheckPixelFormat(int bitCount, const TDIBPixelFormat& f) {
    bool fits;
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
        case 24:
        case 32:
            fits = MasksAre(f, 0xFF0000, 0x00FF00, 0x0000FF);
            break;
        case 16:
            fits = (MasksAre(f, 0x7C00, 0x03E0, 0x001F) || MasksAre(f, 0xF800, 0x07E0, 0x001F));
            break;
        default: {
            std::string text = SInvalidBitCount;
            text.replace(text.find("%d"), 2, std::to_string(bitCount));
            throw EInvalidGraphicOperation(text);
        }
    }
    if (!fits) throw EInvalidGraphicOperation(SInvalidPixelFormat);
}

// Rows are rounded up to 32 bits.
int64_t RowBytes(int width, int bitCount) { return ((int64_t(width) * bitCount + 31) >> 5) << 2; }
// The pixel bytes of an image; int64 max when above the 32-bit range.
int64_t ImageSize(int width, int height, int bitCount) {
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    const int64_t rowBytes = RowBytes(width, bitCount);
    if (height > 0 && rowBytes > kLimit / height) return std::numeric_limits<int64_t>::max();
    return rowBytes * height;
}

// The current position of an RLE expansion; rows count up from the bottom one.
class RleWriter {
public:
    RleWriter(uint8_t* pixels, int width, int height, int widthBytes, bool nibbles)
        : pixels_(pixels), width_(width), height_(height), widthBytes_(widthBytes), nibbles_(nibbles) {}
    void Put(uint8_t value) {
        if (x_ < width_ && y_ < height_) {
            uint8_t* row = pixels_ + static_cast<size_t>(y_) * widthBytes_;
            if (!nibbles_) {
                row[x_] = value;
            } else if (x_ % 2 == 0) {
                row[x_ / 2] = static_cast<uint8_t>((row[x_ / 2] & 0x0F) | (value << 4));
            } else {
                row[x_ / 2] = static_cast<uint8_t>((row[x_ / 2] & 0xF0) | (value & 0x0F));
            }
        }
        ++x_;
    }
    void EndOfLine() {
        x_ = 0;
        ++y_;
    }
    void Move(int dx, int dy) {
        x_ += dx;
        y_ += dy;
    }
    bool PastLastRow() const { return y_ >= height_; }
    // How many of the next count pixels land inside the image.
    int Room(int count) const {
        return PastLastRow() || x_ >= width_ ? 0 : static_cast<int>(std::min<int64_t>(count, width_ - x_));
    }
    void Skip(int count) { x_ += count; }

private:
    uint8_t* pixels_;
    int64_t width_, height_, widthBytes_;
    bool nibbles_;
    int64_t x_ = 0, y_ = 0;
};

void ExpandRLE(std::span<const uint8_t> src, RleWriter& out, bool nibbles) {
    size_t pos = 0;
    while (pos + 2 <= src.size() && !out.PastLastRow()) {
        const uint8_t first = src[pos], second = src[pos + 1];
        pos += 2;
        if (first != 0) {
            const int shown = out.Room(first);
            for (int i = 0; i < shown; ++i)
                out.Put(nibbles ? ((i % 2 == 0) ? second >> 4 : second & 0x0F) : second);
            out.Skip(first - shown);
        } else if (second == 0) {
            out.EndOfLine();
        } else if (second == 1) {
            return;
        } else if (second == 2) {
            if (pos + 2 > src.size()) return;
            out.Move(src[pos], src[pos + 1]);
            pos += 2;
        } else {
            const size_t bytes = nibbles ? (second + 1u) / 2 : second;
            const int shown = out.Room(second);
            for (int i = 0; i < shown; ++i) {
                const size_t at = pos + (nibbles ? i / 2 : i);
                if (at >= src.size()) return;
                out.Put(nibbles ? ((i % 2 == 0) ? src[at] >> 4 : src[at] & 0x0F) : src[at]);
            }
            out.Skip(second - shown);
            pos += bytes;
        }
        pos += pos & 1;
    }
}

}  // namespace

TColorTable GreyscaleColorTable() {
    TColorTable table;
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        table[i] = {v, v, v, 0};
    }
    return table;
}

TDIBPixelFormat MakeDIBPixelFormat(int r, int g, int b) {
    TDIBPixelFormat f;
    f.RBitMask = BitMask(r, g + b);
    f.GBitMask = BitMask(g, b);
    f.BBitMask = BitMask(b, 0);
    f.RBitCount = r;
    f.GBitCount = g;
    f.BBitCount = b;
    f.RShift = g + b - (8 - r);
    f.GShift = b - (8 - g);
    f.BShift = 8 - b;
    f.RLoss = 8 - r;
    f.GLoss = 8 - g;
    f.BLoss = 8 - b;
    return f;
}

int CountMaskBits(uint32_t mask) {
    int bit = 0;
    while (bit < 31 && (mask & (1u << bit)) == 0) ++bit;
    int count = 0;
    while (bit < 32 && (mask & (1u << bit)) != 0) {
        ++count;
        ++bit;
    }
    return count;
}

TDIBPixelFormat MaskToDIBPixelFormat(uint32_t red, uint32_t green, uint32_t blue) {
    return MakeDIBPixelFormat(CountMaskBits(red), CountMaskBits(green), CountMaskBits(blue));
}

size_t TDibReadStream::Read(void* dest, size_t count) {
    const size_t n = std::min(count, Remaining());
    if (n > 0) std::memcpy(dest, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

void TDibReadStream::ReadBuffer(void* dest, size_t count) {
    if (count > Remaining()) throw EReadError();
    Read(dest, count);
}

void TDibReadStream::Seek(size_t position) {
    if (position > data_.size()) throw EReadError();
    pos_ = position;
}

TDIBSharedImage::TDIBSharedImage() { Reset(); }

TDIBSharedImage::~TDIBSharedImage() { PaletteManager().DeletePalette(palette_); }

void TDIBSharedImage::Reset() {
    PaletteManager().DeletePalette(palette_);
    bitCount_ = 0;
    bitmapInfo_.clear();
    colorTableOffset_ = 0;
    paletteChanged_ = true;
    colorTable_ = GreyscaleColorTable();
    compressed_ = false;
    height_ = width_ = widthBytes_ = 0;
    size_ = 0;
    memoryImage_ = true;
    paletteCount_ = 0;
    pixels_.clear();
    pixels_.shrink_to_fit();
    pixelFormat_ = MakeDIBPixelFormat(8, 8, 8);
}

void TDIBSharedImage::CreateImage(int width, int height, int bitCount, const TDIBPixelFormat& format,
                                  const TColorTable& colorTable, bool memoryImage, bool compressed) {
    Reset();
    CheckPixelFormat(bitCount, format);
    const int64_t widthBytes = RowBytes(width, bitCount);
    const int64_t size = ImageSize(width, height, bitCount);
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    if (width < 0 || height < 0 || widthBytes > kLimit || size > kLimit) InvalidDIB();
    CheckPictureSize(width, height);
    bitCount_ = bitCount;
    height_ = height;
    width_ = width;
    widthBytes_ = static_cast<int>(widthBytes);
    size_ = static_cast<size_t>(size);
    pixelFormat_ = format;
    paletteCount_ = bitCount <= 8 ? 1 << bitCount : 0;

    uint32_t compression = BI_RGB;
    if (bitCount == 16 || bitCount == 32)
        compression = BI_BITFIELDS;
    else if (compressed && bitCount == 4)
        compression = BI_RLE4;
    else if (compressed && bitCount == 8)
        compression = BI_RLE8;
    colorTableOffset_ = kInfoHeaderSize + (compression == BI_BITFIELDS ? kMasksSize : 0);
    bitmapInfo_.assign(colorTableOffset_ + size_t(paletteCount_) * 4, 0);
    uint8_t* info = bitmapInfo_.data();
    PutU32(info, kInfoHeaderSize);
    PutU32(info + kWidthAt, uint32_t(width));
    PutU32(info + kHeightAt, uint32_t(height));
    PutU16(info + kPlanesAt, 1);
    PutU16(info + kBitCountAt, uint16_t(bitCount));
    PutU32(info + kCompressionAt, compression);
    PutU32(info + kSizeImageAt, uint32_t(size_));
    if (compression == BI_BITFIELDS) {
        PutU32(info + kInfoHeaderSize, uint32_t(format.RBitMask));
        PutU32(info + kInfoHeaderSize + 4, uint32_t(format.GBitMask));
        PutU32(info + kInfoHeaderSize + 8, uint32_t(format.BBitMask));
    }
    colorTable_ = colorTable;
    if (paletteCount_ > 0)
        std::memcpy(info + colorTableOffset_, colorTable_.data(), size_t(paletteCount_) * 4);

    compressed_ = compression == BI_RLE8 || compression == BI_RLE4;
    memoryImage_ = memoryImage || compressed_;
    // Both kinds of pixel memory start cleared.
    if (!compressed_) pixels_.assign(size_, 0);
}

uint32_t TDIBSharedImage::Compression() const {
    return bitmapInfo_.empty() ? BI_RGB : GetU32(bitmapInfo_.data() + kCompressionAt);
}

size_t TDIBSharedImage::DataSize() const {
    return bitmapInfo_.empty() ? 0 : GetU32(bitmapInfo_.data() + kSizeImageAt);
}

void TDIBSharedImage::SetDataSize(size_t size) {
    pixels_.assign(size, 0);
    PutU32(bitmapInfo_.data() + kSizeImageAt, uint32_t(size));
}

uint8_t* TDIBSharedImage::TopLine() {
    return size_ == 0 ? pixels_.data() : pixels_.data() + static_cast<size_t>(height_ - 1) * widthBytes_;
}

void TDIBSharedImage::ReadPackedDIB(TDibReadStream& stream, bool memoryImage, int64_t pixelOffset) {
    const size_t start = stream.Position();
    uint8_t header[kInfoHeaderSize] = {};
    const size_t got = stream.Read(header, 4);
    if (got == 0) {
        Reset();
        return;
    }
    if (got < 4) InvalidDIB();
    const uint32_t headerSize = GetU32(header);
    int32_t width, height;
    int bitCount;
    uint32_t compression = BI_RGB, sizeImage = 0, colorsUsed = 0;
    if (headerSize == kCoreHeaderSize) {
        stream.ReadBuffer(header + 4, 8);
        width = GetU16(header + 4);
        height = GetU16(header + 6);
        bitCount = GetU16(header + 10);
    } else if (headerSize == kInfoHeaderSize) {
        stream.ReadBuffer(header + 4, kInfoHeaderSize - 4);
        width = GetI32(header + kWidthAt);
        height = GetI32(header + kHeightAt);
        bitCount = GetU16(header + kBitCountAt);
        compression = GetU32(header + kCompressionAt);
        sizeImage = GetU32(header + kSizeImageAt);
        colorsUsed = GetU32(header + kClrUsedAt);
    } else {
        InvalidDIB();
    }
    if (compression > BI_BITFIELDS) InvalidDIB();
    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    // RLE data must match its bit count and is stored bottom-up only.
    if ((compression == BI_RLE8 && bitCount != 8) || (compression == BI_RLE4 && bitCount != 4) ||
        (rle && height < 0))
        InvalidDIB();
    if (width < 0 || height == std::numeric_limits<int32_t>::min()) InvalidDIB();

    TDIBPixelFormat format = MakeDIBPixelFormat(8, 8, 8);
    if (compression == BI_BITFIELDS) {
        uint8_t masks[kMasksSize];
        stream.ReadBuffer(masks, kMasksSize);
        format = MaskToDIBPixelFormat(GetU32(masks), GetU32(masks + 4), GetU32(masks + 8));
    } else if (bitCount == 16) {
        format = MakeDIBPixelFormat(5, 5, 5);
    }

    uint32_t colors = colorsUsed;
    if (colors == 0 && bitCount <= 8) colors = 1u << bitCount;
    colors = std::min<uint32_t>(colors, 256);
    TColorTable table{};
    for (uint32_t i = 0; i < colors; ++i) {
        uint8_t entry[4] = {};
        stream.ReadBuffer(entry, headerSize == kCoreHeaderSize ? 3 : 4);
        table[i] = {entry[0], entry[1], entry[2], entry[3]};
    }

    // A gap before the pixels, bounded by the data; an offset into the headers
    // or the colour table is ignored.
    if (pixelOffset >= 0 && uint64_t(pixelOffset) > stream.Position() - start) {
        if (uint64_t(pixelOffset) > stream.Size() - start) throw EReadError();
        stream.Seek(start + size_t(pixelOffset));
    }

    const int rows = height < 0 ? -height : height;
    // Nothing is allocated for data the stream does not hold.
    CheckPixelFormat(bitCount, format);
    CheckPictureSize(width, rows);
    const int64_t size = ImageSize(width, rows, bitCount);
    if (size > std::numeric_limits<int32_t>::max()) InvalidDIB();
    if ((rle ? sizeImage : size) > int64_t(stream.Remaining())) throw EReadError();
    CreateImage(width, rows, bitCount, format, table, memoryImage, rle);
    if (rle) {
        SetDataSize(sizeImage);
        stream.ReadBuffer(pixels_.data(), sizeImage);
    } else if (height >= 0 || size_ == 0) {
        stream.ReadBuffer(pixels_.data(), size_);
    } else {
        for (int row = 0; row < rows; ++row)
            stream.ReadBuffer(TopLine() - static_cast<size_t>(row) * widthBytes_, widthBytes_);
    }
}

void TDIBSharedImage::Duplicate(const TDIBSharedImage& source, bool memoryImage) {
    if (source.Size() == 0) {
        Reset();
        memoryImage_ = memoryImage;
        return;
    }
    CreateImage(source.width_, source.height_, source.bitCount_, source.pixelFormat_, source.colorTable_,
                memoryImage, source.compressed_);
    if (compressed_) SetDataSize(source.DataSize());
    std::memcpy(pixels_.data(), source.pixels_.data(), std::min(pixels_.size(), source.pixels_.size()));
}

void TDIBSharedImage::Decompress(const TDIBSharedImage& source, bool memoryImage) {
    const uint32_t compression = source.Compression();
    if (!source.compressed_ || (compression != BI_RLE8 && compression != BI_RLE4)) {
        Duplicate(source, memoryImage);
        return;
    }
    CreateImage(source.width_, source.height_, source.bitCount_, source.pixelFormat_, source.colorTable_,
                memoryImage, false);
    const auto expand = compression == BI_RLE8 ? ExpandRLE8 : ExpandRLE4;
    expand(source.pixels_, pixels_.data(), width_, height_, widthBytes_);
}

int TDIBSharedImage::GetPalette() {
    if (paletteCount_ < 1) return 0;
    if (paletteChanged_) {
        paletteChanged_ = false;
        PaletteManager().DeletePalette(palette_);
        palette_ = PaletteManager().CreatePalette(colorTable_.data(), paletteCount_);
    }
    return palette_;
}

void TDIBSharedImage::SetColorTable(const TColorTable& table) {
    colorTable_ = table;
    paletteChanged_ = true;
    if (size_ > 0 && paletteCount_ > 0)
        std::memcpy(bitmapInfo_.data() + colorTableOffset_, colorTable_.data(), size_t(paletteCount_) * 4);
}

std::shared_ptr<TDIBSharedImage> EmptyDIBImage() {
    static const auto empty = std::make_shared<TDIBSharedImage>();
    return empty;
}

void ExpandRLE8(std::span<const uint8_t> source, uint8_t* pixels, int width, int height, int widthBytes) {
    RleWriter out(pixels, width, height, widthBytes, false);
    ExpandRLE(source, out, false);
}

void ExpandRLE4(std::span<const uint8_t> source, uint8_t* pixels, int width, int height, int widthBytes) {
    RleWriter out(pixels, width, height, widthBytes, true);
    ExpandRLE(source, out, true);
}

int TPaletteManager::CreatePalette(const TRGBQuad* table, int count) {
    count = std::clamp(count, 0, 256);
    uint32_t hash = uint32_t(count);
    for (int i = 0; i < count; ++i) hash += uint32_t(table[i].rgbBlue) + table[i].rgbGreen + table[i].rgbRed;
    for (TPaletteItem& item : items_) {
        if (item.hash == hash && item.count == count &&
            std::memcmp(item.table.data(), table, size_t(count) * 4) == 0) {
            ++item.refCount;
            return item.handle;
        }
    }
    TPaletteItem item;
    item.hash = hash;
    item.handle = nextHandle_++;
    item.refCount = 1;
    std::copy(table, table + count, item.table.begin());
    item.count = count;
    items_.push_back(item);
    return item.handle;
}

void TPaletteManager::DeletePalette(int& handle) {
    if (handle == 0) return;
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const TPaletteItem& item) { return item.handle == handle; });
    if (it == items_.end()) return;
    handle = 0;
    if (--it->refCount < 1) items_.erase(it);
}

TPaletteManager& PaletteManager() {
    // Never destroyed: shared images released at exit still reach it.
    static auto* manager = new TPaletteManager;
    return *manager;
}

}  // namespace kordalt
