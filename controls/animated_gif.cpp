#include "controls/animated_gif.h"

#include <QPainter>
#include <algorithm>

#include "controls/draw_utils.h"

namespace kordalt {

namespace {

// Holds an object's Lock/Unlock pair for a scope.
template <typename T>
class Held {
public:
    explicit Held(T& object) : object_(object) { object_.Lock(); }
    ~Held() { object_.Unlock(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    T& object_;
};

}  // namespace

TExGIFAnimator::TExGIFAnimator(QWidget* parent)
    : TExImageControl(parent), image_(std::make_unique<TGIFImage>()), timer_(new TExTimer(this)) {
    Graphic = image_.get();
    image_->OnChange = [this] { ImageChanged(); };
}

TExGIFAnimator::~TExGIFAnimator() {
    Destroying = true;
    OnStart = OnStop = OnChange = OnFrameChanged = nullptr;
    SetAnimate(false);
    // Joins the timer thread before the state a running tick uses goes away.
    delete timer_;
    timer_ = nullptr;
    cache_.reset();
    image_->OnChange = nullptr;
    Graphic = nullptr;
}

void TExGIFAnimator::SetImage(const TGIFImage* image) {
    Held hold(static_cast<TExImageControl&>(*this));
    image_->Assign(image);
}

void TExGIFAnimator::SetOption(bool& option, bool value) {
    if (option == value) return;
    {
        Held hold(static_cast<TExImageControl&>(*this));
        option = value;
    }
    ImageContentChanged();
    if (animate_) repaint();
}

void TExGIFAnimator::SetAutoSize(bool value) {
    if (autoSize_ == value) return;
    autoSize_ = value;
    AdjustToImageSize();
}

void TExGIFAnimator::SetFrameIndex(int value) {
    if (value == frameIndex_ || value >= image_->Count() || value < 0) return;
    {
        Held hold(static_cast<TExImageControl&>(*this));
        frameIndex_ = value;
        timer_->SetInterval(GetFrameDelay());
    }
    DoFrameChanged();
    ImageContentChanged();
}

void TExGIFAnimator::SetAnimate(bool value) {
    if (value == animate_) return;
    if (value) {
        timer_->SetOnTimer([this](TExTimer&) { TimerTick(); });
        timer_->SetEnabled(true);
        animate_ = timer_->Enabled();
        DoStart();
    } else {
        timer_->SetEnabled(false);
        timer_->SetOnTimer(nullptr);
        animate_ = false;
        DoStop();
        ImageContentChanged();
    }
}

void TExGIFAnimator::SetAsyncDrawing(bool value) {
    if (value == asyncDrawing_) return;
    Held hold(static_cast<TExImageControl&>(*this));
    if (value) PatchBitmapDraw();
    timer_->SetSyncEvent(!value);
    asyncDrawing_ = value;
}

void TExGIFAnimator::ImageChanged() {
    {
        Held hold(static_cast<TExImageControl&>(*this));
        cacheIndex_ = -1;
        cache_.reset();
        cachedTransColor_ = clNone;
        frameIndex_ = image_->FrameIndex();
        if (frameIndex_ >= 0 && image_->Count() > 0) timer_->SetInterval(GetFrameDelay());
    }
    ImageContentChanged();
    DoChange();
}

unsigned TExGIFAnimator::GetFrameDelay() {
    if (frameIndex_ < 0 || frameIndex_ >= image_->Count() || image_->Count() < 2) return 0;
    return std::clamp<unsigned>(image_->Frames(frameIndex_).AnimateInterval, 50, 10000);
}

void TExGIFAnimator::AdjustToImageSize() {
    if (autoSize_ && !image_->Empty()) resize(image_->ScreenWidth(), image_->ScreenHeight());
}

void TExGIFAnimator::TimerTick() {
    if (isHidden() || image_->Count() < 2 || !parentWidget()) return;
    bool stop = false;
    {
        Held hold(static_cast<TExImageControl&>(*this));
        frameIndex_ = frameIndex_ < image_->Count() - 1 ? frameIndex_ + 1 : 0;
        {
            std::lock_guard canvas(CanvasLock());
            if (!asyncDrawing_) DoFrameChanged();
            PaintFromAnyThread();
        }
        if (frameIndex_ >= 0 && frameIndex_ < image_->Count()) timer_->SetInterval(GetFrameDelay());
        stop = !loop_ && frameIndex_ == 0;
        if (stop && !asyncDrawing_) StopAtLoopEnd();
    }
    // On the timer thread the user-interface calls wait until the control's locks
    // are free: a setter waiting for them on that thread would otherwise never return.
    if (asyncDrawing_) {
        if (OnFrameChanged) timer_->Synchronize([this] { DoFrameChanged(); });
        if (stop) timer_->Synchronize([this] { StopAtLoopEnd(); });
    }
}

TRect TExGIFAnimator::FrameRect(TGIFFrame& frame) {
    return {frame.OriginX, frame.OriginY, frame.OriginX + frame.FrameWidth(),
            frame.OriginY + frame.FrameHeight()};
}

void TExGIFAnimator::DrawImageContent(QPainter& canvas) {
    if (image_->Transparent() || image_->Empty()) PaintParentUnderControl(canvas, rect());
    const int screenW = image_->ScreenWidth(), screenH = image_->ScreenHeight();
    // A screen too large to compose is left undrawn rather than failing every paint.
    if (image_->Empty() || screenW < 1 || screenH < 1 || std::int64_t(screenW) * screenH > kMaxPicturePixels)
        return;
    TColor transColor = clNone;
    TBitmap& bitmap = ComposeFrameBitmap(frameIndex_, transColor);
    Held<const TBitmap> hold(bitmap);
    const int w = bitmap.Image.width(), h = bitmap.Image.height();
    TRect dest{0, 0, w, h};
    if (stretch_) {
        dest = TRect::FromQRect(rect());
    } else if (center_) {
        dest = dest.Offset((width() - w) / 2, (height() - h) / 2);
    }
    bitmap.Draw(canvas, dest, transColor != clNone && transparent_ ? transColor : clNone);
}

TBitmap& TExGIFAnimator::ComposeFrameBitmap(int n, TColor& transColor) {
    n = std::clamp(n, 0, image_->Count() - 1);
    // Frames with disposal 3 to 7 are left out of later pictures, so the cached
    // picture that shows one is rebuilt like any other.
    const bool incremental =
        cache_ && cacheIndex_ == n - 1 && cacheIndex_ >= 0 && image_->Frames(cacheIndex_).Disposal < 3;
    std::unique_ptr<TBitmap> fresh;
    TBitmap* bitmap = cache_.get();
    if (incremental) {
        transColor = cachedTransColor_;
    } else {
        CheckPictureSize(image_->ScreenWidth(), image_->ScreenHeight());
        cache_.reset();
        fresh = std::make_unique<TBitmap>();
        bitmap = fresh.get();
    }
    {
        Held<const TBitmap> hold(*bitmap);
        if (fresh) {
            BuildFromStartFrame(*bitmap, n, transColor);
        } else if (image_->Frames(cacheIndex_).Disposal == 2) {
            QPainter painter(&bitmap->Image);
            painter.fillRect(FrameRect(image_->Frames(cacheIndex_)).ToQRect(), ToQColor(cacheBrush_));
        }
        QPainter painter(&bitmap->Image);
        TGIFFrame& frame = image_->Frames(n);
        frame.DrawGIFFrame(painter, FrameRect(frame), true);
    }
    if (fresh) cache_ = std::move(fresh);
    cacheIndex_ = n;
    cachedTransColor_ = transColor;
    return *cache_;
}

void TExGIFAnimator::BuildFromStartFrame(TBitmap& bitmap, int n, TColor& transColor) {
    const int screenW = image_->ScreenWidth(), screenH = image_->ScreenHeight();
    bitmap.Image = QImage(screenW, screenH, QImage::Format_RGB32);
    TGIFFrame& current = image_->Frames(std::clamp(image_->FrameIndex(), 0, image_->Count() - 1));
    if (current.TransparentColor != clNone) {
        transColor = current.TransparentColor;
        cacheBrush_ = transColor;
    } else if (image_->BackgroundColor() != clNone && image_->Transparent()) {
        cacheBrush_ = image_->BackgroundColor();
    } else {
        cacheBrush_ = clWindow;
    }
    const QColor brush = ToQColor(cacheBrush_);
    QPainter painter(&bitmap.Image);
    painter.fillRect(0, 0, screenW, screenH, brush);

    // A frame placed off the screen covers nothing, and one that restores the
    // previous picture after it leaves the frames before it in place.
    const auto startsPicture = [&](int s) {
        TGIFFrame& frame = image_->Frames(s);
        const bool coversScreen = frame.OriginX == 0 && frame.OriginY == 0 && frame.FrameWidth() >= screenW &&
                                  frame.FrameHeight() >= screenH;
        const bool opaque = frame.TransparentColor == clNone && (frame.Disposal < 3 || s == n);
        return coversScreen && (opaque || (frame.Disposal == 2 && s < n));
    };
    int start = n;
    while (start > 0 && !startsPicture(start)) --start;
    for (int j = start; j < n; ++j) {
        TGIFFrame& frame = image_->Frames(j);
        if (frame.Disposal <= 1) {
            frame.DrawGIFFrame(painter, FrameRect(frame), true);
        } else if (frame.Disposal == 2 && j > start) {
            painter.fillRect(FrameRect(frame).ToQRect(), brush);
        }
    }
}

}  // namespace kordalt
