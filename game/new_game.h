// A new game: the map and every state's starting values, then the states
// handed out to the humans and the computer before the year loop starts.
#pragma once

#include <memory>
#include <vector>

#include "game/play_mode.h"
#include "game/squares.h"

namespace kordalt {

// Exit status when the map side is outside 50..100.
constexpr int kBadMapSizeExitCode = 50100;

// Frees the current `Map` and makes `map` current.
void ReplaceMap(std::unique_ptr<TSquares> map);

// A new game world: GUID, map, states, Kordalts, year 1. A local game reads the
// counts from the set-up window; a network game has set GosCount and MapSize.
void GenerateNewGame();

// Positions 1..GosCount (entry p-1) at which a human chooses a state: with
// one human the first, with more each human draws a free position, early
// ones more likely. `humanCount` is at most GosCount.
std::vector<bool> HumanChoicePositions(int humanCount);

// Local game: the humans choose their states in the drawn order, the computer
// takes the rest, and the year loop runs. Stops when a human rejects the
// offered territory.
void HandOutStates();

}  // namespace kordalt
