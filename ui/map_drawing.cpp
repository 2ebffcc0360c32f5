#include "ui/map_drawing.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPainter>
#include <array>
#include <vector>

#include "game/language_file.h"
#include "game/squares.h"
#include "ui/ui_support.h"

namespace kordalt {

const OneBased<TColor, MaxGos> GosColors = {
    {0x0000FF, 0x800000, 0x008000, 0x000000, 0x808000, 0xFFFF00, 0x800080, 0x00FFFF, 0x008080, 0x808080,
     0xFF8000, 0xFF80FF, 0x80FF80, 0xFF8080, 0x4080FF, 0xC08080, 0xE1E1E1, 0x8080FF, 0xC8FFFF, 0x800040}};

TMapView MapView;

TRect OffsetRectBy(const TRect& R, int DX, int DY) { return R.Offset(DX, DY); }

TRect InflateRectBy(const TRect& R, int DX, int DY) { return R.Inflate(DX, DY); }

namespace {

constexpr TColor kLineColour = 0x194F9B;
constexpr TColor kGroundColour = 0xD3D3D3;
constexpr TColor kHatchColour = 0x696969;

enum TSide { sdRight, sdBottom, sdLeft, sdTop };
constexpr std::array<TSide, 4> kSides = {sdRight, sdBottom, sdLeft, sdTop};

// A square without a state's colour (owner 0 of a map not generated yet) shows
// the ground colour of the restricted views.
QColor OwnerColour(int owner) {
    return ToQColor(owner >= 1 && owner <= MaxGos ? GosColors[owner] : kGroundColour);
}

// The platform's 8 x 8 hatches, aligned on the canvas's origin and transparent
// between their lines: rising diagonals, or diagonals in both directions.
enum class THatch { BDiagonal, DiagCross };

bool HatchPixel(THatch hatch, int x, int y) {
    const bool rising = (x + y) % 8 == 7;
    return hatch == THatch::BDiagonal ? rising : rising || x == y;
}

// A one-bit tile: the painter draws its set bits in the brush colour and leaves
// the rest alone (transparent background mode).
QBrush HatchBrush(THatch hatch, const QColor& colour) {
    QImage tile(8, 8, QImage::Format_MonoLSB);
    tile.setColor(0, qRgb(255, 255, 255));
    tile.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tile.setPixel(x, y, HatchPixel(hatch, x, y) ? 1 : 0);
    return QBrush(colour, QBitmap::fromImage(tile));
}

// One picture of the map: its scale, the cells of the squares and the pieces
// the renderers are made of.
class TMapPicture {
public:
    TMapPicture(QPainter& canvas, const TRect& r, const TSquares& map)
        : canvas_(canvas),
          r_(r),
          map_(map),
          scale_(std::min(static_cast<double>(r.Width()) / map.Width,
                          static_cast<double>(r.Height()) / map.Height)) {}

    const TSquares& Map() const { return map_; }

    // The restricted views' ground: grey under a backward-diagonal hatch.
    void DrawGround() {
        const TRect ground = r_.Inflate(1, 1);
        canvas_.fillRect(ground.ToQRect(), ToQColor(kGroundColour));
        Outline(ground);
        canvas_.fillRect(r_.ToQRect(), HatchBrush(THatch::BDiagonal, ToQColor(kHatchColour)));
    }

    // The 2-pixel frame just outside R.
    void DrawFrame() {
        canvas_.setPen(QPen(ToQColor(kLineColour), 1, Qt::SolidLine));
        canvas_.setBrush(ToQColor(kLineColour));
        Outline(r_.Inflate(1, 1));
        Outline(r_.Inflate(2, 2));
    }

    template <class Visit>
    void ForEachSquare(Visit visit) {
        for (int y = 0; y < map_.Height; ++y)
            for (int x = 0; x < map_.Width; ++x) visit(SquareId(x, y));
    }

    TRect Cell(uint16_t q) const {
        const int x = SquareX(q), y = SquareY(q);
        return {r_.left + Scaled(x), r_.top + Scaled(y), r_.left + Scaled(x + 1), r_.top + Scaled(y + 1)};
    }

    void Fill(uint16_t q) { canvas_.fillRect(Cell(q).ToQRect(), OwnerColour(map_.GetSquare(q))); }

    // The diagonal cross of the previous owner's colour over a changed square.
    void MarkChange(uint16_t q) {
        const uint8_t previous = map_.GetSnapshotOwner(q);
        QBrush& brush = crossBrushes_[previous];
        if (brush.style() == Qt::NoBrush) brush = HatchBrush(THatch::DiagCross, OwnerColour(previous));
        canvas_.fillRect(Cell(q).ToQRect(), brush);
    }

    void Line(uint16_t q, TSide side) { canvas_.fillRect(LineRect(Cell(q), side), ToQColor(kLineColour)); }
    void OuterLine(uint16_t q, TSide side) {
        canvas_.fillRect(OuterLineRect(Cell(q), side), ToQColor(kLineColour));
    }

    bool Changed(uint16_t q) const { return map_.GetSquare(q) != map_.GetSnapshotOwner(q); }

    // The neighbour on `side`; false when there is none.
    bool NeighbourOn(uint16_t q, TSide side, uint16_t& n) const {
        switch (side) {
            case sdRight:
                n = map_.Right(q);
                return map_.HasRight(q);
            case sdBottom:
                n = map_.Down(q);
                return map_.HasDown(q);
            case sdLeft:
                n = map_.Left(q);
                return map_.HasLeft(q);
            case sdTop:
                n = map_.Up(q);
                return map_.HasUp(q);
        }
        return false;
    }

    // The neighbour on `side` exists and has another owner.
    bool IsBorder(uint16_t q, TSide side) const {
        switch (side) {
            case sdRight:
                return map_.IsBorderRight(q);
            case sdBottom:
                return map_.IsBorderDown(q);
            case sdLeft:
                return map_.IsBorderLeft(q);
            case sdTop:
                return map_.IsBorderUp(q);
        }
        return false;
    }

    // Right and bottom lines where the neighbour's (owner, previous owner) pair
    // differs; left and top lines along owners' borders.
    void DrawChangeLines(uint16_t q) {
        for (TSide side : {sdRight, sdBottom}) {
            uint16_t n;
            if (NeighbourOn(q, side, n) && (map_.GetSquare(n) != map_.GetSquare(q) ||
                                            map_.GetSnapshotOwner(n) != map_.GetSnapshotOwner(q)))
                Line(q, side);
        }
        if (map_.IsBorderLeft(q)) Line(q, sdLeft);
        if (map_.IsBorderUp(q)) Line(q, sdTop);
    }

    // The names of `states` (each with squares), written in their widest rows.
    void DrawNames(const std::vector<uint8_t>& states) {
        canvas_.setBrush(Qt::NoBrush);
        QFont font = canvas_.font();
        font.setBold(true);
        canvas_.setFont(font);
        const QFontMetrics metrics(font);
        for (uint8_t state : states) DrawName(state, metrics);
    }

private:
    // Truncated toward zero; map coordinates stay far inside int.
    int Scaled(int n) const { return static_cast<int>(n * scale_); }

    // A one-pixel outline through the corners of `rect` (right and bottom exclusive).
    void Outline(const TRect& rect) {
        const QColor colour = ToQColor(kLineColour);
        canvas_.fillRect(QRect(rect.left, rect.top, rect.Width(), 1), colour);
        canvas_.fillRect(QRect(rect.left, rect.bottom - 1, rect.Width(), 1), colour);
        canvas_.fillRect(QRect(rect.left, rect.top, 1, rect.Height()), colour);
        canvas_.fillRect(QRect(rect.right - 1, rect.top, 1, rect.Height()), colour);
    }

    static QRect LineRect(const TRect& c, TSide side) {
        switch (side) {
            case sdRight:
                return QRect(c.right - 1, c.top, 1, c.Height());
            case sdBottom:
                return QRect(c.left, c.bottom - 1, c.Width(), 1);
            case sdLeft:
                return QRect(c.left, c.top, 1, c.Height());
            case sdTop:
                return QRect(c.left, c.top, c.Width(), 1);
        }
        return {};
    }

    static QRect OuterLineRect(const TRect& c, TSide side) {
        switch (side) {
            case sdRight:
                return QRect(c.right, c.top, 1, c.Height());
            case sdBottom:
                return QRect(c.left, c.bottom, c.Width(), 1);
            case sdLeft:
                return QRect(c.left - 1, c.top, 1, c.Height());
            case sdTop:
                return QRect(c.left, c.top - 1, c.Width(), 1);
        }
        return {};
    }

    void DrawName(uint8_t state, const QFontMetrics& metrics) {
        const QString name = state <= Game.GosCount ? Qs(LangText(kStateNames[state - 1])) : QString();
        const TByteRow row = map_.WidestRow(state);
        const int width = metrics.horizontalAdvance(name);
        const int height = metrics.height();
        int x = r_.left + Scaled(row.X) + (Scaled(row.Length) - width) / 2;
        int y = r_.top + Scaled(row.Y) - height / 2;
        if (x + width + 1 > r_.right) x = r_.right - width - 2;
        if (x < r_.left) x = r_.left + 2;
        if (y + height + 1 > r_.bottom) y = r_.bottom - height - 2;
        if (y < r_.top) y = r_.top + 2;
        canvas_.setPen(ToQColor(clBtnFace));
        for (const QPoint& halo : {QPoint(0, 0), QPoint(2, 0), QPoint(0, 2), QPoint(2, 2)})
            canvas_.drawText(QPoint(x, y + metrics.ascent()) + halo, name);
        canvas_.setPen(Qt::black);
        canvas_.drawText(QPoint(x + 1, y + 1 + metrics.ascent()), name);
    }

    QPainter& canvas_;
    const TRect r_;
    const TSquares& map_;
    const double scale_;
    std::array<QBrush, 256> crossBrushes_;  // by previous owner, made when first needed
};

// Whether each state borders H; all false when H is not a state of the map.
class TNeighbours {
public:
    TNeighbours(const TSquares& map, uint8_t h) : h_(h), valid_(h >= 1 && h <= map.RegionCount) {
        neighbour_.fill(false);
        if (!valid_) return;
        for (int s = 1; s <= map.RegionCount; ++s)
            neighbour_[s] = map.AreNeighbours(h, static_cast<uint8_t>(s));
    }
    bool operator()(uint8_t state) const { return neighbour_[state]; }
    // H first, then its neighbours in ascending order; only states with squares.
    std::vector<uint8_t> NamedStates(const TSquares& map) const {
        std::vector<uint8_t> states;
        if (!valid_) return states;
        if (map.RegionSize(h_) > 0) states.push_back(h_);
        for (int s = 1; s <= map.RegionCount; ++s)
            if (neighbour_[s] && map.RegionSize(static_cast<uint8_t>(s)) > 0)
                states.push_back(static_cast<uint8_t>(s));
        return states;
    }

private:
    uint8_t h_;
    bool valid_;
    std::array<bool, 256> neighbour_;
};

std::vector<uint8_t> StatesWithSquares(const TSquares& map) {
    std::vector<uint8_t> states;
    for (int s = 1; s <= map.RegionCount; ++s)
        if (map.RegionSize(static_cast<uint8_t>(s)) > 0) states.push_back(static_cast<uint8_t>(s));
    return states;
}

}  // namespace

void DrawMap(QPainter& Canvas, const TRect& R) {
    switch (MapView.MapMode) {
        case 2:
            DrawMapMode2(Canvas, R, Game.CurrentGos);
            break;
        case 3:
            DrawMapMode3(Canvas, R);
            break;
        case 4:
            DrawMapMode4(Canvas, R);
            break;
        default:
            DrawMapMode1(Canvas, R, Game.CurrentGos);
            break;
    }
}

void DrawMapPreview(QPainter& Canvas, const TRect& R) { DrawMapMode3(Canvas, R); }

void DrawMapMode1(QPainter& Canvas, const TRect& R, uint8_t H) {
    if (!Map) return;
    TMapPicture picture(Canvas, R, *Map);
    const TNeighbours isNeighbour(*Map, H);
    picture.DrawGround();
    picture.DrawFrame();
    picture.ForEachSquare([&](uint16_t q) {
        const uint8_t owner = Map->GetSquare(q);
        if (owner != H && !isNeighbour(owner)) return;
        picture.Fill(q);
        for (TSide side : kSides) {
            uint16_t n;
            if (!picture.IsBorder(q, side) || !picture.NeighbourOn(q, side, n)) continue;
            picture.Line(q, side);
            if (!isNeighbour(Map->GetSquare(n))) picture.OuterLine(q, side);
        }
    });
    if (MapView.MapShowNames) picture.DrawNames(isNeighbour.NamedStates(*Map));
}

void DrawMapMode2(QPainter& Canvas, const TRect& R, uint8_t H) {
    if (!Map) return;
    TMapPicture picture(Canvas, R, *Map);
    const TNeighbours isNeighbour(*Map, H);
    // A changed square whose previous owner borders H.
    auto changedNearH = [&](uint16_t n) {
        return picture.Changed(n) && isNeighbour(Map->GetSnapshotOwner(n));
    };
    picture.DrawGround();
    picture.DrawFrame();
    picture.ForEachSquare([&](uint16_t q) {
        const uint8_t owner = Map->GetSquare(q);
        const bool known = owner == H || isNeighbour(owner) || isNeighbour(Map->GetSnapshotOwner(q));
        if (!known && !changedNearH(Map->Right(q)) && !changedNearH(Map->Down(q))) return;
        if (known) picture.Fill(q);
        if (picture.Changed(q)) picture.MarkChange(q);
        picture.DrawChangeLines(q);
        for (TSide side : kSides) {
            uint16_t n;
            if (picture.IsBorder(q, side) && picture.NeighbourOn(q, side, n) &&
                !isNeighbour(Map->GetSquare(n)))
                picture.OuterLine(q, side);
        }
    });
    if (MapView.MapShowNames) picture.DrawNames(isNeighbour.NamedStates(*Map));
}

void DrawMapMode3(QPainter& Canvas, const TRect& R) {
    if (!Map) return;
    TMapPicture picture(Canvas, R, *Map);
    picture.DrawFrame();
    picture.ForEachSquare([&](uint16_t q) {
        picture.Fill(q);
        if (picture.Changed(q)) picture.MarkChange(q);
        picture.DrawChangeLines(q);
    });
    if (MapView.MapShowNames) picture.DrawNames(StatesWithSquares(*Map));
}

void DrawMapMode4(QPainter& Canvas, const TRect& R) {
    if (!Map) return;
    TMapPicture picture(Canvas, R, *Map);
    picture.DrawFrame();
    picture.ForEachSquare([&](uint16_t q) {
        picture.Fill(q);
        for (TSide side : kSides)
            if (picture.IsBorder(q, side)) picture.Line(q, side);
    });
    if (MapView.MapShowNames) picture.DrawNames(StatesWithSquares(*Map));
}

}  // namespace kordalt
