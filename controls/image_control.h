// Base of controls whose picture may change while the program runs, possibly
// from a timer thread: buffered painting, a lock for the descendant's state and a
// repaint that works from any thread.
#pragma once

#include <QImage>
#include <QWidget>
#include <mutex>

#include "controls/classic.h"

namespace kordalt {

class TGIFImage;

class TExImageControl : public QWidget {
    Q_OBJECT

public:
    explicit TExImageControl(QWidget* parent = nullptr);
    ~TExImageControl() override;

    // Guards the descendant's state (image, frame, options) against a second thread.
    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }
    // The control canvas's lock: held for a whole paint.
    std::recursive_mutex& CanvasLock() { return canvasLock_; }

    bool Drawing() const { return drawing_; }

    // Repaints at once on the user-interface thread; from another thread it paints
    // into an off-screen image on the calling thread and hands it over.
    void PaintFromAnyThread();

protected:
    // Draws the picture onto the control's canvas (client coordinates).
    virtual void DrawImageContent(QPainter& canvas) = 0;
    // The control's paint; descendants call PaintImageArea.
    virtual void Paint(QPainter& canvas) = 0;
    // Size adjustment after a change (AutoSize of descendants).
    virtual void AdjustToImageSize() {}

    // Fills the client area with the control's colour, then draws the content.
    void PaintImageArea(QPainter& canvas);
    // Lets what lies under the control (the parent and its other children) show through.
    static void PaintParentUnderControl(QPainter& canvas, const QRect& area);
    // Adjusts the size and has the control painted again.
    void ImageContentChanged();
    // The graphic's palette changed: a true-colour display has no palette to
    // realise, so the flag is cleared and nothing is requested.
    bool RealizeImagePalette();

    void paintEvent(QPaintEvent* event) override;

    TGIFImage* Graphic = nullptr;
    bool Destroying = false;

private:
    QImage PaintBuffered();

    std::recursive_mutex lock_;
    std::recursive_mutex canvasLock_;
    bool drawing_ = false;
    std::mutex handOverLock_;
    QImage handedOver_;
};

}  // namespace kordalt
