#include "platform/session/net_directplay.h"

#include "platform/session/net_session.h"

namespace kordalt::dplay {

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
            session_ = {RandomGuid(),
                        sd->guidApplication,
                        sd->lpszSessionNameA ? sd->lpszSessionNameA : "",
                        sd->dwFlags,
                        sd->dwMaxPlayers,
                        0,
                        "",
                        0};
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
        auto local = opt_.bindAddress.empty() ? asio::ip::address_v4::any()
                                              : asio::ip::make_address_v4(opt_.bindAddress, ec);
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
            Write(hostLink_,
                  Share(WireWriter(FrameType::kJoin).Guid(app).Guid(instance).U16(listenPort).Finish()));
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
    // A host waits for the others to take over, a client for the host to see it go.
    auto saidGoodbye = [&] {
        if (phase_ == Phase::kHost || phase_ == Phase::kClient) return false;
        if (phase_ != Phase::kClosing) return true;  // nobody to say it to
        return std::none_of(links_.begin(), links_.end(),
                            [](const LinkPtr& l) { return l->role != Link::Role::kNew; });
    };
    cv_.wait_for(lock, opt_.keepAliveTimeout + opt_.connectTimeout, saidGoodbye);
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
    if (phase_ != Phase::kHost) return DPERR_ACCESSDENIED;
    Kick(it->second.node);
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
    if (phase_ == Phase::kHost || to == local_)
        Route(from, to, bytes, size, self_);
    else if (phase_ == Phase::kClient && !hostLeaving_)
        WriteData(hostLink_, from, to, bytes, size);
    else
        SendToHost(DataFrame(from, to, bytes, size));
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
HRESULT NetDirectPlay::EnumSessions(DPSESSIONDESC2* lpsd, uint32_t dwTimeout,
                                    LPDPENUMSESSIONSCALLBACK2 lpCallback, void* lpContext, uint32_t dwFlags) {
    return session_->EnumSessions(lpsd, dwTimeout, lpCallback, lpContext, dwFlags);
}
HRESULT NetDirectPlay::Open(DPSESSIONDESC2* lpsd, uint32_t dwFlags) { return session_->Open(lpsd, dwFlags); }
HRESULT NetDirectPlay::Close() { return session_->Close(); }
HRESULT NetDirectPlay::CreatePlayer(DPID* lpidPlayer, const DPNAME* lpPlayerName, IDPSignal* hEvent,
                                    const void*, uint32_t, uint32_t dwFlags) {
    return session_->CreatePlayer(lpidPlayer, lpPlayerName, hEvent, dwFlags);
}
HRESULT NetDirectPlay::DestroyPlayer(DPID idPlayer) { return session_->DestroyPlayer(idPlayer); }
HRESULT NetDirectPlay::EnumPlayers(const GUID* lpguidInstance, LPDPENUMPLAYERSCALLBACK2 lpCallback,
                                   void* lpContext, uint32_t dwFlags) {
    return session_->EnumPlayers(lpguidInstance, lpCallback, lpContext, dwFlags);
}
HRESULT NetDirectPlay::GetCaps(DPCAPS* lpDPCaps, uint32_t dwFlags) {
    return session_->GetCaps(lpDPCaps, dwFlags);
}
HRESULT NetDirectPlay::GetPlayerAddress(DPID idPlayer, void* lpData, uint32_t* lpdwDataSize) {
    return session_->GetPlayerAddress(idPlayer, lpData, lpdwDataSize);
}
HRESULT NetDirectPlay::Send(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData,
                            uint32_t dwDataSize) {
    return session_->Send(idFrom, idTo, dwFlags, lpData, dwDataSize);
}
HRESULT NetDirectPlay::SendEx(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData,
                              uint32_t dwDataSize, uint32_t, uint32_t, void*, uint32_t* lpdwMsgID) {
    if (dwFlags & DPSEND_ASYNC) return DPERR_UNSUPPORTED;
    if (lpdwMsgID) *lpdwMsgID = 0;
    return session_->Send(idFrom, idTo, dwFlags, lpData, dwDataSize);
}
HRESULT NetDirectPlay::Receive(DPID* lpidFrom, DPID* lpidTo, uint32_t dwFlags, void* lpData,
                               uint32_t* lpdwDataSize) {
    return session_->Receive(lpidFrom, lpidTo, dwFlags, lpData, lpdwDataSize);
}
void NetDirectPlay::Abort() { session_->Abort(); }

}  // namespace kordalt::dplay
