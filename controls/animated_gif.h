// A control that shows a GIF image and animates it: a threaded timer advances the
// frame, and each frame is composed onto a bitmap of the logical screen honouring
// origins, disposal methods and transparency.
#pragma once

#include <functional>
#include <memory>

#include "controls/ex_timer.h"
#include "controls/gif_image.h"
#include "controls/image_control.h"

namespace kordalt {

class TExGIFAnimator : public TExImageControl {
    Q_OBJECT

public:
    using NotifyEvent = std::function<void(TExGIFAnimator& sender)>;

    explicit TExGIFAnimator(QWidget* parent = nullptr);
    ~TExGIFAnimator() override;

    // Loads a GIF file into the image (a failure leaves what was read and propagates).
    void LoadFromFile(const QString& fileName) { image_->LoadFromFile(fileName); }
    TGIFImage& Image() { return *image_; }
    void SetImage(const TGIFImage* image);

    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    int FrameIndex() const { return frameIndex_; }
    // Values outside 0..frame count - 1 are ignored.
    void SetFrameIndex(int value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value) { SetOption(stretch_, value); }
    bool Center() const { return center_; }
    void SetCenter(bool value) { SetOption(center_, value); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value) { SetOption(transparent_, value); }
    bool Loop() const { return loop_; }
    void SetLoop(bool value) { loop_ = value; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool AsyncDrawing() const { return asyncDrawing_; }
    void SetAsyncDrawing(bool value);

    // The current frame's delay clamped to 50..10000 ms; 0 out of range or with fewer than 2 frames.
    unsigned GetFrameDelay();
    TExTimer& Timer() { return *timer_; }

    NotifyEvent OnStart, OnStop, OnChange, OnFrameChanged;

protected:
    void DrawImageContent(QPainter& canvas) override;
    void Paint(QPainter& canvas) override { PaintImageArea(canvas); }
    void AdjustToImageSize() override;

private:
    void SetOption(bool& option, bool value);
    void ImageChanged();
    void TimerTick();
    void StopAtLoopEnd() { SetAnimate(false); }
    // The picture of frame n on the logical screen, built on the cached picture when it shows n - 1.
    TBitmap& ComposeFrameBitmap(int n, TColor& transColor);
    void BuildFromStartFrame(TBitmap& bitmap, int n, TColor& transColor);
    static TRect FrameRect(TGIFFrame& frame);

    void DoChange() {
        if (OnChange) OnChange(*this);
    }
    void DoFrameChanged() {
        if (OnFrameChanged) OnFrameChanged(*this);
    }
    void DoStart() {
        if (OnStart) OnStart(*this);
    }
    void DoStop() {
        if (OnStop) OnStop(*this);
    }

    bool animate_ = false;
    std::unique_ptr<TGIFImage> image_;
    TExTimer* timer_;
    int frameIndex_ = 0;
    bool stretch_ = false, loop_ = true, center_ = false, transparent_ = true;
    std::unique_ptr<TBitmap> cache_;
    int cacheIndex_ = -1;
    TColor cachedTransColor_ = clNone;
    TColor cacheBrush_ = clWindow;
    bool asyncDrawing_ = false;
    bool autoSize_ = true;
};

}  // namespace kordalt
