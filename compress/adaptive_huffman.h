// The adaptive Huffman tree of the LZH coder: 314 symbols (256 bytes, then
// match lengths 3..60), counts halved when the root reaches 0x8000.
#pragma once

#include <cstdint>
#include <cstring>

namespace kordalt {

inline constexpr int kHuffmanSymbols = 314;
inline constexpr int kHuffmanNodes = 2 * kHuffmanSymbols - 1;
inline constexpr int kHuffmanRoot = kHuffmanNodes - 1;
inline constexpr std::uint32_t kHuffmanMaxFreq = 0x8000;

// Adaptive Huffman tree over kHuffmanSymbols symbols. Nodes are kept in non-decreasing
// order of frequency; a node's children sit at child and child + 1, the left
// one (bit 0) at an even index.
struct AdaptiveHuffman {
    std::uint32_t freq[kHuffmanNodes + 1];  // freq[kHuffmanNodes] is a sentinel above every count
    // parent[node]; parent[kHuffmanNodes + symbol] is the symbol's leaf node.
    std::uint16_t parent[kHuffmanNodes + kHuffmanSymbols];
    // Left child; a value of kHuffmanNodes + symbol marks a leaf.
    std::uint16_t child[kHuffmanNodes];

    void Start() {
        for (int i = 0; i < kHuffmanSymbols; ++i) {
            freq[i] = 1;
            Adopt(i, kHuffmanNodes + i);
        }
        for (int i = 0, j = kHuffmanSymbols; j <= kHuffmanRoot; i += 2, ++j) {
            freq[j] = freq[i] + freq[i + 1];
            Adopt(j, i);
        }
        freq[kHuffmanNodes] = 0xFFFF;
        parent[kHuffmanRoot] = 0;
    }

    // Halves the leaf counts (rounding up) and builds the inner nodes again.
    void Rebuild() {
        int leaves = 0;
        for (int i = 0; i < kHuffmanNodes; ++i) {
            if (child[i] >= kHuffmanNodes) {
                freq[leaves] = (freq[i] + 1) / 2;
                child[leaves] = child[i];
                ++leaves;
            }
        }
        for (int i = 0, j = kHuffmanSymbols; j < kHuffmanNodes; i += 2, ++j) {
            const std::uint32_t f = freq[i] + freq[i + 1];
            int k = j - 1;
            while (f < freq[k]) --k;
            ++k;
            std::memmove(&freq[k + 1], &freq[k], (j - k) * sizeof freq[0]);
            std::memmove(&child[k + 1], &child[k], (j - k) * sizeof child[0]);
            freq[k] = f;
            child[k] = static_cast<std::uint16_t>(i);
        }
        for (int i = 0; i < kHuffmanNodes; ++i) Adopt(i, child[i]);
    }

    void Update(int symbol) {
        if (freq[kHuffmanRoot] == kHuffmanMaxFreq) Rebuild();
        int c = parent[kHuffmanNodes + symbol];
        do {
            const std::uint32_t f = ++freq[c];
            if (f > freq[c + 1]) {
                int l = c + 1;
                while (f > freq[l + 1]) ++l;
                Exchange(c, l, f);
                c = l;
            }
            c = parent[c];
        } while (c != 0);
    }

    // Node c, just counted up to f, changes places with node l.
    void Exchange(int c, int l, std::uint32_t f) {
        freq[c] = freq[l];
        freq[l] = f;
        const int i = child[c];
        const int j = child[l];
        Adopt(l, i);
        Adopt(c, j);
    }

    void Adopt(int node, int first_child) {
        child[node] = static_cast<std::uint16_t>(first_child);
        parent[first_child] = static_cast<std::uint16_t>(node);
        if (first_child < kHuffmanNodes) parent[first_child + 1] = static_cast<std::uint16_t>(node);
    }

    // Bits from the root down, the first in the highest position. The sibling
    // order bounds the depth far below 32 for counts under kHuffmanMaxFreq.
    std::uint32_t Code(int symbol, int& length) const {
        std::uint32_t code = 0;
        length = 0;
        int k = parent[kHuffmanNodes + symbol];
        do {
            code |= static_cast<std::uint32_t>(k & 1) << length;
            ++length;
            k = parent[k];
        } while (k != kHuffmanRoot);
        return code;
    }
};

}  // namespace kordalt
