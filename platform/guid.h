// GUIDs: the platform's 16-byte layout and its text, 8-4-4-4-12 hexadecimal
// digits, bare (the game listing's form) or in braces (the session service's).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kordalt {

// The first three fields are little-endian in memory.
struct TGUID {
    uint32_t D1;
    uint16_t D2;
    uint16_t D3;
    uint8_t D4[8];
    bool operator==(const TGUID&) const = default;
};
static_assert(sizeof(TGUID) == 16);
static_assert(offsetof(TGUID, D2) == 4 && offsetof(TGUID, D3) == 6 && offsetof(TGUID, D4) == 8);

enum class GuidForm { kBare, kBraced };

// A random (version 4) GUID from the system's random source.
void NewGUID(TGUID& g);
// Upper-case hexadecimal digits.
std::string GUIDToStr(const TGUID& g, GuidForm form = GuidForm::kBare);
// Exactly the text of `form`, digits of either case; false when malformed.
bool TryStrToGUID(std::string_view s, TGUID& g, GuidForm form = GuidForm::kBare);
// The bare form after TrimEC; raises ECError when malformed.
TGUID StrToGUID(std::string_view s);

}  // namespace kordalt
