// A windowless control showing a DIB unscaled, centred, stretched, shrunk to fit
// or at a chosen view size. It paints no background of its own.
#pragma once

#include <QWidget>

#include "session/dib.h"

namespace kordalt {

class TCustomDibPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TCustomDibPaintBox(QWidget* parent = nullptr);

    bool AutoStretch() const { return autoStretch_; }
    void SetAutoStretch(bool value) { SetOption(autoStretch_, value); }
    bool Center() const { return center_; }
    void SetCenter(bool value) { SetOption(center_, value); }
    bool KeepAspect() const { return keepAspect_; }
    void SetKeepAspect(bool value) { SetOption(keepAspect_, value); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value) { SetOption(stretch_, value); }
    int ViewWidth() const { return viewWidth_; }
    void SetViewWidth(int value) { SetViewSide(viewWidth_, value); }
    int ViewHeight() const { return viewHeight_; }
    void SetViewHeight(int value) { SetViewSide(viewHeight_, value); }
    TDIB& DIB() { return dib_; }
    // Shares the given picture's image.
    void SetDIB(const TDIB* dib);
    int Palette() { return dib_.Palette(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void Paint(QPainter& painter);
    void DrawDIBSized(QPainter& painter, int width, int height);

private:
    void SetOption(bool& option, bool value);
    void SetViewSide(int& side, int value);
    // The picture's size scaled by the smaller of the two fitting ratios.
    void DrawFitted(QPainter& painter, int width, int height);

    bool autoStretch_ = false;
    bool center_ = false;
    TDIB dib_;
    bool keepAspect_ = false;
    bool stretch_ = false;
    int viewWidth_ = 0, viewHeight_ = 0;
};

class TDibPaintBox : public TCustomDibPaintBox {
    Q_OBJECT
public:
    using TCustomDibPaintBox::TCustomDibPaintBox;
};

}  // namespace kordalt
