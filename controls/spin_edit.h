// A numeric edit whose text is the only store of its value, with a diagonal
// spin button (upper-left half up, lower-right half down, auto-repeat).
#pragma once

#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <array>

class QTimer;

namespace kordalt {

// The button's arrows: 6 x 6 monochrome, black on white.
QImage SpinUpGlyph();
QImage SpinDownGlyph();

class TExSpinButton : public QWidget {
    Q_OBJECT

public:
    enum Half { None, Upper, Lower };

    explicit TExSpinButton(QWidget* parent = nullptr);

    const QImage& UpGlyph() const { return upGlyph_; }
    // A null image reloads the built-in arrow.
    void SetUpGlyph(const QImage& glyph);
    const QImage& DownGlyph() const { return downGlyph_; }
    void SetDownGlyph(const QImage& glyph);
    QWidget* FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget* control) { focusControl_ = control; }
    Half Pressed() const { return pressed_; }
    // The half a point lies in: lower-right below the diagonal, else upper-left.
    Half HalfAt(QPoint p) const;
    // The image drawn for a pressed half.
    QImage FaceImage(Half pressed);

signals:
    void OnTopClick();
    void OnBottomClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetPressed(Half half);
    void FireClick(Half half);
    void RepeatStep();
    bool Inside(QPoint p) const;
    void PrepareImages();

    QImage upGlyph_, downGlyph_;
    std::array<QImage, 3> images_;
    QTimer* repeatTimer_ = nullptr;
    QPointer<QWidget> focusControl_;
    Half pressed_ = None;
    Half lastPressed_ = None;
    bool pressedByMouse_ = false;
    bool redrawNeeded_ = true;
};

enum TValueType { vtInteger, vtFloat, vtHex };
enum TSpinButtonKind { bkStandard, bkDiagonal };
enum TUDBtnType { btNext, btPrev };

// The standard up-down control: two arrow buttons stacked, the upper one "next",
// the lower one "previous"; a press clicks at once and repeats while held. Its
// position (-1..1) moves with a click and returns to 0 at once.
class TExUpDown : public QWidget {
    Q_OBJECT

public:
    explicit TExUpDown(QWidget* parent = nullptr);

    int Position() const { return position_; }
    // The default button width: the scroll bar's width, at most 15.
    static int DefaultWidth(const QWidget& widget);

signals:
    void OnClick(TUDBtnType button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The control moved its position: a click of the matching button, then back to 0.
    void PositionChanged(int position);
    void Repeat();

    QTimer* repeatTimer_;
    int position_ = 0;
    int pressed_ = 0;  // +1 upper, -1 lower, 0 none
    bool busy_ = false;
};

class TExSpinEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TExSpinEdit(QWidget* parent = nullptr);
    ~TExSpinEdit() override;

    long double Value() const;
    void SetValue(long double value);
    int GetSpinIntValue() const;
    void SetSpinIntValue(int value) { SetValue(value); }
    long double MinValue() const { return minValue_; }
    void SetMinValue(long double value) { minValue_ = value; }
    long double MaxValue() const { return maxValue_; }
    void SetMaxValue(long double value) { maxValue_ = value; }
    long double Increment() const { return increment_; }
    void SetIncrement(long double value) { increment_ = value; }
    int Decimal() const { return decimal_; }
    void SetDecimal(quint8 value);
    TValueType ValueType() const { return valueType_; }
    void SetValueType(TValueType value);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool value);
    bool ArrowKeys() const { return arrowKeys_; }
    void SetArrowKeys(bool value) { arrowKeys_ = value; }
    // The diagonal button, or null when the standard kind is shown.
    TExSpinButton* Button() const { return button_; }
    // The up-down, or null when the diagonal kind is shown.
    TExUpDown* UpDown() const { return upDown_; }
    TSpinButtonKind ButtonKind() const { return buttonKind_; }
    void SetButtonKind(TSpinButtonKind value);

    long double ClampToRange(long double value) const;
    virtual bool IsValidSpinChar(QChar key) const;
    virtual void StepUp();
    virtual void StepDown();

signals:
    void OnChange();
    void OnTopClick();
    void OnBottomClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // False when the edit is read-only (a beep, nothing else).
    bool Step(long double delta);
    void CreateButton();
    void PlaceButton();
    QString Format(long double value) const;

    TExSpinButton* button_ = nullptr;
    TExUpDown* upDown_ = nullptr;
    TSpinButtonKind buttonKind_ = bkDiagonal;
    long double minValue_ = 0, maxValue_ = 0, increment_ = 1;
    int decimal_ = 2;
    TValueType valueType_ = vtInteger;
    bool editorEnabled_ = true;
    bool arrowKeys_ = true;
    bool changing_ = false;
};

// Text <-> number the way the spin edit reads and writes it; false when the text
// does not parse (an integer that overflows 32 bits does not).
bool ParseSpinText(const QString& text, TValueType type, long double& value);
QString FormatSpinValue(long double value, TValueType type, int decimals);

}  // namespace kordalt
