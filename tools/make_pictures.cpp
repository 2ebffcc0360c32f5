// Draws the language pictures of the menu and the set-up window:
//   menu.bmp    the menu background, 640 x 480, dark under the button column;
//   menu2.bmp   a crown, on magenta (its lower-left colour, left out when drawn);
//   menu3.bmp   a compass rose, on magenta;
//   setup.bmp   the progress page background, 640 x 480, pale under black texts;
//   setup2.bmp  the set-up page background, 640 x 480, pale under black texts
//               and dark under the buttons' white captions;
//   fame.gif    the hall of fame's animated cup, 59 x 65, ten frames written
//               with the project's GIF writer: a glint runs over the bowl,
//               the cup shines, a glint runs over the foot.
//
// make_pictures <output folder>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "controls/gif_image.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
const QColor kKey(255, 0, 255);

// The region of a map square: the nearest of a few fixed centres.
int RegionOf(int x, int y) {
    static const QPoint centres[] = {{2, 2},  {9, 1},  {15, 4},  {4, 8},  {11, 8},  {17, 11},
                                     {1, 14}, {7, 14}, {13, 16}, {3, 20}, {10, 21}, {16, 20}};
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < static_cast<int>(std::size(centres)); ++i) {
        // A slight skew keeps the borders from running straight.
        const int dx = x - centres[i].x(), dy = y - centres[i].y() + (x + i) % 3 - 1;
        if (const int d = dx * dx + dy * dy; d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

// Whether a square lies on an island filling the grid, with a ragged coast.
bool OnIsland(int x, int y, int columns, int rows) {
    const double dx = (x + 0.5) / columns * 2 - 1, dy = (y + 0.5) / rows * 2 - 1;
    return dx * dx + dy * dy < 0.8 + 0.12 * std::sin(x * 1.7 + y * 0.9);
}

// A faint map of coloured regions on a square grid, `cell` pixels a square;
// an island leaves out the squares beyond its coast.
void RegionMap(QPainter& p, QPoint origin, int columns, int rows, int cell, int alpha, bool island) {
    const QColor colours[] = {{190, 70, 60},  {210, 170, 60}, {80, 160, 90},  {70, 120, 190},
                              {160, 90, 170}, {200, 120, 60}, {90, 170, 170}, {150, 160, 70}};
    // The centres are spread over an 18 x 22 grid, whatever the map's size.
    const auto region = [&](int x, int y) {
        if (island && !OnIsland(x, y, columns, rows)) return -1;
        return RegionOf(x * 18 / columns, y * 22 / rows);
    };
    const auto colourAt = [&](int x, int y) {
        QColor c = colours[region(x, y) % std::size(colours)];
        c.setAlpha(alpha);
        return c;
    };
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            if (region(x, y) >= 0)
                p.fillRect(origin.x() + x * cell, origin.y() + y * cell, cell - 1, cell - 1, colourAt(x, y));
    QColor border(255, 255, 255, alpha);
    p.setPen(QPen(border, 1));
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            const int left = origin.x() + x * cell, top = origin.y() + y * cell;
            if (x + 1 < columns && region(x, y) != region(x + 1, y))
                p.drawLine(left + cell - 1, top, left + cell - 1, top + cell - 1);
            if (y + 1 < rows && region(x, y) != region(x, y + 1))
                p.drawLine(left, top + cell - 1, left + cell - 1, top + cell - 1);
        }
}

QImage Menu() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, kWidth, kHeight);
    sky.setColorAt(0, QColor(8, 22, 34));
    sky.setColorAt(1, QColor(14, 58, 62));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(470, 300), 260);
    glow.setColorAt(0, QColor(60, 140, 130, 70));
    glow.setColorAt(1, QColor(60, 140, 130, 0));
    p.fillRect(image.rect(), glow);
    p.setRenderHint(QPainter::Antialiasing, false);
    RegionMap(p, QPoint(318, 196), 24, 22, 12, 55, true);
    // A thin rule beside the button column.
    p.setPen(QPen(QColor(120, 170, 160, 90), 1));
    p.drawLine(284, 56, 284, 448);
    return image;
}

// Drawn smoothly on transparency, then flattened onto the key colour: a pixel
// is the key where less than half covered, else its own colour.
QImage OnKey(const QImage& drawn) {
    QImage image(drawn.size(), QImage::Format_RGB32);
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor c = drawn.pixelColor(x, y);
            image.setPixelColor(x, y, c.alpha() < 128 ? kKey : QColor(c.red(), c.green(), c.blue()));
        }
    return image;
}

QImage Transparent(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage Crown() {
    QImage image = Transparent(110, 70);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(70, 45, 10);
    QLinearGradient gold(0, 8, 0, 62);
    gold.setColorAt(0, QColor(250, 215, 100));
    gold.setColorAt(1, QColor(190, 130, 30));
    p.setPen(QPen(outline, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(gold);
    p.drawPolygon(QPolygonF({{14, 50}, {8, 16}, {32, 34}, {55, 8}, {78, 34}, {102, 16}, {96, 50}}));
    p.drawRoundedRect(QRectF(12, 50, 86, 13), 3, 3);
    p.setBrush(QColor(245, 235, 200));
    for (const QPointF tip : {QPointF(8, 16), QPointF(55, 8), QPointF(102, 16)}) p.drawEllipse(tip, 4.5, 4.5);
    const QColor stones[] = {{190, 30, 40}, {40, 90, 200}, {190, 30, 40}};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(stones[i]);
        p.drawEllipse(QPointF(30 + 25 * i, 56.5), 4, 4);
    }
    return OnKey(image);
}

QImage CompassRose() {
    QImage image = Transparent(100, 100);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(50, 50);
    const QColor outline(30, 40, 40);
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(215, 225, 210));
    p.drawEllipse(QPointF(0, 0), 30, 30);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), 24, 24);
    for (int i = 0; i < 8; ++i) {
        const bool main = i % 2 == 0;
        const qreal length = main ? 46 : 30, half = main ? 8 : 6;
        p.save();
        p.rotate(45.0 * i);
        p.setPen(QPen(outline, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(main ? QColor(200, 160, 60) : QColor(120, 150, 140));
        p.drawPolygon(QPolygonF({{0, 0}, {-half, -half}, {0, -length}}));
        p.setBrush(main ? QColor(120, 80, 20) : QColor(60, 90, 85));
        p.drawPolygon(QPolygonF({{0, 0}, {half, -half}, {0, -length}}));
        p.restore();
    }
    p.setBrush(QColor(200, 160, 60));
    p.drawEllipse(QPointF(0, 0), 4, 4);
    return OnKey(image);
}

// A pale parchment page with a faint map from `mapOrigin`.
QImage Parchment(const QColor& top, const QColor& bottom, QPoint mapOrigin, int columns, int rows) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient paper(0, 0, 0, kHeight);
    paper.setColorAt(0, top);
    paper.setColorAt(1, bottom);
    p.fillRect(image.rect(), paper);
    RegionMap(p, mapOrigin, columns, rows, 16, 28, false);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shade(QPointF(kWidth / 2.0, kHeight / 2.0), 420);
    shade.setColorAt(0.6, QColor(90, 60, 20, 0));
    shade.setColorAt(1, QColor(90, 60, 20, 70));
    p.fillRect(image.rect(), shade);
    return image;
}

// The set-up page: parchment only. The main game screen, the state choice and
// the lobby show it too; the set-up window draws its own button panel.
QImage SetupPage() { return Parchment(QColor(236, 232, 218), QColor(216, 210, 188), QPoint(0, 0), 40, 30); }

// ---- The hall of fame's cup ----

constexpr int kFameWidth = 59, kFameHeight = 65;
const QColor kFameBackground(32, 32, 32);  // the hall of fame's window colour

// Shades from `from` to `to` in `steps` steps, `to` included.
void AddRamp(QVector<QRgb>& table, const QColor& from, const QColor& to, int steps) {
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        table.push_back(qRgb(static_cast<int>(from.red() + (to.red() - from.red()) * t),
                             static_cast<int>(from.green() + (to.green() - from.green()) * t),
                             static_cast<int>(from.blue() + (to.blue() - from.blue()) * t)));
    }
}

// One table for every frame: the background, gold from its dark outline to
// white, a glow from the background to white and the gems' red.
QVector<QRgb> FamePalette() {
    const QColor outline(70, 45, 10), dark(190, 130, 30), light(250, 215, 100), white(255, 255, 240);
    QVector<QRgb> table{kFameBackground.rgb()};
    AddRamp(table, kFameBackground, outline, 16);
    AddRamp(table, outline, dark, 40);
    AddRamp(table, dark, light, 40);
    AddRamp(table, light, white, 40);
    AddRamp(table, kFameBackground, white, 40);
    AddRamp(table, kFameBackground, QColor(190, 30, 40), 20);
    return table;
}

// Each pixel becomes the nearest colour of the table.
QImage ToPalette(const QImage& picture, const QVector<QRgb>& table) {
    QImage indexed(picture.size(), QImage::Format_Indexed8);
    indexed.setColorTable(table);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            int best = 0, bestDistance = 1 << 30;
            for (int i = 0; i < table.size(); ++i) {
                const int dr = qRed(c) - qRed(table[i]), dg = qGreen(c) - qGreen(table[i]),
                          db = qBlue(c) - qBlue(table[i]);
                if (const int d = dr * dr + dg * dg + db * db; d < bestDistance) bestDistance = d, best = i;
            }
            indexed.setPixel(x, y, static_cast<uint>(best));
        }
    return indexed;
}

// A four-pointed glint of half-size `size` centred on `at`, with a soft glow.
void Glint(QPainter& p, QPointF at, qreal size) {
    QRadialGradient glow(at, size * 1.6);
    glow.setColorAt(0, QColor(255, 255, 240, 200));
    glow.setColorAt(1, QColor(255, 255, 240, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(at, size * 1.6, size * 1.6);
    const qreal w = size / 4;
    p.setBrush(QColor(255, 255, 240));
    p.drawPolygon(QPolygonF({at + QPointF(0, -size), at + QPointF(w, -w), at + QPointF(size, 0),
                             at + QPointF(w, w), at + QPointF(0, size), at + QPointF(-w, w),
                             at + QPointF(-size, 0), at + QPointF(-w, -w)}));
}

struct TGlint {
    qreal x, y, size;
};

// The cup, brighter when it `shines`, with its glints.
QImage FameFrame(bool shines, const std::vector<TGlint>& glints) {
    QImage image(kFameWidth, kFameHeight, QImage::Format_RGB32);
    image.fill(kFameBackground);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gold(8, 0, 51, 0);
    gold.setColorAt(0, QColor(150, 100, 25));
    gold.setColorAt(0.35, shines ? QColor(255, 235, 150) : QColor(250, 215, 100));
    gold.setColorAt(1, QColor(170, 115, 28));
    p.setPen(QPen(QColor(70, 45, 10), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 12, 14, 16), 90 * 16, 180 * 16);  // handles
    p.drawArc(QRectF(42, 12, 14, 16), -90 * 16, 180 * 16);
    p.setBrush(gold);
    QPainterPath bowl;
    bowl.moveTo(10, 9);
    bowl.lineTo(49, 9);
    bowl.cubicTo(49, 28, 40, 38, 29.5, 38);
    bowl.cubicTo(19, 38, 10, 28, 10, 9);
    p.drawPath(bowl);
    p.drawRect(QRectF(26.5, 38, 6, 11));
    p.drawPolygon(QPolygonF({{19, 49}, {40, 49}, {44, 56}, {15, 56}}));
    p.drawRoundedRect(QRectF(12, 56, 35, 6), 2, 2);
    p.setBrush(QColor(190, 30, 40));
    p.drawEllipse(QPointF(29.5, 20), 3.5, 3.5);
    for (const TGlint& g : glints) Glint(p, QPointF(g.x, g.y), g.size);
    return image;
}

// Frames 0 and 5 rest for two seconds, the glints move every 150 ms.
bool WriteFameAnimation(const QString& fileName) {
    const std::vector<std::vector<TGlint>> glints = {
        {},
        {{15, 14, 4}},
        {{23, 19, 6}},
        {{33, 18, 6}},
        {{43, 13, 4}},
        {{29.5, 9, 8}},
        {{17, 58, 3}},
        {{25, 59, 5}},
        {{34, 59, 5}},
        {{42, 58, 3}},
    };
    const QVector<QRgb> table = FamePalette();
    kordalt::TGIFImage gif;
    for (size_t i = 0; i < glints.size(); ++i) {
        const int index = gif.AppendFrame(kordalt::TBitmap(ToPalette(FameFrame(i == 5, glints[i]), table)));
        gif.Frames(index).AnimateInterval = i == 0 || i == 5 ? 2000 : 150;
    }
    try {
        gif.SaveToFile(fileName);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_pictures: %s\n", e.what());
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + "/";
    const std::pair<const char*, QImage> pictures[] = {
        {"menu.bmp", Menu()},
        {"menu2.bmp", Crown()},
        {"menu3.bmp", CompassRose()},
        {"setup.bmp", Parchment(QColor(238, 230, 210), QColor(222, 208, 178), QPoint(40, 20), 35, 28)},
        {"setup2.bmp", SetupPage()},
    };
    for (const auto& [name, picture] : pictures)
        if (!picture.save(folder + name, "BMP")) {
            std::fprintf(stderr, "make_pictures: cannot write %s\n", qPrintable(folder + name));
            return 1;
        }
    return WriteFameAnimation(folder + "fame.gif") ? 0 : 1;
}
