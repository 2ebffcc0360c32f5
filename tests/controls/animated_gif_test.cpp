// The animated GIF control: frame delays, ticking, frame composition and placement.
#include "controls/animated_gif.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include "controls/gif_test_support.h"
#include "controls/widget_test_support.h"

namespace kordalt {
namespace {

using test::Bytes;
using test::GifWriter;

// Red, green, blue, yellow as 0xRRGGBB.
const std::vector<std::uint32_t> kColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kYellow = 0x00FFFF;

Bytes Solid(int w, int h, std::uint8_t index) {
    return test::Compressed(Bytes(static_cast<std::size_t>(w * h), index));
}

// Frames of `delays` hundredths, each a solid colour covering the screen.
QByteArray Sequence(const std::vector<int>& delays) {
    GifWriter gif(2, 2, kColours);
    for (std::size_t i = 0; i < delays.size(); ++i)
        gif.GraphicControl(1, delays[i]).Image(0, 0, 2, 2, Solid(2, 2, static_cast<std::uint8_t>(i % 4)));
    return gif.Trailer().Array();
}

struct Fixture {
    test::TestWindow window{{200, 150}};
    TExGIFAnimator* animator = new TExGIFAnimator(&window.window);
    void Load(const QByteArray& gif) { animator->Image().LoadFromBytes(gif); }
    QImage Shot() { return animator->grab().toImage(); }
};

TEST(GifAnimator, FrameDelaysAreClamped) {
    Fixture f;
    f.Load(Sequence({0, 3, 2000, 12}));
    std::vector<unsigned> delays;
    for (int i : {0, 1, 2, 3}) {
        f.animator->SetFrameIndex(i);
        delays.push_back(f.animator->GetFrameDelay());
    }
    EXPECT_EQ(delays, (std::vector<unsigned>{50, 50, 10000, 120}));
    EXPECT_EQ(f.animator->Timer().Interval(), 120u) << "the interval follows the frame shown";

    f.Load(Sequence({40}));
    EXPECT_EQ(f.animator->GetFrameDelay(), 0u) << "a single frame is never animated";
}

TEST(GifAnimator, FrameIndexOutOfRangeIsIgnored) {
    Fixture f;
    f.Load(Sequence({5, 5, 5}));
    int events = 0;
    f.animator->OnFrameChanged = [&](TExGIFAnimator&) { ++events; };
    for (int bad : {-1, 3, 0}) f.animator->SetFrameIndex(bad);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(f.animator->FrameIndex(), 0);
    f.animator->SetFrameIndex(2);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(f.animator->FrameIndex(), 2);
}

TEST(GifAnimator, TicksThroughFramesOnTheUserInterfaceThread) {
    Fixture f;
    f.Load(Sequence({5, 5, 5}));
    std::vector<int> shown;
    bool offThread = false;
    f.animator->OnFrameChanged = [&](TExGIFAnimator& sender) {
        shown.push_back(sender.FrameIndex());
        offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
    };
    int starts = 0, stops = 0;
    f.animator->OnStart = [&](TExGIFAnimator&) { ++starts; };
    f.animator->OnStop = [&](TExGIFAnimator&) { ++stops; };
    QElapsedTimer clock;
    clock.start();
    f.animator->SetAnimate(true);
    EXPECT_EQ(starts, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() >= 4; }, 5000));
    EXPECT_GE(clock.elapsed(), 4 * 50 - 20) << "each frame stays at least its delay";
    EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 4), (std::vector<int>{1, 2, 0, 1}));
    EXPECT_FALSE(offThread);

    f.animator->SetLoop(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.animator->Animate(); }, 5000));
    EXPECT_EQ(f.animator->FrameIndex(), 0) << "stops when the sequence wraps";
    EXPECT_EQ(stops, 1);
    const std::size_t seen = shown.size();
    QTest::qWait(150);
    EXPECT_EQ(shown.size(), seen) << "no ticks after the stop";
}

TEST(GifAnimator, AsyncDrawingTicksOnTheTimerThread) {
    auto f = std::make_unique<Fixture>();
    f->Load(Sequence({5, 5, 5}));
    f->animator->SetAsyncDrawing(true);
    EXPECT_TRUE(BitmapDrawLocking()) << "switched on for good by the first asynchronous animator";
    EXPECT_FALSE(f->animator->Timer().SyncEvent());
    std::vector<int> shown;
    bool eventOffThread = false;
    f->animator->OnFrameChanged = [&](TExGIFAnimator& sender) {
        shown.push_back(sender.FrameIndex());
        eventOffThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
    };
    f->animator->SetAnimate(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() >= 3; }, 5000));
    EXPECT_FALSE(eventOffThread) << "the frame-changed event is handed to the user-interface thread";
    EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 3), (std::vector<int>{1, 2, 0}));
    f.reset();  // destroyed while the timer runs
}

TEST(GifAnimator, SingleFrameIsDrawnButNeverTicks) {
    Fixture f;
    f.Load(Sequence({5}));
    int events = 0;
    f.animator->OnFrameChanged = [&](TExGIFAnimator&) { ++events; };
    f.animator->SetAnimate(true);
    QTest::qWait(200);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(test::At(f.Shot(), 1, 1), kRed);
}

// Screen 4 x 2: a red background frame, a green square restored to the previous
// picture, a blue square restored to the background, and a yellow pixel.
QByteArray DisposalSequence() {
    return GifWriter(4, 2, kColours)
        .GraphicControl(1, 5)
        .Image(0, 0, 4, 2, Solid(4, 2, 0))
        .GraphicControl(3, 5)
        .Image(0, 0, 2, 2, Solid(2, 2, 1))
        .GraphicControl(2, 5)
        .Image(2, 0, 2, 2, Solid(2, 2, 2))
        .GraphicControl(0, 5)
        .Image(3, 1, 1, 1, Solid(1, 1, 3))
        .Trailer()
        .Array();
}

std::vector<TColor> Row(const QImage& image, int y, int width = 4) {
    std::vector<TColor> row;
    for (int x = 0; x < width; ++x) row.push_back(test::At(image, x, y));
    return row;
}

TEST(GifAnimator, ComposesFramesAfterTheirDisposal) {
    Fixture f;
    f.Load(DisposalSequence());
    ASSERT_EQ(f.animator->size(), QSize(4, 2)) << "AutoSize takes the logical screen";
    const TColor window = ColorToRGB(clWindow);
    struct Step {
        int frame;
        std::vector<TColor> top, bottom;
    };
    const Step steps[] = {
        {0, {kRed, kRed, kRed, kRed}, {kRed, kRed, kRed, kRed}},
        {1, {kGreen, kGreen, kRed, kRed}, {kGreen, kGreen, kRed, kRed}},
        {2, {kRed, kRed, kBlue, kBlue}, {kRed, kRed, kBlue, kBlue}},
        {3, {kRed, kRed, window, window}, {kRed, kRed, window, kYellow}},
    };
    for (const Step& step : steps) {
        f.animator->SetFrameIndex(step.frame);
        const QImage shot = f.Shot();
        EXPECT_EQ(Row(shot, 0), step.top) << "frame " << step.frame << " built on the previous one";
        EXPECT_EQ(Row(shot, 1), step.bottom) << "frame " << step.frame;
    }
    const QImage incremental = f.Shot();
    f.animator->SetFrameIndex(0);
    f.animator->SetFrameIndex(3);
    EXPECT_EQ(f.Shot(), incremental) << "a rebuild from the start frame gives the same picture";
}

// Every frame's picture, each built on the one before, then each built afresh.
struct Pictures {
    std::vector<QImage> stepped, rebuilt;
};

Pictures Composed(const QByteArray& gif) {
    Fixture stepping, fresh;
    stepping.Load(gif);
    Pictures out;
    for (int n = 0; n < stepping.animator->Image().Count(); ++n) {
        stepping.animator->SetFrameIndex(n);
        out.stepped.push_back(stepping.Shot());
        fresh.Load(gif);
        fresh.animator->SetFrameIndex(n);
        out.rebuilt.push_back(fresh.Shot());
    }
    return out;
}

TEST(GifAnimator, SteppedAndRebuiltPicturesAgree) {
    struct Case {
        const char* name;
        QByteArray gif;
        std::vector<TColor> last;  // the last frame's picture, row 0
    };
    const Case cases[] = {
        {"a frame of the screen's size placed off the screen",
         GifWriter(3, 1, kColours)
             .Image(0, 0, 3, 1, Solid(3, 1, 2))
             .Image(7936, 0, 0, 0, Solid(3, 1, 0))  // 0 x 0 takes the screen's size
             .Trailer()
             .Array(),
         {kBlue, kBlue, kBlue}},
        {"a covering frame restored to the picture before it",
         GifWriter(3, 1, kColours)
             .Image(0, 0, 3, 1, Solid(3, 1, 2))
             .GraphicControl(3, 5)
             .Image(0, 0, 3, 1, Solid(3, 1, 0))
             .Image(1, 0, 1, 1, Solid(1, 1, 3))
             .Trailer()
             .Array(),
         {kBlue, kYellow, kBlue}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Pictures pictures = Composed(c.gif);
        ASSERT_FALSE(pictures.stepped.empty());
        for (std::size_t n = 0; n < pictures.stepped.size(); ++n)
            EXPECT_EQ(pictures.stepped[n], pictures.rebuilt[n]) << "frame " << n;
        EXPECT_EQ(Row(pictures.rebuilt.back(), 0, 3), c.last);
    }
}

TEST(GifAnimator, ReSavedFileShowsTheSamePictures) {
    const QByteArray cases[] = {
        // One pixel in a 2 x 2 screen: the other three show the background.
        GifWriter(2, 2, kColours, 1).Image(0, 0, 1, 1, Solid(1, 1, 0)).Trailer().Array(),
        // Frames inside a larger screen, one partly transparent and cleared.
        GifWriter(4, 3, kColours, 2)
            .GraphicControl(2, 5, 3)
            .Image(1, 1, 2, 1, test::Compressed({3, 0}))
            .GraphicControl(1, 5)
            .Image(2, 0, 1, 2, Solid(1, 2, 1))
            .Trailer()
            .Array(),
        // A background index outside the table names no colour: the window's shows.
        GifWriter(2, 1, kColours, 9)
            .Image(0, 0, 1, 1, Solid(1, 1, 1))
            .GraphicControl(1, 5, 3)
            .Image(0, 0, 1, 1, Solid(1, 1, 3))
            .Trailer()
            .Array(),
    };
    for (const QByteArray& gif : cases) {
        TGIFImage image;
        image.LoadFromBytes(gif);
        const QByteArray saved = image.WriteGIFStream(false);
        const Pictures loaded = Composed(gif), again = Composed(saved);
        EXPECT_EQ(again.stepped, loaded.stepped);
        EXPECT_EQ(again.rebuilt, loaded.rebuilt);
    }
}

TEST(GifAnimator, TransparentPixelsShowTheParent) {
    Fixture f;
    f.window.window.setAutoFillBackground(true);
    SetPaletteColor(f.window.window, QPalette::Window, clFuchsia);
    SetPaletteColor(*f.animator, QPalette::Window, clTeal);
    f.Load(GifWriter(2, 1, kColours)
               .GraphicControl(0, 5, 1)
               .Image(0, 0, 2, 1, test::Compressed({0, 1}))
               .Array());
    f.animator->move(10, 10);
    const QImage whole = f.window.window.grab().toImage();
    EXPECT_EQ(test::At(whole, 10, 10), kRed);
    EXPECT_EQ(test::At(whole, 11, 10), clFuchsia) << "the transparent index lets the parent through";

    f.animator->SetTransparent(false);
    const QImage opaque = f.window.window.grab().toImage();
    EXPECT_EQ(test::At(opaque, 11, 10), kGreen) << "drawn as it is when Transparent is off";
}

TEST(GifAnimator, CentredPictureLargerThanTheControl) {
    Fixture f;
    Bytes pixels(60 * 100, 0);
    std::fill(pixels.begin() + 17 * 60, pixels.begin() + 18 * 60, 1);  // row 17 green
    f.Load(GifWriter(60, 100, kColours).Image(0, 0, 60, 100, test::Compressed(pixels)).Array());
    EXPECT_EQ(f.animator->size(), QSize(60, 100));
    f.animator->SetAutoSize(false);
    f.animator->resize(59, 65);
    f.animator->SetCenter(true);
    QImage shot = f.Shot();
    EXPECT_EQ(test::At(shot, 0, 0), kGreen) << "drawn at (0, -17)";
    EXPECT_EQ(test::At(shot, 0, 1), kRed);

    f.animator->SetStretch(true);
    shot = f.Shot();
    EXPECT_EQ(test::At(shot, 0, 0), kRed) << "stretched from the top row";
    EXPECT_NE(test::InkBox(shot, test::Exactly(kGreen)).top(), 0);
}

TEST(GifAnimator, ImageSetterCopiesAndResets) {
    Fixture f;
    f.Load(Sequence({5, 5, 5}));
    f.animator->SetFrameIndex(2);
    TGIFImage other;
    other.LoadFromBytes(Sequence({7, 9}));
    int changes = 0;
    f.animator->OnChange = [&](TExGIFAnimator&) { ++changes; };
    f.animator->SetImage(&other);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.animator->FrameIndex(), 0);
    EXPECT_EQ(f.animator->Image().Count(), 2);
    EXPECT_TRUE(f.animator->Image().Equals(other));
    EXPECT_EQ(f.animator->Timer().Interval(), 70u);
}

TEST(GifAnimator, GalleryFrames) {
    // A yellow square moves over a blue field; every other frame is partly transparent.
    constexpr int kSide = 48, kFrames = 6;
    GifWriter gif(kSide, kSide, kColours);
    gif.Loop(0).GraphicControl(1, 10).Image(0, 0, kSide, kSide, Solid(kSide, kSide, 2));
    for (int i = 1; i < kFrames; ++i) {
        Bytes square(16 * 16, 3);
        for (int y = 4; y < 12; ++y) std::fill(square.begin() + y * 16 + 4, square.begin() + y * 16 + 12, 1);
        gif.GraphicControl(2, 10).Image(i * 6, i * 6, 16, 16, test::Compressed(square));
    }
    Fixture f;
    f.Load(gif.Trailer().Array());
    const QString dir = QDir::cleanPath(QStringLiteral(KORDALT_TEST_TMP "/../gallery"));
    QDir().mkpath(dir);
    for (int i = 0; i < kFrames; ++i) {
        f.animator->SetFrameIndex(i);
        const QImage shot = f.Shot();
        EXPECT_EQ(test::InkBox(shot, test::Exactly(kYellow)), i == 0 ? QRect() : QRect(i * 6, i * 6, 16, 16));
        ASSERT_TRUE(shot.save(dir + QStringLiteral("/gif_%1.png").arg(i)));
    }
}

}  // namespace
}  // namespace kordalt
