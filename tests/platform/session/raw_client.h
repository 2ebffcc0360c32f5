// A hand-driven TCP client that speaks the service's frames, for faults the
// service itself never makes: silence, oversized and malformed frames.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/session/dplay.h"
#include "platform/session/roster.h"
#include "platform/session/wire.h"

namespace kordalt::dplay::test {

class RawClient {
public:
    RawClient(const std::string& bindIp, const std::string& hostIp, uint16_t port);
    explicit RawClient(int connectedFd) : port_(0), fd_(connectedFd) {}
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    // Closes the link with a reset, as a crashed program's system does.
    void Reset();
    void SendBytes(const std::vector<uint8_t>& bytes);
    // The body of the next frame; nothing on time-out, end or error.
    std::optional<std::vector<uint8_t>> ReadFrame(std::chrono::milliseconds timeout);
    // The body of the next frame of `type`, others skipped.
    std::optional<std::vector<uint8_t>> ReadFrame(FrameType type);
    // True when the far side closes the link within `timeout` (0: has closed it).
    bool ClosedByHost(std::chrono::milliseconds timeout);

    // The session's instance, asked of the host on this link (which the host then ends).
    GUID Enumerate();
    // Joins the session, telling the host `listenPort`; returns the own node id.
    uint32_t Join(const GUID& instance, uint16_t listenPort);
    // Creates a player on the joined node and returns its id.
    DPID CreatePlayer(const std::string& name);
    // Enumerate (on a link of its own), Join telling `listenPort` (by default a
    // port where nothing listens), and CreatePlayer; the player's id, 0 on failure.
    DPID JoinWithPlayer(const std::string& name, uint16_t listenPort = 0);

    // The session as the join reply gave it, with the own player added.
    const NodeMap& nodes() const { return nodes_; }
    const PlayerMap& players() const { return players_; }

private:
    std::string bindIp_, hostIp_;
    uint16_t port_;
    int fd_ = -1;
    uint32_t node_ = 0;
    NodeMap nodes_;
    PlayerMap players_;
    std::vector<uint8_t> in_;
};

// A listening socket whose links are driven by hand.
class RawListener {
public:
    explicit RawListener(const std::string& ip);
    ~RawListener() { Close(); }
    RawListener(const RawListener&) = delete;
    RawListener& operator=(const RawListener&) = delete;

    uint16_t port() const { return port_; }
    // The next link; nothing on time-out.
    std::unique_ptr<RawClient> Accept(std::chrono::milliseconds timeout);
    void Close();

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

// A hand-driven host: answers one enumeration and one join and player
// creation (it has one player of its own, id 100), then stays connected and
// silent, as a frozen host would.
class FrozenHost {
public:
    FrozenHost(const std::string& ip, uint16_t port, const GUID& application);
    ~FrozenHost();
    static constexpr DPID kPlayer = 100;

private:
    void Serve();
    std::string ip_;
    uint16_t port_;
    GUID application_;
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A loopback port on `ip` where nothing listens.
uint16_t DeadPort(const std::string& ip);

}  // namespace kordalt::dplay::test
