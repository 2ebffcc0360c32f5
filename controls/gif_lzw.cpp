#include "controls/gif_lzw.h"

#include <algorithm>
#include <cstring>

namespace kordalt {

std::string GIFResourceString(int id) {
    switch (id) {
        case sReadError:
            return "Stream read error";
        case sGIFUnknownVersion:
            return "Неизвестная версия изображения GIF";
        case 61093:
            return "Ошибка кодировки данных в формат GIF";
        case sGIFDecodeError:
            return "Неверные данные в формате GIF";
        case sGIFCodeSizeError:
            return "Размер кода GIF не принадлежит диапазону от 2 до 9";
        case sGIFBitsPerPixelError:
            return "Неверное число цветов; должно быть степенью числа 2";
        case sGIFUnknownExtension:
            return "Неопределенное расширение GIF: %.2x";
        case 61098:
            return "Нет данных для записи в формате GIF";
        case sGIFImageSizeChange:
            return "Невозможно изменить размер изображения GIF";
        case sGIFImageDescription:
            return "CompuServe GIF Image";
        default:
            return std::string();
    }
}

std::uint32_t TGIFColorTable::ColorOf(int index) const {
    const auto& e = Entries[static_cast<std::size_t>(index) & 0xFF];
    return std::uint32_t(e[0]) | std::uint32_t(e[1]) << 8 | std::uint32_t(e[2]) << 16;
}

int ColorsToBitsPerPixel(int colours) {
    for (int bits = 1; bits <= 8; ++bits) {
        if (colours == 1 << bits) return bits;
    }
    throw GIFError(sGIFBitsPerPixelError);
}

std::uint8_t GIFByteStream::ReadByte() {
    if (AtEnd()) throw GIFError(sReadError);
    return data_[pos_++];
}

std::uint16_t GIFByteStream::ReadWord() {
    const std::uint8_t low = ReadByte();
    return static_cast<std::uint16_t>(low | ReadByte() << 8);
}

void GIFByteStream::Read(std::uint8_t* dest, std::size_t count) {
    if (count > Remaining()) throw GIFError(sReadError);
    ReadSome(dest, count);
}

std::size_t GIFByteStream::ReadSome(std::uint8_t* dest, std::size_t count) {
    count = std::min(count, Remaining());
    if (count > 0) std::memcpy(dest, data_ + pos_, count);
    pos_ += count;
    return count;
}

int NextInterlacedRow(int row, int height, int& pass) {
    static constexpr int kStep[4] = {8, 8, 4, 2};
    static constexpr int kRestart[4] = {4, 2, 1, 0};
    row += kStep[pass & 3];
    while (row >= height && pass < 3) {
        row = kRestart[pass];
        ++pass;
        if (row < height || pass == 3) break;
    }
    return row;
}

int DIBBitCountForGIF(int bitsPerPixel) {
    if (bitsPerPixel == 1) return 1;
    if (bitsPerPixel >= 2 && bitsPerPixel <= 4) return 4;
    if (bitsPerPixel >= 5 && bitsPerPixel <= 8) return 8;
    throw GIFError(sGIFBitsPerPixelError);
}

std::array<std::uint8_t, 1024> GIFColorsToRGBQuads(const TGIFColorTable& table) {
    std::array<std::uint8_t, 1024> quads;
    quads.fill(128);
    // The count is a byte: 0 (an empty table, or 256) copies all 256 entries.
    const int count = (table.Count & 0xFF) == 0 ? 256 : table.Count & 0xFF;
    for (int i = 0; i < count; ++i) {
        const auto& e = table.Entries[static_cast<std::size_t>(i)];
        quads[i * 4 + 0] = e[2];
        quads[i * 4 + 1] = e[1];
        quads[i * 4 + 2] = e[0];
        quads[i * 4 + 3] = 0;
    }
    return quads;
}

namespace {

constexpr std::uint16_t kEndOfData = 0xFFFF;

// Variable-width codes, least significant bit first, from the data sub-blocks.
class LZWCodeReader {
public:
    explicit LZWCodeReader(GIFByteStream& data) : data_(data) {}

    void SetCodeSize(int size) {
        codeSize_ = static_cast<std::uint32_t>(size);
        mask_ = (1u << size) - 1;
    }

    std::uint16_t ReadLZWCode() {
        while (bitPos_ + codeSize_ > validBits_ && !data_.AtEnd()) Refill();
        if (bitPos_ + codeSize_ > validBits_) return kEndOfData;
        const std::uint8_t* p = buffer_ + (bitPos_ >> 3);
        std::uint32_t bits = p[0] | std::uint32_t(p[1]) << 8;
        if (codeSize_ > 8) bits |= std::uint32_t(p[2]) << 16;
        bitPos_ += codeSize_;
        return static_cast<std::uint16_t>((bits >> ((bitPos_ - codeSize_) & 7)) & mask_);
    }

private:
    // Drops the consumed whole bytes and appends the next sub-block.
    void Refill() {
        const std::uint32_t consumed = bitPos_ >> 3;
        std::memmove(buffer_, buffer_ + consumed, 3);
        validBits_ -= consumed * 8;
        bitPos_ &= 7;
        const std::uint8_t size = data_.ReadByte();
        validBits_ += static_cast<std::uint32_t>(data_.ReadSome(buffer_ + validBits_ / 8, size)) * 8;
    }

    GIFByteStream& data_;
    std::uint8_t buffer_[260] = {};
    std::uint32_t bitPos_ = 0, validBits_ = 0;
    std::uint32_t codeSize_ = 0, mask_ = 0;
};

// Writes colour indices into a bottom-up DIB, row by row in GIF order.
class DIBPixelWriter {
public:
    DIBPixelWriter(std::uint8_t* pixels, int width, int height, int bitCount, bool interlaced)
        : pixels_(pixels),
          width_(width),
          height_(height),
          bitCount_(bitCount),
          interlaced_(interlaced),
          bytesPerRow_(DIBBytesPerRow(width, bitCount)) {
        if (width_ < 1) row_ = height_;  // nothing to fill
        StartRow();
    }

    bool Done() const { return row_ >= height_; }

    void PutDecodedPixel(int index) {
        if (Done()) return;
        switch (bitCount_) {
            case 8:
                rowStart_[column_] = static_cast<std::uint8_t>(index);
                break;
            case 4: {
                std::uint8_t& byte = rowStart_[column_ / 2];
                byte = column_ % 2 == 0 ? static_cast<std::uint8_t>(index << 4)
                                        : static_cast<std::uint8_t>(byte | index);
                break;
            }
            default: {
                std::uint8_t& byte = rowStart_[column_ / 8];
                const int shift = 7 - column_ % 8;
                byte = column_ % 8 == 0 ? static_cast<std::uint8_t>(index << 7)
                                        : static_cast<std::uint8_t>(byte | index << shift);
                break;
            }
        }
        if (++column_ < width_) return;
        column_ = 0;
        row_ = interlaced_ ? NextInterlacedRow(row_, height_, pass_) : row_ + 1;
        StartRow();
    }

private:
    void StartRow() {
        if (!Done()) rowStart_ = pixels_ + static_cast<std::size_t>(height_ - 1 - row_) * bytesPerRow_;
    }

    std::uint8_t* pixels_;
    int width_, height_, bitCount_;
    bool interlaced_;
    int bytesPerRow_;
    int column_ = 0, row_ = 0, pass_ = 0;
    std::uint8_t* rowStart_ = nullptr;
};

void Tell(const GIFProgress& progress, TProgressStage stage, int percent, const std::string& message = {}) {
    if (progress) progress(stage, percent, message);
}

void RunLZW(GIFByteStream& data, DIBPixelWriter& out, const GIFProgress& progress, bool& corrupted,
            int maskBits, bool tolerant) {
    std::vector<std::uint16_t> prefix(4096), suffix(4096), stack(4098);

    int minSize = data.ReadByte();
    if (minSize < 2 || minSize > 9) {
        if (!tolerant) throw GIFError(sGIFCodeSizeError);
        corrupted = true;
        minSize = std::clamp(minSize, 2, 9);
    }
    const int clearCode = 1 << minSize, endCode = clearCode + 1, firstFree = clearCode + 2;
    const int pixelMask = (1 << maskBits) - 1;
    int codeSize = minSize + 1, codeLimit = 1 << codeSize, freeCode = firstFree;
    int previous = 0, firstChar = 0;
    bool tableFull = false;

    LZWCodeReader reader(data);
    reader.SetCodeSize(codeSize);
    // No string yet: at the start of the stream and after each clear code.
    bool havePrevious = false;
    int code = reader.ReadLZWCode();
    while (code != endCode && code != kEndOfData && !out.Done()) {
        if (code == clearCode) {
            codeSize = minSize + 1;
            codeLimit = 1 << codeSize;
            freeCode = firstFree;
            reader.SetCodeSize(codeSize);
            tableFull = false;
            havePrevious = false;
        } else if (!havePrevious) {
            previous = code;
            firstChar = code & pixelMask;
            out.PutDecodedPixel(firstChar);
            havePrevious = true;
        } else {
            const int incoming = code;
            std::size_t top = 0;
            if (code >= freeCode) {
                stack[top++] = static_cast<std::uint16_t>(firstChar);
                code = previous;
            }
            // Codes below the clear code are pixels, whatever the colour table's size.
            while (code >= clearCode) {
                if (top > 4096) {
                    if (!tolerant) throw GIFError(sGIFDecodeError);
                    corrupted = true;
                    top = 0;
                    code = pixelMask;
                    break;
                }
                stack[top++] = suffix[static_cast<std::size_t>(code)];
                code = prefix[static_cast<std::size_t>(code)];
            }
            if (corrupted) break;
            firstChar = code & pixelMask;
            stack[top++] = static_cast<std::uint16_t>(firstChar);
            while (top > 0) out.PutDecodedPixel(stack[--top]);
            if (!tableFull) {
                prefix[static_cast<std::size_t>(freeCode)] = static_cast<std::uint16_t>(previous);
                suffix[static_cast<std::size_t>(freeCode)] = static_cast<std::uint16_t>(firstChar);
                if (++freeCode >= codeLimit) {
                    if (codeSize < 12) {
                        ++codeSize;
                        codeLimit <<= 1;
                        reader.SetCodeSize(codeSize);
                    } else {
                        tableFull = true;
                    }
                }
            }
            previous = incoming;
        }
        // Complete pixels are a complete frame: nothing more is read after the last one.
        if (out.Done()) break;
        code = reader.ReadLZWCode();
        if (data.Size() > 0)
            Tell(progress, TProgressStage::psRunning, static_cast<int>(data.Position() * 100 / data.Size()));
    }
    if (code == kEndOfData) throw GIFError(sReadError);
}

}  // namespace

void DecodeGIFLZW(GIFByteStream& data, int width, int height, int bitCount, bool interlaced,
                  const GIFProgress& progress, bool& corrupted, std::uint8_t* pixels, int maskBits,
                  bool tolerant) {
    corrupted = false;
    Tell(progress, TProgressStage::psStarting, 0);
    DIBPixelWriter out(pixels, width, height, bitCount, interlaced);
    try {
        RunLZW(data, out, progress, corrupted, maskBits, tolerant);
    } catch (const std::exception& e) {
        Tell(progress, TProgressStage::psEnding, 0, e.what());
        throw;
    }
    Tell(progress, TProgressStage::psEnding, 100);
}

namespace {

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> DecodeGIFFrameToDIB(const TGIFItem& item, bool interlaced, bool tolerant,
                                              const GIFProgress& progress, bool& corrupted) {
    const int bitCount = DIBBitCountForGIF(item.BitsPerPixel);
    if (item.Width < 0 || item.Height < 0) throw GIFError(sGIFDecodeError);
    CheckPictureSize(item.Width, item.Height);
    const std::uint32_t imageSize =
        std::uint32_t(DIBBytesPerRow(item.Width, bitCount)) * std::uint32_t(item.Height);
    const std::uint32_t colours = 1u << bitCount;
    const std::uint32_t offset = 54 + 4 * colours;

    std::vector<std::uint8_t> bmp;
    bmp.reserve(offset + imageSize);
    bmp.push_back('B');
    bmp.push_back('M');
    PutLE(bmp, imageSize + offset, 4);
    PutLE(bmp, 0, 4);
    PutLE(bmp, offset, 4);
    PutLE(bmp, 40, 4);
    PutLE(bmp, static_cast<std::uint32_t>(item.Width), 4);
    PutLE(bmp, static_cast<std::uint32_t>(item.Height), 4);
    PutLE(bmp, 1, 2);
    PutLE(bmp, static_cast<std::uint32_t>(bitCount), 2);
    PutLE(bmp, 0, 4);
    PutLE(bmp, imageSize, 4);
    bmp.insert(bmp.end(), 16, 0);  // resolution and colour counts
    const auto quads = GIFColorsToRGBQuads(item.ColorTable);
    bmp.insert(bmp.end(), quads.begin(), quads.begin() + colours * 4);

    bmp.resize(offset + imageSize, 0);
    const std::vector<std::uint8_t>& stored = item.ImageData ? *item.ImageData : std::vector<std::uint8_t>();
    GIFByteStream data(stored.data(), stored.size());
    DecodeGIFLZW(data, item.Width, item.Height, bitCount, interlaced, progress, corrupted,
                 bmp.data() + offset, item.BitsPerPixel, tolerant);
    return bmp;
}

}  // namespace kordalt
