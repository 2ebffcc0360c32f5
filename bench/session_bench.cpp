// The session service on loopback against a plain TCP socket pair.
//   roundtrip/raw       ping-pong between two TCP sockets (the baseline)
//   roundtrip/host      the host's player and another
//   roundtrip/relay     two players that are not the host, through it
//   throughput/raw      100 KB messages over a TCP socket (the baseline)
//   throughput/session  100 KB messages from a player to the host's player
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/session/address.h"
#include "platform/session/net_directplay.h"

using namespace kordalt::dplay;

namespace {

constexpr size_t kPingSize = 64;
constexpr size_t kBulkSize = 100 * 1024;
constexpr int kWindow = 16;  // messages a bulk sender may be ahead of its receiver
const GUID kApp = {0x6b6f7264, 0xbe, 0xbe, {1}};

// ---- plain TCP ----

bool ReadAll(int fd, void* p, size_t n) {
    auto* b = static_cast<uint8_t*>(p);
    while (n) {
        ssize_t got = ::recv(fd, b, n, 0);
        if (got <= 0) return false;
        b += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

bool WriteAll(int fd, const void* p, size_t n) {
    auto* b = static_cast<const uint8_t*>(p);
    while (n) {
        ssize_t put = ::send(fd, b, n, MSG_NOSIGNAL);
        if (put <= 0) return false;
        b += put;
        n -= static_cast<size_t>(put);
    }
    return true;
}

// A connected pair of loopback TCP sockets with Nagle off.
struct SocketPair {
    int a = -1, b = -1;
    SocketPair() {
        int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listener, 1);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
        a = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(a, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        b = ::accept(listener, nullptr, nullptr);
        ::close(listener);
        int one = 1;
        ::setsockopt(a, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::setsockopt(b, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~SocketPair() {
        ::close(a);
        ::close(b);
    }
};

// Length-prefixed messages, as a plain program would frame them.
bool SendMessage(int fd, const std::vector<uint8_t>& m) {
    uint32_t n = static_cast<uint32_t>(m.size());
    return WriteAll(fd, &n, 4) && WriteAll(fd, m.data(), m.size());
}

bool ReceiveMessage(int fd, std::vector<uint8_t>& m) {
    uint32_t n;
    if (!ReadAll(fd, &n, 4)) return false;
    m.resize(n);
    return ReadAll(fd, m.data(), n);
}

void RoundtripRaw(benchmark::State& state) {
    SocketPair s;
    std::thread echo([&] {
        std::vector<uint8_t> m;
        while (ReceiveMessage(s.b, m) && SendMessage(s.b, m)) {
        }
    });
    std::vector<uint8_t> ping(kPingSize, 7), pong;
    for (auto _ : state) {
        SendMessage(s.a, ping);
        ReceiveMessage(s.a, pong);
    }
    ::shutdown(s.a, SHUT_WR);
    echo.join();
}

// Flow control for the bulk senders: at most kWindow messages in flight.
struct Window {
    std::mutex m;
    std::condition_variable cv;
    long sent = 0, received = 0;
    bool stop = false;
    bool Acquire() {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return stop || sent - received < kWindow; });
        ++sent;
        return !stop;
    }
    void Release() {
        std::lock_guard lock(m);
        ++received;
        cv.notify_all();
    }
    void Stop() {
        std::lock_guard lock(m);
        stop = true;
        cv.notify_all();
    }
};

void ThroughputRaw(benchmark::State& state) {
    SocketPair s;
    Window window;
    std::thread sender([&] {
        std::vector<uint8_t> bulk(kBulkSize, 1);
        while (window.Acquire() && SendMessage(s.a, bulk)) {
        }
        ::shutdown(s.a, SHUT_WR);
    });
    std::vector<uint8_t> m;
    for (auto _ : state) {
        ReceiveMessage(s.b, m);
        window.Release();
    }
    window.Stop();
    while (ReceiveMessage(s.b, m)) {
    }
    sender.join();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBulkSize));
}

// ---- the session service ----

class Event final : public IDPSignal {
public:
    void Set() override {
        std::lock_guard lock(m_);
        set_ = true;
        cv_.notify_one();
    }
    void Wait() {
        std::unique_lock lock(m_);
        cv_.wait(lock, [&] { return set_; });
        set_ = false;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool set_ = false;
};

struct Player {
    explicit Player(int n) {
        ServiceOptions o;
        o.bindAddress = "127.0.77." + std::to_string(n);
        o.port = 23677;
        dp = new NetDirectPlay(o, nullptr);
    }
    ~Player() {
        dp->Close();
        dp->Release();
    }
    // Binds to the TCP/IP provider, naming `host` when it is not empty.
    void Connect(const std::string& host) {
        std::vector<DPCOMPOUNDADDRESSELEMENT> e = {{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP}};
        if (!host.empty()) e.push_back({DPAID_INet, static_cast<uint32_t>(host.size() + 1), host.c_str()});
        uint32_t size = 0;
        BuildAddress(e.data(), static_cast<uint32_t>(e.size()), nullptr, &size);
        std::vector<uint8_t> address(size);
        BuildAddress(e.data(), static_cast<uint32_t>(e.size()), address.data(), &size);
        Check(dp->InitializeConnection(address.data(), 0));
    }
    void Host() {
        Connect("");
        DPSESSIONDESC2 sd{};
        sd.dwSize = sizeof sd;
        sd.dwFlags = DPSESSION_MIGRATEHOST | DPSESSION_KEEPALIVE;
        sd.guidApplication = kApp;
        sd.lpszSessionNameA = "bench";
        Check(dp->Open(&sd, DPOPEN_CREATE));
        Create();
    }
    void Join() {
        Connect("127.0.77.1");
        DPSESSIONDESC2 sd{};
        sd.dwSize = sizeof sd;
        sd.guidApplication = kApp;
        auto first = [](const DPSESSIONDESC2* d, uint32_t*, uint32_t flags, void* ctx) {
            if (!(flags & DPESC_TIMEDOUT)) static_cast<DPSESSIONDESC2*>(ctx)->guidInstance = d->guidInstance;
            return false;
        };
        Check(dp->EnumSessions(&sd, 0, first, &sd, DPENUMSESSIONS_AVAILABLE));
        Check(dp->Open(&sd, DPOPEN_JOIN));
        Create();
    }
    void Create() {
        DPNAME name{sizeof name, 0, "bench", nullptr};
        Check(dp->CreatePlayer(&id, &name, &event, nullptr, 0, 0));
    }
    void Send(DPID to, const std::vector<uint8_t>& m) {
        Check(dp->Send(id, to, DPSEND_GUARANTEED, m.data(), static_cast<uint32_t>(m.size())));
    }
    // Waits for the create message of another player (who must be known before he is sent to).
    void AwaitPlayer(DPID player) {
        for (;;) {
            DPID from, to;
            auto size = static_cast<uint32_t>(buffer.size());
            HRESULT hr = dp->Receive(&from, &to, DPRECEIVE_ALL, buffer.data(), &size);
            DPMSG_CREATEPLAYERORGROUP m;
            if (hr == DP_OK && from == 0 && size >= sizeof m) {
                std::memcpy(&m, buffer.data(), sizeof m);
                if (m.dwType == DPSYS_CREATEPLAYERORGROUP && m.dpId == player) return;
            }
            if (hr == DPERR_NOMESSAGES) event.Wait();
        }
    }
    // The next player's message (system messages skipped); false when the session is lost.
    bool Receive(DPID& from) {
        for (;;) {
            DPID to;
            auto size = static_cast<uint32_t>(buffer.size());
            HRESULT hr = dp->Receive(&from, &to, DPRECEIVE_ALL, buffer.data(), &size);
            if (hr == DPERR_BUFFERTOOSMALL) {
                buffer.resize(size);
                continue;
            }
            if (hr == DP_OK && from) return true;
            if (hr == DP_OK && size >= 4 && std::memcmp(buffer.data(), &DPSYS_SESSIONLOST, 4) == 0)
                return false;
            if (hr == DPERR_NOMESSAGES) event.Wait();
            if (hr != DP_OK && hr != DPERR_NOMESSAGES) return false;
        }
    }
    static void Check(HRESULT hr) {
        if (hr != DP_OK) {
            std::fprintf(stderr, "session call failed: %08x\n", static_cast<unsigned>(hr));
            std::abort();
        }
    }

    NetDirectPlay* dp;
    Event event;
    DPID id = 0;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(256 * 1024);
};

// `pinger` sends to `echoer`, which answers; both are players of one session.
void PingPong(benchmark::State& state, Player& pinger, Player& echoer) {
    std::atomic<bool> done{false};
    std::thread echo([&] {
        DPID from;
        while (!done && echoer.Receive(from)) {
            if (from != pinger.id) continue;
            Player::Check(
                echoer.dp->Send(echoer.id, from, DPSEND_GUARANTEED, echoer.buffer.data(), kPingSize));
        }
    });
    std::vector<uint8_t> ping(kPingSize, 7);
    DPID from;
    for (auto _ : state) {
        pinger.Send(echoer.id, ping);
        pinger.Receive(from);
    }
    done = true;
    pinger.Send(echoer.id, ping);
    echo.join();
}

void RoundtripHost(benchmark::State& state) {
    Player host(1), guest(2);
    host.Host();
    guest.Join();
    PingPong(state, host, guest);
}

void RoundtripRelay(benchmark::State& state) {
    Player host(1), a(2), b(3);
    host.Host();
    a.Join();
    b.Join();
    a.AwaitPlayer(b.id);
    PingPong(state, a, b);
}

void ThroughputSession(benchmark::State& state) {
    Player host(1), guest(2);
    host.Host();
    guest.Join();
    Window window;
    std::thread sender([&] {
        std::vector<uint8_t> bulk(kBulkSize, 1);
        while (window.Acquire()) guest.Send(host.id, bulk);
    });
    DPID from;
    for (auto _ : state) {
        host.Receive(from);
        window.Release();
    }
    window.Stop();
    sender.join();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBulkSize));
}

[[maybe_unused]] const benchmark::internal::Benchmark* const kRegistered[] = {
    benchmark::RegisterBenchmark("roundtrip/raw", RoundtripRaw)->UseRealTime()->Unit(benchmark::kMicrosecond),
    benchmark::RegisterBenchmark("roundtrip/host", RoundtripHost)
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond),
    benchmark::RegisterBenchmark("roundtrip/relay", RoundtripRelay)
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond),
    benchmark::RegisterBenchmark("throughput/raw", ThroughputRaw)
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond),
    benchmark::RegisterBenchmark("throughput/session", ThroughputSession)
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond),
};

}  // namespace
