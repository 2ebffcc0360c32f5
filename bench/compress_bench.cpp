// The compressor's two coders against LZ4 and zlib on game-shaped data, real
// game snapshots, local text, random bytes and zeros. Throughput counts
// uncompressed bytes; the counter "ratio" is output / input of the compressed form.
#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <iterator>
#include <map>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "compress/lzrw1.h"
#include "game/random.h"

namespace kordalt {
namespace {

using Bytes = std::vector<std::uint8_t>;

using Generator = Xoshiro256;

void PutI32(Bytes& out, std::int32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
}

// A name as a length byte and cp1251 letters, padded to its capacity.
void PutName(Bytes& out, Generator& g, int capacity) {
    const int length = 4 + g.Below(capacity - 4);
    out.push_back(static_cast<std::uint8_t>(length));
    for (int i = 0; i < length; ++i) out.push_back(static_cast<std::uint8_t>(0xE0 + g.Below(32)));
    out.insert(out.end(), static_cast<std::size_t>(capacity - length), 0);
}

// A state record of 880 bytes: name, a few dozen counters, zero padding.
void PutState(Bytes& out, Generator& g, bool padded) {
    const std::size_t start = out.size();
    PutName(out, g, 31);
    for (int i = 0; i < (padded ? 40 : 200); ++i) PutI32(out, g.Below(5) == 0 ? 0 : g.Below(100000));
    out.resize(start + 880, 0);
}

// Square grid of state numbers in blobs.
void PutOwnerGrid(Bytes& out, Generator& g, int side, int states) {
    std::vector<int> row(static_cast<std::size_t>(side), 0);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (g.Below(8) == 0) row[static_cast<std::size_t>(x)] = g.Below(states + 1);
            out.push_back(static_cast<std::uint8_t>(row[static_cast<std::size_t>(x)]));
        }
    }
}

// Per-state, per-year statistics; years after `played` are zero.
void PutYearStats(Bytes& out, Generator& g, int states, int played) {
    for (int s = 0; s < states; ++s) {
        std::int32_t money = 1000;
        std::int32_t grain = 500;
        for (int year = 0; year < 119; ++year) {
            const bool live = year < played;
            money += g.Below(200) - 80;
            grain += g.Below(100) - 40;
            for (std::int32_t v : {money, grain, g.Below(50), g.Below(30), g.Below(1000), g.Below(3)}) {
                PutI32(out, live ? v : 0);
            }
        }
    }
}

// About 100 KB of game state: state records, per-year statistics (zero after
// the years played), the owner grid, and for a saved game Kordalt records and
// zero padding.
Bytes GameInput(std::uint64_t seed, bool saved_game) {
    Generator g(seed);
    Bytes out;
    for (int s = 0; s < 20; ++s) PutState(out, g, saved_game);
    PutYearStats(out, g, 20, saved_game ? 40 : 119);
    PutOwnerGrid(out, g, 100, 20);
    if (saved_game) {
        for (int k = 0; k < 200; ++k) {
            PutName(out, g, 15);
            for (int i = 0; i < 9; ++i) out.push_back(static_cast<std::uint8_t>(g.Below(10)));
        }
    }
    out.resize(100 * 1024, 0);
    return out;
}

// About 2 MB of the machine's C headers, in path order.
Bytes TextInput() {
    constexpr std::size_t kWanted = 2 * 1024 * 1024;
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/include", ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file(ec) && it->path().extension() == ".h") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    Bytes out;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        out.insert(out.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (out.size() >= kWanted) {
            out.resize(kWanted);
            return out;
        }
    }
    std::fprintf(stderr, "compress_bench: only %zu bytes of text under /usr/include, %zu needed\n",
                 out.size(), kWanted);
    std::exit(1);
}

// A full network snapshot of a generated 20-state, side-100 game, kept with
// the coder's tests.
Bytes SnapshotInput(const char* name) {
    const std::string path = std::string(KORDALT_SOURCE_DIR "/tests/compress/data/") + name + ".bin";
    std::ifstream in(path, std::ios::binary);
    Bytes out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (out.empty()) {
        std::fprintf(stderr, "compress_bench: cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return out;
}

Bytes RandomInput() {
    Generator g(3);
    Bytes out(1024 * 1024);
    for (auto& b : out) b = static_cast<std::uint8_t>(g.Next());
    return out;
}

// Reads from fixed bytes, with positions, as the component needs.
class InBuf : public std::streambuf {
public:
    explicit InBuf(const Bytes& data) {
        char* p = reinterpret_cast<char*>(const_cast<std::uint8_t*>(data.data()));
        setg(p, p, p + data.size());
    }

protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        const off_type base = dir == std::ios_base::beg   ? 0
                              : dir == std::ios_base::end ? egptr() - eback()
                                                          : gptr() - eback();
        if (base + off < 0 || base + off > egptr() - eback()) return pos_type(off_type(-1));
        setg(eback(), eback() + base + off, egptr());
        return pos_type(base + off);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }
};

// Writes into a buffer of fixed capacity.
class OutBuf : public std::streambuf {
public:
    explicit OutBuf(Bytes& buffer) {
        char* p = reinterpret_cast<char*>(buffer.data());
        setp(p, p + buffer.size());
    }
    std::size_t Size() const { return static_cast<std::size_t>(pptr() - pbase()); }

protected:
    pos_type seekoff(off_type, std::ios_base::seekdir, std::ios_base::openmode) override {
        return pos_type(off_type(Size()));
    }
};

std::size_t RunComponent(bool compress, TCompressMode mode, const Bytes& input, Bytes& output) {
    InBuf in_buf(input);
    OutBuf out_buf(output);
    std::istream in(&in_buf);
    std::ostream out(&out_buf);
    Tlzrw1 lzrw1;
    lzrw1.CompressMode = mode;
    lzrw1.InputStream = &in;
    lzrw1.OutputStream = &out;
    return static_cast<std::size_t>(compress ? lzrw1.Compress() : lzrw1.Decompress(UINT32_MAX));
}

struct Coder {
    const char* name;
    std::function<std::size_t(const Bytes&, Bytes&)> compress;
    // Decodes into `output`, which has the uncompressed size.
    std::function<std::size_t(const Bytes&, Bytes&)> decompress;
};

Coder ZlibCoder(const char* name, int level) {
    return {name,
            [level](const Bytes& in, Bytes& out) {
                uLongf size = out.size();
                if (compress2(out.data(), &size, in.data(), in.size(), level) != Z_OK) std::abort();
                return static_cast<std::size_t>(size);
            },
            [](const Bytes& in, Bytes& out) {
                uLongf size = out.size();
                if (uncompress(out.data(), &size, in.data(), in.size()) != Z_OK) std::abort();
                return static_cast<std::size_t>(size);
            }};
}

std::vector<Coder> Coders() {
    return {
        {"lzrw1kh",
         [](const Bytes& in, Bytes& out) { return RunComponent(true, TCompressMode::Fast, in, out); },
         [](const Bytes& in, Bytes& out) { return RunComponent(false, TCompressMode::Fast, in, out); }},
        {"lzh", [](const Bytes& in, Bytes& out) { return RunComponent(true, TCompressMode::Good, in, out); },
         [](const Bytes& in, Bytes& out) { return RunComponent(false, TCompressMode::Good, in, out); }},
        {"lz4",
         [](const Bytes& in, Bytes& out) {
             return static_cast<std::size_t>(LZ4_compress_default(
                 reinterpret_cast<const char*>(in.data()), reinterpret_cast<char*>(out.data()),
                 static_cast<int>(in.size()), static_cast<int>(out.size())));
         },
         [](const Bytes& in, Bytes& out) {
             const int n = LZ4_decompress_safe(reinterpret_cast<const char*>(in.data()),
                                               reinterpret_cast<char*>(out.data()),
                                               static_cast<int>(in.size()), static_cast<int>(out.size()));
             if (n < 0) std::abort();
             return static_cast<std::size_t>(n);
         }},
        ZlibCoder("zlib1", 1),
        ZlibCoder("zlib6", 6),
        ZlibCoder("zlib9", 9),
    };
}

Bytes Compressed(const Coder& coder, const Bytes& input) {
    Bytes out(input.size() + input.size() / 2 + 1024);
    out.resize(coder.compress(input, out));
    return out;
}

void Register() {
    static const std::map<std::string, Bytes> inputs = {
        {"save", GameInput(1, true)},
        {"snapshot", GameInput(2, false)},
        {"text", TextInput()},
        {"random", RandomInput()},
        {"zeros", Bytes(1024 * 1024, 0)},
        {"fullinf_y1", SnapshotInput("fullinf_y1")},
        {"fullinf_y50", SnapshotInput("fullinf_y50")},
    };
    static const std::vector<Coder> coders = Coders();
    for (const char* input_name :
         {"save", "snapshot", "fullinf_y1", "fullinf_y50", "text", "random", "zeros"}) {
        const Bytes& input = inputs.at(input_name);
        for (const Coder& coder : coders) {
            const std::string suffix = std::string("/") + coder.name + "/" + input_name;
            benchmark::RegisterBenchmark(
                ("compress" + suffix).c_str(), [&coder, &input](benchmark::State& state) {
                    Bytes out(input.size() + input.size() / 2 + 1024);
                    std::size_t size = 0;
                    for (auto _ : state) benchmark::DoNotOptimize(size = coder.compress(input, out));
                    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
                    state.counters["ratio"] = static_cast<double>(size) / static_cast<double>(input.size());
                });
            benchmark::RegisterBenchmark(
                ("decompress" + suffix).c_str(), [&coder, &input](benchmark::State& state) {
                    const Bytes compressed = Compressed(coder, input);
                    Bytes out(input.size());
                    if (coder.decompress(compressed, out) != input.size() || out != input) {
                        state.SkipWithError("round trip failed");
                        return;
                    }
                    for (auto _ : state) benchmark::DoNotOptimize(coder.decompress(compressed, out));
                    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
                    state.counters["ratio"] =
                        static_cast<double>(compressed.size()) / static_cast<double>(input.size());
                });
        }
    }
}

const int kRegistered = (Register(), 0);

}  // namespace
}  // namespace kordalt
