// The text of the error a call raises, for tables of refused inputs.
#pragma once

#include <string>

namespace kordalt {

// The what() of the E that `f` throws, or "no error".
template <class E, class F>
std::string ErrorText(F f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace kordalt
