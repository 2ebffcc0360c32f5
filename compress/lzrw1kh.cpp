#include "compress/lzrw1kh.h"

#include <algorithm>
#include <cstring>

#include "compress/lzrw1_exception.h"

namespace kordalt {
namespace {

constexpr std::uint8_t kFlagStored = 0x80;
constexpr std::uint8_t kFlagCompressed = 0x40;
constexpr std::size_t kItemsPerControlWord = 16;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4095;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::size_t kWindow = 4096;

void PutWord(std::uint8_t* p, std::uint32_t word) {
    p[0] = static_cast<std::uint8_t>(word >> 8);
    p[1] = static_cast<std::uint8_t>(word);
}

// Bytes past the end of the block enter the hash as 0.
std::uint32_t Hash(const std::uint8_t* s, std::size_t x, std::size_t n) {
    const std::uint32_t a = s[x];
    const std::uint32_t b = x + 1 < n ? s[x + 1] : 0;
    const std::uint32_t c = x + 2 < n ? s[x + 2] : 0;
    return ((40543u * ((((a << 4) ^ b) << 4) ^ c)) >> 4) & 0x0FFF;
}

std::size_t RunLength(const std::uint8_t* s, std::size_t x, std::size_t n) {
    const std::size_t limit = std::min(kMaxRun, n - x);
    std::size_t r = 1;
    while (r < limit && s[x + r] == s[x]) ++r;
    return r;
}

// One probe of the hash table, which always takes position x. Returns the match
// length (0 when there is none) and its start in `from`.
std::size_t FindMatch(TLZR& coder, const std::uint8_t* s, std::size_t x, std::size_t n, std::size_t& from) {
    std::uint16_t& slot = coder.HashTable[Hash(s, x, n)];
    const std::size_t previous = slot;
    slot = static_cast<std::uint16_t>(x);
    if (previous == TLZR::kEmpty || x - previous >= kWindow) return 0;
    const std::size_t limit = std::min(kMaxMatch, n - x);
    std::size_t m = 0;
    while (m < limit && s[x + m] == s[previous + m]) ++m;
    from = previous;
    return m >= kMinMatch ? m : 0;
}

[[noreturn]] void Damaged(const char* what) {
    throw ELzrw1Exception(std::string("Lzrw1 (decompression LZRW1/KH) : ") + what);
}

}  // namespace

std::size_t LzrwCompressBlock(TLZR& coder, std::span<const std::uint8_t> source, std::span<std::uint8_t> dest) {
    const std::size_t n = source.size();
    if (n > kLzrwBlockSize) throw ELzrw1Exception("Lzrw1 (LZRW1/KH) : block longer than 32768 bytes !");
    if (dest.size() < n + kLzrwDestSlack) throw ELzrw1Exception("Lzrw1 (LZRW1/KH) : output buffer too small !");
    const std::uint8_t* s = source.data();
    std::uint8_t* d = dest.data();

    coder.HashTable.fill(TLZR::kEmpty);
    d[0] = kFlagCompressed;
    std::size_t y = 3;  // output position
    std::size_t z = 1;  // position of the current control word
    std::uint32_t control = 0;
    std::size_t items = 0;
    std::size_t x = 0;
    while (x < n && y <= n) {
        if (items == kItemsPerControlWord) {
            PutWord(d + z, control);
            z = y;
            y += 2;
            items = 0;
        }
        const std::size_t run = RunLength(s, x, n);
        std::size_t from = 0;
        std::size_t length = 0;
        if (run >= kMinRun) {
            const std::size_t stored = run - kMinRun;
            d[y] = 0;
            d[y + 1] = static_cast<std::uint8_t>(stored >> 8);
            d[y + 2] = static_cast<std::uint8_t>(stored);
            d[y + 3] = s[x];
            y += 4;
            x += run;
            control = control << 1 | 1;
        } else if ((length = FindMatch(coder, s, x, n, from)) != 0) {
            PutWord(d + y, static_cast<std::uint32_t>((x - from) << 4 | (length - kMinMatch)));
            y += 2;
            x += length;
            control = control << 1 | 1;
        } else {
            d[y++] = s[x++];
            control <<= 1;
        }
        ++items;
    }
    PutWord(d + z, control << (kItemsPerControlWord - items));
    if (y > n) {
        d[0] = kFlagStored;
        if (n > 0) std::memcpy(d + 1, s, n);
        y = n + 1;
    }
    return y;
}

std::size_t LzrwDecompressBlock(std::span<const std::uint8_t> block, std::span<std::uint8_t> dest) {
    const std::size_t length = block.size();
    if (length > kLzrwMaxCompressedSize) throw ELzrw1Exception(kLzrwBlockTooLong);
    if (length < 2) return 0;
    const std::uint8_t* b = block.data();
    std::uint8_t* d = dest.data();
    const std::size_t capacity = dest.size();
    if (b[0] == kFlagStored) {
        if (length - 1 > capacity) Damaged("block decodes to more bytes than the output holds !");
        std::memcpy(d, b + 1, length - 1);
        return length - 1;
    }
    if (length < 4) return 0;

    std::size_t x = 3;
    std::size_t y = 0;
    std::uint32_t control = std::uint32_t{b[1]} << 8 | b[2];
    std::size_t bits = 16;
    do {
        if (bits == 0) {
            if (length - x < 2) Damaged("block ends inside a control word !");
            control = std::uint32_t{b[x]} << 8 | b[x + 1];
            x += 2;
            bits = 16;
        }
        if (control & 0x8000) {
            if (length - x < 2) Damaged("block ends inside an item !");
            const std::size_t distance = std::size_t{b[x]} << 4 | b[x + 1] >> 4;
            if (distance == 0) {
                if (length - x < 4) Damaged("block ends inside an item !");
                const std::size_t count = (std::size_t{b[x + 1]} << 8 | b[x + 2]) + kMinRun;
                if (capacity - y < count) Damaged("block decodes to more bytes than the output holds !");
                std::memset(d + y, b[x + 3], count);
                y += count;
                x += 4;
            } else {
                const std::size_t count = (b[x + 1] & 0x0F) + kMinMatch;
                if (capacity - y < count) Damaged("block decodes to more bytes than the output holds !");
                if (distance > y) Damaged("copy item reaches before the start of the block !");
                for (std::size_t i = 0; i < count; ++i) d[y + i] = d[y + i - distance];
                y += count;
                x += 2;
            }
        } else {
            if (length == x) Damaged("block ends inside an item !");
            if (capacity == y) Damaged("block decodes to more bytes than the output holds !");
            d[y++] = b[x++];
        }
        control <<= 1;
        --bits;
    } while (x < length);
    return y;
}

}  // namespace kordalt
