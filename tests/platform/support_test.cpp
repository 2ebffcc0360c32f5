#include "platform/support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "support/error_text.h"

namespace kordalt {
namespace {

using namespace std::string_literals;

std::string PartOrError(const char* s, int n, const char* delimiters) {
    try {
        return GetParEC(s, n, delimiters);
    } catch (const ECError& e) {
        return e.what();
    }
}

TEST(Support, DelimitedTexts) {
    const struct {
        const char* s;
        const char* delimiters;
        int count;  // CountParEC
        int n;
        const char* part;  // GetParEC(s, n), or the error it raises
    } cases[] = {
        {"a~b~", "~", 3, 2, ""},
        {"", "~", 0, 0, ""},
        {"a;b;c", ";", 3, 1, "b"},
        {"a;b;c", ";", 3, 0, "a"},
        {"a;b;c", ";", 3, -2, "a"},
        {"a;b;", ";", 3, 2, ""},
        {"a;b", ";", 2, 5, "GetSmeParEC. Str=a;b np=4 raz=;"},
        {"", ";", 0, 1, "GetSmeParEC. Str= np=1 raz=;"},
        {"one,two;three", ",;", 3, 2, "three"},
        {"ab;;cd", ";", 3, 1, ""},
        {"Иван~Пётр", "~", 2, 1, "Пётр"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountParEC(c.s, c.delimiters), c.count) << c.s;
        EXPECT_EQ(PartOrError(c.s, c.n, c.delimiters), c.part) << c.s << " part " << c.n;
    }
    // The positions behind a part.
    EXPECT_EQ(GetSmeParEC("a;bb;c", 2, ";"), 6);
    EXPECT_EQ(GetLenParEC("a;bb;c", 3, ";"), 2);
    EXPECT_EQ(GetLenParEC("a;bb;c", 6, ";"), 1);
    EXPECT_EQ(GetLenParEC("a;bb;c", 8, ";"), -1);
}

TEST(Support, LenientNumbersAndTrim) {
    EXPECT_EQ(DigitsToInt("a4.5d"), 45);
    EXPECT_EQ(DigitsToInt("-12"), 12);
    EXPECT_EQ(DigitsToInt(""), 0);
    EXPECT_EQ(DigitsToInt("4294967295"), -1);
    EXPECT_EQ(DigitsToInt("99999999999"), static_cast<int32_t>(99999999999ULL % (1ULL << 32)));

    EXPECT_EQ(DigitsToFloat("-12.5"), -12.5f);
    EXPECT_EQ(DigitsToFloat("1x2.0y5"), 12.05f);
    EXPECT_EQ(DigitsToFloat("rating 7-"), -7.0f);
    EXPECT_EQ(DigitsToFloat("3.2.5"), 3.25f);           // later dots are skipped
    EXPECT_EQ(DigitsToFloat("16777217"), 16777216.0f);  // single precision
    EXPECT_EQ(DigitsToFloat(""), 0.0f);

    EXPECT_EQ(TrimEC(" \t\r\n\0ab c\0\n "s), "ab c");
    EXPECT_EQ(TrimEC("  \r\n\r\n \t"), "");
    EXPECT_EQ(TrimEC(""), "");
    EXPECT_EQ(BoolToStrEC(true) + BoolToStrEC(false), "TrueFalse");
}

TEST(Support, HeapBlocks) {
    EXPECT_EQ(ReAllocREC(nullptr, 0), nullptr);
    EXPECT_EQ(ErrorText<ECError>([] { AllocEC(-1); }), "AllocEC. size=-1");

    auto* p = static_cast<unsigned char*>(AllocEC(4));
    PutDWord(p, 0x11223344u);
    p = static_cast<unsigned char*>(ReAllocREC(p, 100000));  // grows, keeping the contents
    EXPECT_EQ(std::vector<int>(p, p + 4), (std::vector<int>{0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(IncPtr(p, 3), p + 3);
    EXPECT_EQ(ReAllocREC(p, 0), nullptr);  // frees p: the leak checker sees no block left
    FreeEC(nullptr);
}

TEST(Support, ByteBufferAppendsAndGrowsByNeedPlus256) {
    TBufEC buf;
    EXPECT_EQ(buf.Data, nullptr);
    buf.AddDWord(0x04030201u);
    EXPECT_EQ(buf.Capacity, 4 + 256);
    void* first = buf.Data;
    buf.AddStr("ab");
    ASSERT_EQ(buf.Len, 7);
    EXPECT_EQ(buf.Pos, 7);
    EXPECT_EQ(buf.Data, first) << "no new block while it fits";
    EXPECT_EQ(std::memcmp(buf.Data,
                          "\x01\x02\x03\x04"
                          "ab\0",
                          7),
              0);

    const std::string long_text(300, 'z');
    buf.AddStr(long_text.c_str());
    EXPECT_EQ(buf.Len, 7 + 301);
    EXPECT_EQ(buf.Capacity, 7 + 301 + 256);
    EXPECT_EQ(static_cast<char*>(buf.Data)[buf.Len - 2], 'z');
    EXPECT_EQ(static_cast<char*>(buf.Data)[buf.Len - 1], '\0');

    for (int bad : {0, -5, INT_MAX}) {
        EXPECT_EQ(ErrorText<ECError>([&] { buf.TestAddLenBuf(bad); }),
                  "TBufEC.TestAddLenBuf. addlen=" + std::to_string(bad));
        EXPECT_EQ(buf.Len, 308) << "a refused append changes nothing";
    }
    buf.ClearBuf();
    EXPECT_EQ(buf.Data, nullptr);
    EXPECT_EQ(buf.Len + buf.Capacity + buf.Pos, 0);
}

struct Tracked {
    int id;
    std::vector<std::pair<int, int>>* freed;  // (id, list count when freed)
    const TObjList<Tracked>* list;
    ~Tracked() { freed->emplace_back(id, list->Count()); }
};

TEST(Support, ObjectListFreesLastToFirst) {
    std::vector<std::pair<int, int>> freed;
    {
        TObjList<Tracked> list;
        for (int id = 1; id <= 3; ++id)
            EXPECT_EQ(list.Add(std::make_unique<Tracked>(id, &freed, &list)), id - 1);
        EXPECT_EQ(list.Items(2)->id, 3);
        EXPECT_EQ(ErrorText<ECError>([&] { list.Items(3); }), "List index out of bounds");
        EXPECT_EQ(ErrorText<ECError>([&] { list.Items(-1); }), "List index out of bounds");
        list.FreeObjects();
        EXPECT_EQ(freed, (std::vector<std::pair<int, int>>{{3, 2}, {2, 1}, {1, 0}}));
        list.Add(std::make_unique<Tracked>(4, &freed, &list));
    }
    EXPECT_EQ(freed.back(), (std::pair<int, int>{4, 0})) << "the destructor frees what is left";
}

}  // namespace
}  // namespace kordalt
