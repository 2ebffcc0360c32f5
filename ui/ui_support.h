// Plumbing every window shares: text conversion at the user-interface edge,
// the one message box, the one modal runner with the activation handlers of the
// windows beneath, and the game's message and progress interface on top of them.
#pragma once

#include <QPoint>
#include <QString>
#include <exception>
#include <functional>
#include <string>

#include "controls/message_box.h"
#include "game/ui_hooks.h"

class QDialog;
class QFileDialog;
class QObject;
class QWidget;

namespace kordalt {

// cp1251 text of the program <-> Qt text.
QString Qs(const std::string& cp1251);
std::string Cs(const QString& text);

// A file dialog's filter from the stored form "description|pattern|...": a
// description that does not show its patterns gets them in brackets.
QString DialogFilter(const QString& stored);

// Qt's own texts (file dialogs, standard buttons) in Russian; false when the
// translation is not installed.
bool InstallQtTranslations();

// Makes `dialog` Qt's own file dialog whose list of places and columns of
// files grow to what they show, whenever a folder is read.
void FitFileDialog(QFileDialog& dialog);

// ---- Message boxes ----

// Shows a modal message box over the top window and returns the button pressed;
// a box closed without a button gives No for a confirmation, else Ok. Afterwards
// the activation handler of the window beneath runs.
TMsgButton ShowMessageBox(TMsgType type, const QString& text);
// The confirmation box: true for Yes.
bool AskYesNo(const QString& text);

// The application's exception handler: one error box in Russian, and the
// program goes on. Errors written for the player show their own text; any
// other shows a general text, its own on stderr.
void ShowApplicationError(QObject* sender, std::exception_ptr error);

// ---- Modal windows and activation ----

// Registers the handler that runs when a dialog or box over `window` closes
// (an empty handler removes it). It is forgotten when the window is destroyed.
void SetActivationHandler(QWidget* window, std::function<void()> handler);
// Runs the activation handler of `window`, when it has one.
void ActivateWindow(QWidget* window);

// The window a new dialog or box opens over: the innermost dialog that ExecModal
// runs, else the application's active window, else the main menu when it is
// shown (may be nullptr).
QWidget* TopWindow();

// Puts the client area of the top-level `window` at `topLeft` (screen
// coordinates). Windows are placed by their client areas, never by their
// frames: a window manager's frame is known only once a window has been
// shown, so placing by the frame shifts a window by the frame's size
// depending on whether it was shown before.
void MoveWindowTo(QWidget& window, QPoint topLeft);

// Centres `dialog` over the window `beneath` (nothing when it is null or the
// dialog itself), with the dialog's frame inside that window's screen.
void PlaceOver(QWidget& dialog, const QWidget* beneath);

// The main menu's window, shown or hidden: every full-screen window stands
// where it stands. Else the active window (may be nullptr).
QWidget* MainWindow();

// Runs `dialog` modally and returns its result; afterwards the activation
// handler of the window beneath runs.
int ExecModal(QDialog& dialog);

// Tests run modal dialogs: while a hook is installed ExecModal hands it the
// dialog instead of running a modal loop, and returns the hook's result.
using TModalHook = std::function<int(QDialog& dialog)>;
class ScopedModalHook {
public:
    explicit ScopedModalHook(TModalHook hook);
    ~ScopedModalHook();
    ScopedModalHook(const ScopedModalHook&) = delete;
    ScopedModalHook& operator=(const ScopedModalHook&) = delete;

private:
    TModalHook previous_;
};

// The hourglass for the life of the object (a wait on the network, say).
class ScopedBusyCursor {
public:
    ScopedBusyCursor();
    ~ScopedBusyCursor();
    ScopedBusyCursor(const ScopedBusyCursor&) = delete;
    ScopedBusyCursor& operator=(const ScopedBusyCursor&) = delete;
};

// ---- The game's interface ----

// The game's message boxes and progress bars. Progress goes to the handlers
// that the window showing the bars installs; without them it is dropped.
class TQtGameUi final : public TGameUi {
public:
    void ShowMessage(const std::string& text) override;
    void StartProgress(TProgressBar bar, int max) override;
    void SetProgress(TProgressBar bar, int position) override;

    std::function<void(TProgressBar bar, int max)> OnStartProgress;
    std::function<void(TProgressBar bar, int position)> OnSetProgress;
};

// The one instance; the program installs it with SetGameUi(&QtGameUi()).
TQtGameUi& QtGameUi();

}  // namespace kordalt
