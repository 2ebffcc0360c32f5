// Texts of the platform's error and result codes.
#pragma once

#include <cstdint>
#include <string>

namespace kordalt {

// The COM result of a malformed GUID text.
inline constexpr int32_t CO_E_CLASSSTRING = static_cast<int32_t>(0x800401F3u);

// "" for 0; the platform's text without its closing line breaks; "Unknown Error (code)"
// for a code the platform has no text for.
std::string SystemErrorText(int32_t code);

}  // namespace kordalt
