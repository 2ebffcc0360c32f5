// Good-mode stream decoder on arbitrary data after the "!HZL" identifier.
#include "stream_fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kordalt::fuzz::FuzzStream("!HZL", kordalt::TCompressMode::Good, data, size, 1024);
    return 0;
}
