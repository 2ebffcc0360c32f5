#include "platform/fatal.h"

#include <gtest/gtest.h>

namespace kordalt {
namespace {

TEST(FatalExit, HookInterceptsInTests) {
    ScopedFatalExitThrows hook;
    try {
        FatalExit(7, "no languages");
        FAIL() << "FatalExit returned";
    } catch (const FatalExitCalled& e) {
        EXPECT_EQ(e.code, 7);
        EXPECT_EQ(e.line, "no languages");
    }
}

TEST(FatalExitDeathTest, EndsTheProcessWithTheLowByteAndOneLine) {
    EXPECT_EXIT(FatalExit(50100, "map side 30"), ::testing::ExitedWithCode(50100 & 0xFF), "map side 30");
}

}  // namespace
}  // namespace kordalt
