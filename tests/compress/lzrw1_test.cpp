#include "compress/lzrw1.h"

#include <gtest/gtest.h>

#include <streambuf>

#include "stream_helpers.h"

namespace kordalt {
namespace {

using testing::Bytes;
using testing::CompressBytes;
using testing::DecompressBytes;

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Header(const char* id, std::uint32_t size) {
    Bytes h(id, id + 4);
    for (int i = 0; i < 4; ++i) h.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    return h;
}

TEST(Lzrw1Stream, FastGoldens) {
    EXPECT_EQ(CompressBytes({}, TCompressMode::Fast), Concat(Header("WRZL", 0), {0x01, 0x00, 0x80}));

    // Two full blocks (38 bytes each: eight runs, a literal and a copy) and an
    // empty end block.
    Bytes zeros_block = {0x40, 0xFF, 0x40};
    for (int i = 0; i < 8; ++i) zeros_block.insert(zeros_block.end(), {0x00, 0x0F, 0xEF, 0x00});
    zeros_block.insert(zeros_block.end(), {0x00, 0x00, 0x14});
    const Bytes block = Concat({38, 0}, zeros_block);
    const Bytes expected = Concat(Concat(Concat(Header("WRZL", 65536), block), block), {0x01, 0x00, 0x80});
    EXPECT_EQ(CompressBytes(Bytes(65536, 0), TCompressMode::Fast), expected);
    EXPECT_EQ(DecompressBytes(expected), Bytes(65536, 0));
}

TEST(Lzrw1Stream, GoodGoldens) {
    EXPECT_EQ(CompressBytes({'a'}, TCompressMode::Good), Concat(Header("!HZL", 1), {0xF6, 0x80}));
    const Bytes empty = CompressBytes({}, TCompressMode::Good);
    EXPECT_EQ(Bytes(empty.begin(), empty.begin() + 8), Header("!HZL", 0));
    EXPECT_TRUE(DecompressBytes(empty).empty());
}

TEST(Lzrw1Stream, RoundTripsInBothModes) {
    const std::size_t sizes[] = {0, 1, 100, 32767, 32768, 32769, 65536, 100000, 300000};
    for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        for (std::size_t n : sizes) {
            for (const Bytes& data : {testing::RandomBytes(n, n + 11), testing::StructuredBytes(n, n + 11)}) {
                SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(mode) << " size " << n);
                const Bytes stream = CompressBytes(data, mode);
                EXPECT_EQ(DecompressBytes(stream, static_cast<std::uint32_t>(n)), data);
            }
        }
    }
}

TEST(Lzrw1Stream, CompressesFromTheCurrentPosition) {
    const Bytes data = testing::StructuredBytes(5000, 5);
    std::istringstream in(testing::AsString(data));
    in.seekg(1000);
    std::ostringstream out;
    Tlzrw1 lzrw1;
    lzrw1.CompressMode = TCompressMode::Fast;
    lzrw1.InputStream = &in;
    lzrw1.OutputStream = &out;
    lzrw1.Compress();
    EXPECT_EQ(DecompressBytes(testing::AsBytes(out.str())), Bytes(data.begin() + 1000, data.end()));
}

void ExpectError(const Bytes& stream, const std::string& text, std::uint32_t max_output = UINT32_MAX) {
    try {
        DecompressBytes(stream, max_output);
        ADD_FAILURE() << "no error";
    } catch (const ELzrw1Exception& e) {
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
}

TEST(Lzrw1Stream, DamagedStreamsRaiseTheError) {
    const Bytes data = testing::StructuredBytes(70000, 9);
    const Bytes fast = CompressBytes(data, TCompressMode::Fast);
    const Bytes good = CompressBytes(data, TCompressMode::Good);
    const Bytes fast_body(fast.begin() + 8, fast.end());
    const Bytes good_body(good.begin() + 8, good.end());
    const std::string read_error = "Lzrw1 : Error reading from input stream !";
    const struct {
        const char* name;
        Bytes stream;
        std::string text;
    } cases[] = {
        {"empty", {}, read_error},
        {"short_identifier", {'W', 'R', 'Z'}, read_error},
        {"unknown_identifier", Concat(Header("WRZM", 0), {0x01, 0x00, 0x80}),
         "Lzrw1 decompression : input stream contains no valid header !"},
        {"short_size", {'W', 'R', 'Z', 'L', 0x00}, read_error},
        {"no_blocks", Header("WRZL", 0), read_error},
        {"size_one_more", Concat(Header("WRZL", 70001), fast_body),
         "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !"},
        {"size_one_less", Concat(Header("WRZL", 69999), fast_body),
         "Original and compressed sizes do not match !"},
        {"block_too_long", Concat(Header("WRZL", 10), {0x02, 0x80, 0x80}), "block longer than 32769"},
        {"block_cut_short", Bytes(fast.begin(), fast.end() - 1), read_error},
        {"block_damaged", Concat(Header("WRZL", 10), {0x05, 0x00, 0x40, 0x80, 0x00, 0x00, 0x13}),
         "before the start"},
        {"good_cut_short", Bytes(good.begin(), good.end() - 1), "compressed data end too early"},
        {"good_size_too_large", Concat(Header("!HZL", 90000), good_body), "compressed data end too early"},
        {"good_match_passes_size", Concat(Header("!HZL", 5), Bytes(good_body.begin(), good_body.end())),
         "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectError(c.stream, c.text);
    }
}

TEST(Lzrw1Stream, RefusesASizeAboveTheCallersLimit) {
    const Bytes stream = CompressBytes(Bytes(1000, 1), TCompressMode::Fast);
    ExpectError(stream, "above the accepted 999", 999);
    EXPECT_EQ(DecompressBytes(stream, 1000).size(), 1000u);
}

// A stream over a fixed buffer: writes past it fail, and reads fail outright
// once `fail_reads` is set.
class FixedBuf : public std::streambuf {
public:
    FixedBuf(char* data, std::size_t size, bool fail_reads) : fail_reads_(fail_reads) {
        setp(data, data + size);
        setg(data, data, data + size);
    }

protected:
    int_type underflow() override {
        if (fail_reads_) throw std::runtime_error("device error");
        return traits_type::eof();
    }
    std::streamsize xsgetn(char* s, std::streamsize n) override {
        if (fail_reads_) throw std::runtime_error("device error");
        return std::streambuf::xsgetn(s, n);
    }
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
        if (which & std::ios_base::out) return pos_type(pptr() - pbase());
        const off_type base = dir == std::ios_base::beg   ? 0
                              : dir == std::ios_base::end ? egptr() - eback()
                                                          : gptr() - eback();
        setg(eback(), eback() + base + off, egptr());
        return pos_type(base + off);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }

private:
    bool fail_reads_;
};

void ExpectCompressError(TCompressMode mode, std::istream* in, std::ostream* out, const std::string& text) {
    Tlzrw1 lzrw1;
    lzrw1.CompressMode = mode;
    lzrw1.InputStream = in;
    lzrw1.OutputStream = out;
    try {
        lzrw1.Compress();
        ADD_FAILURE() << "no error";
    } catch (const ELzrw1Exception& e) {
        EXPECT_EQ(e.what(), text);
    }
}

TEST(Lzrw1Stream, StreamFailuresRaiseTheirTexts) {
    std::istringstream in("some data to compress");
    std::ostringstream out;
    std::istringstream failed_in;
    failed_in.setstate(std::ios::failbit);
    ExpectCompressError(TCompressMode::Fast, &failed_in, &out,
                        "Lzrw1 (de)compression : Failed to initialize input stream !");
    ExpectCompressError(TCompressMode::Fast, &in, nullptr,
                        "Lzrw1 (de)compression : Failed to initialize output stream !");

    for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        char small[10];
        FixedBuf small_buf(small, sizeof small, false);
        std::ostream small_out(&small_buf);
        in.seekg(0);
        ExpectCompressError(mode, &in, &small_out, "Lzrw1 : Error writing to output stream !");
    }

    char source[100] = {};
    const struct {
        TCompressMode mode;
        const char* text;
    } read_failures[] = {
        {TCompressMode::Fast, "Lzrw1 : Error reading from input stream ! (LZRW1/KH)"},
        {TCompressMode::Good, "Lzrw1 : Error reading from input stream ! (LZH)"},
    };
    for (const auto& f : read_failures) {
        FixedBuf failing(source, sizeof source, true);
        std::istream failing_in(&failing);
        ExpectCompressError(f.mode, &failing_in, &out, f.text);
    }
}

}  // namespace
}  // namespace kordalt
