// Shared body of the stream decoder fuzz targets.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "compress/lzrw1.h"

namespace kordalt::fuzz {

inline constexpr std::uint32_t kMaxOutput = 1 << 20;
// Decoded data up to this size is compressed again and checked.
inline constexpr std::size_t kRoundTripLimit = 1 << 16;

inline std::string Run(bool compress, TCompressMode mode, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    Tlzrw1 lzrw1;
    lzrw1.CompressMode = mode;
    lzrw1.InputStream = &in;
    lzrw1.OutputStream = &out;
    const std::uint64_t written = compress ? lzrw1.Compress() : lzrw1.Decompress(kMaxOutput);
    if (written != out.str().size()) std::abort();
    return out.str();
}

// `data` after the identifier is decoded; what decodes (up to kRoundTripLimit
// bytes) must round-trip. The input taken as plain data (up to
// `round_trip_limit` bytes) must round-trip too.
inline void FuzzStream(const char* id, TCompressMode mode, const std::uint8_t* data, std::size_t size,
                       std::size_t round_trip_limit) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    try {
        const std::string plain = Run(false, mode, id + body);
        if (plain.size() <= kRoundTripLimit && Run(false, mode, Run(true, mode, plain)) != plain)
            std::abort();
    } catch (const ELzrw1Exception&) {
    }
    const std::string sample = body.substr(0, round_trip_limit);
    if (Run(false, mode, Run(true, mode, sample)) != sample) std::abort();
}

}  // namespace kordalt::fuzz
