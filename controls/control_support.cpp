#include "controls/control_support.h"

#include <QPainter>

#include "platform/arith.h"

namespace kordalt {

void DrawFocusRect(QPainter& painter, const TRect& rect) {
    if (rect.IsEmpty()) return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (int x = rect.left; x < rect.right; x += 2) {
        painter.fillRect(x, rect.top, 1, 1, Qt::white);
        if (rect.bottom - 1 > rect.top) painter.fillRect(x, rect.bottom - 1, 1, 1, Qt::white);
    }
    for (int y = rect.top + 2; y < rect.bottom - 1; y += 2) {
        painter.fillRect(rect.left, y, 1, 1, Qt::white);
        if (rect.right - 1 > rect.left) painter.fillRect(rect.right - 1, y, 1, 1, Qt::white);
    }
    painter.restore();
}

int RoundToInt(long double x) { return SaturateI32(Round(x)); }

}  // namespace kordalt
