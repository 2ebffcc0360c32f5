// The one error type of the compression library, and the texts shared by the
// coders and the component.
#pragma once

#include <stdexcept>

namespace kordalt {

class ELzrw1Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr char kLzrwSizeMismatch[] =
    "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
inline constexpr char kLzhSizeMismatch[] =
    "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !";
inline constexpr char kLzrwBlockTooLong[] =
    "Lzrw1 (decompression LZRW1/KH) : block longer than 32769 bytes !";

}  // namespace kordalt
