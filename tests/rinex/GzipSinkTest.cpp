// The gzip sink: what zlib's own inflate reads back is what was written, in one piece or many,
// at every level, the same bytes every time, and a write failure downstream shows as a
// failure of the sink.
#include "rinex/GzipSink.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace kelvrant {
namespace {

std::string Gunzip(const std::string& data) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 15 + 16), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char buffer[4096];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    EXPECT_EQ(rc, Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u);  // nothing after the gzip member
    inflateEnd(&z);
    return out;
}

std::string Text(std::size_t lines) {
    std::string t;
    for (std::size_t i = 0; i < lines; ++i)
        t += "  " + std::to_string(i * 7919 % 100003) + ".123 7  " + std::to_string(i) + "\r\n";
    return t;
}

class FailingSink final : public TextSink {
  public:
    void Write(std::string_view) override { failed_ = true; }
    bool Failed() const override { return failed_; }
    std::string Error() const override { return "disk full"; }

  private:
    bool failed_ = false;
};

TEST(gzip_sink, inflates_to_what_was_written) {
    struct Case {
        const char* name;
        std::string text;
        int level;
        std::size_t piece;
    };
    const Case cases[] = {
        {"empty", "", kDefaultGzipLevel, 0},
        {"one line", "END OF HEADER\r\n", kDefaultGzipLevel, 0},
        {"many small writes", Text(20000), kDefaultGzipLevel, 13},
        {"one write of several pieces", Text(40000), 1, 0},
        {"many pieces at the default level", Text(200000), kDefaultGzipLevel, 65536},
        {"level 9", Text(3000), 9, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StringSink out;
        GzipSink gz(out, c.level);
        if (c.piece == 0) {
            gz.Write(c.text);
        } else {
            for (std::size_t i = 0; i < c.text.size(); i += c.piece)
                gz.Write(std::string_view(c.text).substr(i, c.piece));
        }
        gz.Finish();
        EXPECT_FALSE(gz.Failed());
        ASSERT_GE(out.Text().size(), 18u);
        EXPECT_EQ(static_cast<unsigned char>(out.Text()[0]), 0x1f);
        EXPECT_EQ(static_cast<unsigned char>(out.Text()[1]), 0x8b);
        EXPECT_EQ(Gunzip(out.Text()), c.text);
        // The pieces are compressed on several threads; the bytes never depend on them.
        StringSink again;
        GzipSink gz2(again, c.level);
        gz2.Write(c.text);
        gz2.Finish();
        EXPECT_EQ(again.Text(), out.Text());
    }
}

TEST(gzip_sink, reports_a_failure_downstream) {
    FailingSink disk;
    GzipSink gz(disk);
    gz.Write(Text(100));
    gz.Finish();
    EXPECT_TRUE(gz.Failed());
    EXPECT_EQ(gz.Error(), "disk full");
}

}  // namespace
}  // namespace kelvrant
