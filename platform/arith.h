// Rounding of the rules' extended-precision arithmetic. Round is to nearest
// with halves to even; Trunc is toward zero. Both saturate at the int64 limits
// and give 0 for NaN.
#pragma once

#include <cstdint>

namespace kordalt {

int64_t Round(long double x);
int64_t Trunc(long double x);

// Trunc(Base ** Exponent) in extended precision; 0 when Base is 0 (and for a NaN
// result). The arguments are doubles: 32 ** 1.8 is 512 with the double 1.8 and
// 511 with the extended one.
int64_t PowerTrunc(double base, double exponent);

// Clamps to the 32-bit range of record fields.
int32_t SaturateI32(int64_t v);

}  // namespace kordalt
