#include "platform/session/memory_directplay.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/session/address.h"
#include "platform/session/com_object.h"
#include "platform/session/receive_queue.h"

namespace kordalt::dplay {
namespace {

class MemoryDirectPlay;

struct MemorySession {
    DPSESSIONDESC2 desc{};
    std::string name;
    std::vector<MemoryDirectPlay*> members;  // in joining order
    MemoryDirectPlay* host = nullptr;
    std::map<DPID, std::pair<MemoryDirectPlay*, std::string>> players;  // id -> owner, name
};

}  // namespace

struct MemoryNetwork::State {
    std::mutex m;
    std::vector<std::shared_ptr<MemorySession>> sessions;
    uint32_t lastId = 0x1000;
    uint32_t lastInstance = 0;
};

namespace {

class MemoryDirectPlay final : public ComObject<IDirectPlay4A> {
public:
    MemoryDirectPlay(std::shared_ptr<MemoryNetwork::State> net, std::string address, bool bound)
        : net_(std::move(net)), address_(std::move(address)), bound_(bound) {}

    HRESULT InitializeConnection(const void* lpConnection, uint32_t dwFlags) override {
        ConnectionAddress a;
        if (dwFlags || !lpConnection || !ParseConnectionAddress(lpConnection, a)) return DPERR_INVALIDPARAMS;
        std::lock_guard lock(net_->m);
        if (bound_) return DPERR_ALREADYINITIALIZED;
        if (!(a.provider == DPSPGUID_TCPIP)) return DPERR_UNSUPPORTED;
        bound_ = true;
        return DP_OK;
    }

    HRESULT EnumSessions(DPSESSIONDESC2* lpsd, uint32_t dwTimeout, LPDPENUMSESSIONSCALLBACK2 lpCallback,
                         void* lpContext, uint32_t dwFlags) override {
        if (!lpsd || !lpCallback || lpsd->dwSize != sizeof(DPSESSIONDESC2)) return DPERR_INVALIDPARAMS;
        if (dwFlags & ~DPENUMSESSIONS_AVAILABLE) return DPERR_INVALIDFLAGS;
        for (;;) {
            std::vector<std::pair<DPSESSIONDESC2, std::string>> found;
            {
                std::lock_guard lock(net_->m);
                if (!bound_) return DPERR_NOCONNECTION;
                for (const auto& s : net_->sessions) {
                    DPSESSIONDESC2 d = s->desc;
                    d.dwCurrentPlayers = static_cast<uint32_t>(s->players.size());
                    bool full = d.dwMaxPlayers && s->members.size() >= d.dwMaxPlayers;
                    if (d.guidApplication == lpsd->guidApplication &&
                        !(full && (dwFlags & DPENUMSESSIONS_AVAILABLE)))
                        found.emplace_back(d, s->name);
                }
            }
            for (auto& [d, name] : found) {
                d.lpszSessionNameA = name.c_str();
                uint32_t t = dwTimeout;
                if (!lpCallback(&d, &t, 0, lpContext)) return DP_OK;
            }
            uint32_t t = dwTimeout;
            if (!lpCallback(nullptr, &t, DPESC_TIMEDOUT, lpContext)) return DP_OK;
        }
    }

    HRESULT Open(DPSESSIONDESC2* lpsd, uint32_t dwFlags) override {
        if (!lpsd || lpsd->dwSize != sizeof(DPSESSIONDESC2)) return DPERR_INVALIDPARAMS;
        if (dwFlags != DPOPEN_CREATE && dwFlags != DPOPEN_JOIN) return DPERR_INVALIDFLAGS;
        std::lock_guard lock(net_->m);
        if (!bound_) return DPERR_NOCONNECTION;
        if (session_) return DPERR_ALREADYINITIALIZED;
        if (dwFlags == DPOPEN_CREATE) {
            auto s = std::make_shared<MemorySession>();
            s->desc = *lpsd;
            s->name = lpsd->lpszSessionNameA ? lpsd->lpszSessionNameA : "";
            s->desc.guidInstance = GUID{++net_->lastInstance, 0, 0, {}};
            s->desc.lpszSessionNameA = nullptr;
            s->host = this;
            net_->sessions.push_back(s);
            session_ = s;
        } else {
            auto it = std::find_if(net_->sessions.begin(), net_->sessions.end(), [&](const auto& s) {
                return s->desc.guidInstance == lpsd->guidInstance &&
                       s->desc.guidApplication == lpsd->guidApplication;
            });
            if (it == net_->sessions.end()) return DPERR_NOSESSIONS;
            if ((*it)->desc.dwMaxPlayers && (*it)->members.size() >= (*it)->desc.dwMaxPlayers)
                return DPERR_NONEWPLAYERS;
            session_ = *it;
        }
        session_->members.push_back(this);
        return DP_OK;
    }

    HRESULT Close() override {
        std::lock_guard lock(net_->m);
        Leave(false);
        return DP_OK;
    }

    HRESULT CreatePlayer(DPID* lpidPlayer, const DPNAME* lpPlayerName, IDPSignal* hEvent, const void*,
                         uint32_t, uint32_t dwFlags) override {
        if (!lpidPlayer) return DPERR_INVALIDPARAMS;
        if (dwFlags) return DPERR_INVALIDFLAGS;
        std::string name = lpPlayerName && lpPlayerName->lpszShortNameA ? lpPlayerName->lpszShortNameA : "";
        std::lock_guard lock(net_->m);
        if (!session_) return DPERR_NOSESSIONS;
        if (local_ ||
            (session_->desc.dwMaxPlayers && session_->players.size() >= session_->desc.dwMaxPlayers))
            return DPERR_CANTCREATEPLAYER;
        local_ = ++net_->lastId;
        session_->players[local_] = {this, name};
        queue_.Begin(local_, hEvent, Roster());
        auto count = static_cast<uint32_t>(session_->players.size());
        for (MemoryDirectPlay* m : session_->members)
            if (m != this) m->queue_.PushCreate({local_, name}, count);
        *lpidPlayer = local_;
        return DP_OK;
    }

    HRESULT DestroyPlayer(DPID idPlayer) override {
        std::lock_guard lock(net_->m);
        if (!session_) return DPERR_NOSESSIONS;
        auto it = session_->players.find(idPlayer);
        if (it == session_->players.end()) return DPERR_INVALIDPLAYER;
        MemoryDirectPlay* owner = it->second.first;
        if (owner == this) {
            RemoveLocalPlayer();
        } else if (session_->host == this) {
            owner->CutOff();
        } else {
            return DPERR_ACCESSDENIED;
        }
        return DP_OK;
    }

    HRESULT EnumPlayers(const GUID* lpguidInstance, LPDPENUMPLAYERSCALLBACK2 lpCallback, void* lpContext,
                        uint32_t dwFlags) override {
        if (lpguidInstance || !lpCallback) return DPERR_INVALIDPARAMS;
        if (dwFlags & ~DPENUMPLAYERS_REMOTE) return DPERR_INVALIDFLAGS;
        std::vector<PlayerEntry> list;
        {
            std::lock_guard lock(net_->m);
            if (!session_) return DPERR_NOSESSIONS;
            list = queue_.Active() ? queue_.View() : Roster();
        }
        for (const PlayerEntry& p : list) {
            if ((dwFlags & DPENUMPLAYERS_REMOTE) && p.id == queue_.Self()) continue;
            DPNAME name{sizeof(DPNAME), 0, p.name.empty() ? nullptr : p.name.c_str(), nullptr};
            if (!lpCallback(p.id, DPPLAYERTYPE_PLAYER, &name, 0, lpContext)) break;
        }
        return DP_OK;
    }

    HRESULT GetCaps(DPCAPS* lpDPCaps, uint32_t) override {
        if (!lpDPCaps || lpDPCaps->dwSize != sizeof(DPCAPS)) return DPERR_INVALIDPARAMS;
        std::lock_guard lock(net_->m);
        if (!bound_) return DPERR_NOCONNECTION;
        *lpDPCaps = {};
        lpDPCaps->dwSize = sizeof(DPCAPS);
        lpDPCaps->dwMaxBufferSize = UINT32_MAX;
        lpDPCaps->dwMaxLocalPlayers = 1;
        return DP_OK;
    }

    HRESULT GetPlayerAddress(DPID idPlayer, void* lpData, uint32_t* lpdwDataSize) override {
        std::lock_guard lock(net_->m);
        if (!session_) return DPERR_NOSESSIONS;
        auto it = session_->players.find(idPlayer);
        if (it == session_->players.end()) return DPERR_INVALIDPLAYER;
        return CopyOut(PlayerAddress(it->second.first->address_), lpData, lpdwDataSize);
    }

    HRESULT Send(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData, uint32_t dwDataSize) override {
        if (dwFlags & ~DPSEND_GUARANTEED) return DPERR_INVALIDFLAGS;
        if (dwDataSize && !lpData) return DPERR_INVALIDPARAMS;
        auto bytes = static_cast<const uint8_t*>(lpData);
        std::lock_guard lock(net_->m);
        if (!session_) return DPERR_NOSESSIONS;
        if (!idFrom || idFrom != local_) return DPERR_INVALIDPLAYER;
        if (idTo == DPID_ALLPLAYERS) {
            for (const auto& [id, p] : session_->players)
                if (id != idFrom) p.first->queue_.PushData(idFrom, id, bytes, dwDataSize);
            return DP_OK;
        }
        auto it = session_->players.find(idTo);
        if (it == session_->players.end()) return DPERR_INVALIDPLAYER;
        it->second.first->queue_.PushData(idFrom, idTo, bytes, dwDataSize);
        return DP_OK;
    }

    HRESULT SendEx(DPID idFrom, DPID idTo, uint32_t dwFlags, const void* lpData, uint32_t dwDataSize,
                   uint32_t, uint32_t, void*, uint32_t* lpdwMsgID) override {
        if (dwFlags & DPSEND_ASYNC) return DPERR_UNSUPPORTED;
        if (lpdwMsgID) *lpdwMsgID = 0;
        return Send(idFrom, idTo, dwFlags, lpData, dwDataSize);
    }

    HRESULT Receive(DPID* lpidFrom, DPID* lpidTo, uint32_t dwFlags, void* lpData,
                    uint32_t* lpdwDataSize) override {
        return queue_.Receive(lpidFrom, lpidTo, dwFlags, lpData, lpdwDataSize);
    }

    void CutOff() {
        queue_.PushSessionLost();
        Leave(true);
    }

    // Leaves the session (net_->m held). `cut`: the player stays to take its session-lost message.
    void Leave(bool cut) {
        if (!cut) queue_.End();
        if (!session_) {
            if (!cut) local_ = 0;
            return;
        }
        if (local_) {
            for (MemoryDirectPlay* m : session_->members)
                if (m != this) m->queue_.PushDestroy({local_, session_->players[local_].second});
            session_->players.erase(local_);
        }
        if (!cut) local_ = 0;
        auto session = std::move(session_);
        std::erase(session->members, this);
        if (session->members.empty()) {
            std::erase(net_->sessions, session);
        } else if (session->host == this) {
            MemoryDirectPlay* next = session->members.back();
            if (session->desc.dwFlags & DPSESSION_MIGRATEHOST) {
                session->host = next;
                next->queue_.PushHost();
            } else {
                for (MemoryDirectPlay* m : std::vector(session->members)) m->CutOff();
            }
        }
    }

protected:
    ~MemoryDirectPlay() override {
        std::lock_guard lock(net_->m);
        Leave(false);
    }
    std::span<const GUID* const> Ids() const override {
        static const GUID* const ids[] = {&IID_IUnknown, &IID_IDirectPlay, &IID_IDirectPlay4A};
        return ids;
    }

private:
    std::vector<PlayerEntry> Roster() const {
        std::vector<PlayerEntry> out;
        for (const auto& [id, p] : session_->players) out.push_back({id, p.second});
        return out;
    }

    void RemoveLocalPlayer() {
        for (MemoryDirectPlay* m : session_->members)
            if (m != this) m->queue_.PushDestroy({local_, session_->players[local_].second});
        session_->players.erase(local_);
        queue_.End();
        local_ = 0;
    }

    std::shared_ptr<MemoryNetwork::State> net_;
    std::string address_;
    bool bound_;
    std::shared_ptr<MemorySession> session_;
    DPID local_ = 0;
    ReceiveQueue queue_;
};

}  // namespace

MemoryNetwork::MemoryNetwork() : state_(std::make_shared<State>()) {}
MemoryNetwork::~MemoryNetwork() = default;

IDirectPlay4A* MemoryNetwork::CreateDirectPlay(const std::string& address, bool bound) {
    return new MemoryDirectPlay(state_, address, bound);
}

void MemoryNetwork::CutOff(IDirectPlay4A* object) {
    auto* dp = static_cast<MemoryDirectPlay*>(object);
    std::lock_guard lock(state_->m);
    dp->CutOff();
}

}  // namespace kordalt::dplay
