// Writes small GIF files byte by byte for the GIF tests: code packing into data
// sub-blocks, a plain LZW encoder and the blocks of a GIF89a file.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace kordalt::test {

using Bytes = std::vector<std::uint8_t>;
// A code and its width in bits.
using Codes = std::vector<std::pair<int, int>>;

// Packs codes least significant bit first and splits them into sub-blocks of at
// most `blockSize` bytes; the minimum code size byte first, a zero block last.
inline Bytes PackCodes(int minCodeSize, const Codes& codes, bool terminator = true, int blockSize = 255) {
    Bytes packed;
    std::uint32_t bits = 0;
    int count = 0;
    for (auto [code, width] : codes) {
        bits |= std::uint32_t(code) << count;
        count += width;
        while (count >= 8) {
            packed.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) packed.push_back(static_cast<std::uint8_t>(bits));
    Bytes out{static_cast<std::uint8_t>(minCodeSize)};
    for (std::size_t at = 0; at < packed.size(); at += static_cast<std::size_t>(blockSize)) {
        const std::size_t n = std::min(packed.size() - at, static_cast<std::size_t>(blockSize));
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), packed.begin() + static_cast<long>(at),
                   packed.begin() + static_cast<long>(at + n));
    }
    if (terminator) out.push_back(0);
    return out;
}

// Plain LZW after the GIF rules. Without `clearWhenFull` the full table is kept
// until the end, so late codes are decoded from a table that no longer grows.
inline Codes EncodeLZW(const Bytes& pixels, int minCodeSize, bool clearWhenFull = true) {
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::vector<std::vector<int>> table;  // table[code] = children by next pixel, -1 none
    const auto reset = [&] {
        table.assign(4096, std::vector<int>());
        for (int i = 0; i < clear; ++i) table[static_cast<std::size_t>(i)].assign(256, -1);
    };
    reset();
    int width = minCodeSize + 1, next = clear + 2;
    Codes codes{{clear, width}};
    int match = pixels.empty() ? -1 : pixels[0];
    for (std::size_t i = 1; i <= pixels.size(); ++i) {
        if (i < pixels.size()) {
            const int child = table[static_cast<std::size_t>(match)][pixels[i]];
            if (child >= 0) {
                match = child;
                continue;
            }
        }
        codes.push_back({match, width});
        if (i == pixels.size()) break;
        if (next < 4096) {
            table[static_cast<std::size_t>(match)][pixels[i]] = next;
            table[static_cast<std::size_t>(next)].assign(256, -1);
            ++next;
            if (next > (1 << width) && width < 12) ++width;
            if (next == 4096 && clearWhenFull) {
                codes.push_back({clear, width});
                reset();
                width = minCodeSize + 1;
                next = clear + 2;
            }
        }
        match = pixels[i];
    }
    // The decoder adds its entry for the last code before it reads the end code.
    if (next < 4096 && next >= (1 << width) && width < 12) ++width;
    codes.push_back({end, width});
    return codes;
}

// A GIF file written block by block.
class GifWriter {
public:
    // Colours as 0xRRGGBB; an empty table writes none (its size bits still say `bits`).
    explicit GifWriter(int screenW, int screenH, const std::vector<std::uint32_t>& global = {},
                       int background = 0, const char* signature = "GIF89a") {
        for (const char* p = signature; *p; ++p) Put(static_cast<std::uint8_t>(*p));
        Word(screenW);
        Word(screenH);
        Put(static_cast<std::uint8_t>((global.empty() ? 0 : 0x80) | 0x70 | TableBits(global.size())));
        Put(static_cast<std::uint8_t>(background));
        Put(0);
        Table(global);
    }

    GifWriter& GraphicControl(int disposal, int delay, int transparentIndex = -1) {
        Put({0x21, 0xF9, 4});
        Put(static_cast<std::uint8_t>(disposal << 2 | (transparentIndex >= 0 ? 1 : 0)));
        Word(delay);
        Put({static_cast<std::uint8_t>(transparentIndex < 0 ? 0 : transparentIndex), 0});
        return *this;
    }
    GifWriter& Comment(const std::string& text) {
        Put({0x21, 0xFE, static_cast<std::uint8_t>(text.size())});
        for (char c : text) Put(static_cast<std::uint8_t>(c));
        Put(0);
        return *this;
    }
    GifWriter& Loop(int count, const char* id = "NETSCAPE2.0") {
        Put({0x21, 0xFF, 11});
        for (int i = 0; i < 11; ++i) Put(static_cast<std::uint8_t>(id[i]));
        Put({3, 1});
        Word(count);
        Put(0);
        return *this;
    }
    GifWriter& PlainText() {
        Put({0x21, 0x01, 12});
        for (int i = 0; i < 12; ++i) Put(0);
        Put({1, 'x', 0});
        return *this;
    }
    GifWriter& Image(int left, int top, int w, int h, const Bytes& data,
                     const std::vector<std::uint32_t>& local = {}, bool interlaced = false) {
        Put(0x2C);
        Word(left);
        Word(top);
        Word(w);
        Word(h);
        Put(static_cast<std::uint8_t>((local.empty() ? 0 : 0x80 | TableBits(local.size())) |
                                      (interlaced ? 0x40 : 0)));
        Table(local);
        Append(data);
        return *this;
    }
    GifWriter& Append(const Bytes& raw) {
        bytes_.insert(bytes_.end(), raw.begin(), raw.end());
        return *this;
    }
    GifWriter& Trailer() {
        Put(0x3B);
        return *this;
    }
    const Bytes& Data() const { return bytes_; }
    QByteArray Array() const {
        return QByteArray(reinterpret_cast<const char*>(bytes_.data()), static_cast<int>(bytes_.size()));
    }

private:
    static int TableBits(std::size_t count) {
        int bits = 0;
        while ((std::size_t(2) << bits) < count) ++bits;
        return bits;
    }
    void Table(const std::vector<std::uint32_t>& colours) {
        if (colours.empty()) return;
        const std::size_t count = std::size_t(2) << TableBits(colours.size());
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t c = i < colours.size() ? colours[i] : 0;
            Put({static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                 static_cast<std::uint8_t>(c)});
        }
    }
    void Put(std::uint8_t b) { bytes_.push_back(b); }
    void Put(std::initializer_list<std::uint8_t> list) { bytes_.insert(bytes_.end(), list); }
    void Word(int v) { Put({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); }

    Bytes bytes_;
};

// LZW data for `pixels` with a minimum code size that fits the table.
inline Bytes Compressed(const Bytes& pixels, int minCodeSize = 2) {
    return PackCodes(minCodeSize, EncodeLZW(pixels, minCodeSize));
}

}  // namespace kordalt::test
