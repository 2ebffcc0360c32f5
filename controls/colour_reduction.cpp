#include "controls/colour_reduction.h"

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "controls/draw_utils.h"

namespace kordalt {

TColorMapping DefaultColorMapping = cmHistogram;

namespace {

constexpr uint8_t kLevels4[] = {0, 85, 170, 255};
constexpr uint8_t kLevels6[] = {0, 51, 102, 153, 204, 255};
constexpr uint8_t kLevels7[] = {0, 43, 85, 128, 170, 213, 255};
constexpr uint8_t kLevels8[] = {0, 36, 73, 109, 146, 182, 219, 255};

template <size_t N>
std::array<uint8_t, 256> BuildTruncTable(const uint8_t (&levels)[N]) {
    std::array<uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        size_t best = 0;
        for (size_t i = 1; i < N; ++i) {
            if (std::abs(v - levels[i]) < std::abs(v - levels[best])) best = i;
        }
        table[static_cast<size_t>(v)] = static_cast<uint8_t>(best);
    }
    return table;
}

constexpr TRGBQuad kUnused{128, 128, 128, 128};

struct Pixel {
    uint8_t b, g, r;
};

// Calls fn(x, y, pixel, out) for every pixel; `out` is the 8-bit destination.
template <typename Fn>
void ForEachPixel(const uint8_t* bits, int width, int height, std::vector<uint8_t>& out, Fn fn) {
    const int inRow = DibRowSize(width, 24), outRow = DibRowSize(width, 8);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = bits + static_cast<size_t>(y) * inRow;
        uint8_t* dst = out.data() + static_cast<size_t>(y) * outRow;
        for (int x = 0; x < width; ++x) fn(x, y, Pixel{in[3 * x], in[3 * x + 1], in[3 * x + 2]}, dst[x]);
    }
}

void Fixed666(const uint8_t* bits, int w, int h, TMappedDib& dib) {
    dib.table.fill(kUnused);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                dib.table[r * 36 + g * 6 + b] = {kLevels6[b], kLevels6[g], kLevels6[r], 0};
    const auto& t = TruncLevelTables().t6;
    ForEachPixel(bits, w, h, dib.bits, [&](int, int, Pixel p, uint8_t& out) {
        out = static_cast<uint8_t>(t[p.r] * 36 + t[p.g] * 6 + t[p.b]);
    });
    dib.usedColours = 216;
}

void Fixed784(const uint8_t* bits, int w, int h, TMappedDib& dib) {
    dib.table.fill(kUnused);
    for (int r = 0; r < 7; ++r)
        for (int g = 0; g < 8; ++g)
            for (int b = 0; b < 4; ++b)
                dib.table[r * 32 + g * 4 + b] = {kLevels4[b], kLevels8[g], kLevels7[r], 0};
    const auto& t = TruncLevelTables();
    ForEachPixel(bits, w, h, dib.bits, [&](int, int, Pixel p, uint8_t& out) {
        out = static_cast<uint8_t>((t.t7[p.r] * 8 + t.t8[p.g]) * 4 + t.t4[p.b]);
    });
    dib.usedColours = 224;
}

void Grey(const uint8_t* bits, int w, int h, TMappedDib& dib) {
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        dib.table[static_cast<size_t>(i)] = {v, v, v, 0};
    }
    ForEachPixel(bits, w, h, dib.bits, [](int, int, Pixel p, uint8_t& out) {
        out = static_cast<uint8_t>((p.r * 77 + p.g * 150 + p.b * 29) >> 8);
    });
}

void Ramps(const uint8_t* bits, int w, int h, TMappedDib& dib) {
    dib.table.fill({});
    for (int i = 0; i < 64; ++i) {
        const auto v = static_cast<uint8_t>(4 * i);
        dib.table[static_cast<size_t>(i)] = {0, 0, v, 0};
        dib.table[static_cast<size_t>(64 + i)] = {0, v, 0, 0};
        dib.table[static_cast<size_t>(128 + i)] = {v, 0, 0, 0};
    }
    ForEachPixel(bits, w, h, dib.bits, [](int x, int y, Pixel p, uint8_t& out) {
        switch ((y + x) % 3) {
            case 0:
                out = static_cast<uint8_t>(p.r >> 2);
                break;
            case 1:
                out = static_cast<uint8_t>(64 + (p.g >> 2));
                break;
            default:
                out = static_cast<uint8_t>(128 + (p.b >> 2));
                break;
        }
    });
}

// Distinct colours of the image, counted with channel masks that lose a bit
// whenever more than kMaxColours distinct colours appear.
class TColorHistogram {
public:
    static constexpr size_t kMaxColours = 2049, kSlots = 5191;
    static constexpr uint16_t kEmpty = 0xFFFF;
    struct Entry {
        Pixel colour;
        uint32_t count;
        uint8_t index;
        bool chosen;
    };

    void Count(const uint8_t* bits, int w, int h, std::vector<uint8_t>& scratch) {
        for (;;) {
            entries_.clear();
            slots_.fill(kEmpty);
            bool overflow = false;
            ForEachPixel(bits, w, h, scratch, [&](int, int, Pixel p, uint8_t&) {
                if (!overflow && !Add(Masked(p))) overflow = true;
            });
            if (!overflow) return;
            DropMaskBit();
        }
    }

    // The `wanted` most frequent colours become table entries 0..; every other
    // colour takes the index of its nearest chosen colour.
    void Choose(size_t wanted, TColorTable& table) {
        const size_t chosenCount = std::min(wanted, entries_.size());
        std::vector<const Entry*> chosen;
        for (size_t i = 0; i < chosenCount; ++i) {
            Entry* best = nullptr;
            for (Entry& e : entries_)
                if (!e.chosen && (!best || e.count > best->count)) best = &e;
            best->chosen = true;
            best->index = static_cast<uint8_t>(i);
            table[i] = {best->colour.b, best->colour.g, best->colour.r, 0};
            chosen.push_back(best);
        }
        for (size_t i = chosenCount; i < table.size(); ++i) table[i] = {128, 128, 128, 0};
        for (Entry& e : entries_)
            if (!e.chosen) e.index = Nearest(e.colour, chosen);
    }

    uint8_t IndexOf(Pixel p) const { return entries_[slots_[Find(Masked(p))]].index; }

private:
    static size_t Hash(Pixel p) {
        const int r = p.r, g = p.g, b = p.b;
        return static_cast<size_t>((r + g) * (g + b) * (b + r)) % kSlots;
    }
    static bool Same(Pixel a, Pixel b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    Pixel Masked(Pixel p) const {
        return {static_cast<uint8_t>(p.b & mask_.b), static_cast<uint8_t>(p.g & mask_.g),
                static_cast<uint8_t>(p.r & mask_.r)};
    }
    // The slot holding the colour, or the empty slot where it belongs.
    size_t Find(Pixel p) const {
        size_t slot = Hash(p);
        while (slots_[slot] != kEmpty && !Same(entries_[slots_[slot]].colour, p)) slot = (slot + 1) % kSlots;
        return slot;
    }
    bool Add(Pixel p) {
        const size_t slot = Find(p);
        if (slots_[slot] != kEmpty) {
            ++entries_[slots_[slot]].count;
            return true;
        }
        if (entries_.size() == kMaxColours) return false;
        slots_[slot] = static_cast<uint16_t>(entries_.size());
        entries_.push_back({p, 1, 0, false});
        return true;
    }
    void DropMaskBit() {
        uint8_t& mask = mask_.r < mask_.g ? mask_.g : mask_.r <= mask_.b ? mask_.b : mask_.r;
        mask = static_cast<uint8_t>(mask << 1);
    }
    static uint8_t Nearest(Pixel c, const std::vector<const Entry*>& chosen) {
        uint8_t best = 0;
        int bestDistance = -1;
        for (const Entry* e : chosen) {
            const int dr = c.r - e->colour.r, dg = c.g - e->colour.g, db = c.b - e->colour.b;
            const int d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = e->index;
            }
        }
        return best;
    }

    Pixel mask_{255, 255, 255};
    std::vector<Entry> entries_;
    std::array<uint16_t, kSlots> slots_{};
};

void Histogram(const uint8_t* bits, int w, int h, TMappedDib& dib) {
    auto histogram = std::make_unique<TColorHistogram>();
    histogram->Count(bits, w, h, dib.bits);
    histogram->Choose(256, dib.table);
    ForEachPixel(bits, w, h, dib.bits, [&](int, int, Pixel p, uint8_t& out) { out = histogram->IndexOf(p); });
}

// Median cut over a 4096-entry histogram of 12-bit colours.
class TMedianCut {
public:
    TMedianCut(const uint8_t* bits, int w, int h) : entries_(4096) {
        std::vector<uint8_t> scratch(static_cast<size_t>(DibRowSize(w, 8)) * static_cast<size_t>(h));
        pixelEntries_.reserve(static_cast<size_t>(w) * static_cast<size_t>(h));
        ForEachPixel(bits, w, h, scratch, [&](int, int, Pixel p, uint8_t&) {
            const int i = (p.r >> 4) * 256 + (p.g >> 4) * 16 + (p.b >> 4);
            ++entries_[static_cast<size_t>(i)].count;
            pixelEntries_.push_back(static_cast<uint16_t>(i));
        });
        Box first;
        std::vector<int> all;
        for (int i = 0; i < 4096; ++i)
            if (entries_[static_cast<size_t>(i)].count > 0) all.push_back(i);
        first.members = all;
        first.pixels = static_cast<uint32_t>(w) * static_cast<uint32_t>(h);
        boxes_.push_back(first);
    }

    void Split(size_t wanted) {
        while (boxes_.size() < wanted) {
            int boxIndex = -1, channel = 0, extent = -1;
            for (size_t b = 0; b < boxes_.size(); ++b) {
                if (boxes_[b].members.size() < 2) continue;
                for (int c = 0; c < 3; ++c) {
                    if (boxes_[b].extent[c] > extent) {
                        extent = boxes_[b].extent[c];
                        boxIndex = static_cast<int>(b);
                        channel = c;
                    }
                }
            }
            if (boxIndex < 0) return;
            SplitBox(static_cast<size_t>(boxIndex), channel);
        }
    }

    void Map(TMappedDib& dib, int w, int h) {
        dib.table.fill({});
        for (size_t b = 0; b < boxes_.size(); ++b) {
            int sum[3] = {};
            for (int i : boxes_[b].members) {
                entries_[static_cast<size_t>(i)].box = static_cast<uint8_t>(b);
                for (int c = 0; c < 3; ++c) sum[c] += Value(i, c);
            }
            const auto n = static_cast<int>(boxes_[b].members.size());
            if (n == 0) continue;
            int mean[3];
            for (int c = 0; c < 3; ++c) mean[c] = (16 * sum[c] + 15) / n;
            if (mean[0] <= 16 && mean[1] <= 16 && mean[2] <= 16) mean[0] = mean[1] = mean[2] = 0;
            dib.table[b] = {static_cast<uint8_t>(mean[2]), static_cast<uint8_t>(mean[1]),
                            static_cast<uint8_t>(mean[0]), 0};
        }
        size_t next = 0;
        const int outRow = DibRowSize(w, 8);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                dib.bits[static_cast<size_t>(y) * outRow + x] = entries_[pixelEntries_[next++]].box;
        dib.usedColours = 256;
    }

private:
    struct Entry {
        uint32_t count = 0;
        uint8_t box = 0;
    };
    struct Box {
        std::vector<int> members;  // histogram indexes in list order
        uint32_t pixels = 0;
        uint8_t min[3] = {0, 0, 0}, extent[3] = {255, 255, 255};
    };
    static int Value(int index, int channel) {
        return channel == 0 ? index >> 8 : channel == 1 ? (index >> 4) & 15 : index & 15;
    }

    void SplitBox(size_t b, int channel) {
        std::vector<int> members = std::move(boxes_[b].members);
        std::stable_sort(members.begin(), members.end(),
                         [channel](int x, int y) { return Value(x, channel) < Value(y, channel); });
        const uint32_t half = boxes_[b].pixels / 2;
        size_t keep = 1;
        uint32_t sum = entries_[static_cast<size_t>(members[0])].count;
        while (keep + 1 < members.size() && sum + entries_[static_cast<size_t>(members[keep])].count <= half)
            sum += entries_[static_cast<size_t>(members[keep++])].count;
        Box added = boxes_[b];
        added.members.assign(members.begin() + static_cast<std::ptrdiff_t>(keep), members.end());
        added.pixels = boxes_[b].pixels - sum;
        Box& old = boxes_[b];
        old.members.assign(members.begin(), members.begin() + static_cast<std::ptrdiff_t>(keep));
        old.pixels = sum;
        const auto last = static_cast<uint8_t>(Value(old.members.back(), channel) * 16);
        const auto first = static_cast<uint8_t>(Value(added.members.front(), channel) * 16);
        added.min[channel] = first;
        added.extent[channel] = static_cast<uint8_t>(old.min[channel] + old.extent[channel] - first);
        old.extent[channel] = static_cast<uint8_t>(last - old.min[channel]);
        boxes_.push_back(std::move(added));
    }

    std::vector<Entry> entries_;
    std::vector<uint16_t> pixelEntries_;
    std::vector<Box> boxes_;
};

void MedianCut(const uint8_t* bits, int w, int h, TMappedDib& dib) {
    TMedianCut cut(bits, w, h);
    cut.Split(256);
    cut.Map(dib, w, h);
}

}  // namespace

const TTruncLevelTables& TruncLevelTables() {
    static const TTruncLevelTables tables{BuildTruncTable(kLevels4), BuildTruncTable(kLevels6),
                                          BuildTruncTable(kLevels7), BuildTruncTable(kLevels8)};
    return tables;
}

int DibRowSize(int width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

TMappedDib MapDib24(const uint8_t* bits, int width, int height, TColorMapping method) {
    TMappedDib dib;
    dib.bits.assign(static_cast<size_t>(DibRowSize(width, 8)) * static_cast<size_t>(height), 0);
    switch (method) {
        case cmHistogram:
            Histogram(bits, width, height, dib);
            break;
        case cmMedianCut:
            MedianCut(bits, width, height, dib);
            break;
        case cmFixed784:
            Fixed784(bits, width, height, dib);
            break;
        case cmFixed666:
            Fixed666(bits, width, height, dib);
            break;
        case cmRamps:
            Ramps(bits, width, height, dib);
            break;
        case cmGrayscale:
            Grey(bits, width, height, dib);
            break;
    }
    return dib;
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// File header, 40-byte info header, a colour table of 2^bits entries up to 8
// bits, then the rows.
std::vector<uint8_t> PackedBmp(int width, int height, int bitCount, const TColorTable& table,
                               uint32_t usedColours, const std::vector<uint8_t>& bits) {
    const uint32_t tableSize = bitCount <= 8 ? 4u << bitCount : 0;
    const uint32_t offset = 14 + 40 + tableSize;
    std::vector<uint8_t> out;
    out.reserve(offset + bits.size());
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + static_cast<uint32_t>(bits.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bitCount));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(bits.size()));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, usedColours);
    Put32(out, 0);
    for (uint32_t i = 0; i < tableSize / 4; ++i) {
        const TRGBQuad& q = table[i];
        out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, q.rgbReserved});
    }
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

// The image as 24-bit bottom-up rows.
std::vector<uint8_t> Dib24Of(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int w = rgb.width(), h = rgb.height(), row = DibRowSize(w, 24);
    std::vector<uint8_t> bits(static_cast<size_t>(row) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const uchar* in = rgb.constScanLine(h - 1 - y);
        uint8_t* out = bits.data() + static_cast<size_t>(y) * row;
        for (int x = 0; x < w; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return bits;
}

// The platform's conversion to 1 or 4 bits: each pixel takes the nearest colour
// of the black-and-white or the 16-colour system palette.
std::vector<uint8_t> PackedIndexedBmp(const QImage& image, int bitCount) {
    static constexpr TColor kSystem16[16] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                             clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                             clBlue,  clFuchsia, clAqua,   clWhite};
    TColorTable table{};
    const int colours = 1 << bitCount;
    for (int i = 0; i < colours; ++i) {
        const TColor c = bitCount == 1 ? (i == 0 ? clBlack : clWhite) : kSystem16[i];
        table[static_cast<size_t>(i)] = {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                         static_cast<uint8_t>(c), 0};
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width(), h = rgb.height(), row = DibRowSize(w, bitCount);
    std::vector<uint8_t> bits(static_cast<size_t>(row) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = rgb.pixel(x, h - 1 - y);
            int best = 0, bestDistance = -1;
            for (int i = 0; i < colours; ++i) {
                const TRGBQuad& q = table[static_cast<size_t>(i)];
                const int dr = qRed(p) - q.rgbRed, dg = qGreen(p) - q.rgbGreen, db = qBlue(p) - q.rgbBlue;
                const int d = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || d < bestDistance) {
                    bestDistance = d;
                    best = i;
                }
            }
            const int bit = x * bitCount;
            bits[static_cast<size_t>(y) * row + bit / 8] |=
                static_cast<uint8_t>(best << (8 - bitCount - bit % 8));
        }
    }
    return PackedBmp(w, h, bitCount, table, 0, bits);
}

int PixelFormatOf(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
            return 1;
        case QImage::Format_Indexed8:
            return 8;
        case QImage::Format_RGB888:
            return 24;
        default:
            return 0;
    }
}

std::vector<uint8_t> OwnBmp(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {data.begin(), data.end()};
}

}  // namespace

std::vector<uint8_t> BitmapToDIBStream(const QImage& bitmap, int bitCount, TColorMapping method) {
    if (bitmap.isNull()) throw EInvalidGraphic("Bitmap image is not valid");
    if (PixelFormatOf(bitmap) == bitCount && method != cmGrayscale) return OwnBmp(bitmap);
    switch (bitCount) {
        case 1:
        case 4:
            return PackedIndexedBmp(bitmap, bitCount);
        case 24:
            return PackedBmp(bitmap.width(), bitmap.height(), 24, {}, 0, Dib24Of(bitmap));
        case 8: {
            const std::vector<uint8_t> rows = Dib24Of(bitmap);
            const TMappedDib dib = MapDib24(rows.data(), bitmap.width(), bitmap.height(), method);
            return PackedBmp(bitmap.width(), bitmap.height(), 8, dib.table, dib.usedColours, dib.bits);
        }
        default:
            ReportNotImplemented();
    }
}

std::vector<uint8_t> BitmapToDIBStreamByColors(const QImage& bitmap, int colors) {
    const int bitCount = colors <= 2 ? 1 : colors <= 16 ? 4 : colors <= 256 ? 8 : 24;
    return BitmapToDIBStream(bitmap, bitCount, DefaultColorMapping);
}

}  // namespace kordalt
