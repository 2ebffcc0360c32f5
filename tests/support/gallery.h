// Pictures of windows and controls for a person to look at, in <build>/gallery.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSet>
#include <QString>

namespace kordalt::test {

// Saves `image` as <build>/gallery/<name>.png; a blank picture fails.
inline void SaveToGallery(const QImage& image, const QString& name) {
    const QString dir = QDir::cleanPath(QStringLiteral(KORDALT_TEST_TMP "/../gallery"));
    QDir().mkpath(dir);
    const QString path = dir + u'/' + name + QStringLiteral(".png");
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 1) << name.toStdString() << " is blank";
}

}  // namespace kordalt::test
