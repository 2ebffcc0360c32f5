#include "platform/guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/support.h"

namespace kordalt {
namespace {

constexpr size_t kBareLength = 36;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at t[pos]; false when one is not a digit.
template <class U>
bool ParseHex(std::string_view t, size_t pos, size_t digits, U& out) {
    uint64_t v = 0;
    for (size_t i = 0; i < digits; ++i) {
        const int h = HexValue(t[pos + i]);
        if (h < 0) return false;
        v = v * 16 + static_cast<uint64_t>(h);
    }
    out = static_cast<U>(v);
    return true;
}

bool ParseBare(std::string_view t, TGUID& g) {
    bool ok = t.size() == kBareLength && t[8] == '-' && t[13] == '-' && t[18] == '-' && t[23] == '-' &&
              ParseHex(t, 0, 8, g.D1) && ParseHex(t, 9, 4, g.D2) && ParseHex(t, 14, 4, g.D3);
    for (size_t i = 0; ok && i < 8; ++i) ok = ParseHex(t, i < 2 ? 19 + 2 * i : 20 + 2 * i, 2, g.D4[i]);
    return ok;
}

}  // namespace

void NewGUID(TGUID& g) {
    unsigned char bytes[sizeof(TGUID)];
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t r = getrandom(bytes + got, sizeof bytes - got, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) throw ECError("NewGUID");
        got += static_cast<size_t>(r);
    }
    std::memcpy(&g, bytes, sizeof g);
    g.D3 = static_cast<uint16_t>((g.D3 & 0x0FFF) | 0x4000);   // version 4
    g.D4[0] = static_cast<uint8_t>((g.D4[0] & 0x3F) | 0x80);  // RFC 4122 variant
}

std::string GUIDToStr(const TGUID& g, GuidForm form) {
    char text[kBareLength + 1];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.D1, g.D2, g.D3,
                  g.D4[0], g.D4[1], g.D4[2], g.D4[3], g.D4[4], g.D4[5], g.D4[6], g.D4[7]);
    return form == GuidForm::kBraced ? "{" + std::string(text) + "}" : text;
}

bool TryStrToGUID(std::string_view s, TGUID& g, GuidForm form) {
    if (form == GuidForm::kBraced) {
        if (s.size() != kBareLength + 2 || s.front() != '{' || s.back() != '}') return false;
        s = s.substr(1, kBareLength);
    }
    TGUID parsed{};
    if (!ParseBare(s, parsed)) return false;
    g = parsed;
    return true;
}

TGUID StrToGUID(std::string_view s) {
    TGUID g{};
    if (!TryStrToGUID(TrimEC(s), g)) throw ECError("StrToGUID(" + std::string(s) + ")");
    return g;
}

}  // namespace kordalt
