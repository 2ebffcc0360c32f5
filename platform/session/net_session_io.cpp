#include <sys/socket.h>
#include <sys/uio.h>

#include <cerrno>

#include "platform/session/net_session.h"

namespace kordalt::dplay {

NetSession::NetSession(const ServiceOptions& options, const GUID* provider)
    : opt_(options), work_(asio::make_work_guard(io_)), acceptRetry_(io_), tick_(io_) {
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
        acceptRetry_.cancel();
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
    Frozen();
    auto now = Clock::now();
    bool keepAlive = session_.flags & DPSESSION_KEEPALIVE;
    auto ping = Share(WireWriter(FrameType::kPing).Finish());
    for (const LinkPtr& link : std::vector<LinkPtr>(links_.begin(), links_.end())) {
        if (!link->open) continue;
        bool silent = now - link->lastRecv > opt_.keepAliveTimeout;
        if (link->finishing && now > link->lingerUntil)
            CloseLink(link);
        else if (Overdue(*link, now) || (silent && (keepAlive || link->role == Link::Role::kNew)))
            LinkDown(link);
        else if (!link->finishing && now - link->lastSend >= TickInterval())
            Write(link, ping);
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

// True when the I/O thread could not run for so long that the others may have
// found this node silent past the keep-alive time (the process was stopped):
// its session is lost before it acts on anything it finds.
bool NetSession::Frozen() {
    auto now = Clock::now();
    bool stood = now - lastAwake_ > opt_.keepAliveTimeout - TickInterval();
    lastAwake_ = now;
    if (!stood || !InSession() || !(session_.flags & DPSESSION_KEEPALIVE)) return false;
    SessionLost();
    return true;
}

// A link that has not joined in time, or whose frame in hand does not finish
// within the keep-alive time (a held rejoin waits for the host to go instead).
bool NetSession::Overdue(const Link& link, Clock::time_point now) const {
    bool unjoined = link.role == Link::Role::kNew && !link.held && !link.finishing;
    if (unjoined && now - link.opened > opt_.connectTimeout) return true;
    return link.inUsed && now - link.frameStarted > (unjoined ? opt_.connectTimeout : opt_.keepAliveTimeout);
}

void NetSession::Accept(const std::shared_ptr<tcp::acceptor>& acceptor) {
    acceptor->async_accept([this, acceptor](const asio::error_code& ec, tcp::socket socket) {
        std::lock_guard lock(m_);
        if (shuttingDown_ || (acceptor != nodeListener_ && acceptor != portListener_)) return;
        if (ec) {
            AcceptLater(acceptor);
            return;
        }
        acceptBackoff_ = {};
        LinkPtr link = AddLink(std::move(socket));
        CapUnjoined(link->peerIp);
        if (link->open) StartRead(link);
        Accept(acceptor);
    });
}

// Out of descriptors (or another failure): try again later, waiting longer each time.
void NetSession::AcceptLater(const std::shared_ptr<tcp::acceptor>& acceptor) {
    using std::chrono::milliseconds;
    acceptWaiting_.push_back(acceptor);
    if (acceptWaiting_.size() > 1) return;  // the timer runs already
    acceptBackoff_ = std::clamp(acceptBackoff_ * 2, milliseconds(10), milliseconds(1000));
    acceptRetry_.expires_after(acceptBackoff_);
    acceptRetry_.async_wait([this](const asio::error_code& ec) {
        std::lock_guard lock(m_);
        if (ec || shuttingDown_) return;
        for (const auto& waiting : std::exchange(acceptWaiting_, {}))
            if (waiting == nodeListener_ || waiting == portListener_) Accept(waiting);
    });
}

// Over a cap of the links that have not joined, the oldest of the address
// holding most goes (of `ip`, the newest link's, when that is over its own cap):
// links flooding in from a few addresses do not shut a newcomer out.
void NetSession::CapUnjoined(const std::string& ip) {
    std::map<std::string, std::vector<LinkPtr>> byIp;
    size_t all = 0;
    for (const LinkPtr& l : links_) {
        if (l->role != Link::Role::kNew || l->held) continue;
        byIp[l->peerIp].push_back(l);
        ++all;
    }
    auto older = [](const LinkPtr& a, const LinkPtr& b) { return a->opened < b->opened; };
    auto oldest = [&](const std::vector<LinkPtr>& v) { return *std::min_element(v.begin(), v.end(), older); };
    const std::vector<LinkPtr>* from = nullptr;
    if (byIp[ip].size() > opt_.maxUnjoinedPerAddress) {
        from = &byIp[ip];
    } else if (all > opt_.maxUnjoinedLinks) {
        for (const auto& [address, v] : byIp)
            if (!v.empty() && (!from || v.size() > from->size() ||
                               (v.size() == from->size() && older(oldest(v), oldest(*from)))))
                from = &v;
    }
    if (from) CloseLink(oldest(*from));
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
    if (shuttingDown_ || Frozen() || !link->open) return;
    if (ec) {
        LinkDown(link);
        return;
    }
    link->lastRecv = Clock::now();
    const bool hadPartial = link->inUsed > 0;
    link->inUsed += n;
    const uint8_t* in = link->in.get();
    size_t at = 0;
    while (link->open && link->inUsed - at >= kFrameHeader) {
        uint32_t size;
        std::memcpy(&size, in + at, 4);
        uint32_t limit = link->role == Link::Role::kNew ? opt_.maxUnjoinedFrame : opt_.maxFrameSize;
        if (size == 0 || size > limit) {
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
    if (link->inUsed && (at || !hadPartial)) link->frameStarted = link->lastRecv;
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
        WriteFailed(link);
        return;
    }
    size_t sent = n < 0 ? 0 : static_cast<size_t>(n);
    if (sent) link->lastSend = Clock::now();
    if (sent == head.size() + size) return;
    std::vector<uint8_t> rest;
    rest.reserve(head.size() + size - sent);
    if (sent < head.size())
        rest.insert(rest.end(), head.begin() + static_cast<std::ptrdiff_t>(sent), head.end());
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
        ssize_t n = ::send(link->fd, bytes.data() + link->outAt, bytes.size() - link->outAt,
                           MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            ArmWrite(link);
            return;
        }
        if (n < 0) {
            WriteFailed(link);
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
    LinkLost(link);
}

// Writes go on inside loops over the links and nodes, which the loss of a link
// changes: a link a write finds dead is closed at once and its loss taken later.
void NetSession::WriteFailed(const LinkPtr& link) {
    if (!link->open) return;
    CloseLink(link);
    OnIo([this, link] {
        std::lock_guard lock(m_);
        if (!shuttingDown_ && !Frozen()) LinkLost(link);
    });
}

// What the loss of a closed link means: a node gone at the host, the host gone at a client.
void NetSession::LinkLost(const LinkPtr& link) {
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
            MigrateFrom(host_);  // a refusal ends the session before this
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

// Answers enumeration on the session port; several hosts on one machine share
// it. A host bound to an address takes queries sent to that address, and the
// broadcasts of its network on a second socket bound to their address (a socket
// bound to one address does not see them); it answers from the first.
void NetSession::OpenEnumSocket() {
    auto open = [this](const asio::ip::address_v4& address) {
        asio::error_code ec;
        auto port = std::make_shared<EnumPort>(io_);
        port->socket.open(udp::v4(), ec);
        if (!ec) port->socket.set_option(udp::socket::reuse_address(true), ec);
        if (!ec) port->socket.bind(udp::endpoint(address, hostPort_), ec);
        return ec ? nullptr : port;
    };
    asio::error_code ec;
    auto local = opt_.bindAddress.empty() ? asio::ip::address_v4::any()
                                          : asio::ip::make_address_v4(opt_.bindAddress, ec);
    if (ec || !(enumSocket_ = open(local))) return;
    ReceiveEnum(enumSocket_);
    if (opt_.bindAddress.empty()) return;
    for (const std::string& target : BroadcastTargets(opt_)) {
        auto broadcast = asio::ip::make_address_v4(target, ec);
        if (ec || broadcast == local) continue;
        if ((enumBroadcast_ = open(broadcast))) {
            ReceiveEnum(enumBroadcast_);
            break;
        }
    }
}

void NetSession::ReceiveEnum(const std::shared_ptr<EnumPort>& port) {
    port->socket.async_receive_from(
        asio::buffer(port->in), port->from, [this, port](const asio::error_code& ec, size_t n) {
            std::lock_guard lock(m_);
            if (ec || (port != enumSocket_ && port != enumBroadcast_) || shuttingDown_) return;
            Frozen();
            uint32_t size = 0;
            if (n >= kFrameHeader) std::memcpy(&size, port->in.data(), 4);
            WireReader r(port->in.data() + kFrameHeader, n >= kFrameHeader ? n - kFrameHeader : 0);
            bool request = n >= kFrameHeader && size == n - kFrameHeader &&
                           r.U8() == static_cast<uint8_t>(FrameType::kEnum);
            GUID app = r.Guid();
            if (request && r.Done() && phase_ == Phase::kHost && !hostLeaving_ &&
                app == session_.application) {
                auto reply = EnumReplyFrame(Offer());
                asio::error_code ignored;
                enumSocket_->socket.send_to(asio::buffer(reply), port->from, 0, ignored);
            }
            ReceiveEnum(port);
        });
}

void NetSession::Reset() {
    for (const LinkPtr& l : std::vector<LinkPtr>(links_.begin(), links_.end())) CloseLink(l);
    for (const LinkPtr& l : heldRejoins_) CloseLink(l);
    asio::error_code ec;
    for (auto* a : {&nodeListener_, &portListener_})
        if (*a) (*a)->close(ec), a->reset();
    for (auto* s : {&enumSocket_, &enumBroadcast_})
        if (*s) (*s)->socket.close(ec), s->reset();
    queue_.End();
    acceptWaiting_.clear();
    acceptBackoff_ = {};
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

}  // namespace kordalt::dplay
