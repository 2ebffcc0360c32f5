#include "compress/lzh.h"

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

// Binary search trees of the strings in the ring, one tree per first byte
// (roots at kRingSize + 1 + byte), for the longest earlier match.
struct MatchTree {
    std::uint8_t ring[kRingSize + kLongestMatch - 1];  // the first bytes are mirrored past the end
    std::uint16_t left[kRingSize + 1];
    std::uint16_t right[kRingSize + 257];
    std::uint16_t up[kRingSize + 1];
    int match_length;
    int match_position;  // coded position: distance - 1

    void Start() {
        std::memset(ring, ' ', kStart);
        for (int i = kRingSize + 1; i <= kRingSize + 256; ++i) right[i] = kNil;
        for (int i = 0; i < kRingSize; ++i) up[i] = kNil;
    }

    // Inserts the string at r and finds the longest match for it; among matches
    // of that length the one with the smallest position. A full-length match
    // takes the old node's place.
    void Insert(int r) {
        const std::uint8_t* key = &ring[r];
        int p = kRingSize + 1 + key[0];
        int cmp = 1;
        left[r] = right[r] = kNil;
        match_length = 0;
        for (;;) {
            std::uint16_t& next = cmp >= 0 ? right[p] : left[p];
            if (next == kNil) {
                next = static_cast<std::uint16_t>(r);
                up[r] = static_cast<std::uint16_t>(p);
                return;
            }
            p = next;
            int i = 1;
            while (i < kLongestMatch && (cmp = key[i] - ring[p + i]) == 0) ++i;
            if (i > kThreshold) {
                const int position = ((r - p) & kRingMask) - 1;
                if (i > match_length) {
                    match_position = position;
                    match_length = i;
                    if (i >= kLongestMatch) break;
                } else if (i == match_length && position < match_position) {
                    match_position = position;
                }
            }
        }
        up[r] = up[p];
        left[r] = left[p];
        right[r] = right[p];
        up[left[p]] = static_cast<std::uint16_t>(r);
        up[right[p]] = static_cast<std::uint16_t>(r);
        ReplaceChild(p, r);
        up[p] = kNil;
    }

    void Delete(int p) {
        if (up[p] == kNil) return;
        int q;
        if (right[p] == kNil) {
            q = left[p];
        } else if (left[p] == kNil) {
            q = right[p];
        } else {
            q = left[p];
            if (right[q] != kNil) {
                do q = right[q];
                while (right[q] != kNil);
                right[up[q]] = left[q];
                up[left[q]] = up[q];
                left[q] = left[p];
                up[left[p]] = static_cast<std::uint16_t>(q);
            }
            right[q] = right[p];
            up[right[p]] = static_cast<std::uint16_t>(q);
        }
        up[q] = up[p];
        ReplaceChild(p, q);
        up[p] = kNil;
    }

    // p's parent points to q instead.
    void ReplaceChild(int p, int q) {
        const int parent = up[p];
        if (right[parent] == p) {
            right[parent] = static_cast<std::uint16_t>(q);
        } else {
            left[parent] = static_cast<std::uint16_t>(q);
        }
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
    Output(TLzhSink sink, void* context, std::uint8_t* buffer) : sink_(sink), context_(context), buffer_(buffer) {}

    void Put(std::uint8_t byte) {
        if (used_ == kChunk) Flush();
        buffer_[used_++] = byte;
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

// Reads a byte only when a bit of it is needed, so a valid stream is never read
// past its end; running dry is an error.
class BitReader {
public:
    explicit BitReader(Input& in) : in_(in) {}

    int Bit() {
        if (count_ == 0) {
            std::uint8_t byte;
            if (!in_.Next(byte)) throw ELzrw1Exception("Lzrw1 (LZH decompression) : compressed data end too early !");
            bits_ = byte;
            count_ = 8;
        }
        --count_;
        return (bits_ >> count_) & 1;
    }

    unsigned Bits(int count) {
        unsigned value = 0;
        while (count-- > 0) value = value << 1 | static_cast<unsigned>(Bit());
        return value;
    }

private:
    Input& in_;
    unsigned bits_ = 0;
    int count_ = 0;
};

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
        const int from = r - DecodePosition(bits) - 1;
        const int length = symbol - 255 + kThreshold;
        if (count - written < static_cast<std::uint64_t>(length)) {
            throw ELzrw1Exception(kLzhSizeMismatch);
        }
        for (int k = 0; k < length; ++k) {
            const std::uint8_t byte = ring[(from + k) & kRingMask];
            out.Put(byte);
            ring[r] = byte;
            r = (r + 1) & kRingMask;
        }
        written += static_cast<std::uint64_t>(length);
    }
    out.Flush();
}

}  // namespace kordalt
