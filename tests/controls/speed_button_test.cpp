#include "controls/speed_button.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>

#include "controls/widget_test_support.h"

namespace kordalt {
namespace {

using test::At;

class SpeedButtonTest : public testing::Test {
protected:
    test::TestWindow window;

    TExSpeedButton* AddButton(QPoint at = {20, 20}, const QString& caption = QStringLiteral("Далее")) {
        auto* button = new TExSpeedButton(&window.window);
        button->setGeometry(QRect(at, QSize(70, 26)));
        button->SetCaption(caption);
        button->show();
        return button;
    }

    static void Enter(QWidget* widget) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(widget, &enter);
    }
    static void Leave(QWidget* widget) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(widget, &leave);
    }
    static QPoint Inside() { return {10, 10}; }
    static QPoint Outside() { return {200, 10}; }
};

// Two 18 x 18 images: red (normal) and lime (disabled), fuchsia key at the bottom left.
QImage RedGlyph() {
    QImage strip = test::Filled(36, 18, clRed);
    QPainter(&strip).fillRect(18, 0, 18, 18, ToQColor(clLime));
    strip.setPixel(0, 17, ToQRgb(clFuchsia));
    return strip;
}

TEST_F(SpeedButtonTest, PressAndReleaseClickOnlyInside) {
    TExSpeedButton* button = AddButton();
    window.ShowActive();
    QSignalSpy clicks(button, &TExSpeedButton::OnClick);

    QTest::mousePress(button, Qt::LeftButton, {}, Inside());
    EXPECT_EQ(button->State(), bdsPressed);
    QTest::mouseMove(button, Outside());
    EXPECT_EQ(button->State(), bdsUp);
    QTest::mouseMove(button, Inside());
    EXPECT_EQ(button->State(), bdsPressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, Inside());
    EXPECT_EQ(button->State(), bdsUp);
    EXPECT_EQ(clicks.count(), 1);

    QTest::mousePress(button, Qt::LeftButton, {}, Inside());
    QTest::mouseRelease(button, Qt::LeftButton, {}, Outside());
    EXPECT_EQ(clicks.count(), 1);

    QTest::mouseClick(button, Qt::RightButton, {}, Inside());
    EXPECT_EQ(clicks.count(), 1);
    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, Inside());
    EXPECT_EQ(clicks.count(), 1);
    button->grab();
    EXPECT_EQ(button->State(), bdsDisabled);
}

TEST_F(SpeedButtonTest, GroupKeepsOneButtonDown) {
    TExSpeedButton* a = AddButton({0, 0});
    TExSpeedButton* b = AddButton({0, 30});
    TExSpeedButton* c = AddButton({0, 60});
    for (TExSpeedButton* button : {a, b, c}) button->SetGroupIndex(1);
    window.ShowActive();
    QSignalSpy clicksB(b, &TExSpeedButton::OnClick);

    QTest::mouseClick(a, Qt::LeftButton, {}, Inside());
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), bdsHeldDown);
    QTest::mouseClick(b, Qt::LeftButton, {}, Inside());
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), bdsUp);

    QTest::mouseClick(b, Qt::LeftButton, {}, Inside());  // no AllowAllUp: stays down
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicksB.count(), 2);

    QTest::mousePress(b, Qt::LeftButton, {}, Inside());  // released outside: still held down
    QTest::mouseRelease(b, Qt::LeftButton, {}, Outside());
    EXPECT_EQ(b->State(), bdsHeldDown);

    c->SetAllowAllUp(true);  // the group takes it over
    EXPECT_TRUE(b->AllowAllUp());
    QTest::mouseClick(b, Qt::LeftButton, {}, Inside());
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->State(), bdsUp);

    // Program code follows the same rules.
    c->SetDown(true);
    a->SetDown(true);
    EXPECT_FALSE(c->Down());
    TExSpeedButton* loose = AddButton({0, 90});
    loose->SetDown(true);
    EXPECT_FALSE(loose->Down());
}

TEST_F(SpeedButtonTest, DoubleClickOnADownButton) {
    TExSpeedButton* button = AddButton();
    button->SetGroupIndex(3);
    window.ShowActive();
    QSignalSpy doubles(button, &TExSpeedButton::OnDblClick);
    auto doubleClick = [button] {
        QTest::mouseClick(button, Qt::LeftButton, {}, Inside());
        QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(Inside()),
                           button->mapToGlobal(QPointF(Inside())), Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(button, &second);
        QTest::mouseRelease(button, Qt::LeftButton, {}, Inside());
    };
    doubleClick();
    EXPECT_EQ(doubles.count(), 1);  // down after the first click of the pair
    button->SetAllowAllUp(true);
    button->SetDown(false);
    button->SetGroupIndex(0);
    doubleClick();
    EXPECT_EQ(doubles.count(), 1);
}

TEST_F(SpeedButtonTest, HeldButtonRepeatsItsClick) {
    TExSpeedButton* button = AddButton();
    button->SetAllowTimer(true);
    button->SetInitPause(40);
    button->SetRepeatInterval(10);
    window.ShowActive();
    QSignalSpy clicks(button, &TExSpeedButton::OnClick);
    QTest::mousePress(button, Qt::LeftButton, {}, Inside());
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks.count() >= 4; }, 3000));
    QTest::mouseRelease(button, Qt::LeftButton, {}, Inside());
    const int afterRelease = clicks.count();
    QTest::qWait(60);
    EXPECT_EQ(clicks.count(), afterRelease);

    // Moved off the button, the repeat pauses.
    QTest::mousePress(button, Qt::LeftButton, {}, Inside());
    QTest::mouseMove(button, Outside());
    const int outside = clicks.count();
    QTest::qWait(100);
    EXPECT_EQ(clicks.count(), outside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, Outside());
}

TEST_F(SpeedButtonTest, FlatButtonShowsItsFrameOnlyUnderTheMouse) {
    TExSpeedButton* button = AddButton({20, 20}, QString());
    button->SetFlat(true);
    button->SetGlyph(RedGlyph());
    window.ShowActive();
    Leave(button);
    const QPoint glyph(35, 13);
    struct Case {
        bool mouseInside;
        bool grayed;
        TColor corner, glyph;
    } cases[] = {
        {false, true, ColorToRGB(clBtnFace), ((255 * 77) >> 8) * 0x010101u},
        {false, false, ColorToRGB(clBtnFace), clRed},
        {true, true, ColorToRGB(clBtnHighlight), clRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "inside " << c.mouseInside << " grayed " << c.grayed);
        button->SetGrayedInactive(c.grayed);
        if (c.mouseInside) Enter(button);
        EXPECT_EQ(button->MouseInside(), c.mouseInside);
        QImage image = button->grab().toImage();
        EXPECT_EQ(At(image, 0, 0), c.corner);
        EXPECT_EQ(At(image, glyph.x(), glyph.y()), c.glyph);
    }
    QSignalSpy leaves(button, &TExSpeedButton::OnMouseLeave);
    Leave(button);
    EXPECT_EQ(leaves.count(), 1);
    EXPECT_EQ(At(button->grab().toImage(), 0, 0), ColorToRGB(clBtnFace));
}

TEST_F(SpeedButtonTest, FramesByStyleAndState) {
    struct Case {
        TButtonStyle style;
        bool down, flat;
        TColor outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
        int inset;
    } cases[] = {
        {bsNew, false, false, clBtnHighlight, clWindowFrame, clBtnFace, clBtnShadow, 3},
        {bsNew, false, true, clBtnHighlight, clBtnShadow, clNone, clNone, 2},
        {bsNew, true, false, clWindowFrame, clBtnHighlight, clBtnShadow, clBtnFace, 3},
        {bsNew, true, true, clWindowFrame, clBtnHighlight, clNone, clNone, 2},
        {bsWin31, false, false, clWindowFrame, clWindowFrame, clBtnHighlight, clBtnShadow, 3},
        {bsWin31, false, true, clBtnHighlight, clWindowFrame, clNone, clNone, 2},
        {bsWin31, true, false, clWindowFrame, clWindowFrame, clBtnShadow, clNone, 2},
        {bsAutoDetect, false, false, clBtnHighlight, clWindowFrame, clBtnFace, clBtnShadow, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " down " << c.down << " flat " << c.flat);
        QImage image = test::Filled(20, 12, clGreen);
        QPainter painter(&image);
        TRect face = DrawSpeedButtonFrame(painter, TRect{0, 0, 20, 12}, c.down, c.style, c.flat);
        painter.end();
        EXPECT_EQ(face, (TRect{c.inset, c.inset, 20 - c.inset, 12 - c.inset}));
        EXPECT_EQ(At(image, 0, 0), ColorToRGB(c.outerTopLeft));
        EXPECT_EQ(At(image, 19, 11), ColorToRGB(c.outerBottomRight));
        if (c.innerTopLeft != clNone) {
            EXPECT_EQ(At(image, 1, 1), ColorToRGB(c.innerTopLeft));
        }
        if (c.innerBottomRight != clNone) {
            EXPECT_EQ(At(image, 18, 10), ColorToRGB(c.innerBottomRight));
        }
    }
}

TEST_F(SpeedButtonTest, HeldDownFaceIsDitheredAndTransparentShowsTheParent) {
    window.window.setAutoFillBackground(true);
    QPalette colours = window.window.palette();
    colours.setColor(QPalette::Window, ToQColor(clBlue));
    window.window.setPalette(colours);
    TExSpeedButton* held = AddButton({0, 0}, QString());
    held->SetGroupIndex(1);
    held->SetDown(true);
    TExSpeedButton* clear = AddButton({0, 40}, QString());
    clear->SetTransparent(true);
    window.ShowActive();

    QImage heldImage = held->grab().toImage();
    EXPECT_NE(At(heldImage, 20, 12), At(heldImage, 21, 12));
    for (int x : {20, 21}) {
        TColor pixel = At(heldImage, x, 12);
        EXPECT_TRUE(pixel == ColorToRGB(clBtnFace) || pixel == ColorToRGB(clBtnHighlight));
    }
    QImage parent = window.window.grab().toImage();
    EXPECT_EQ(At(parent, 35, 40 + 13), clBlue);                // the parent through the face
    EXPECT_EQ(At(parent, 0, 40), ColorToRGB(clBtnHighlight));  // the frame is still drawn
    clear->SetTransparent(false);
    EXPECT_EQ(At(window.window.grab().toImage(), 35, 40 + 13), ColorToRGB(clBtnFace));
}

TEST_F(SpeedButtonTest, ModalResultClosesTheDialog) {
    QDialog dialog;
    auto* button = new TExSpeedButton(&dialog);
    button->resize(60, 24);
    button->SetModalResult(2);
    QSignalSpy clicks(button, &TExSpeedButton::OnClick);
    QTimer::singleShot(20, button, [button] { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5)); });
    QTimer::singleShot(3000, &dialog, [&dialog] { dialog.done(99); });  // bound
    EXPECT_EQ(dialog.exec(), 2);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(FormModalResult(button), 2);

    // A button without a modal result resets the form's and leaves it open.
    auto* plain = new TExSpeedButton(&dialog);
    plain->Click();
    EXPECT_EQ(FormModalResult(plain), 0);
}

TEST_F(SpeedButtonTest, DropDownMenuOpensOnPressWithoutClick) {
    TExSpeedButton* button = AddButton();
    QMenu menu;
    menu.addAction(QStringLiteral("Пункт"));
    button->SetDropDownMenu(&menu);
    EXPECT_EQ(button->DropDownMenuPoint(), QPoint(-1, button->height()));
    button->SetMenuPosition(dmpRight);
    EXPECT_EQ(button->DropDownMenuPoint(), QPoint(button->width(), -1));
    window.ShowActive();
    QSignalSpy clicks(button, &TExSpeedButton::OnClick);
    bool menuShown = false;
    QTimer::singleShot(30, &menu, [&] {
        menuShown = menu.isVisible();
        menu.close();
    });
    QTest::mousePress(button, Qt::LeftButton, {}, Inside());
    EXPECT_TRUE(menuShown);
    EXPECT_EQ(button->State(), bdsUp);
    QTest::mouseRelease(button, Qt::LeftButton, {}, Inside());
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(SpeedButtonTest, AcceleratorClicksAndBadValuesAreIgnored) {
    TExSpeedButton* button = AddButton({20, 20}, QStringLiteral("&Ход"));
    window.ShowActive();
    QSignalSpy clicks(button, &TExSpeedButton::OnClick);
    QTest::sendKeyEvent(QTest::Click, &window.window, Qt::Key(u'Х'), QStringLiteral("х"), Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);

    button->SetMargin(4);
    button->SetMargin(-2);
    EXPECT_EQ(button->Margin(), 4);
    button->SetNumGlyphs(9);
    EXPECT_EQ(button->NumGlyphs(), 5);
}

// A click handler's error reaches the application's handler on every path, and
// the button goes on working.
TEST_F(SpeedButtonTest, ErrorsOfTheClickGoToTheApplicationsHandler) {
    TExSpeedButton* button = AddButton({20, 20}, QStringLiteral("&Ход"));
    window.ShowActive();
    std::vector<std::string> handled;
    SetApplicationExceptionHandler([&](QObject* sender, std::exception_ptr error) {
        EXPECT_EQ(sender, button);
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            handled.push_back(e.what());
        }
    });
    int clicks = 0;
    QObject::connect(button, &TExSpeedButton::OnClick, [&] {
        if (++clicks <= 2) throw std::runtime_error("write failed");
    });
    QTest::mouseClick(button, Qt::LeftButton, {}, Inside());
    QTest::sendKeyEvent(QTest::Click, &window.window, Qt::Key(u'Х'), QStringLiteral("х"), Qt::AltModifier);
    EXPECT_EQ(handled, (std::vector<std::string>{"write failed", "write failed"}));
    QTest::mouseClick(button, Qt::LeftButton, {}, Inside());
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(handled.size(), 2u);
    SetApplicationExceptionHandler(nullptr);
}

}  // namespace
}  // namespace kordalt
