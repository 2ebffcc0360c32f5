// Frame composition of the animated GIF control: the picture of each frame
// built on the cached picture of the frame before must equal the picture built
// afresh from the start frame, and the file written again must show the same
// pictures as the file read.
#include <QApplication>
#include <QImage>
#include <cstdint>
#include <cstdlib>

#include "controls/animated_gif.h"

namespace {

using namespace kordalt;

QApplication& Application() {
    static int argc = 1;
    static char name[] = "gif_compose_fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

constexpr int kMaxFrames = 12, kMaxSide = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Application();
    TGIFImage gif;
    try {
        gif.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    } catch (const std::exception&) {
    }
    if (gif.Count() == 0 || gif.Count() > kMaxFrames || gif.ScreenWidth() > kMaxSide ||
        gif.ScreenHeight() > kMaxSide)
        return 0;
    for (int i = 0; i < gif.Count(); ++i) {
        try {
            gif.Frames(i).GetFrameBitmap();
        } catch (const std::exception&) {
            return 0;
        }
        if (gif.Frames(i).FrameWidth() > kMaxSide || gif.Frames(i).FrameHeight() > kMaxSide) return 0;
    }
    TGIFImage saved;
    saved.LoadFromBytes(gif.WriteGIFStream(false));
    if (saved.Count() != gif.Count()) std::abort();
    TExGIFAnimator stepping, fresh, again;
    stepping.SetImage(&gif);
    for (int n = 0; n < gif.Count(); ++n) {
        stepping.SetFrameIndex(n);
        const QImage incremental = stepping.grab().toImage();
        fresh.SetImage(&gif);  // empties the cache
        fresh.SetFrameIndex(n);
        const QImage rebuilt = fresh.grab().toImage();
        if (incremental != rebuilt) std::abort();
        again.SetImage(&saved);
        again.SetFrameIndex(n);
        if (again.grab().toImage() != rebuilt) std::abort();
    }
    return 0;
}
