// The pool of 201 Kordalts: re-rolling a slot into a fresh Kordalt for hire,
// and the price of hiring one.
#pragma once

#include <cstdint>

namespace kordalt {

// Re-rolls slot 1..201 in place: he leaves his front and is for hire. Age and
// Mark are left for the hiring code.
void InitKordalt(int slot);

// Price in money units of a Kordalt of these attributes on the current map
// (an age below 1 counts as 1).
int64_t KordaltPrice(int age, int mastery, int mark, int speed);

// The slot a state hires into: the first of gos, gos + 20, ..., gos + 180
// that nobody owns; 0 when all are taken.
int FreeKordaltSlot(uint8_t gos);

}  // namespace kordalt
