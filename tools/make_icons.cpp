// Draws the picture bitmap of button glyphs and small icons: every fragment of
// the settings file's [Icons] section gets its picture in its rectangle. A
// fragment twice as wide as high holds a button glyph (normal and disabled image
// side by side); any other fragment holds one icon. The background is magenta,
// the colour the controls leave out (a fragment's lower-left pixel).
//
// make_icons <settings file> <output bitmap>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

#include "ui/picture_store.h"

namespace {

using kordalt::TIniFileEx;

const QColor kBackground(255, 0, 255);
const QColor kOutline(40, 40, 40);
const QColor kGreen(0, 150, 40), kRed(200, 30, 30), kBlue(30, 80, 190), kGold(230, 180, 20),
    kBrown(140, 90, 40);

// Every picture is drawn on a 24 x 24 grid.
using Picture = std::function<void(QPainter&)>;

void Outlined(QPainter& p, const QColor& fill, qreal width = 1.2) {
    p.setPen(QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
}

void Face(QPainter& p, const QColor& colour, qreal mood) {  // mood 1 smiles, -1 frowns
    Outlined(p, colour);
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setBrush(kOutline);
    p.drawEllipse(QRectF(7.5, 8, 2.5, 3));
    p.drawEllipse(QRectF(14, 8, 2.5, 3));
    QPainterPath mouth(QPointF(7, 15.5 - 1.5 * mood));
    mouth.quadTo(QPointF(12, 15.5 + 4 * mood), QPointF(17, 15.5 - 1.5 * mood));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(mouth);
}

void Globe(QPainter& p) {
    Outlined(p, QColor(70, 140, 230));
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(230, 240, 255), 1.2));
    p.drawEllipse(QRectF(7.5, 2.5, 9, 19));
    p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
    p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
    p.drawLine(QPointF(4.5, 7), QPointF(19.5, 7));
    p.drawLine(QPointF(4.5, 17), QPointF(19.5, 17));
}

void Monitor(QPainter& p, const QRectF& r) {
    Outlined(p, QColor(200, 200, 200));
    p.drawRect(r);
    p.setBrush(QColor(60, 110, 200));
    p.drawRect(r.adjusted(2, 2, -2, -2));
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(r.center().x() - 3, r.bottom() + 1, 6, 2));
}

void Network(QPainter& p) {
    p.setPen(QPen(kOutline, 2));
    p.drawLine(QPointF(7, 12), QPointF(17, 16));
    Monitor(p, QRectF(1.5, 2.5, 11, 9));
    Monitor(p, QRectF(11.5, 10.5, 11, 9));
}

void Star(QPainter& p, const QPointF& c, qreal outer, const QColor& colour) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 ? outer * 0.45 : outer;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        star << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    Outlined(p, colour);
    p.drawPolygon(star);
}

void NewPage(QPainter& p) {
    Outlined(p, Qt::white);
    p.drawPolygon(QPolygonF({{4, 2}, {14, 2}, {19, 7}, {19, 22}, {4, 22}}));
    p.drawPolyline(QPolygonF({{14, 2}, {14, 7}, {19, 7}}));
    Star(p, QPointF(16, 16), 6.5, kGold);
}

void Folder(QPainter& p) {
    Outlined(p, QColor(220, 170, 50));
    p.drawPolygon(QPolygonF({{2, 5}, {9, 5}, {11, 8}, {19, 8}, {19, 20}, {2, 20}}));
    p.setBrush(QColor(250, 210, 90));
    p.drawPolygon(QPolygonF({{6, 11}, {23, 11}, {19, 20}, {2, 20}}));
}

void Cup(QPainter& p) {
    Outlined(p, kGold);
    QPainterPath bowl(QPointF(6, 3));
    bowl.lineTo(18, 3);
    bowl.cubicTo(QPointF(18, 11), QPointF(15, 14), QPointF(12, 14));
    bowl.cubicTo(QPointF(9, 14), QPointF(6, 11), QPointF(6, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2, 4, 6, 6));
    p.drawEllipse(QRectF(16, 4, 6, 6));
    p.setBrush(kGold);
    p.drawPath(bowl);
    p.drawRect(QRectF(10.5, 14, 3, 4));
    p.drawRect(QRectF(7, 18, 10, 3.5));
}

void Gear(QPainter& p) {
    QPolygonF gear;
    for (int i = 0; i < 32; ++i) {
        const qreal a = i * M_PI / 16;
        const qreal r = (i / 2) % 2 ? 7.5 : 10.5;
        gear << QPointF(12 + r * std::cos(a), 12 + r * std::sin(a));
    }
    Outlined(p, QColor(150, 150, 160));
    p.drawPolygon(gear);
    p.setBrush(kBackground);
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
}

void BlueDisc(QPainter& p) {
    Outlined(p, kBlue);
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void Question(QPainter& p) {
    BlueDisc(p);
    QPainterPath hook(QPointF(8.5, 9));
    hook.cubicTo(QPointF(8.5, 5), QPointF(15.5, 5), QPointF(15.5, 9));
    hook.cubicTo(QPointF(15.5, 12), QPointF(12, 11.5), QPointF(12, 14.5));
    p.drawPath(hook);
    p.drawPoint(QPointF(12, 18));
}

void Info(QPainter& p) {
    BlueDisc(p);
    p.drawPoint(QPointF(12, 7));
    p.drawLine(QPointF(12, 11), QPointF(12, 18));
}

void Arrow(QPainter& p, const QColor& colour, qreal x0) {  // points right
    Outlined(p, colour);
    p.drawPolygon(
        QPolygonF({{x0, 9}, {x0 + 9, 9}, {x0 + 9, 4}, {x0 + 18, 12}, {x0 + 9, 20}, {x0 + 9, 15}, {x0, 15}}));
}

void Door(QPainter& p) {
    Outlined(p, QColor(90, 60, 30));
    p.drawRect(QRectF(2, 2, 12, 20));
    p.setBrush(kBrown);
    p.drawPolygon(QPolygonF({{2, 2}, {10, 5}, {10, 22}, {2, 22}}));
    Arrow(p, kGreen, 8.5);
}

void Floppy(QPainter& p) {
    Outlined(p, kBlue);
    p.drawPolygon(QPolygonF({{2, 2}, {19, 2}, {22, 5}, {22, 22}, {2, 22}}));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(6, 2, 11, 7));
    p.setBrush(kOutline);
    p.drawRect(QRectF(13, 3.5, 2.5, 4));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 13, 14, 9));
}

void MapSquares(QPainter& p) {
    const QColor colours[] = {kRed, kGold, kGreen, kBlue};
    p.setPen(QPen(kOutline, 1));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            p.setBrush(colours[(x + 2 * y) % 4]);
            p.drawRect(QRectF(2 + 6.6 * x, 2 + 6.6 * y, 6.6, 6.6));
        }
}

void Flag(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kGreen);
    p.drawRect(QRectF(2, 14, 20, 8));
    p.setPen(QPen(kOutline, 2));
    p.drawLine(QPointF(8, 2), QPointF(8, 19));
    Outlined(p, kRed);
    p.drawPolygon(QPolygonF({{8.5, 2.5}, {20, 6}, {8.5, 10}}));
}

void Check(QPainter& p) {
    Outlined(p, kGreen);
    p.drawPolygon(QPolygonF({{2, 12}, {6, 8}, {10, 13}, {19, 3}, {23, 7}, {10, 21}}));
}

void Cross(QPainter& p) {
    Outlined(p, kRed);
    p.drawPolygon(QPolygonF({{3, 6},
                             {6, 3},
                             {12, 9},
                             {18, 3},
                             {21, 6},
                             {15, 12},
                             {21, 18},
                             {18, 21},
                             {12, 15},
                             {6, 21},
                             {3, 18},
                             {9, 12}}));
}

void Flask(QPainter& p) {
    Outlined(p, QColor(120, 200, 230));
    p.drawPolygon(QPolygonF({{7, 2}, {13, 2}, {13, 9}, {19, 21}, {1, 21}, {7, 9}}));
    p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 4), QPointF(22, 10));
    p.drawLine(QPointF(22, 4), QPointF(16, 10));
}

void Chart(QPainter& p) {
    Outlined(p, kRed);
    p.drawRect(QRectF(5, 12, 4, 9));
    p.setBrush(kGold);
    p.drawRect(QRectF(11, 6, 4, 15));
    p.setBrush(kGreen);
    p.drawRect(QRectF(17, 9, 4, 12));
    p.setPen(QPen(kOutline, 1.6));
    p.drawPolyline(QPolygonF({{2, 2}, {2, 22}, {23, 22}}));
}

void Moon(QPainter& p) {
    QPainterPath moon;
    moon.addEllipse(QRectF(2, 2, 19, 19));
    QPainterPath bite;
    bite.addEllipse(QRectF(8, 0, 16, 16));
    Outlined(p, kGold);
    p.drawPath(moon.subtracted(bite));
}

void Coins(QPainter& p) {
    for (int i = 0; i < 4; ++i) {
        Outlined(p, kGold);
        p.drawEllipse(QRectF(4, 16 - 4 * i, 16, 6));
    }
}

void BackArrow(QPainter& p) {
    QPainterPath path(QPointF(20, 20));
    path.cubicTo(QPointF(20, 8), QPointF(14, 8), QPointF(8, 8));
    p.setPen(QPen(kBlue, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    Outlined(p, kBlue);
    p.drawPolygon(QPolygonF({{2, 8}, {9, 2}, {9, 14}}));
}

const std::map<int, Picture>& Pictures() {
    static const std::map<int, Picture> pictures = {
        {0, [](QPainter& p) { Face(p, QColor(40, 180, 60), 1); }},
        {1, [](QPainter& p) { Face(p, QColor(150, 200, 40), 0.5); }},
        {2, [](QPainter& p) { Face(p, QColor(240, 210, 40), 0); }},
        {3, [](QPainter& p) { Face(p, QColor(240, 140, 30), -0.5); }},
        {4, [](QPainter& p) { Face(p, QColor(220, 40, 40), -1); }},
        {5, Globe},                                                          // Internet game
        {6, Network},                                                        // network game
        {7, NewPage},                                                        // new game, new map
        {8, Folder},                                                         // load game
        {9, Cup},                                                            // hall of fame
        {10, Gear},                                                          // settings
        {11, Question},                                                      // help
        {12, Info},                                                          // about
        {13, Door},                                                          // exit, close
        {14, [](QPainter& p) { Arrow(p, kGreen, 3); }},                      // next turn
        {15, Question},                                                      // help
        {16, [](QPainter& p) { Monitor(p, QRectF(2.5, 3.5, 19, 14)); }},     // the computer plays the turn
        {17, Floppy},                                                        // save
        {18, MapSquares},                                                    // generate a map
        {19, Flag},                                                          // choose the territory
        {20, Door},                                                          // exit
        {21, Question},                                                      // help
        {22, Check},                                                         // confirm
        {23, Cross},                                                         // reject
        {24, Flask},                                                         // every scientist off
        {25, Chart},                                                         // charts
        {26, Moon},                                                          // everybody rests
        {27, Coins},                                                         // buy
        {28, [](QPainter& p) { Star(p, QPointF(12, 12.5), 10.5, kGold); }},  // victory: close
        {29, BackArrow},                                                     // defeat: close
        {30, Check},                                                         // apply
    };
    return pictures;
}

// The picture antialiased, then made two-coloured against the background so no
// blended pixel borders on the transparent colour.
QImage Render(const Picture& picture, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 24.0, size / 24.0);
        picture(p);
    }
    QImage out(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool ink = c.alpha() >= 128 && c != kBackground;
            out.setPixelColor(x, y, ink ? QColor(c.red(), c.green(), c.blue()) : kBackground);
        }
    return out;
}

// The disabled image: the darker lines of the picture in grey over a white
// shadow; light areas fall away.
QImage Disabled(const QImage& normal) {
    QImage out(normal.size(), QImage::Format_RGB32);
    out.fill(kBackground);
    const QRgb background = kBackground.rgb();
    auto dark = [&](int x, int y) {
        const QRgb p = normal.pixel(x, y);
        return p != background && qGray(p) < 160;
    };
    for (int y = 0; y + 1 < normal.height(); ++y)
        for (int x = 0; x + 1 < normal.width(); ++x)
            if (dark(x, y)) out.setPixel(x + 1, y + 1, qRgb(255, 255, 255));
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x)
            if (dark(x, y)) out.setPixel(x, y, qRgb(128, 128, 128));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icons <settings file> <output bitmap>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        TIniFileEx ini(argv[1]);
        ini.SetSection("Icons");
        const int count = ini.ReadFieldInt("Count", 0);
        QRect bounds;
        for (int i = 0; i < count; ++i)
            bounds |=
                QRect(ini.ReadRowInt(i, 1), ini.ReadRowInt(i, 2), ini.ReadRowInt(i, 3), ini.ReadRowInt(i, 4));
        QImage bitmap(bounds.right() + 1, bounds.bottom() + 1, QImage::Format_RGB32);
        bitmap.fill(kBackground);
        QPainter painter(&bitmap);
        for (int i = 0; i < count; ++i) {
            const auto found = Pictures().find(i);
            if (found == Pictures().end()) {
                std::fprintf(stderr, "make_icons: no picture for fragment %d\n", i);
                return 1;
            }
            const QPoint at(ini.ReadRowInt(i, 1), ini.ReadRowInt(i, 2));
            const int width = ini.ReadRowInt(i, 3);
            const int height = ini.ReadRowInt(i, 4);
            const QImage normal = Render(found->second, height);
            painter.drawImage(at, normal);
            if (width == 2 * height) painter.drawImage(at + QPoint(height, 0), Disabled(normal));
        }
        painter.end();
        if (!bitmap.save(QString::fromLocal8Bit(argv[2]), "BMP")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_icons: %s\n", e.what());
        return 1;
    }
    return 0;
}
