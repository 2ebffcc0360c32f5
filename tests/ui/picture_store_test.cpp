// The picture store: fields of the settings file, fragments cut by their
// rectangles, glyphs, and the shipped picture bitmap.
#include "ui/picture_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <string>
#include <vector>

#include "support/gallery.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

TEST(IniFileExTest, ExtractFieldSplitsAtCommasAndTrims) {
    test::ScratchDir dir;
    TIniFileEx ini(dir.Path("x.ini"));
    struct Case {
        const char* value;
        int n;
        const char* field;
    };
    const std::vector<Case> cases = {
        {"1,2,3,4", 1, "1"}, {"1,2,3,4", 4, "4"}, {" 5 , 7 ", 1, "5"}, {" 5 , 7 ", 2, "7"},
        {" 5 , 7 ", 3, "7"}, {" 5 , 7 ", 4, "7"}, {"abc", 1, "abc"},   {"abc", 9, "abc"},
        {"abc", 0, ""},      {"1,2", 0, ""},      {"a,,b", 2, ""},     {"a,,b", 3, "b"},
        {"", 1, ""},         {"a,b,", 3, ""},     {",a", 1, ""},       {"\t x y \t,z", 1, "x y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ExtractField(c.value, c.n), c.field) << '"' << c.value << "\" field " << c.n;
}

TEST(IniFileExTest, ReadsFieldsOfTheCurrentSection) {
    test::ScratchDir dir;
    test::WriteFile(dir.Path("x.ini"), "[A]\n3= 10 , 20 ,30,40\nKey=a,b\n[B]\n3=1,2,3,4\n");
    TIniFileEx ini(dir.Path("x.ini"));
    ini.SetSection("A");
    EXPECT_EQ(ini.ReadField("Key", 0), "a,b");
    EXPECT_EQ(ini.ReadField("Key", 2), "b");
    EXPECT_EQ(ini.ReadField("Missing", 0), "");
    EXPECT_EQ(ini.ReadRowInt(3, 2), 20);
    EXPECT_EQ(ini.ReadFieldInt("3", 1), 10);
    EXPECT_THROW(ini.ReadFieldInt("Key", 1), EConvertError);
    EXPECT_THROW(ini.ReadFieldInt("Missing", 1), EConvertError);
    ini.SetSection("B");
    EXPECT_EQ(ini.ReadRowInt(3, 2), 2);
    ini.ResetSection();
    EXPECT_EQ(ini.ReadField("3", 0), "");
}

// Every pixel of the source bitmap tells its own position.
QRgb SourcePixel(int x, int y) { return qRgb(x * 7 % 256, y * 11 % 256, (x + y) % 256); }

QImage SourceBitmap() {
    QImage image(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, SourcePixel(x, y));
    return image;
}

// A settings file with an [Icons] section over a saved bitmap.
struct StoreFixture {
    test::ScratchDir dir;
    std::string ini = dir.Path("k.ini");
    explicit StoreFixture(const std::string& rows, const QImage& bitmap = SourceBitmap()) {
        EXPECT_TRUE(bitmap.save(QString::fromStdString(dir.Path("p.bmp")), "BMP"));
        test::WriteFile(ini, "[Icons]\nIcons=" + dir.Path("p.bmp") + "\n" + rows);
    }
};

TEST(PictureStoreTest, ReadsTheRectanglesOfTheSection) {
    StoreFixture fixture("Count=3\n0=1,2,3,4\n1= 5 , 7 \n2=$A, 0 ,2,2\n3=9,9,9,9\n");
    TPictureFragmentList store(fixture.ini, "Icons");
    ASSERT_EQ(store.Count(), 3);
    const std::vector<std::vector<int>> expected = {{1, 2, 3, 4}, {5, 7, 7, 7}, {10, 0, 2, 2}};
    for (int i = 0; i < 3; ++i) {
        const TPictureFragment& f = store.GetFragment(i);
        EXPECT_EQ((std::vector<int>{f.Left, f.Top, f.Width, f.Height}), expected[i]) << i;
        EXPECT_EQ(f.Tag, 0);
    }
    EXPECT_EQ(store.GetFragment(0).FragmentRect(), QRect(QPoint(1, 2), QPoint(3, 5)));
    EXPECT_EQ(store.Section, "Icons");
    EXPECT_EQ(store.FileName, fixture.ini);
}

TEST(PictureStoreTest, DrawFragmentCopiesExactlyTheRectangle) {
    StoreFixture fixture("Count=2\n0=3,4,5,6\n1=30,20,10,10\n");
    TPictureFragmentList store(fixture.ini, "Icons");
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        store.DrawFragment(2, 1, painter, 0);
    }
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 1 && y < 7;
            const QRgb expected = inside ? SourcePixel(x - 2 + 3, y - 1 + 4) : qRgb(255, 255, 255);
            ASSERT_EQ(target.pixel(x, y), expected) << x << "," << y;
        }
}

TEST(PictureStoreTest, LoadGlyphResizesTheBitmapToTheFragment) {
    StoreFixture fixture("Count=1\n0=8,5,12,6\n");
    TPictureFragmentList store(fixture.ini, "Icons");
    QImage glyph(64, 64, QImage::Format_RGB32);
    glyph.fill(Qt::red);
    store.LoadGlyph(glyph, 0);
    ASSERT_EQ(glyph.size(), QSize(12, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(glyph.pixel(x, y), SourcePixel(x + 8, y + 5)) << x << "," << y;
}

TEST(PictureStoreTest, TransparentDrawingLeavesOutTheLowerLeftColour) {
    QImage bitmap(8, 4, QImage::Format_RGB32);
    bitmap.fill(qRgb(255, 0, 255));                                         // key colour everywhere...
    for (int x = 0; x < 8; x += 2) bitmap.setPixel(x, 1, qRgb(0, 0, 200));  // ...but a dotted line
    bitmap.setPixel(0, 3, qRgb(0, 0, 200));  // lower-left of the whole bitmap, not of fragment 0
    StoreFixture fixture("Count=1\n0=2,0,4,3\n", bitmap);  // its lower-left pixel (2, 2) is magenta
    TPictureFragmentList store(fixture.ini, "Icons");
    QImage target(6, 5, QImage::Format_RGB32);
    target.fill(qRgb(10, 20, 30));
    {
        QPainter painter(&target);
        store.DrawFragmentTransparent(1, 1, painter, 0);
    }
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const int sx = x - 1 + 2, sy = y - 1;
            const bool dot = x >= 1 && x < 5 && sy == 1 && sx % 2 == 0;
            ASSERT_EQ(target.pixel(x, y), dot ? qRgb(0, 0, 200) : qRgb(10, 20, 30)) << x << "," << y;
        }
}

TEST(PictureStoreTest, IndexOutsideTheListRaises) {
    StoreFixture fixture("Count=0\n0=1,1,1,1\n");
    TPictureFragmentList store(fixture.ini, "Icons");
    EXPECT_EQ(store.Count(), 0);
    QImage target(4, 4, QImage::Format_RGB32);
    QPainter painter(&target);
    for (int index : {-1, 0, 1}) {
        QImage glyph;
        EXPECT_THROW(store.DrawFragment(0, 0, painter, index), ECError);
        EXPECT_THROW(store.DrawFragmentTransparent(0, 0, painter, index), ECError);
        EXPECT_THROW(store.LoadGlyph(glyph, index), ECError);
    }
    try {
        store.GetFragment(0);
        ADD_FAILURE() << "no index error";
    } catch (const ECError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds");
    }
}

TEST(PictureStoreTest, BadFilesRaiseOutOfTheConstructor) {
    {
        test::ScratchDir dir;
        test::WriteFile(dir.Path("k.ini"), "[Icons]\nIcons=" + dir.Path("missing.bmp") + "\nCount=0\n");
        EXPECT_THROW(TPictureFragmentList(dir.Path("k.ini"), "Icons"), EFOpenError);
    }
    for (const char* rows :
         {"Count=two\n", "Count=1\n0=1,2,x,4\n", "Count=2\n0=1,2,3,4\n", "Count=1\n0=1.5,2,3,4\n"}) {
        StoreFixture fixture(rows);
        EXPECT_THROW(TPictureFragmentList(fixture.ini, "Icons"), EConvertError) << rows;
    }
}

TEST(PictureStoreTest, ReloadReplacesTheFragments) {
    StoreFixture fixture("Count=2\n0=1,1,1,1\n1=2,2,2,2\n");
    TPictureFragmentList store(fixture.ini, "Icons");
    test::WriteFile(fixture.ini, "[Icons]\nIcons=" + fixture.dir.Path("p.bmp") + "\nCount=1\n0=4,4,4,4\n");
    store.LoadFragments();
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(store.GetFragment(0).Left, 4);
}

// The program folder's settings file and picture bitmap, read as the program does:
// from the program folder as the working directory.
TEST(ShippedPicturesTest, EveryFragmentHoldsAPictureOnTheTransparentColour) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(KORDALT_BIN_DIR);
    std::unique_ptr<TPictureFragmentList> store;
    EXPECT_NO_THROW(store = std::make_unique<TPictureFragmentList>("kordalt.INI", "Icons"));
    std::filesystem::current_path(previous);
    ASSERT_TRUE(store);
    ASSERT_EQ(store->Count(), 31);
    const QImage& bitmap = *store->Image;
    const QRgb background = qRgb(255, 0, 255);
    for (int i = 0; i < store->Count(); ++i) {
        SCOPED_TRACE(i);
        const QRect rect = store->GetFragment(i).FragmentRect();
        ASSERT_TRUE(bitmap.rect().contains(rect));
        const bool glyph = i >= 5;
        EXPECT_EQ(rect.width(), glyph ? 2 * rect.height() : rect.height());
        for (int half = 0; half < (glyph ? 2 : 1); ++half) {
            const QRect image(rect.left() + half * rect.height(), rect.top(), rect.height(), rect.height());
            EXPECT_EQ(bitmap.pixel(image.bottomLeft()), background);
            int ink = 0;
            bool onlyGrey = true;
            for (int y = image.top(); y <= image.bottom(); ++y)
                for (int x = image.left(); x <= image.right(); ++x) {
                    const QRgb p = bitmap.pixel(x, y);
                    if (p == background) continue;
                    ++ink;
                    onlyGrey = onlyGrey && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
                }
            EXPECT_GT(ink, image.width() * image.height() / (half == 0 ? 8 : 32));
            EXPECT_EQ(onlyGrey, half == 1);
        }
        for (int j = 0; j < i; ++j) EXPECT_FALSE(rect.intersects(store->GetFragment(j).FragmentRect())) << j;
    }
    test::SaveToGallery(bitmap.scaled(bitmap.size() * 3), "ui_icons");
}

}  // namespace
}  // namespace kordalt
