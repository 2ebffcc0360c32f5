// The GIF reader and LZW decoder on small files written byte by byte.
#include "controls/gif_image.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <algorithm>
#include <numeric>

#include "controls/gif_test_support.h"

namespace kordalt {
namespace {

using test::Bytes;
using test::Codes;
using test::GifWriter;
using test::PackCodes;

const std::vector<std::uint32_t> kFour = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

// Colour indices of a frame's decoded bitmap, row by row, looked up in `table`.
std::vector<int> Indices(TGIFFrame& frame, const std::vector<std::uint32_t>& table) {
    const QImage& image = frame.GetFrameBitmap().Image;
    std::vector<int> out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const std::uint32_t rgb = image.pixel(x, y) & 0xFFFFFF;
            const auto at = std::find(table.begin(), table.end(), rgb);
            out.push_back(at == table.end() ? -1 : static_cast<int>(at - table.begin()));
        }
    }
    return out;
}

struct ToleranceGuard {
    bool saved = TolerateCorruptGIF;
    explicit ToleranceGuard(bool value) { TolerateCorruptGIF = value; }
    ~ToleranceGuard() { TolerateCorruptGIF = saved; }
};

TEST(GifDecode, OnePixelWithHandWrittenCodes) {
    TGIFImage image;
    image.LoadFromBytes(GifWriter(1, 1, {0x000000, 0xFFFFFF})
                            .Image(0, 0, 1, 1, PackCodes(2, {{4, 3}, {1, 3}, {5, 3}}))
                            .Trailer()
                            .Array());
    ASSERT_EQ(image.Count(), 1);
    EXPECT_EQ(image.Version(), 2);
    EXPECT_EQ(image.FrameIndex(), 0);
    EXPECT_EQ(Indices(image.Frames(0), {0x000000, 0xFFFFFF}), std::vector<int>{1});
    EXPECT_EQ(image.Width(), 1);
    EXPECT_FALSE(image.Frames(0).Corrupted);
}

TEST(GifDecode, LocalColourTableTakesPrecedence) {
    TGIFImage image;
    image.LoadFromBytes(
        GifWriter(2, 2, {0x000000, 0x111111})
            .Image(0, 0, 2, 2, PackCodes(2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}}), kFour)
            .Trailer()
            .Array());
    ASSERT_EQ(image.Count(), 1);
    EXPECT_TRUE(image.Frames(0).LocalColorTable);
    EXPECT_EQ(Indices(image.Frames(0), kFour), (std::vector<int>{0, 1, 2, 3}));
}

// Size grows from 3 to 4 bits after two entries, a clear code returns to 3 bits,
// and a code equal to the free code repeats the previous string and its first pixel.
TEST(GifDecode, CodeSizeChangeClearCodeAndKwKwK) {
    const Codes codes = {{4, 3}, {0, 3}, {1, 3}, {6, 3}, {7, 4}, {4, 4}, {2, 3}, {6, 3}, {5, 3}};
    TGIFImage image;
    image.LoadFromBytes(GifWriter(3, 3, kFour).Image(0, 0, 3, 3, PackCodes(2, codes)).Trailer().Array());
    EXPECT_EQ(Indices(image.Frames(0), kFour), (std::vector<int>{0, 1, 0, 1, 1, 0, 2, 2, 2}));
}

TEST(GifDecode, InterlacedRowsLandInTheirPlaces) {
    // Rows are stored in pass order; row r is filled with index r % 4.
    for (int height = 1; height <= 10; ++height) {
        std::vector<int> order;
        int pass = 0;
        for (int row = 0; row < height; row = NextInterlacedRow(row, height, pass)) order.push_back(row);
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> all(static_cast<std::size_t>(height));
        std::iota(all.begin(), all.end(), 0);
        ASSERT_EQ(sorted, all) << "height " << height;
        if (height == 10) EXPECT_EQ(order, (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));

        Bytes stored;
        for (int row : order) stored.insert(stored.end(), 2, static_cast<std::uint8_t>(row % 4));
        TGIFImage image;
        SCOPED_TRACE(height);
        image.LoadFromBytes(
            GifWriter(2, height, kFour).Image(0, 0, 2, height, test::Compressed(stored), {}, true).Array());
        std::vector<int> expected;
        for (int row = 0; row < height; ++row) expected.insert(expected.end(), 2, row % 4);
        EXPECT_EQ(Indices(image.Frames(0), kFour), expected) << "height " << height;
    }
}

TEST(GifDecode, LargeImagesRoundTripWithAndWithoutClearWhenTheTableIsFull) {
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010101u ^ (i * 37 % 256) << 16;
    Bytes pixels(96 * 80);
    std::uint32_t state = 12345;
    for (auto& p : pixels) {
        state = state * 1103515245u + 12345u;
        p = static_cast<std::uint8_t>((state >> 16) % 7 == 0 ? (state >> 8) & 0xFF : (state >> 20) & 3);
    }
    for (const bool clearWhenFull : {true, false}) {
        const Bytes data = PackCodes(8, test::EncodeLZW(pixels, 8, clearWhenFull));
        TGIFImage image;
        image.LoadFromBytes(GifWriter(96, 80, palette).Image(0, 0, 96, 80, data).Array());
        std::vector<int> expected(pixels.begin(), pixels.end());
        std::vector<int> got;
        const QImage& bitmap = image.Frames(0).GetFrameBitmap().Image;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 96; ++x) {
                got.push_back(static_cast<int>(
                    std::find(palette.begin(), palette.end(), bitmap.pixel(x, y) & 0xFFFFFF) -
                    palette.begin()));
            }
        }
        EXPECT_EQ(got, expected) << "clear when full " << clearWhenFull;
    }
}

// The BMP image itself: row padding, bottom-up order, bit packing and colour table.
TEST(GifDecode, DibLayoutForOneFourAndEightBits) {
    struct Case {
        int bitsPerPixel, dibBits;
        Bytes pixels;          // 5 x 2
        Bytes firstStoredRow;  // bytes of the DIB's last line (GIF row 0)
    };
    const Case cases[] = {
        {1, 1, {1, 0, 1, 1, 0, 0, 0, 0, 0, 1}, {0xB0, 0, 0, 0}},
        {2, 4, {1, 2, 3, 0, 2, 0, 0, 0, 0, 0}, {0x12, 0x30, 0x20, 0}},
        {5, 8, {31, 0, 7, 9, 1, 0, 0, 0, 0, 0}, {31, 0, 7, 9, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        TGIFItem item;
        item.Width = 5;
        item.Height = 2;
        item.BitsPerPixel = static_cast<std::uint8_t>(c.bitsPerPixel);
        item.ColorTable.Count = 1 << c.bitsPerPixel;
        item.ColorTable.Entries[1] = {10, 20, 30};
        const int minCode = std::max(2, c.bitsPerPixel);
        item.ImageData = PackCodes(minCode, test::EncodeLZW(c.pixels, minCode));
        bool corrupted = true;
        const Bytes bmp = DecodeGIFFrameToDIB(item, false, false, {}, corrupted);
        EXPECT_FALSE(corrupted);
        const int colours = 1 << c.dibBits;
        const std::size_t offset = 54 + 4 * static_cast<std::size_t>(colours);
        const int rowBytes = DIBBytesPerRow(5, c.dibBits);
        ASSERT_EQ(bmp.size(), offset + 2 * static_cast<std::size_t>(rowBytes)) << c.bitsPerPixel;
        EXPECT_EQ(bmp[28], c.dibBits);
        EXPECT_EQ(Bytes(bmp.begin() + 58, bmp.begin() + 62), (Bytes{30, 20, 10, 0}))
            << "entry 1 is blue, green, red";
        const std::size_t lastLine = offset + static_cast<std::size_t>(rowBytes);
        const std::size_t shown =
            std::min<std::size_t>(c.firstStoredRow.size(), static_cast<std::size_t>(rowBytes));
        EXPECT_EQ(Bytes(bmp.begin() + static_cast<long>(lastLine),
                        bmp.begin() + static_cast<long>(lastLine + shown)),
                  Bytes(c.firstStoredRow.begin(), c.firstStoredRow.begin() + static_cast<long>(shown)))
            << c.bitsPerPixel;
        if (c.dibBits == 8) {
            for (int i = 32; i < 256; ++i) EXPECT_EQ(bmp[54 + 4 * i], 128) << "entry " << i;
        }
    }
}

TEST(GifDecode, StreamWithoutEndCodeDecodesWhenTheLastRowIsFull) {
    TGIFImage image;
    image.LoadFromBytes(
        GifWriter(2, 1, kFour).Image(0, 0, 2, 1, PackCodes(2, {{4, 3}, {3, 3}, {2, 3}})).Array());
    EXPECT_EQ(Indices(image.Frames(0), kFour), (std::vector<int>{3, 2}));
}

TEST(GifRead, FramesExtensionsAndHeader) {
    const Bytes one = test::Compressed({1, 1, 1, 1});
    TGIFImage image;
    image.LoadFromBytes(GifWriter(4, 3, kFour, 2, "gIf89A")
                            .Loop(40000)
                            .GraphicControl(1, 20, 3)
                            .GraphicControl(2, 7, 9)  // index outside the table: colour kept
                            .Comment("first")
                            .Image(0, 0, 2, 2, one)
                            .Append({0, 0, 0})  // zero bytes between blocks
                            .GraphicControl(3, 6554)
                            .Image(1, 1, 0, 0, test::Compressed(Bytes(12, 2)))
                            .Comment("after")
                            .Array());  // no trailer
    ASSERT_EQ(image.Count(), 2);
    EXPECT_EQ(image.ScreenWidth(), 4);
    EXPECT_EQ(image.ScreenHeight(), 3);
    EXPECT_EQ(image.BackgroundColor(), 0xFF0000u) << "blue as 0x00BBGGRR";
    EXPECT_TRUE(image.HasLoopExtension());
    EXPECT_EQ(image.LoopCount(), 30000);
    TGIFFrame& first = image.Frames(0);
    EXPECT_EQ(first.AnimateInterval, 200) << "the larger delay of two";
    EXPECT_EQ(first.Disposal, 2);
    EXPECT_EQ(first.TransparentColor, 0xFFFFFFu);
    EXPECT_EQ(first.Comment(), std::vector<std::string>{"first"});
    TGIFFrame& second = image.Frames(1);
    EXPECT_EQ(second.AnimateInterval, 65535) << "65540 ms held at the largest 16-bit delay";
    EXPECT_EQ(second.Disposal, 3);
    EXPECT_EQ(second.TransparentColor, clNone);
    EXPECT_EQ(second.Item->Width, 4) << "width 0 takes the screen's";
    EXPECT_EQ(second.Item->Height, 3);
    EXPECT_EQ(second.OriginX, 1);
    EXPECT_EQ(image.Comment(), std::vector<std::string>{"after"});
    EXPECT_EQ(image.Width(), 2) << "the current frame's width, not the screen's";
    EXPECT_TRUE(image.Transparent());
}

TEST(GifRead, GraphicControlBlockLongerThanItsFields) {
    // The fields are the block's first 4 bytes, whatever size it announces; a
    // shorter block holds no fields and is kept as an unknown extension.
    struct Case {
        Bytes block;
        TColor transparent;
    };
    const Case cases[] = {
        {{4, 1, 0, 0, 1}, 0x00FF00},
        {{5, 1, 0, 0, 1, 9}, 0x00FF00},
        {{8, 0x7F, 0xFF, 0x7F, 1, 1, 2, 3, 4}, 0x00FF00},
        {{3, 1, 0, 0}, clNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block[0]);
        Bytes control{0x21, 0xF9};
        control.insert(control.end(), c.block.begin(), c.block.end());
        control.push_back(0);
        TGIFImage image;
        image.LoadFromBytes(GifWriter(4, 1, kFour)
                                .Append(control)
                                .Image(0, 0, 4, 1, test::Compressed({0, 1, 2, 3}))
                                .Trailer()
                                .Array());
        ASSERT_EQ(image.Count(), 1);
        EXPECT_EQ(image.Frames(0).TransparentColor, c.transparent);
        TGIFImage again;
        again.LoadFromBytes(image.WriteGIFStream(false));
        EXPECT_EQ(again.Frames(0).TransparentColor, c.transparent) << "written back";
    }
}

TEST(GifRead, LoopCountsAndPlainText) {
    struct Case {
        int count;
        const char* id;
        bool loop;
        int expected;
    };
    for (const Case& c : {Case{0, "NETSCAPE2.0", true, 0}, Case{5, "ANIMEXTS1.0", true, 5},
                          Case{5, "XETSCAPE2.0", false, 1}}) {
        TGIFImage image;
        image.LoadFromBytes(
            GifWriter(1, 1, kFour).Loop(c.count, c.id).Image(0, 0, 1, 1, test::Compressed({0})).Array());
        EXPECT_EQ(image.HasLoopExtension(), c.loop) << c.id;
        EXPECT_EQ(image.LoopCount(), c.expected) << c.id;
    }
    TGIFImage image;
    image.LoadFromBytes(GifWriter(1, 1, kFour)
                            .GraphicControl(0, 5, 1)
                            .PlainText()
                            .Image(0, 0, 1, 1, test::Compressed({0}))
                            .Array());
    EXPECT_TRUE(image.Frames(0).Extensions.empty()) << "a plain-text block drops what came before it";
    EXPECT_EQ(image.Frames(0).TransparentColor, clNone);
}

TEST(GifRead, ReadDataTakesTheLengthPrefix) {
    const QByteArray gif = GifWriter(1, 1, kFour).Image(0, 0, 1, 1, test::Compressed({2})).Trailer().Array();
    QByteArray stored;
    const int n = gif.size();
    stored.append(static_cast<char>(n))
        .append(static_cast<char>(n >> 8))
        .append(2, '\0')
        .append(gif)
        .append("tail");
    QBuffer buffer(&stored);
    buffer.open(QIODevice::ReadOnly);
    TGIFImage image;
    image.ReadData(buffer);
    EXPECT_EQ(Indices(image.Frames(0), kFour), std::vector<int>{2});
    EXPECT_EQ(buffer.pos(), 4 + n);
}

TEST(GifRead, AssignSharesTheHeaderAndCopiesFrames) {
    TGIFImage source;
    source.LoadFromBytes(GifWriter(2, 1, kFour)
                             .GraphicControl(0, 10)
                             .Image(0, 0, 2, 1, test::Compressed({0, 1}))
                             .GraphicControl(0, 20)
                             .Image(0, 0, 2, 1, test::Compressed({2, 3}))
                             .Array());
    TGIFImage copy;
    int changes = 0;
    copy.OnChange = [&] { ++changes; };
    copy.Assign(&source);
    EXPECT_TRUE(copy.Equals(source));
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Frames(1).Item, source.Frames(1).Item);
    EXPECT_EQ(copy.Frames(1).AnimateInterval, 200);
    EXPECT_EQ(Indices(copy.Frames(1), kFour), (std::vector<int>{2, 3}));
    EXPECT_EQ(changes, 1);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.ScreenWidth(), 0);
    EXPECT_EQ(changes, 2);

    TGIFImage single;
    single.Assign(source.Frames(1));
    ASSERT_EQ(single.Count(), 1);
    EXPECT_EQ(single.Version(), 1);
    EXPECT_EQ(single.Data().ColorTable.Count, 4);
    EXPECT_EQ(single.ScreenWidth(), 2);
}

// Each damaged file is refused with the graphic exception and its text.
TEST(GifRead, DamagedFilesAreRefused) {
    const auto image = [](const Bytes& data) {
        return GifWriter(3, 3, kFour).Image(0, 0, 3, 3, data).Trailer();
    };
    const Codes cycle = {{4, 3}, {0, 3}, {7, 3}, {7, 3}, {7, 4}, {5, 4}};
    struct Case {
        const char* name;
        QByteArray file;
        bool tolerant;
        int id;
        std::string text;
    };
    const Case cases[] = {
        {"signature", GifWriter(1, 1, kFour, 0, "GIX89a").Array(), true, sGIFUnknownVersion,
         "Неизвестная версия изображения GIF"},
        {"version", GifWriter(1, 1, kFour, 0, "GIF88a").Array(), true, sGIFUnknownVersion, ""},
        {"short header", QByteArray("GIF89a\x01\x00", 8), true, sReadError, "Stream read error"},
        {"short colour table", GifWriter(1, 1, kFour).Array().left(20), true, sReadError, ""},
        {"garbage after extensions",
         GifWriter(1, 1, kFour).Comment("x").Comment("y").Append({0x77, 1}).Array(), true, sReadError, ""},
        {"code size 12", image(PackCodes(12, {{4096, 13}})).Array(), false, sGIFCodeSizeError,
         "Размер кода GIF не принадлежит диапазону от 2 до 9"},
        {"code size 1", image(PackCodes(1, {{2, 2}})).Array(), false, sGIFCodeSizeError, ""},
        {"data ends early", image(PackCodes(2, {{4, 3}, {1, 3}})).Array(), true, sReadError,
         "Stream read error"},
        {"no data at all", image({2, 0}).Array(), true, sReadError, ""},
        {"string cycle", image(PackCodes(2, cycle)).Array(), false, sGIFDecodeError,
         "Неверные данные в формате GIF"},
        {"truncated block", image({2, 9, 1, 2}).Array(), false, sReadError, ""},
        {"no colour table", GifWriter(1, 1).Image(0, 0, 1, 1, PackCodes(2, {{4, 3}, {0, 3}, {5, 3}})).Array(),
         true, sGIFBitsPerPixelError, "Неверное число цветов; должно быть степенью числа 2"},
    };
    for (const Case& c : cases) {
        ToleranceGuard tolerance(c.tolerant);
        TGIFImage gif;
        try {
            gif.LoadFromBytes(c.file);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Id, c.id) << c.name << ": " << e.what();
            if (!c.text.empty()) EXPECT_EQ(std::string(e.what()), c.text) << c.name;
        }
        EXPECT_EQ(gif.Count(), 0) << c.name << ": the failed frame is freed";
    }
}

// A few bytes may announce a picture of gigabytes: a screen or a frame of more
// than kMaxPicturePixels is refused before anything is allocated for it.
TEST(GifRead, PicturesPastTheSizeLimitAreRefused) {
    const Bytes onePixel = PackCodes(2, {{4, 3}, {0, 3}, {5, 3}});
    struct Case {
        const char* name;
        QByteArray file;
        bool loads;
    };
    const Case cases[] = {
        {"screen at the limit", GifWriter(4096, 4096, kFour).Image(0, 0, 1, 1, onePixel).Trailer().Array(),
         true},
        {"screen past the limit", GifWriter(4097, 4096, kFour).Image(0, 0, 1, 1, onePixel).Trailer().Array(),
         false},
        {"65535 x 65281 screen", GifWriter(65535, 65281, kFour).Image(0, 0, 1, 1, onePixel).Trailer().Array(),
         false},
        {"frame past the limit", GifWriter(1, 1, kFour).Image(0, 0, 4097, 4096, onePixel).Trailer().Array(),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGIFImage gif;
        if (c.loads) {
            gif.LoadFromBytes(c.file);
            EXPECT_EQ(gif.ScreenWidth() * gif.ScreenHeight(), kMaxPicturePixels);
            continue;
        }
        try {
            gif.LoadFromBytes(c.file);
            ADD_FAILURE() << "loaded";
        } catch (const EPictureTooLarge& e) {
            EXPECT_NE(std::string(e.what()).find("Слишком большое изображение"), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(gif.Count(), 0);
    }
}

TEST(GifRead, ToleratedDamageLoadsAndMarksTheFrame) {
    ToleranceGuard tolerance(true);
    const auto load = [](const Bytes& data, int width = 2) {
        auto gif = std::make_unique<TGIFImage>();
        gif->LoadFromBytes(GifWriter(width, 1, kFour).Image(0, 0, width, 1, data).Array());
        return gif;
    };
    Bytes cut = PackCodes(2, {{4, 3}, {0, 3}, {1, 3}}, false);
    cut.insert(cut.end(), {9, 1});  // a block of 9 bytes cut off after one
    auto truncated = load(cut);
    EXPECT_TRUE(truncated->Frames(0).Corrupted);
    EXPECT_EQ(Indices(truncated->Frames(0), kFour), (std::vector<int>{0, 1}));

    auto clamped = load(PackCodes(10, {{1024, 11}, {3, 11}, {3, 11}, {1025, 11}}));
    EXPECT_TRUE(clamped->Frames(0).Corrupted) << "code size 10 is clamped to 9";

    auto cycle = load(PackCodes(2, {{4, 3}, {0, 3}, {7, 3}, {7, 3}, {7, 4}, {5, 4}}), 9);
    EXPECT_TRUE(cycle->Frames(0).Corrupted);
}

TEST(GifRead, FramesBeforeTheDamageStay) {
    TGIFImage gif;
    EXPECT_THROW(
        gif.LoadFromBytes(
            GifWriter(1, 1, kFour).Image(0, 0, 1, 1, test::Compressed({1})).Append({0x21, 0xF9, 4}).Array()),
        EInvalidGraphicOperation);
    EXPECT_EQ(gif.Count(), 1);
}

TEST(GifRead, SizeCannotChange) {
    TGIFImage gif;
    try {
        gif.SetWidth(5);
        ADD_FAILURE();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Id, sGIFImageSizeChange);
    }
    EXPECT_THROW(gif.SetHeight(5), EInvalidGraphicOperation);
}

}  // namespace
}  // namespace kordalt

namespace kordalt {
namespace {

// Code streams that other writers produce and that decode as the format defines.
TEST(GifDecode, ValidStreamsOfOtherWriters) {
    struct Case {
        const char* name;
        int width;
        Codes codes;
        std::vector<int> pixels;
    };
    const Case cases[] = {
        // 1, 2, then code 6 = "1 2": the first code adds no entry.
        {"no leading clear code", 4, {{1, 3}, {2, 3}, {6, 3}, {5, 4}}, {1, 2, 1, 2}},
        // Six bits fill one byte: no room for an end code or another code.
        {"no end code and no spare bits", 1, {{4, 3}, {3, 3}}, {3}},
        {"two clear codes in a row", 2, {{4, 3}, {4, 3}, {1, 3}, {2, 3}, {5, 3}}, {1, 2}},
        {"clear code after the first pixel", 2, {{1, 3}, {4, 3}, {2, 3}, {5, 3}}, {1, 2}},
        {"a string code", 4, {{4, 3}, {1, 3}, {1, 3}, {6, 3}, {5, 4}}, {1, 1, 1, 1}},
    };
    const std::vector<std::uint32_t> kEight = {0x000000, 0x111111, 0x222222, 0x333333,
                                               0x444444, 0x555555, 0x666666, 0x777777};
    for (const Case& c : cases) {
        // A table larger than the code size needs: codes 6 and 7 are strings, not colours.
        for (const auto& table : {kFour, kEight}) {
            ToleranceGuard strict(false);
            TGIFImage image;
            image.LoadFromBytes(GifWriter(c.width, 1, table)
                                    .Image(0, 0, c.width, 1, PackCodes(2, c.codes))
                                    .Trailer()
                                    .Array());
            EXPECT_EQ(Indices(image.Frames(0), table), c.pixels)
                << c.name << ", " << table.size() << " colours";
            EXPECT_FALSE(image.Frames(0).Corrupted) << c.name;
        }
    }
}

// An extension of an unknown label is skipped by its sub-blocks and kept with its
// frame; a known label whose block has another size is read the same way.
TEST(GifRead, UnknownExtensionsAreKeptAndWrittenBack) {
    const Bytes unknown = {0x21, 0x42, 3, 'a', 'b', 'c', 2, 'd', 'e', 0};
    const Bytes oddControl = {0x21, 0xF9, 2, 7, 7, 0};
    TGIFImage image;
    image.LoadFromBytes(GifWriter(2, 1, kFour)
                            .Append(unknown)
                            .Append(oddControl)
                            .Image(0, 0, 2, 1, test::Compressed({3, 1}))
                            .Append({0x21, 0x99, 1, 'z', 0})  // after the last frame
                            .Trailer()
                            .Array());
    ASSERT_EQ(image.Count(), 1);
    EXPECT_EQ(Indices(image.Frames(0), kFour), (std::vector<int>{3, 1}));
    const std::vector<TExtension>& kept = image.Frames(0).Extensions;
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Kind, ekOther);
    EXPECT_EQ(kept[0].Header, Bytes{0x42});
    EXPECT_EQ(kept[0].Data, (std::vector<std::string>{"abc", "de"}));
    EXPECT_EQ(kept[1].Kind, ekOther);
    EXPECT_EQ(image.Frames(0).TransparentColor, kGIFNoColor) << "a damaged graphic control is not one";

    const QByteArray saved = image.WriteGIFStream(false);
    EXPECT_TRUE(saved.contains(QByteArray(reinterpret_cast<const char*>(unknown.data()), unknown.size())));
    TGIFImage again;
    again.LoadFromBytes(saved);
    ASSERT_EQ(again.Count(), 1);
    EXPECT_EQ(again.Frames(0).Extensions.size(), 2u);
}

}  // namespace
}  // namespace kordalt
