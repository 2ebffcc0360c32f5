#include "platform/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace kordalt {
namespace {
std::mutex hookMutex;
FatalExitHook& Hook() {
    static FatalExitHook hook;
    return hook;
}
}  // namespace

void FatalExit(int code, const std::string& line) {
    FatalExitHook hook;
    {
        std::lock_guard lock(hookMutex);
        hook = Hook();
    }
    if (hook) hook(code, line);
    std::fprintf(stderr, "kordalt: %s (exit code %d)\n", line.c_str(), code);
    std::fflush(stderr);
    std::_Exit(code);
}

FatalExitHook SetFatalExitHook(FatalExitHook hook) {
    std::lock_guard lock(hookMutex);
    return std::exchange(Hook(), std::move(hook));
}

ScopedFatalExitThrows::ScopedFatalExitThrows()
    : previous_(SetFatalExitHook([](int code, const std::string& line) {
          throw FatalExitCalled{code, line};
      })) {}

ScopedFatalExitThrows::~ScopedFatalExitThrows() { SetFatalExitHook(std::move(previous_)); }

}  // namespace kordalt
