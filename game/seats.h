// Who plays each state of a network game: the players dealt or seated, and
// states that go to the computer when their player leaves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kordalt {

struct TSeatedPlayer {
    uint32_t id;       // session player id
    std::string name;  // program text
};

// Each player, in order, gets a state drawn at random among those nobody
// holds, named after him (cut to 13 characters); then every state is in play
// and the fronts are checked. False, with nothing dealt, when there are fewer
// free states than players.
bool DealStatesAtRandom(const std::vector<TSeatedPlayer>& players);

// Every state of `playerId` is played by the computer from now on; a living
// one loses its player's name.
void GiveStatesToComputer(uint32_t playerId);

// The state `playerId` holds (the last one when several) becomes the current
// one; the current state stays when he holds none.
void SelectPlayersState(uint32_t playerId);

}  // namespace kordalt
