#include "platform/arith.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kordalt {
namespace {

TEST(Arith, RoundHalvesToEvenAndTruncTowardZero) {
    struct Case {
        long double x;
        int64_t round, trunc;
    } cases[] = {
        {0.5L, 0, 0},
        {1.5L, 2, 1},
        {2.5L, 2, 2},
        {-2.5L, -2, -2},
        {-0.5L, 0, 0},
        {3.5L, 4, 3},
        {2.4999L, 2, 2},
        {-1.7L, -2, -1},
        {62.5L, 62, 62},
        {63.5L, 64, 63},
        {1e30L, INT64_MAX, INT64_MAX},
        {-1e30L, INT64_MIN, INT64_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Round(c.x), c.round) << static_cast<double>(c.x);
        EXPECT_EQ(Trunc(c.x), c.trunc) << static_cast<double>(c.x);
    }
}

TEST(Arith, NaNAndInfinitiesAreSafe) {
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double inf = std::numeric_limits<long double>::infinity();
    EXPECT_EQ(Round(nan), 0);
    EXPECT_EQ(Trunc(nan), 0);
    EXPECT_EQ(Trunc(inf), INT64_MAX);
    EXPECT_EQ(Round(-inf), INT64_MIN);
    EXPECT_EQ(PowerTrunc(-2.0, 0.5), 0);  // NaN result
}

TEST(Arith, PowerTruncCubesAreExact) {
    for (int64_t b = 0; b <= 255; ++b) EXPECT_EQ(PowerTrunc(b, 3), b * b * b) << b;
    EXPECT_EQ(PowerTrunc(0, 1.8), 0);
    EXPECT_EQ(PowerTrunc(32, 1.8), 512);  // the double 1.8 is a little above 1.8
}

TEST(Arith, SaturateI32) {
    EXPECT_EQ(SaturateI32(int64_t{1} << 40), INT32_MAX);
    EXPECT_EQ(SaturateI32(-(int64_t{1} << 40)), INT32_MIN);
    EXPECT_EQ(SaturateI32(-5), -5);
}

}  // namespace
}  // namespace kordalt
