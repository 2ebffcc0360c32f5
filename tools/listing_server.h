// A game-listing server for tests and for playing Internet games on one machine:
// the server side of every request kind, with games and players kept in memory.
#pragma once

#include <memory>
#include <string>

namespace kordalt {

class ListingServer {
public:
    ListingServer();
    ~ListingServer();
    ListingServer(const ListingServer&) = delete;
    ListingServer& operator=(const ListingServer&) = delete;

    // Binds to 127.0.0.1 on `port` (0: any free port) and serves on a thread of
    // its own. Returns the bound port, or -1 when it cannot bind.
    int Start(int port);
    // Stops serving and waits for the serving thread; the lists are kept.
    void Stop();

    // The reply text to one plain request text.
    std::string Answer(const std::string& request);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kordalt
