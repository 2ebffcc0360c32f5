// Ending the program at once with an exit status and one line on stderr.
#pragma once

#include <functional>
#include <string>

namespace kordalt {

// Thrown by the test hook in place of ending the process.
struct FatalExitCalled {
    int code;
    std::string line;
};

using FatalExitHook = std::function<void(int code, const std::string& line)>;

// Prints `line` to stderr and ends the process with `code` (Linux keeps the low
// 8 bits: 50100 is seen as 180). A hook installed by tests runs instead; if it
// returns, the process still ends.
[[noreturn]] void FatalExit(int code, const std::string& line);

// Replaces the exit; returns the previous hook. An empty hook restores the default.
FatalExitHook SetFatalExitHook(FatalExitHook hook);

// Test helper: installs a hook that throws FatalExitCalled, restores on destruction.
class ScopedFatalExitThrows {
public:
    ScopedFatalExitThrows();
    ~ScopedFatalExitThrows();
    ScopedFatalExitThrows(const ScopedFatalExitThrows&) = delete;
    ScopedFatalExitThrows& operator=(const ScopedFatalExitThrows&) = delete;

private:
    FatalExitHook previous_;
};

}  // namespace kordalt
