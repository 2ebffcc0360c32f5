#include "platform/support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace kordalt {
namespace {

bool IsDelimiter(char c, std::string_view delimiters) { return delimiters.find(c) != std::string_view::npos; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

}  // namespace

void* AllocEC(int size) {
    void* p = size >= 0 ? std::malloc(size > 0 ? static_cast<size_t>(size) : 1) : nullptr;
    if (!p) throw ECError("AllocEC. size=" + std::to_string(size));
    return p;
}

void* ReAllocREC(void* p, int size) {
    if (size < 1) {
        std::free(p);
        return nullptr;
    }
    void* q = p ? std::realloc(p, static_cast<size_t>(size)) : std::malloc(static_cast<size_t>(size));
    if (!q) throw ECError("ReAllocREC. size=" + std::to_string(size));
    return q;
}

void FreeEC(void* p) { std::free(p); }

void* IncPtr(void* p, int offset) { return static_cast<char*>(p) + offset; }

void PutDWord(void* p, uint32_t v) {
    auto* b = static_cast<unsigned char*>(p);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}

int CountParEC(std::string_view s, std::string_view delimiters) {
    if (s.empty()) return 0;
    int n = 1;
    for (char c : s) n += IsDelimiter(c, delimiters);
    return n;
}

int GetSmeParEC(std::string_view s, int n, std::string_view delimiters) {
    if (n < 1) return 1;
    int found = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsDelimiter(s[i], delimiters) && ++found == n) return static_cast<int>(i) + 2;
    }
    throw ECError("GetSmeParEC. Str=" + std::string(s) + " np=" + std::to_string(n - found) +
                  " raz=" + std::string(delimiters));
}

int GetLenParEC(std::string_view s, int start, std::string_view delimiters) {
    const int length = static_cast<int>(s.size());
    for (int i = std::max(start, 1); i <= length; ++i) {
        if (IsDelimiter(s[static_cast<size_t>(i - 1)], delimiters)) return i - start;
    }
    return length - start + 1;
}

std::string GetParEC(std::string_view s, int n, std::string_view delimiters) {
    const int start = GetSmeParEC(s, n, delimiters);
    const int len = GetLenParEC(s, start, delimiters);
    if (start > static_cast<int>(s.size()) || len <= 0) return {};
    return std::string(s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(len)));
}

int32_t DigitsToInt(std::string_view s) {
    uint32_t v = 0;
    for (char c : s) {
        if (c >= '0' && c <= '9') v = v * 10u + static_cast<uint32_t>(c - '0');
    }
    return static_cast<int32_t>(v);
}

float DigitsToFloat(std::string_view s) {
    float v = 0.0f;
    float scale = 1.0f;
    bool fraction = false;
    bool negative = false;
    for (char c : s) {
        if (c == '-') {
            negative = true;
        } else if (c == '.') {
            fraction = true;
        } else if (c >= '0' && c <= '9') {
            const float digit = static_cast<float>(c - '0');
            if (fraction) {
                scale = scale / 10.0f;
                v = v + digit * scale;
            } else {
                v = v * 10.0f + digit;
            }
        }
    }
    return negative ? -v : v;
}

std::string BoolToStrEC(bool b) { return b ? "True" : "False"; }

std::string TrimEC(std::string_view s) {
    size_t first = 0, last = s.size();
    while (first < last && IsBlank(s[first])) ++first;
    while (last > first && IsBlank(s[last - 1])) --last;
    return std::string(s.substr(first, last - first));
}

void TBufEC::ClearBuf() {
    FreeEC(Data);
    Data = nullptr;
    Len = Capacity = Pos = 0;
}

void TBufEC::TestAddLenBuf(int addLen) {
    if (addLen < 1 || addLen > std::numeric_limits<int32_t>::max() - 256 - Pos)
        throw ECError("TBufEC.TestAddLenBuf. addlen=" + std::to_string(addLen));
    const int32_t needed = Pos + addLen;
    if (needed <= Len) return;
    if (needed > Capacity) {
        // Fields change only once the block is there.
        Data = ReAllocREC(Data, needed + 256);
        Capacity = needed + 256;
    }
    Len = needed;
}

void TBufEC::AddStr(const char* s) {
    const int n = static_cast<int>(std::strlen(s)) + 1;
    TestAddLenBuf(n);
    std::memcpy(IncPtr(Data, Pos), s, static_cast<size_t>(n));
    Pos += n;
}

void TBufEC::AddDWord(uint32_t v) {
    TestAddLenBuf(4);
    PutDWord(IncPtr(Data, Pos), v);
    Pos += 4;
}

}  // namespace kordalt
