// Control makers shared by the lobby and the waiting window.
#pragma once

#include <QRect>

class QLabel;
class QLineEdit;
class QObject;
class QTextEdit;
class QWidget;

namespace kordalt {

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& r);
// A read-only chat or text pane without a scroll bar.
QTextEdit* MakePane(QWidget* parent, const char* name, const QRect& r);
// The line a chat message is typed in; `keys` sees its key presses first.
QLineEdit* MakeChatInput(QWidget* parent, const QRect& r, QObject* keys);

}  // namespace kordalt
