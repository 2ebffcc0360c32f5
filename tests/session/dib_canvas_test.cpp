// The DIB picture's canvas, its assignment from other pictures, its picture
// holder registration and its clipboard format.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>

#include "controls/clipboard.h"
#include "controls/icon_list.h"
#include "controls/image_control_bitmap.h"
#include "controls/picture.h"
#include "session/dib.h"
#include "session/dib_test_builder.h"

namespace kordalt {
namespace {

using dibtest::DibSpec;

// 4 x 2, 8 bits; entries 0..3 are black, red, green and blue; entry 5 is red again.
DibSpec Palette8() {
    DibSpec s;
    s.width = 4;
    s.height = 2;
    s.table = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {9, 9, 9, 0}, {0, 0, 255, 0}};
    s.colorsUsed = 6;
    s.data = {5, 2, 3, 0, 1, 1, 1, 1};  // bottom row first
    return s;
}

void ReadInto(TDIB& dib, const DibSpec& spec) {
    const std::vector<uint8_t> packed = dibtest::PackedDib(spec);
    TDibReadStream stream(packed);
    dib.ReadData(stream);
}

std::vector<uint8_t> Bytes(const TDIB& dib) {
    const uint8_t* p = const_cast<TDIB&>(dib).Image()->Pixels();
    return {p, p + dib.Size()};
}

// Painting changes only the pixels it covers, in the picture's own format, and
// gives a shared picture a private copy first.
TEST(DibCanvas, PaintsInThePicturesFormat) {
    TDIB a, b;
    ReadInto(a, Palette8());
    b.Assign(&a);
    {
        auto canvas = b.Canvas();
        canvas->fillRect(0, 0, 2, 1, QColor(250, 5, 5));  // top row: nearest is red, entry 1
        canvas->fillRect(3, 1, 1, 1, QColor(0, 0, 200));  // bottom row: blue, entry 3
    }
    EXPECT_NE(a.Image(), b.Image()) << "the canvas unshares first";
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{5, 2, 3, 0, 1, 1, 1, 1}));
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{5, 2, 3, 3, 1, 1, 1, 1}))
        << "entry 5 stays 5 where nothing was painted; the top row's red was red already";
    EXPECT_FALSE(b.Image()->MemoryImage()) << "a DIB section";

    struct Case {
        int bits;
        TDIBPixelFormat format;
        std::vector<uint8_t> pixel;  // the first pixel's bytes after painting (10, 20, 200)
    };
    for (const Case& c : {Case{24, MakeDIBPixelFormat(8, 8, 8), {200, 20, 10}},
                          Case{32, MakeDIBPixelFormat(8, 8, 8), {200, 20, 10, 0}},
                          Case{16, MakeDIBPixelFormat(5, 6, 5), {0xB9, 0x08}},
                          Case{16, MakeDIBPixelFormat(5, 5, 5), {0x59, 0x04}}}) {
        TDIB dib;
        dib.RequestedPixelFormat = c.format;
        dib.SetSize(2, 1, c.bits);
        dib.Canvas()->fillRect(0, 0, 1, 1, QColor(10, 20, 200));
        const std::vector<uint8_t> bytes = Bytes(dib);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + c.pixel.size()), c.pixel) << c.bits;
    }
}

TEST(DibAssign, BitmapsKeepTheirDepthAndColours) {
    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)});
    indexed.fill(2);
    indexed.setPixel(0, 0, 1);
    TDIB dib;
    dib.Assign(std::make_unique<TBitmap>(indexed).get());
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.ColorTable[1], (TRGBQuad{0, 0, 255, 0}));
    EXPECT_EQ(Bytes(dib)[4], 1) << "top-left pixel: the top row is stored last";
    EXPECT_EQ(Bytes(dib)[0], 2);

    QImage deep(2, 2, QImage::Format_RGB16);
    deep.fill(QColor(255, 0, 0));
    dib.Assign(std::make_unique<TBitmap>(deep).get());
    EXPECT_EQ(dib.BitCount(), 16);
    EXPECT_EQ(dib.PixelFormat().GBitMask, 0x07E0);
    EXPECT_EQ(DibToQImage(*dib.Image()).pixel(1, 1), qRgb(248, 0, 0));

    QImage rgb(2, 1, QImage::Format_RGB32);
    rgb.fill(qRgb(1, 2, 3));
    dib.Assign(std::make_unique<TBitmap>(rgb).get());
    EXPECT_EQ(dib.BitCount(), 32);
    EXPECT_EQ(DibToQImage(*dib.Image()), rgb);

    QImage unknown(2, 1, QImage::Format_Grayscale16);
    const auto before = dib.Image();
    dib.Assign(std::make_unique<TBitmap>(unknown).get());
    EXPECT_EQ(dib.Image(), before) << "a bitmap of no platform kind leaves the picture";
}

TEST(DibAssign, OtherPicturesAreDrawnOnBlack24Bits) {
    TIcon icon;
    // A 2 x 2 icon file: green pixels, the top-left one masked.
    std::vector<uint8_t> file = {0, 0, 1, 0, 1, 0, 2, 2, 0, 0, 1, 0, 24, 0, 64, 0, 0, 0, 22, 0, 0, 0};
    dibtest::Put(file, 40, 4);
    dibtest::Put(file, 2, 4);
    dibtest::Put(file, 4, 4);
    dibtest::Put(file, 1, 2);
    dibtest::Put(file, 24, 2);
    file.resize(file.size() + 24, 0);
    for (int i = 0; i < 2; ++i) file.insert(file.end(), {0, 255, 0, 0, 255, 0, 0, 0});
    file.insert(file.end(), {0, 0, 0, 0, 0x80, 0, 0, 0});  // masks: bottom row, then the top one
    icon.LoadFromData(file);

    TPicture holder;
    auto owned = std::make_unique<TIcon>();
    owned->Assign(icon);
    holder.SetGraphic(std::move(owned));
    TDIB dib;
    dib.Assign(holder);
    EXPECT_EQ(dib.BitCount(), 24);
    const QImage pixels = DibToQImage(*dib.Image());
    EXPECT_EQ(pixels.pixel(0, 0), qRgb(0, 0, 0)) << "the masked pixel keeps the cleared black";
    EXPECT_EQ(pixels.pixel(1, 1), qRgb(0, 255, 0));
    dib.Assign(TPicture());
    EXPECT_TRUE(dib.Empty()) << "an empty holder clears";
}

TEST(DibClipboard, RoundTripThroughItsFormat) {
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_DIB));
    TDIB dib;
    ReadInto(dib, Palette8());
    Clipboard().Assign(dib);
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(offered->hasFormat("application/x-kordalt-dib"));
    std::vector<uint8_t> packed;
    dib.WriteData(packed);
    EXPECT_EQ(offered->data("application/x-kordalt-dib"),
              QByteArray(reinterpret_cast<const char*>(packed.data()), qsizetype(packed.size())));

    TPicture picture;
    Clipboard().AssignTo(picture);
    auto* pasted = dynamic_cast<TDIB*>(picture.Graphic());
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(Bytes(*pasted), Bytes(dib));
    EXPECT_EQ(pasted->ColorTable, dib.ColorTable);

    QTemporaryDir dir;
    dib.SaveToFile(dir.filePath("copy.dib"));
    picture.LoadFromFile(dir.filePath("copy.dib"));
    ASSERT_NE(dynamic_cast<TDIB*>(picture.Graphic()), nullptr) << "registered for the extension dib";
    EXPECT_EQ(Bytes(*dynamic_cast<TDIB*>(picture.Graphic())), Bytes(dib));
}

}  // namespace
}  // namespace kordalt
