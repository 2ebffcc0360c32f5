#include "platform/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/cp1251.h"

namespace kordalt {
namespace {

struct Case {
    const char* format;
    std::vector<FormatArg> args;
    std::string expected;
};

void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(FormatText(c.format, c.args), c.expected) << "format: " << c.format;
}

TEST(FormatText, IntegersAndText) {
    Check({
        {"%s", {"abc"}, "abc"},
        {"Ваши крестьяне: %d $", {1500}, "Ваши крестьяне: 1500 $"},
        {"%5d|%-5d|", {42, 42}, "   42|42   |"},
        {"%.3d|%5.3d", {-5, 7}, "-005|  007"},
        {"%u", {-2}, "4294967294"},
        {"%u", {int64_t{-2}}, "18446744073709551614"},
        {"%x %.4x %.2x %x", {255, 255, 7, -1}, "FF 00FF 07 FFFFFFFF"},
        {"%X", {int64_t{-1}}, "FFFFFFFFFFFFFFFF"},
        {"%d", {INT64_MIN}, "-9223372036854775808"},
        {"%.2s|%-4s|%4s", {"abcdef", "ab", "ab"}, "ab|ab  |  ab"},
        {"%S=%D", {"k", 3}, "k=3"},
        {"%d,%d,%d,%d", {1, 2, 3, 4}, "1,2,3,4"},
        {"(%dx%d)", {800, 600}, "(800x600)"},
        {"%s_%d", {std::string("save"), 3u}, "save_3"},
        {"%s", {'c'}, "c"},
    });
}

TEST(FormatText, FloatsRoundHalfAwayFromZeroOnTheirDecimalForm) {
    const long double inf = std::numeric_limits<long double>::infinity();
    Check({
        {"%f", {1.5}, "1.50"},
        {"%.0f|%.0f", {2.5, -2.5}, "3|-3"},
        {"%.1f", {0.25}, "0.3"},
        {"%.1f|%.1f", {0.15, 0.15L}, "0.1|0.2"},  // the double lies below 0.15
        {"%.2f", {-0.001}, "0.00"},               // no "-0.00"
        {"%.3f", {1234.5678}, "1234.568"},
        {"%.1f", {9.96}, "10.0"},
        {"%.2f", {1e-20}, "0.00"},
        {"%f", {3}, "3.00"},
        {"%8.2f|%-8.2f|", {3.14159, 3.14159}, "    3.14|3.14    |"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%.3e|%.1e", {-0.000123456, 9.96}, "-1.23E-004|1E+001"},
        {"%e", {0.0}, "0.00000000000000E+000"},
        {"%g|%g|%g|%g", {2.2, 100.0, 0.0, -0.5}, "2.2|100|0|-0.5"},
        {"%g|%g|%g", {0.0001, 0.00001, 1e20}, "0.0001|1E-5|1E20"},
        {"%.3g", {1234.5}, "1.23E3"},
        {"%f|%e|%g", {std::nan(""), inf, -inf}, "NAN|INF|-INF"},
        {"%f", {1e30}, "1.00000000000000E+030"},
    });
}

TEST(FormatText, IndexesAndStars) {
    Check({
        {"%1:s %0:s", {"a", "b"}, "b a"},
        {"%d %d %d %0:d %3:d", {1, 2, 3, 4}, "1 2 3 1 4"},
        {"%*d|", {5, 42}, "   42|"},
        {"%-*.*f|", {8, 1, 2.25}, "2.3     |"},
        {"%*:s", {1, "x"}, "x"},
        {"%9:s|", {"a"}, "|"},
    });
}

TEST(FormatText, BadFormatsAndArgumentsNeverFail) {
    Check({
        {"100 %", {}, "100 %"},
        {"%", {}, "%"},
        {"50%%", {}, "50%"},
        {"% of %s", {"x"}, "% of x"},
        {"%q%d", {1}, "%q1"},
        {"%-5q", {1}, "%-5q"},
        {"%5", {1}, "%5"},
        {"%.2", {1}, "%.2"},
        {"%1:", {1}, "%1:"},
        {"%d and %d", {1}, "1 and "},    // missing argument
        {"%d|%s|", {"text", 2}, "|2|"},  // wrong kind: empty text, the next one still used
        {"%d|%x|%u", {1.5, "a", 2.5}, "||"},
        {"%f", {"1.5"}, ""},
        {"a", {1, 2}, "a"},      // extra arguments
        {"%*d", {"x", 1}, "1"},  // a star that is no integer counts as 0
        {"%.*f", {}, ""},
    });
    const std::string wide = FormatText("%999999999d", {1});
    EXPECT_EQ(wide.size(), 4096u);
    EXPECT_EQ(wide.back(), '1');
    EXPECT_EQ(FormatText("%.999999999d", {1}).size(), 4096u);
}

TEST(FormatText, CountsCp1251Characters) {
    const std::string name = Utf8ToCp1251("Ёж");
    EXPECT_EQ(FormatText(Utf8ToCp1251("Игрок %-4s|%.1s"), {name, name}), Utf8ToCp1251("Игрок Ёж  |Ё"));
}

}  // namespace
}  // namespace kordalt
