// Block decoder on arbitrary bytes; whatever decodes must compress and decode
// back to itself, and so must the input taken as data.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "compress/lzrw1_exception.h"
#include "compress/lzrw1kh.h"

namespace {

using kordalt::kLzrwBlockSize;

void CheckRoundTrip(const std::uint8_t* data, std::size_t size) {
    kordalt::TLZR coder;
    std::vector<std::uint8_t> block(size + kordalt::kLzrwDestSlack);
    block.resize(kordalt::LzrwCompressBlock(coder, {data, size}, block));
    if (block.size() > size + 1) std::abort();
    std::vector<std::uint8_t> back(kLzrwBlockSize);
    back.resize(kordalt::LzrwDecompressBlock(block, back));
    if (back != std::vector<std::uint8_t>(data, data + size)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out(kLzrwBlockSize);
    try {
        out.resize(kordalt::LzrwDecompressBlock({data, size}, out));
        CheckRoundTrip(out.data(), out.size());
    } catch (const kordalt::ELzrw1Exception&) {
    }
    CheckRoundTrip(data, std::min(size, kLzrwBlockSize));
    return 0;
}
