#include "controls/ex_label.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>

#include "controls/widget_test_support.h"

namespace kordalt {
namespace {

using test::InkBox;

QSize TextSize(const QFont& font, const QString& text) {
    QRect r = QFontMetrics(font).boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextShowMnemonic, text);
    return r.size();
}

TEST(ExLabel, AutoSizeFitsTextAndShadow) {
    const QFont font = test::TestFont();
    const QString caption = QStringLiteral("Казна: 100");
    const QSize text = TextSize(font, caption);
    struct Case {
        TShadowPosition position;
        int size;
        int extraWidth, extraHeight;  // beyond the text plus the 1-pixel inset on each side
    } cases[] = {{spLeftTop, 1, 0, 0},    {spLeftTop, 3, 0, 0},  {spRightBottom, 2, 2, 2},
                 {spLeftBottom, 2, 0, 2}, {spRightTop, 3, 3, 0}, {spRightBottom, 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.position << " size " << c.size);
        TExLabel label;
        label.setFont(font);
        label.SetShadowPos(c.position);
        label.SetShadowSize(c.size);
        label.SetCaption(caption);
        EXPECT_EQ(label.size(), QSize(text.width() + 2 + c.extraWidth, text.height() + 2 + c.extraHeight));
    }
}

TEST(ExLabel, AutoSizeKeepsTheRightEdgeOfRightAlignedText) {
    TExLabel label;
    label.setFont(test::TestFont());
    label.move(200, 10);
    label.SetAlignment(taRightJustify);
    label.SetCaption(QStringLiteral("1"));
    const int right = label.geometry().right();
    label.SetCaption(QStringLiteral("1 000 000"));
    EXPECT_EQ(label.geometry().right(), right);
    EXPECT_LT(label.x(), 200);

    TExLabel fixed;
    fixed.SetAutoSize(false);
    fixed.SetCaption(QStringLiteral("a long caption that does not fit"));
    EXPECT_EQ(fixed.size(), QSize(65, 17));
}

TEST(ExLabel, LoneAmpersandMeasuresOneLine) {
    const QFont font = test::TestFont();
    TExLabel label;
    label.setFont(font);
    label.SetCaption(QStringLiteral("&"));
    EXPECT_EQ(label.height(), QFontMetrics(font).height() + 2);
    label.SetShowAccelChar(false);
    label.SetCaption(QString());
    label.SetCaption(QStringLiteral("&"));
    EXPECT_EQ(label.width(), TextSize(font, QStringLiteral("&&")).width() + 2);
}

// A solid block glyph: its pixels are pure colours away from the edges.
struct ShadowProbe {
    QImage image;
    QRect text;
    explicit ShadowProbe(TExLabel& label) {
        image = label.grab().toImage();
        text = InkBox(image, test::Exactly(clBlue));
    }
    TColor At(int x, int y) const { return test::At(image, x, y); }
};

void SetUpBlockLabel(TExLabel& label) {
    label.setFont(test::TestFont(40));
    label.SetAutoSize(false);
    label.resize(100, 90);
    label.SetAlignment(taCenter);
    label.SetLayout(tlCenter);
    label.SetColor(clWhite);
    label.SetFontColor(clBlue);
    label.SetShadowColor(clRed);
    label.SetCaption(QString(QChar(0x2588)));
}

TEST(ExLabel, ShadowIsDrawnTowardsItsCorner) {
    struct Case {
        TShadowPosition position;
        int dx, dy;
    } cases[] = {{spLeftTop, -1, -1}, {spLeftBottom, -1, 1}, {spRightBottom, 1, 1}, {spRightTop, 1, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.position);
        TExLabel label;
        SetUpBlockLabel(label);
        label.SetShadowSize(4);
        label.SetShadowPos(c.position);
        ShadowProbe probe(label);
        ASSERT_GT(probe.text.width(), 10);
        const QPoint centre = probe.text.center();
        const int sideX = c.dx > 0 ? probe.text.right() + 2 : probe.text.left() - 2;
        const int otherX = c.dx > 0 ? probe.text.left() - 2 : probe.text.right() + 2;
        const int sideY = c.dy > 0 ? probe.text.bottom() + 2 : probe.text.top() - 2;
        EXPECT_EQ(probe.At(centre.x(), centre.y()), clBlue);
        EXPECT_EQ(probe.At(sideX, centre.y()), clRed);
        EXPECT_EQ(probe.At(centre.x(), sideY), clRed);
        EXPECT_EQ(probe.At(otherX, centre.y()), clWhite);
    }
}

TEST(ExLabel, DisabledLabelIsEmbossed) {
    TExLabel label;
    SetUpBlockLabel(label);
    label.SetColor(clSilver);
    label.SetShadowSize(0);
    label.setEnabled(false);
    QImage image = label.grab().toImage();
    QRect text = InkBox(image, test::Exactly(clGrayText));
    ASSERT_GT(text.width(), 10);
    EXPECT_TRUE(InkBox(image, test::Exactly(clBlue)).isEmpty());
    QRect highlight = InkBox(image, test::Exactly(clWhite));
    ASSERT_FALSE(highlight.isEmpty());
    EXPECT_NEAR(highlight.right(), text.right() + 1, 1);
    EXPECT_NEAR(highlight.bottom(), text.bottom() + 1, 1);
    EXPECT_GE(highlight.left(), text.left());
}

TEST(ExLabel, VerticalLayoutOffsetsFollowTheFontHeight) {
    const QFont font = test::TestFont();
    const int th = QFontMetrics(font).height();
    const int height = 40, shadow = 1;
    struct Case {
        TTextLayout layout;
        int textTop;
    } cases[] = {
        {tlTop, 1}, {tlCenter, (1 - shadow) + (height - (1 + th)) / 2}, {tlBottom, height - th - shadow}};
    int topInk = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout);
        TExLabel label;
        label.setFont(font);
        label.SetAutoSize(false);
        label.resize(120, height);
        label.SetColor(clWhite);
        label.SetFontColor(clBlack);
        label.SetLayout(c.layout);
        label.SetCaption(QStringLiteral("ЖЖЖ"));
        QRect ink = InkBox(label.grab().toImage(), test::Dark);
        ASSERT_FALSE(ink.isEmpty());
        if (c.layout == tlTop) {
            topInk = ink.top();
        } else {
            EXPECT_EQ(ink.top() - topInk, c.textTop - 1);
        }
    }
}

TEST(ExLabel, MouseClicksAndTracking) {
    test::TestWindow window;
    auto* label = new TExLabel(&window.window);
    label->SetCaption(QStringLiteral("Нажми"));
    label->move(10, 10);
    window.ShowActive();
    QSignalSpy clicks(label, &TExLabel::OnClick);
    QSignalSpy enters(label, &TExLabel::OnMouseEnter);
    QSignalSpy leaves(label, &TExLabel::OnMouseLeave);

    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(clicks.count(), 1);
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 5, 3));
    EXPECT_EQ(clicks.count(), 1);

    QEnterEvent enter(QPointF(2, 2), QPointF(12, 12), QPointF(12, 12));
    QApplication::sendEvent(label, &enter);
    EXPECT_TRUE(label->MouseInside());
    EXPECT_EQ(enters.count(), 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(label, &leave);
    EXPECT_FALSE(label->MouseInside());
    EXPECT_EQ(leaves.count(), 1);

    label->setEnabled(false);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(ExLabel, AcceleratorFocusesTheFocusControl) {
    test::TestWindow window;
    auto* label = new TExLabel(&window.window);
    auto* edit = new QLineEdit(&window.window);
    auto* other = new QLineEdit(&window.window);
    edit->move(0, 40);
    other->move(0, 80);
    label->SetCaption(QStringLiteral("&Имя"));
    label->SetFocusControl(edit);
    label->SetShowFocus(true);
    window.ShowActive();
    other->setFocus();
    QTest::sendKeyEvent(QTest::Click, &window.window, Qt::Key(u'И'), QStringLiteral("и"), Qt::AltModifier);
    EXPECT_TRUE(edit->hasFocus());

    // The focus rectangle appears around the text while the control has the focus.
    label->SetColor(clWhite);
    label->SetFontColor(clWhite);
    label->SetShadowSize(0);
    EXPECT_FALSE(InkBox(label->grab().toImage(), test::Dark).isEmpty());
    other->setFocus();
    EXPECT_TRUE(InkBox(label->grab().toImage(), test::Dark).isEmpty());
}

}  // namespace
}  // namespace kordalt
