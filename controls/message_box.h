// The one message box of the program, and the hook through which tests answer it.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kordalt {

enum class TMsgType {
    Plain,         // text and OK, no icon
    Information,   // OK
    Warning,       // OK
    Error,         // OK
    Confirmation,  // Yes and No
};

enum class TMsgButton { Ok, Yes, No };

// Shows a modal message box over `parent` and returns the button pressed; a box
// closed without a button gives No for a confirmation, else Ok.
TMsgButton RunMessageBox(TMsgType type, const QString& text, QWidget* parent);

// Tests answer the boxes: while a hook is installed it gets every box instead of
// the screen and its answer is taken as the button pressed.
using TMessageBoxHook = std::function<TMsgButton(TMsgType type, const QString& text)>;
class ScopedMessageBoxHook {
public:
    explicit ScopedMessageBoxHook(TMessageBoxHook hook);
    ~ScopedMessageBoxHook();
    ScopedMessageBoxHook(const ScopedMessageBoxHook&) = delete;
    ScopedMessageBoxHook& operator=(const ScopedMessageBoxHook&) = delete;

private:
    TMessageBoxHook previous_;
};

}  // namespace kordalt
