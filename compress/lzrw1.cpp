#include "compress/lzrw1.h"

#include <cstring>
#include <string>
#include <vector>

namespace kordalt {
namespace {

constexpr char kFastId[4] = {'W', 'R', 'Z', 'L'};
constexpr char kGoodId[4] = {'!', 'H', 'Z', 'L'};
// Working buffers: a block plus the compressor's slack.
constexpr std::size_t kBufferSize = kLzrwBlockSize + kLzrwDestSlack;
constexpr char kReadError[] = "Lzrw1 : Error reading from input stream !";

void PutLe(std::uint8_t* p, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLe(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

}  // namespace

std::uint64_t Tlzrw1::Compress() {
    CheckStreams();
    bytes_read_ = bytes_written_ = 0;
    std::istream& in = *InputStream;
    const std::istream::pos_type start = in.tellg();
    in.seekg(0, std::ios::end);
    const std::istream::pos_type end = in.tellg();
    in.seekg(start);
    if (!in || end < start)
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize input stream !");
    const auto size = static_cast<std::uint64_t>(end - start);
    if (size > UINT32_MAX) throw ELzrw1Exception("Lzrw1 compression : input stream longer than 4 GB !");

    std::uint8_t header[8];
    std::memcpy(header, CompressMode == TCompressMode::Fast ? kFastId : kGoodId, 4);
    PutLe(header + 4, static_cast<std::uint32_t>(size), 4);
    Write(header, sizeof header);
    if (CompressMode == TCompressMode::Fast) {
        std::vector<std::uint8_t> source(kBufferSize);
        std::vector<std::uint8_t> dest(kBufferSize);
        CompressFast(source.data(), dest.data());
    } else {
        std::uint64_t bytes_in = 0;
        LzhEncode(Lzh, bytes_in, &WriteChunk, this, &ReadChunk, this);
    }
    return bytes_written_;
}

void Tlzrw1::CompressFast(std::uint8_t* source, std::uint8_t* dest) {
    std::size_t got;
    do {
        got = ReadSome(source, kLzrwBlockSize, " (LZRW1/KH)");
        const std::size_t length = LzrwCompressBlock(Lzr, {source, got}, {dest, kBufferSize});
        std::uint8_t prefix[2];
        PutLe(prefix, static_cast<std::uint32_t>(length), 2);
        Write(prefix, sizeof prefix);
        Write(dest, length);
    } while (got == kLzrwBlockSize);
}

std::uint64_t Tlzrw1::Decompress(std::uint32_t max_output_size) {
    CheckStreams();
    bytes_read_ = bytes_written_ = 0;
    std::uint8_t id[4];
    Read(id, sizeof id);
    const bool fast = std::memcmp(id, kFastId, 4) == 0;
    if (!fast && std::memcmp(id, kGoodId, 4) != 0) {
        throw ELzrw1Exception("Lzrw1 decompression : input stream contains no valid header !");
    }
    std::uint8_t size_bytes[4];
    Read(size_bytes, sizeof size_bytes);
    const std::uint32_t size = GetLe(size_bytes, 4);
    if (size > max_output_size) {
        throw ELzrw1Exception("Lzrw1 decompression : uncompressed size " + std::to_string(size) +
                              " is above the accepted " + std::to_string(max_output_size) + " !");
    }
    if (fast) {
        std::vector<std::uint8_t> block(kBufferSize);
        std::vector<std::uint8_t> data(kBufferSize);
        DecompressFast(size, block.data(), data.data());
    } else {
        LzhDecode(Lzh, size, &WriteChunk, this, &ReadChunk, this);
    }
    if (bytes_written_ != size) throw ELzrw1Exception(fast ? kLzrwSizeMismatch : kLzhSizeMismatch);
    return bytes_written_;
}

void Tlzrw1::DecompressFast(std::uint32_t size, std::uint8_t* block, std::uint8_t* data) {
    std::size_t got;
    do {
        std::uint8_t prefix[2];
        Read(prefix, sizeof prefix);
        const std::size_t length = GetLe(prefix, 2);
        if (length > kLzrwMaxCompressedSize) throw ELzrw1Exception(kLzrwBlockTooLong);
        Read(block, length);
        got = LzrwDecompressBlock({block, length}, {data, kLzrwBlockSize});
        if (got > size - bytes_written_) throw ELzrw1Exception(kLzrwSizeMismatch);
        Write(data, got);
    } while (got == kLzrwBlockSize);
}

void Tlzrw1::CheckStreams() const {
    if (InputStream == nullptr || InputStream->tellg() < 0) {
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize input stream !");
    }
    if (OutputStream == nullptr || OutputStream->tellp() < 0) {
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize output stream !");
    }
}

std::size_t Tlzrw1::ReadSome(void* buffer, std::size_t count, const char* coder) {
    InputStream->read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
    if (InputStream->bad()) throw ELzrw1Exception(std::string(kReadError) + coder);
    const auto got = static_cast<std::size_t>(InputStream->gcount());
    InputStream->clear();  // a short read only marks the end
    bytes_read_ += got;
    return got;
}

void Tlzrw1::Read(void* buffer, std::size_t count) {
    if (ReadSome(buffer, count, "") != count) throw ELzrw1Exception(kReadError);
}

void Tlzrw1::Write(const void* buffer, std::size_t count) {
    OutputStream->write(static_cast<const char*>(buffer), static_cast<std::streamsize>(count));
    if (!*OutputStream) throw ELzrw1Exception("Lzrw1 : Error writing to output stream !");
    bytes_written_ += count;
}

std::size_t Tlzrw1::ReadChunk(void* self, std::uint8_t* buffer, std::size_t count) {
    return static_cast<Tlzrw1*>(self)->ReadSome(buffer, count, " (LZH)");
}

std::size_t Tlzrw1::WriteChunk(void* self, const std::uint8_t* buffer, std::size_t count) {
    static_cast<Tlzrw1*>(self)->Write(buffer, count);
    return count;
}

}  // namespace kordalt
