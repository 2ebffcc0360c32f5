// Pieces the list, grid, spin, switch and slider controls share beyond the
// classic look: further system colours, the focus rectangle and rounding.
#pragma once

#include "controls/classic.h"

class QPainter;

namespace kordalt {

constexpr TColor clHighlight = 0x8000000D, clHighlightText = 0x8000000E, clInactiveCaptionText = 0x80000013;

// The dotted rectangle of the focused item, drawn inverting what lies below.
void DrawFocusRect(QPainter& painter, const TRect& rect);

// Nearest integer, halves to even, saturated to 32 bits.
int RoundToInt(long double x);

}  // namespace kordalt
