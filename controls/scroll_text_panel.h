// A bevelled panel that, while active, scrolls its lines through its client area
// one pixel per tick of its own threaded timer. The worker renders each frame into
// an image under a lock and hands it to the user-interface thread, which shows it.
#pragma once

#include <QImage>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "controls/classic.h"
#include "controls/ex_timer.h"

namespace kordalt {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TScrollDirection { sdVertical, sdHorizontal };
enum TGlyphLayout { glGlyphLeft, glGlyphRight, glGlyphTop, glGlyphBottom };

class TScrollTextPanel : public QWidget {
    Q_OBJECT

public:
    // Paints the background instead of a plain fill; runs on the timer's worker
    // while AsyncDrawing is on.
    using TPanelDrawEvent =
        std::function<void(TScrollTextPanel& sender, QPainter& canvas, const TRect& rect)>;

    explicit TScrollTextPanel(QWidget* parent = nullptr);
    ~TScrollTextPanel() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    const QStringList& Lines() const { return lines_; }
    void SetLines(const QStringList& lines);
    bool Cycled() const { return cycled_; }
    void SetCycled(bool value) { cycled_ = value; }
    unsigned Interval() const { return timer_->Interval(); }
    void SetInterval(unsigned milliseconds) { timer_->SetInterval(milliseconds); }
    const QImage& Glyph() const { return glyph_; }
    void SetGlyph(const QImage& glyph);
    TBevelCut TextStyle() const { return textStyle_; }
    void SetTextStyle(TBevelCut value);
    TScrollDirection ScrollDirection() const { return scrollDirection_; }
    void SetScrollDirection(TScrollDirection value);
    TGlyphLayout GlyphLayout() const { return glyphLayout_; }
    void SetGlyphLayout(TGlyphLayout value);
    bool AsyncDrawing() const { return asyncDrawing_; }
    void SetAsyncDrawing(bool value);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    TColor Color() const;
    void SetColor(TColor value);
    TColor FontColor() const;
    void SetFontColor(TColor value);
    void SetOnPaintClient(TPanelDrawEvent handler);

    int FrameWidth() const;
    int ScrollCount() const;
    int ScrollLimit() const;
    int LineHeight() const;
    TRect PaintRect() const;
    // The frame last handed to the user-interface thread (null when none).
    QImage Frame() const;
    TExTimer& Timer() { return *timer_; }

signals:
    void OnStartPlay();
    void OnStopPlay();

protected:
    // Both run on the timer's worker, so they are not virtual: a call through an
    // object under destruction would race with its destructors. OnPaintClient
    // customises the background.
    void FillClient(QPainter& canvas, const TRect& rect);
    // The timer's tick: one pixel further, a new pass, or the end of the pass.
    void ScrollStep();
    virtual void DoStartPlay() { emit OnStartPlay(); }
    virtual void DoStopPlay() { emit OnStopPlay(); }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The children's realignment rebuilds the image.
    bool event(QEvent* event) override;

private:
    struct Layout {
        TRect paintRect;
        TRect glyphArea;
        QPoint glyphOrigin;
    };
    // What a frame is rendered from, fixed when the image is built.
    struct RenderState {
        QStringList lines;
        QFont font;
        QColor colour;
        QColor fontColour;
        TPanelDrawEvent onPaintClient;
        TAlignment alignment = taCenter;
        TBevelCut textStyle = bvNone;
        TScrollDirection direction = sdVertical;
        bool rightToLeft = false;
        int firstLine = 0;
        int lineHeight = 0;
        int scrollLimit = 0;
        int scrollCount = 0;
        Layout layout;
    };

    Layout LayoutPaintRect(int firstLine, int lineHeight) const;
    void BuildScrollImage();
    void PaintScrollFrame();
    void StopScrolling();
    void DrawPanelGlyph(QPainter& canvas);
    void RebuildIfActive(bool restart);
    template <typename T>
    void SetFrameProperty(T& field, T value) {
        if (value == field) return;
        field = value;
        RebuildIfActive(false);
        update();
    }

    std::unique_ptr<TExTimer> timer_;
    QStringList lines_;
    QImage glyph_;
    QList<QPointer<QWidget>> hidden_;
    TPanelDrawEvent onPaintClient_;
    TAlignment alignment_ = taCenter;
    TBevelCut textStyle_ = bvNone;
    TScrollDirection scrollDirection_ = sdVertical;
    TGlyphLayout glyphLayout_ = glGlyphLeft;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvLowered;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool active_ = false;
    bool asyncDrawing_ = true;
    bool destroying_ = false;
    std::atomic<bool> cycled_{false};

    // The memory image's lock: held by the worker for a whole frame, by the
    // user-interface thread to rebuild and to deactivate. Taken before frameLock_.
    mutable std::mutex imageLock_;
    std::unique_ptr<QImage> image_;
    RenderState render_;
    unsigned pass_ = 0;

    // The panel canvas's lock: the frame shown by paintEvent.
    mutable std::mutex frameLock_;
    QImage frame_;
};

}  // namespace kordalt
