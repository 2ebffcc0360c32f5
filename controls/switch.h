// A focusable two-state control drawn as a rocker switch, with an optional
// caption beside, above or below the picture.
#pragma once

#include <QImage>
#include <QKeySequence>
#include <QWidget>
#include <memory>

#include "controls/classic.h"

namespace kordalt {

enum TTextPos { tpNone, tpLeft, tpRight, tpAbove, tpBelow };
enum TBorderStyle { bsNone, bsSingle };

// The built-in pictures, 32 x 48 on magenta (transparent).
QImage SwitchOnImage();
QImage SwitchOffImage();

class TExSwitch : public QWidget {
    Q_OBJECT

public:
    explicit TExSwitch(QWidget* parent = nullptr);
    ~TExSwitch() override;

    bool StateOn() const { return stateOn_; }
    // Fires OnOn or OnOff after storing a changed state, also for program changes.
    void SetStateOn(bool value);
    void ToggleSwitch() { SetStateOn(!stateOn_); }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TTextPos TextPosition() const { return textPosition_; }
    void SetTextPosition(TTextPos value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    QKeySequence ToggleKey() const { return toggleKey_; }
    void SetToggleKey(const QKeySequence& key) { toggleKey_ = key; }
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool value);
    // The parent's colour until one is set.
    TColor Color() const;
    void SetColor(TColor value);
    TColor FontColor() const;
    void SetFontColor(TColor value);
    const QImage& GlyphOn() const { return glyphOn_; }
    const QImage& GlyphOff() const { return glyphOff_; }
    // A null image restores the built-in picture.
    void SetGlyphOn(const QImage& image);
    void SetGlyphOff(const QImage& image);
    // Top-left of the picture for the current size and text position.
    QPoint PicturePos() const;

signals:
    void OnOn();
    void OnOff();
    void OnClick();
    void OnMouseDown(Qt::MouseButton button, int x, int y);
    void OnMouseUp(Qt::MouseButton button, int x, int y);

protected:
    virtual void DoSwitchOn() { emit OnOn(); }
    virtual void DoSwitchOff() { emit OnOff(); }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const QImage& Picture() const;

    QImage glyphOn_, glyphOff_;
    QImage grayedOn_, grayedOff_;  // made when a picture changes
    QString caption_;
    std::unique_ptr<CaptionAccelerator> accelerator_;
    QKeySequence toggleKey_{Qt::Key_Space};
    TTextPos textPosition_ = tpNone;
    TBorderStyle borderStyle_ = bsNone;
    bool stateOn_ = false;
    bool showFocus_ = true;
    bool focused_ = false;
};

}  // namespace kordalt
