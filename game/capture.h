// Capture of territory after a won battle, and the end of a state that loses
// its last square.
#pragma once

#include <cstdint>
#include <string>

#include "game/turn_report.h"

namespace kordalt {

// Colour of the chat line that announces a destroyed human state.
constexpr TColor kDestroyedNoticeColor = 0x000380;

// How the end of a human state reaches the windows and the chat; the user
// interface implements it, tests install fakes. Without one, nothing is shown
// or sent (a game without windows or session).
class TCaptureUi {
public:
    virtual ~TCaptureUi() = default;
    // A chat line to every player of the network game, this one included.
    virtual void SendAllMessage(const std::string& text, TColor color) = 0;
    // The local game's defeat sequence for CurrentPlayerName: the turn banner,
    // then the defeat screen on its "lose" page (both modal).
    virtual void ShowLocalDefeat() = 0;
};

TCaptureUi& CaptureUi();
// Installs `ui` (nullptr restores the default); returns the previous one.
TCaptureUi* SetCaptureUi(TCaptureUi* ui);

class ScopedCaptureUi {
public:
    explicit ScopedCaptureUi(TCaptureUi& ui) : previous_(SetCaptureUi(&ui)) {}
    ~ScopedCaptureUi() { SetCaptureUi(previous_); }
    ScopedCaptureUi(const ScopedCaptureUi&) = delete;
    ScopedCaptureUi& operator=(const ScopedCaptureUi&) = delete;

private:
    TCaptureUi* previous_;
};

// Squares an army of `soldiers` under a Kordalt of `speed` takes in one
// victory: a geometric series in single precision, truncated.
int64_t SquaresToCapture(int speed, int32_t soldiers);

// The winner has destroyed the last army defending its front toward the loser:
// squares move to the winner, the loser bears a grudge, and a loser left
// without squares is destroyed. Returns the squares taken.
int32_t CaptureTerritory(uint8_t winner, uint8_t loser);

}  // namespace kordalt
