// A value that cannot be converted: a setting that is not a number, a picture
// type that cannot take another.
#pragma once

#include <stdexcept>

namespace kordalt {

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kordalt
