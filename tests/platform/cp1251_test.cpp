#include "platform/cp1251.h"

#include <gtest/gtest.h>

namespace kordalt {
namespace {

TEST(Cp1251, CyrillicRoundTrip) {
    const std::string utf8 = "Ёлки-палки, ЁЖИК ёжик № 5 «Русский» — конец…";
    const std::string cp = Utf8ToCp1251(utf8);
    EXPECT_EQ(cp.size(), 44u);                           // one byte per character
    EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xA8);  // Ё
    EXPECT_EQ(static_cast<unsigned char>(cp[1]), 0xEB);  // л
    EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
}

TEST(Cp1251, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_TRUE(IsValidUtf8(Cp1251ToUtf8(all)));
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\u4e2db"), "a?b");      // CJK
    EXPECT_EQ(Utf8ToCp1251("x\U0001F600y"), "x?y");  // outside the BMP
    EXPECT_EQ(Utf8ToCp1251("\xC3"), "?");            // truncated sequence
    EXPECT_EQ(Utf8ToCp1251("\xC0\xAF"), "??");       // overlong form
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));       // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE0\xF2\xE0"));       // cp1251 "ата"
    EXPECT_TRUE(IsValidUtf8("ата"));
}

}  // namespace
}  // namespace kordalt
