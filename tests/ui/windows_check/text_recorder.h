// Renders a window the way the screen shows it, but through a paint engine
// that draws everything except text and records each text run instead: what
// it says, where its ink lies, where it was clipped, its colour and the widget
// that drew it. The text-free picture is what lies behind every caption.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <vector>

namespace kordalt::test {

struct TTextRun {
    QString text;
    QRect ink;     // in the window's coordinates
    QRegion clip;  // where the painter could draw, in the window's coordinates
    QColor colour;
    QPointer<QWidget> widget;  // the widget whose paint event drew it
};

struct TRecordedWindow {
    QImage background;  // the window without any text
    std::vector<TTextRun> texts;
};

TRecordedWindow RecordWindow(QWidget& window);

}  // namespace kordalt::test
