// The gate of the game tables: everything from a file or a peer passes it
// before it is committed. It checks every index, count and divisor field and
// every invariant the consistency self-test checks, so that a state it accepts
// can never make the self-test end the program.
#pragma once

#include <cstdint>
#include <vector>

#include "game/game_state.h"
#include "game/owner_grid.h"
#include "platform/checked.h"

namespace kordalt {

enum class TBreachKind {
    NegativeFrontSoldiers,   // a front's troops of one type below 0 (a notice)
    ArmyTotal,               // Soldiers is not Reserve plus every front's troops
    NegativePeasants,        // a notice
    NegativeFreeScientists,  // a notice
    FrontLink,               // a front's Kordalt does not record that front
};

// One broken invariant of the self-test.
struct TInvariantBreach {
    TBreachKind Kind;
    int Gos = 0;
    int Front = 0;          // NegativeFrontSoldiers, FrontLink
    int64_t Soldiers = 0;   // ArmyTotal: the recorded total,
    int64_t Total = 0;      //   Reserve plus the fronts,
    int64_t FrontSum = 0;   //   the fronts alone
    int RecordedFront = 0;  // FrontLink: the front the Kordalt records, 0 without one
};

// The last year a state may be in. A game goes on from a state by computing
// its year, so a saved game or a state to play is before the last year; only a
// network game's final year result (the game is over) is in the last year.
enum class TYearLimit {
    BeforeLast,  // 1..YearCount-1
    GameOver,    // 1..YearCount
};

enum class TLinkScope {
    ActiveFronts,  // neighbour fronts and the home front, as the self-test looks
    AllFronts,     // every front toward a state of the game, as the gate looks
};

// The breaches of `s` counting troop types 1..troopTypes, in the self-test's
// order: the armies state by state (stopping after the first total that does
// not add up), the people, then the front links.
std::vector<TInvariantBreach> FindInvariantBreaches(const GameState& s, int troopTypes, TLinkScope scope);

// Accepts tables that may be committed; refuses with the first field out of
// range or the first broken invariant (the troop types of the rules data in
// use, or `troopTypes`). A link is checked on every front, since a front
// that is no neighbour now may become one.
TChecked<> ValidateGameState(const GameState& s, TYearLimit years = TYearLimit::BeforeLast);
TChecked<> ValidateGameState(const GameState& s, int troopTypes);

// Every index of `s`, and the invariants of state `gos` only: one state's
// record (and its Kordalts) as a client's state or a year result brings it,
// beside the other states' records that the message leaves as they were.
TChecked<> ValidateStateRecord(const GameState& s, int gos, TYearLimit years = TYearLimit::BeforeLast);

// ValidateGameState and the owner grid of the map.
TChecked<> ValidateGame(const GameState& s, const TOwnerGrid& grid,
                        TYearLimit years = TYearLimit::BeforeLast);

}  // namespace kordalt
