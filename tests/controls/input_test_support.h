// Mouse events with explicit button states, for controls that track presses.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace kordalt::test {

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                      Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void Press(QWidget* target, QPoint at) { SendMouse(target, QEvent::MouseButtonPress, at); }
inline void MoveHeld(QWidget* target, QPoint at) { SendMouse(target, QEvent::MouseMove, at, Qt::NoButton); }
inline void Release(QWidget* target, QPoint at) {
    SendMouse(target, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void Click(QWidget* target, QPoint at) {
    Press(target, at);
    Release(target, at);
}

}  // namespace kordalt::test
