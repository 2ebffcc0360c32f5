// A slider that picks an integer by dragging a thumb bitmap along a ruler
// composed from a small bitmap, by pressing beside the thumb or by keys.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>

#include "controls/classic.h"
#include "controls/scroll_text_panel.h"  // TBevelCut

class QPainter;

namespace kordalt {

// Images per thumb in the thumb strip: 1 (one look) or 2 (normal, pressed).
using TNumThumbStates = int;

enum TSliderOrientation { soHorizontal, soVertical };
// Bits of TSliderOptions.
enum TSliderOption : unsigned {
    soShowFocus = 1u << 0,
    soShowPoints = 1u << 1,
    soSmooth = 1u << 2,
    soRulerOpaque = 1u << 3,
    soThumbOpaque = 1u << 4
};
using TSliderOptions = unsigned;
enum TSliderImageIndex { siHThumb, siHRuler, siVThumb, siVRuler };

// The built-in images: horizontal thumb (two states), horizontal ruler, vertical
// thumb (two states), vertical ruler; magenta is transparent.
QImage DefaultSliderImage(TSliderImageIndex index);

class TExCustomSlider : public QWidget {
    Q_OBJECT

public:
    explicit TExCustomSlider(QWidget* parent = nullptr);
    ~TExCustomSlider() override;

    int Value() const { return value_; }
    void SetValue(int value);
    int MinValue() const { return minValue_; }
    void SetMinValue(int value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value);
    int Increment() const { return increment_; }
    // Raises std::out_of_range outside 1 .. MaxValue - MinValue.
    void SetIncrement(int value);
    TNumThumbStates NumThumbStates() const { return numThumbStates_; }
    // Kept within 1..2.
    void SetNumThumbStates(TNumThumbStates value);
    TSliderOrientation Orientation() const { return orientation_; }
    void SetOrientation(TSliderOrientation value);
    int EdgeSize() const { return edgeSize_; }
    void SetEdgeSize(int value);
    TSliderOptions Options() const { return options_; }
    void SetOptions(TSliderOptions value);
    TBevelCut BevelStyle() const { return bevelStyle_; }
    void SetBevelStyle(TBevelCut value);
    const QImage& Image(TSliderImageIndex index) const { return images_[index]; }
    // A null image restores the built-in one.
    void SetImage(TSliderImageIndex index, const QImage& image);
    // The parent's colour until one is set.
    TColor Color() const;
    void SetColor(TColor value);

    // Layout, for painting and tests.
    const QImage& Ruler() const { return ruler_; }
    QPoint RulerOrigin() const { return rulerOrigin_; }
    TRect ThumbRect() const { return thumbRect_; }
    QPoint TickOrigin() const { return tickOrigin_; }
    int RulerLength() const;
    bool ThumbDown() const { return thumbDown_; }

    int OffsetFromValue(int value) const;
    int ValueFromOffset(int offset) const;
    // 1 MinValue, 2 MaxValue, 3 one increment up, 4 one down.
    void StepValue(int code);
    // 0 on the thumb, 3 on the side that steps up, 4 on the side that steps down.
    int HitZone(int x, int y) const;
    // Default tick marks on `painter` (for OnDrawPoints handlers too).
    virtual void DrawTickMarks(QPainter& painter, int step, int tickHeight, int endTickHeight);

    // Draws custom points instead of the default tick marks.
    std::function<void(TExCustomSlider* sender, QPainter& painter)> OnDrawPoints;

signals:
    void OnChange();
    void OnChanged();

protected:
    virtual bool AllowsChange() const { return true; }
    virtual TRect SliderArea() const;
    virtual int CurrentValue() const { return value_; }
    virtual void Relayout();
    virtual void RangeChangedHook() {}
    virtual void ThumbPressed(Qt::MouseButton button, int x, int y);
    virtual void ThumbDragged(int x, int y);
    virtual void ThumbReleased(Qt::MouseButton button);
    virtual void NotifyChange() { emit OnChange(); }
    virtual void NotifyChanged() { emit OnChanged(); }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void ApplyRange(int minValue, int maxValue);
    void ComposeRuler();
    QSize ThumbSize() const;
    int Indent() const;
    // Snaps `offset` onto the ruler and places the thumb there.
    void ThumbPosition(int& offset);
    void MoveThumbTo(int offset);
    void TrackStep();
    void StopTracking();
    void SetFocused(bool focused);

    std::array<QImage, 4> images_;
    QImage ruler_;
    QPoint rulerOrigin_;
    TRect thumbRect_;
    QPoint tickOrigin_;
    TSliderOrientation orientation_ = soHorizontal;
    TSliderOptions options_ = soShowFocus | soShowPoints | soSmooth;
    TBevelCut bevelStyle_ = bvNone;
    int edgeSize_ = 2;
    TNumThumbStates numThumbStates_ = 2;
    int minValue_ = 0, maxValue_ = 100, increment_ = 10, value_ = 0;
    int grabOffset_ = 0;
    bool thumbDown_ = false;
    bool focused_ = false;
    bool sliding_ = false;
    bool tracking_ = false;
    int timerId_ = 0;
    QPoint trackPoint_;
    int trackZone_ = 0;
    bool constructing_ = true;
};

class TExSlider : public TExCustomSlider {
    Q_OBJECT

public:
    using TExCustomSlider::TExCustomSlider;
};

}  // namespace kordalt
