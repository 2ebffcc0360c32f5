// Pixel probes and window set-up shared by the control tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QWidget>
#include <functional>

#include "controls/classic.h"
#include "support/gallery.h"

namespace kordalt::test {

inline QFont TestFont(int pixelSize = 12) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    return font;
}

inline QImage Filled(int w, int h, TColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(ToQColor(colour));
    return image;
}

inline TColor At(const QImage& image, int x, int y) { return FromQColor(QColor(image.pixel(x, y))); }

// Bounding box of the pixels that satisfy `match` (empty when none).
inline QRect InkBox(const QImage& image, const std::function<bool(QRgb)>& match) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (match(image.pixel(x, y))) box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box;
}

inline std::function<bool(QRgb)> Exactly(TColor colour) {
    const QRgb rgb = ToQRgb(colour) & 0x00FFFFFFu;
    return [rgb](QRgb pixel) { return (pixel & 0x00FFFFFFu) == rgb; };
}

// Dark pixels (text ink on a light ground).
inline bool Dark(QRgb pixel) { return qGray(pixel) < 128; }

// A shown, active top-level window for widgets under test.
struct TestWindow {
    QWidget window;
    explicit TestWindow(QSize size = {300, 200}) {
        window.resize(size);
        window.setFont(TestFont());
    }
    void ShowActive() {
        window.show();
        QApplication::setActiveWindow(&window);
        (void)QTest::qWaitForWindowActive(&window, 2000);
    }
};

}  // namespace kordalt::test
