// The compressor component: turns an input stream into a compressed stream and
// back with the fast block coder or the good LZH coder. The compressed stream
// starts with the coder's identifier and the uncompressed size, so
// decompression needs no setting.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>

#include "compress/lzh.h"
#include "compress/lzrw1_exception.h"
#include "compress/lzrw1kh.h"

namespace kordalt {

enum class TCompressMode { Good, Fast };

class Tlzrw1 {
public:
    TCompressMode CompressMode = TCompressMode::Good;
    // Set by the caller; read from and written at their current positions.
    std::istream* InputStream = nullptr;
    std::ostream* OutputStream = nullptr;

    // Compresses the rest of the input; returns the bytes written, header included.
    std::uint64_t Compress();
    // Decompresses a stream of at most `max_output_size` uncompressed bytes;
    // returns the bytes written.
    std::uint64_t Decompress(std::uint32_t max_output_size);

private:
    void CompressFast(std::uint8_t* source, std::uint8_t* dest);
    void DecompressFast(std::uint32_t size, std::uint8_t* block, std::uint8_t* data);
    void CheckStreams() const;
    // Reads up to `count` bytes; a failed stream raises the read error + `coder`.
    std::size_t ReadSome(void* buffer, std::size_t count, const char* coder);
    // Reads exactly `count` bytes.
    void Read(void* buffer, std::size_t count);
    void Write(const void* buffer, std::size_t count);

    static std::size_t ReadChunk(void* self, std::uint8_t* buffer, std::size_t count);
    static std::size_t WriteChunk(void* self, const std::uint8_t* buffer, std::size_t count);

    TLZH Lzh;
    TLZR Lzr;
    std::uint64_t bytes_read_ = 0;
    std::uint64_t bytes_written_ = 0;
};

}  // namespace kordalt
