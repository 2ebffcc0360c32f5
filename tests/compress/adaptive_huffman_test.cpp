#include "compress/adaptive_huffman.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "stream_helpers.h"

namespace kordalt {
namespace {

// Checks the sibling order, the links and each leaf's count against `counts`.
void ExpectConsistent(const AdaptiveHuffman& h, const std::vector<std::uint32_t>& counts) {
    for (int i = 0; i < kHuffmanRoot; ++i) ASSERT_LE(h.freq[i], h.freq[i + 1]) << "node " << i;
    for (int i = 0; i < kHuffmanNodes; ++i) {
        const int c = h.child[i];
        if (c >= kHuffmanNodes) {
            ASSERT_EQ(h.parent[c], i);
            ASSERT_EQ(h.freq[i], counts[static_cast<std::size_t>(c - kHuffmanNodes)])
                << "symbol " << c - kHuffmanNodes;
        } else {
            ASSERT_EQ(c % 2, 0);
            ASSERT_EQ(h.parent[c], i);
            ASSERT_EQ(h.parent[c + 1], i);
            ASSERT_EQ(h.freq[i], h.freq[c] + h.freq[c + 1]) << "node " << i;
        }
    }
}

TEST(AdaptiveHuffman, StaysAHuffmanTreeThroughUpdatesAndRebuilds) {
    auto h = std::make_unique<AdaptiveHuffman>();
    h->Start();
    std::vector<std::uint32_t> counts(kHuffmanSymbols, 1);
    testing::TestRandom random(17);
    int rebuilds = 0;
    for (int step = 0; step < 120000; ++step) {
        // Skewed: a few symbols dominate, as in real data.
        const int symbol = random.Below(4) == 0 ? random.Below(kHuffmanSymbols) : random.Below(6) * 50;
        const bool rebuild = h->freq[kHuffmanRoot] == kHuffmanMaxFreq;
        if (rebuild) {
            for (auto& c : counts) c = (c + 1) / 2;
            ++rebuilds;
        }
        h->Update(symbol);
        ++counts[static_cast<std::size_t>(symbol)];
        if (rebuild || step % 97 == 0) {
            ASSERT_NO_FATAL_FAILURE(ExpectConsistent(*h, counts)) << "step " << step;
        }
    }
    EXPECT_GE(rebuilds, 4);
}

TEST(AdaptiveHuffman, RebuildHalvesRoundingUp) {
    auto h = std::make_unique<AdaptiveHuffman>();
    h->Start();
    for (int i = 0; i < 0x8000 - kHuffmanSymbols; ++i) h->Update(0);
    ASSERT_EQ(h->freq[kHuffmanRoot], kHuffmanMaxFreq);
    h->Update(1);  // rebuilds first: symbol 0 has 32455 -> 16228, the others 1
    EXPECT_EQ(h->freq[kHuffmanRoot], 16228u + 313u + 1u);
    int length = 0;
    EXPECT_EQ(h->Code(0, length), 1u);
    EXPECT_EQ(length, 1);
}

}  // namespace
}  // namespace kordalt
