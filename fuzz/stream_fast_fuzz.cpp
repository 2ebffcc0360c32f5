// Fast-mode stream decoder on arbitrary data after the "WRZL" identifier.
#include "stream_fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kordalt::fuzz::FuzzStream("WRZL", kordalt::TCompressMode::Fast, data, size, 1 << 20);
    return 0;
}
