#include "tools/listing_server.h"

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "multiplayer/web_protocol.h"
#include "platform/support.h"

namespace kordalt {
namespace {

struct Player {
    std::string Name;
    std::string Password;
    float Rating = 0;  // one point per game won
};

struct Game {
    std::string Name;
    std::string Id;
    std::string Address;
    int Year = 0;
    std::string Language;
    std::vector<std::string> Players;
};

// Names and ids compare without regard to ASCII case.
std::string Key(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A list reply never comes back empty, which the client would take for a failed connection.
std::string ListOrNone(const std::string& list) { return list.empty() ? "none" : list; }

}  // namespace

struct ListingServer::State {
    std::mutex mutex;
    std::map<std::string, Player> players;  // by Key(name)
    std::vector<Game> games;                // in order of creation
    httplib::Server http;
    std::thread thread;

    Game* FindGame(const std::string& id) {
        auto it =
            std::find_if(games.begin(), games.end(), [&](const Game& g) { return Key(g.Id) == Key(id); });
        return it == games.end() ? nullptr : &*it;
    }
    // "ok", "error_player" or "error_password".
    std::string CheckPlayer(const std::string& name, const std::string& password) const {
        auto it = players.find(Key(name));
        if (it == players.end()) return "error_player";
        return it->second.Password == password ? "ok" : "error_password";
    }

    std::string GameList(const std::vector<std::string>& f);
    std::string PlayerNew(const std::vector<std::string>& f);
    std::string PlayerCheck(const std::vector<std::string>& f) {
        return f.size() == 3 ? CheckPlayer(f[1], f[2]) : "error";
    }
    std::string GameCreate(const std::vector<std::string>& f);
    std::string GameUpdate(const std::vector<std::string>& f);
    std::string GameUserUpdate(const std::vector<std::string>& f);
    std::string GameUserDelete(const std::vector<std::string>& f);
    std::string GameDestroy(const std::vector<std::string>& f);
    std::string CanBreakPlayer(const std::vector<std::string>& f);
    std::string GameUserList(const std::vector<std::string>& f);
    std::string GameEnd(const std::vector<std::string>& f);
};

std::string ListingServer::State::GameList(const std::vector<std::string>& f) {
    if (f.size() != 2 || f[1] != WebProtocolVersion) return "error version";
    std::string list;
    for (const Game& g : games)
        list += g.Name + ";" + g.Id + ";" + g.Address + ";" + std::to_string(g.Year) + ";" + g.Language +
                ";" + std::to_string(g.Players.size()) + "~";
    return ListOrNone(list);
}

std::string ListingServer::State::PlayerNew(const std::vector<std::string>& f) {
    if (f.size() != 3 || !IsValidNetName(f[1]) || players.count(Key(f[1]))) return "error";
    players[Key(f[1])] = {f[1], f[2]};
    return "ok";
}

std::string ListingServer::State::GameCreate(const std::vector<std::string>& f) {
    if (f.size() != 7) return "error";
    const std::string check = CheckPlayer(f[4], f[5]);
    if (check != "ok") return check;
    const bool taken =
        std::any_of(games.begin(), games.end(), [&](const Game& g) { return Key(g.Name) == Key(f[1]); });
    if (taken || f[1].empty() || FindGame(f[2])) return "error_game";
    games.push_back({f[1], f[2], f[3], 0, f[6], {}});
    return "ok";
}

std::string ListingServer::State::GameUpdate(const std::vector<std::string>& f) {
    Game* g = f.size() == 5 ? FindGame(f[1]) : nullptr;
    if (!g) return "error";
    g->Address = f[2];
    g->Year = DigitsToInt(f[3]);
    g->Language = f[4];
    return "ok";
}

std::string ListingServer::State::GameUserUpdate(const std::vector<std::string>& f) {
    Game* g = f.size() == 4 ? FindGame(f[1]) : nullptr;
    if (!g || f[2].empty()) return "error";
    auto& list = g->Players;
    if (std::none_of(list.begin(), list.end(), [&](const std::string& p) { return Key(p) == Key(f[2]); }))
        list.push_back(f[2]);
    return "ok";
}

std::string ListingServer::State::GameUserDelete(const std::vector<std::string>& f) {
    Game* g = f.size() == 3 ? FindGame(f[1]) : nullptr;
    if (!g) return "error";
    std::erase_if(g->Players, [&](const std::string& p) { return Key(p) == Key(f[2]); });
    return "ok";
}

std::string ListingServer::State::GameDestroy(const std::vector<std::string>& f) {
    const Game* g = f.size() == 2 ? FindGame(f[1]) : nullptr;
    if (!g) return "error";
    games.erase(games.begin() + (g - games.data()));
    return "ok";
}

// A player may be dropped when he is listed in the game.
std::string ListingServer::State::CanBreakPlayer(const std::vector<std::string>& f) {
    const Game* g = f.size() == 3 ? FindGame(f[1]) : nullptr;
    if (!g) return "0";
    const auto& list = g->Players;
    return std::any_of(list.begin(), list.end(), [&](const std::string& p) { return Key(p) == Key(f[2]); })
               ? "1"
               : "0";
}

std::string ListingServer::State::GameUserList(const std::vector<std::string>& f) {
    const Game* g = f.size() == 2 ? FindGame(f[1]) : nullptr;
    if (!g) return "none";
    std::string list;
    int number = 0;
    for (const std::string& name : g->Players) {
        auto it = players.find(Key(name));
        char rating[32];
        std::snprintf(rating, sizeof rating, "%.1f", it == players.end() ? 0.0 : double{it->second.Rating});
        list += std::to_string(++number) + ";" + name + ";" + rating + "~";
    }
    return ListOrNone(list);
}

// "gameend;" id, then four fields per player: name, result, count, victims.
std::string ListingServer::State::GameEnd(const std::vector<std::string>& f) {
    if (f.size() < 2 || (f.size() - 2) % 4 != 0 || f[1].empty()) return "error";
    for (size_t i = 2; i < f.size(); i += 4) {
        auto it = players.find(Key(f[i]));
        if (it != players.end() && f[i + 1] == "2") it->second.Rating += 1;
    }
    return "ok";
}

ListingServer::ListingServer() : state_(std::make_unique<State>()) {
    state_->http.set_payload_max_length(1 << 16);
    state_->http.Post(".*", [this](const httplib::Request& req, httplib::Response& res) {
        const size_t start = req.body.find("msg=");
        const size_t end = req.body.find("msgend");
        std::string request;
        if (start == std::string::npos || end == std::string::npos || end < start + 4 ||
            !DecodeServerMessage(std::string_view(req.body).substr(start + 4, end - start - 4), request)) {
            res.status = 400;
            res.set_content("bad request", "text/plain");
            return;
        }
        res.set_content("msg=" + Answer(request) + "msgend", "text/plain");
    });
}

ListingServer::~ListingServer() { Stop(); }

int ListingServer::Start(int port) {
    auto& http = state_->http;
    const int bound = port == 0                              ? http.bind_to_any_port("127.0.0.1")
                      : http.bind_to_port("127.0.0.1", port) ? port
                                                             : -1;
    if (bound <= 0) return -1;
    state_->thread = std::thread([&http] { http.listen_after_bind(); });
    return bound;
}

void ListingServer::Stop() {
    state_->http.stop();
    if (state_->thread.joinable()) state_->thread.join();
}

std::string ListingServer::Answer(const std::string& request) {
    using Handler = std::string (State::*)(const std::vector<std::string>&);
    static const std::map<std::string, Handler> handlers = {
        {"gamelist", &State::GameList},
        {"playernew", &State::PlayerNew},
        {"playercheck", &State::PlayerCheck},
        {"gamecreate", &State::GameCreate},
        {"gameupdate", &State::GameUpdate},
        {"gameuserupdate", &State::GameUserUpdate},
        {"gameuserdelete", &State::GameUserDelete},
        {"gamedestroy", &State::GameDestroy},
        {"canbreakplayer", &State::CanBreakPlayer},
        {"gameuserlist", &State::GameUserList},
        {"gameend", &State::GameEnd},
    };
    const std::vector<std::string> fields = SplitParEC(request, ";");
    const auto it = fields.empty() ? handlers.end() : handlers.find(fields[0]);
    if (it == handlers.end()) return "error";
    std::lock_guard lock(state_->mutex);
    return (state_.get()->*(it->second))(fields);
}

}  // namespace kordalt
