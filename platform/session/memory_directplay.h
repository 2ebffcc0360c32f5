// An in-memory session service with the same interfaces, for unit tests of
// the session component: every object of one MemoryNetwork sees the sessions
// of the others, and messages are queued at once.
#pragma once

#include <memory>
#include <string>

#include "platform/session/dplay.h"

namespace kordalt::dplay {

class MemoryNetwork {
public:
    MemoryNetwork();
    ~MemoryNetwork();
    MemoryNetwork(const MemoryNetwork&) = delete;
    MemoryNetwork& operator=(const MemoryNetwork&) = delete;

    // A session object (one reference) bound to the TCP/IP provider when
    // `bound`, else waiting for InitializeConnection. `address` is the IPv4
    // text GetPlayerAddress gives for its players.
    IDirectPlay4A* CreateDirectPlay(const std::string& address = "127.0.0.1", bool bound = true);
    // Cuts an object off its session as a failed machine would be: its player
    // gets session-lost, the others destroy-player (and the host message when
    // it was the host).
    void CutOff(IDirectPlay4A* object);

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace kordalt::dplay
