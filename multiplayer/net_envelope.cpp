#include "multiplayer/net_envelope.h"

#include <cstring>
#include <sstream>

#include "compress/lzrw1.h"
#include "multiplayer/net_codes.h"

namespace kordalt {
namespace {

constexpr char kDecompressFailed[] = "Error detected!\rCompress DecompressMessgage";

uint32_t ReadU32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

std::vector<uint8_t> CompressMessage(const void* data, size_t size) {
    std::istringstream in(std::string(static_cast<const char*>(data), size));
    std::ostringstream out;
    out.write(std::string(kEnvelopeHeaderSize, '\0').data(), kEnvelopeHeaderSize);
    Tlzrw1 coder;
    coder.CompressMode = TCompressMode::Good;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.Compress();
    std::string bytes = std::move(out).str();
    std::vector<uint8_t> block(bytes.begin(), bytes.end());
    const uint32_t header[2] = {dx_Compressed, static_cast<uint32_t>(block.size())};
    std::memcpy(block.data(), header, sizeof header);
    return block;
}

TChecked<std::vector<uint8_t>> DecompressMessgage(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (size < kEnvelopeHeaderSize || ReadU32(bytes) != dx_Compressed || ReadU32(bytes + 4) != size)
        return TRefused{kDecompressFailed};
    try {
        std::istringstream in(std::string(reinterpret_cast<const char*>(bytes) + kEnvelopeHeaderSize,
                                          size - kEnvelopeHeaderSize));
        std::ostringstream out;
        Tlzrw1 coder;
        coder.InputStream = &in;
        coder.OutputStream = &out;
        coder.Decompress(kMaxInnerMessageSize);
        std::string inner = std::move(out).str();
        return std::vector<uint8_t>(inner.begin(), inner.end());
    } catch (const ELzrw1Exception& e) {
        return TRefused{std::string("ELzrw1Exception: ") + e.what()};
    } catch (const std::exception&) {
        return TRefused{kDecompressFailed};
    }
}

}  // namespace kordalt
