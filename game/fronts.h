// Fronts and armies: keeping the fronts consistent with the map, moving
// soldiers between the reserve and the fronts, and the counting helpers the
// rules share. Invariant kept: Soldiers = Reserve + the soldiers of all fronts.
#pragma once

#include <cstdint>

namespace kordalt {

// True when any of the GosCount states, living or not, has a player.
bool HasHumanPlayers();

// Recomputes neighbour flags and counts, territories and the living-state
// count from the map; releases Kordalts of vanished fronts and moves their
// soldiers to the reserve. Runs the self-test before and after.
void CheckFronts();

// Exchanges the soldiers and the Kordalt of a front with the home front.
void SwapWithHomeFront(uint8_t gos, uint8_t front);

// Takes the front's soldiers back to the reserve and deals their number plus
// `count` from the reserve over troop types 1..min(3, TroopTypeCount) in turn.
void SetFrontSoldiers(uint8_t gos, uint8_t front, int32_t count);

// Every troop type's soldiers of the front go back to the reserve.
void MoveFrontToReserve(uint8_t gos, uint8_t front);

int32_t FrontSoldiers(uint8_t gos, uint8_t front);
int32_t Population(uint8_t gos);
int64_t TruncMul(int32_t x, double y);
// Fields the state can still sow this year; never negative.
int64_t FieldsToSow(uint8_t gos);

}  // namespace kordalt
