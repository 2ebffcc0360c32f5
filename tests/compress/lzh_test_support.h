// Byte-vector ends for the LZH coder in tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "compress/lzh.h"
#include "stream_helpers.h"

namespace kordalt::testing {

// A source over a byte vector that counts its calls; with `drip` set it hands
// out 1..drip bytes a call, in turn.
struct VectorSource {
    const Bytes& data;
    std::size_t drip = 0;
    std::size_t pos = 0;
    int calls = 0;

    static std::size_t Read(void* self, std::uint8_t* buffer, std::size_t count) {
        auto& s = *static_cast<VectorSource*>(self);
        const std::size_t chunk = s.drip ? 1 + s.calls % s.drip : count;
        ++s.calls;
        const std::size_t n = std::min({count, s.data.size() - s.pos, chunk});
        std::copy_n(s.data.begin() + static_cast<std::ptrdiff_t>(s.pos), n, buffer);
        s.pos += n;
        return n;
    }
};

inline std::size_t Append(void* self, const std::uint8_t* buffer, std::size_t count) {
    static_cast<Bytes*>(self)->insert(static_cast<Bytes*>(self)->end(), buffer, buffer + count);
    return count;
}

inline Bytes LzhEncodeBytes(const Bytes& data, std::size_t drip = 0) {
    TLZH coder;
    VectorSource source{data, drip};
    Bytes out;
    std::uint64_t bytes_in = 0;
    LzhEncode(coder, bytes_in, Append, &out, VectorSource::Read, &source);
    EXPECT_EQ(bytes_in, data.size());
    return out;
}

inline Bytes LzhDecodeBytes(const Bytes& stream, std::uint64_t count, std::size_t drip = 0) {
    TLZH coder;
    VectorSource source{stream, drip};
    Bytes out;
    LzhDecode(coder, count, Append, &out, VectorSource::Read, &source);
    return out;
}

}  // namespace kordalt::testing
