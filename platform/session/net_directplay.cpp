#include "platform/session/net_directplay.h"

#include <sys/socket.h>
#include <sys/uio.h>

#include <algorithm>
#include <asio.hpp>
#include <cerrno>
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
#include "platform/session/wire.h"

namespace kordalt::dplay {

using asio::ip::tcp;
using asio::ip::udp;
using Clock = std::chrono::steady_clock;
using Frame = std::shared_ptr<const std::vector<uint8_t>>;

namespace {

Frame Share(std::vector<uint8_t> bytes) { return std::make_shared<const std::vector<uint8_t>>(std::move(bytes)); }

// Bytes of a data frame besides the message: type, from, to.
constexpr uint32_t kDataOverhead = 1 + 4 + 4;

// The length word and the fixed part of a data frame.
std::array<uint8_t, kFrameHeader + kDataOverhead> DataHead(DPID from, DPID to, size_t size) {
  std::array<uint8_t, kFrameHeader + kDataOverhead> head;
  uint32_t length = static_cast<uint32_t>(kDataOverhead + size);
  std::memcpy(head.data(), &length, 4);
  head[4] = static_cast<uint8_t>(FrameType::kData);
  std::memcpy(head.data() + 5, &from, 4);
  std::memcpy(head.data() + 9, &to, 4);
  return head;
}

Frame DataFrame(DPID from, DPID to, const uint8_t* data, size_t size) {
  auto head = DataHead(from, to, size);
  std::vector<uint8_t> bytes(head.size() + size);
  std::memcpy(bytes.data(), head.data(), head.size());
  if (size) std::memcpy(bytes.data() + head.size(), data, size);
  return Share(std::move(bytes));
}

Frame Simple(FrameType type) { return Share(WireWriter(type).Finish()); }

Frame WithId(FrameType type, uint32_t id) { return Share(WireWriter(type).U32(id).Finish()); }

Frame RefuseFrame(HRESULT hr) { return WithId(FrameType::kRefuse, static_cast<uint32_t>(hr)); }

GUID RandomGuid() {
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
  uint32_t node = 0;       // kPeer: the node on the far side
  std::string peerIp, localIp;
  std::unique_ptr<uint8_t[]> in;  // received bytes not yet taken as frames
  size_t inSize = 0, inUsed = 0;
  std::deque<Frame> out;
  size_t outAt = 0;        // bytes of out.front() already sent
  bool writeArmed = false;
  bool open = true;
  bool finishing = false;  // close once everything is sent and the far side has ended
  bool leaveAcked = false;
  Clock::time_point lastRecv = Clock::now(), lastSend = Clock::now(), lingerUntil{};
};
using LinkPtr = std::shared_ptr<Link>;

struct NodeRec {
  uint32_t id = 0;
  std::string address;  // IPv4 text as the host sees it
  uint16_t listenPort = 0;
};

struct PlayerRec {
  DPID id = 0;
  uint32_t node = 0;
  std::string name;
};

}  // namespace

class NetSession {
 public:
  NetSession(const ServiceOptions& options, const GUID* provider);
  ~NetSession();

  HRESULT InitializeConnection(const void* address, uint32_t flags);
  HRESULT EnumSessions(DPSESSIONDESC2* sd, uint32_t timeout, LPDPENUMSESSIONSCALLBACK2 callback, void* context,
                       uint32_t flags);
  HRESULT Open(DPSESSIONDESC2* sd, uint32_t flags);
  HRESULT Close();
  HRESULT CreatePlayer(DPID* id, const DPNAME* name, IDPSignal* signal, uint32_t flags);
  HRESULT DestroyPlayer(DPID id);
  HRESULT EnumPlayers(const GUID* instance, LPDPENUMPLAYERSCALLBACK2 callback, void* context, uint32_t flags);
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
  bool OpenPortListener();
  void OpenEnumSocket();
  void ReceiveEnum();
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
  void AttachRejoin(const LinkPtr& link, uint32_t node);
  void StartHostLeave();
  void CheckLeaveDone();
  void FinishHostLeave();

  // The client's part.
  void ForgetPlayer(DPID id);
  void HostLost();
  uint32_t Successor() const;
  void BecomeHost();
  void Rejoin(uint32_t node);
  void SessionLost();
  void SendToHost(Frame frame);

  std::vector<PlayerEntry> Roster() const;
  bool InSession() const { return phase_ == Phase::kClient || phase_ == Phase::kHost || phase_ == Phase::kMigrating; }
  std::chrono::milliseconds TickInterval() const {
    return std::clamp(opt_.keepAliveTimeout / 4, std::chrono::milliseconds(5), std::chrono::milliseconds(1000));
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
  std::map<uint32_t, NodeRec> nodes_;
  std::map<DPID, PlayerRec> players_;
  DPID local_ = 0;
  // Waiting CreatePlayer or Open(join) on a client.
  bool creating_ = false;
  IDPSignal* creatingSignal_ = nullptr;
  HRESULT pendingResult_ = DP_OK;
  // Links.
  std::set<LinkPtr> links_;
  LinkPtr hostLink_;                            // client
  std::map<uint32_t, LinkPtr> peerLinks_;       // host: node -> link
  std::map<uint32_t, std::deque<Frame>> backlog_;  // new host: frames for nodes yet to rejoin
  Clock::time_point rejoinUntil_{};
  std::vector<LinkPtr> heldRejoins_;            // rejoins that came before this node became host
  std::deque<Frame> pendingOut_;                // client: requests held while the host changes
  bool hostLeaving_ = false;                    // the host is leaving (at a client: it said so)
  Clock::time_point migrateUntil_{}, leaveUntil_{};
  Link* takeable_ = nullptr;  // a link whose read buffer holds just the frame in hand
  std::shared_ptr<tcp::acceptor> nodeListener_, portListener_;
  std::shared_ptr<udp::socket> enumSocket_;
  std::array<uint8_t, 2048> enumIn_;
  udp::endpoint enumFrom_;
  asio::steady_timer tick_;
  std::thread thread_;
};

NetSession::NetSession(const ServiceOptions& options, const GUID* provider)
    : opt_(options), work_(asio::make_work_guard(io_)), tick_(io_) {
  bound_ = provider && !IsNullGuid(*provider);
  if (bound_) where_.provider = *provider;
  tick_.expires_after(TickInterval());
  tick_.async_wait([this](const asio::error_code& ec) {
    if (!ec) Tick();
  });
  thread_ = std::thread([this] { io_.run(); });
}

NetSession::~NetSession() {
  Close();
  Lock lock(m_);
  RunOnIo(lock, [this] {
    shuttingDown_ = true;
    Reset();
    tick_.cancel();
  });
  lock.unlock();
  work_.reset();
  thread_.join();
}

void NetSession::RunOnIo(Lock& lock, std::function<void()> f) {
  bool done = false;
  OnIo([this, &f, &done] {
    std::lock_guard inner(m_);
    f();
    done = true;
    cv_.notify_all();
  });
  cv_.wait(lock, [&] { return done; });
}

// ---- I/O ----

void NetSession::Tick() {
  std::lock_guard lock(m_);
  if (shuttingDown_) return;
  auto now = Clock::now();
  bool keepAlive = session_.flags & DPSESSION_KEEPALIVE;
  auto ping = Share(WireWriter(FrameType::kPing).Finish());
  for (const LinkPtr& link : std::vector<LinkPtr>(links_.begin(), links_.end())) {
    if (!link->open) continue;
    bool silent = now - link->lastRecv > opt_.keepAliveTimeout;
    if (link->finishing && now > link->lingerUntil) CloseLink(link);
    else if (silent && (keepAlive || link->role == Link::Role::kNew)) LinkDown(link);
    else if (!link->finishing && now - link->lastSend >= TickInterval()) Write(link, ping);
  }
  if (phase_ == Phase::kHost && !backlog_.empty() && now > rejoinUntil_) {
    if (peerLinks_.empty()) {
      // Nobody came back to the new host: it is the one cut off.
      backlog_.clear();
      SessionLost();
    }
    while (!backlog_.empty()) RemoveNode(backlog_.begin()->first);
  }
  std::erase_if(heldRejoins_, [&](const LinkPtr& l) {
    if (l->open && now - l->lastRecv <= opt_.keepAliveTimeout * 2) return false;
    CloseLink(l);
    return true;
  });
  if (phase_ == Phase::kMigrating && now > migrateUntil_) SessionLost();
  if (phase_ == Phase::kHost && hostLeaving_ && now > leaveUntil_) FinishHostLeave();
  if (phase_ == Phase::kClosing && now > leaveUntil_) {
    for (const LinkPtr& l : std::vector<LinkPtr>(links_.begin(), links_.end())) CloseLink(l);
  }
  tick_.expires_after(TickInterval());
  tick_.async_wait([this](const asio::error_code& ec) {
    if (!ec) Tick();
  });
}

void NetSession::Accept(const std::shared_ptr<tcp::acceptor>& acceptor) {
  acceptor->async_accept([this, acceptor](const asio::error_code& ec, tcp::socket socket) {
    std::lock_guard lock(m_);
    if (shuttingDown_ || (acceptor != nodeListener_ && acceptor != portListener_)) return;
    if (!ec) StartRead(AddLink(std::move(socket)));
    Accept(acceptor);
  });
}

LinkPtr NetSession::AddLink(tcp::socket socket) {
  auto link = std::make_shared<Link>(std::move(socket));
  asio::error_code ec;
  link->fd = link->sock.native_handle();
  link->sock.set_option(tcp::no_delay(true), ec);
  auto remote = link->sock.remote_endpoint(ec);
  if (!ec) link->peerIp = remote.address().to_string();
  auto local = link->sock.local_endpoint(ec);
  if (!ec) link->localIp = local.address().to_string();
  links_.insert(link);
  return link;
}

// Reads into the link's buffer. The rest of a large frame is read alone into
// a buffer of its exact size, which then goes to the receive queue uncopied.
void NetSession::StartRead(const LinkPtr& link) {
  constexpr size_t kChunk = 16 * 1024;
  size_t want = kChunk;
  if (link->inUsed >= kFrameHeader) {
    uint32_t size;
    std::memcpy(&size, link->in.get(), 4);
    if (size >= kChunk) want = kFrameHeader + size - link->inUsed;
  }
  if (link->inSize < link->inUsed + want) {
    size_t capacity;
    auto grown = queue_.TakeBlock(link->inUsed + want, capacity);
    if (link->inUsed) std::memcpy(grown.get(), link->in.get(), link->inUsed);
    link->in = std::move(grown);
    link->inSize = capacity;
  }
  link->sock.async_read_some(asio::buffer(link->in.get() + link->inUsed, want),
                             [this, link](const asio::error_code& ec, size_t n) { OnRead(link, ec, n); });
}

void NetSession::OnRead(const LinkPtr& link, const asio::error_code& ec, size_t n) {
  std::lock_guard lock(m_);
  if (!link->open || shuttingDown_) return;
  if (ec) {
    LinkDown(link);
    return;
  }
  link->lastRecv = Clock::now();
  link->inUsed += n;
  const uint8_t* in = link->in.get();
  size_t at = 0;
  while (link->open && link->inUsed - at >= kFrameHeader) {
    uint32_t size;
    std::memcpy(&size, in + at, 4);
    if (size == 0 || size > opt_.maxFrameSize) {
      LinkDown(link);
      return;
    }
    if (link->inUsed - at - kFrameHeader < size) break;
    // A large frame alone in the buffer may be queued without a copy.
    if (at == 0 && kFrameHeader + size == link->inUsed && size >= 16 * 1024) takeable_ = link.get();
    bool ok = HandleFrame(link, in + at + kFrameHeader, size);
    takeable_ = nullptr;
    if (!ok) {
      LinkDown(link);
      return;
    }
    at += kFrameHeader + size;
    if (!link->in) {
      link->inSize = link->inUsed = at = 0;
      break;
    }
  }
  if (!link->open) return;
  link->inUsed -= at;
  if (link->inUsed && at) std::memmove(link->in.get(), in + at, link->inUsed);
  StartRead(link);
}

// A data frame sent straight from the caller's buffer when the link is idle;
// only what the socket does not take at once is copied.
void NetSession::WriteData(const LinkPtr& link, DPID from, DPID to, const uint8_t* data, size_t size) {
  if (!link->open) return;
  if (!link->out.empty()) {
    Write(link, DataFrame(from, to, data, size));
    return;
  }
  auto head = DataHead(from, to, size);
  iovec parts[2] = {{head.data(), head.size()}, {const_cast<uint8_t*>(data), size}};
  msghdr msg{};
  msg.msg_iov = parts;
  msg.msg_iovlen = size ? 2 : 1;
  ssize_t n;
  do n = ::sendmsg(link->fd, &msg, MSG_DONTWAIT | MSG_NOSIGNAL);
  while (n < 0 && errno == EINTR);
  if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
    LinkDown(link);
    return;
  }
  size_t sent = n < 0 ? 0 : static_cast<size_t>(n);
  if (sent) link->lastSend = Clock::now();
  if (sent == head.size() + size) return;
  std::vector<uint8_t> rest;
  rest.reserve(head.size() + size - sent);
  if (sent < head.size()) rest.insert(rest.end(), head.begin() + static_cast<std::ptrdiff_t>(sent), head.end());
  size_t from_data = sent < head.size() ? 0 : sent - head.size();
  rest.insert(rest.end(), data + from_data, data + size);
  link->out.push_back(Share(std::move(rest)));
  link->outAt = 0;
  ArmWrite(link);
}

void NetSession::Write(const LinkPtr& link, const Frame& frame) {
  if (!link->open) return;
  link->out.push_back(frame);
  if (link->out.size() == 1) Flush(link);
}

// Sends what the socket takes now; the rest when it becomes writable.
void NetSession::Flush(const LinkPtr& link) {
  while (!link->out.empty()) {
    const auto& bytes = *link->out.front();
    ssize_t n = ::send(link->fd, bytes.data() + link->outAt, bytes.size() - link->outAt, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      ArmWrite(link);
      return;
    }
    if (n < 0) {
      LinkDown(link);
      return;
    }
    link->lastSend = Clock::now();
    link->outAt += static_cast<size_t>(n);
    if (link->outAt == bytes.size()) {
      link->out.pop_front();
      link->outAt = 0;
    }
  }
  if (link->finishing) ::shutdown(link->fd, SHUT_WR);
}

void NetSession::ArmWrite(const LinkPtr& link) {
  if (link->writeArmed) return;
  link->writeArmed = true;
  OnIo([this, link] {
    std::lock_guard lock(m_);
    if (!link->open) return;
    link->sock.async_wait(tcp::socket::wait_write, [this, link](const asio::error_code& ec) {
      std::lock_guard lock(m_);
      link->writeArmed = false;
      if (!ec && link->open) Flush(link);
    });
  });
}

// Sends what is queued, then ends the sending side; the link closes when the far side ends too.
void NetSession::Finish(const LinkPtr& link) {
  if (!link->open || link->finishing) return;
  link->finishing = true;
  link->lingerUntil = Clock::now() + std::min<Clock::duration>(opt_.keepAliveTimeout, opt_.connectTimeout);
  if (link->out.empty()) ::shutdown(link->fd, SHUT_WR);
}

void NetSession::CloseLink(const LinkPtr& link) {
  if (!link->open) return;
  link->open = false;
  links_.erase(link);
  OnIo([link] {
    asio::error_code ec;
    link->sock.close(ec);
  });
  cv_.notify_all();
}

void NetSession::LinkDown(const LinkPtr& link) {
  if (!link->open) return;
  CloseLink(link);
  if (link->role == Link::Role::kPeer && phase_ == Phase::kHost) {
    auto it = peerLinks_.find(link->node);
    if (it != peerLinks_.end() && it->second == link) RemoveNode(link->node);
    CheckLeaveDone();
  } else if (link->role == Link::Role::kHost && link == hostLink_) {
    if (phase_ == Phase::kJoining) {
      pendingResult_ = DPERR_CONNECTIONLOST;
      phase_ = Phase::kIdle;
    } else if (phase_ == Phase::kClient) {
      HostLost();
    } else if (phase_ == Phase::kMigrating) {
      Rejoin(Successor());
    }
  }
}

bool NetSession::OpenPortListener() {
  asio::error_code ec;
  auto a = asio::ip::make_address_v4(opt_.bindAddress.empty() ? "0.0.0.0" : opt_.bindAddress, ec);
  if (ec) return false;
  auto acceptor = std::make_shared<tcp::acceptor>(io_);
  tcp::endpoint ep(a, where_.port ? where_.port : opt_.port);
  acceptor->open(tcp::v4(), ec);
  if (!ec) acceptor->set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor->bind(ep, ec);
  if (!ec) acceptor->listen(asio::socket_base::max_listen_connections, ec);
  if (ec) return false;
  portListener_ = std::move(acceptor);
  hostPort_ = portListener_->local_endpoint(ec).port();
  Accept(portListener_);
  return true;
}

// Answers broadcast enumeration on the session port; several hosts on one machine share it.
void NetSession::OpenEnumSocket() {
  asio::error_code ec;
  auto s = std::make_shared<udp::socket>(io_);
  s->open(udp::v4(), ec);
  if (!ec) s->set_option(udp::socket::reuse_address(true), ec);
  if (!ec) s->bind(udp::endpoint(asio::ip::address_v4::any(), hostPort_), ec);
  if (ec) return;
  enumSocket_ = std::move(s);
  ReceiveEnum();
}

void NetSession::ReceiveEnum() {
  enumSocket_->async_receive_from(asio::buffer(enumIn_), enumFrom_, [this, socket = enumSocket_](
                                                                        const asio::error_code& ec, size_t n) {
    std::lock_guard lock(m_);
    if (ec || socket != enumSocket_ || shuttingDown_) return;
    uint32_t size = 0;
    if (n >= kFrameHeader) std::memcpy(&size, enumIn_.data(), 4);
    WireReader r(enumIn_.data() + kFrameHeader, n >= kFrameHeader ? n - kFrameHeader : 0);
    bool request = n >= kFrameHeader && size == n - kFrameHeader &&
                   r.U8() == static_cast<uint8_t>(FrameType::kEnum);
    GUID app = r.Guid();
    if (request && r.Done() && phase_ == Phase::kHost && !hostLeaving_ && app == session_.application) {
      auto reply = EnumReplyFrame(Offer());
      asio::error_code ignored;
      enumSocket_->send_to(asio::buffer(reply), enumFrom_, 0, ignored);
    }
    ReceiveEnum();
  });
}

void NetSession::Reset() {
  for (const LinkPtr& l : std::vector<LinkPtr>(links_.begin(), links_.end())) CloseLink(l);
  for (const LinkPtr& l : heldRejoins_) CloseLink(l);
  asio::error_code ec;
  for (auto* a : {&nodeListener_, &portListener_})
    if (*a) (*a)->close(ec), a->reset();
  if (enumSocket_) enumSocket_->close(ec), enumSocket_.reset();
  queue_.End();
  phase_ = Phase::kIdle;
  session_ = {};
  self_ = host_ = 0;
  nodes_.clear();
  players_.clear();
  local_ = 0;
  creating_ = false;
  creatingSignal_ = nullptr;
  hostLink_.reset();
  peerLinks_.clear();
  backlog_.clear();
  heldRejoins_.clear();
  pendingOut_.clear();
  hostLeaving_ = false;
  cv_.notify_all();
}

// ---- frames ----

bool NetSession::HandleFrame(const LinkPtr& link, const uint8_t* body, size_t n) {
  WireReader r(body, n);
  auto type = static_cast<FrameType>(r.U8());
  if (type == FrameType::kPing) return r.Done();
  switch (link->role) {
    case Link::Role::kNew:
      return HandleNew(link, type, r);
    case Link::Role::kPeer:
      return phase_ == Phase::kHost && HandleAtHost(link->node, body, n);
    case Link::Role::kHost:
      return HandleAtClient(link, type, r, body, n);
  }
  return false;
}

bool NetSession::HandleNew(const LinkPtr& link, FrameType type, WireReader& r) {
  auto refuse = [&](HRESULT hr) {
    Write(link, Share(WireWriter(FrameType::kRefuse).U32(static_cast<uint32_t>(hr)).Finish()));
    Finish(link);
    return true;
  };
  bool hosting = phase_ == Phase::kHost && !hostLeaving_;
  if (type == FrameType::kEnum) {
    GUID app = r.Guid();
    if (!r.Done()) return false;
    if (hosting && app == session_.application) Write(link, Share(EnumReplyFrame(Offer())));
    Finish(link);
    return true;
  }
  if (type == FrameType::kJoin) {
    GUID app = r.Guid(), instance = r.Guid();
    uint16_t listenPort = r.U16();
    if (!r.Done()) return false;
    if (!hosting || !(app == session_.application) || !(instance == session_.instance))
      return refuse(DPERR_NOSESSIONS);
    if (session_.maxPlayers && nodes_.size() >= session_.maxPlayers) return refuse(DPERR_NONEWPLAYERS);
    NodeRec node{NewId(), link->peerIp, listenPort};
    ToAllNodes(Share(WireWriter(FrameType::kNodeJoined).U32(node.id).Str(node.address).U16(listenPort).Finish()));
    nodes_[node.id] = node;
    link->role = Link::Role::kPeer;
    link->node = node.id;
    peerLinks_[node.id] = link;
    WireWriter w(FrameType::kJoinOk);
    w.Guid(session_.instance).Guid(session_.application).Str(session_.name).U32(session_.flags);
    w.U32(session_.maxPlayers).U32(node.id).U32(self_).U32(lastId_).U32(static_cast<uint32_t>(nodes_.size()));
    for (const auto& [id, n] : nodes_) {
      bool me = id == self_ && opt_.bindAddress.empty();
      w.U32(id).Str(me ? link->localIp : n.address).U16(n.listenPort);
    }
    w.U32(static_cast<uint32_t>(players_.size()));
    for (const auto& [id, p] : players_) w.U32(id).U32(p.node).Str(p.name);
    Write(link, Share(w.Finish()));
    return true;
  }
  if (type == FrameType::kRejoin) {
    uint32_t node = r.U32(), seen = r.U32();
    if (!r.Done()) return false;
    lastId_ = std::max(lastId_, seen);
    if (phase_ == Phase::kHost && backlog_.count(node)) {
      AttachRejoin(link, node);
      return true;
    }
    // The host may not have gone yet from this node's view: hold the rejoin.
    if ((phase_ == Phase::kClient || phase_ == Phase::kMigrating) && Successor() == self_ && nodes_.count(node)) {
      link->node = node;
      heldRejoins_.push_back(link);
      return true;
    }
    return refuse(DPERR_NOSESSIONS);
  }
  return false;
}

bool NetSession::HandleAtHost(uint32_t node, const uint8_t* body, size_t n) {
  WireReader r(body, n);
  auto type = static_cast<FrameType>(r.U8());
  switch (type) {
    case FrameType::kData: {
      DPID from = r.U32(), to = r.U32();
      if (!r.Ok()) return false;
      auto it = players_.find(from);
      if (it != players_.end() && it->second.node == node)
        Route(from, to, body + kDataOverhead, n - kDataOverhead, node);
      return true;
    }
    case FrameType::kCreatePlayer: {
      std::string name = r.Str();
      if (!r.Done()) return false;
      if (session_.maxPlayers && players_.size() >= session_.maxPlayers) ToNode(node, RefuseFrame(DPERR_CANTCREATEPLAYER));
      else AddPlayer(NewId(), node, name);
      return true;
    }
    case FrameType::kDestroyPlayer: {
      DPID id = r.U32();
      if (!r.Done()) return false;
      auto it = players_.find(id);
      if (it == players_.end()) return true;
      if (it->second.node == node) {
        RemovePlayer(id);
      } else if (it->second.node == self_) {
        // This machine's own player was dropped by another: it is out of the session.
        queue_.PushSessionLost();
        StartHostLeave();
      } else {
        Kick(it->second.node);
      }
      return true;
    }
    case FrameType::kLeave: {
      if (!r.Done()) return false;
      LinkPtr link = peerLinks_[node];
      RemoveNode(node);
      Finish(link);
      CheckLeaveDone();
      return true;
    }
    case FrameType::kLeaveAck:
      if (!r.Done()) return false;
      peerLinks_[node]->leaveAcked = true;
      CheckLeaveDone();
      return true;
    default:
      return false;
  }
}

bool NetSession::ReadJoinOk(WireReader& r) {
  session_.instance = r.Guid();
  session_.application = r.Guid();
  session_.name = r.Str();
  session_.flags = r.U32();
  session_.maxPlayers = r.U32();
  self_ = r.U32();
  host_ = r.U32();
  lastId_ = r.U32();
  uint32_t count = r.U32();
  for (uint32_t i = 0; i < count && r.Ok(); ++i) {
    NodeRec n;
    n.id = r.U32();
    n.address = r.Str();
    n.listenPort = r.U16();
    nodes_[n.id] = n;
  }
  count = r.U32();
  for (uint32_t i = 0; i < count && r.Ok(); ++i) {
    PlayerRec p;
    p.id = r.U32();
    p.node = r.U32();
    p.name = r.Str();
    players_[p.id] = p;
  }
  return r.Done() && self_ && host_;
}

bool NetSession::HandleAtClient(const LinkPtr& link, FrameType type, WireReader& r, const uint8_t* body, size_t n) {
  if (link != hostLink_) return false;
  switch (type) {
    case FrameType::kJoinOk:
      if (phase_ != Phase::kJoining || !ReadJoinOk(r)) return false;
      phase_ = Phase::kClient;
      cv_.notify_all();
      return true;
    case FrameType::kRefuse: {
      auto hr = static_cast<HRESULT>(r.U32());
      if (!r.Done()) return false;
      if (phase_ == Phase::kJoining) {
        pendingResult_ = hr;
        phase_ = Phase::kIdle;
      } else if (creating_) {
        creating_ = false;
        pendingResult_ = hr;
      } else if (phase_ == Phase::kMigrating) {
        SessionLost();
      }
      cv_.notify_all();
      return true;
    }
    case FrameType::kRejoinOk:
      if (phase_ != Phase::kMigrating || !r.Done()) return false;
      phase_ = Phase::kClient;
      for (const Frame& f : pendingOut_) Write(hostLink_, f);
      pendingOut_.clear();
      return true;
    case FrameType::kPlayerCreated: {
      PlayerRec p;
      p.id = r.U32();
      p.node = r.U32();
      p.name = r.Str();
      uint32_t count = r.U32();
      if (!r.Done() || !p.id) return false;
      players_[p.id] = p;
      lastId_ = std::max(lastId_, p.id);
      if (p.node == self_ && creating_) {
        local_ = p.id;
        queue_.Begin(p.id, creatingSignal_, Roster());
        creating_ = false;
        pendingResult_ = DP_OK;
        cv_.notify_all();
      } else if (p.node != self_) {
        queue_.PushCreate({p.id, p.name}, count);
      }
      return true;
    }
    case FrameType::kPlayerDestroyed: {
      DPID id = r.U32();
      if (!r.Done()) return false;
      ForgetPlayer(id);
      return true;
    }
    case FrameType::kNodeJoined: {
      NodeRec n;
      n.id = r.U32();
      n.address = r.Str();
      n.listenPort = r.U16();
      if (!r.Done()) return false;
      nodes_[n.id] = n;
      lastId_ = std::max(lastId_, n.id);
      return true;
    }
    case FrameType::kNodeLeft: {
      uint32_t id = r.U32();
      if (!r.Done()) return false;
      nodes_.erase(id);
      return true;
    }
    case FrameType::kData: {
      DPID from = r.U32(), to = r.U32();
      if (!r.Ok()) return false;
      if (local_ && from != local_ && (to == DPID_ALLPLAYERS || to == local_))
        DeliverHere(from, body + kDataOverhead, n - kDataOverhead);
      return true;
    }
    case FrameType::kKick:
      if (!r.Done()) return false;
      SessionLost();
      return true;
    case FrameType::kHostLeaving:
      r.U32();
      if (!r.Done()) return false;
      hostLeaving_ = true;
      Write(link, Simple(FrameType::kLeaveAck));
      return true;
    case FrameType::kHostGone:
      if (!r.Done()) return false;
      HostLost();
      return true;
    default:
      return false;
  }
}

// ---- the host's part ----

SessionOffer NetSession::Offer() const {
  SessionOffer o = session_;
  o.currentPlayers = static_cast<uint32_t>(players_.size());
  o.host = opt_.bindAddress;
  o.port = hostPort_;
  return o;
}

uint32_t NetSession::NewId() {
  if (++lastId_ == 0) lastId_ = 1;
  return lastId_;
}

void NetSession::ToNode(uint32_t node, const Frame& frame) {
  if (auto it = peerLinks_.find(node); it != peerLinks_.end()) Write(it->second, frame);
  else if (auto b = backlog_.find(node); b != backlog_.end()) b->second.push_back(frame);
}

void NetSession::ToAllNodes(const Frame& frame, uint32_t except) {
  for (const auto& [node, link] : peerLinks_)
    if (node != except) Write(link, frame);
  for (auto& [node, frames] : backlog_)
    if (node != except) frames.push_back(frame);
}

// Delivers a message at the host: to one player, or to every player but the sender.
void NetSession::Route(DPID from, DPID to, const uint8_t* data, size_t size, uint32_t origin) {
  auto toNode = [&](uint32_t node) {
    if (auto link = peerLinks_.find(node); link != peerLinks_.end()) WriteData(link->second, from, to, data, size);
    else ToNode(node, DataFrame(from, to, data, size));
  };
  if (to == DPID_ALLPLAYERS) {
    std::set<uint32_t> targets;
    for (const auto& [id, p] : players_)
      if (p.node != origin && p.node != self_) targets.insert(p.node);
    if (targets.size() == 1) {
      toNode(*targets.begin());
    } else if (!targets.empty()) {
      Frame frame = DataFrame(from, to, data, size);
      for (uint32_t node : targets) ToNode(node, frame);
    }
    if (local_ && local_ != from) DeliverHere(from, data, size);  // last: it may take the buffer
    return;
  }
  auto it = players_.find(to);
  if (it == players_.end()) return;
  if (it->second.node != self_) toNode(it->second.node);
  else if (to == local_) DeliverHere(from, data, size);
}

void NetSession::DeliverHere(DPID from, const uint8_t* data, size_t size) {
  if (takeable_ && takeable_->in && data >= takeable_->in.get()) {
    size_t offset = static_cast<size_t>(data - takeable_->in.get());
    queue_.PushData(from, local_, std::move(takeable_->in), takeable_->inSize, offset, size);
  } else {
    queue_.PushData(from, local_, data, size);
  }
}

void NetSession::AddPlayer(DPID id, uint32_t node, const std::string& name) {
  players_[id] = {id, node, name};
  auto count = static_cast<uint32_t>(players_.size());
  ToAllNodes(Share(WireWriter(FrameType::kPlayerCreated).U32(id).U32(node).Str(name).U32(count).Finish()));
  if (node != self_) queue_.PushCreate({id, name}, count);
}

void NetSession::RemovePlayer(DPID id) {
  auto it = players_.find(id);
  if (it == players_.end()) return;
  PlayerEntry gone{id, it->second.name};
  players_.erase(it);
  ToAllNodes(WithId(FrameType::kPlayerDestroyed, id));
  if (id != local_) queue_.PushDestroy(gone);
}

void NetSession::RemoveNode(uint32_t node) {
  peerLinks_.erase(node);
  backlog_.erase(node);
  std::vector<DPID> gone;
  for (const auto& [id, p] : players_)
    if (p.node == node) gone.push_back(id);
  for (DPID id : gone) RemovePlayer(id);
  if (nodes_.erase(node)) ToAllNodes(WithId(FrameType::kNodeLeft, node));
}

void NetSession::Kick(uint32_t node) {
  auto it = peerLinks_.find(node);
  LinkPtr link = it == peerLinks_.end() ? nullptr : it->second;
  RemoveNode(node);
  if (link) {
    Write(link, Simple(FrameType::kKick));
    Finish(link);
  }
}

void NetSession::AttachRejoin(const LinkPtr& link, uint32_t node) {
  link->role = Link::Role::kPeer;
  link->node = node;
  peerLinks_[node] = link;
  Write(link, Simple(FrameType::kRejoinOk));
  for (const Frame& f : backlog_[node]) Write(link, f);
  backlog_.erase(node);
}

// Graceful leave of the host: the others stop sending to it and acknowledge,
// it relays what it still gets, then names the successor and goes.
void NetSession::StartHostLeave() {
  if (hostLeaving_) return;
  hostLeaving_ = true;
  leaveUntil_ = Clock::now() + opt_.keepAliveTimeout;
  std::vector<DPID> own;
  for (const auto& [id, p] : players_)
    if (p.node == self_) own.push_back(id);
  for (DPID id : own) RemovePlayer(id);
  if (!(session_.flags & DPSESSION_MIGRATEHOST) || peerLinks_.empty()) {
    FinishHostLeave();
    return;
  }
  ToAllNodes(WithId(FrameType::kHostLeaving, Successor()));
  CheckLeaveDone();
}

void NetSession::CheckLeaveDone() {
  if (phase_ != Phase::kHost || !hostLeaving_) return;
  for (const auto& [node, link] : peerLinks_)
    if (!link->leaveAcked) return;
  FinishHostLeave();
}

void NetSession::FinishHostLeave() {
  bool migrate = session_.flags & DPSESSION_MIGRATEHOST;
  for (const auto& [node, link] : peerLinks_) {
    if (migrate) Write(link, Simple(FrameType::kHostGone));
    Finish(link);
  }
  peerLinks_.clear();
  backlog_.clear();
  hostLeaving_ = false;
  phase_ = Phase::kClosing;
  leaveUntil_ = Clock::now() + opt_.connectTimeout;
  cv_.notify_all();
}

// ---- the client's part ----

void NetSession::ForgetPlayer(DPID id) {
  auto it = players_.find(id);
  if (it == players_.end()) return;
  PlayerEntry gone{id, it->second.name};
  players_.erase(it);
  if (id != local_) queue_.PushDestroy(gone);
}

// The node of the latest player outside the host; with no such player, the latest node.
uint32_t NetSession::Successor() const {
  uint32_t best = 0;
  for (const auto& [id, p] : players_)
    if (p.node != host_ && nodes_.count(p.node)) best = p.node;
  if (best) return best;
  for (const auto& [id, n] : nodes_)
    if (id != host_) best = id;
  return best;
}

void NetSession::HostLost() {
  if (phase_ != Phase::kClient) return;
  if (hostLink_) CloseLink(hostLink_);
  if (!(session_.flags & DPSESSION_MIGRATEHOST)) {
    SessionLost();
    return;
  }
  nodes_.erase(host_);
  hostLeaving_ = false;
  migrateUntil_ = Clock::now() + opt_.keepAliveTimeout * 2;
  uint32_t next = Successor();
  if (next == self_ || next == 0) {
    BecomeHost();
  } else {
    phase_ = Phase::kMigrating;
    host_ = next;
    Rejoin(next);
  }
}

void NetSession::BecomeHost() {
  phase_ = Phase::kHost;
  host_ = self_;
  hostLink_.reset();
  rejoinUntil_ = Clock::now() + opt_.keepAliveTimeout * 2;
  for (const auto& [id, n] : nodes_)
    if (id != self_) backlog_[id];
  std::vector<DPID> orphans;
  for (const auto& [id, p] : players_)
    if (!nodes_.count(p.node)) orphans.push_back(id);
  for (DPID id : orphans) RemovePlayer(id);
  queue_.PushHost();
  for (const LinkPtr& link : heldRejoins_) {
    if (backlog_.count(link->node)) {
      AttachRejoin(link, link->node);
    } else {
      Write(link, RefuseFrame(DPERR_NOSESSIONS));
      Finish(link);
    }
  }
  heldRejoins_.clear();
  for (const Frame& f : pendingOut_) HandleAtHost(self_, f->data() + kFrameHeader, f->size() - kFrameHeader);
  pendingOut_.clear();
  OnIo([this] {
    std::lock_guard lock(m_);
    if (phase_ == Phase::kHost && !portListener_ && OpenPortListener()) OpenEnumSocket();
  });
}

void NetSession::Rejoin(uint32_t node) {
  auto it = nodes_.find(node);
  if (it == nodes_.end() || Clock::now() > migrateUntil_) {
    SessionLost();
    return;
  }
  asio::error_code ec;
  tcp::endpoint ep(asio::ip::make_address_v4(it->second.address, ec), it->second.listenPort);
  OnIo([this, ep, node] {
    std::lock_guard lock(m_);
    if (phase_ != Phase::kMigrating || host_ != node || shuttingDown_) return;
    auto sock = std::make_shared<tcp::socket>(io_);
    asio::error_code ec;
    sock->open(tcp::v4(), ec);
    if (!opt_.bindAddress.empty()) sock->bind(tcp::endpoint(asio::ip::make_address_v4(opt_.bindAddress, ec), 0), ec);
    sock->async_connect(ep, [this, sock, node](const asio::error_code& ec) {
      std::lock_guard lock(m_);
      if (phase_ != Phase::kMigrating || host_ != node || shuttingDown_) return;
      if (!ec) {
        hostLink_ = AddLink(std::move(*sock));
        hostLink_->role = Link::Role::kHost;
        StartRead(hostLink_);
        Write(hostLink_, Share(WireWriter(FrameType::kRejoin).U32(self_).U32(lastId_).Finish()));
        return;
      }
      auto retry = std::make_shared<asio::steady_timer>(io_, std::chrono::milliseconds(20));
      retry->async_wait([this, retry, node](const asio::error_code& ec) {
        std::lock_guard lock(m_);
        if (!ec && phase_ == Phase::kMigrating && host_ == node && !shuttingDown_) Rejoin(node);
      });
    });
  });
}

void NetSession::SessionLost() {
  queue_.PushSessionLost();
  for (const LinkPtr& l : std::vector<LinkPtr>(links_.begin(), links_.end())) CloseLink(l);
  hostLink_.reset();
  pendingOut_.clear();
  creating_ = false;
  phase_ = Phase::kLost;
  cv_.notify_all();
}

void NetSession::SendToHost(Frame frame) {
  if (phase_ == Phase::kClient && !hostLeaving_) Write(hostLink_, frame);
  else if (phase_ == Phase::kClient || phase_ == Phase::kMigrating) pendingOut_.push_back(std::move(frame));
}

std::vector<PlayerEntry> NetSession::Roster() const {
  std::vector<PlayerEntry> out;
  for (const auto& [id, p] : players_) out.push_back({id, p.name});
  return out;
}

// ---- operations ----

HRESULT NetSession::InitializeConnection(const void* address, uint32_t flags) {
  if (flags) return DPERR_INVALIDFLAGS;
  ConnectionAddress a;
  if (!address || !ParseConnectionAddress(address, a)) return DPERR_INVALIDPARAMS;
  std::lock_guard lock(m_);
  if (bound_) return DPERR_ALREADYINITIALIZED;
  if (!(a.provider == DPSPGUID_TCPIP)) return DPERR_UNSUPPORTED;
  where_ = a;
  bound_ = true;
  return DP_OK;
}

HRESULT NetSession::EnumSessions(DPSESSIONDESC2* sd, uint32_t timeout, LPDPENUMSESSIONSCALLBACK2 callback,
                                 void* context, uint32_t flags) {
  if (!sd || !callback || sd->dwSize != sizeof(DPSESSIONDESC2)) return DPERR_INVALIDPARAMS;
  if (flags & ~DPENUMSESSIONS_AVAILABLE) return DPERR_INVALIDFLAGS;
  ConnectionAddress where;
  {
    std::lock_guard lock(m_);
    if (!bound_) return DPERR_NOCONNECTION;
    where = where_;
  }
  GUID app = sd->guidApplication;
  auto wait = timeout ? std::chrono::milliseconds(timeout) : opt_.enumTimeout;
  for (;;) {
    auto found = FindSessions(opt_, where, app, wait);
    {
      std::lock_guard lock(m_);
      known_ = found;
    }
    for (const SessionOffer& s : found) {
      bool full = s.maxPlayers && s.currentPlayers >= s.maxPlayers;
      if (!(s.application == app) || ((flags & DPENUMSESSIONS_AVAILABLE) && full)) continue;
      DPSESSIONDESC2 d{};
      d.dwSize = sizeof d;
      d.dwFlags = s.flags;
      d.guidInstance = s.instance;
      d.guidApplication = s.application;
      d.dwMaxPlayers = s.maxPlayers;
      d.dwCurrentPlayers = s.currentPlayers;
      d.lpszSessionNameA = s.name.c_str();
      auto t = static_cast<uint32_t>(wait.count());
      if (!callback(&d, &t, 0, context)) return DP_OK;
    }
    auto t = static_cast<uint32_t>(wait.count());
    if (!callback(nullptr, &t, DPESC_TIMEDOUT, context)) return DP_OK;
  }
}

HRESULT NetSession::Open(DPSESSIONDESC2* sd, uint32_t flags) {
  if (!sd || sd->dwSize != sizeof(DPSESSIONDESC2)) return DPERR_INVALIDPARAMS;
  if (flags != DPOPEN_CREATE && flags != DPOPEN_JOIN) return DPERR_INVALIDFLAGS;
  Lock lock(m_);
  if (!bound_) return DPERR_NOCONNECTION;
  if (phase_ != Phase::kIdle) return DPERR_ALREADYINITIALIZED;
  HRESULT hr = DP_OK;
  if (flags == DPOPEN_CREATE) {
    RunOnIo(lock, [&] {
      session_ = {RandomGuid(), sd->guidApplication, sd->lpszSessionNameA ? sd->lpszSessionNameA : "",
                  sd->dwFlags, sd->dwMaxPlayers, 0, "", 0};
      if (!OpenPortListener()) {
        hr = DPERR_CANTCREATESESSION;
        session_ = {};
        return;
      }
      OpenEnumSocket();
      lastId_ = std::random_device()() % 0x40000000u;
      self_ = host_ = NewId();
      nodes_[self_] = {self_, opt_.bindAddress, hostPort_};
      phase_ = Phase::kHost;
    });
    return hr;
  }
  auto offer = std::find_if(known_.begin(), known_.end(), [&](const SessionOffer& s) {
    return s.instance == sd->guidInstance && s.application == sd->guidApplication;
  });
  if (offer == known_.end()) return DPERR_NOSESSIONS;
  asio::error_code ec;
  tcp::endpoint ep(asio::ip::make_address_v4(offer->host, ec), offer->port);
  if (ec) return DPERR_NOSESSIONS;
  phase_ = Phase::kJoining;
  pendingResult_ = DPERR_TIMEOUT;
  GUID app = offer->application, instance = offer->instance;
  OnIo([this, ep, app, instance] {
    std::lock_guard inner(m_);
    if (phase_ != Phase::kJoining) return;
    asio::error_code ec;
    auto local = opt_.bindAddress.empty() ? asio::ip::address_v4::any() : asio::ip::make_address_v4(opt_.bindAddress, ec);
    nodeListener_ = std::make_shared<tcp::acceptor>(io_);
    nodeListener_->open(tcp::v4(), ec);
    if (!ec) nodeListener_->bind(tcp::endpoint(local, 0), ec);
    if (!ec) nodeListener_->listen(asio::socket_base::max_listen_connections, ec);
    auto sock = std::make_shared<tcp::socket>(io_);
    if (!ec) sock->open(tcp::v4(), ec);
    if (!ec && !opt_.bindAddress.empty()) sock->bind(tcp::endpoint(local, 0), ec);
    if (ec) {
      pendingResult_ = DPERR_CANTCREATEPLAYER;
      phase_ = Phase::kIdle;
      cv_.notify_all();
      return;
    }
    uint16_t listenPort = nodeListener_->local_endpoint(ec).port();
    Accept(nodeListener_);
    sock->async_connect(ep, [this, sock, app, instance, listenPort](const asio::error_code& ec) {
      std::lock_guard lock(m_);
      if (phase_ != Phase::kJoining) return;
      if (ec) {
        pendingResult_ = DPERR_NOSESSIONS;
        phase_ = Phase::kIdle;
        cv_.notify_all();
        return;
      }
      hostLink_ = AddLink(std::move(*sock));
      hostLink_->role = Link::Role::kHost;
      StartRead(hostLink_);
      Write(hostLink_, Share(WireWriter(FrameType::kJoin).Guid(app).Guid(instance).U16(listenPort).Finish()));
    });
  });
  cv_.wait_for(lock, opt_.connectTimeout, [&] { return phase_ != Phase::kJoining; });
  if (phase_ == Phase::kClient) return DP_OK;
  hr = phase_ == Phase::kJoining ? DPERR_TIMEOUT : pendingResult_;
  RunOnIo(lock, [this] { Reset(); });
  return hr;
}

HRESULT NetSession::Close() {
  Lock lock(m_);
  if (phase_ == Phase::kIdle) return DP_OK;
  if (phase_ == Phase::kHost) {
    StartHostLeave();
  } else if (phase_ == Phase::kClient) {
    if (!hostLeaving_) Write(hostLink_, Simple(FrameType::kLeave));
    Finish(hostLink_);
    phase_ = Phase::kClosing;
    leaveUntil_ = Clock::now() + opt_.connectTimeout;
  }
  cv_.wait_for(lock, opt_.keepAliveTimeout + opt_.connectTimeout, [&] {
    return phase_ == Phase::kIdle || phase_ == Phase::kLost || phase_ == Phase::kJoining ||
           (phase_ == Phase::kClosing && links_.empty());
  });
  RunOnIo(lock, [this] { Reset(); });
  return DP_OK;
}

HRESULT NetSession::CreatePlayer(DPID* id, const DPNAME* name, IDPSignal* signal, uint32_t flags) {
  if (!id) return DPERR_INVALIDPARAMS;
  if (flags) return DPERR_INVALIDFLAGS;
  std::string text = name && name->lpszShortNameA ? name->lpszShortNameA : "";
  Lock lock(m_);
  if ((phase_ != Phase::kHost && phase_ != Phase::kClient) || hostLeaving_) return DPERR_NOSESSIONS;
  if (local_ || creating_) return DPERR_CANTCREATEPLAYER;
  if (phase_ == Phase::kHost) {
    if (session_.maxPlayers && players_.size() >= session_.maxPlayers) return DPERR_CANTCREATEPLAYER;
    DPID pid = NewId();
    AddPlayer(pid, self_, text);
    local_ = pid;
    queue_.Begin(pid, signal, Roster());
    *id = pid;
    return DP_OK;
  }
  creating_ = true;
  creatingSignal_ = signal;
  pendingResult_ = DPERR_TIMEOUT;
  Write(hostLink_, Share(WireWriter(FrameType::kCreatePlayer).Str(text).Finish()));
  cv_.wait_for(lock, opt_.connectTimeout, [&] { return !creating_; });
  creating_ = false;
  creatingSignal_ = nullptr;
  if (pendingResult_ == DP_OK) *id = local_;
  return pendingResult_;
}

HRESULT NetSession::DestroyPlayer(DPID id) {
  std::lock_guard lock(m_);
  if (id && id == local_) {
    queue_.End();
    local_ = 0;
    if (phase_ == Phase::kHost) {
      RemovePlayer(id);
    } else {
      players_.erase(id);
      SendToHost(WithId(FrameType::kDestroyPlayer, id));
    }
    return DP_OK;
  }
  if (!InSession()) return DPERR_NOSESSIONS;
  auto it = players_.find(id);
  if (it == players_.end()) return DPERR_INVALIDPLAYER;
  if (phase_ == Phase::kHost) Kick(it->second.node);
  else SendToHost(WithId(FrameType::kDestroyPlayer, id));
  return DP_OK;
}

HRESULT NetSession::EnumPlayers(const GUID* instance, LPDPENUMPLAYERSCALLBACK2 callback, void* context,
                                uint32_t flags) {
  if (instance || !callback) return DPERR_INVALIDPARAMS;
  if (flags & ~DPENUMPLAYERS_REMOTE) return DPERR_INVALIDFLAGS;
  std::vector<PlayerEntry> list;
  DPID self;
  {
    std::lock_guard lock(m_);
    if (!InSession()) return DPERR_NOSESSIONS;
    list = queue_.Active() ? queue_.View() : Roster();
    self = local_;
  }
  for (const PlayerEntry& p : list) {
    if ((flags & DPENUMPLAYERS_REMOTE) && p.id == self) continue;
    DPNAME name{sizeof(DPNAME), 0, p.name.empty() ? nullptr : p.name.c_str(), nullptr};
    if (!callback(p.id, DPPLAYERTYPE_PLAYER, &name, 0, context)) break;
  }
  return DP_OK;
}

HRESULT NetSession::GetCaps(DPCAPS* caps, uint32_t) {
  if (!caps || caps->dwSize != sizeof(DPCAPS)) return DPERR_INVALIDPARAMS;
  std::lock_guard lock(m_);
  if (!bound_) return DPERR_NOCONNECTION;
  *caps = {};
  caps->dwSize = sizeof(DPCAPS);
  caps->dwMaxBufferSize = opt_.maxFrameSize - kDataOverhead;
  caps->dwMaxPlayers = session_.maxPlayers;
  caps->dwMaxLocalPlayers = 1;
  caps->dwHeaderLength = kFrameHeader + kDataOverhead;
  caps->dwTimeout = static_cast<uint32_t>(opt_.keepAliveTimeout.count());
  return DP_OK;
}

HRESULT NetSession::GetPlayerAddress(DPID id, void* data, uint32_t* size) {
  std::lock_guard lock(m_);
  if (!InSession()) return DPERR_NOSESSIONS;
  auto p = players_.find(id);
  if (p == players_.end()) return DPERR_INVALIDPLAYER;
  auto n = nodes_.find(p->second.node);
  std::string ip = n == nodes_.end() ? "" : n->second.address;
  if (ip.empty()) ip = peerLinks_.empty() ? "127.0.0.1" : peerLinks_.begin()->second->localIp;
  return CopyOut(PlayerAddress(ip), data, size);
}

HRESULT NetSession::Send(DPID from, DPID to, uint32_t flags, const void* data, uint32_t size) {
  if (flags & ~DPSEND_GUARANTEED) return DPERR_INVALIDFLAGS;
  if ((size && !data) || size > opt_.maxFrameSize - kDataOverhead) return DPERR_INVALIDPARAMS;
  auto bytes = static_cast<const uint8_t*>(data);
  std::lock_guard lock(m_);
  if (phase_ == Phase::kLost) return DPERR_CONNECTIONLOST;
  if (!InSession()) return DPERR_NOSESSIONS;
  if (!from || from != local_ || (to != DPID_ALLPLAYERS && !players_.count(to))) return DPERR_INVALIDPLAYER;
  if (phase_ == Phase::kHost) Route(from, to, bytes, size, self_);
  else if (phase_ == Phase::kClient && !hostLeaving_) WriteData(hostLink_, from, to, bytes, size);
  else SendToHost(DataFrame(from, to, bytes, size));
  return DP_OK;
}

void NetSession::Abort() {
  Lock lock(m_);
  RunOnIo(lock, [this] { Reset(); });
}

// ---- the interface object ----

NetDirectPlay::NetDirectPlay(const ServiceOptions& options, const GUID* provider)
    : session_(std::make_unique<NetSession>(options, provider)) {}

NetDirectPlay::~NetDirectPlay() = default;

HRESULT NetDirectPlay::InitializeConnection(const void* lpConnection, uint32_t dwFlags) {
  return session_->InitializeConnection(lpConnection, dwFlags);
}
HRESULT NetDirectPlay::EnumSessions(DPSESSIONDESC2* lpsd, uint32_t dwTimeout, LPDPENUMSESSIONSCALLBACK2 lpCallback,
                                    void* lpContext, uint32_t dwFlags) {
  return session_->EnumSessions(lpsd, dwTimeout, lpCallback, lpContext, dwFlags);
}
HRESULT NetDirectPlay::Open(DPSESSIONDESC2* lpsd, uint32_t dwFlags) { return session_->Open(lpsd, dwFlags); }
HRESULT NetDirectPlay::Close() { return session_->Close(); }
HRESULT NetDirectPlay::CreatePlayer(DPID* lpidPlayer, const DPNAME* lpPlayerName, IDPSignal* hEvent, const void*,
                                    uint32_t, uint32_t dwFlags) {
  return session_->CreatePlayer(lpidPlayer, lpPlayerName, hEvent, dwFlags);
}
HRESULT NetDirectPlay::DestroyPlayer(DPID idPlayer) { return session_->DestroyPlayer(idPlayer); }
HRESULT NetDirectPlay::EnumPlayers(const GUID* lpguidInstance, LPDPENUMPLAYERSCALLBACK2 lpCallback, void* lpContext,
                                   uint32_t dwFlags) {
  return session_->EnumPlayers(lpguidInstance, lpCallback, lpContext, dwFlags);
}
HRESULT NetDirectPlay::GetCaps(DPCAPS* lpDPCaps, uint32_t dwFlags) { return session_->GetCaps(lpDPCaps, dwFlags); }
HRESULT NetDirectPlay::GetPlayerAddress(DPID idPlayer, void* lpData, uint32_t* lpdwDataSize) {
  return session_->GetPlayerAddress(idPlayer, lpData, lpdwDataSize);
}
HRESULT NetDirectPlay::Send(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData, uint32_t dwDataSize) {
  return session_->Send(idFrom, idTo, dwFlags, lpData, dwDataSize);
}
HRESULT NetDirectPlay::SendEx(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData, uint32_t dwDataSize,
                              uint32_t, uint32_t, void*, uint32_t* lpdwMsgID) {
  if (dwFlags & DPSEND_ASYNC) return DPERR_UNSUPPORTED;
  if (lpdwMsgID) *lpdwMsgID = 0;
  return session_->Send(idFrom, idTo, dwFlags, lpData, dwDataSize);
}
HRESULT NetDirectPlay::Receive(DPID* lpidFrom, DPID* lpidTo, uint32_t dwFlags, void* lpData, uint32_t* lpdwDataSize) {
  return session_->Receive(lpidFrom, lpidTo, dwFlags, lpData, lpdwDataSize);
}
void NetDirectPlay::Abort() { session_->Abort(); }

}  // namespace kordalt::dplay
