#include "raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/session/enumeration.h"
#include "platform/session/wire.h"

namespace kordalt::dplay::test {
namespace {

sockaddr_in Endpoint(const std::string& ip, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    return a;
}

}  // namespace

RawClient::RawClient(const std::string& bindIp, const std::string& hostIp, uint16_t port)
    : bindIp_(bindIp), hostIp_(hostIp), port_(port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local = Endpoint(bindIp, 0), remote = Endpoint(hostIp, port);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawClient::~RawClient() {
    if (fd_ >= 0) ::close(fd_);
}

void RawClient::Reset() {
    if (fd_ < 0) return;
    linger abort{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(fd_);
    fd_ = -1;
}

void RawClient::SendBytes(const std::vector<uint8_t>& bytes) {
    size_t at = 0;
    while (fd_ >= 0 && at < bytes.size()) {
        ssize_t n = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0) return;
        at += static_cast<size_t>(n);
    }
}

std::optional<std::vector<uint8_t>> RawClient::ReadFrame(std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (in_.size() >= kFrameHeader) {
            uint32_t n;
            std::memcpy(&n, in_.data(), 4);
            if (in_.size() >= kFrameHeader + n) {
                std::vector<uint8_t> body(in_.begin() + kFrameHeader, in_.begin() + kFrameHeader + n);
                in_.erase(in_.begin(), in_.begin() + kFrameHeader + n);
                return body;
            }
        }
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (fd_ < 0 || left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        uint8_t chunk[65536];
        ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got <= 0) return std::nullopt;
        in_.insert(in_.end(), chunk, chunk + got);
    }
}

std::optional<std::vector<uint8_t>> RawClient::ReadFrame(FrameType type) {
    while (auto body = ReadFrame(std::chrono::seconds(5)))
        if (!body->empty() && (*body)[0] == static_cast<uint8_t>(type)) return body;
    return std::nullopt;
}

bool RawClient::ClosedByHost(std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    while (fd_ >= 0) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::max<int64_t>(left.count(), 0))) <= 0) return false;
        uint8_t chunk[65536];
        if (::recv(fd_, chunk, sizeof chunk, 0) <= 0) return true;
    }
    return false;
}

GUID RawClient::Enumerate() {
    SendBytes(EnumRequestFrame(GUID{0, 0, 0, {0, 0, 0x12, 0x30, 0, 0, 0, 0}}));
    auto body = ReadFrame(FrameType::kEnumReply);
    SessionOffer offer;
    if (!body) return {};
    WireReader r(body->data(), body->size());
    r.U8();
    ReadEnumReply(r, offer);
    return offer.instance;
}

uint32_t RawClient::Join(const GUID& instance, uint16_t listenPort) {
    GUID app{0, 0, 0, {0, 0, 0x12, 0x30, 0, 0, 0, 0}};
    SendBytes(WireWriter(FrameType::kJoin).Guid(app).Guid(instance).U16(listenPort).Finish());
    auto body = ReadFrame(FrameType::kJoinOk);
    if (!body) return 0;
    WireReader r(body->data(), body->size());
    r.U8();
    r.Guid();
    r.Guid();
    r.Str();
    r.U32();
    r.U32();
    node_ = r.U32();
    r.U32();
    r.U32();
    if (!ReadRoster(r, nodes_, players_)) return 0;
    return node_;
}

DPID RawClient::CreatePlayer(const std::string& name) {
    SendBytes(WireWriter(FrameType::kCreatePlayer).Str(name).Finish());
    while (auto body = ReadFrame(FrameType::kPlayerCreated)) {
        WireReader r(body->data(), body->size());
        r.U8();
        DPID id = r.U32();
        if (r.U32() == node_) {
            players_[id] = {id, node_, name};
            return id;
        }
    }
    return 0;
}

DPID RawClient::JoinWithPlayer(const std::string& name, uint16_t listenPort) {
    GUID instance = RawClient(bindIp_, hostIp_, port_).Enumerate();
    return Join(instance, listenPort ? listenPort : DeadPort(bindIp_)) ? CreatePlayer(name) : 0;
}

RawListener::RawListener(const std::string& ip) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Endpoint(ip, 0);
    socklen_t len = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        Close();
        return;
    }
    port_ = ntohs(a.sin_port);
}

std::unique_ptr<RawClient> RawListener::Accept(std::chrono::milliseconds timeout) {
    pollfd p{fd_, POLLIN, 0};
    if (fd_ < 0 || ::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return nullptr;
    int fd = ::accept(fd_, nullptr, nullptr);
    return fd < 0 ? nullptr : std::make_unique<RawClient>(fd);
}

void RawListener::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

FrozenHost::FrozenHost(const std::string& ip, uint16_t port, const GUID& application)
    : ip_(ip), port_(port), application_(application) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = Endpoint(ip, port);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listener_, 4);
    thread_ = std::thread([this] { Serve(); });
}

FrozenHost::~FrozenHost() {
    stop_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
}

void FrozenHost::Serve() {
    const GUID instance{7, 7, 7, {7}};
    auto accept = [this]() -> std::unique_ptr<RawClient> {
        int fd = ::accept(listener_, nullptr, nullptr);
        return fd < 0 ? nullptr : std::make_unique<RawClient>(fd);
    };
    auto query = accept();
    if (!query || !query->ReadFrame(FrameType::kEnum)) return;
    query->SendBytes(EnumReplyFrame(
        {instance, application_, "frozen", DPSESSION_MIGRATEHOST | DPSESSION_KEEPALIVE, 0, 1, "", port_}));
    query.reset();
    auto guest = accept();
    if (!guest) return;
    auto join = guest->ReadFrame(FrameType::kJoin);
    if (!join) return;
    WireReader r(join->data(), join->size());
    r.U8();
    r.Guid();
    r.Guid();
    uint16_t listenPort = r.U16();
    constexpr uint32_t kHostNode = 1, kGuestNode = 2;
    WireWriter joined(FrameType::kJoinOk);
    joined.Guid(instance).Guid(application_).Str("frozen").U32(DPSESSION_MIGRATEHOST | DPSESSION_KEEPALIVE);
    joined.U32(0).U32(kGuestNode).U32(kHostNode).U32(kPlayer);
    // The guest's own address is never used by the guest: the host's stands in.
    WriteRoster(joined, {{kHostNode, {kHostNode, "", port_}}, {kGuestNode, {kGuestNode, "", listenPort}}},
                {{kPlayer, {kPlayer, kHostNode, "frozen"}}}, ip_);
    guest->SendBytes(joined.Finish());
    auto create = guest->ReadFrame(FrameType::kCreatePlayer);
    if (!create) return;
    guest->SendBytes(
        WireWriter(FrameType::kPlayerCreated).U32(kPlayer + 1).U32(kGuestNode).Str("guest").U32(2).Finish());
    while (!stop_) guest->ReadFrame(std::chrono::milliseconds(50));  // reads, never answers
}

uint16_t DeadPort(const std::string& ip) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Endpoint(ip, 0);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

}  // namespace kordalt::dplay::test
