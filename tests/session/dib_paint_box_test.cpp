// The paint box: where and how large the picture is drawn for each option.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>

#include "session/dib_test_builder.h"
#include "session/paint_box.h"
#include "support/gallery.h"

namespace kordalt {
namespace {

constexpr QRgb kBackground = 0xFF00FF00;

// A picture whose pixel x has the grey x (columns tell which part is shown).
void LoadGradient(TDIB& dib, int width, int height) {
    dibtest::DibSpec s;
    s.width = width;
    s.height = height;
    s.bitCount = 8;
    for (int i = 0; i < 256; ++i) s.table.push_back({uint8_t(i), uint8_t(i), uint8_t(i), 0});
    const int rowBytes = (width + 3) / 4 * 4;
    s.data.assign(size_t(rowBytes) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) s.data[size_t(y) * rowBytes + x] = uint8_t(x);
    const auto packed = dibtest::PackedDib(s);
    TDibReadStream stream(packed);
    dib.ReadData(stream);
}

QImage Render(QWidget& box) {
    QImage target(box.size(), QImage::Format_RGB32);
    target.fill(kBackground);
    box.render(&target, QPoint(), QRegion(), QWidget::RenderFlags());
    return target;
}

QRect DrawnRect(const QImage& image) {
    QRect rect;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kBackground) rect |= QRect(x, y, 1, 1);
    return rect;
}

TEST(DibPaintBox, PictureRectangleForEachOption) {
    struct Case {
        const char* what;
        QSize box, picture;
        bool autoStretch, center, stretch, keepAspect;
        int viewWidth, viewHeight;
        QRect expected;
    };
    const Case cases[] = {
        {"form picture, all off", {138, 208}, {138, 208}, false, false, false, false, 0, 0, {0, 0, 138, 208}},
        {"unscaled at the corner", {50, 40}, {20, 10}, false, false, false, false, 0, 0, {0, 0, 20, 10}},
        {"centred", {50, 40}, {20, 10}, false, true, false, false, 0, 0, {15, 15, 20, 10}},
        {"auto stretch never enlarges", {50, 40}, {20, 10}, true, false, true, false, 0, 0, {0, 0, 20, 10}},
        {"auto stretch shrinks to fit", {50, 40}, {100, 40}, true, false, false, false, 0, 0, {0, 0, 50, 20}},
        {"stretch fills the box", {50, 40}, {20, 10}, false, false, true, false, 0, 0, {0, 0, 50, 40}},
        {"stretch keeping the aspect", {50, 40}, {20, 10}, false, false, true, true, 0, 0, {0, 0, 50, 25}},
        {"stretch keeping the aspect, centred",
         {50, 40},
         {20, 10},
         false,
         true,
         true,
         true,
         0,
         0,
         {0, 7, 50, 25}},
        {"view width only", {50, 40}, {20, 10}, false, false, true, false, 30, 0, {0, 0, 30, 10}},
        {"view size shrunk by auto stretch",
         {50, 40},
         {20, 10},
         true,
         false,
         false,
         false,
         100,
         0,
         {0, 0, 50, 5}},
        {"halves round to even", {13, 100}, {26, 13}, true, false, false, false, 0, 0, {0, 0, 13, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDibPaintBox box;
        box.resize(c.box);
        LoadGradient(box.DIB(), c.picture.width(), c.picture.height());
        box.SetAutoStretch(c.autoStretch);
        box.SetCenter(c.center);
        box.SetStretch(c.stretch);
        box.SetKeepAspect(c.keepAspect);
        box.SetViewWidth(c.viewWidth);
        box.SetViewHeight(c.viewHeight);
        EXPECT_EQ(DrawnRect(Render(box)), c.expected);
    }
}

TEST(DibPaintBox, FormPictureDrawnUnscaled) {
    TDibPaintBox box;
    box.resize(138, 208);
    LoadGradient(box.DIB(), 138, 208);
    const QImage image = Render(box);
    for (int x : {0, 1, 77, 137}) EXPECT_EQ(image.pixel(x, 100), qRgb(x, x, x));
    test::SaveToGallery(image, "dib_paint_box");
}

TEST(DibPaintBox, CentredLargerPictureIsClippedOnBothSides) {
    TDibPaintBox box;
    box.resize(10, 10);
    LoadGradient(box.DIB(), 20, 4);
    box.SetCenter(true);
    const QImage image = Render(box);
    EXPECT_EQ(image.pixel(0, 4), qRgb(5, 5, 5));
    EXPECT_EQ(image.pixel(9, 4), qRgb(14, 14, 14));
    EXPECT_EQ(image.pixel(0, 2), kBackground);
}

TEST(DibPaintBox, EmptyPictureAndPropertyChecks) {
    TDibPaintBox box;
    EXPECT_EQ(box.size(), QSize(105, 105));
    EXPECT_FALSE(box.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_TRUE(DrawnRect(Render(box)).isNull());
    box.SetViewWidth(-5);
    box.SetViewHeight(-1);
    EXPECT_EQ(box.ViewWidth(), 0);
    EXPECT_EQ(box.ViewHeight(), 0);

    TDIB other;
    LoadGradient(other, 3, 3);
    box.SetDIB(&other);
    EXPECT_EQ(box.DIB().Image(), other.Image());
    EXPECT_EQ(DrawnRect(Render(box)), QRect(0, 0, 3, 3));
    EXPECT_NE(box.Palette(), 0);
}

}  // namespace
}  // namespace kordalt
