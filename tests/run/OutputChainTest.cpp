// Output chains: each format's bytes read back (compact RINEX through the test decompressor,
// gzip through zlib), and the names of compressed RINEX 2 files.
#include "run/OutputChain.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "support/CompactRinexDecoder.h"

namespace kelvrant {
namespace {

const char* const kRinex =
    "     2.11           OBSERVATION DATA    G                   RINEX VERSION / TYPE\r\n"
    "     1    L1                                                # / TYPES OF OBSERV \r\n"
    "                                                            END OF HEADER       \r\n"
    " 26 12  8  0  0  0.0000000  0  1G01                                  0.000123456\r\n"
    " 110000000.125 7\r\n"
    " 26 12  8  0  0  1.0000000  0  1G01                                  0.000123457\r\n"
    " 110001234.250 7\r\n";

std::string Gunzip(const std::string& data) {
    z_stream z{};
    inflateInit2(&z, 15 + 16);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    std::string out(1 << 16, '\0');
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(out.size() - z.avail_out);
    inflateEnd(&z);
    return out;
}

std::string Through(bool compact, bool gzip, bool observation) {
    StringSink file;
    OutputFormat format;
    format.compact = compact;
    format.gzip = gzip;
    OutputChain chain(file, format, observation, UtcTime{});
    chain.Top().Write(kRinex);
    chain.Finish();
    EXPECT_FALSE(chain.Failed()) << chain.Error();
    return file.Text();
}

TEST(output_chain, every_format_reads_back) {
    std::string error;
    EXPECT_EQ(Through(false, false, true), kRinex);
    EXPECT_EQ(test::DecodeCompactRinex(Through(true, false, true), error), kRinex);
    EXPECT_EQ(Gunzip(Through(false, true, true)), kRinex);
    EXPECT_EQ(test::DecodeCompactRinex(Gunzip(Through(true, true, true)), error), kRinex);
    EXPECT_EQ(error, "");
    // Compact RINEX is for observation files only; others are only gzipped.
    EXPECT_EQ(Through(true, false, false), kRinex);
    EXPECT_EQ(Gunzip(Through(true, true, false)), kRinex);
}

TEST(output_chain, compressed_rinex2_names) {
    EXPECT_EQ(CompressedRinex2Name("SIMU3421.26O", true, true, false), "SIMU3421.26D");
    EXPECT_EQ(CompressedRinex2Name("out/simu3421.26o", true, true, true), "out/simu3421.26d.gz");
    EXPECT_EQ(CompressedRinex2Name("SIMU3421.26N", false, true, true), "SIMU3421.26N.gz");
    EXPECT_EQ(CompressedRinex2Name("SIMU3421.26O", true, false, true), "SIMU3421.26O.gz");
    EXPECT_EQ(CompressedRinex2Name("day.obs", true, true, false), "day.obs");
    EXPECT_EQ(CompressedRinex2Name("a.b/day", true, true, false), "a.b/day");
}

}  // namespace
}  // namespace kelvrant
