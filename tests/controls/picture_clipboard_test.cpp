// The picture holder's registered formats and pictures through the clipboard:
// GIF images, icons in the "Quenda Icon" format and plain bitmaps, each copied
// and pasted back through Qt's clipboard.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

#include "controls/ani_cursor.h"
#include "controls/clipboard.h"
#include "controls/gif_image.h"
#include "controls/picture.h"
#include "gif_test_support.h"
#include "icon_test_support.h"

namespace kordalt {
namespace {

using test::Bytes;

// A two-frame GIF with a transparent colour and a comment, as read from a file.
TGIFImage& TwoFrames(TGIFImage& gif) {
    const std::vector<std::uint32_t> table = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    gif.LoadFromBytes(test::GifWriter(2, 2, table)
                          .GraphicControl(0, 15, 3)
                          .Image(0, 0, 2, 2, test::Compressed({0, 1, 2, 3}))
                          .GraphicControl(1, 200)
                          .Image(1, 1, 1, 1, test::Compressed({2}))
                          .Comment("made in the test")
                          .Trailer()
                          .Array());
    return gif;
}

QImage Pixels(const TGraphic& graphic) {
    QImage image(graphic.Width(), graphic.Height(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    graphic.Draw(painter, {0, 0, graphic.Width(), graphic.Height()});
    return image;
}

TEST(Picture, FormatsAreRegisteredByExtensionAndClipboardFormat) {
    EXPECT_EQ(RegisterClipboardFormat("GIF Image"), GIFClipboardFormat) << "one name, one number";
    EXPECT_EQ(RegisterClipboardFormat("Quenda Icon"), IconClipboardFormat);
    EXPECT_NE(GIFClipboardFormat, IconClipboardFormat);
    EXPECT_EQ(ClipboardFormatMime(GIFClipboardFormat), "application/x-kordalt-gif-image");
    EXPECT_EQ(ClipboardFormatOfMime("application/x-kordalt-quenda-icon"), IconClipboardFormat);
    for (const TClipboardFormat format : {CF_BITMAP, GIFClipboardFormat, IconClipboardFormat})
        EXPECT_TRUE(TPicture::SupportsClipboardFormat(format)) << format;
    EXPECT_FALSE(TPicture::SupportsClipboardFormat(RegisterClipboardFormat("Nobody's format")));

    const auto formats = TPicture::FileFormats();
    const auto described = [&](const QString& extension) {
        for (const TFileFormat& f : formats)
            if (f.Extension == extension) return f.Description;
        return QString();
    };
    EXPECT_EQ(described("gif"), "CompuServe GIF Image");
    EXPECT_EQ(described("bmp"), "Bitmaps");
    EXPECT_EQ(described("ico"), "Icons");
}

TEST(Picture, FilesLoadByTheirExtension) {
    QTemporaryDir dir;
    TGIFImage gif;
    TwoFrames(gif).SaveToFile(dir.filePath("two.GIF"));
    TIcon icon;
    icon.LoadFromData(test::MakeIcon({}));
    icon.SaveToFile(dir.filePath("red.ico"));

    TPicture picture;
    int changes = 0;
    picture.OnChange = [&] { ++changes; };
    picture.LoadFromFile(dir.filePath("two.GIF"));
    auto* loaded = dynamic_cast<TGIFImage*>(picture.Graphic());
    ASSERT_NE(loaded, nullptr) << "the extension is matched without regard to case";
    EXPECT_EQ(loaded->Count(), 2);
    picture.LoadFromFile(dir.filePath("red.ico"));
    ASSERT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 4);
    EXPECT_EQ(changes, 2);

    QFile(dir.filePath("x.png")).open(QIODevice::WriteOnly);
    try {
        picture.LoadFromFile(dir.filePath("x.png"));
        ADD_FAILURE() << "loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.png)");
    }
    QFile bad(dir.filePath("bad.gif"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a GIF");
    bad.close();
    EXPECT_THROW(picture.LoadFromFile(dir.filePath("bad.gif")), EInvalidGraphicOperation);
    EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr) << "a failed load keeps the picture";
}

TEST(Picture, UnregisteredTypeIsNoLongerFound) {
    TPicture::UnregisterGraphicClass(&CreateGraphic<TGIFImage>);
    EXPECT_FALSE(TPicture::SupportsClipboardFormat(GIFClipboardFormat));
    TPicture picture;
    EXPECT_THROW(picture.LoadFromFile("any.gif"), EInvalidGraphic);
    TPicture::RegisterFileFormat("gif", "CompuServe GIF Image", &CreateGraphic<TGIFImage>);
    TPicture::RegisterClipboardFormat(GIFClipboardFormat, &CreateGraphic<TGIFImage>);
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(GIFClipboardFormat));
}

TEST(Clipboard, GifRoundTripKeepsFramesAndOffersABitmap) {
    TGIFImage gif;
    TwoFrames(gif);
    Clipboard().Assign(gif);
    EXPECT_TRUE(Clipboard().HasFormat(GIFClipboardFormat));
    EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP)) << "other programs get the first frame";
    const QImage offered = qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
    EXPECT_EQ(offered.pixel(1, 1), qRgb(255, 255, 255));

    TPicture picture;
    Clipboard().AssignTo(picture);
    auto* pasted = dynamic_cast<TGIFImage*>(picture.Graphic());
    ASSERT_NE(pasted, nullptr) << "the GIF format comes first";
    ASSERT_EQ(pasted->Count(), 2);
    EXPECT_EQ(pasted->FrameIndex(), 0);
    EXPECT_EQ(pasted->Frames(1).AnimateInterval, 2000);
    EXPECT_EQ(pasted->Frames(0).TransparentColor, 0xFFFFFFu);
    EXPECT_EQ(pasted->Comment(), std::vector<std::string>{"made in the test"});
    EXPECT_EQ(pasted->Frames(0).GetFrameBitmap().Image.convertToFormat(QImage::Format_RGB32),
              gif.Frames(0).GetFrameBitmap().Image);
    EXPECT_EQ(pasted->WriteGIFStream(false), gif.WriteGIFStream(false));
}

TEST(Clipboard, GifBuiltFromBitmapsOffersOnlyTheBitmap) {
    QImage red(3, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    TGIFImage gif;
    gif.AppendFrame(TBitmap(red));
    Clipboard().Assign(gif);
    EXPECT_FALSE(Clipboard().HasFormat(GIFClipboardFormat)) << "frames are never encoded for the clipboard";
    EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));

    TPicture picture;
    Clipboard().AssignTo(picture);
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(Pixels(*picture.Graphic()), red);

    TGIFImage fromBitmap;
    fromBitmap.LoadFromClipboardFormat(CF_BITMAP, *QGuiApplication::clipboard()->mimeData());
    ASSERT_EQ(fromBitmap.Count(), 1);
    EXPECT_EQ(fromBitmap.Frames(0).GetFrameBitmap().Image.convertToFormat(QImage::Format_RGB32), red);

    TGIFImage empty;
    auto* data = new QMimeData;
    empty.SaveToClipboardFormat(*data);
    EXPECT_TRUE(data->formats().isEmpty()) << "nothing without frames";
    delete data;
}

TEST(Clipboard, IconRoundTripInItsOwnFormat) {
    test::IconSpec spec;
    spec.colour = qRgb(10, 20, 30);
    spec.maskFirstPixel = true;
    TIcon icon;
    icon.LoadFromData(test::MakeIcon(spec));
    Clipboard().Assign(icon);
    EXPECT_TRUE(Clipboard().HasFormat(IconClipboardFormat));
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("application/x-kordalt-quenda-icon"));

    TPicture picture;
    Clipboard().AssignTo(picture);
    auto* pasted = dynamic_cast<TIcon*>(picture.Graphic());
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->Data(), icon.Data());
    EXPECT_EQ(pasted->Image().pixel(0, 0), qRgba(0, 0, 0, 0)) << "the mask survives";
    EXPECT_EQ(pasted->Image().pixel(1, 1), qRgb(10, 20, 30));

    QGuiApplication::clipboard()->setText("no picture");
    try {
        Clipboard().AssignTo(picture);
        ADD_FAILURE() << "pasted text";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unsupported clipboard format");
    }
    EXPECT_EQ(picture.Graphic(), pasted) << "the holder keeps its picture";
}

// Rates of 10 jiffies give 166 ms; each frame keys the white it was drawn on.
TEST(GifFromCursor, EveryFrameBecomesAFrame) {
    test::IconSpec red, blue;
    blue.colour = qRgb(0, 0, 255);
    red.maskFirstPixel = true;
    TAnimatedCursorImage ani;
    ani.LoadFromStream(test::Riff([&] {
        Bytes b = test::Anih(2, 2, 10);
        test::Append(b, test::Value32("rate", 30));
        test::Append(b, test::FramList({test::MakeIcon(red), test::MakeIcon(blue)}));
        return b;
    }()));
    TGIFImage gif;
    int changes = 0;
    gif.OnChange = [&] { ++changes; };
    gif.Assign(ani);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(gif.Count(), 2);
    EXPECT_EQ(gif.BackgroundColor(), clWindow);
    EXPECT_EQ(gif.Frames(0).AnimateInterval, 500) << "30 jiffies";
    EXPECT_EQ(gif.Frames(1).AnimateInterval, 166) << "10 x 100 div 6";
    EXPECT_EQ(gif.Frames(0).TransparentColor, clWhite);
    const QImage first = gif.Frames(0).GetFrameBitmap().Image;
    EXPECT_EQ(first.pixel(0, 0), qRgb(255, 255, 255)) << "the masked pixel shows the white";
    EXPECT_EQ(first.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(gif.Frames(1).GetFrameBitmap().Image.pixel(2, 2), qRgb(0, 0, 255));

    // Written and read back, the frames keep their delays and transparency.
    TGIFImage again;
    again.LoadFromBytes(gif.WriteGIFStream(false));
    ASSERT_EQ(again.Count(), 2);
    EXPECT_EQ(again.Frames(1).AnimateInterval, 160) << "written in hundredths";
    EXPECT_EQ(again.Frames(0).TransparentColor, clWhite);
}

TEST(GifFromCursor, LongRatesAreHeldAtTheLargestDelay) {
    TAnimatedCursorImage ani;
    ani.LoadFromStream(test::Riff([&] {
        Bytes b = test::Anih(1, 1, 4000);  // 66666 ms
        test::Append(b, test::FramList({test::MakeIcon(test::IconSpec())}));
        return b;
    }()));
    TGIFImage gif;
    gif.Assign(ani);
    ASSERT_EQ(gif.Count(), 1);
    EXPECT_EQ(gif.Frames(0).AnimateInterval, 65535);
}

TEST(GifAssign, OtherPicturesAreRefusedOrConverted) {
    TGIFImage gif;
    TwoFrames(gif);
    TBitmap bitmap;
    bitmap.Assign(&gif);
    EXPECT_EQ(bitmap.Image.size(), QSize(2, 2)) << "the current frame";
    TIcon icon;
    try {
        icon.Assign(&gif);
        ADD_FAILURE() << "assigned";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TBitmap to a TIcon") << "the frame's bitmap is offered";
    }
    gif.Assign(nullptr);
    EXPECT_TRUE(gif.Empty());
}

}  // namespace
}  // namespace kordalt
