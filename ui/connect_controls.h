// Control makers shared by the lobby and the waiting window.
#pragma once

#include <QRect>
#include <QWidget>

class QLabel;
class QLineEdit;
class QObject;
class QTextEdit;

namespace kordalt {

class TExCheckListBox;

// A control of `parent` with its object name and place.
template <class Control>
Control* MakeControl(QWidget* parent, const char* name, const QRect& r) {
    auto* control = new Control(parent);
    control->setObjectName(name);
    control->setGeometry(r);
    return control;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& r);
// A read-only chat or text pane without a scroll bar.
QTextEdit* MakePane(QWidget* parent, const char* name, const QRect& r);
// The line a chat message is typed in; `keys` sees its key presses first.
QLineEdit* MakeChatInput(QWidget* parent, const QRect& r, QObject* keys);
// The list of the session's players, ticked when ready or done; the player cannot change it.
TExCheckListBox* MakePlayerList(QWidget* parent, const QRect& r, int columns);

}  // namespace kordalt
