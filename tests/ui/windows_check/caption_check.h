// The check of a window as a player sees it: every visible caption of a
// button, label, switch, check box, radio button, group, tab, grid, list and
// chart fits its control (no part of its text is cut off, nothing is shortened
// with an ellipsis), a switch draws its caption, and every caption of an
// enabled control stands out from what lies behind it.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <string>
#include <vector>

namespace kordalt::test {

constexpr double kMinContrast = 3.0;

// The contrast ratio of two colours (1 to 21).
double ContrastRatio(const QColor& a, const QColor& b);

// The contrast of `text` against the pixels of `background` in `area`: the
// ratio that nine in ten of those pixels reach (21 when the area is empty).
double ContrastBehind(const QColor& text, const QImage& background, const QRect& area);

// One line per fault found in `window` (shown, laid out and painted).
std::vector<std::string> CheckCaptions(QWidget& window);

}  // namespace kordalt::test
