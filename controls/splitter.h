// A thin bar between two aligned controls of one parent: dragging it shows an
// inverted line over the form and, on release, resizes one of the controls.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "controls/align_layout.h"
#include "controls/classic.h"

namespace kordalt {

class TExSplitter;

// Asked on every move of the bar and on release: may it move to (x, y)?
using TSplitterMoveEvent = std::function<void(TExSplitter* sender, int x, int y, bool& allowChange)>;

class TExSplitter : public QWidget {
    Q_OBJECT

public:
    explicit TExSplitter(QWidget* parent = nullptr);
    ~TExSplitter() override;

    QWidget* ControlFirst() const { return controlFirst_; }
    // The bar itself and top-level windows are refused (stored as none).
    void SetControlFirst(QWidget* control);
    QWidget* ControlSecond() const { return controlSecond_; }
    void SetControlSecond(QWidget* control);
    TAlign Align() const { return ControlAlign(this); }
    void SetAlign(TAlign align);
    int TopLeftLimit() const { return topLeftLimit_; }
    void SetTopLeftLimit(int value) { topLeftLimit_ = value; }
    int BottomRightLimit() const { return bottomRightLimit_; }
    void SetBottomRightLimit(int value) { bottomRightLimit_ = value; }

    // 1 resizes the first control's height, 2 the second's, 3 the first's
    // width, 4 the second's; 0 does nothing.
    int ResizeStyle() const;
    bool Active() const { return active_; }
    // Where the drag line was drawn last, in the bar's window's coordinates.
    QLine DragLine() const;

    TSplitterMoveEvent OnPosChanging;

signals:
    void OnPosChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class DragOverlay;

    void UpdateCursor();
    bool Refused(QWidget* control) const;
    // Clamps (x, y) so that the bar stays inside the limits; true when the
    // coordinate that matters for the style changed.
    bool ClampPosition(int& x, int& y) const;
    void DrawLine(int x, int y);
    void StopSizing(int x, int y, bool apply);
    void SetNoDrop(bool noDrop);
    void ResizeControl(QWidget* control, int delta, bool heights);

    QPointer<QWidget> controlFirst_, controlSecond_;
    std::unique_ptr<DragOverlay> overlay_;
    int topLeftLimit_ = 20, bottomRightLimit_ = 20;
    bool active_ = false;
    bool noDrop_ = false;
    int style_ = 0;
    QPoint down_;
    TRect limits_;      // in the bar's coordinates
    int lastLine_ = 0;  // screen coordinate of the line across the drag direction
};

}  // namespace kordalt
