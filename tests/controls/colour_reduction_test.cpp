#include "controls/colour_reduction.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <set>

#include "controls/classic.h"
#include "icon_test_support.h"

namespace kordalt {
namespace {

// A BMP file image as written by BitmapToDIBStream.
struct Bmp {
    std::vector<uint8_t> bytes;
    uint32_t U32(size_t at) const {
        return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
               uint32_t(bytes.at(at + 3)) << 24;
    }
    int Width() const { return static_cast<int>(U32(18)); }
    int Height() const { return static_cast<int>(U32(22)); }
    int BitCount() const { return bytes.at(28); }
    uint32_t UsedColours() const { return U32(46); }
    TRGBQuad Table(int i) const {
        const size_t at = 54 + 4 * static_cast<size_t>(i);
        return {bytes.at(at), bytes.at(at + 1), bytes.at(at + 2), bytes.at(at + 3)};
    }
    // Palette index of the pixel at (x, y), y counted from the top.
    int Index(int x, int y) const {
        const int row = DibRowSize(Width(), BitCount());
        const size_t at = U32(10) + static_cast<size_t>(Height() - 1 - y) * row;
        const int bit = x * BitCount();
        return (bytes.at(at + bit / 8) >> (8 - BitCount() - bit % 8)) & ((1 << BitCount()) - 1);
    }
    QRgb Colour(int x, int y) const {
        const TRGBQuad q = Table(Index(x, y));
        return qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
};

Bmp Reduce(const QImage& image, int bits, TColorMapping method) {
    return {BitmapToDIBStream(image, bits, method)};
}

QImage Pixels(std::initializer_list<QRgb> row) {
    QImage image(static_cast<int>(row.size()), 1, QImage::Format_RGB32);
    int x = 0;
    for (QRgb c : row) image.setPixel(x++, 0, c);
    return image;
}

TEST(ColourReduction, TruncationTablesPickTheNearestLevel) {
    const TTruncLevelTables& t = TruncLevelTables();
    EXPECT_EQ(t.t4[42], 0);
    EXPECT_EQ(t.t4[43], 1);
    EXPECT_EQ(t.t4[255], 3);
    EXPECT_EQ(t.t6[25], 0);
    EXPECT_EQ(t.t6[26], 1);
    EXPECT_EQ(t.t7[21], 0);
    EXPECT_EQ(t.t7[22], 1);
    EXPECT_EQ(t.t8[18], 0) << "equally near 0 and 36: the lower index";
    EXPECT_EQ(t.t8[19], 1);
    EXPECT_EQ(t.t8[255], 7);
}

TEST(ColourReduction, FixedPalettesMapEachPixel) {
    const QImage image = Pixels({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(100, 180, 30)});
    struct Case {
        TColorMapping method;
        uint32_t used;
        int indexes[4];
    } cases[] = {
        {cmFixed666, 216, {215, 0, 5 * 36, 2 * 36 + 4 * 6 + 1}},
        {cmFixed784, 224, {223, 0, 6 * 32, (2 * 8 + 5) * 4 + 0}},
        {cmGrayscale, 0, {255, 0, 76, (100 * 77 + 180 * 150 + 30 * 29) >> 8}},
        {cmRamps, 0, {255 >> 2, 64 + 0, 128 + 0, 255 / 4 * 0 + (100 >> 2)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.method));
        const Bmp bmp = Reduce(image, 8, c.method);
        ASSERT_EQ(bmp.BitCount(), 8);
        EXPECT_EQ(bmp.UsedColours(), c.used);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(bmp.Index(x, 0), c.indexes[x]) << "pixel " << x;
    }
    const Bmp fixed = Reduce(image, 8, cmFixed666);
    EXPECT_EQ(fixed.Colour(3, 0), qRgb(102, 204, 51));
    EXPECT_EQ(fixed.Table(216), (TRGBQuad{128, 128, 128, 128}));
    const Bmp ramps = Reduce(image, 8, cmRamps);
    EXPECT_EQ(ramps.Table(64 + 10), (TRGBQuad{0, 40, 0, 0}));
    EXPECT_EQ(ramps.Table(200), (TRGBQuad{0, 0, 0, 0}));
}

TEST(ColourReduction, RampsFollowTheDiagonalFromTheFirstStoredRow) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(40, 80, 120));
    const Bmp bmp = Reduce(image, 8, cmRamps);
    // The bottom row is stored first.
    const int expected[2][3] = {{64 + 20, 128 + 30, 10}, {10, 64 + 20, 128 + 30}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(bmp.Index(x, y), expected[y][x]) << x << "," << y;
}

TEST(ColourReduction, HistogramKeepsUpTo256ColoursExactly) {
    QImage image(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, qRgb(x * 16 + y, y * 7, 255 - x));
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(1, 2, 3));
    const Bmp bmp = Reduce(image, 8, cmHistogram);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(bmp.Colour(x, y), image.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(bmp.Index(0, 0), 0) << "the most frequent colour comes first";
}

TEST(ColourReduction, HistogramDropsTheLowestBlueBitFirst) {
    // 3000 distinct colours: red 0..249 x blue 0..11; without blue's low bit 1500 remain.
    QImage image(250, 12, QImage::Format_RGB32);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 250; ++x) image.setPixel(x, y, qRgb(x, 0, y));
    const Bmp bmp = Reduce(image, 8, cmHistogram);
    bool oddRed = false;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(bmp.Table(i).rgbBlue % 2, 0) << i;
        oddRed = oddRed || bmp.Table(i).rgbRed % 2;
    }
    EXPECT_TRUE(oddRed);
    // Equal counts: the colours met first (the bottom row is stored first) are
    // chosen, and map to themselves with the blue bit masked.
    EXPECT_EQ(bmp.Colour(0, 11), qRgb(0, 0, 10));
    EXPECT_EQ(bmp.Colour(249, 11), qRgb(249, 0, 10));
}

TEST(ColourReduction, MedianCutBoxes) {
    QImage single(5, 5, QImage::Format_RGB32);
    single.fill(qRgb(200, 100, 50));
    const Bmp one = Reduce(single, 8, cmMedianCut);
    EXPECT_EQ(one.UsedColours(), 256u);
    EXPECT_EQ(one.Colour(2, 2), qRgb(12 * 16 + 15, 6 * 16 + 15, 3 * 16 + 15));
    for (int i = 1; i < 256; ++i) ASSERT_EQ(one.Table(i), TRGBQuad{}) << i;

    // Black and white split into two boxes; the dark mean becomes black.
    const Bmp two = Reduce(Pixels({qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 255, 255)}), 8, cmMedianCut);
    EXPECT_EQ(two.Index(0, 0), 0);
    EXPECT_EQ(two.Index(1, 0), 1);
    EXPECT_EQ(two.Colour(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(two.Colour(1, 0), qRgb(255, 255, 255));

    // More colours than boxes: every pixel lands in a box whose colour is near its own.
    QImage many(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) many.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
    const Bmp cut = Reduce(many, 8, cmMedianCut);
    std::set<int> used;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            used.insert(cut.Index(x, y));
            const QRgb got = cut.Colour(x, y), want = many.pixel(x, y);
            ASSERT_LE(std::abs(qRed(got) - qRed(want)) + std::abs(qGreen(got) - qGreen(want)), 100)
                << x << "," << y;
        }
    }
    EXPECT_EQ(used.size(), 256u);
}

TEST(ColourReduction, OtherDepthsAndErrors) {
    const QImage image = Pixels({qRgb(255, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(0, 0, 120)});
    const Bmp four = Reduce(image, 4, cmHistogram);
    EXPECT_EQ(four.BitCount(), 4);
    EXPECT_EQ(four.U32(10), 14u + 40 + 16 * 4);
    EXPECT_EQ(four.Colour(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(four.Colour(3, 0), qRgb(0, 0, 128));
    const Bmp mono = Reduce(image, 1, cmHistogram);
    EXPECT_EQ(mono.BitCount(), 1);
    EXPECT_EQ(mono.Colour(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(mono.Colour(2, 0), qRgb(0, 0, 0));
    const Bmp deep = Reduce(image, 24, cmHistogram);
    EXPECT_EQ(deep.BitCount(), 24);
    EXPECT_EQ(deep.bytes.at(54 + 0), 0);  // blue, green, red
    EXPECT_EQ(deep.bytes.at(54 + 2), 255);

    EXPECT_THROW(BitmapToDIBStream(QImage(), 8, cmHistogram), EInvalidGraphic);
    const QString shown =
        test::AnswerMessageBox([&] { EXPECT_THROW(BitmapToDIBStream(image, 16, cmHistogram), EAbort); });
    EXPECT_FALSE(shown.isEmpty());

    struct Case {
        int colours, bits;
    } cases[] = {{2, 1}, {3, 4}, {16, 4}, {17, 8}, {256, 8}, {257, 24}};
    for (const Case& c : cases)
        EXPECT_EQ(Bmp{BitmapToDIBStreamByColors(image, c.colours)}.BitCount(), c.bits);
}

TEST(ColourReduction, SameDepthGivesTheBitmapsOwnImageExceptForGrey) {
    QImage indexed = Pixels({qRgb(10, 20, 30), qRgb(200, 100, 0)}).convertToFormat(QImage::Format_Indexed8);
    QByteArray own;
    QBuffer buffer(&own);
    buffer.open(QIODevice::WriteOnly);
    indexed.save(&buffer, "BMP");
    const std::vector<uint8_t> expected(own.begin(), own.end());
    EXPECT_EQ(BitmapToDIBStream(indexed, 8, cmFixed666), expected);
    const Bmp grey = Reduce(indexed, 8, cmGrayscale);
    EXPECT_NE(grey.bytes, expected);
    EXPECT_EQ(grey.Index(1, 0), (200 * 77 + 100 * 150) >> 8);
}

}  // namespace
}  // namespace kordalt
