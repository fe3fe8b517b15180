// The file sink: pieces large enough to bypass the stream's buffer keep their order with the
// small ones and leave the stream's position in step, and a full disk fails either kind.
#include "rinex/TextSink.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace kelvrant {
namespace {

TEST(file_sink, large_and_small_pieces_keep_their_order_and_the_position) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_SET);  // a stream that knows its position keeps it cached
    FileSink sink(f);
    const std::string pieces[] = {
        "head", std::string(100000, 'b'), "c", std::string(70000, 'd'), std::string(65536, 'e'),
        "tail"};
    std::string expected;
    for (const std::string& piece : pieces) {
        sink.Write(piece);
        expected += piece;
    }
    sink.Finish();
    EXPECT_FALSE(sink.Failed());
    EXPECT_EQ(std::ftell(f), static_cast<long>(expected.size()));
    std::rewind(f);
    std::string read(expected.size() + 1, '\0');
    read.resize(std::fread(read.data(), 1, read.size(), f));
    EXPECT_EQ(read, expected);
    std::fclose(f);
}

TEST(file_sink, a_full_disk_fails_large_and_small_pieces) {
    for (const std::size_t size : {std::size_t{10}, std::size_t{1} << 20}) {
        std::FILE* f = std::fopen("/dev/full", "w");
        ASSERT_NE(f, nullptr);
        FileSink sink(f);
        sink.Write(std::string(size, 'x'));
        sink.Finish();
        EXPECT_TRUE(sink.Failed()) << size;
        EXPECT_EQ(sink.ErrorNumber(), ENOSPC) << size;
        std::fclose(f);
    }
}

}  // namespace
}  // namespace kelvrant
