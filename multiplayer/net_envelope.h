// The envelope of a compressed message: code 1000, the envelope's size, and
// the inner message compressed in the good mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/checked.h"

namespace kordalt {

constexpr size_t kEnvelopeHeaderSize = 8;
// The largest inner message: a full snapshot with 65535 turn-report records.
constexpr uint32_t kMaxInnerMessageSize = 91448 + 264u * 65536u;

std::vector<uint8_t> CompressMessage(const void* data, size_t size);
// The inner message; a damaged envelope is refused with the text to show.
TChecked<std::vector<uint8_t>> DecompressMessgage(const void* data, size_t size);

}  // namespace kordalt
