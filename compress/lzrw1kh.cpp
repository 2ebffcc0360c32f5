#include "compress/lzrw1kh.h"

#include <algorithm>
#include <bit>
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
// Source bytes the word compares may read from a position.
constexpr std::size_t kWordReadRoom = 24;

void PutWord(std::uint8_t* p, std::uint32_t word) {
    p[0] = static_cast<std::uint8_t>(word >> 8);
    p[1] = static_cast<std::uint8_t>(word);
}

static_assert(std::endian::native == std::endian::little, "word compares find the first differing byte");

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, sizeof v); }

// Number of equal leading bytes of a and b, at most `limit`.
std::size_t CommonLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
    std::size_t m = 0;
    for (; m + 8 <= limit; m += 8) {
        const std::uint64_t diff = Load64(a + m) ^ Load64(b + m);
        if (diff != 0) return m + static_cast<std::size_t>(std::countr_zero(diff) >> 3);
    }
    while (m < limit && a[m] == b[m]) ++m;
    return m;
}

std::uint32_t HashOf(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return ((40543u * ((((a << 4) ^ b) << 4) ^ c)) >> 4) & 0x0FFF;
}

// Bytes past the end of the block enter the hash as 0.
std::uint32_t Hash(const std::uint8_t* s, std::size_t x, std::size_t n) {
    if (n - x >= 8) {
        const std::uint64_t v = Load64(s + x);
        return HashOf(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    }
    return HashOf(s[x], x + 1 < n ? s[x + 1] : 0, x + 2 < n ? s[x + 2] : 0);
}

bool AllBytesEqual(std::uint64_t v) { return v == (v << 8 | (v & 0xFF)); }

std::size_t RunLength(const std::uint8_t* s, std::size_t x, std::size_t n) {
    const std::size_t limit = std::min(kMaxRun, n - x);
    std::size_t r = 1;
    const std::uint64_t pattern = 0x0101010101010101ull * s[x];
    for (; r + 8 <= limit; r += 8) {
        const std::uint64_t diff = Load64(s + x + r) ^ pattern;
        if (diff != 0) return r + static_cast<std::size_t>(std::countr_zero(diff) >> 3);
    }
    while (r < limit && s[x + r] == s[x]) ++r;
    return r;
}

// Length of the common start of a and b, up to 18; both need kWordReadRoom
// readable bytes.
std::size_t MatchLength18(const std::uint8_t* a, const std::uint8_t* b) {
    const auto first = static_cast<std::size_t>(std::countr_zero(Load64(a) ^ Load64(b)) >> 3);
    const auto second = static_cast<std::size_t>(std::countr_zero(Load64(a + 8) ^ Load64(b + 8)) >> 3);
    const auto third =
        static_cast<std::size_t>(std::countr_zero((Load64(a + 16) ^ Load64(b + 16)) | 1ull << 16) >> 3);
    return first < 8 ? first : second < 8 ? 8 + second : 16 + third;
}

// Copies `count` (at most 18) bytes from `distance` back; with room to spare,
// as three words that write 24 bytes.
void CopyBack(std::uint8_t* d, std::size_t distance, std::size_t count, std::size_t room) {
    if (distance >= 8 && room >= 24) {
        Store64(d, Load64(d - distance));
        Store64(d + 8, Load64(d + 8 - distance));
        Store64(d + 16, Load64(d + 16 - distance));
        return;
    }
    const std::uint8_t* from = d - distance;
    for (std::size_t i = 0; i < count; ++i) d[i] = from[i];
}

[[noreturn]] void Damaged(const char* what) {
    throw ELzrw1Exception(std::string("Lzrw1 (decompression LZRW1/KH) : ") + what);
}

}  // namespace

std::size_t LzrwCompressBlock(TLZR& coder, std::span<const std::uint8_t> source,
                              std::span<std::uint8_t> dest) {
    const std::size_t n = source.size();
    if (n > kLzrwBlockSize) throw ELzrw1Exception("Lzrw1 (LZRW1/KH) : block longer than 32768 bytes !");
    if (dest.size() < n + kLzrwDestSlack)
        throw ELzrw1Exception("Lzrw1 (LZRW1/KH) : output buffer too small !");
    const std::uint8_t* s = source.data();
    std::uint8_t* d = dest.data();

    coder.HashTable.fill(TLZR::kEmpty);
    d[0] = kFlagCompressed;
    std::size_t y = 3;          // output position
    std::size_t z = 1;          // position of the current control word
    std::uint32_t control = 1;  // item bits behind a start bit; 16 items push it to bit 16
    std::size_t x = 0;
    while (x < n && y <= n) {
        if (control >= 0x10000) {
            PutWord(d + z, control);
            z = y;
            y += 2;
            control = 1;
        }
        const std::size_t left = n - x;
        // A run item needs 16 equal bytes, so the first 8 must be.
        if (left >= kMinRun && AllBytesEqual(Load64(s + x))) [[unlikely]] {
            const std::size_t run = RunLength(s, x, n);
            if (run >= kMinRun) {
                const std::size_t stored = run - kMinRun;
                d[y] = 0;
                d[y + 1] = static_cast<std::uint8_t>(stored >> 8);
                d[y + 2] = static_cast<std::uint8_t>(stored);
                d[y + 3] = s[x];
                y += 4;
                x += run;
                control = control << 1 | 1;
                continue;
            }
        }
        // One probe per position that is not a run; the table always takes x.
        std::uint16_t& slot = coder.HashTable[Hash(s, x, n)];
        const std::size_t previous = slot;
        slot = static_cast<std::uint16_t>(x);
        const bool near = x - previous < kWindow;  // never true for an empty slot
        std::size_t length = 0;
        if (near) [[likely]] {
            length = left >= kWordReadRoom ? MatchLength18(s + x, s + previous)
                                           : CommonLength(s + x, s + previous, std::min(kMaxMatch, left));
        }
        const bool match = near && length >= kMinMatch;
        if (match) {
            PutWord(d + y, static_cast<std::uint32_t>((x - previous) << 4 | (length - kMinMatch)));
            y += 2;
            x += length;
        } else {
            d[y++] = s[x++];
        }
        control = control << 1 | (match ? 1 : 0);
    }
    const auto items = static_cast<std::size_t>(std::bit_width(control) - 1);
    PutWord(d + z, control << (kItemsPerControlWord - items));
    if (y <= n) return y;
    d[0] = kFlagStored;
    if (n > 0) std::memcpy(d + 1, s, n);
    return n + 1;
}

namespace {

// Decodes the items of a compressed block; the block is at least 4 bytes.
class BlockDecoder {
public:
    BlockDecoder(std::span<const std::uint8_t> block, std::span<std::uint8_t> dest)
        : b_(block.data()), length_(block.size()), d_(dest.data()), capacity_(dest.size()) {}

    std::size_t Run() {
        x_ = 1;
        do {
            if (length_ - x_ < 2) Damaged("block ends inside a control word !");
            std::uint32_t control = std::uint32_t{b_[x_]} << 8 | b_[x_ + 1];
            x_ += 2;
            // A group of 16 items takes at most 64 bytes: with that many left,
            // neither an item nor the group can pass the end of the block.
            if (length_ - x_ >= 64) {
                for (int i = 0; i < 16; ++i, control <<= 1) Item<false>(control & 0x8000);
                continue;
            }
            // Near the end: every read is checked, and decoding stops at the end.
            int i = 0;
            do {
                Item<true>(control & 0x8000);
                control <<= 1;
            } while (++i < 16 && x_ < length_);
        } while (x_ < length_);
        return y_;
    }

private:
    template <bool kCheckInput>
    void Item(bool copy) {
        if (!copy) {
            if (kCheckInput && length_ == x_) Damaged("block ends inside an item !");
            if (capacity_ == y_) TooLong();
            d_[y_++] = b_[x_++];
            return;
        }
        if (kCheckInput && length_ - x_ < 2) Damaged("block ends inside an item !");
        const std::size_t distance = std::size_t{b_[x_]} << 4 | b_[x_ + 1] >> 4;
        if (distance == 0) {
            if (kCheckInput && length_ - x_ < 4) Damaged("block ends inside an item !");
            const std::size_t count = (std::size_t{b_[x_ + 1]} << 8 | b_[x_ + 2]) + kMinRun;
            if (capacity_ - y_ < count) TooLong();
            std::memset(d_ + y_, b_[x_ + 3], count);
            y_ += count;
            x_ += 4;
            return;
        }
        const std::size_t count = (b_[x_ + 1] & 0x0F) + kMinMatch;
        if (capacity_ - y_ < count) TooLong();
        if (distance > y_) Damaged("copy item reaches before the start of the block !");
        CopyBack(d_ + y_, distance, count, capacity_ - y_);
        y_ += count;
        x_ += 2;
    }

    [[noreturn]] static void TooLong() { Damaged("block decodes to more bytes than the output holds !"); }

    const std::uint8_t* b_;
    std::size_t length_;
    std::uint8_t* d_;
    std::size_t capacity_;
    std::size_t x_ = 0;
    std::size_t y_ = 0;
};

}  // namespace

std::size_t LzrwDecompressBlock(std::span<const std::uint8_t> block, std::span<std::uint8_t> dest) {
    const std::size_t length = block.size();
    if (length > kLzrwMaxCompressedSize) throw ELzrw1Exception(kLzrwBlockTooLong);
    if (length < 2) return 0;
    if (block[0] == kFlagStored) {
        if (length - 1 > dest.size()) Damaged("block decodes to more bytes than the output holds !");
        std::memcpy(dest.data(), block.data() + 1, length - 1);
        return length - 1;
    }
    if (length < 4) return 0;
    return BlockDecoder(block, dest).Run();
}

}  // namespace kordalt
