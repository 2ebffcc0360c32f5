// The GIF writer: files built from bitmaps or read files, read back with the reader.
#include "controls/gif_writer.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <numeric>
#include <random>

#include "controls/classic.h"
#include "controls/clipboard.h"
#include "controls/gif_image.h"
#include "controls/gif_test_support.h"

namespace kordalt {
namespace {

using test::Bytes;
using test::GifWriter;

Bytes ToBytes(const QByteArray& array) { return Bytes(array.begin(), array.end()); }

// An indexed bitmap of `colours` distinct colours and seeded random pixels.
QImage PaletteBitmap(int width, int height, int colours, unsigned seed) {
    QImage image(width, height, colours == 2 ? QImage::Format_Mono : QImage::Format_Indexed8);
    QVector<QRgb> table;
    for (int i = 0; i < colours; ++i) table.push_back(qRgb(i * 7 % 256, 255 - i, i * 13 % 256));
    image.setColorTable(table);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, static_cast<uint>(random() % static_cast<unsigned>(colours)));
    }
    return image;
}

// Pixels as 0xRRGGBB, row by row.
std::vector<QRgb> Colours(const QImage& image) {
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) out.push_back(image.pixel(x, y) & 0xFFFFFF);
    }
    return out;
}

QByteArray Written(TGIFImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.SaveToStream(buffer);
    return buffer.data();
}

// Offset of the first image descriptor (",") after the header and global table.
std::size_t FirstImageBlock(const Bytes& gif) {
    std::size_t at = 13 + ((gif[10] & 0x80) ? 3u << ((gif[10] & 7) + 1) : 0u);
    while (gif.at(at) == 0x21) {
        at += 2;
        if (gif[at - 1] == 0xF9)
            at += 6;
        else {
            while (gif.at(at) != 0) at += gif[at] + 1u;
            ++at;
        }
    }
    return at;
}

// The codes of an image data stream (code size byte and sub-blocks), read with
// the decoder's code-size rules.
std::vector<int> Codes(const Bytes& data) {
    const int minSize = data.at(0), clear = 1 << minSize;
    std::vector<std::uint8_t> bits;
    for (std::size_t at = 1; data.at(at) != 0; at += data[at] + 1u)
        bits.insert(bits.end(), data.begin() + at + 1, data.begin() + at + 1 + data[at]);
    std::vector<int> codes;
    int size = minSize + 1, next = clear + 2;
    bool first = true;
    for (std::size_t pos = 0; pos + size <= bits.size() * 8;) {
        int code = 0;
        for (int i = 0; i < size; ++i, ++pos) code |= (bits[pos / 8] >> (pos % 8) & 1) << i;
        codes.push_back(code);
        if (code == clear + 1) break;
        if (code == clear) {
            size = minSize + 1;
            next = clear + 2;
            first = true;
            continue;
        }
        if (!first && next < 4096 && ++next >= 1 << size && size < 12) ++size;
        first = false;
    }
    return codes;
}

TEST(GifWrite, GoldenTwoByTwoMonochrome) {
    // Pixels 0 0 / 0 1 with minimum code size 2 (clear 4, end 5, 3-bit codes):
    // clear 4; "0" then "00" is new: write 0, add 6 = "00"; "00" is 6, "001" is
    // new: write 6, add 7 = "001"; at the end write 1 and end 5.
    // Bits, least significant first: 4=001 0=000 6=011 1=100 5=101 -> 0x84 0x53.
    QImage bitmap = PaletteBitmap(2, 2, 2, 0);
    bitmap.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    bitmap.fill(0);
    bitmap.setPixel(1, 1, 1);
    TGIFImage image;
    image.Assign(TBitmap(bitmap));
    const Bytes expected{'G',  'I', 'F',  '8',  '7', 'a', 2, 0, 2, 0,
                         0x80, 0,   0,                                 // screen, 2-entry global table
                         0,    0,   0,    255,  255, 255,              // black, white
                         0x2C, 0,   0,    0,    0,   2,   0, 2, 0, 0,  // descriptor, no local table
                         2,    2,   0x84, 0x53, 0,                     // code size, one sub-block, end
                         0x3B};
    EXPECT_EQ(ToBytes(Written(image)), expected);
}

TEST(GifWrite, PaletteBitmapsReadBackEqual) {
    struct Case {
        int colours, minCodeSize;
    };
    for (const Case c : {Case{2, 2}, Case{16, 4}, Case{256, 8}}) {
        SCOPED_TRACE(c.colours);
        const QImage bitmap = PaletteBitmap(37, 23, c.colours, static_cast<unsigned>(c.colours));
        TGIFImage image;
        image.Assign(TBitmap(bitmap));
        const Bytes gif = ToBytes(Written(image));
        EXPECT_EQ(gif[10], 0x80 | (c.minCodeSize == 2 ? 0 : (c.minCodeSize - 1) * 0x11));
        EXPECT_EQ(gif.at(FirstImageBlock(gif) + 10), c.minCodeSize);
        TGIFImage back;
        back.LoadFromBytes(
            QByteArray(reinterpret_cast<const char*>(gif.data()), static_cast<int>(gif.size())));
        ASSERT_EQ(back.Count(), 1);
        EXPECT_EQ(back.ScreenWidth(), 37);
        EXPECT_EQ(back.ScreenHeight(), 23);
        EXPECT_EQ(Colours(back.CurrentBitmap().Image), Colours(bitmap));
    }
}

TEST(GifWrite, TrueColourBitmapIsReducedWithoutLoss) {
    QImage bitmap(20, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) bitmap.setPixel(x, y, qRgb(x * 12, y * 25, (x * y) % 7 * 30));
    }
    TGIFImage image;
    image.Assign(TBitmap(bitmap));
    TGIFImage back;
    back.LoadFromBytes(Written(image));
    EXPECT_EQ(Colours(back.CurrentBitmap().Image), Colours(bitmap));
    EXPECT_FALSE(image.Frames(0).Grayscale);
}

TEST(GifWrite, ReadFramesAreCopiedUnchanged) {
    // A 2-bit global table and an interlaced frame, then a frame with a local table.
    const Bytes interlaced = test::Compressed({0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2, 3, 3, 0, 0, 2, 2, 2, 2});
    const Bytes plain = test::Compressed({3, 2, 1, 0});
    const QByteArray source = GifWriter(4, 5, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF})
                                  .Image(0, 0, 4, 5, interlaced, {}, true)
                                  .Image(1, 1, 2, 2, plain, {0x101010, 0x202020, 0x303030, 0x404040})
                                  .Trailer()
                                  .Array();
    TGIFImage image;
    image.LoadFromBytes(source);
    const Bytes gif = ToBytes(Written(image));
    const std::size_t block = FirstImageBlock(gif);
    EXPECT_EQ(gif[10] & 7, 1);           // 2-bit global table
    EXPECT_EQ(gif.at(block + 9), 0x40);  // interlaced, no local table
    EXPECT_TRUE(
        std::equal(interlaced.begin(), interlaced.end(), gif.begin() + static_cast<long>(block) + 10));
    TGIFImage back;
    back.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(gif.data()), static_cast<int>(gif.size())));
    ASSERT_EQ(back.Count(), 2);
    EXPECT_TRUE(back.Frames(0).Interlaced);
    EXPECT_TRUE(back.Frames(1).LocalColorTable);
    EXPECT_EQ(back.Frames(1).OriginX, 1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Colours(back.Frames(i).GetFrameBitmap().Image),
                  Colours(image.Frames(i).GetFrameBitmap().Image));
    }
}

TEST(GifWrite, EncoderRoundTripsInterlacedRows) {
    // The encoder's interlaced row order against the decoder's, for every pass layout.
    for (int height = 1; height <= 10; ++height) {
        SCOPED_TRACE(height);
        const int width = 5, stride = DIBBytesPerRow(width, 8);
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride * height));
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 37 % 251);
        for (int y = 0; y < height; ++y) std::fill_n(pixels.begin() + y * stride + width, stride - width, 0);
        std::vector<std::uint8_t> data;
        EncodeGIFLZW(data, width, height, 8, true, {}, pixels.data());
        std::vector<std::uint8_t> decoded(pixels.size());
        GIFByteStream stream(data.data(), data.size());
        bool corrupted = false;
        DecodeGIFLZW(stream, width, height, 8, true, {}, corrupted, decoded.data(), 8, false);
        EXPECT_EQ(decoded, pixels);
    }
}

TEST(GifWrite, EndCodeWidthFollowsTheDecodersLastEntry) {
    // A run of equal pixels ends mid-string; the decoder's entry for the last
    // code can widen the end code (60 pixels at 1 bit: the data ends on a byte).
    for (const int bitCount : {1, 4, 8}) {
        for (int width = 1; width <= 300; ++width) {
            SCOPED_TRACE(testing::Message() << bitCount << " bits, width " << width);
            std::vector<std::uint8_t> pixels(static_cast<std::size_t>(DIBBytesPerRow(width, bitCount)), 0);
            for (int x = 0; x < width; ++x)
                pixels[static_cast<std::size_t>(x * bitCount / 8)] |=
                    static_cast<std::uint8_t>(1 << (8 - bitCount - x * bitCount % 8));
            std::vector<std::uint8_t> data;
            EncodeGIFLZW(data, width, 1, bitCount, false, {}, pixels.data());
            std::vector<std::uint8_t> decoded(pixels.size(), 0);
            GIFByteStream stream(data.data(), data.size());
            bool corrupted = false;
            ASSERT_NO_THROW(DecodeGIFLZW(stream, width, 1, bitCount, false, {}, corrupted, decoded.data(),
                                         bitCount, false));
            ASSERT_EQ(decoded, pixels);
            ASSERT_EQ(Codes(data).back(), (1 << std::max(bitCount, 2)) + 1);
        }
    }
}

TEST(GifWrite, FramesDelaysDisposalAndVersion) {
    TGIFImage image;
    const QImage bitmap = PaletteBitmap(4, 3, 16, 1);
    EXPECT_EQ(image.AppendFrame(TBitmap(bitmap)), 0);
    EXPECT_EQ(image.Version(), 1);
    {
        TGIFImage single;
        single.AppendFrame(TBitmap(bitmap));
        const Bytes gif = ToBytes(Written(single));
        EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF87a");
        EXPECT_EQ(gif.at(13 + 16 * 3), 0x2C);  // right after the global table: no graphic control
    }
    EXPECT_EQ(image.AppendFrame(TBitmap(bitmap)), 1);
    EXPECT_EQ(image.AppendFrame(TBitmap(PaletteBitmap(6, 2, 256, 2))), 2);
    EXPECT_EQ(image.FrameIndex(), 2);
    EXPECT_EQ(image.Version(), 2);
    struct Case {
        int delay, disposal, writtenDelay;
    };
    const Case cases[] = {{150, 2, 15}, {155, 0, 15}, {0, 3, 0}};
    for (int i = 0; i < 3; ++i) {
        image.Frames(i).AnimateInterval = static_cast<std::uint16_t>(cases[i].delay);
        image.Frames(i).Disposal = static_cast<std::uint8_t>(cases[i].disposal);
    }
    const Bytes gif = ToBytes(Written(image));
    const std::size_t control = FirstImageBlock(gif) - 8;
    EXPECT_EQ(Bytes(gif.begin() + static_cast<long>(control), gif.begin() + static_cast<long>(control) + 8),
              (Bytes{0x21, 0xF9, 4, 2 << 2, 15, 0, 0, 0}));
    TGIFImage back;
    back.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(gif.data()), static_cast<int>(gif.size())));
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Version(), 2);
    EXPECT_EQ(back.ScreenWidth(), 6);
    EXPECT_EQ(back.ScreenHeight(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back.Frames(i).AnimateInterval, cases[i].writtenDelay * 10);
        EXPECT_EQ(back.Frames(i).Disposal, cases[i].disposal);
        EXPECT_EQ(back.Frames(i).LocalColorTable, i > 0);  // even with the same colours
        EXPECT_EQ(Colours(back.Frames(i).GetFrameBitmap().Image),
                  Colours(image.Frames(i).GetFrameBitmap().Image));
    }
}

TEST(GifWrite, ScreenReachesAFrameFarRightAtMost65535) {
    const QImage bitmap = PaletteBitmap(4, 2, 16, 2);
    TGIFImage image;
    image.AppendFrame(TBitmap(bitmap));
    image.Frames(0).OriginX = 65533;  // 65533 + 4 does not fit in 16 bits
    TGIFImage back;
    back.LoadFromBytes(image.WriteGIFStream(false));
    EXPECT_EQ(back.ScreenWidth(), 65535) << "widened by the encoder";
    EXPECT_EQ(back.ScreenHeight(), 2);
    image.UpdateScreenSize();
    EXPECT_EQ(image.ScreenWidth(), 65535);
    EXPECT_EQ(image.ScreenHeight(), 2);
}

TEST(GifWrite, LoopExtensionOnlyWithSeveralFrames) {
    const Bytes pixels = test::Compressed({1, 0});
    for (const int frames : {1, 2}) {
        SCOPED_TRACE(frames);
        GifWriter source(2, 1, {0x000000, 0xFFFFFF});
        source.Loop(7);
        for (int i = 0; i < frames; ++i) source.Image(0, 0, 2, 1, pixels);
        TGIFImage image;
        image.LoadFromBytes(source.Trailer().Array());
        ASSERT_TRUE(image.HasLoopExtension());
        const QByteArray gif = Written(image);
        EXPECT_EQ(gif.contains("NETSCAPE2.0"), frames > 1);
        TGIFImage back;
        back.LoadFromBytes(gif);
        EXPECT_EQ(back.HasLoopExtension(), frames > 1);
        EXPECT_EQ(back.LoopCount(), frames > 1 ? 7 : 1);
        EXPECT_EQ(back.Count(), frames);
    }
}

TEST(GifWrite, TransparentColour) {
    const QImage bitmap = PaletteBitmap(5, 4, 16, 3);
    struct Case {
        TColor colour;
        bool found;
    };
    const TColor inTable = FromQColor(QColor(bitmap.color(9)));
    for (const Case c : {Case{inTable, true}, Case{0x123456, false}}) {
        TGIFImage image;
        image.Assign(TBitmap(bitmap));
        image.Frames(0).TransparentColor = c.colour;
        TGIFImage back;
        back.LoadFromBytes(Written(image));
        EXPECT_EQ(back.Version(), 2);  // a graphic control extension is written either way
        EXPECT_EQ(back.Frames(0).TransparentColor, c.found ? inTable : clNone);
        EXPECT_EQ(back.Transparent(), c.found);
    }
}

TEST(GifWrite, TransparentIndexStaysWhenItsColourIsInTheTableTwice) {
    // White at entries 0 and 2; only entry 2 is transparent.
    const QByteArray source = GifWriter(4, 1, {0xFFFFFF, 0xFF0000, 0xFFFFFF, 0x0000FF})
                                  .GraphicControl(0, 10, 2)
                                  .Image(0, 0, 4, 1, test::Compressed({0, 1, 2, 3}))
                                  .Trailer()
                                  .Array();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Path {
        const char* name;
        std::function<QByteArray(TGIFImage&)> save;
    };
    const Path paths[] = {
        {"file",
         [&](TGIFImage& image) {
             image.SaveToFile(dir.filePath("saved.gif"));
             QFile file(dir.filePath("saved.gif"));
             return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
         }},
        {"clipboard",
         [](TGIFImage& image) {
             QMimeData data;
             image.SaveToClipboardFormat(data);
             return ClipboardBlock(data, GIFClipboardFormat).mid(4);  // after the length
         }},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        TGIFImage image;
        image.LoadFromBytes(source);
        const QByteArray saved = path.save(image);
        const qsizetype control = saved.indexOf("\x21\xF9\x04");
        ASSERT_GE(control, 0);
        EXPECT_EQ(saved[control + 3] & 1, 1);
        EXPECT_EQ(saved[control + 6], 2) << "the frame's own transparent index";
        const QImage shown = QImage::fromData(saved, "GIF").convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(shown.size(), QSize(4, 1));
        EXPECT_EQ(shown.pixel(0, 0), qRgba(255, 255, 255, 255)) << "the other white stays opaque";
        EXPECT_EQ(qAlpha(shown.pixel(2, 0)), 0);
    }
}

TEST(GifWrite, FullCodeTableIsClearedAndStartsAgain) {
    // Random 8-bit pixels: after the first clear, entries 258..4094 take 3837
    // codes, then the pending pixel and the next clear follow.
    const QImage bitmap = PaletteBitmap(120, 100, 256, 9);
    TGIFImage image;
    image.Assign(TBitmap(bitmap));
    const Bytes gif = ToBytes(Written(image));
    const std::vector<int> codes =
        Codes(Bytes(gif.begin() + static_cast<long>(FirstImageBlock(gif)) + 10, gif.end()));
    std::vector<std::size_t> clears;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == 256) clears.push_back(i);
    }
    ASSERT_GE(clears.size(), 3u);
    EXPECT_EQ(clears[0], 0u);
    EXPECT_EQ(clears[1], 3839u);
    EXPECT_EQ(clears[2], 2 * 3839u);
    EXPECT_EQ(codes.back(), 257);
    TGIFImage back;
    back.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(gif.data()), static_cast<int>(gif.size())));
    EXPECT_EQ(Colours(back.CurrentBitmap().Image), Colours(bitmap));
}

TEST(GifWrite, EqualPixelsGrowLongStrings) {
    QImage bitmap(300, 300, QImage::Format_Indexed8);
    bitmap.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6)});
    bitmap.fill(1);
    TGIFImage image;
    image.Assign(TBitmap(bitmap));
    const Bytes gif = ToBytes(Written(image));
    const std::vector<int> codes =
        Codes(Bytes(gif.begin() + static_cast<long>(FirstImageBlock(gif)) + 10, gif.end()));
    // Strings of length 1, 2, 3, ...: about sqrt(2 x 90000) codes, no clear.
    EXPECT_LT(codes.size(), 430u);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 256), 1);
    TGIFImage back;
    back.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(gif.data()), static_cast<int>(gif.size())));
    EXPECT_EQ(Colours(back.CurrentBitmap().Image), Colours(bitmap));
}

TEST(GifWrite, LongCommentLinesAreWrittenInSeveralSubBlocks) {
    std::string line(300, '\0');
    std::iota(line.begin(), line.end(), 'a');  // every byte in its place
    TGIFImage image;
    image.Assign(TBitmap(PaletteBitmap(3, 3, 2, 4)));
    image.Frames(0).SetComment({line, "", "short"});
    const QByteArray gif = Written(image);
    const qsizetype at = gif.indexOf("\x21\xFE");
    ASSERT_GE(at, 0);
    EXPECT_EQ(static_cast<std::uint8_t>(gif[at + 2]), 255);
    EXPECT_EQ(static_cast<std::uint8_t>(gif[at + 3 + 255]), 45);
    TGIFImage back;
    back.LoadFromBytes(gif);
    EXPECT_EQ(back.Version(), 2);
    // The reader gives one line per sub-block: all 300 bytes come back in order.
    EXPECT_EQ(back.Frames(0).Comment(),
              (std::vector<std::string>{line.substr(0, 255), line.substr(255), "short"}));

    // An empty comment is dropped and leaves the version alone.
    TGIFImage plain;
    plain.Assign(TBitmap(PaletteBitmap(3, 3, 2, 4)));
    plain.Frames(0).Comment();
    EXPECT_EQ(ToBytes(Written(plain)).at(4), '7');
    EXPECT_TRUE(plain.Frames(0).Extensions.empty());

    // The image's own comment goes after the last frame.
    TGIFImage withComment;
    withComment.LoadFromBytes(GifWriter(1, 1, {0, 0xFFFFFF}, 0, "GIF87a")
                                  .Image(0, 0, 1, 1, test::Compressed({1}))
                                  .Comment("end")
                                  .Trailer()
                                  .Array());
    ASSERT_EQ(withComment.Comment(), std::vector<std::string>{"end"});
    TGIFImage again;
    again.LoadFromBytes(Written(withComment));
    EXPECT_EQ(again.Comment(), std::vector<std::string>{"end"});
    EXPECT_EQ(again.Version(), 2);
}

TEST(GifWrite, Failures) {
    struct Case {
        const char* name;
        std::function<void()> run;
        int id;
    };
    const Case cases[] = {
        {"no frames", [] { TGIFImage().WriteGIFStream(false); }, sGIFNoDataToWrite},
        {"frame without a bitmap",
         [] {
             TGIFImage image;
             image.AppendFrame(TBitmap());
             image.WriteGIFStream(false);
         },
         sGIFNoDataToWrite},
        {"24-bit DIB",
         [] {
             TGIFFrameData frame;
             TGIFData global;
             std::uint16_t w = 0, h = 0;
             Bytes bmp(58, 0);
             bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[18] = 1, bmp[22] = 1, bmp[28] = 24;
             EncodeFrameDIB(frame, bmp, global, w, h, {});
         },
         sGIFEncodeError},
        {"global table of 3 colours",
         [] {
             TGIFData data;
             data.ColorTable.Count = 3;
             BuildGIFFile({&data}, {});
         },
         sGIFBitsPerPixelError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.run();
            ADD_FAILURE() << "no failure";
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Id, c.id);
            EXPECT_EQ(e.what(), GIFResourceString(c.id));
        }
    }
    // Nothing reaches the stream on failure.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TGIFImage empty;
    EXPECT_THROW(empty.SaveToStream(buffer), EInvalidGraphicOperation);
    EXPECT_EQ(buffer.size(), 0);
}

TEST(GifWrite, CancelledEncodingLeavesNoHalfData) {
    TGIFImage image;
    image.Assign(TBitmap(PaletteBitmap(8, 8, 16, 5)));
    int rows = 0;
    image.OnProgress = [&](TGIFImage&, TProgressStage stage, int, const QString&) {
        if (stage == TProgressStage::psRunning && ++rows == 4) throw EAbort();
    };
    EXPECT_THROW(image.WriteGIFStream(false), EAbort);
    EXPECT_FALSE(image.Frames(0).Item->ImageData);
    rows = 100;
    TGIFImage back;
    back.LoadFromBytes(image.WriteGIFStream(false));
    EXPECT_EQ(Colours(back.CurrentBitmap().Image), Colours(image.Frames(0).Bitmap->Image));
}

TEST(GifWrite, ProgressPerRow) {
    TGIFImage image;
    image.Assign(TBitmap(PaletteBitmap(3, 4, 2, 6)));
    std::vector<std::pair<TProgressStage, int>> seen;
    image.OnProgress = [&](TGIFImage&, TProgressStage stage, int percent, const QString&) {
        seen.emplace_back(stage, percent);
    };
    image.WriteGIFStream(false);
    using S = TProgressStage;
    EXPECT_EQ(seen, (std::vector<std::pair<S, int>>{{S::psStarting, 0},
                                                    {S::psRunning, 25},
                                                    {S::psRunning, 50},
                                                    {S::psRunning, 75},
                                                    {S::psRunning, 100},
                                                    {S::psEnding, 100}}));
}

TEST(GifWrite, WriteDataAndFileReadBack) {
    TGIFImage image;
    image.Assign(TBitmap(PaletteBitmap(9, 7, 256, 7)));
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    image.WriteData(buffer);
    const QByteArray gif = image.WriteGIFStream(false);
    EXPECT_EQ(buffer.size(), gif.size() + 4);
    buffer.seek(0);
    TGIFImage back;
    back.ReadData(buffer);
    EXPECT_EQ(Colours(back.CurrentBitmap().Image), Colours(image.CurrentBitmap().Image));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    image.SaveToFile(dir.filePath("out.gif"));
    TGIFImage fromFile;
    fromFile.LoadFromFile(dir.filePath("out.gif"));
    EXPECT_EQ(ToBytes(Written(fromFile)), ToBytes(gif));
}

TEST(GifWrite, AssignToBitmap) {
    const QImage bitmap = PaletteBitmap(6, 5, 16, 8);
    TGIFImage image;
    image.Assign(TBitmap(bitmap));
    image.AppendFrame(TBitmap(PaletteBitmap(2, 2, 2, 1)));
    TBitmap dest;
    image.AssignTo(dest);
    EXPECT_EQ(dest.Image.width(), 2);  // the current frame
    image.Assign(TBitmap(bitmap));
    image.AssignTo(dest);
    EXPECT_EQ(Colours(dest.Image), Colours(bitmap));
    TGIFImage copy;
    image.AssignTo(copy);
    EXPECT_TRUE(copy.Equals(image));
    TGIFImage().AssignTo(dest);
    EXPECT_TRUE(dest.Empty());
}

}  // namespace
}  // namespace kordalt
