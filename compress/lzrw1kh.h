// LZRW1/KH block coder: LZ77 with a 4096-entry hash table, matches of 3..18
// bytes within the last 4095 bytes and run items of 16..4095 equal bytes, on
// blocks of at most 32768 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kordalt {

inline constexpr std::size_t kLzrwBlockSize = 32768;
// Largest valid compressed block: a stored full block.
inline constexpr std::size_t kLzrwMaxCompressedSize = kLzrwBlockSize + 1;
// The compressor may write this many bytes past n + 1 before it falls back to
// the stored form: Dest needs room for n + kLzrwDestSlack bytes.
inline constexpr std::size_t kLzrwDestSlack = 16;

class TLZR {
public:
    static constexpr std::uint16_t kEmpty = 0xFFFF;
    // Source positions by hash of three bytes; reset for every block.
    std::array<std::uint16_t, 4096> HashTable;

    TLZR() { HashTable.fill(kEmpty); }
};

// Compresses `source` (at most kLzrwBlockSize bytes) into `dest`, which must
// hold source.size() + kLzrwDestSlack bytes. Returns the block length, 1..n+1.
std::size_t LzrwCompressBlock(TLZR& coder, std::span<const std::uint8_t> source,
                              std::span<std::uint8_t> dest);

// Decodes one block into `dest` (its size is the capacity, at most
// kLzrwBlockSize is ever needed). Returns the bytes written; bytes of `dest`
// past them may be overwritten. A damaged block raises ELzrw1Exception.
std::size_t LzrwDecompressBlock(std::span<const std::uint8_t> block, std::span<std::uint8_t> dest);

}  // namespace kordalt
