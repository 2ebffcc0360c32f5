#include "compress/lzrw1kh.h"

#include <gtest/gtest.h>

#include <numeric>

#include "compress/lzrw1_exception.h"
#include "stream_helpers.h"

namespace kordalt {
namespace {

using testing::Bytes;

Bytes Repeat(std::size_t n, std::uint8_t byte) { return Bytes(n, byte); }

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Counting(std::size_t n) {
    Bytes data(n);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    return data;
}

Bytes Compress(const Bytes& source) {
    TLZR coder;
    Bytes dest(source.size() + kLzrwDestSlack);  // exactly the promised room
    dest.resize(LzrwCompressBlock(coder, source, dest));
    return dest;
}

Bytes Decompress(const Bytes& block) {
    Bytes dest(kLzrwBlockSize);
    dest.resize(LzrwDecompressBlock(block, dest));
    return dest;
}

struct Golden {
    const char* name;
    Bytes source;
    Bytes block;
};

// Worked out item by item from the block format and the coder's choices.
std::vector<Golden> Goldens() {
    Bytes pattern;
    for (int i = 0; i < 10; ++i) pattern.insert(pattern.end(), {'a', 'b', 'c'});
    // 32 distinct bytes fill two control groups with literals; the repeat of
    // them takes two copy items of distance 32 in a third group.
    const Bytes twice = Concat(Counting(32), Counting(32));
    Bytes twice_block = {0x40, 0x00, 0x00};
    for (int i = 0; i < 16; ++i) twice_block.push_back(static_cast<std::uint8_t>(i));
    twice_block.insert(twice_block.end(), {0x00, 0x00});
    for (int i = 16; i < 32; ++i) twice_block.push_back(static_cast<std::uint8_t>(i));
    twice_block.insert(twice_block.end(), {0xC0, 0x00, 0x02, 0x0F, 0x02, 0x0B});
    // Eight runs of 4095, a literal and a copy of distance 1, length 7.
    Bytes zeros_block = {0x40, 0xFF, 0x40};
    for (int i = 0; i < 8; ++i) zeros_block.insert(zeros_block.end(), {0x00, 0x0F, 0xEF, 0x00});
    zeros_block.insert(zeros_block.end(), {0x00, 0x00, 0x14});

    return {
        {"empty", {}, {0x80}},
        {"run15", Repeat(15, 'a'), {0x40, 0x40, 0x00, 'a', 0x00, 0x1B}},
        {"run16", Repeat(16, 'a'), {0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'a'}},
        {"run40", Repeat(40, 'a'), {0x40, 0x80, 0x00, 0x00, 0x00, 0x18, 'a'}},
        {"run4095", Repeat(4095, 'a'), {0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 'a'}},
        {"run4096", Repeat(4096, 'a'), {0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 'a', 'a'}},
        {"pattern", pattern, {0x40, 0x18, 0x00, 'a', 'b', 'c', 0x00, 0x3F, 0x01, 0x26}},
        {"second_control_word", twice, twice_block},
        {"incompressible", Counting(256), Concat({0x80}, Counting(256))},
        {"full_block_of_zeros", Repeat(kLzrwBlockSize, 0), zeros_block},
    };
}

TEST(LzrwBlock, CompressesToTheWorkedOutBytesAndBack) {
    for (const Golden& g : Goldens()) {
        SCOPED_TRACE(g.name);
        EXPECT_EQ(Compress(g.source), g.block);
        EXPECT_EQ(Decompress(g.block), g.source);
    }
}

TEST(LzrwBlock, DecodesHandWrittenBlocks) {
    const struct {
        const char* name;
        Bytes block;
        Bytes data;
    } cases[] = {
        {"no_bytes", {}, {}},
        {"flag_only", {0x40}, {}},
        {"control_word_without_items", {0x40, 0x00, 0x00}, {}},
        {"stored_empty", {0x80}, {}},
        {"copy_of_distance_1_length_18", {0x40, 0x40, 0x00, 'x', 0x00, 0x1F}, Repeat(19, 'x')},
        {"any_other_flag_is_compressed", {0x00, 0x40, 0x00, 'x', 0x00, 0x1F}, Repeat(19, 'x')},
        {"overlapping_copy_repeats",
         {0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x22},
         {'a', 'b', 'a', 'b', 'a', 'b', 'a'}},
        {"run_of_largest_stored_length", {0x40, 0x80, 0x00, 0x00, 0x0F, 0xFF, 'r'}, Repeat(4111, 'r')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decompress(c.block), c.data);
    }
}

TEST(LzrwBlock, DamagedBlocksRaiseTheError) {
    Bytes sixteen_literals = {0x40, 0x00, 0x00};
    for (int i = 0; i < 16; ++i) sixteen_literals.push_back('a');
    Bytes overflowing_runs = {0x40, 0xFF, 0x80};
    for (int i = 0; i < 8; ++i) overflowing_runs.insert(overflowing_runs.end(), {0x00, 0x0F, 0xFF, 'r'});
    const struct {
        const char* name;
        Bytes block;
        const char* text;
    } cases[] = {
        {"too_long", Concat({0x80}, Repeat(kLzrwBlockSize + 1, 0)), "longer than 32769"},
        {"copy_cut_short", {0x40, 0x80, 0x00, 0x05}, "ends inside an item"},
        {"run_cut_short", {0x40, 0x80, 0x00, 0x00, 0x00, 0x05}, "ends inside an item"},
        {"control_word_cut_short", Concat(sixteen_literals, {0x00}), "ends inside a control word"},
        {"control_word_without_item", Concat(sixteen_literals, {0x00, 0x00}), "ends inside an item"},
        {"copy_at_start", {0x40, 0x80, 0x00, 0x00, 0x13}, "before the start"},
        {"copy_before_start", {0x40, 0x40, 0x00, 'a', 0x00, 0x23}, "before the start"},
        {"runs_past_32768", overflowing_runs, "more bytes than the output holds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Decompress(c.block);
            ADD_FAILURE() << "no error";
        } catch (const ELzrw1Exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
        }
    }
}

TEST(LzrwBlock, OutputDoesNotOverrunASmallDestination) {
    const Bytes data = Repeat(100, 'q');
    Bytes dest(50);
    EXPECT_THROW(LzrwDecompressBlock(Compress(data), dest), ELzrw1Exception);
    Bytes stored_dest(10);
    EXPECT_THROW(LzrwDecompressBlock(Concat({0x80}, Counting(11)), stored_dest), ELzrw1Exception);
}

TEST(LzrwBlock, RoundTripsAndNeverGrowsBeyondOneByte) {
    const std::size_t sizes[] = {1, 2, 3, 17, 18, 19, 4095, 4097, 20000, kLzrwBlockSize - 1, kLzrwBlockSize};
    for (std::size_t n : sizes) {
        for (const Bytes& data : {testing::RandomBytes(n, n), testing::StructuredBytes(n, n)}) {
            SCOPED_TRACE(n);
            const Bytes block = Compress(data);
            EXPECT_LE(block.size(), n + 1);
            EXPECT_EQ(Decompress(block), data);
        }
    }
}

TEST(LzrwBlock, SameInputGivesSameBytesWhateverCameBefore) {
    const Bytes first = testing::StructuredBytes(kLzrwBlockSize, 1);
    const Bytes second = testing::StructuredBytes(20000, 2);
    TLZR used;
    Bytes dest(kLzrwBlockSize + kLzrwDestSlack);
    LzrwCompressBlock(used, first, dest);
    dest.resize(LzrwCompressBlock(used, second, dest));
    EXPECT_EQ(dest, Compress(second));
}

}  // namespace
}  // namespace kordalt
