// The DIB picture: the form's compressed picture, BMP files, copy on write,
// sizes and the colour table.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>

#include "session/dib.h"
#include "session/dib_test_builder.h"
#include "support/gallery.h"

namespace kordalt {
namespace {

using dibtest::DibSpec;

const std::vector<TRGBQuad>& SixteenColours() {
    static const std::vector<TRGBQuad> table = {
        {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
        {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
        {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
        {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
    return table;
}

// A 138 x 208 scene of sky bands, a sun, hills and a border; y counts from the top.
uint8_t SceneIndex(int x, int y) {
    if (x < 2 || y < 2 || x >= 136 || y >= 206) return 8;
    const int dx = x - 95, dy = y - 45;
    if (dx * dx + dy * dy < 18 * 18) return 14;
    const int hill = 140 + (x % 60 < 30 ? x % 30 : 30 - x % 30);
    if (y > hill) return y > 180 ? 2 : 10;
    return y < 60 ? 12 : (y < 110 ? 9 : 11);
}

DibSpec ScenePicture() {
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 207; y >= 0; --y) {
        rows.emplace_back();
        for (int x = 0; x < 138; ++x) rows.back().push_back(SceneIndex(x, y));
    }
    DibSpec s;
    s.width = 138;
    s.height = 208;
    s.bitCount = 4;
    s.compression = BI_RLE4;
    s.table = SixteenColours();
    s.data = dibtest::EncodeRle4Runs(rows);
    return s;
}

DibSpec SmallPicture(uint8_t first = 1) {
    DibSpec s;
    s.width = 3;
    s.height = 2;
    s.bitCount = 8;
    s.table = dibtest::DistinctTable(256);
    s.data = {first, 2, 3, 0, 4, 5, 6, 0};
    return s;
}

void ReadInto(TDIB& dib, const std::vector<uint8_t>& packed) {
    TDibReadStream stream(packed);
    dib.ReadData(stream);
}

QImage Drawn(const TDIB& dib, int width, int height) {
    QImage target(width, height, QImage::Format_RGB32);
    target.fill(Qt::magenta);
    QPainter painter(&target);
    dib.Draw(painter, QRect(0, 0, width, height));
    return target;
}

QRgb SceneColour(int x, int y) {
    const TRGBQuad& q = SixteenColours()[SceneIndex(x, y)];
    return qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

TEST(DibPicture, FormPictureStaysCompressedWhenDrawnAndExpandsForItsPixels) {
    TDIB dib;
    ReadInto(dib, dibtest::PackedDib(ScenePicture()));
    const auto& image = *dib.Image();
    ASSERT_TRUE(image.Compressed());
    EXPECT_EQ(dib.Width(), 138);
    EXPECT_EQ(dib.Height(), 208);
    EXPECT_EQ(dib.PaletteCount(), 16);
    EXPECT_EQ(image.PixelMemorySize(), ScenePicture().data.size());

    const QImage drawn = Drawn(dib, 138, 208);
    for (int y = 0; y < 208; ++y)
        for (int x = 0; x < 138; ++x) ASSERT_EQ(drawn.pixel(x, y), SceneColour(x, y)) << x << "," << y;
    EXPECT_TRUE(dib.Image()->Compressed());
    test::SaveToGallery(drawn, "dib_rle4");

    // Stretched to twice the size, every pixel becomes a 2 x 2 block.
    const QImage doubled = Drawn(dib, 276, 416);
    for (int y = 0; y < 208; y += 13)
        for (int x = 0; x < 138; x += 7) EXPECT_EQ(doubled.pixel(2 * x + 1, 2 * y + 1), SceneColour(x, y));

    const uint8_t* bits = dib.PBits();
    EXPECT_FALSE(dib.Image()->Compressed());
    const uint8_t* top = bits + 207 * dib.WidthBytes();
    EXPECT_EQ(top[45], SceneIndex(90, 0) << 4 | SceneIndex(91, 0));
    const uint8_t* sunRow = bits + (207 - 45) * dib.WidthBytes();
    EXPECT_EQ(sunRow[47] >> 4, 14);
}

TEST(DibPicture, ZeroByteStreams) {
    TDIB dib;
    ReadInto(dib, dibtest::PackedDib(SmallPicture()));
    const auto before = dib.Image();
    TDibReadStream nothing({});
    dib.LoadFromStream(nothing);
    EXPECT_EQ(dib.Image(), before);
    dib.ReadData(nothing);
    EXPECT_TRUE(dib.Empty());
}

TEST(DibPicture, DamagedFilesAreRefusedAndTheOldImageKept) {
    TDIB dib;
    ReadInto(dib, dibtest::PackedDib(SmallPicture()));
    const auto before = dib.Image();
    std::vector<uint8_t> wrongType = dibtest::BmpFile(SmallPicture());
    wrongType[1] = 'X';
    std::vector<uint8_t> cutBody = dibtest::BmpFile(SmallPicture());
    cutBody.resize(cutBody.size() - 1);
    const std::vector<uint8_t> shortHeader(cutBody.begin(), cutBody.begin() + 10);
    for (const auto& bytes : {wrongType, shortHeader}) {
        TDibReadStream stream(bytes);
        try {
            dib.LoadFromStream(stream);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "DIB is invalid");
        }
    }
    TDibReadStream stream(cutBody);
    EXPECT_THROW(dib.LoadFromStream(stream), EReadError);
    EXPECT_EQ(dib.Image(), before);
}

// A file header's pixel offset is honoured: a gap before the pixels is skipped;
// an offset into the headers is ignored; one past the file's end is refused.
TEST(DibPicture, PixelOffsetOfTheFileHeader) {
    const std::vector<uint8_t> plain = dibtest::BmpFile(SmallPicture());
    const uint32_t pixelsAt = plain[10] | plain[11] << 8;
    const auto withOffset = [&](uint32_t offset, size_t gap) {
        std::vector<uint8_t> file = plain;
        file.insert(file.begin() + pixelsAt, gap, 0xEE);
        for (int i = 0; i < 4; ++i) file[10 + i] = uint8_t(offset >> (8 * i));
        return file;
    };
    TDIB expected;
    ReadInto(expected, dibtest::PackedDib(SmallPicture()));
    const QImage want = DibToQImage(*expected.Image());
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    for (const Case& c : {Case{"gap of 6", withOffset(pixelsAt + 6, 6)}, Case{"offset 0", withOffset(0, 0)},
                          Case{"into the header", withOffset(30, 0)},
                          Case{"into the colour table", withOffset(pixelsAt - 8, 0)}}) {
        TDIB dib;
        TDibReadStream stream(c.file);
        dib.LoadFromStream(stream);
        EXPECT_EQ(DibToQImage(*dib.Image()), want) << c.name;
    }
    TDIB dib;
    const std::vector<uint8_t> beyond = withOffset(uint32_t(plain.size()) + 1, 0);
    TDibReadStream stream(beyond);
    EXPECT_THROW(dib.LoadFromStream(stream), EReadError);
    EXPECT_TRUE(dib.Empty());
}

TEST(DibPicture, SaveAndLoadRoundTrip) {
    DibSpec bitfields;
    bitfields.width = 2;
    bitfields.height = 2;
    bitfields.bitCount = 16;
    bitfields.compression = BI_BITFIELDS;
    bitfields.masks = {0xF800, 0x07E0, 0x001F};
    bitfields.data = {0x00, 0xF8, 0x1F, 0x00, 0xE0, 0x07, 0x10, 0x84};
    for (const DibSpec& spec : {ScenePicture(), SmallPicture(), bitfields}) {
        TDIB original;
        ReadInto(original, dibtest::PackedDib(spec));
        std::vector<uint8_t> file;
        original.SaveToStream(file);
        ASSERT_GE(file.size(), 14u);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(uint32_t(file[2] | file[3] << 8 | file[4] << 16), file.size());
        EXPECT_EQ(uint32_t(file[10] | file[11] << 8), 14u + original.BitmapInfoSize());
        TDIB copy;
        TDibReadStream stream(file);
        copy.LoadFromStream(stream);
        EXPECT_EQ(copy.Image()->Compressed(), original.Image()->Compressed());
        EXPECT_EQ(DibToQImage(*copy.Image()), DibToQImage(*original.Image()));
    }
    std::vector<uint8_t> none;
    TDIB().SaveToStream(none);
    EXPECT_TRUE(none.empty());
}

TEST(DibPicture, AssignSharesTheImageUntilOneIsChanged) {
    TDIB a, b;
    ReadInto(a, dibtest::PackedDib(SmallPicture(7)));
    b.Assign(&a);
    EXPECT_EQ(b.Image(), a.Image());
    b.PBits()[0] = 9;
    EXPECT_NE(b.Image(), a.Image());
    EXPECT_EQ(a.Image()->Pixels()[0], 7);
    EXPECT_EQ(b.Image()->Pixels()[0], 9);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(DibPicture, ColourTableEditsStayWithTheirPicture) {
    TDIB a, b;
    ReadInto(a, dibtest::PackedDib(SmallPicture(7)));
    b.Assign(&a);
    b.ColorTable[7] = {1, 2, 3, 0};
    b.UpdatePalette();
    EXPECT_TRUE(b.PaletteModified);
    EXPECT_EQ(Drawn(b, 3, 2).pixel(0, 1), qRgb(3, 2, 1));
    EXPECT_EQ(Drawn(a, 3, 2).pixel(0, 1), DibToQImage(*a.Image()).pixel(0, 1));
    EXPECT_NE(Drawn(a, 3, 2).pixel(0, 1), qRgb(3, 2, 1));
    // The table is written with the picture.
    std::vector<uint8_t> file;
    b.SaveToStream(file);
    TDIB c;
    TDibReadStream stream(file);
    c.LoadFromStream(stream);
    EXPECT_EQ(c.Image()->ColorTable()[7], (TRGBQuad{1, 2, 3, 0}));
}

TEST(DibPicture, SizesAndClearing) {
    TDIB dib;
    dib.SetWidth(10);
    EXPECT_EQ(dib.Width(), 10);
    EXPECT_EQ(dib.Height(), 1);
    EXPECT_EQ(dib.BitCount(), 8);
    dib.SetHeight(5);
    EXPECT_EQ(dib.Height(), 5);
    EXPECT_EQ(dib.Width(), 10);
    const auto image = dib.Image();
    dib.SetSize(10, 5, 8);
    EXPECT_EQ(dib.Image(), image);
    dib.SetSize(4, 4, 24);
    EXPECT_EQ(dib.WidthBytes(), 12);
    EXPECT_THROW(dib.SetSize(4, 4, 7), EInvalidGraphicOperation);
    EXPECT_EQ(dib.BitCount(), 24);
    dib.SetWidth(0);
    EXPECT_TRUE(dib.Empty());
    EXPECT_EQ(dib.Image(), EmptyDIBImage());
}

TEST(DibPicture, DibSectionOnRequest) {
    TDIB dib;
    ReadInto(dib, dibtest::PackedDib(ScenePicture()));
    EXPECT_TRUE(dib.Image()->MemoryImage());
    dib.MakeDIBSection();
    EXPECT_FALSE(dib.Image()->MemoryImage());
    EXPECT_FALSE(dib.Image()->Compressed());
    EXPECT_EQ(Drawn(dib, 138, 208).pixel(95, 45), SceneColour(95, 45));
}

}  // namespace
}  // namespace kordalt
