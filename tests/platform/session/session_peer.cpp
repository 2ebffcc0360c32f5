#include "session_peer.h"

#include <unistd.h>

#include <cstring>
#include <functional>

namespace kordalt::dplay::test {

std::string TestAddress(int n) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    size_t h = std::hash<std::string>()(std::string(info->test_suite_name()) + "." + info->name() + "." +
                                        std::to_string(::getpid()));
    return "127." + std::to_string(1 + h % 250) + "." + std::to_string(1 + (h / 250) % 250) + "." +
           std::to_string(n);
}

ServiceOptions TestOptions(int n, std::chrono::milliseconds keepAlive) {
    ServiceOptions o;
    o.bindAddress = TestAddress(n);
    o.keepAliveTimeout = keepAlive;
    o.enumTimeout = 300ms;
    o.broadcastAddresses = {"127.255.255.255"};
    return o;
}

std::vector<uint8_t> TcpAddress(const std::string& host, uint16_t port) {
    std::vector<DPCOMPOUNDADDRESSELEMENT> e = {{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP}};
    if (!host.empty()) e.push_back({DPAID_INet, static_cast<uint32_t>(host.size() + 1), host.c_str()});
    if (port) e.push_back({DPAID_INetPort, 2, &port});
    uint32_t size = 0;
    EXPECT_EQ(BuildAddress(e.data(), static_cast<uint32_t>(e.size()), nullptr, &size), DPERR_BUFFERTOOSMALL);
    std::vector<uint8_t> block(size);
    EXPECT_EQ(BuildAddress(e.data(), static_cast<uint32_t>(e.size()), block.data(), &size), DP_OK);
    return block;
}

std::string AddressText(const std::vector<uint8_t>& address) {
    ConnectionAddress a;
    EXPECT_TRUE(ParseConnectionAddress(address.data(), a));
    return a.host;
}

HRESULT FindFirstSession(IDirectPlay4A* dp, DPSESSIONDESC2& sd, uint32_t flags) {
    sd = {};
    sd.dwSize = sizeof sd;
    sd.guidApplication = kApp;
    auto first = [](const DPSESSIONDESC2* d, uint32_t*, uint32_t flags, void* ctx) {
        if (!(flags & DPESC_TIMEDOUT)) static_cast<DPSESSIONDESC2*>(ctx)->guidInstance = d->guidInstance;
        return false;
    };
    return dp->EnumSessions(&sd, 0, first, &sd, flags);
}

Peer::Peer(const ServiceOptions& options) : options_(options), dp_(new NetDirectPlay(options, nullptr)) {}

Peer::~Peer() {
    dp_->Close();
    dp_->Release();
}

HRESULT Peer::Host(const std::string& session, uint32_t maxPlayers, uint32_t flags) {
    auto address = TcpAddress("");
    HRESULT hr = dp_->InitializeConnection(address.data(), 0);
    if (hr != DP_OK) return hr;
    DPSESSIONDESC2 sd{};
    sd.dwSize = sizeof sd;
    sd.dwFlags = flags;
    sd.guidApplication = kApp;
    sd.dwMaxPlayers = maxPlayers;
    sd.lpszSessionNameA = session.c_str();
    return dp_->Open(&sd, DPOPEN_CREATE);
}

HRESULT Peer::Join(const std::string& host) {
    DPSESSIONDESC2 sd{};
    HRESULT hr = Find(host, sd);
    return hr == DP_OK ? OpenJoin(sd) : hr;
}

HRESULT Peer::Find(const std::string& host, DPSESSIONDESC2& sd) {
    auto address = TcpAddress(host);
    HRESULT hr = dp_->InitializeConnection(address.data(), 0);
    if (hr != DP_OK) return hr;
    hr = FindFirstSession(dp_, sd, DPENUMSESSIONS_AVAILABLE);
    if (hr != DP_OK) return hr;
    return IsNullGuid(sd.guidInstance) ? DPERR_NOSESSIONS : DP_OK;
}

HRESULT Peer::CreatePlayer(const std::string& name) {
    DPNAME n{sizeof(DPNAME), 0, name.c_str(), nullptr};
    return dp_->CreatePlayer(&id_, &n, &signal_, nullptr, 0, 0);
}

void Peer::HostWithPlayer(const std::string& name, uint32_t maxPlayers, uint32_t flags) {
    ASSERT_EQ(Host("game", maxPlayers, flags), DP_OK);
    ASSERT_EQ(CreatePlayer(name), DP_OK);
}

void Peer::JoinWithPlayer(const std::string& host, const std::string& name) {
    ASSERT_EQ(Join(host), DP_OK);
    ASSERT_EQ(CreatePlayer(name), DP_OK);
}

HRESULT Peer::Send(DPID to, const std::string& text) {
    return Send(to, std::vector<uint8_t>(text.begin(), text.end()));
}

HRESULT Peer::Send(DPID to, const std::vector<uint8_t>& bytes) {
    return dp_->Send(id_, to, DPSEND_GUARANTEED, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::optional<Received> Peer::Next(std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        DPID from = 0, to = 0;
        auto size = static_cast<uint32_t>(buffer_.size());
        HRESULT hr = dp_->Receive(&from, &to, DPRECEIVE_ALL, buffer_.data(), &size);
        if (hr == DPERR_BUFFERTOOSMALL) {
            buffer_.resize(size);
            hr = dp_->Receive(&from, &to, DPRECEIVE_ALL, buffer_.data(), &size);
        }
        if (hr == DP_OK) {
            ++received_;
            Received r;
            r.from = from;
            if (from) {
                r.data.assign(buffer_.begin(), buffer_.begin() + size);
                return r;
            }
            std::memcpy(&r.type, buffer_.data(), 4);
            if (r.type == DPSYS_CREATEPLAYERORGROUP || r.type == DPSYS_DESTROYPLAYERORGROUP) {
                DPMSG_CREATEPLAYERORGROUP c;
                DPMSG_DESTROYPLAYERORGROUP d;
                const DPNAME* name = nullptr;
                if (r.type == DPSYS_CREATEPLAYERORGROUP) {
                    std::memcpy(&c, buffer_.data(), sizeof c);
                    r.player = c.dpId;
                    name = &c.dpnName;
                } else {
                    std::memcpy(&d, buffer_.data(), sizeof d);
                    r.player = d.dpId;
                    name = &d.dpnName;
                }
                if (name->lpszShortNameA) r.name = name->lpszShortNameA;
            }
            return r;
        }
        if (hr != DPERR_NOMESSAGES) return std::nullopt;
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left <= 0ms) return std::nullopt;
        signal_.Wait(std::min(left, 50ms));
    }
}

std::optional<Received> Peer::NextWhere(const std::function<bool(const Received&)>& match,
                                        std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left <= 0ms) return std::nullopt;
        auto r = Next(left);
        if (!r || match(*r)) return r;
    }
}

std::vector<PlayerEntry> Peer::Players(uint32_t flags) {
    std::vector<PlayerEntry> out;
    auto add = [](DPID id, uint32_t, const DPNAME* name, uint32_t, void* ctx) {
        static_cast<std::vector<PlayerEntry>*>(ctx)->push_back(
            {id, name->lpszShortNameA ? name->lpszShortNameA : ""});
        return true;
    };
    EXPECT_EQ(dp_->EnumPlayers(nullptr, add, &out, flags), DP_OK);
    return out;
}

std::string Peer::AddressOf(DPID player) {
    uint32_t size = 0;
    if (dp_->GetPlayerAddress(player, nullptr, &size) != DPERR_BUFFERTOOSMALL) return "";
    std::vector<uint8_t> block(size);
    if (dp_->GetPlayerAddress(player, block.data(), &size) != DP_OK) return "";
    return AddressText(block);
}

}  // namespace kordalt::dplay::test
