// Short strings as records, files and messages carry them: a length byte and
// N bytes of capacity holding raw Windows-1251 characters.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/cp1251.h"

namespace kordalt {

template <size_t N>
struct ShortString {
    static_assert(N >= 1 && N <= 255);
    static constexpr size_t Capacity = N;

    uint8_t Length;
    char Chars[N];

    // The cp1251 text; a length byte above the capacity reads as the capacity.
    std::string Str() const { return std::string(Chars, std::min<size_t>(Length, N)); }
    std::string Utf8() const { return Cp1251ToUtf8(Str()); }

    // Stores the first N bytes of a cp1251 text; the bytes after it become 0.
    void Assign(std::string_view cp1251) {
        const size_t n = std::min(cp1251.size(), N);
        if (n > 0) std::memcpy(Chars, cp1251.data(), n);
        std::memset(Chars + n, 0, N - n);
        Length = static_cast<uint8_t>(n);
    }
    void AssignUtf8(std::string_view utf8) { Assign(Utf8ToCp1251(utf8)); }
};

}  // namespace kordalt
