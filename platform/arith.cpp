#include "platform/arith.h"

#include <cmath>
#include <limits>

namespace kordalt {
namespace {

constexpr long double kMin = -9223372036854775808.0L;   // -2^63
constexpr long double kLimit = 9223372036854775808.0L;  // 2^63

// `x` already integral: converts with saturation.
int64_t Saturate(long double x) {
    if (std::isnan(x)) return 0;
    if (x >= kLimit) return std::numeric_limits<int64_t>::max();
    if (x <= kMin) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(x);
}

}  // namespace

int64_t Round(long double x) {
    // nearbyintl follows the current rounding mode; the program never changes it
    // from round-to-nearest-even.
    return Saturate(std::nearbyint(x));
}

int64_t Trunc(long double x) { return Saturate(std::trunc(x)); }

int64_t PowerTrunc(double base, double exponent) {
    if (base == 0) return 0;
    return Trunc(std::pow(static_cast<long double>(base), static_cast<long double>(exponent)));
}

int32_t SaturateI32(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

}  // namespace kordalt
