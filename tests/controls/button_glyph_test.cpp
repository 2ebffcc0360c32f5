#include "controls/button_glyph.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "controls/widget_test_support.h"

namespace kordalt {
namespace {

const TColor kImageColours[6] = {clRed, clLime, clBlue, clYellow, clAqua, clNavy};

// `count` images of h x h side by side, image i in colour i, each with a
// fuchsia bottom-left pixel (the strip's transparent colour).
QImage Strip(int count, int h = 18) {
    QImage strip(count * h, h, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        QPainter(&strip).fillRect(i * h, 0, h, h, ToQColor(kImageColours[i]));
        strip.setPixel(i * h, h - 1, ToQRgb(clFuchsia));
    }
    return strip;
}

QImage StateImage(TExButtonGlyph& glyph, TExButtonDrawState state) {
    int slot = glyph.BuildStateImage(state);
    return slot < 0 ? QImage() : glyph.GlyphList()->Image(slot).toImage();
}

TColor Centre(const QImage& image) { return test::At(image, image.width() / 2, image.height() / 2); }

TEST(ButtonGlyph, NumberOfImagesComesFromTheStripShape) {
    struct Case {
        QSize size;
        int glyphs;
    } cases[] = {{{36, 18}, 2}, {{90, 18}, 5}, {{108, 18}, 1}, {{18, 18}, 1}, {{40, 18}, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height());
        TExButtonGlyph glyph;
        glyph.SetNumGlyphs(3);
        glyph.SetGlyph(test::Filled(c.size.width(), c.size.height(), clRed));
        EXPECT_EQ(glyph.NumGlyphs(), c.glyphs);
        glyph.BuildStateImage(bdsUp);
        EXPECT_EQ(glyph.GlyphList()->Width(), c.size.width() / c.glyphs);
    }
}

TEST(ButtonGlyph, StateImagesAreCutFromTheStrip) {
    const TColor greyRed = ((255 * 77) >> 8) * 0x010101u;
    struct Case {
        int count;
        TColor up, disabled, pressed, heldDown, inactive;
    } cases[] = {
        {2, clRed, clLime, clRed, clRed, greyRed},
        {3, clRed, clLime, clBlue, clRed, greyRed},
        {5, clRed, clLime, clBlue, clYellow, clAqua},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " images");
        TExButtonGlyph glyph;
        glyph.SetGlyph(Strip(c.count));
        EXPECT_EQ(glyph.TransparentColor(), clFuchsia);
        const std::pair<TExButtonDrawState, TColor> expected[] = {{bdsUp, c.up},
                                                                  {bdsDisabled, c.disabled},
                                                                  {bdsPressed, c.pressed},
                                                                  {bdsHeldDown, c.heldDown},
                                                                  {bdsInactive, c.inactive}};
        for (auto [state, colour] : expected) {
            QImage image = StateImage(glyph, state);
            ASSERT_EQ(image.size(), QSize(18, 18)) << state;
            EXPECT_EQ(Centre(image), colour) << state;
            EXPECT_EQ(qAlpha(image.pixel(0, 17)), 0) << state << ": the key colour is masked";
            EXPECT_EQ(qAlpha(image.pixel(1, 17)), 255) << state;
        }
    }
}

TEST(ButtonGlyph, SingleImageIsEmbossedWhenDisabled) {
    // Black is the background of the embossed shape.
    QImage source = test::Filled(6, 6, clBlack);
    for (int y = 1; y <= 3; ++y) {
        for (int x = 1; x <= 3; ++x) source.setPixel(x, y, ToQRgb(clBlue));
    }
    TExButtonGlyph glyph;
    glyph.SetGlyph(source);
    QImage disabled = StateImage(glyph, bdsDisabled);
    EXPECT_EQ(test::At(disabled, 2, 2), ColorToRGB(clBtnShadow));
    EXPECT_EQ(test::At(disabled, 4, 4), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(qAlpha(disabled.pixel(0, 0)), 0);  // the face colour is the mask
    EXPECT_EQ(qAlpha(disabled.pixel(5, 5)), 0);
}

TEST(ButtonGlyph, ImagesAreSharedBySizeAndSlotsReused) {
    {
        TExButtonGlyph a, b, other;
        a.SetGlyph(Strip(2));
        b.SetGlyph(Strip(1));
        other.SetGlyph(Strip(1, 20));
        EXPECT_EQ(a.BuildStateImage(bdsUp), 0);
        EXPECT_EQ(a.BuildStateImage(bdsUp), 0);  // built once
        EXPECT_EQ(b.BuildStateImage(bdsUp), 1);
        other.BuildStateImage(bdsUp);
        ASSERT_EQ(a.GlyphList(), b.GlyphList());
        EXPECT_NE(a.GlyphList(), other.GlyphList());
        TGlyphList* shared = a.GlyphList();
        EXPECT_EQ(a.BuildStateImage(bdsPressed), 0);  // two images: pressed shares up

        a.SetGlyph(Strip(2));  // a change releases the images
        EXPECT_EQ(shared->UsedCount(), 1);
        EXPECT_EQ(a.BuildStateImage(bdsDisabled), 0);  // the freed slot first
        EXPECT_EQ(shared->SlotCount(), 2);

        other.SetGlyph(QImage());
        EXPECT_EQ(other.BuildStateImage(bdsUp), -1);
    }
    EXPECT_EQ(ButtonGlyphCache(), nullptr);  // the last glyph object freed the empty cache
}

struct FaceCanvas {
    QImage image = test::Filled(120, 30, clBtnFace);
    QPainter painter{&image};
    FaceCanvas() {
        painter.setFont(test::TestFont());
        painter.setPen(Qt::black);
    }
};

TEST(ButtonGlyph, AutomaticMarginAndSpacingMakeEqualGaps) {
    TExButtonGlyph glyph;
    glyph.SetGlyph(Strip(1, 16));
    FaceCanvas canvas;
    const TRect client{0, 0, 120, 30};
    QString caption = QStringLiteral("Ход");
    QPoint glyphPos;
    TRect text;
    glyph.LayoutFace(canvas.painter, client, caption, blGlyphLeft, -1, -1, false, glyphPos, text, dt::Center);
    const int gap = glyphPos.x();
    EXPECT_EQ(gap, (120 - 16 - text.Width()) / 3);
    EXPECT_EQ(text.left - (glyphPos.x() + 16), gap);
    EXPECT_NEAR(client.right - text.right, gap, 2);
    EXPECT_EQ(glyphPos.y(), 15 - 8);
    EXPECT_EQ(text.top, 15 - text.Height() / 2);
    EXPECT_EQ(text.Height(), QFontMetrics(test::TestFont()).height());
}

TEST(ButtonGlyph, CaptionTooWideIsShortenedLineByLine) {
    TExButtonGlyph glyph;
    FaceCanvas canvas;
    const QFontMetrics metrics(test::TestFont());
    for (const QString& caption : {QStringLiteral("Очень длинная надпись"),
                                   QStringLiteral("Первая длинная строка\r\nВторая длинная строка")}) {
        QString fitted = caption;
        QPoint glyphPos;
        TRect text;
        glyph.LayoutFace(canvas.painter, TRect{0, 0, 80, 40}, fitted, blGlyphTop, 2, 1, false, glyphPos, text,
                         0);
        const QStringList lines = fitted.split(u'\n');
        EXPECT_EQ(lines.size(), caption.count(u'\n') + 1);
        for (const QString& line : lines) {
            EXPECT_TRUE(line.endsWith(QStringLiteral("..."))) << line.toStdString();
            EXPECT_LE(metrics.horizontalAdvance(line), 80);
        }
    }
    glyph.SetWordWrap(true);
    QString wrapped = QStringLiteral("Очень длинная надпись");
    QPoint glyphPos;
    TRect text;
    glyph.LayoutFace(canvas.painter, TRect{0, 0, 80, 40}, wrapped, blGlyphTop, 2, 1, false, glyphPos, text,
                     0);
    EXPECT_EQ(wrapped, QStringLiteral("Очень длинная надпись"));
}

TEST(ButtonGlyph, DropDownMarkSitsMidFaceWithoutCaptionAndGlyph) {
    TExButtonGlyph glyph;
    FaceCanvas canvas;
    const TRect client{10, 4, 110, 28};
    glyph.DrawButton(canvas.painter, client, QString(), blGlyphLeft, -1, 1, true, bdsUp, dt::Center);
    canvas.painter.end();
    const int x = (client.left + client.right - 7) / 2, y = client.top + client.Height() / 2;
    EXPECT_EQ(test::InkBox(canvas.image, test::Exactly(clBtnText)), QRect(x, y - 1, 7, 4));
    EXPECT_EQ(test::At(canvas.image, x + 3, y + 2), ColorToRGB(clBtnText));
    EXPECT_EQ(test::At(canvas.image, x + 2, y + 2), ColorToRGB(clBtnFace));
}

}  // namespace
}  // namespace kordalt
