#include "compress/lzh.h"

#include <gtest/gtest.h>

#include "compress/lzh_position_code.h"
#include "compress/lzrw1_exception.h"
#include "lzh_test_support.h"

namespace kordalt {
namespace {

using testing::Bytes;

using testing::Append;
using testing::VectorSource;

Bytes Encode(const Bytes& data) { return testing::LzhEncodeBytes(data); }
Bytes Decode(const Bytes& stream, std::uint64_t count) { return testing::LzhDecodeBytes(stream, count); }

// In the starting tree the symbols sit under pairwise-built inner nodes:
// byte 'a' has the 9-bit code 111101101, the match of 60 bytes the 8-bit code
// 11000101 and byte 0 the code 110001100.
TEST(Lzh, CodesFromTheStartingTree) {
    EXPECT_EQ(Encode({'a'}), (Bytes{0xF6, 0x80}));
    // An empty input codes the start byte of the zero-filled ring.
    EXPECT_EQ(Encode({}), (Bytes{0xC6, 0x00}));
}

// One value of length 3, then 3, 8, 12, 24 and 16 values of lengths 4..8,
// codes assigned in increasing order of value.
TEST(Lzh, PositionCodeIsTheCanonicalCodeOfTheGivenLengths) {
    const struct {
        int value;
        unsigned code;
        int length;
    } cases[] = {
        {0, 0b000, 3},      {1, 0b0010, 4},      {3, 0b0100, 4},      {4, 0b01010, 5},
        {11, 0b10001, 5},   {12, 0b100100, 6},   {23, 0b101111, 6},   {24, 0b1100000, 7},
        {47, 0b1110111, 7}, {48, 0b11110000, 8}, {63, 0b11111111, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(kLzhPositionCode.code[c.value], c.code);
        EXPECT_EQ(kLzhPositionCode.length[c.value], c.length);
        // Any 8 bits that start with the code decode to the value.
        const unsigned first = c.code << (8 - c.length);
        EXPECT_EQ(kLzhPositionCode.upper[first], c.value);
        EXPECT_EQ(kLzhPositionCode.upper_length[first | ((1u << (8 - c.length)) - 1)], c.length);
    }
}

TEST(Lzh, SpacesMatchTheSpaceFilledRingFromTheFirstByte) {
    const Bytes spaces(1000, ' ');
    const Bytes stream = Encode(spaces);
    // Length 60 at position 59 (code 000, then 111011), then the next symbol.
    ASSERT_GE(stream.size(), 3u);
    EXPECT_EQ(stream[0], 0xC5);
    EXPECT_EQ(stream[1], 0x1D);
    EXPECT_EQ(stream[2] & 0x80, 0x80);
    EXPECT_LT(stream.size(), 40u);
    EXPECT_EQ(Decode(stream, spaces.size()), spaces);
}

TEST(Lzh, DecodingNothingReadsNothing) {
    const Bytes stream = {0xFF, 0xFF};
    TLZH coder;
    VectorSource source{stream};
    Bytes out;
    LzhDecode(coder, 0, Append, &out, VectorSource::Read, &source);
    EXPECT_EQ(source.calls, 0);
    EXPECT_TRUE(out.empty());
}

// Random bytes code as ~one symbol each, so 100000 of them pass the root count
// of 0x8000 and rebuild the tree several times.
TEST(Lzh, RoundTripsIncludingTreeRebuilds) {
    const std::size_t sizes[] = {1, 2, 3, 59, 60, 61, 4096, 5000, 100000};
    for (std::size_t n : sizes) {
        for (const Bytes& data : {testing::RandomBytes(n, n), testing::StructuredBytes(n, n)}) {
            SCOPED_TRACE(n);
            EXPECT_EQ(Decode(Encode(data), n), data);
        }
    }
}

// Runs of every period up to past the longest match: matches that overlap
// their own output repeat it.
TEST(Lzh, RepeatedPatternsOfEveryPeriodRoundTrip) {
    Bytes data;
    for (std::size_t period = 1; period <= 61; ++period) {
        const Bytes pattern = testing::RandomBytes(period, period);
        for (std::size_t i = 0; i < 300; ++i) data.push_back(pattern[i % period]);
    }
    EXPECT_EQ(Decode(Encode(data), data.size()), data);
}

// A stream handed out a few bytes a call, with other bytes behind it: the
// decoder asks for a byte only when it needs a bit of it.
TEST(Lzh, DecodesAStreamInPiecesWithoutReadingPastIt) {
    const Bytes data = testing::StructuredBytes(70000, 5);
    const Bytes stream = Encode(data);
    Bytes followed = stream;
    followed.insert(followed.end(), 100, 0xAA);
    for (std::size_t drip : {1, 2, 7, 40000}) {
        SCOPED_TRACE(drip);
        TLZH coder;
        VectorSource source{followed, drip};
        Bytes out;
        LzhDecode(coder, data.size(), Append, &out, VectorSource::Read, &source);
        EXPECT_EQ(out, data);
        if (drip == 1) EXPECT_EQ(source.pos, stream.size());
    }
}

TEST(Lzh, DamagedStreamsRaiseTheError) {
    const Bytes data = testing::StructuredBytes(3000, 7);
    const Bytes stream = Encode(data);
    const Bytes spaces_stream = Encode(Bytes(1000, ' '));
    const struct {
        const char* name;
        Bytes stream;
        std::uint64_t count;
        const char* text;
    } cases[] = {
        {"no_input", {}, 10, "end too early"},
        {"cut_in_half", Bytes(stream.begin(), stream.begin() + stream.size() / 2), data.size(),
         "end too early"},
        {"last_byte_missing", Bytes(stream.begin(), stream.end() - 1), data.size(), "end too early"},
        {"count_too_large", stream, data.size() + 5000, "end too early"},
        {"match_passes_the_count", spaces_stream, 30, "sizes do not match"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Decode(c.stream, c.count);
            ADD_FAILURE() << "no error";
        } catch (const ELzrw1Exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
        }
    }
}

TEST(Lzh, FailingSinkRaisesTheWriteError) {
    const Bytes data = testing::RandomBytes(100, 3);
    TLZH coder;
    VectorSource source{data};
    std::uint64_t bytes_in = 0;
    auto refuse = [](void*, const std::uint8_t*, std::size_t count) -> std::size_t { return count - 1; };
    EXPECT_THROW(LzhEncode(coder, bytes_in, refuse, nullptr, VectorSource::Read, &source), ELzrw1Exception);
}

}  // namespace
}  // namespace kordalt
