// An automatic player of a network game: the real session, lobby messages and
// network year loop, with the windows replaced by a player who readies at
// once and passes every turn (the computer plays his state).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kordalt {

struct NetPlayerOptions {
    bool create = false;
    std::string session;
    std::string bind;
    uint16_t port = 0;  // 0: the service's port
    std::string player;
    int players = 2;  // the server starts when this many are in
    int states = 4;
    int side = 50;
    int years = 0;  // 0: to the end of the game
    uint64_t seed = 0;
    bool seedSet = false;
    int turnSeconds = 0;  // how long each turn lasts
    std::string listing;  // the listing server of an Internet game
    // A server that computed this year dies (SIGKILL) once its result went to
    // dieAfter players; 0: it lives.
    int dieYear = 0;
    int dieAfter = 0;
    // The server plays this saved network game, its states held by the
    // session's players of their names.
    std::string load;
    // A chat line sent to all at the start of every own turn.
    std::string chat;
};

// The options, or nullopt with `error` set.
std::optional<NetPlayerOptions> ParseNetPlayerOptions(const std::vector<std::string>& args,
                                                      std::string& error);

// Plays one game; the exit status (0: the game ended or the years were played).
// A failure writes a one-line reason to stderr.
int RunNetPlayer(const NetPlayerOptions& options);

}  // namespace kordalt
