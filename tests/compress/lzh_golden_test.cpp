// The LZH coder's exact bit streams over a table of inputs: real network
// snapshots of a generated game, and inputs at the coder's limits. Peers
// decode what this coder writes, so any change to a stream is a fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compress/lzh.h"
#include "lzh_test_support.h"

namespace kordalt {
namespace {

using testing::Bytes;

std::uint64_t Fnv1a(const Bytes& bytes) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
    return hash;
}

// Full snapshots of a 20-state, side-100 game (tools/make_game_snapshot).
Bytes Snapshot(int year) {
    const std::string path =
        KORDALT_SOURCE_DIR "/tests/compress/data/fullinf_y" + std::to_string(year) + ".bin";
    std::ifstream in(path, std::ios::binary);
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.empty()) ADD_FAILURE() << "missing " << path;
    return data;
}

// `block` repeated to `n` bytes: matches at exactly the block's distance.
Bytes Repeated(const Bytes& block, std::size_t n) {
    Bytes data;
    while (data.size() < n) data.insert(data.end(), block.begin(), block.end());
    data.resize(n);
    return data;
}

Bytes Ascending(std::size_t n) {
    Bytes data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(i);
    return data;
}

// The coder is fed 1..7 bytes per call.
Bytes Encode(const Bytes& data) { return testing::LzhEncodeBytes(data, 7); }
Bytes Decode(const Bytes& stream, std::uint64_t count) { return testing::LzhDecodeBytes(stream, count, 7); }

struct Golden {
    const char* name;
    Bytes input;
    std::size_t size;    // of the bit stream
    std::uint64_t hash;  // Fnv1a of the bit stream
};

std::vector<Golden> Goldens() {
    const Bytes noise = testing::RandomBytes(4096, 21);
    return {
        {"empty", {}, 2, 0x0AB83C07B710085Bull},
        {"one_byte", {'a'}, 2, 0x0A815C07B6E0FC4Bull},
        {"spaces_1000", Bytes(1000, ' '), 32, 0x3522088D3596B31Dull},
        {"ascending_1000", Ascending(1000), 306, 0xC5934E5F90361226ull},
        {"zeros_100000", Bytes(100000, 0), 2125, 0x7F06CDDC38794A7Bull},
        {"random_100000", testing::RandomBytes(100000, 1), 100175, 0xD8278C4A1BD79A7Dull},
        {"structured_300000", testing::StructuredBytes(300000, 5), 35926, 0x9C378593656835A0ull},
        {"period_4095", Repeated(Bytes(noise.begin(), noise.end() - 1), 20000), 20082, 0x2D3B8BC3294D603Cull},
        {"period_4096", Repeated(noise, 20000), 20082, 0x03AB8EDE35327DA6ull},
        {"period_4097", Repeated(testing::RandomBytes(4097, 22), 20000), 20103, 0x427323A0687E1106ull},
        {"period_61", Repeated(testing::RandomBytes(61, 23), 5000), 196, 0x927282E0ACC688F0ull},
        {"snapshot_year_1", Snapshot(1), 4375, 0xEEC3DAC19E60D404ull},
        {"snapshot_year_50", Snapshot(50), 39685, 0xD2B7800EB0D44E3Eull},
    };
}

TEST(LzhGolden, EncodesEveryInputToItsKnownStream) {
    for (const Golden& g : Goldens()) {
        SCOPED_TRACE(g.name);
        const Bytes stream = Encode(g.input);
        EXPECT_EQ(stream.size(), g.size);
        EXPECT_EQ(Fnv1a(stream), g.hash) << std::hex << "0x" << Fnv1a(stream);
        EXPECT_EQ(Decode(stream, g.input.size()), g.input);
    }
}

// The component adds its header and moves the stream in 32 KB chunks.
TEST(LzhGolden, ComponentStreamOfASnapshot) {
    const Bytes input = Snapshot(50);
    const Bytes stream = testing::CompressBytes(input, TCompressMode::Good);
    EXPECT_EQ(stream.size(), 39693u);
    EXPECT_EQ(Fnv1a(stream), 0xE2169925811C96D6ull) << std::hex << "0x" << Fnv1a(stream);
    EXPECT_EQ(testing::DecompressBytes(stream), input);
}

// Any bits decode to something: bytes the encoder never wrote pin the decoder
// on its own, matches reaching into the unwritten ring included.
TEST(LzhGolden, DecodesForeignBitsToKnownBytes) {
    const struct {
        std::uint64_t seed;
        std::uint64_t count;
        std::uint64_t hash;
    } cases[] = {
        {35, 20000, 0xB0227B8F5840E1BEull},
        {41, 50000, 0x429530024F3A2428ull},
        {42, 20000, 0x5DC61D0803F73BA2ull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seed);
        const Bytes decoded = Decode(testing::RandomBytes(60000, c.seed), c.count);
        EXPECT_EQ(decoded.size(), c.count);
        EXPECT_EQ(Fnv1a(decoded), c.hash) << std::hex << "0x" << Fnv1a(decoded);
    }
}

}  // namespace
}  // namespace kordalt
