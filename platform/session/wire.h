// Frames on the wire: a 32-bit little-endian length, then the body; the body's
// first byte is the frame type. Readers check every bound.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/session/dplay.h"

namespace kordalt::dplay {

enum class FrameType : uint8_t {
    kEnum = 1,         // application GUID
    kEnumReply,        // session description, host port
    kJoin,             // application GUID, instance GUID, listen port
    kJoinOk,           // session, own node, nodes, players
    kRefuse,           // result code
    kRejoin,           // node id, highest id seen
    kRejoinOk,         // nodes, players (after the backlog)
    kCreatePlayer,     // name
    kPlayerCreated,    // player
    kDestroyPlayer,    // player id
    kPlayerDestroyed,  // player id
    kNodeJoined,       // node
    kNodeLeft,         // node id
    kData,             // from, to, bytes
    kLeave,
    kKick,
    kHostLeaving,  // successor node id
    kLeaveAck,
    kHostGone,
    kPing,
};

constexpr size_t kFrameHeader = 4;

class WireWriter {
public:
    explicit WireWriter(FrameType type, size_t reserve = 64) {
        bytes_.reserve(kFrameHeader + 1 + reserve);
        bytes_.resize(kFrameHeader);
        U8(static_cast<uint8_t>(type));
    }
    WireWriter& U8(uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    WireWriter& U16(uint16_t v) { return Raw(&v, 2); }
    WireWriter& U32(uint32_t v) { return Raw(&v, 4); }
    WireWriter& Guid(const GUID& g) { return Raw(&g, sizeof g); }
    WireWriter& Str(std::string_view s) {
        U32(static_cast<uint32_t>(s.size()));
        return Raw(s.data(), s.size());
    }
    WireWriter& Raw(const void* p, size_t n) {
        auto b = static_cast<const uint8_t*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
        return *this;
    }
    // The whole frame, its length word filled in.
    std::vector<uint8_t> Finish() {
        uint32_t n = static_cast<uint32_t>(bytes_.size() - kFrameHeader);
        std::memcpy(bytes_.data(), &n, 4);
        return std::move(bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
};

// Reads a frame body; any read past the end marks the reader failed and yields zeros.
class WireReader {
public:
    WireReader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
    uint8_t U8() {
        uint8_t v = 0;
        Raw(&v, 1);
        return v;
    }
    uint16_t U16() {
        uint16_t v = 0;
        Raw(&v, 2);
        return v;
    }
    uint32_t U32() {
        uint32_t v = 0;
        Raw(&v, 4);
        return v;
    }
    GUID Guid() {
        GUID g{};
        Raw(&g, sizeof g);
        return g;
    }
    std::string Str() {
        uint32_t n = U32();
        if (!ok_ || n > n_) return Fail();
        std::string s(reinterpret_cast<const char*>(p_), n);
        Skip(n);
        return s;
    }
    // The rest of the body.
    std::vector<uint8_t> Rest() {
        std::vector<uint8_t> v(p_, p_ + n_);
        Skip(n_);
        return v;
    }
    size_t Left() const { return n_; }
    bool Ok() const { return ok_; }
    bool Done() const { return ok_ && n_ == 0; }

private:
    void Raw(void* out, size_t n) {
        if (!ok_ || n > n_) {
            Fail();
            return;
        }
        std::memcpy(out, p_, n);
        Skip(n);
    }
    void Skip(size_t n) {
        p_ += n;
        n_ -= n;
    }
    std::string Fail() {
        ok_ = false;
        n_ = 0;
        return {};
    }
    const uint8_t* p_;
    size_t n_;
    bool ok_ = true;
};

}  // namespace kordalt::dplay
