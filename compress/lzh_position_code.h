// The fixed code of the LZH coder's match positions: the upper 6 bits of a
// position (0..4095) take a canonical prefix code of 3..8 bits, the lower 6
// bits follow verbatim.
#pragma once

#include <array>
#include <cstdint>

namespace kordalt {

// Upper 6 bits of a match position: a canonical prefix code of 3..8 bits,
// assigned in increasing order of value.
struct LzhPositionCode {
    std::array<std::uint8_t, 64> code{};  // right-aligned
    std::array<std::uint8_t, 64> length{};
    std::array<std::uint8_t, 256> upper{};  // by the next 8 bits of the stream
    std::array<std::uint8_t, 256> upper_length{};
};

constexpr LzhPositionCode MakeLzhPositionCode() {
    constexpr int kValuesOfLength[] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
    LzhPositionCode pc;
    int value = 0;
    unsigned code = 0;
    for (int length = 3; length <= 8; ++length, code <<= 1) {
        for (int i = 0; i < kValuesOfLength[length]; ++i, ++value, ++code) {
            pc.code[value] = static_cast<std::uint8_t>(code);
            pc.length[value] = static_cast<std::uint8_t>(length);
            const unsigned first = code << (8 - length);
            for (unsigned rest = 0; rest < 1u << (8 - length); ++rest) {
                pc.upper[first + rest] = static_cast<std::uint8_t>(value);
                pc.upper_length[first + rest] = static_cast<std::uint8_t>(length);
            }
        }
    }
    return pc;
}

inline constexpr LzhPositionCode kLzhPositionCode = MakeLzhPositionCode();

}  // namespace kordalt
