// Renders every control in its main states to PNG files in <build>/gallery so
// that a person can look at them.
#include <gtest/gtest.h>

#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QSet>

#include "controls/ex_label.h"
#include "controls/scroll_text_panel.h"
#include "controls/speed_button.h"
#include "controls/widget_test_support.h"

namespace kordalt {
namespace {

void Save(const QImage& image, const QString& name) { test::SaveToGallery(image, name); }

// Normal and disabled images of a small drawn icon on the fuchsia key colour.
QImage IconStrip() {
    QImage strip = test::Filled(36, 18, clFuchsia);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 2; ++i) {
        painter.setPen(Qt::black);
        painter.setBrush(i == 0 ? QColor(0, 160, 0) : ToQColor(clBtnShadow));
        painter.drawEllipse(i * 18 + 2, 2, 13, 13);
        painter.setBrush(i == 0 ? QColor(255, 220, 0) : ToQColor(clBtnHighlight));
        painter.drawPolygon(
            QPolygon({QPoint(i * 18 + 6, 5), QPoint(i * 18 + 12, 9), QPoint(i * 18 + 6, 13)}));
    }
    return strip;
}

QWidget* Stage(test::TestWindow& window, TColor colour) {
    window.window.setAutoFillBackground(true);
    QPalette palette = window.window.palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    window.window.setPalette(palette);
    return &window.window;
}

TEST(Gallery, SpeedButtons) {
    test::TestWindow window({200, 60});
    Stage(window, clSilver);
    auto* button = new TExSpeedButton(&window.window);
    button->setGeometry(10, 10, 130, 30);
    button->SetCaption(QStringLiteral("&Начать игру"));
    button->SetGlyph(IconStrip());
    button->SetLayout(blGlyphLeft);
    button->SetMargin(5);
    button->SetSpacing(5);
    window.ShowActive();
    auto shot = [&](const QString& name) {
        Save(button->grab().toImage(), QStringLiteral("speed_button_") + name);
    };

    shot(QStringLiteral("up"));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    shot(QStringLiteral("pressed"));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    button->setEnabled(false);
    shot(QStringLiteral("disabled"));
    button->setEnabled(true);
    button->SetGroupIndex(1);
    button->SetDown(true);
    shot(QStringLiteral("held_down"));
    button->SetAllowAllUp(true);
    button->SetDown(false);
    button->SetStyle(bsWin31);
    shot(QStringLiteral("win31"));
    button->SetStyle(bsAutoDetect);
    button->SetFlat(true);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    shot(QStringLiteral("flat_inactive"));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(button, &enter);
    shot(QStringLiteral("flat_hover"));
    button->SetFlat(false);
    QMenu menu;
    button->SetDropDownMenu(&menu);
    button->SetLayout(blGlyphTop);
    button->resize(110, 50);
    shot(QStringLiteral("glyph_top_drop_down"));
    button->SetDropDownMenu(nullptr);
    button->SetCaption(QStringLiteral("Слишком длинная надпись на кнопке"));
    button->SetLayout(blGlyphRight);
    button->resize(110, 30);
    shot(QStringLiteral("caption_shortened"));

    button->SetCaption(QStringLiteral("Прозрачная"));
    button->SetTransparent(true);
    Stage(window, clTeal);
    Save(window.window.grab().toImage(), QStringLiteral("speed_button_transparent"));
}

TEST(Gallery, ShadowLabels) {
    test::TestWindow window({260, 70});
    Stage(window, clSilver);
    auto* label = new TExLabel(&window.window);
    label->move(10, 10);
    QFont title(QStringLiteral("Liberation Serif"));
    title.setPixelSize(28);
    title.setBold(true);
    label->setFont(title);
    label->SetCaption(QStringLiteral("Кордальт"));
    window.ShowActive();
    auto shot = [&](const QString& name) { Save(label->grab().toImage(), QStringLiteral("label_") + name); };

    shot(QStringLiteral("default"));
    label->SetShadowColor(clYellow);
    label->SetShadowSize(2);
    label->SetShadowPos(spRightBottom);
    label->SetFontColor(clNavy);
    shot(QStringLiteral("yellow_shadow"));
    label->setEnabled(false);
    shot(QStringLiteral("disabled"));
    label->setEnabled(true);
    label->SetTransparent(true);
    Stage(window, clTeal);
    Save(window.window.grab().toImage(), QStringLiteral("label_transparent"));
    label->SetTransparent(false);
    label->SetAutoSize(false);
    label->resize(240, 50);
    label->SetAlignment(taCenter);
    label->SetLayout(tlCenter);
    label->SetColor(clWhite);
    shot(QStringLiteral("centred"));
}

TEST(Gallery, ScrollTextPanels) {
    test::TestWindow window({320, 150});
    auto* panel = new TScrollTextPanel(&window.window);
    panel->setGeometry(10, 10, 300, 128);
    panel->setFont(test::TestFont(13));
    panel->SetInterval(1000000);
    panel->SetCycled(true);
    panel->SetLines({QStringLiteral("Давным-давно, в далёкой стране,"),
                     QStringLiteral("жили-были двадцать государств."), QString(),
                     QStringLiteral("Каждое хотело больше земли,"),
                     QStringLiteral("больше зерна и больше учёных.")});
    auto* child = new QWidget(panel);
    child->setGeometry(20, 20, 100, 40);
    child->setAutoFillBackground(true);
    window.ShowActive();
    auto shot = [&](const QString& name, int ticks) {
        panel->SetActive(false);
        panel->SetActive(true);
        panel->SetInterval(1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->ScrollCount() >= ticks; }, 10000));
        panel->SetInterval(1000000);
        QTest::qWait(20);  // the last frame reaches the screen
        Save(panel->grab().toImage(), QStringLiteral("scroll_panel_") + name);
    };
    Save(panel->grab().toImage(), QStringLiteral("scroll_panel_inactive"));
    shot(QStringLiteral("vertical"), 90);
    panel->SetTextStyle(bvLowered);
    panel->SetGlyph(IconStrip().copy(0, 0, 18, 18));
    shot(QStringLiteral("lowered_with_glyph"), 110);
    panel->SetTextStyle(bvNone);
    panel->SetGlyph(QImage());
    panel->SetScrollDirection(sdHorizontal);
    shot(QStringLiteral("horizontal"), 200);
    panel->SetActive(false);
}

}  // namespace
}  // namespace kordalt
