// Byte-vector helpers around the compressor component for the tests.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "compress/lzrw1.h"

namespace kordalt::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
inline Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes CompressBytes(const Bytes& data, TCompressMode mode) {
    std::istringstream in(AsString(data));
    std::ostringstream out;
    Tlzrw1 lzrw1;
    lzrw1.CompressMode = mode;
    lzrw1.InputStream = &in;
    lzrw1.OutputStream = &out;
    const std::uint64_t written = lzrw1.Compress();
    Bytes result = AsBytes(out.str());
    if (written != result.size()) throw std::logic_error("Compress reported a wrong count");
    return result;
}

inline Bytes DecompressBytes(const Bytes& stream, std::uint32_t max_output = UINT32_MAX) {
    std::istringstream in(AsString(stream));
    std::ostringstream out;
    Tlzrw1 lzrw1;
    lzrw1.InputStream = &in;
    lzrw1.OutputStream = &out;
    const std::uint64_t written = lzrw1.Decompress(max_output);
    Bytes result = AsBytes(out.str());
    if (written != result.size()) throw std::logic_error("Decompress reported a wrong count");
    return result;
}

// splitmix64: deterministic test data.
class TestRandom {
public:
    explicit TestRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

// Deterministic inputs of the kinds the game compresses.
inline Bytes RandomBytes(std::size_t n, std::uint64_t seed) {
    TestRandom random(seed);
    Bytes data(n);
    for (auto& b : data) b = static_cast<std::uint8_t>(random.Next());
    return data;
}

// Records with small counters, zero padding, runs and repeated words.
inline Bytes StructuredBytes(std::size_t n, std::uint64_t seed) {
    static const char* const kWords[] = {"Kordalt ", "grain ", "state ", "army ", "year ", "research "};
    TestRandom random(seed);
    Bytes data;
    data.reserve(n);
    while (data.size() < n) {
        switch (random.Below(4)) {
            case 0:
                data.insert(data.end(), static_cast<std::size_t>(random.Below(300)), 0);
                break;
            case 1:
                for (int i = random.Below(40); i > 0; --i)
                    data.push_back(static_cast<std::uint8_t>(random.Below(8)));
                break;
            case 2:
                for (int i = random.Below(12); i > 0; --i) {
                    const std::string word = kWords[random.Below(6)];
                    data.insert(data.end(), word.begin(), word.end());
                }
                break;
            default:
                data.insert(data.end(), static_cast<std::size_t>(random.Below(20)),
                            static_cast<std::uint8_t>(random.Below(256)));
        }
    }
    data.resize(n);
    return data;
}

}  // namespace kordalt::testing
