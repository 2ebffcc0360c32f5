#include "controls/draw_utils.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "controls/command_line.h"
#include "controls/message_box.h"
#include "controls/widget_test_support.h"

namespace kordalt {
namespace {

using test::At;
using test::Filled;

// 3 x 2 source: the bottom-left pixel is red; blue and white elsewhere.
QImage Source() {
    QImage image = Filled(3, 2, clBlue);
    image.setPixel(0, 1, ToQRgb(clRed));
    image.setPixel(2, 0, ToQRgb(clWhite));
    image.setPixel(2, 1, ToQRgb(clRed));
    return image;
}

TEST(BlitWithKeyColour, KeyColourDecidesWhichPixelsStayTransparent) {
    struct Case {
        const char* name;
        TColor key;
        TColor expected[2][3];  // row, column; clGreen = destination shows through
    } cases[] = {
        {"none copies every pixel", clNone, {{clBlue, clBlue, clWhite}, {clRed, clBlue, clRed}}},
        {"default keys the bottom-left pixel",
         clDefault,
         {{clBlue, clBlue, clWhite}, {clGreen, clBlue, clGreen}}},
        {"explicit key", clBlue, {{clGreen, clGreen, clWhite}, {clRed, clGreen, clRed}}},
        {"system colour key", clBtnHighlight, {{clBlue, clBlue, clGreen}, {clRed, clBlue, clRed}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage dest = Filled(3, 2, clGreen);
        QPainter painter(&dest);
        DrawBitmapWithKeyColour(painter, 0, 0, Source(), c.key);
        painter.end();
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) EXPECT_EQ(At(dest, x, y), c.expected[y][x]) << x << "," << y;
        }
    }
}

TEST(BlitWithKeyColour, MonochromeBitmapAlwaysKeysWhite) {
    QImage mono(2, 1, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.setPixel(0, 0, 0);
    mono.setPixel(1, 0, 1);
    QImage dest = Filled(2, 1, clGreen);
    QPainter painter(&dest);
    BlitBitmapWithKeyColour(painter, mono, clBlack, 0, 0);
    painter.end();
    EXPECT_EQ(At(dest, 0, 0), clBlack);
    EXPECT_EQ(At(dest, 1, 0), clGreen);
}

TEST(BlitWithKeyColour, SizeDefaultsAndStretching) {
    // Destination size 0 keeps the bitmap's size; a source width of 0 takes the whole bitmap.
    QImage dest = Filled(8, 6, clGreen);
    QPainter painter(&dest);
    BlitBitmapWithKeyColour(painter, Source(), clNone, 1, 1, 0, 0, 2, 1, 0, 5);
    painter.end();
    EXPECT_EQ(At(dest, 1, 1), clBlue);
    EXPECT_EQ(At(dest, 3, 2), clRed);
    EXPECT_EQ(At(dest, 4, 1), clGreen);

    // Stretched twice: each source pixel covers 2 x 2; a source rectangle picks the right column.
    dest = Filled(6, 4, clGreen);
    painter.begin(&dest);
    StretchBitmapRectWithKeyColour(painter, 0, 0, 2, 4, TRect{2, 0, 3, 2}, Source(), clRed);
    painter.end();
    EXPECT_EQ(At(dest, 1, 1), clWhite);
    EXPECT_EQ(At(dest, 0, 2), clGreen);
    EXPECT_EQ(At(dest, 1, 3), clGreen);
    EXPECT_EQ(At(dest, 2, 0), clGreen);
}

TEST(ExtractGridCell, CutsCellsAndClampsArguments) {
    const TColor colours[6] = {clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};
    QImage grid(6, 4, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i) {
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) grid.setPixel((i % 3) * 2 + x, (i / 3) * 2 + y, ToQRgb(colours[i]));
        }
    }
    struct Case {
        int cols, rows, index;
        QSize size;
        TColor topLeft, bottomLeft;
    } cases[] = {
        {3, 2, 4, {2, 2}, clFuchsia, clFuchsia},
        {3, 2, -7, {2, 2}, clRed, clRed},       // negative index: cell 0
        {0, 2, 1, {6, 2}, clYellow, clYellow},  // no columns: one column
        {3, 0, 2, {2, 4}, clBlue, clAqua},      // no rows: one row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cols << "x" << c.rows << " #" << c.index);
        QImage cell = ExtractGridCell(grid, c.cols, c.rows, c.index);
        ASSERT_EQ(cell.size(), c.size);
        EXPECT_EQ(At(cell, 0, 0), c.topLeft);
        EXPECT_EQ(At(cell, 0, cell.height() - 1), c.bottomLeft);
    }
    EXPECT_TRUE(ExtractGridCell(QImage(), 2, 2, 0).isNull());
}

TEST(EmbossedGlyph, SilhouetteWithHighlightOffsetByOnePixel) {
    QImage source = Filled(5, 5, clFuchsia);
    for (int y = 1; y <= 2; ++y) {
        for (int x = 1; x <= 2; ++x) source.setPixel(x, y, ToQRgb(x == 1 ? clBlack : clRed));
    }
    QImage grey = MakeGrayedGlyph(source, clFuchsia);
    EXPECT_EQ(At(grey, 1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(grey, 2, 2), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(grey, 3, 3), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(grey, 3, 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(grey, 3, 2), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(grey, 0, 0), ColorToRGB(clBtnFace));

    QImage flat = MakeEmbossedGlyph(source, clFuchsia, clWhite, clYellow, clNavy, false);
    EXPECT_EQ(At(flat, 2, 1), clNavy);
    EXPECT_EQ(At(flat, 3, 3), clWhite);
}

TEST(EmbossedGlyph, ImageListDrawingUsesTheAlphaMask) {
    QImage image(3, 3, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(0, 0, qRgb(10, 200, 30));
    QImage dest = Filled(4, 4, clWhite);
    QPainter painter(&dest);
    DrawImageListEmbossed(painter, image, 1, 1, clYellow, clNavy, true);
    painter.end();
    EXPECT_EQ(At(dest, 1, 1), clNavy);
    EXPECT_EQ(At(dest, 2, 2), clYellow);
    EXPECT_EQ(At(dest, 3, 3), clWhite);
}

TEST(RectHelpers, InclusivePointTestAndFrame) {
    const TRect r{2, 3, 10, 8};
    EXPECT_TRUE(PointInRectInclusive({10, 8}, r));
    EXPECT_TRUE(PointInRectInclusive({2, 3}, r));
    EXPECT_FALSE(PointInRectInclusive({11, 8}, r));
    EXPECT_FALSE(PointInRectInclusive({5, 2}, r));
    EXPECT_EQ(PaletteRelativeColor(clBtnFace), 0x02C0C0C0u);

    QImage image = Filled(4, 4, clGreen);
    QPainter painter(&image);
    TRect frame{0, 0, 4, 4};
    Frame3D(painter, frame, Qt::white, Qt::black, 1);
    painter.end();
    EXPECT_EQ(frame, (TRect{1, 1, 3, 3}));
    EXPECT_EQ(At(image, 0, 0), clWhite);
    EXPECT_EQ(At(image, 2, 0), clWhite);
    EXPECT_EQ(At(image, 3, 0), clBlack);  // top-right corner belongs to the bottom-right edge
    EXPECT_EQ(At(image, 0, 3), clBlack);
    EXPECT_EQ(At(image, 1, 1), clGreen);
}

TEST(FitTextWithEllipsis, ShortensByTheFontsMetrics) {
    const QFontMetrics metrics(test::TestFont());
    const QString text = QStringLiteral("Начать игру");
    EXPECT_EQ(FitTextWithEllipsis(text, metrics, metrics.horizontalAdvance(text)), text);
    const QString firstTry = text.left(text.size() - 2) + QStringLiteral("...");
    EXPECT_EQ(FitTextWithEllipsis(text, metrics, metrics.horizontalAdvance(firstTry)), firstTry);
    const QString shorter = text.left(4) + QStringLiteral("...");
    const QString fitted = FitTextWithEllipsis(text, metrics, metrics.horizontalAdvance(shorter));
    EXPECT_LE(metrics.horizontalAdvance(fitted), metrics.horizontalAdvance(shorter));
    EXPECT_GE(fitted.size(), shorter.size());
    EXPECT_TRUE(fitted.endsWith(QStringLiteral("...")));
    EXPECT_EQ(FitTextWithEllipsis(QStringLiteral("W"), metrics, 1), QStringLiteral("..."));
}

TEST(RenderCellText, RightAlignedTextLeavesThreePixels) {
    QImage image = Filled(100, 20, clWhite);
    QPainter painter(&image);
    painter.setFont(test::TestFont());
    painter.setBrush(Qt::white);
    painter.setPen(Qt::black);
    RenderCellText(painter, TRect{0, 0, 100, 20}, 0, 2, QStringLiteral("H"), taRightJustify, false, false);
    painter.end();
    const QFontMetrics metrics(test::TestFont());
    const int inkRight = 100 - 3 - metrics.rightBearing(u'H');
    QRect ink = test::InkBox(image, test::Dark);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.right() + 1, inkRight, 1);
}

TEST(RenderCellText, GridCellVerticalAlignment) {
    const int textHeight = QFontMetrics(test::TestFont()).height();
    int topInk = 0;
    for (auto [alignment, dy] : {std::pair{vaTop, 2}, std::pair{vaCenter, (40 - textHeight) / 2},
                                 std::pair{vaBottom, 40 - textHeight}}) {
        SCOPED_TRACE(alignment);
        QImage image = Filled(80, 40, clWhite);
        QPainter painter(&image);
        painter.setFont(test::TestFont());
        painter.setBrush(Qt::white);
        painter.setPen(Qt::black);
        RenderGridCellText(painter, QStringLiteral("Жук"), TRect{0, 0, 80, 40}, taLeftJustify, alignment,
                           false, false);
        painter.end();
        QRect ink = test::InkBox(image, test::Dark);
        if (alignment == vaTop) topInk = ink.top();
        EXPECT_EQ(ink.top() - topInk, dy - 2);
        EXPECT_NEAR(ink.left(), 2, 2);
    }
}

TEST(RenderCellText, WordWrapAndLineBreaksGoThroughTheScratchImage) {
    const QFontMetrics metrics(test::TestFont());
    for (bool wrap : {true, false}) {
        SCOPED_TRACE(wrap ? "word wrap" : "carriage return");
        const QString text = wrap ? QStringLiteral("ab cd") : QStringLiteral("ab\rcd");
        QImage image = Filled(200, 60, clGreen);
        QPainter painter(&image);
        painter.setFont(test::TestFont());
        painter.setBrush(Qt::white);
        painter.setPen(Qt::black);
        const int cellWidth = metrics.horizontalAdvance(QStringLiteral("ab c"));
        RenderCellText(painter, TRect{10, 5, 10 + cellWidth, 55}, 2, 2, text, taLeftJustify, wrap, false);
        painter.end();
        EXPECT_EQ(At(image, 10, 5), clWhite);  // filled with the brush
        EXPECT_EQ(At(image, 9, 5), clGreen);   // nothing outside the cell
        QRect ink = test::InkBox(image, test::Dark);
        EXPECT_GE(ink.bottom(), 5 + 2 + metrics.height());  // a second line
    }
    FreeCellTextBitmap();
}

TEST(PlatformText, MeasuringFollowsTheFontMetricsAndPrefixFlag) {
    const QFont font = test::TestFont();
    const QFontMetrics metrics(font);
    TRect r{5, 7, 5, 7};
    EXPECT_EQ(MeasurePlatformText(font, QStringLiteral("A&B"), r, dt::NoPrefix), metrics.height());
    EXPECT_NEAR(r.Width(), metrics.horizontalAdvance(QStringLiteral("A&B")), 1);
    EXPECT_EQ(r.left, 5);
    MeasurePlatformText(font, QStringLiteral("A&B"), r, 0);
    EXPECT_NEAR(r.Width(), metrics.horizontalAdvance(QStringLiteral("AB")), 1);
    EXPECT_LT(r.Width(), metrics.horizontalAdvance(QStringLiteral("A&B")) - 1);
    EXPECT_GE(MeasurePlatformText(font, QStringLiteral("x\r\ny"), r, 0), 2 * metrics.height() - 1);
    EXPECT_EQ(MeasurePlatformText(font, QString(), r, 0), 0);
    EXPECT_EQ(AccelCharOf(QStringLiteral("&&Файл &Выход")), QChar(u'В'));
    EXPECT_EQ(NormalizeLineBreaks(QStringLiteral("a\r\nb\n\rc\rd\ne\n\n")),
              QStringLiteral("a\nb\nc\nd\ne\n\n"));
    EXPECT_TRUE(AccelCharOf(QStringLiteral("нет&")).isNull());
}

TEST(CommandLine, SplitsQuotedParameters) {
    std::string program, params;
    SplitProgramAndParams(R"("C:\Program Files\kordalt.exe" -host "my game" x)", program, params);
    EXPECT_EQ(program, R"(C:\Program Files\kordalt.exe)");
    EXPECT_EQ(params, R"(-host "my game" x)");
    SplitProgramAndParams("", program, params);
    EXPECT_EQ(program, "");
    EXPECT_EQ(params, "");

    const std::string line = R"(  "" first  "second one"	third"quoted part" "open)";
    EXPECT_EQ(CountCommandLineParams(line), 4);
    const char* expected[] = {"first", "second one", "thirdquoted part", "open"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(CommandLineParam(line, i), expected[i]) << i;
    EXPECT_EQ(CommandLineParam(line, 9), "");
}

TEST(CommandLine, LongParameterIsKeptWhole) {
    const std::string longParam(1000, 'p');
    std::string param;
    std::size_t end = NextCommandLineParam("a " + longParam + " b", 2, param);
    EXPECT_EQ(param, longParam);
    EXPECT_EQ(end, 1002u);
}

TEST(LibraryServices, CursorsAndNotImplementedReport) {
    EXPECT_EQ(ScreenCursor(crDragCursor).shape(), Qt::ArrowCursor);  // not registered yet
    RegisterLibraryCursors();
    EXPECT_EQ(ScreenCursor(crHandCursor).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(ScreenCursor(crDragCursor).shape(), Qt::DragMoveCursor);

    QApplication::setOverrideCursor(ScreenCursor(crHandCursor));
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    std::vector<std::pair<TMsgType, QString>> shown;
    ScopedMessageBoxHook hook([&shown](TMsgType type, const QString& text) {
        shown.emplace_back(type, text);
        return TMsgButton::Ok;
    });
    EXPECT_THROW(ReportNotImplemented(), EAbort);
    EXPECT_EQ(shown, (std::vector<std::pair<TMsgType, QString>>{
                         {TMsgType::Information, QStringLiteral("Функция не реализована")}}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Without the application's handler an exception shows one error box with its
// text; the silent abort shows none.
TEST(LibraryServices, AnUnhandledExceptionShowsItsTextInAnErrorBox) {
    struct Case {
        const char* name;
        std::function<void()> fail;
        std::vector<std::pair<TMsgType, QString>> shown;
    };
    const Case cases[] = {
        {"runtime error",
         [] { throw std::runtime_error("Диск полон"); },
         {{TMsgType::Error, QStringLiteral("Диск полон")}}},
        {"not an exception class", [] { throw 7; }, {{TMsgType::Error, QStringLiteral("Unknown exception")}}},
        {"abort", [] { throw EAbort(); }, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<TMsgType, QString>> shown;
        ScopedMessageBoxHook hook([&shown](TMsgType type, const QString& text) {
            shown.emplace_back(type, text);
            return TMsgButton::Ok;
        });
        RunHandled(nullptr, c.fail);
        EXPECT_EQ(shown, c.shown) << c.name;
    }
}

}  // namespace
}  // namespace kordalt
