#include "platform/session/enumeration.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <asio.hpp>
#include <memory>

namespace kordalt::dplay {
namespace {

using asio::ip::tcp;
using asio::ip::udp;

asio::ip::address_v4 LocalAddress(const ServiceOptions& options) {
    asio::error_code ec;
    auto a = asio::ip::make_address_v4(options.bindAddress, ec);
    return ec ? asio::ip::address_v4::any() : a;
}

// Adds `offer` unless the same instance is there already.
void Collect(std::vector<SessionOffer>& found, SessionOffer offer) {
    for (const auto& f : found)
        if (f.instance == offer.instance) return;
    found.push_back(std::move(offer));
}

// Splits complete frames off `buffer`; false on a malformed one.
template <class OnBody>
bool TakeFrames(std::vector<uint8_t>& buffer, uint32_t limit, OnBody onBody) {
    size_t at = 0;
    bool ok = true;
    while (ok && buffer.size() - at >= kFrameHeader) {
        uint32_t n;
        std::memcpy(&n, buffer.data() + at, 4);
        if (n == 0 || n > limit) {
            ok = false;
            break;
        }
        if (buffer.size() - at - kFrameHeader < n) break;
        ok = onBody(buffer.data() + at + kFrameHeader, n);
        at += kFrameHeader + n;
    }
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(at));
    return ok;
}

bool ReadReplyBody(const uint8_t* body, size_t n, SessionOffer& offer) {
    WireReader r(body, n);
    return r.U8() == static_cast<uint8_t>(FrameType::kEnumReply) && ReadEnumReply(r, offer) && r.Done();
}

class TcpQuery : public std::enable_shared_from_this<TcpQuery> {
public:
    TcpQuery(asio::io_context& io, const ServiceOptions& options, std::vector<SessionOffer>& found)
        : socket_(io), options_(options), found_(found) {}

    void Start(const tcp::endpoint& host, const GUID& application) {
        asio::error_code ec;
        socket_.open(tcp::v4(), ec);
        if (!options_.bindAddress.empty()) socket_.bind(tcp::endpoint(LocalAddress(options_), 0), ec);
        if (ec) return;
        host_ = host;
        request_ = EnumRequestFrame(application);
        socket_.async_connect(host, [self = shared_from_this()](const asio::error_code& ec) {
            if (!ec)
                asio::async_write(self->socket_, asio::buffer(self->request_),
                                  [self](const asio::error_code& ec, size_t) {
                                      if (!ec) self->Read();
                                  });
        });
    }

private:
    // Reads replies until the host closes the link.
    void Read() {
        socket_.async_read_some(
            asio::buffer(chunk_), [self = shared_from_this()](const asio::error_code& ec, size_t n) {
                if (ec) return;
                self->in_.insert(self->in_.end(), self->chunk_.begin(),
                                 self->chunk_.begin() + static_cast<std::ptrdiff_t>(n));
                if (TakeFrames(self->in_, self->options_.maxFrameSize,
                               [&](const uint8_t* body, size_t size) { return self->Take(body, size); }))
                    self->Read();
            });
    }
    bool Take(const uint8_t* body, size_t size) {
        SessionOffer offer;
        if (!ReadReplyBody(body, size, offer)) return false;
        if (offer.host.empty()) offer.host = host_.address().to_string();
        Collect(found_, std::move(offer));
        return true;
    }

    tcp::socket socket_;
    const ServiceOptions& options_;
    std::vector<SessionOffer>& found_;
    tcp::endpoint host_;
    std::vector<uint8_t> request_, in_;
    std::array<uint8_t, 4096> chunk_;
};

void QueryHost(asio::io_context& io, const ServiceOptions& options, const ConnectionAddress& where,
               const GUID& application, std::vector<SessionOffer>& found) {
    asio::error_code ec;
    tcp::resolver resolver(io);
    auto results =
        resolver.resolve(tcp::v4(), where.host, std::to_string(where.port ? where.port : options.port), ec);
    if (ec || results.empty()) return;
    std::make_shared<TcpQuery>(io, options, found)->Start(*results.begin(), application);
}

class UdpQuery : public std::enable_shared_from_this<UdpQuery> {
public:
    UdpQuery(asio::io_context& io, std::vector<SessionOffer>& found) : socket_(io), found_(found) {}

    void Start(const ServiceOptions& options, const GUID& application) {
        asio::error_code ec;
        socket_.open(udp::v4(), ec);
        socket_.set_option(asio::socket_base::broadcast(true), ec);
        socket_.bind(udp::endpoint(LocalAddress(options), 0), ec);
        if (ec) return;
        auto request = EnumRequestFrame(application);
        for (const auto& t : BroadcastTargets(options)) {
            auto a = asio::ip::make_address_v4(t, ec);
            if (!ec) socket_.send_to(asio::buffer(request), udp::endpoint(a, options.port), 0, ec);
        }
        Receive();
    }

private:
    void Receive() {
        socket_.async_receive_from(asio::buffer(in_), from_,
                                   [self = shared_from_this()](const asio::error_code& ec, size_t n) {
                                       if (ec) return;
                                       self->Take(n);
                                       self->Receive();
                                   });
    }
    void Take(size_t n) {
        uint32_t size = 0;
        if (n >= kFrameHeader) std::memcpy(&size, in_.data(), 4);
        SessionOffer offer;
        if (n < kFrameHeader || size != n - kFrameHeader ||
            !ReadReplyBody(in_.data() + kFrameHeader, size, offer))
            return;
        if (offer.host.empty()) offer.host = from_.address().to_string();
        Collect(found_, std::move(offer));
    }

    udp::socket socket_;
    std::vector<SessionOffer>& found_;
    std::array<uint8_t, 2048> in_;
    udp::endpoint from_;
};

}  // namespace

std::vector<uint8_t> EnumRequestFrame(const GUID& application) {
    return WireWriter(FrameType::kEnum).Guid(application).Finish();
}

std::vector<uint8_t> EnumReplyFrame(const SessionOffer& o) {
    return WireWriter(FrameType::kEnumReply)
        .Guid(o.instance)
        .Guid(o.application)
        .Str(o.name)
        .U32(o.flags)
        .U32(o.maxPlayers)
        .U32(o.currentPlayers)
        .Str(o.host)
        .U16(o.port)
        .Finish();
}

bool ReadEnumReply(WireReader& r, SessionOffer& o) {
    o.instance = r.Guid();
    o.application = r.Guid();
    o.name = r.Str();
    o.flags = r.U32();
    o.maxPlayers = r.U32();
    o.currentPlayers = r.U32();
    o.host = r.Str();
    o.port = r.U16();
    return r.Ok();
}

namespace {

// The broadcast address of every IPv4 interface that has one, or only of the
// interface holding `only` when that is given.
std::vector<std::string> BroadcastAddresses(const std::string& only) {
    std::vector<std::string> out;
    in_addr wanted{};
    if (!only.empty() && inet_pton(AF_INET, only.c_str(), &wanted) != 1) return out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) continue;
        if (!only.empty() && reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr != wanted.s_addr)
            continue;
        in_addr a{};
        if ((i->ifa_flags & IFF_BROADCAST) && i->ifa_broadaddr) {
            a = reinterpret_cast<sockaddr_in*>(i->ifa_broadaddr)->sin_addr;
        } else if ((i->ifa_flags & IFF_LOOPBACK) && i->ifa_netmask) {
            a.s_addr = reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr |
                       ~reinterpret_cast<sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr;
        } else {
            continue;
        }
        char text[INET_ADDRSTRLEN];
        if (inet_ntop(AF_INET, &a, text, sizeof text)) out.emplace_back(text);
    }
    freeifaddrs(list);
    return out;
}

}  // namespace

std::vector<std::string> InterfaceBroadcastAddresses() { return BroadcastAddresses(""); }

std::vector<std::string> BroadcastTargets(const ServiceOptions& options) {
    if (!options.broadcastAddresses.empty()) return options.broadcastAddresses;
    if (options.bindAddress.empty()) return InterfaceBroadcastAddresses();
    asio::error_code ec;
    auto bound = asio::ip::make_address_v4(options.bindAddress, ec);
    if (ec) return {};
    if (bound.is_loopback()) return {"127.255.255.255"};
    return BroadcastAddresses(options.bindAddress);
}

std::vector<SessionOffer> FindSessions(const ServiceOptions& options, const ConnectionAddress& where,
                                       const GUID& application, std::chrono::milliseconds timeout) {
    std::vector<SessionOffer> found;
    asio::io_context io;
    if (where.host.empty())
        std::make_shared<UdpQuery>(io, found)->Start(options, application);
    else
        QueryHost(io, options, where, application, found);
    io.run_for(timeout);
    return found;
}

}  // namespace kordalt::dplay
