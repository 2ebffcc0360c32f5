#include "platform/session/net_session.h"

namespace kordalt::dplay {

// ---- frames ----

bool NetSession::HandleFrame(const LinkPtr& link, const uint8_t* body, size_t n) {
    WireReader r(body, n);
    auto type = static_cast<FrameType>(r.U8());
    if (type == FrameType::kPing) return r.Done();
    switch (link->role) {
        case Link::Role::kNew:
            return HandleNew(link, type, r);
        case Link::Role::kPeer: {
            auto it = peerLinks_.find(link->node);
            if (it == peerLinks_.end() || it->second != link)
                return true;  // a removed node's link on its way out
            return phase_ == Phase::kHost && HandleAtHost(link->node, body, n);
        }
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
        ToAllNodes(Share(
            WireWriter(FrameType::kNodeJoined).U32(node.id).Str(node.address).U16(listenPort).Finish()));
        nodes_[node.id] = node;
        link->role = Link::Role::kPeer;
        link->node = node.id;
        peerLinks_[node.id] = link;
        WireWriter w(FrameType::kJoinOk);
        w.Guid(session_.instance).Guid(session_.application).Str(session_.name).U32(session_.flags);
        w.U32(session_.maxPlayers).U32(node.id).U32(self_).U32(lastId_);
        WriteRoster(w, nodes_, players_, link->localIp);
        Write(link, Share(w.Finish()));
        return true;
    }
    if (type == FrameType::kRejoin) {
        uint32_t node = r.U32(), seen = r.U32();
        if (!r.Done()) return false;
        if (phase_ == Phase::kHost && backlog_.count(node)) {
            AttachRejoin(link, node, seen);
            return true;
        }
        // The host may not have gone yet from this node's view: hold the rejoin.
        if ((phase_ == Phase::kClient || phase_ == Phase::kMigrating) && Successor() == self_ &&
            nodes_.count(node) && !link->held) {
            link->node = node;
            link->seen = seen;
            link->held = true;
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
            if (session_.maxPlayers && players_.size() >= session_.maxPlayers)
                ToNode(node, RefuseFrame(DPERR_CANTCREATEPLAYER));
            else
                AddPlayer(NewId(), node, name);
            return true;
        }
        case FrameType::kDestroyPlayer: {
            DPID id = r.U32();
            if (!r.Done()) return false;
            // A node may destroy only its own players; dropping others is the host's right.
            auto it = players_.find(id);
            if (it != players_.end() && it->second.node == node) RemovePlayer(id);
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
    return ReadRoster(r, nodes_, players_) && r.Done() && self_ && host_;
}

bool NetSession::HandleAtClient(const LinkPtr& link, FrameType type, WireReader& r, const uint8_t* body,
                                size_t n) {
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
        case FrameType::kRejoinOk: {
            NodeMap nodes;
            PlayerMap players;
            if (phase_ != Phase::kMigrating || !ReadRoster(r, nodes, players) || !r.Done()) return false;
            phase_ = Phase::kClient;
            TakeRoster(std::move(nodes), players);
            for (const Frame& f : pendingOut_) Write(hostLink_, f);
            pendingOut_.clear();
            return true;
        }
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
    if (auto it = peerLinks_.find(node); it != peerLinks_.end())
        Write(it->second, frame);
    else if (auto b = backlog_.find(node); b != backlog_.end())
        b->second.push_back(frame);
}

void NetSession::ToAllNodes(const Frame& frame, uint32_t except) {
    for (const auto& [node, link] : peerLinks_)
        if (node != except) Write(link, frame);
    for (auto& [node, frames] : backlog_)
        if (node != except) frames.push_back(frame);
}

// Delivers a message: at the host to one player or to every player but the sender; anywhere to the own
// player.
void NetSession::Route(DPID from, DPID to, const uint8_t* data, size_t size, uint32_t origin) {
    auto toNode = [&](uint32_t node) {
        if (auto link = peerLinks_.find(node); link != peerLinks_.end())
            WriteData(link->second, from, to, data, size);
        else
            ToNode(node, DataFrame(from, to, data, size));
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
    if (it->second.node != self_)
        toNode(it->second.node);
    else if (to == local_)
        DeliverHere(from, data, size);
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

// The highest id the rejoining node has seen counts only now that it is accepted.
// The roster comes last: it names what the node missed before the backlog began.
void NetSession::AttachRejoin(const LinkPtr& link, uint32_t node, uint32_t seen) {
    lastId_ = std::max(lastId_, seen);
    link->held = false;
    link->role = Link::Role::kPeer;
    link->node = node;
    peerLinks_[node] = link;
    for (const Frame& f : backlog_[node]) Write(link, f);
    backlog_.erase(node);
    WireWriter w(FrameType::kRejoinOk);
    WriteRoster(w, nodes_, players_, link->localIp);
    Write(link, Share(w.Finish()));
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

// A node that rejoins may have missed players who left, or came, while the
// host changed (an intermediate host that died with its news unsent): the
// new host's roster holds.
void NetSession::TakeRoster(NodeMap nodes, const PlayerMap& players) {
    std::vector<DPID> gone;
    for (const auto& [id, p] : players_)
        if (!players.count(id)) gone.push_back(id);
    for (DPID id : gone) ForgetPlayer(id);
    for (const auto& [id, p] : players) {
        lastId_ = std::max(lastId_, id);
        if (!players_.emplace(id, p).second || p.node == self_) continue;
        queue_.PushCreate({id, p.name}, static_cast<uint32_t>(players_.size()));
    }
    for (const auto& [id, n] : nodes) lastId_ = std::max(lastId_, id);
    nodes_ = std::move(nodes);
}

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
    hostLeaving_ = false;
    MigrateFrom(host_);
}

// The host, or the successor this node was rejoining, is gone: the next
// successor takes its place.
void NetSession::MigrateFrom(uint32_t gone) {
    nodes_.erase(gone);
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
        if (!link->open) continue;
        if (backlog_.count(link->node)) {
            AttachRejoin(link, link->node, link->seen);
        } else {
            Write(link, RefuseFrame(DPERR_NOSESSIONS));
            Finish(link);
        }
    }
    heldRejoins_.clear();
    for (const Frame& f : pendingOut_)
        HandleAtHost(self_, f->data() + kFrameHeader, f->size() - kFrameHeader);
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
        if (shuttingDown_ || Frozen() || phase_ != Phase::kMigrating || host_ != node) return;
        auto sock = std::make_shared<tcp::socket>(io_);
        asio::error_code ec;
        sock->open(tcp::v4(), ec);
        if (!opt_.bindAddress.empty())
            sock->bind(tcp::endpoint(asio::ip::make_address_v4(opt_.bindAddress, ec), 0), ec);
        sock->async_connect(ep, [this, sock, node](const asio::error_code& ec) {
            std::lock_guard lock(m_);
            if (shuttingDown_ || Frozen() || phase_ != Phase::kMigrating || host_ != node) return;
            if (ec == asio::error::connection_refused) {
                MigrateFrom(node);  // nothing listens there: that node is gone too
                return;
            }
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
                if (!ec && !shuttingDown_ && !Frozen() && phase_ == Phase::kMigrating && host_ == node)
                    Rejoin(node);
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
    if (phase_ == Phase::kClient && !hostLeaving_)
        Write(hostLink_, frame);
    else if (phase_ == Phase::kClient || phase_ == Phase::kMigrating)
        pendingOut_.push_back(std::move(frame));
}

std::vector<PlayerEntry> NetSession::Roster() const {
    std::vector<PlayerEntry> out;
    for (const auto& [id, p] : players_) out.push_back({id, p.name});
    return out;
}

}  // namespace kordalt::dplay
