// The consistency self-test of the game state, run by the rules between their
// steps. A broken army total or front link shows text 3121 and ends the program.
#pragma once

#include <cstdint>
#include <string>

#include "game/play_mode.h"

namespace kordalt {

// Exit status of the program after a failed self-test.
constexpr int kSelfTestExitCode = 3;

// `label` (cp1251) says where the test was made; it starts the failure messages.
// Does nothing on a network client.
void CheckGameState(const std::string& label);

// The computer player's notice of Kordalts on fronts without soldiers.
void CheckKordaltsWithoutTroops(uint8_t gos, const std::string& label);

}  // namespace kordalt
