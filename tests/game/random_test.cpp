#include "game/random.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace kordalt {
namespace {

TEST(Random, RangeAndNonPositiveArguments) {
    ScopedSeed seed(42);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-5), 0);
    std::vector<int> seen(7, 0);
    for (int i = 0; i < 7000; ++i) {
        const int v = Random(7);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 7);
        ++seen[v];
    }
    for (int count : seen) EXPECT_GT(count, 800);  // roughly uniform
    for (int i = 0; i < 1000; ++i) {
        const double r = RandomReal();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(Random, SameSeedSameSequence) {
    std::vector<int> a, b;
    {
        ScopedSeed seed(7);
        for (int i = 0; i < 50; ++i) a.push_back(Random(1000));
    }
    {
        ScopedSeed seed(7);
        for (int i = 0; i < 50; ++i) b.push_back(Random(1000));
    }
    EXPECT_EQ(a, b);
}

TEST(Random, SeedFromEnvironment) {
    ::setenv("KORDALT_SEED", "12345", 1);
    ScopedSeed restore(0);  // restores the generator afterwards
    EXPECT_EQ(Randomize(), 12345u);
    const int first = Random(1 << 30);
    SeedRandom(12345);
    EXPECT_EQ(Random(1 << 30), first);
    ::unsetenv("KORDALT_SEED");
}

TEST(Random, ScriptedDrawsAndTheirFailures) {
    ScopedScriptedRandom script{3, 0.25, 0};
    EXPECT_EQ(Random(5), 3);
    EXPECT_EQ(RandomReal(), 0.25);
    EXPECT_EQ(Random(0), 0);  // no draw for n <= 0
    EXPECT_EQ(script->Remaining(), 1u);
    EXPECT_THROW(RandomReal(), ScriptedRandomError);  // wrong kind
    EXPECT_EQ(Random(1), 0);
    EXPECT_THROW(Random(4), ScriptedRandomError);  // underflow
    script->Add(9);
    EXPECT_THROW(Random(9), ScriptedRandomError);  // out of range
    EXPECT_EQ(script->Consumed(), 3u);
}

}  // namespace
}  // namespace kordalt
