// A windowless label that draws its caption over a drop shadow.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "controls/classic.h"

namespace kordalt {

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

// Draws the text in the shadow colour moved by `shadowSize` towards `position`,
// then in the painter's pen colour in place. `rect` becomes the union of both;
// returns the text height plus the shadow size (0 for no text).
int DrawShadowedText(QPainter& painter, const QString& text, TRect& rect, unsigned format, int shadowSize,
                     TColor shadowColour, TShadowPosition position);

class TExCustomLabel : public QWidget {
    Q_OBJECT

public:
    explicit TExCustomLabel(QWidget* parent = nullptr);
    ~TExCustomLabel() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor value);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(quint8 value);
    TShadowPosition ShadowPos() const { return shadowPos_; }
    void SetShadowPos(TShadowPosition value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool value);
    QWidget* FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget* control);
    bool Transparent() const { return !testAttribute(Qt::WA_OpaquePaintEvent); }
    void SetTransparent(bool value);
    // The background (the palette's window colour, inherited from the parent until set).
    TColor Color() const;
    void SetColor(TColor value);
    TColor FontColor() const;
    void SetFontColor(TColor value);
    bool MouseInside() const { return mouseInside_; }

signals:
    void OnClick();
    void OnMouseDown(Qt::MouseButton button, int x, int y);
    void OnMouseUp(Qt::MouseButton button, int x, int y);
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    virtual TColor LabelFontColor() const { return FontColor(); }
    virtual QString LabelText() const { return caption_; }
    virtual void DoMouseEnter() { emit OnMouseEnter(); }
    virtual void DoMouseLeave() { emit OnMouseLeave(); }
    void DrawLabelText(QPainter& painter, TRect& rect, unsigned flags);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void AdjustLabelBounds();
    void CheckMouseInside();
    void SetMouseInside(bool inside);
    void FocusChanged(QWidget* now);
    void UpdateAccelerator();

    QString caption_;
    QPointer<QWidget> focusControl_;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    TTextLayout layout_ = tlTop;
    TColor shadowColor_ = clBtnHighlight;
    quint8 shadowSize_ = 1;
    TShadowPosition shadowPos_ = spLeftTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool showFocus_ = false;
    bool focused_ = false;
    bool mouseInside_ = false;
    bool pressedByMouse_ = false;
    int leftMargin_ = 0;
    int rightMargin_ = 0;
    std::unique_ptr<CaptionAccelerator> accelerator_;
};

class TExLabel : public TExCustomLabel {
    Q_OBJECT

public:
    using TExCustomLabel::TExCustomLabel;
};

}  // namespace kordalt
