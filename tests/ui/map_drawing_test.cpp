// Map drawing: the pixels of each renderer on small fixed maps, the scale, the
// names, and a gallery of a generated map in every style.
#include "ui/map_drawing.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/language_file.h"
#include "game/random.h"
#include "game/squares.h"
#include "platform/program_path.h"
#include "support/gallery.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

constexpr TColor kLine = 0x194F9B, kGround = 0xD3D3D3, kHatch = 0x696969, kPaper = 0xF0F0F0;

TColor At(const QImage& image, int x, int y) { return FromQColor(image.pixelColor(x, y)); }

// A map of the given owners (one string per row, one digit per square), with
// the snapshot taken; installs itself as `Map` with GosCount states.
class FixedMap {
public:
    explicit FixedMap(const std::vector<std::string>& rows, uint8_t states)
        : map_(std::make_unique<TSquares>(static_cast<uint8_t>(rows[0].size()),
                                          static_cast<uint8_t>(rows.size()), false, states)),
          previousMap_(Map),
          previousGame_(Game) {
        SetOwners(rows);
        map_->SnapshotOwners();
        Map = map_.get();
        Game.GosCount = states;
        Game.CurrentGos = 1;
        saved_ = std::move(LanguageFile);  // the built-in names
    }
    ~FixedMap() {
        Map = previousMap_;
        Game = previousGame_;
        LanguageFile = std::move(saved_);
        MapView.MapMode = 2;
        MapView.MapShowNames = true;
    }
    void Take(int x, int y, uint8_t owner) {
        map_->SetSquare(SquareId(x, y), owner);
        map_->RebuildRegions();
    }

private:
    void SetOwners(const std::vector<std::string>& rows) {
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t x = 0; x < rows[y].size(); ++x)
                map_->SetSquare(SquareId(static_cast<int>(x), static_cast<int>(y)),
                                static_cast<uint8_t>(rows[y][x] - '0'));
        map_->RebuildRegions();
    }

    std::unique_ptr<TSquares> map_;
    TSquares* previousMap_;
    GameState previousGame_;
    std::unique_ptr<TLanguageFile> saved_;
};

QImage Render(const std::function<void(QPainter&)>& draw, QSize size = {70, 50}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ToQColor(kPaper));
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    painter.setFont(font);
    draw(painter);
    return image;
}

// 6 x 4 squares of 10 x 10 pixels at (2, 2). Neighbours of state 1: 2, 3 and 5.
const std::vector<std::string> kMap = {
    "111222",
    "115522",
    "335544",
    "335555",
};
const TRect kR{2, 2, 62, 42};

TRect CellOf(int x, int y) {
    return {kR.left + 10 * x, kR.top + 10 * y, kR.left + 10 * x + 10, kR.top + 10 * y + 10};
}

// The colours found inside a cell, its border pixels left out.
std::set<TColor> InnerColours(const QImage& image, const TRect& cell) {
    std::set<TColor> colours;
    for (int y = cell.top + 1; y < cell.bottom - 1; ++y)
        for (int x = cell.left + 1; x < cell.right - 1; ++x) colours.insert(At(image, x, y));
    return colours;
}

TEST(MapDrawingTest, WholeWorldFillsOwnersColoursAndOutlinesBorders) {
    FixedMap fixed(kMap, 5);
    MapView.MapShowNames = false;
    const QImage image = Render([](QPainter& p) { DrawMapMode4(p, kR); });
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE(testing::Message() << "square " << x << "," << y);
            const int owner = kMap[y][x] - '0';
            const TRect c = CellOf(x, y);
            EXPECT_EQ(InnerColours(image, c), std::set<TColor>{GosColors[owner]});
            // Lines on the cell's own edge pixels where the neighbour has another owner.
            const bool right = x < 5 && kMap[y][x + 1] - '0' != owner;
            const bool bottom = y < 3 && kMap[y + 1][x] - '0' != owner;
            const bool left = x > 0 && kMap[y][x - 1] - '0' != owner;
            const bool top = y > 0 && kMap[y - 1][x] - '0' != owner;
            EXPECT_EQ(At(image, c.right - 1, c.top + 5) == kLine, right);
            EXPECT_EQ(At(image, c.left + 5, c.bottom - 1) == kLine, bottom);
            EXPECT_EQ(At(image, c.left, c.top + 5) == kLine, left);
            EXPECT_EQ(At(image, c.left + 5, c.top) == kLine, top);
        }
    // The 2-pixel frame just outside R, and nothing beyond it.
    for (int y : {10, 30}) {
        EXPECT_EQ(At(image, kR.left - 1, y), kLine);
        EXPECT_EQ(At(image, kR.left - 2, y), kLine);
        EXPECT_EQ(At(image, kR.right, y), kLine);
        EXPECT_EQ(At(image, kR.right + 1, y), kLine);
        EXPECT_EQ(At(image, kR.right + 2, y), kPaper);
    }
    EXPECT_EQ(At(image, 30, kR.top - 2), kLine);
    EXPECT_EQ(At(image, 30, kR.bottom + 1), kLine);
    EXPECT_EQ(At(image, 30, kR.bottom + 2), kPaper);
}

TEST(MapDrawingTest, WithoutChangesTheChangeViewsEqualThePlainViews) {
    FixedMap fixed(kMap, 5);
    for (bool names : {false, true}) {
        MapView.MapShowNames = names;
        EXPECT_EQ(Render([](QPainter& p) { DrawMapMode3(p, kR); }),
                  Render([](QPainter& p) { DrawMapMode4(p, kR); }));
        for (uint8_t h : {1, 4})
            EXPECT_EQ(Render([h](QPainter& p) { DrawMapMode2(p, kR, h); }),
                      Render([h](QPainter& p) { DrawMapMode1(p, kR, h); }))
                << int(h);
    }
}

// The hatches are 8 x 8 patterns on the canvas's origin: rising diagonals, and
// for the change mark the falling ones as well. Checks every inner pixel of a cell.
void ExpectHatch(const QImage& image, const TRect& cell, TColor lines, TColor between, bool cross) {
    for (int y = cell.top + 1; y < cell.bottom - 1; ++y)
        for (int x = cell.left + 1; x < cell.right - 1; ++x) {
            const bool line = (x + y) % 8 == 7 || (cross && x % 8 == y % 8);
            ASSERT_EQ(At(image, x, y), line ? lines : between) << x << "," << y;
        }
}

TEST(MapDrawingTest, SquareTakenThisYearShowsTheNewOwnerUnderThePreviousOwnersCross) {
    FixedMap fixed(kMap, 5);
    fixed.Take(2, 1, 1);  // state 1 takes a square of state 5
    MapView.MapShowNames = false;
    const QImage image = Render([](QPainter& p) { DrawMapMode3(p, kR); });
    const TRect taken = CellOf(2, 1);
    EXPECT_EQ(InnerColours(image, taken), (std::set<TColor>{GosColors[1], GosColors[5]}));
    EXPECT_EQ(GosColors[5], 0x808000u);
    ExpectHatch(image, taken, GosColors[5], GosColors[1], true);
    // The taken ground is outlined against the rest: the square left of it draws
    // its right line (the pairs differ), the square itself its right and bottom lines.
    EXPECT_EQ(At(image, taken.left - 1, taken.top + 5), kLine);
    EXPECT_NE(At(image, taken.left, taken.top + 5), kLine);
    EXPECT_EQ(At(image, taken.right - 1, taken.top + 5), kLine);
    EXPECT_EQ(At(image, taken.left + 5, taken.bottom - 1), kLine);
    // The plain whole-world view shows no change.
    const QImage plain = Render([](QPainter& p) { DrawMapMode4(p, kR); });
    EXPECT_EQ(InnerColours(plain, taken), std::set<TColor>{GosColors[1]});
    EXPECT_NE(At(plain, taken.left - 1, taken.top + 5), kLine);
}

TEST(MapDrawingTest, KnownWorldHidesStatesThatDoNotBorderTheViewer) {
    FixedMap fixed(kMap, 5);
    MapView.MapShowNames = false;
    const QImage image = Render([](QPainter& p) { DrawMapMode1(p, kR, 1); });
    const std::set<TColor> ground = {kGround, kHatch};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const int owner = kMap[y][x] - '0';
            const std::set<TColor> expected = owner == 4 ? ground : std::set<TColor>{GosColors[owner]};
            EXPECT_EQ(InnerColours(image, CellOf(x, y)), expected) << x << "," << y;
        }
    ExpectHatch(image, CellOf(5, 2), kHatch, kGround, false);
    // The square of 2 above a square of 4: its bottom line and the outer line below it.
    const TRect c = CellOf(4, 1);
    EXPECT_EQ(At(image, c.left + 5, c.bottom - 1), kLine);
    EXPECT_EQ(At(image, c.left + 5, c.bottom), kLine);
}

TEST(MapDrawingTest, KnownWorldWithChangesDrawsOnlyWhatBordersTheViewersNeighbours) {
    FixedMap fixed(kMap, 5);
    fixed.Take(5, 3, 4);  // state 4 takes a square of state 5, a neighbour of state 1
    MapView.MapShowNames = false;
    const QImage image = Render([](QPainter& p) { DrawMapMode2(p, kR, 1); });
    const std::set<TColor> ground = {kGround, kHatch};
    // The taken square: filled (its previous owner borders state 1) and hatched.
    EXPECT_EQ(InnerColours(image, CellOf(5, 3)), (std::set<TColor>{GosColors[4], GosColors[5]}));
    // The square of 4 above it is drawn but not filled: ground, with its bottom line.
    const TRect above = CellOf(5, 2);
    EXPECT_EQ(InnerColours(image, above), ground);
    EXPECT_EQ(At(image, above.left + 5, above.bottom - 1), kLine);
    // The square of 4 left of that one keeps the hatched ground.
    ExpectHatch(image, CellOf(4, 2), kHatch, kGround, false);
    // Renderer 1 does not draw the square above.
    const QImage known = Render([](QPainter& p) { DrawMapMode1(p, kR, 1); });
    EXPECT_NE(At(known, above.left + 5, above.bottom - 1), kLine);
}

TEST(MapDrawingTest, MapModeChoosesTheRendererAndThePreviewIsAlwaysTheChangeView) {
    FixedMap fixed(kMap, 5);
    fixed.Take(2, 1, 1);
    Game.CurrentGos = 3;
    const QImage modes[] = {
        Render([](QPainter& p) { DrawMapMode1(p, kR, 3); }),
        Render([](QPainter& p) { DrawMapMode2(p, kR, 3); }),
        Render([](QPainter& p) { DrawMapMode3(p, kR); }),
        Render([](QPainter& p) { DrawMapMode4(p, kR); }),
    };
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < i; ++j) ASSERT_NE(modes[i], modes[j]) << i << " " << j;
    const std::vector<std::pair<int32_t, int>> cases = {{1, 0}, {2, 1}, {3, 2}, {4, 3},
                                                        {0, 0}, {5, 0}, {-1, 0}};
    for (const auto& [mode, renderer] : cases) {
        MapView.MapMode = mode;
        EXPECT_EQ(Render([](QPainter& p) { DrawMap(p, kR); }), modes[renderer]) << "MapMode " << mode;
        EXPECT_EQ(Render([](QPainter& p) { DrawMapPreview(p, kR); }), modes[2]) << "MapMode " << mode;
    }
}

TEST(MapDrawingTest, NoMapDrawsNothing) {
    TSquares* previous = std::exchange(Map, nullptr);
    const QImage blank = Render([](QPainter&) {});
    for (int32_t mode : {1, 2, 3, 4}) {
        MapView.MapMode = mode;
        EXPECT_EQ(Render([](QPainter& p) { DrawMap(p, kR); }), blank);
    }
    MapView.MapMode = 2;
    Map = previous;
}

// The cells follow the truncated real scale, and the map keeps to the upper
// left of a rectangle that is not in its proportion.
TEST(MapDrawingTest, ScaleTruncatesCellEdgesAndKeepsTheMapSquare) {
    FixedMap fixed({"1212", "2121", "1212", "2121"}, 2);
    MapView.MapShowNames = false;
    struct Case {
        TRect r;
        double scale;
    };
    const std::vector<Case> cases = {
        {{3, 3, 83, 43}, 10.0},  // twice as wide as high: the height decides
        {{3, 3, 28, 60}, 6.25},  // tall and narrow: the width decides
        {{4, 5, 34, 35}, 7.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale);
        const QImage image = Render([&](QPainter& p) { DrawMapPreview(p, c.r); }, {100, 70});
        for (int x = 0; x < 4; ++x) {
            const int left = c.r.left + static_cast<int>(x * c.scale);
            const int right = c.r.left + static_cast<int>((x + 1) * c.scale);
            const int y = c.r.top + static_cast<int>(2.5 * c.scale);  // inside row 2
            EXPECT_EQ(At(image, left + 1, y), GosColors[x % 2 == 0 ? 1 : 2]) << x;
            // Every square borders the next: a line on both sides of each edge.
            EXPECT_EQ(At(image, right - 1, y) == kLine, x < 3) << x;
            if (x < 3) EXPECT_EQ(At(image, right, y), kLine) << x;
        }
        const int mapRight = c.r.left + static_cast<int>(4 * c.scale);
        const int mapBottom = c.r.top + static_cast<int>(4 * c.scale);
        if (mapRight + 1 < c.r.right) EXPECT_EQ(At(image, mapRight + 1, c.r.top + 1), kPaper);
        if (mapBottom + 1 < c.r.bottom) EXPECT_EQ(At(image, c.r.left + 1, mapBottom + 1), kPaper);
        EXPECT_EQ(At(image, c.r.right + 1, c.r.top + 1), kLine);
        EXPECT_EQ(At(image, c.r.left + 1, c.r.bottom + 1), kLine);
    }
}

// Black pixels: only the names are black (no state of these maps is black).
QRect Ink(const QImage& image, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 40 && qGreen(p) < 40 && qBlue(p) < 40) box |= QRect(x, y, 1, 1);
        }
    return box;
}

TEST(MapDrawingTest, NamesAreWrittenForTheStatesEachViewShows) {
    FixedMap fixed({"123"}, 3);  // three squares of 100 pixels; 1 and 3 do not border
    const TRect r{2, 2, 302, 102};
    const QSize size(310, 110);
    const QRect columns[] = {QRect(2, 2, 100, 100), QRect(102, 2, 100, 100), QRect(202, 2, 100, 100)};
    struct Case {
        const char* name;
        std::function<void(QPainter&)> draw;
        std::vector<bool> named;
    };
    const std::vector<Case> cases = {
        {"known world", [&](QPainter& p) { DrawMapMode1(p, r, 1); }, {true, true, false}},
        {"known world with changes", [&](QPainter& p) { DrawMapMode2(p, r, 1); }, {true, true, false}},
        {"known world of 2", [&](QPainter& p) { DrawMapMode1(p, r, 2); }, {true, true, true}},
        {"whole world with changes", [&](QPainter& p) { DrawMapMode3(p, r); }, {true, true, true}},
        {"whole world", [&](QPainter& p) { DrawMapMode4(p, r); }, {true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MapView.MapShowNames = true;
        const QImage image = Render(c.draw, size);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(!Ink(image, columns[i]).isEmpty(), c.named[i]) << "state " << i + 1;
        MapView.MapShowNames = false;
        EXPECT_TRUE(Ink(Render(c.draw, size), QRect(QPoint(0, 0), size)).isEmpty());
    }
}

TEST(MapDrawingTest, NameIsCentredOnItsWidestRowAndKeptInside) {
    // State 1 is the top row; state 2 the single right column below it.
    FixedMap fixed({"1111", "3332", "3332", "3332"}, 3);
    const TRect r{2, 2, 122, 122};  // squares of 30 pixels
    const QImage image = Render([&](QPainter& p) { DrawMapMode4(p, r); }, {130, 130});
    // State 1: centred on the whole top row; the row's upper edge is R's, so the
    // text moves down to R.top + 2.
    const QRect one = Ink(image, QRect(2, 2, 120, 25));
    ASSERT_FALSE(one.isEmpty());
    EXPECT_NEAR(one.center().x(), 62, 3);
    EXPECT_GE(one.top(), r.top + 3);
    // State 2: its widest row is 30 pixels wide at the right edge; the name is
    // wider, so it ends 2 pixels inside R.
    const QRect two = Ink(image, QRect(40, 28, 82, 20));
    ASSERT_FALSE(two.isEmpty());
    EXPECT_GT(two.width(), 30);
    EXPECT_LE(two.right(), r.right - 1);
    EXPECT_GE(two.right(), r.right - 5);
    // Black over a halo of the button face.
    bool halo = false;
    for (int x = two.left() - 1; x <= two.right() + 1; ++x)
        for (int y = two.top() - 1; y <= two.bottom() + 1; ++y)
            halo = halo || At(image, x, y) == ColorToRGB(clBtnFace);
    EXPECT_TRUE(halo);
}

TEST(MapDrawingTest, GalleryOfAGeneratedMap) {
    ScopedSeed seed(20261210);
    auto map = std::make_unique<TSquares>(60, 60, false, 8);
    map->Generate();
    map->SnapshotOwners();
    for (uint8_t s = 2; s <= 8; ++s)  // a neighbour of state 1 takes ground from it this year
        if (map->AreNeighbours(1, s)) {
            map->TransferSquares(1, s, 40);
            break;
        }
    TSquares* previousMap = std::exchange(Map, map.get());
    const GameState previousGame = Game;
    // The names of the shipped settings file.
    test::ScratchDir dir;
    std::filesystem::copy_file(KORDALT_BIN_DIR "/kordalt.INI", dir.Path("kordalt.INI"));
    ScopedProgramFileName program(dir.Path("kordalt"));
    std::unique_ptr<TLanguageFile> previousLanguage =
        std::exchange(LanguageFile, std::make_unique<TLanguageFile>(dir.Path("kordalt.INI")));
    Game.GosCount = 8;
    Game.CurrentGos = 1;
    const TRect r{1, 1, 301, 301};
    for (int mode = 1; mode <= 4; ++mode) {
        MapView.MapMode = mode;
        const QImage image = Render([&](QPainter& p) { DrawMap(p, r); }, {302, 302});
        test::SaveToGallery(image, QStringLiteral("ui_map_mode%1").arg(mode));
    }
    const QImage preview = Render([&](QPainter& p) { DrawMapPreview(p, {1, 1, 201, 121}); }, {205, 125});
    test::SaveToGallery(preview, "ui_map_preview");
    MapView.MapMode = 2;
    Map = previousMap;
    Game = previousGame;
    LanguageFile = std::move(previousLanguage);
}

}  // namespace
}  // namespace kordalt
