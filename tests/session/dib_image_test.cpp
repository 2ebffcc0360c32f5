// Bitmap data: pixel formats, packed DIB reading in every bit depth, RLE
// expansion, refusal of damaged bitmaps, and the shared palette cache.
#include "session/dib_image.h"

#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <limits>

#include "session/dib.h"
#include "session/dib_test_builder.h"

namespace kordalt {
namespace {

using dibtest::DibSpec;
using dibtest::DistinctTable;
using dibtest::PackedDib;
using Grid = std::vector<std::vector<uint32_t>>;  // rows top first

std::shared_ptr<TDIBSharedImage> Read(const std::vector<uint8_t>& bytes, bool memoryImage = true) {
    auto image = std::make_shared<TDIBSharedImage>();
    TDibReadStream stream(bytes);
    image->ReadPackedDIB(stream, memoryImage);
    return image;
}

// Rows of a grid in the file's order, each padded to 4 bytes.
std::vector<uint8_t> PackRows(const Grid& grid, int bitCount, bool topDown) {
    std::vector<uint8_t> out;
    const int h = static_cast<int>(grid.size());
    for (int r = 0; r < h; ++r) {
        const auto& row = grid[topDown ? r : h - 1 - r];
        std::vector<uint8_t> bytes;
        if (bitCount < 8) {
            bytes.assign((row.size() * bitCount + 7) / 8, 0);
            for (size_t x = 0; x < row.size(); ++x) {
                const size_t bit = x * bitCount;
                bytes[bit / 8] |= uint8_t(row[x] << (8 - bitCount - bit % 8));
            }
        } else {
            for (uint32_t v : row) dibtest::Put(bytes, v, bitCount / 8);
        }
        while (bytes.size() % 4 != 0) bytes.push_back(0);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

QRgb Colour(const TRGBQuad& q) { return qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue); }

void ExpectPixels(const TDIBSharedImage& image, const std::vector<std::vector<QRgb>>& expected) {
    const QImage decoded = DibToQImage(image);
    ASSERT_EQ(decoded.height(), int(expected.size()));
    ASSERT_EQ(decoded.width(), int(expected[0].size()));
    for (int y = 0; y < decoded.height(); ++y)
        for (int x = 0; x < decoded.width(); ++x)
            EXPECT_EQ(decoded.pixel(x, y), expected[y][x]) << "at " << x << "," << y;
}

std::vector<std::vector<QRgb>> TableColours(const Grid& grid, const std::vector<TRGBQuad>& table) {
    std::vector<std::vector<QRgb>> out;
    for (const auto& row : grid) {
        out.emplace_back();
        for (uint32_t i : row) out.back().push_back(Colour(table[i]));
    }
    return out;
}

TEST(DibPixelFormat, MasksCountsAndShifts) {
    const TDIBPixelFormat f = MakeDIBPixelFormat(5, 6, 5);
    EXPECT_EQ(f.RBitMask, 0xF800);
    EXPECT_EQ(f.GBitMask, 0x07E0);
    EXPECT_EQ(f.BBitMask, 0x001F);
    EXPECT_EQ(f.RShift, 8);
    EXPECT_EQ(f.GShift, 3);
    EXPECT_EQ(f.BShift, 3);
    EXPECT_EQ(f.GLoss, 2);
    EXPECT_EQ(MaskToDIBPixelFormat(0xFF0000, 0xFF00, 0xFF), MakeDIBPixelFormat(8, 8, 8));

    const std::pair<uint32_t, int> counts[] = {{0xF800, 5},      {0x07E0, 6},       {0, 0},
                                               {0x80000000u, 1}, {0xFFFFFFFFu, 32}, {0x0F0F, 4}};
    for (auto [mask, bits] : counts) EXPECT_EQ(CountMaskBits(mask), bits) << std::hex << mask;
    // Masks wider than the pixel give no undefined shifts.
    const TDIBPixelFormat wide = MaskToDIBPixelFormat(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu);
    EXPECT_EQ(wide.BBitMask, -1);
    EXPECT_EQ(wide.RBitMask, 0);
}

TEST(DibRead, PalettedAndTrueColourImagesDecodeBothRowOrders) {
    struct Case {
        int bitCount;
        Grid grid;
    };
    const Case cases[] = {
        {1, {{1, 0, 1, 1, 0}, {0, 0, 1, 0, 1}, {1, 1, 1, 0, 0}}},
        {4, {{0, 15, 3, 9, 12}, {1, 2, 3, 4, 5}, {14, 13, 12, 11, 10}}},
        {8, {{0, 255, 17, 128, 200}, {9, 8, 7, 6, 5}, {250, 1, 2, 3, 99}}},
    };
    for (const Case& c : cases) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.bitCount << " bits, top-down " << topDown);
            DibSpec s;
            s.width = 5;
            s.height = topDown ? -3 : 3;
            s.bitCount = uint16_t(c.bitCount);
            s.table = DistinctTable(1 << c.bitCount);
            s.data = PackRows(c.grid, c.bitCount, topDown);
            auto image = Read(PackedDib(s));
            EXPECT_EQ(image->Height(), 3);
            EXPECT_EQ(image->WidthBytes(), 4 * ((5 * c.bitCount + 31) / 32));
            EXPECT_EQ(image->PaletteCount(), 1 << c.bitCount);
            ExpectPixels(*image, TableColours(c.grid, s.table));
        }
    }
    const Grid rgb = {{0xFF0000, 0x00FF00, 0x0000FF}, {0x123456, 0xABCDEF, 0x000001}};
    for (bool topDown : {false, true}) {
        DibSpec s;
        s.width = 3;
        s.height = topDown ? -2 : 2;
        s.bitCount = 24;
        s.data = PackRows(rgb, 24, topDown);
        auto image = Read(PackedDib(s));
        EXPECT_EQ(image->PaletteCount(), 0);
        ExpectPixels(*image, {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, {0xFF123456, 0xFFABCDEF, 0xFF000001}});
    }
}

TEST(DibRead, SixteenAndThirtyTwoBitFormats) {
    struct Case {
        int bitCount;
        uint32_t compression;
        std::vector<uint32_t> masks;
        std::vector<uint32_t> pixels;
        std::vector<QRgb> colours;
    };
    const Case cases[] = {
        {16, BI_RGB, {}, {0x7C00, 0x03E0, 0x001F, 0x4210}, {0xFFF80000, 0xFF00F800, 0xFF0000F8, 0xFF808080}},
        {16,
         BI_BITFIELDS,
         {0xF800, 0x07E0, 0x001F},
         {0xF800, 0x07E0, 0x001F, 0x8410},
         {0xFFF80000, 0xFF00FC00, 0xFF0000F8, 0xFF808080}},
        {32,
         BI_BITFIELDS,
         {0xFF0000, 0xFF00, 0xFF},
         {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456},
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF123456}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bitCount);
        DibSpec s;
        s.width = 4;
        s.height = 1;
        s.bitCount = uint16_t(c.bitCount);
        s.compression = c.compression;
        s.masks = c.masks;
        s.data = PackRows({c.pixels}, c.bitCount, false);
        auto image = Read(PackedDib(s));
        ExpectPixels(*image, {c.colours});
        std::vector<uint8_t> written(image->BitmapInfo().begin(), image->BitmapInfo().end());
        ASSERT_EQ(written.size(), 52u);  // header and masks
        EXPECT_EQ(written[16], BI_BITFIELDS);
    }
}

TEST(DibRead, CoreHeaderReadsTheSameColoursAsAnInfoHeader) {
    Grid grid = {{0, 1, 2, 3}, {252, 253, 254, 255}};
    DibSpec info;
    info.width = 4;
    info.height = 2;
    info.table = DistinctTable(256);
    info.data = PackRows(grid, 8, false);
    DibSpec core = info;
    core.headerSize = 12;
    auto a = Read(PackedDib(info));
    auto b = Read(PackedDib(core));
    EXPECT_EQ(a->ColorTable(), b->ColorTable());
    ExpectPixels(*b, TableColours(grid, info.table));
}

TEST(DibRead, ExhaustedStreamGivesAnEmptyImage) {
    auto image = Read({});
    EXPECT_EQ(image->Size(), 0u);
    EXPECT_EQ(image->Width(), 0);
}

// A 16-colour RLE picture as in the form: kept compressed, expanded on request.
TEST(DibRle, Rle4RunsDeltaEndOfLineAndAbsoluteRuns) {
    const std::vector<uint8_t> rle = {
        0x03, 0x12, 0x05, 0x12,  // row 0: 1 2 1 | 1 2 1 2 1 (cols 3-7)
        0x00, 0x00,              // end of line
        0x00, 0x03, 0xAB, 0xC0,  // row 1: absolute A B C (word aligned)
        0x00, 0x02, 0x02, 0x01,  // delta: right 2, up 1 -> row 2, col 5
        0x02, 0x77,              // row 2: cols 5, 6 = 7
        0x00, 0x01,              // end of bitmap
        0x04, 0xFF,              // never read
    };
    DibSpec s;
    s.width = 9;
    s.height = 3;
    s.bitCount = 4;
    s.compression = BI_RLE4;
    s.table = DistinctTable(16);
    s.data = rle;
    auto image = Read(PackedDib(s));
    EXPECT_TRUE(image->Compressed());
    EXPECT_TRUE(image->MemoryImage());
    EXPECT_EQ(image->PixelMemorySize(), rle.size());
    EXPECT_EQ(image->DataSize(), rle.size());

    TDIBSharedImage expanded;
    expanded.Decompress(*image, true);
    EXPECT_FALSE(expanded.Compressed());
    EXPECT_EQ(expanded.Compression(), BI_RGB);
    const Grid grid = {
        {0, 0, 0, 0, 0, 7, 7, 0, 0}, {10, 11, 12, 0, 0, 0, 0, 0, 0}, {1, 2, 1, 1, 2, 1, 2, 1, 0}};
    ExpectPixels(expanded, TableColours(grid, s.table));
}

TEST(DibRle, Rle8RunsDeltaEndOfLineAndAbsoluteRuns) {
    const std::vector<uint8_t> rle = {
        0x02, 0x05,                    // row 0: 5 5
        0x00, 0x03, 9,    8,    7, 0,  // absolute 9 8 7, padded to a word
        0x00, 0x00,                    // end of line
        0x00, 0x02, 0x01, 0x01,        // delta from (0, 1) to (1, 2)
        0x01, 0x04,                    // row 2, col 1: 4
        0x00, 0x00,                    // end of line: row 3 is past the image
        0x03, 0x06,
    };
    DibSpec s;
    s.width = 6;
    s.height = 3;
    s.bitCount = 8;
    s.compression = BI_RLE8;
    s.table = DistinctTable(256);
    s.data = rle;
    auto image = Read(PackedDib(s));
    TDIBSharedImage expanded;
    expanded.Decompress(*image, false);
    EXPECT_FALSE(expanded.MemoryImage());
    const Grid grid = {{0, 4, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {5, 5, 9, 8, 7, 0}};
    ExpectPixels(expanded, TableColours(grid, s.table));
}

// Damaged RLE data is clipped at the row end and stops at either buffer's end.
TEST(DibRle, DamagedDataStaysInsideBothBuffers) {
    struct Case {
        const char* what;
        bool nibbles;
        std::vector<uint8_t> rle;
        std::vector<uint8_t> bottomRow;  // expected pixel values of row 0
    };
    const Case cases[] = {
        {"run past the row end", false, {0xFF, 0x03}, {3, 3, 3, 3}},
        {"absolute run past the data", false, {0x00, 0x05, 1, 2}, {1, 2, 0, 0}},
        {"delta past the last row", false, {0x00, 0x02, 0xFF, 0xFF, 0x02, 0x01}, {0, 0, 0, 0}},
        {"delta cut short", false, {0x01, 0x06, 0x00, 0x02, 0x01}, {6, 0, 0, 0}},
        {"odd trailing byte", true, {0x03, 0x45, 0x07}, {4, 5, 4, 0}},
        {"nibble run past the row end", true, {0xFF, 0x9A}, {9, 10, 9, 10}},
        {"nibble absolute run past the data", true, {0x00, 0xFF, 0x12}, {1, 2, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int width = 4, height = 2, widthBytes = 4;
        std::vector<uint8_t> pixels(widthBytes * height, 0);
        if (c.nibbles)
            ExpandRLE4(c.rle, pixels.data(), width, height, widthBytes);
        else
            ExpandRLE8(c.rle, pixels.data(), width, height, widthBytes);
        for (int x = 0; x < width; ++x) {
            const uint8_t v =
                c.nibbles ? (x % 2 == 0 ? pixels[x / 2] >> 4 : pixels[x / 2] & 0x0F) : pixels[x];
            EXPECT_EQ(v, c.bottomRow[x]) << "col " << x;
        }
        // Nothing spills into the row above or the padding.
        for (int i = c.nibbles ? 2 : widthBytes; i < widthBytes * height; ++i) EXPECT_EQ(pixels[i], 0) << i;
    }
}

TEST(DibRead, DamagedBitmapsAreRefused) {
    using Check = std::function<void(const std::vector<uint8_t>&)>;
    auto base = [] {
        DibSpec s;
        s.width = 4;
        s.height = 2;
        s.bitCount = 8;
        s.table = DistinctTable(256);
        s.data.assign(8, 1);
        return s;
    };
    auto with = [&](const std::function<void(DibSpec&)>& change) {
        DibSpec s = base();
        change(s);
        return PackedDib(s);
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int kind;  // 0 invalid graphic, 1 invalid operation, 2 read error, 3 too large
        const char* text;
    };
    const std::vector<uint8_t> good = with([](DibSpec&) {});
    const Case cases[] = {
        {"partial header size", {40, 0}, 0, "DIB is invalid"},
        {"larger header version", with([](DibSpec& s) { s.headerSize = 108; }), 0, "DIB is invalid"},
        {"header cut short", {good.begin(), good.begin() + 20}, 2, "Stream read error"},
        {"unknown compression", with([](DibSpec& s) { s.compression = 4; }), 0, "DIB is invalid"},
        {"bit count 3", with([](DibSpec& s) { s.bitCount = 3; }), 1, "Bitcount in invalid (3)"},
        {"bit count 0", with([](DibSpec& s) { s.bitCount = 0; }), 1, "Bitcount in invalid (0)"},
        {"4-4-4 masks", with([](DibSpec& s) {
             s.bitCount = 16, s.compression = BI_BITFIELDS, s.masks = {0x0F00, 0x00F0, 0x000F}, s.table = {};
         }),
         1, "PixelFormat in invalid"},
        {"5-6-5 masks on 24 bits", with([](DibSpec& s) {
             s.bitCount = 24, s.compression = BI_BITFIELDS, s.masks = {0xF800, 0x07E0, 0x001F}, s.table = {};
         }),
         1, "PixelFormat in invalid"},
        {"masks cut short", with([](DibSpec& s) {
             s.bitCount = 16, s.compression = BI_BITFIELDS, s.masks = {0xF800}, s.table = {}, s.data = {};
         }),
         2, "Stream read error"},
        {"RLE8 on 4 bits",
         with([](DibSpec& s) { s.bitCount = 4, s.compression = BI_RLE8, s.table.resize(16); }), 0,
         "DIB is invalid"},
        {"RLE4 on 24 bits", with([](DibSpec& s) { s.bitCount = 24, s.compression = BI_RLE4, s.table = {}; }),
         0, "DIB is invalid"},
        {"top-down RLE", with([](DibSpec& s) { s.height = -2, s.compression = BI_RLE8; }), 0,
         "DIB is invalid"},
        {"negative width", with([](DibSpec& s) { s.width = -4; }), 0, "DIB is invalid"},
        {"lowest height", with([](DibSpec& s) { s.height = std::numeric_limits<int32_t>::min(); }), 0,
         "DIB is invalid"},
        {"image above 2 GB",
         with([](DibSpec& s) { s.width = 65536, s.height = 65536, s.bitCount = 24, s.table = {}; }), 3,
         "too large"},
        {"size beyond 64 bits",
         with([](DibSpec& s) { s.width = 0x5FFFFF02, s.height = 0x7A4700B0, s.bitCount = 32, s.table = {}; }),
         3, "too large"},
        {"row above 2 GB, no rows",
         with([](DibSpec& s) { s.width = 0x7FFFFFFF, s.height = 0, s.bitCount = 32, s.table = {}; }), 0,
         "DIB is invalid"},
        {"huge image, little data", with([](DibSpec& s) { s.width = 30000, s.height = 30000; }), 3,
         "too large"},
        {"pixels cut short", with([](DibSpec& s) { s.data.resize(7); }), 2, "Stream read error"},
        {"top-down rows cut short", with([](DibSpec& s) { s.height = -2, s.data.resize(6); }), 2,
         "Stream read error"},
        {"colour table cut short", with([](DibSpec& s) { s.table.resize(100), s.data = {}; }), 2,
         "Stream read error"},
        {"RLE size past the data", with([](DibSpec& s) { s.compression = BI_RLE8, s.sizeImage = 9; }), 2,
         "Stream read error"},
        {"RLE size near 4 GB", with([](DibSpec& s) { s.compression = BI_RLE8, s.sizeImage = 0xFFFFFFF0; }), 2,
         "Stream read error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Read(c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const EPictureTooLarge& e) {
            EXPECT_EQ(c.kind, 3) << e.what();
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(c.kind, 0);
            EXPECT_STREQ(e.what(), c.text);
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(c.kind, 1);
            EXPECT_STREQ(e.what(), c.text);
        } catch (const EReadError& e) {
            EXPECT_EQ(c.kind, 2);
            EXPECT_STREQ(e.what(), c.text);
        }
    }
    EXPECT_NO_THROW(Read(good));
}

// RLE data of a few bytes may announce gigabytes of pixels.
TEST(DibRead, RlePicturesPastTheSizeLimitAreRefused) {
    const auto rle = [](int32_t width, int32_t height, int64_t sizeImage) {
        DibSpec s;
        s.width = width, s.height = height, s.compression = BI_RLE8, s.sizeImage = sizeImage;
        s.table = DistinctTable(256);
        s.data = {0, 1};  // end of the picture
        return PackedDib(s);
    };
    EXPECT_EQ(Read(rle(4096, 4096, 2))->Width(), 4096);
    EXPECT_THROW(Read(rle(4097, 4096, 2)), EPictureTooLarge);
    EXPECT_THROW(Read(rle(131168, 4096, 0)), EPictureTooLarge);
}

TEST(DibImage, DuplicateOfACompressedImageKeepsItsData) {
    DibSpec s;
    s.width = 4;
    s.height = 1;
    s.bitCount = 8;
    s.compression = BI_RLE8;
    s.table = DistinctTable(256);
    s.data = {0x04, 0x09, 0x00, 0x01};
    auto image = Read(PackedDib(s));
    TDIBSharedImage copy;
    copy.Duplicate(*image, false);
    EXPECT_TRUE(copy.Compressed());
    EXPECT_EQ(copy.DataSize(), 4u);
    EXPECT_EQ(std::vector<uint8_t>(copy.Pixels(), copy.Pixels() + 4), s.data);
    TDIBSharedImage empty;
    empty.Duplicate(*EmptyDIBImage(), false);
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_FALSE(empty.MemoryImage());
}

TEST(DibPalette, EqualTablesShareOneHandleUntilTheLastIsGone) {
    const int before = PaletteManager().ItemCount();
    auto make = [] {
        DibSpec s;
        s.width = 2;
        s.height = 1;
        s.bitCount = 4;
        s.table = DistinctTable(16);
        s.data = {0x01, 0, 0, 0};
        return Read(PackedDib(s));
    };
    auto a = make();
    auto b = make();
    const int handle = a->GetPalette();
    EXPECT_NE(handle, 0);
    EXPECT_EQ(b->GetPalette(), handle);
    EXPECT_EQ(PaletteManager().ItemCount(), before + 1);
    a.reset();
    EXPECT_EQ(PaletteManager().ItemCount(), before + 1);
    EXPECT_EQ(b->GetPalette(), handle);
    // A changed table gets its own palette and gives the old one up.
    TColorTable table = b->ColorTable();
    table[3].rgbRed ^= 0xFF;
    b->SetColorTable(table);
    EXPECT_NE(b->GetPalette(), handle);
    EXPECT_EQ(PaletteManager().ItemCount(), before + 1);
    b.reset();
    EXPECT_EQ(PaletteManager().ItemCount(), before);
    int unknown = 987654;
    PaletteManager().DeletePalette(unknown);
    EXPECT_EQ(unknown, 987654);
}

}  // namespace
}  // namespace kordalt
