// The network session service's state and its I/O thread: the one class
// behind NetDirectPlay, spread over net_session_io.cpp (links, timers),
// net_session_protocol.cpp (frames, host and client roles) and
// net_directplay.cpp (the operations).
#pragma once

#include <algorithm>
#include <asio.hpp>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include "platform/session/address.h"
#include "platform/session/enumeration.h"
#include "platform/session/receive_queue.h"
#include "platform/session/roster.h"
#include "platform/session/service_options.h"
#include "platform/session/wire.h"

namespace kordalt::dplay {

using asio::ip::tcp;
using asio::ip::udp;
using Clock = std::chrono::steady_clock;
using Frame = std::shared_ptr<const std::vector<uint8_t>>;

inline Frame Share(std::vector<uint8_t> bytes) {
    return std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
}

// Bytes of a data frame besides the message: type, from, to.
constexpr uint32_t kDataOverhead = 1 + 4 + 4;

// The length word and the fixed part of a data frame.
inline std::array<uint8_t, kFrameHeader + kDataOverhead> DataHead(DPID from, DPID to, size_t size) {
    std::array<uint8_t, kFrameHeader + kDataOverhead> head;
    uint32_t length = static_cast<uint32_t>(kDataOverhead + size);
    std::memcpy(head.data(), &length, 4);
    head[4] = static_cast<uint8_t>(FrameType::kData);
    std::memcpy(head.data() + 5, &from, 4);
    std::memcpy(head.data() + 9, &to, 4);
    return head;
}

inline Frame DataFrame(DPID from, DPID to, const uint8_t* data, size_t size) {
    auto head = DataHead(from, to, size);
    std::vector<uint8_t> bytes(head.size() + size);
    std::memcpy(bytes.data(), head.data(), head.size());
    if (size) std::memcpy(bytes.data() + head.size(), data, size);
    return Share(std::move(bytes));
}

inline Frame Simple(FrameType type) { return Share(WireWriter(type).Finish()); }

inline Frame WithId(FrameType type, uint32_t id) { return Share(WireWriter(type).U32(id).Finish()); }

inline Frame RefuseFrame(HRESULT hr) { return WithId(FrameType::kRefuse, static_cast<uint32_t>(hr)); }

inline GUID RandomGuid() {
    std::random_device rd;
    GUID g;
    uint32_t words[4] = {rd(), rd(), rd(), rd()};
    std::memcpy(&g, words, sizeof g);
    return g;
}

// One TCP connection. Its bytes are sent straight from the calling thread
// while nothing is queued; the rest waits for the I/O thread.
struct Link {
    enum class Role { kNew, kPeer, kHost };
    explicit Link(tcp::socket s) : sock(std::move(s)) {}
    tcp::socket sock;
    int fd = -1;
    Role role = Role::kNew;
    uint32_t node = 0;  // kPeer: the node on the far side
    std::string peerIp, localIp;
    std::unique_ptr<uint8_t[]> in;  // received bytes not yet taken as frames
    size_t inSize = 0, inUsed = 0;
    std::deque<Frame> out;
    size_t outAt = 0;  // bytes of out.front() already sent
    bool writeArmed = false;
    bool open = true;
    bool finishing = false;  // close once everything is sent and the far side has ended
    bool leaveAcked = false;
    bool held = false;  // a rejoin waiting until this node becomes host
    uint32_t seen = 0;  // a held rejoin's highest id seen
    Clock::time_point lastRecv = Clock::now(), lastSend = Clock::now(), lingerUntil{};
    Clock::time_point opened = Clock::now();
    Clock::time_point frameStarted{};  // of the incomplete frame in `in`, when there is one
};
using LinkPtr = std::shared_ptr<Link>;

// A UDP socket that takes enumeration queries, with its receive buffer.
struct EnumPort {
    explicit EnumPort(asio::io_context& io) : socket(io) {}
    udp::socket socket;
    std::array<uint8_t, 2048> in;
    udp::endpoint from;
};

class NetSession {
public:
    NetSession(const ServiceOptions& options, const GUID* provider);
    ~NetSession();

    HRESULT InitializeConnection(const void* address, uint32_t flags);
    HRESULT EnumSessions(DPSESSIONDESC2* sd, uint32_t timeout, LPDPENUMSESSIONSCALLBACK2 callback,
                         void* context, uint32_t flags);
    HRESULT Open(DPSESSIONDESC2* sd, uint32_t flags);
    HRESULT Close();
    HRESULT CreatePlayer(DPID* id, const DPNAME* name, IDPSignal* signal, uint32_t flags);
    HRESULT DestroyPlayer(DPID id);
    HRESULT EnumPlayers(const GUID* instance, LPDPENUMPLAYERSCALLBACK2 callback, void* context,
                        uint32_t flags);
    HRESULT GetCaps(DPCAPS* caps, uint32_t flags);
    HRESULT GetPlayerAddress(DPID id, void* data, uint32_t* size);
    HRESULT Send(DPID from, DPID to, uint32_t flags, const void* data, uint32_t size);
    HRESULT Receive(DPID* from, DPID* to, uint32_t flags, void* data, uint32_t* size) {
        return queue_.Receive(from, to, flags, data, size);
    }
    void Abort();

private:
    enum class Phase { kIdle, kJoining, kClient, kMigrating, kHost, kClosing, kLost };
    using Lock = std::unique_lock<std::mutex>;

    // I/O thread plumbing; the functions below run with m_ held unless noted.
    template <class F>
    void OnIo(F f) {
        asio::post(io_, std::move(f));
    }
    void RunOnIo(Lock& lock, std::function<void()> f);  // runs f (with m_ held) on the I/O thread and waits
    void Tick();
    void Accept(const std::shared_ptr<tcp::acceptor>& acceptor);
    void AcceptLater(const std::shared_ptr<tcp::acceptor>& acceptor);
    void CapUnjoined(const std::string& ip);
    bool Frozen();
    bool Overdue(const Link& link, Clock::time_point now) const;
    LinkPtr AddLink(tcp::socket socket);
    void StartRead(const LinkPtr& link);
    void OnRead(const LinkPtr& link, const asio::error_code& ec, size_t n);
    void Write(const LinkPtr& link, const Frame& frame);
    void WriteData(const LinkPtr& link, DPID from, DPID to, const uint8_t* data, size_t size);
    void Flush(const LinkPtr& link);
    void ArmWrite(const LinkPtr& link);
    void Finish(const LinkPtr& link);
    void CloseLink(const LinkPtr& link);
    void LinkDown(const LinkPtr& link);
    void WriteFailed(const LinkPtr& link);
    void LinkLost(const LinkPtr& link);
    bool OpenPortListener();
    void OpenEnumSocket();
    void ReceiveEnum(const std::shared_ptr<EnumPort>& port);
    void Reset();

    // Frames.
    bool HandleFrame(const LinkPtr& link, const uint8_t* body, size_t n);
    bool HandleNew(const LinkPtr& link, FrameType type, WireReader& r);
    bool HandleAtHost(uint32_t node, const uint8_t* body, size_t n);
    bool HandleAtClient(const LinkPtr& link, FrameType type, WireReader& r, const uint8_t* body, size_t n);
    bool ReadJoinOk(WireReader& r);

    // The host's part.
    SessionOffer Offer() const;
    uint32_t NewId();
    void ToNode(uint32_t node, const Frame& frame);
    void ToAllNodes(const Frame& frame, uint32_t except = 0);
    void Route(DPID from, DPID to, const uint8_t* data, size_t size, uint32_t origin);
    void DeliverHere(DPID from, const uint8_t* data, size_t size);
    void AddPlayer(DPID id, uint32_t node, const std::string& name);
    void RemovePlayer(DPID id);
    void RemoveNode(uint32_t node);
    void Kick(uint32_t node);
    void AttachRejoin(const LinkPtr& link, uint32_t node, uint32_t seen);
    void StartHostLeave();
    void CheckLeaveDone();
    void FinishHostLeave();

    // The client's part.
    void ForgetPlayer(DPID id);
    void TakeRoster(NodeMap nodes, const PlayerMap& players);
    void HostLost();
    void MigrateFrom(uint32_t gone);
    uint32_t Successor() const;
    void BecomeHost();
    void Rejoin(uint32_t node);
    void SessionLost();
    void SendToHost(Frame frame);

    std::vector<PlayerEntry> Roster() const;
    bool InSession() const {
        return phase_ == Phase::kClient || phase_ == Phase::kHost || phase_ == Phase::kMigrating;
    }
    std::chrono::milliseconds TickInterval() const {
        return std::clamp(opt_.keepAliveTimeout / 4, std::chrono::milliseconds(5),
                          std::chrono::milliseconds(1000));
    }

    const ServiceOptions opt_;
    asio::io_context io_;
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work_;
    std::mutex m_;
    std::condition_variable cv_;
    ReceiveQueue queue_;

    // All below guarded by m_; asio objects are touched on the I/O thread only.
    bool bound_ = false;
    bool shuttingDown_ = false;
    uint16_t hostPort_ = 0;  // the port listener's port
    ConnectionAddress where_;
    std::vector<SessionOffer> known_;  // last enumeration
    Phase phase_ = Phase::kIdle;
    SessionOffer session_;
    uint32_t self_ = 0, host_ = 0, lastId_ = 0;
    NodeMap nodes_;
    PlayerMap players_;
    DPID local_ = 0;
    // Waiting CreatePlayer or Open(join) on a client.
    bool creating_ = false;
    IDPSignal* creatingSignal_ = nullptr;
    HRESULT pendingResult_ = DP_OK;
    // Links.
    std::set<LinkPtr> links_;
    LinkPtr hostLink_;                               // client
    std::map<uint32_t, LinkPtr> peerLinks_;          // host: node -> link
    std::map<uint32_t, std::deque<Frame>> backlog_;  // new host: frames for nodes yet to rejoin
    Clock::time_point rejoinUntil_{};
    std::vector<LinkPtr> heldRejoins_;  // rejoins that came before this node became host
    std::deque<Frame> pendingOut_;      // client: requests held while the host changes
    bool hostLeaving_ = false;          // the host is leaving (at a client: it said so)
    Clock::time_point migrateUntil_{}, leaveUntil_{};
    Clock::time_point lastAwake_ = Clock::now();  // the I/O thread's latest run
    Link* takeable_ = nullptr;                    // a link whose read buffer holds just the frame in hand
    std::shared_ptr<tcp::acceptor> nodeListener_, portListener_;
    std::chrono::milliseconds acceptBackoff_{0};  // after failed accepts (out of descriptors)
    std::vector<std::shared_ptr<tcp::acceptor>> acceptWaiting_;
    std::shared_ptr<EnumPort> enumSocket_, enumBroadcast_;  // queries to this address, broadcasts
    asio::steady_timer acceptRetry_;
    asio::steady_timer tick_;
    std::thread thread_;
};

}  // namespace kordalt::dplay
