#include "session/lobby_launch.h"

#include <charconv>

#include "platform/cp1251.h"

namespace kordalt {
namespace {

std::optional<TLobbyLaunch>& CurrentLaunch() {
    static std::optional<TLobbyLaunch> launch;
    return launch;
}

bool ParsePort(const std::string& text, uint16_t& port) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) return false;
    port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

std::optional<TLobbyLaunch> ParseLobbyLaunch(const std::vector<std::string>& args) {
    TLobbyLaunch launch;
    bool haveCreate = false, haveJoin = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        bool known = option == "--session-create" || option == "--session-join" ||
                     option == "--session-player" || option == "--session-host" || option == "--session-port";
        if (!known) continue;
        if (i + 1 >= args.size()) return std::nullopt;
        const std::string& value = args[++i];
        if (option == "--session-create" || option == "--session-join") {
            (option == "--session-create" ? haveCreate : haveJoin) = true;
            launch.sessionName = Utf8ToCp1251(value);
        } else if (option == "--session-player") {
            launch.playerName = Utf8ToCp1251(value);
        } else if (option == "--session-host") {
            launch.host = value;
        } else if (!ParsePort(value, launch.port)) {
            return std::nullopt;
        }
    }
    if (haveCreate == haveJoin || launch.sessionName.empty() || launch.playerName.empty())
        return std::nullopt;
    launch.create = haveCreate;
    return launch;
}

void SetLobbyLaunch(std::optional<TLobbyLaunch> launch) { CurrentLaunch() = std::move(launch); }

const std::optional<TLobbyLaunch>& LobbyLaunch() { return CurrentLaunch(); }

}  // namespace kordalt
