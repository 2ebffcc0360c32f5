// Test side of the session service: an auto-reset signal, and a peer that
// hosts or joins over loopback and reads what arrives.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/session/address.h"
#include "platform/session/dplay.h"
#include "platform/session/net_directplay.h"
#include "platform/session/receive_queue.h"

namespace kordalt::dplay::test {

using namespace std::chrono_literals;

inline const GUID kApp = {0x00000000, 0x0000, 0x0000, {0x00, 0x00, 0x12, 0x30, 0x00, 0x00, 0x00, 0x00}};
constexpr uint32_t kSessionFlags = DPSESSION_MIGRATEHOST | DPSESSION_KEEPALIVE;

// An auto-reset signal. Once held, the next Set stops the thread that sets it
// (the service's I/O thread, with the service's lock) until Release: as if the
// process were stopped.
class TestSignal final : public IDPSignal {
public:
    void Set() override {
        std::unique_lock lock(m_);
        set_ = true;
        ++sets_;
        cv_.notify_all();
        if (!hold_) return;
        stopped_ = true;
        cv_.wait(lock, [&] { return !hold_; });
        stopped_ = false;
    }
    // Holds once `sets` Sets have been made: the Set of a message already taken
    // may come just after it was taken, and must not be the one that stops.
    void HoldAfter(int sets) {
        std::unique_lock lock(m_);
        cv_.wait_for(lock, std::chrono::seconds(5), [&] { return sets_ >= sets; });
        hold_ = true;
    }
    // True once a Set has stopped its thread, within `timeout`.
    bool WaitUntilStopped(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, timeout, [&] { return stopped_; });
    }
    void Release() {
        std::lock_guard lock(m_);
        hold_ = false;
        cv_.notify_all();
    }
    bool Wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_);
        bool ok = cv_.wait_for(lock, timeout, [&] { return set_; });
        set_ = false;
        return ok;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool set_ = false;
    int sets_ = 0;
    bool hold_ = false, stopped_ = false;
};

// A message as its receiver sees it.
struct Received {
    DPID from = 0;
    uint32_t type = 0;  // system message type when from == 0
    DPID player = 0;    // create and destroy: the player
    std::string name;   // create and destroy: the short name
    std::vector<uint8_t> data;
    std::string Text() const { return {data.begin(), data.end()}; }
};

// Loopback address n of the running test: 127.a.b.n with a and b taken from
// the test's name and the process, so that tests running at the same time
// (almost) never share one.
std::string TestAddress(int n);
ServiceOptions TestOptions(int n, std::chrono::milliseconds keepAlive = 3000ms);
// A connection address naming a host (empty: broadcast) and a port (0: the default).
std::vector<uint8_t> TcpAddress(const std::string& host, uint16_t port = 0);
std::string AddressText(const std::vector<uint8_t>& address);
// Enumerates the sessions of the test application into `sd`: the first one's instance, or none.
HRESULT FindFirstSession(IDirectPlay4A* dp, DPSESSIONDESC2& sd, uint32_t flags);

class Peer {
public:
    explicit Peer(int n, std::chrono::milliseconds keepAlive = 3000ms) : Peer(TestOptions(n, keepAlive)) {}
    explicit Peer(const ServiceOptions& options);
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    HRESULT Host(const std::string& session, uint32_t maxPlayers = 0, uint32_t flags = kSessionFlags);
    // Binds to `host` and enumerates its sessions into `sd` (the first one's instance).
    HRESULT Find(const std::string& host, DPSESSIONDESC2& sd);
    HRESULT OpenJoin(DPSESSIONDESC2& sd) { return dp_->Open(&sd, DPOPEN_JOIN); }
    // Find, then join the session found.
    HRESULT Join(const std::string& host);
    HRESULT CreatePlayer(const std::string& name);
    // Host or Join, then CreatePlayer, asserting success.
    void HostWithPlayer(const std::string& name, uint32_t maxPlayers = 0, uint32_t flags = kSessionFlags);
    void JoinWithPlayer(const std::string& host, const std::string& name);

    HRESULT Send(DPID to, const std::string& text);
    HRESULT Send(DPID to, const std::vector<uint8_t>& bytes);
    // The next message, waiting up to `timeout`.
    std::optional<Received> Next(std::chrono::milliseconds timeout = 5s);
    // Reads until a message matches; the ones before it are dropped.
    std::optional<Received> NextWhere(const std::function<bool(const Received&)>& match,
                                      std::chrono::milliseconds timeout = 5s);
    std::optional<Received> NextSystem(uint32_t type, std::chrono::milliseconds timeout = 5s) {
        return NextWhere([type](const Received& r) { return r.from == 0 && r.type == type; }, timeout);
    }
    std::vector<PlayerEntry> Players(uint32_t flags = 0);
    std::string AddressOf(DPID player);

    DPID id() const { return id_; }
    NetDirectPlay* dp() { return dp_; }
    TestSignal& signal() { return signal_; }
    // The next message's Set stops the I/O thread (see TestSignal).
    void HoldIo() { signal_.HoldAfter(received_); }
    const ServiceOptions& options() const { return options_; }

private:
    ServiceOptions options_;
    NetDirectPlay* dp_;
    TestSignal signal_;
    DPID id_ = 0;
    int received_ = 0;
    std::vector<uint8_t> buffer_;
};

}  // namespace kordalt::dplay::test
