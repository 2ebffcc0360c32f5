#include "compress/lzh.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "compress/adaptive_huffman.h"
#include "compress/lzh_position_code.h"
#include "compress/lzrw1_exception.h"

namespace kordalt {
namespace {

constexpr int kRingSize = 4096;
constexpr int kRingMask = kRingSize - 1;
constexpr int kLongestMatch = 60;
constexpr int kThreshold = 2;  // matches longer than this are coded as matches
constexpr int kStart = kRingSize - kLongestMatch;
constexpr int kNil = kRingSize;
static_assert(kHuffmanSymbols == 256 - kThreshold + kLongestMatch);
constexpr std::size_t kChunk = 32768;
static_assert(std::endian::native == std::endian::little, "Compare reads words little-endian");

// How two strings of the ring compare: the length of their common prefix, at
// most kLongestMatch, and whether the first string is the greater.
struct Comparison {
    int length;
    bool greater;
};

// Compares a and b, whose first `i` bytes agree, 8 bytes at a time. Reads up to
// 8 bytes past a + kLongestMatch - 1 and b + kLongestMatch - 1.
Comparison Compare(const std::uint8_t* a, const std::uint8_t* b, int i) {
    for (; i < kLongestMatch; i += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x == y) continue;
        const int shift = std::countr_zero(x ^ y) & ~7;  // the first differing byte
        return {std::min(i + shift / 8, kLongestMatch), (x >> shift & 0xFF) > (y >> shift & 0xFF)};
    }
    return {kLongestMatch, false};
}

// Binary search trees of the strings in the ring, one tree per first byte
// (roots at kRingSize + 1 + byte), for the longest earlier match.
struct MatchTree {
    static constexpr int kLeft = 0;
    static constexpr int kRight = 1;

    // The first bytes are mirrored past the end; the last 8 are never written,
    // so a string can be compared 8 bytes at a time.
    std::uint8_t ring[kRingSize + kLongestMatch - 1 + 8];
    std::uint16_t child[kRingSize + 257][2];  // [node][kLeft or kRight]; roots have only right children
    std::uint16_t up[kRingSize + 1];
    int match_length;
    int match_position;  // coded position: distance - 1

    void Start() {
        std::memset(ring, ' ', kStart);
        for (int i = kRingSize + 1; i <= kRingSize + 256; ++i) child[i][kRight] = kNil;
        for (int i = 0; i < kRingSize; ++i) up[i] = kNil;
    }

    // Inserts the string at r and finds the longest match for it; among matches
    // of that length the one with the smallest position. A full-length match
    // takes the old node's place.
    //
    // The tree orders the strings, so every string below the last nodes passed
    // on the left and on the right shares their common prefix with the key:
    // comparing starts behind the shorter of the two.
    void Insert(int r) {
        const std::uint8_t* key = &ring[r];
        int p = kRingSize + 1 + key[0];
        int side = kRight;
        // Common lengths with the last nodes the key went left and right of.
        int left_common = 1;
        int right_common = 1;
        // Length << 12 | (kRingMask - position): the larger, the better the match.
        int best = 0;
        child[r][kLeft] = child[r][kRight] = kNil;
        for (int next = child[p][kRight]; next != kNil;) {
            p = next;
            // Both children are read while the strings compare.
            const int left_child = child[p][kLeft];
            const int right_child = child[p][kRight];
            const Comparison c = Compare(key, &ring[p], std::min(left_common, right_common));
            best = std::max(best, c.length << 12 | (kRingMask - Position(r, p)));
            if (c.length == kLongestMatch) {
                TakePlace(p, r);
                Found(best);
                return;
            }
            side = c.greater ? kRight : kLeft;
            next = c.greater ? right_child : left_child;
            (c.greater ? right_common : left_common) = c.length;
        }
        child[p][side] = static_cast<std::uint16_t>(r);
        up[r] = static_cast<std::uint16_t>(p);
        Found(best);
    }

    void Delete(int p) {
        if (up[p] == kNil) return;
        int q;
        if (child[p][kRight] == kNil) {
            q = child[p][kLeft];
        } else if (child[p][kLeft] == kNil) {
            q = child[p][kRight];
        } else {
            q = child[p][kLeft];
            if (child[q][kRight] != kNil) {
                do q = child[q][kRight];
                while (child[q][kRight] != kNil);
                child[up[q]][kRight] = child[q][kLeft];
                up[child[q][kLeft]] = up[q];
                child[q][kLeft] = child[p][kLeft];
                up[child[p][kLeft]] = static_cast<std::uint16_t>(q);
            }
            child[q][kRight] = child[p][kRight];
            up[child[p][kRight]] = static_cast<std::uint16_t>(q);
        }
        up[q] = up[p];
        ReplaceChild(p, q);
        up[p] = kNil;
    }

private:
    // Takes the best match of an insertion. Lengths up to kThreshold are never
    // coded as matches.
    void Found(int best) {
        match_length = best >> 12;
        match_position = kRingMask - (best & kRingMask);
    }

    // The coded position of the string at p seen from r.
    static int Position(int r, int p) { return ((r - p) & kRingMask) - 1; }

    // Node r replaces node p, whose string is the same.
    void TakePlace(int p, int r) {
        up[r] = up[p];
        child[r][kLeft] = child[p][kLeft];
        child[r][kRight] = child[p][kRight];
        up[child[p][kLeft]] = static_cast<std::uint16_t>(r);
        up[child[p][kRight]] = static_cast<std::uint16_t>(r);
        ReplaceChild(p, r);
        up[p] = kNil;
    }

    // p's parent points to q instead.
    void ReplaceChild(int p, int q) {
        std::uint16_t* links = child[up[p]];
        links[links[kRight] == p ? kRight : kLeft] = static_cast<std::uint16_t>(q);
    }
};

// Input and output through the callbacks, a chunk at a time.
class Input {
public:
    Input(TLzhSource source, void* context, std::uint8_t* buffer)
        : source_(source), context_(context), buffer_(buffer) {}

    bool Next(std::uint8_t& byte) {
        if (pos_ == end_ && !Refill()) return false;
        byte = buffer_[pos_++];
        return true;
    }

    // Shifts bytes into the low end of `bits` while `count` (the valid bits)
    // has room for them: the bytes in hand, or the next chunk when none is.
    // False at the end of the input.
    bool Fill(std::uint64_t& bits, int& count) {
        if (pos_ == end_ && !Refill()) return false;
        for (; count <= 56 && pos_ < end_; count += 8) bits = bits << 8 | buffer_[pos_++];
        return true;
    }

private:
    bool Refill() {
        if (ended_) return false;
        end_ = source_(context_, buffer_, kChunk);
        pos_ = 0;
        ended_ = end_ == 0;
        return !ended_;
    }

    TLzhSource source_;
    void* context_;
    std::uint8_t* buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

class Output {
public:
    Output(TLzhSink sink, void* context, std::uint8_t* buffer)
        : sink_(sink), context_(context), buffer_(buffer) {}

    void Put(std::uint8_t byte) {
        if (used_ == kChunk) Flush();
        buffer_[used_++] = byte;
    }

    void Write(const std::uint8_t* bytes, std::size_t count) {
        while (count > 0) {
            if (used_ == kChunk) Flush();
            const std::size_t n = std::min(count, kChunk - used_);
            std::memcpy(buffer_ + used_, bytes, n);
            used_ += n;
            bytes += n;
            count -= n;
        }
    }

    void Flush() {
        if (used_ > 0 && sink_(context_, buffer_, used_) != used_) {
            throw ELzrw1Exception("Lzrw1 : Error writing to output stream ! (LZH)");
        }
        used_ = 0;
    }

private:
    TLzhSink sink_;
    void* context_;
    std::uint8_t* buffer_;
    std::size_t used_ = 0;
};

// Bits are packed most significant first.
class BitWriter {
public:
    explicit BitWriter(Output& out) : out_(out) {}

    void Put(std::uint32_t code, int length) {
        bits_ = bits_ << length | code;
        count_ += length;
        while (count_ >= 8) {
            count_ -= 8;
            out_.Put(static_cast<std::uint8_t>(bits_ >> count_));
        }
    }

    // Writes the last partial byte, filled with 0 bits.
    void Finish() {
        if (count_ > 0) Put(0, 8 - count_);
        out_.Flush();
    }

private:
    Output& out_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

// Takes a chunk from the source only when a bit of it is needed, so a valid
// stream is never read past its end; running dry is an error.
class BitReader {
public:
    explicit BitReader(Input& in) : in_(in) {}

    int Bit() {
        if (count_ == 0) Fill();
        --count_;
        return static_cast<int>(bits_ >> count_) & 1;
    }

    // count: 0..8.
    unsigned Bits(int count) {
        while (count_ < count) Fill();
        count_ -= count;
        return static_cast<unsigned>(bits_ >> count_) & ((1u << count) - 1);
    }

private:
    void Fill() {
        if (!in_.Fill(bits_, count_))
            throw ELzrw1Exception("Lzrw1 (LZH decompression) : compressed data end too early !");
    }

    Input& in_;
    std::uint64_t bits_ = 0;  // the low count_ bits are unread
    int count_ = 0;
};

// Copies as if byte after byte from the first: a source that ends inside the
// copy repeats its first `to - from` bytes.
void CopyForward(std::uint8_t* to, const std::uint8_t* from, int length) {
    const std::ptrdiff_t period = to - from;
    if (period <= 0 || period >= length) {
        std::memmove(to, from, static_cast<std::size_t>(length));
        return;
    }
    std::memcpy(to, from, static_cast<std::size_t>(period));
    for (std::ptrdiff_t done = period; done < length;) {
        const std::ptrdiff_t n = std::min<std::ptrdiff_t>(done, length - done);
        std::memcpy(to + done, to, static_cast<std::size_t>(n));
        done += n;
    }
}

void EncodeSymbol(AdaptiveHuffman& huffman, BitWriter& out, int symbol) {
    int length;
    const std::uint32_t code = huffman.Code(symbol, length);
    out.Put(code, length);
    huffman.Update(symbol);
}

int DecodeSymbol(AdaptiveHuffman& huffman, BitReader& in) {
    int node = huffman.child[kHuffmanRoot];
    while (node < kHuffmanNodes) node = huffman.child[node + in.Bit()];
    const int symbol = node - kHuffmanNodes;
    huffman.Update(symbol);
    return symbol;
}

void EncodePosition(BitWriter& out, int position) {
    const int upper = position >> 6;
    out.Put(kLzhPositionCode.code[upper], kLzhPositionCode.length[upper]);
    out.Put(position & 0x3F, 6);
}

int DecodePosition(BitReader& in) {
    const unsigned first = in.Bits(8);
    const int length = kLzhPositionCode.upper_length[first];
    const unsigned rest = first << (length - 2) | in.Bits(length - 2);
    return kLzhPositionCode.upper[first] << 6 | (rest & 0x3F);
}

}  // namespace

struct TLZH::Tables {
    MatchTree tree;
    AdaptiveHuffman huffman;
    std::uint8_t in[kChunk];
    std::uint8_t out[kChunk];
};

namespace {

// Zero-filled tables for the length of one run.
class Run {
public:
    explicit Run(std::unique_ptr<TLZH::Tables>& slot) : slot_(slot) {
        slot_ = std::make_unique<TLZH::Tables>();
        slot_->tree.Start();
        slot_->huffman.Start();
    }
    ~Run() { slot_.reset(); }
    TLZH::Tables& operator*() { return *slot_; }

private:
    std::unique_ptr<TLZH::Tables>& slot_;
};

}  // namespace

TLZH::TLZH() = default;
TLZH::~TLZH() = default;

void LzhEncode(TLZH& coder, std::uint64_t& bytes_in, TLzhSink sink, void* sink_context, TLzhSource source,
               void* source_context) {
    Run run(coder.tables_);
    TLZH::Tables& t = *run;
    MatchTree& tree = t.tree;
    Input in(source, source_context, t.in);
    Output out(sink, sink_context, t.out);
    BitWriter bits(out);

    int s = 0;
    int r = kStart;
    int len = 0;
    std::uint8_t c;
    while (len < kLongestMatch && in.Next(c)) tree.ring[r + len++] = c;
    bytes_in = static_cast<std::uint64_t>(len);
    for (int i = 1; i <= kLongestMatch; ++i) tree.Insert(r - i);
    tree.Insert(r);
    do {
        if (tree.match_length > len) tree.match_length = len;
        if (tree.match_length <= kThreshold) {
            tree.match_length = 1;
            EncodeSymbol(t.huffman, bits, tree.ring[r]);
        } else {
            EncodeSymbol(t.huffman, bits, 255 - kThreshold + tree.match_length);
            EncodePosition(bits, tree.match_position);
        }
        const int coded = tree.match_length;
        int i = 0;
        for (; i < coded && in.Next(c); ++i) {
            tree.Delete(s);
            tree.ring[s] = c;
            if (s < kLongestMatch - 1) tree.ring[s + kRingSize] = c;
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            tree.Insert(r);
        }
        bytes_in += static_cast<std::uint64_t>(i);
        for (; i < coded; ++i) {
            tree.Delete(s);
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            if (--len != 0) tree.Insert(r);
        }
    } while (len > 0);
    bits.Finish();
}

void LzhDecode(TLZH& coder, std::uint64_t count, TLzhSink sink, void* sink_context, TLzhSource source,
               void* source_context) {
    if (count == 0) return;
    Run run(coder.tables_);
    TLZH::Tables& t = *run;
    std::uint8_t* ring = t.tree.ring;
    Input in(source, source_context, t.in);
    Output out(sink, sink_context, t.out);
    BitReader bits(in);

    int r = kStart;
    std::uint64_t written = 0;
    while (written < count) {
        const int symbol = DecodeSymbol(t.huffman, bits);
        if (symbol < 256) {
            const auto byte = static_cast<std::uint8_t>(symbol);
            out.Put(byte);
            ring[r] = byte;
            r = (r + 1) & kRingMask;
            ++written;
            continue;
        }
        const int from = (r - DecodePosition(bits) - 1) & kRingMask;
        const int length = symbol - 255 + kThreshold;
        if (count - written < static_cast<std::uint64_t>(length)) {
            throw ELzrw1Exception(kLzhSizeMismatch);
        }
        if (from + length <= kRingSize && r + length <= kRingSize) {
            CopyForward(ring + r, ring + from, length);
            out.Write(ring + r, static_cast<std::size_t>(length));
            r = (r + length) & kRingMask;
        } else {
            for (int k = 0; k < length; ++k) {
                const std::uint8_t byte = ring[(from + k) & kRingMask];
                out.Put(byte);
                ring[r] = byte;
                r = (r + 1) & kRingMask;
            }
        }
        written += static_cast<std::uint64_t>(length);
    }
    out.Flush();
}

}  // namespace kordalt
