// Differential check of the GIF reader against Qt's: every valid frame that both
// accept must have the same colour at each pixel the frame itself sets (Qt
// composes frames, so pixels left transparent are not compared). Damaged code
// streams are repaired differently by each reader and are not compared.
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "controls/gif_reader.h"

namespace {

using namespace kordalt;

// Larger screens only cost time.
constexpr int kMaxScreenPixels = 1 << 18;

struct DecodedFrame {
    std::vector<std::uint8_t> bmp;
    int bitCount = 0, offset = 0;
    int Index(int x, int y, int width, int height) const {
        const std::uint8_t* row =
            bmp.data() + offset + static_cast<std::size_t>(height - 1 - y) * DIBBytesPerRow(width, bitCount);
        switch (bitCount) {
            case 8:
                return row[x];
            case 4:
                return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
            default:
                return (row[x / 8] >> (7 - x % 8)) & 1;
        }
    }
};

// The indices each frame's graphic controls make transparent. Qt keeps the last
// control's transparent index for the frames after it that have no control of
// their own; the format gives a control to the one image after it, so those
// indices are left out of the comparison too.
std::vector<std::set<int>> TransparentIndices(const std::vector<TGIFFrameData>& frames) {
    std::vector<std::set<int>> out;
    int carried = -1;
    for (const TGIFFrameData& frame : frames) {
        std::set<int> indices;
        bool controlled = false;
        for (const TExtension& e : frame.Extensions) {
            if (e.Kind != ekGraphicControl) continue;
            controlled = true;
            carried = (e.Header[1] & 1) ? e.Header[4] : -1;
            if (carried >= 0) indices.insert(carried);
        }
        if (!controlled && carried >= 0) indices.insert(carried);
        out.push_back(std::move(indices));
    }
    return out;
}

// The pixels a frame's code stream holds, or -1 when it is invalid before the
// frame is complete: a literal first after each clear code (a code below the
// clear code), no code beyond the next free one, literals inside the colour
// table. Counting ends at the end code, the end of the data or the first invalid
// code after the frame's pixels.
std::int64_t CodeStreamPixels(const TGIFItem& item) {
    const std::vector<std::uint8_t>& stored = *item.ImageData;
    if (stored.empty() || stored[0] < 2 || stored[0] > 8) return -1;
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 1; at < stored.size() && stored[at] != 0; at += stored[at] + 1u)
        bytes.insert(bytes.end(), stored.begin() + static_cast<long>(at) + 1,
                     stored.begin() + static_cast<long>(std::min(stored.size(), at + 1 + stored[at])));
    const int minSize = stored[0], clear = 1 << minSize, end = clear + 1;
    std::vector<std::int64_t> length(4096, 1);
    int size = minSize + 1, next = clear + 2, previous = -1;
    std::int64_t pixels = 0;
    const std::int64_t wanted = std::int64_t(item.Width) * item.Height;
    const auto counted = [&] { return pixels >= wanted ? pixels : -1; };
    std::size_t bit = 0;
    for (;;) {
        if (bit + static_cast<std::size_t>(size) > bytes.size() * 8) return counted();
        int code = 0;
        for (int i = 0; i < size; ++i, ++bit) code |= ((bytes[bit / 8] >> (bit % 8)) & 1) << i;
        if (code == clear) {
            size = minSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) return counted();
        if (previous < 0) {
            if (code >= clear || code >= item.ColorTable.Count) return counted();
            ++pixels;
            previous = code;
            continue;
        }
        if (code > next || (code < clear && code >= item.ColorTable.Count) || (code == next && next == 4096))
            return counted();
        const std::int64_t n = code < clear ? 1 : code == next ? length[previous] + 1 : length[code];
        pixels += n;
        if (next < 4096) {
            length[next] = length[previous] + 1;
            if (++next == 1 << size && size < 12) ++size;
        }
        previous = code;
    }
}

// Whether each image descriptor of the file gives both sides (a zero side takes
// the screen's, which Qt does not do); found by walking the blocks.
std::vector<bool> DescriptorSizesGiven(const std::uint8_t* data, std::size_t size) {
    std::vector<bool> given;
    GIFByteStream in(data, size);
    try {
        std::uint8_t header[13];
        in.Read(header, 13);
        std::size_t skip = (header[10] & 0x80) ? 3u << ((header[10] & 7) + 1) : 0;
        while (!in.AtEnd()) {
            std::vector<std::uint8_t> table(skip);
            in.Read(table.data(), skip);
            skip = 0;
            const std::uint8_t block = in.ReadByte();
            if (block == '!') {
                in.ReadByte();
            } else if (block == ',') {
                std::uint8_t d[9];
                in.Read(d, 9);
                given.push_back((d[4] | d[5]) != 0 && (d[6] | d[7]) != 0);
                std::vector<std::uint8_t> local((d[8] & 0x80) ? 3u << ((d[8] & 7) + 1) : 0);
                in.Read(local.data(), local.size());
                in.ReadByte();
            } else if (block != 0) {
                break;
            } else {
                continue;
            }
            for (std::uint8_t n = in.ReadByte(); n != 0; n = in.ReadByte()) {
                std::vector<std::uint8_t> sub(n);
                in.Read(sub.data(), n);
            }
        }
    } catch (const EInvalidGraphicOperation&) {
    }
    return given;
}

std::vector<QImage> QtFrames(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    std::vector<QImage> frames;
    QImage image;
    while (frames.size() < 64 && reader.read(&image))
        frames.push_back(image.convertToFormat(QImage::Format_ARGB32));
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TolerateCorruptGIF = true;
    TGIFContents contents;
    GIFByteStream stream(data, size);
    try {
        ReadGIFContents(stream, contents);
    } catch (const EInvalidGraphicOperation&) {
    }
    if (contents.Frames.empty() ||
        std::int64_t(contents.ScreenWidth) * contents.ScreenHeight > kMaxScreenPixels)
        return 0;
    for (const TGIFFrameData& frame : contents.Frames) {
        if (std::int64_t(frame.Item->Width) * frame.Item->Height > kMaxScreenPixels) return 0;
    }
    const std::vector<QImage> qt = QtFrames(data, size);
    const std::vector<bool> sized = DescriptorSizesGiven(data, size);
    const std::vector<std::set<int>> transparentPerFrame = TransparentIndices(contents.Frames);
    for (std::size_t i = 0; i < std::min({qt.size(), contents.Frames.size(), sized.size()}); ++i) {
        if (!sized[i]) continue;
        const TGIFFrameData& frame = contents.Frames[i];
        const TGIFItem& item = *frame.Item;
        const std::int64_t held = CodeStreamPixels(item);
        if (frame.Corrupted || held < std::int64_t(item.Width) * item.Height) continue;
        // Qt also places the pixels a stream holds past the frame's last: over the
        // frame's rows when it is interlaced.
        if (frame.Interlaced && held > std::int64_t(item.Width) * item.Height) continue;
        // Qt interlaces the rows of a frame that passes the screen's bottom as if
        // the frame ended there; the format interlaces over the frame's own height.
        if (frame.Interlaced && frame.OriginY + item.Height > contents.ScreenHeight) continue;
        DecodedFrame decoded;
        bool corrupted = false;
        try {
            decoded.bitCount = DIBBitCountForGIF(item.BitsPerPixel);
            decoded.offset = 54 + 4 * (1 << decoded.bitCount);
            decoded.bmp = DecodeGIFFrameToDIB(item, frame.Interlaced, true, {}, corrupted);
        } catch (const EInvalidGraphicOperation&) {
            continue;
        }
        if (corrupted) continue;
        const std::set<int>& transparent = transparentPerFrame[i];
        const QImage& theirs = qt[i];
        for (int y = 0; y < item.Height; ++y) {
            const int sy = frame.OriginY + y;
            if (sy >= theirs.height()) break;
            for (int x = 0; x < item.Width; ++x) {
                const int sx = frame.OriginX + x;
                if (sx >= theirs.width()) break;
                const int index = decoded.Index(x, y, item.Width, item.Height);
                if (index >= item.ColorTable.Count || transparent.count(index)) continue;
                const std::uint32_t bgr = item.ColorTable.ColorOf(index);
                const QRgb expected = qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, bgr >> 16);
                const QRgb got = theirs.pixel(sx, sy);
                if (got != expected) {
                    std::fprintf(stderr, "frame %zu pixel (%d, %d): index %d is %08x, Qt has %08x\n", i, x, y,
                                 index, expected, got);
                    std::abort();
                }
            }
        }
    }
    return 0;
}
