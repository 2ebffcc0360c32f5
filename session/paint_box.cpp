#include "session/paint_box.h"

#include <QPainter>
#include <algorithm>

#include "platform/arith.h"

namespace kordalt {

TCustomDibPaintBox::TCustomDibPaintBox(QWidget* parent) : QWidget(parent) { resize(105, 105); }

void TCustomDibPaintBox::SetOption(bool& option, bool value) {
    if (option == value) return;
    option = value;
    update();
}

void TCustomDibPaintBox::SetViewSide(int& side, int value) {
    value = std::max(value, 0);
    if (side == value) return;
    side = value;
    update();
}

void TCustomDibPaintBox::SetDIB(const TDIB* dib) {
    if (dib == &dib_) return;
    dib_.Assign(dib);
    update();
}

void TCustomDibPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Paint(painter);
}

void TCustomDibPaintBox::DrawDIBSized(QPainter& painter, int width, int height) {
    const int x = center_ ? (this->width() - width) / 2 : 0;
    const int y = center_ ? (this->height() - height) / 2 : 0;
    dib_.Draw(painter, QRect(x, y, width, height));
}

void TCustomDibPaintBox::DrawFitted(QPainter& painter, int width, int height) {
    const float ratio = std::min(static_cast<float>(this->width()) / static_cast<float>(width),
                                 static_cast<float>(this->height()) / static_cast<float>(height));
    DrawDIBSized(painter, static_cast<int>(Round(static_cast<long double>(width) * ratio)),
                 static_cast<int>(Round(static_cast<long double>(height) * ratio)));
}

void TCustomDibPaintBox::Paint(QPainter& painter) {
    if (dib_.Empty()) return;
    const int clientWidth = width(), clientHeight = height();
    if (viewWidth_ > 0 || viewHeight_ > 0) {
        const int w = viewWidth_ > 0 ? viewWidth_ : dib_.Width();
        const int h = viewHeight_ > 0 ? viewHeight_ : dib_.Height();
        if (autoStretch_ && (w > clientWidth || h > clientHeight))
            DrawFitted(painter, w, h);
        else
            DrawDIBSized(painter, w, h);
    } else if (autoStretch_) {
        if (clientWidth < dib_.Width() || clientHeight < dib_.Height())
            DrawFitted(painter, dib_.Width(), dib_.Height());
        else
            DrawDIBSized(painter, dib_.Width(), dib_.Height());
    } else if (stretch_) {
        if (keepAspect_)
            DrawFitted(painter, dib_.Width(), dib_.Height());
        else
            DrawDIBSized(painter, clientWidth, clientHeight);
    } else {
        DrawDIBSized(painter, dib_.Width(), dib_.Height());
    }
}

}  // namespace kordalt
