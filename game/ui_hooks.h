// How the rules reach the user interface: message boxes and the progress bars
// of the set-up window. The windows implement TGameUi; tests install fakes.
#pragma once

#include <string>

namespace kordalt {

enum class TProgressBar { Battles, ComputerTurns };

class TGameUi {
public:
    virtual ~TGameUi() = default;
    // A modal message box; `text` is cp1251. Returns when the user closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // Makes a progress bar visible with range 0..max, at position 0.
    virtual void StartProgress(TProgressBar bar, int max) = 0;
    virtual void SetProgress(TProgressBar bar, int position) = 0;
};

// The installed interface. Without one, messages go to stderr (as UTF-8) and
// progress is dropped.
TGameUi& GameUi();
// Installs `ui` (nullptr restores the default); returns the previous one.
TGameUi* SetGameUi(TGameUi* ui);

// Shorthand for GameUi().ShowMessage(text).
void ShowMessage(const std::string& text);

// Installs `ui` for a scope.
class ScopedGameUi {
public:
    explicit ScopedGameUi(TGameUi& ui) : previous_(SetGameUi(&ui)) {}
    ~ScopedGameUi() { SetGameUi(previous_); }
    ScopedGameUi(const ScopedGameUi&) = delete;
    ScopedGameUi& operator=(const ScopedGameUi&) = delete;

private:
    TGameUi* previous_;
};

}  // namespace kordalt
