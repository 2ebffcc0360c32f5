// A network game started from the command line: the session to create or
// join and the player's name, in place of a lobby application's settings.
//
//   --session-create NAME | --session-join NAME
//   --session-player NAME
//   [--session-host HOST] [--session-port PORT]
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kordalt {

struct TLobbyLaunch {
    bool create = false;
    std::string sessionName;  // program text (cp1251), from the UTF-8 arguments
    std::string playerName;
    std::string host;   // empty: the service's own choice (broadcast when joining)
    uint16_t port = 0;  // 0: the service's port
    bool operator==(const TLobbyLaunch&) const = default;
};

// The launch among the program's arguments; nullopt when there is none or it
// is incomplete or malformed (no player name, both create and join, a bad port).
// Other arguments are ignored.
std::optional<TLobbyLaunch> ParseLobbyLaunch(const std::vector<std::string>& args);

// The launch the session component opens with; set once at start-up.
void SetLobbyLaunch(std::optional<TLobbyLaunch> launch);
const std::optional<TLobbyLaunch>& LobbyLaunch();

}  // namespace kordalt
