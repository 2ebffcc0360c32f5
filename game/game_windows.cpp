#include "game/game_windows.h"

#include <utility>

namespace kordalt {
namespace {

TInertGameWindows noWindows;
TGameWindows* installedWindows = nullptr;

}  // namespace

TGameWindows& GameWindows() { return installedWindows ? *installedWindows : noWindows; }

TGameWindows* SetGameWindows(TGameWindows* windows) { return std::exchange(installedWindows, windows); }

}  // namespace kordalt
