// LZH coder: LZSS over a 4096-byte ring with a binary match tree; bytes and
// match lengths are coded with an adaptive Huffman tree, match positions with a
// fixed prefix code for their upper 6 bits. The data size is not part of the
// bit stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kordalt {

// Delivers up to `count` bytes into `buffer` and returns how many; 0 marks the
// end of the input.
using TLzhSource = std::size_t (*)(void* context, std::uint8_t* buffer, std::size_t count);
// Takes `count` bytes from `buffer` and returns how many it wrote.
using TLzhSink = std::size_t (*)(void* context, const std::uint8_t* buffer, std::size_t count);

class TLZH {
public:
    TLZH();
    ~TLZH();
    TLZH(const TLZH&) = delete;
    TLZH& operator=(const TLZH&) = delete;

    struct Tables;

private:
    friend void LzhEncode(TLZH&, std::uint64_t&, TLzhSink, void*, TLzhSource, void*);
    friend void LzhDecode(TLZH&, std::uint64_t, TLzhSink, void*, TLzhSource, void*);

    // Working tables and buffers, zero-filled at the start of a run and freed at its end.
    std::unique_ptr<Tables> tables_;
};

// Encodes everything the source delivers; `bytes_in` := the number of bytes read.
void LzhEncode(TLZH& coder, std::uint64_t& bytes_in, TLzhSink sink, void* sink_context, TLzhSource source,
               void* source_context);

// Decodes exactly `count` bytes. A stream that ends early, or whose last match
// passes `count`, raises ELzrw1Exception.
void LzhDecode(TLZH& coder, std::uint64_t count, TLzhSink sink, void* sink_context, TLzhSource source,
               void* source_context);

}  // namespace kordalt
