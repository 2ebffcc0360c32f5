// The push button of the game windows: a windowless button painted through an
// off-screen image, with a flat and a transparent look, exclusive groups,
// auto-repeat, a drop-down menu and mouse enter/leave events.
#pragma once

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "controls/button_glyph.h"
#include "controls/classic.h"

class QTimer;

namespace kordalt {

enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TExDropDownMenuPos { dmpBottom, dmpRight };

// Draws the button frame and returns the face rectangle inside it.
TRect DrawSpeedButtonFrame(QPainter& canvas, const TRect& client, bool isDown, TButtonStyle style, bool flat);

class TExSpeedButton : public QWidget {
    Q_OBJECT

public:
    explicit TExSpeedButton(QWidget* parent = nullptr);
    ~TExSpeedButton() override;

    TAlignment Alignment() const { return glyph_->Alignment(); }
    void SetAlignment(TAlignment value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    bool AllowTimer() const { return allowTimer_; }
    void SetAllowTimer(bool value);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Down() const { return down_; }
    void SetDown(bool value);
    QMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(QMenu* menu);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    const QImage& Glyph() const { return glyph_->Glyph(); }
    void SetGlyph(const QImage& bitmap);
    bool GrayedInactive() const { return grayedInactive_; }
    void SetGrayedInactive(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    quint16 InitPause() const { return initPause_; }
    void SetInitPause(quint16 milliseconds) { initPause_ = milliseconds; }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return margin_; }
    void SetMargin(int value);
    bool MarkDropDown() const { return markDropDown_; }
    void SetMarkDropDown(bool value);
    TExDropDownMenuPos MenuPosition() const { return menuPosition_; }
    void SetMenuPosition(TExDropDownMenuPos value) { menuPosition_ = value; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    TExNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
    // Values above 5 become 5.
    void SetNumGlyphs(TExNumGlyphs value);
    quint16 RepeatInterval() const { return repeatInterval_; }
    void SetRepeatInterval(quint16 milliseconds) { repeatInterval_ = milliseconds; }
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool WordWrap() const { return glyph_->WordWrap(); }
    void SetWordWrap(bool value);
    TColor FontColor() const;
    void SetFontColor(TColor value);

    TExButtonDrawState State() const { return state_; }
    bool MouseInside() const { return mouseInside_; }
    TExButtonGlyph& ButtonGlyph() { return *glyph_; }
    QPoint DropDownMenuPoint() const;

    // Gives the form this button's modal result, then fires OnClick.
    virtual void Click();

signals:
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, int x, int y);
    void OnMouseUp(Qt::MouseButton button, int x, int y);
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    virtual void DrawFace(QPainter& canvas, const TRect& rect, TExButtonDrawState state, bool withMark);
    virtual void DoMouseEnter() { emit OnMouseEnter(); }
    virtual void DoMouseLeave() { emit OnMouseLeave(); }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Press(QMouseEvent* event);
    void FinishPress(Qt::MouseButton button, QPoint at);
    void CheckMouseInside();
    void SetMouseInside(bool inside);
    void NotifyGroup();
    void GroupNotice(int groupIndex, TExSpeedButton* sender);
    void RepeatTick();
    bool PopDropDownMenu(QPoint at, bool manual);
    void BuildCurrentImage();

    std::unique_ptr<TExButtonGlyph> glyph_;
    std::unique_ptr<CaptionAccelerator> accelerator_;
    QImage drawImage_;
    QTimer* repeatTimer_ = nullptr;
    QPointer<QMenu> dropDownMenu_;
    QString caption_;
    TExButtonDrawState state_ = bdsUp;
    TButtonLayout layout_ = blGlyphTop;
    TButtonStyle style_ = bsAutoDetect;
    TExDropDownMenuPos menuPosition_ = dmpBottom;
    int groupIndex_ = 0;
    int margin_ = -1;
    int spacing_ = 1;
    int modalResult_ = 0;
    quint16 initPause_ = 500;
    quint16 repeatInterval_ = 100;
    bool allowAllUp_ = false;
    bool allowTimer_ = false;
    bool down_ = false;
    bool flat_ = false;
    bool grayedInactive_ = true;
    bool markDropDown_ = true;
    bool transparent_ = false;
    bool pressedByMouse_ = false;
    bool mouseInside_ = false;
    bool menuTracking_ = false;
};

}  // namespace kordalt
