// The battle phase of a year: every hired Kordalt ages and carries out his
// order (rest, train, fortify or attack). An attack is a battle of up to 20
// rounds between the attacker's army on that front and the army facing it;
// its texts go to the turn report and its lines to the battle chronicle.
#pragma once

namespace kordalt {

// A side's result of a battle: lost, draw, won.
inline constexpr const char* BattleResultTexts[3] = {"0", "0.5", "1"};

// The [Preferences] setting DeadAfterMove of the settings file: Kordalts
// whose life has ended die after the phase instead of before their turn.
bool DeadAfterMove();

// Mastery a Kordalt gains from a battle of `rounds` rounds (half of them, up
// to mastery 100), with an event for his state. The candidate from the
// people gains nothing.
void GainExperience(int slot, int rounds);

// The whole battle phase; advances the battles' progress bar over 201 steps.
void ProcessBattles();

}  // namespace kordalt
