#include "ashtech/MetLogReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace kelvrant {
namespace {

// A met input file with the given bytes, read back from its start.
class MetInput {
  public:
    explicit MetInput(const std::string& bytes) : file_(std::tmpfile()) {
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
        std::rewind(file_);
    }
    ~MetInput() { std::fclose(file_); }
    MetInput(const MetInput&) = delete;
    MetInput& operator=(const MetInput&) = delete;
    std::FILE* get() const { return file_; }

  private:
    std::FILE* file_;
};

struct Result {
    int got = 0;
    int error = -1;
    std::int32_t line = -1;
    std::string name;
    std::int32_t week = -1;
    double seconds = -1.0;
    double pressure = -1.0;
    double temperature = -1.0;
    double humidity = -1.0;
};

Result Next(MetLogReader& reader, std::size_t nameSize = kMetNameBufferSize) {
    Result r;
    r.got = reader.NextRecord(r.error, r.line, r.name, nameSize, r.week, r.seconds, r.pressure,
                              r.temperature, r.humidity);
    return r;
}

constexpr const char* kData = "$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,45.0,P,3\r\n";

// Reads the whole input from week 1200, Wednesday 00:00 (259200 s), offset 13 s.
struct Session {
    explicit Session(const std::string& text, std::int32_t week = 1200, double seconds = 259200.0,
                     double offset = 13.0)
        : input(text) {
        reader.Start(input.get(), week, seconds, offset);
    }
    MetInput input;
    MetLogReader reader;
};

TEST(met_reader, time_message_and_data_line_give_a_record) {
    Session s(std::string("$GPGXP,000010.00\r\n") + kData);
    const Result r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.name, "1");
    EXPECT_EQ(r.week, 1200);
    EXPECT_DOUBLE_EQ(r.seconds, 259223.0);
    EXPECT_DOUBLE_EQ(r.pressure, 1013.2);
    EXPECT_DOUBLE_EQ(r.temperature, 25.3);
    EXPECT_DOUBLE_EQ(r.humidity, 45.0);
    const Result end = Next(s.reader);
    EXPECT_EQ(end.got, 0);
    EXPECT_EQ(end.error, 0);
    EXPECT_EQ(end.line, 2);
}

TEST(met_reader, passing_gps_midnight_advances_the_day) {
    Session s(std::string("$GPGXP,000010.00\r\n") + kData + "$GPGXP,235958\r\n" + kData);
    ASSERT_EQ(Next(s.reader).got, 1);
    const Result r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_EQ(r.week, 1200);
    EXPECT_DOUBLE_EQ(r.seconds, 345611.0);  // 23:59:58 + 13 s is 00:00:11 of Thursday
    EXPECT_EQ(r.line, 4);
}

TEST(met_reader, checksum_after_a_number_is_ignored) {
    Session s("$GPGXP,000010\n$GPXDR,P,1.0132,B,SENSOR7,C,25.3,C,2,H,45.0*1C\n");
    const Result r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_DOUBLE_EQ(r.humidity, 45.0);
    EXPECT_EQ(r.name, "SENSOR7");
}

TEST(met_reader, name_is_cut_to_buffer_size_less_one) {
    Session s(std::string("$GPGXP,000010\n$GPXDR,P,1,B,SENSOR7,C,2,C,2,H,3\n") +
              "$GPGXP,000011\n$GPXDR,P,1,B,SENSOR7,C,2,C,2,H,3\n");
    EXPECT_EQ(Next(s.reader, 3).name, "SE");
    EXPECT_EQ(Next(s.reader, 0).name, "");
}

TEST(met_reader, line_prefixes_are_classified_in_order) {
    // Only these three beginnings are met data; $GPXDR with another transducer, a leading
    // blank or lower case are other lines and ignored without error.
    Session s(
        "$GPGXP,000010\n"
        "$GPXDR,T,1.0,B,1,C,25.3,C,2,H,45.0\n"
        " $GPXDR,P,1.0,B,1,C,25.3,C,2,H,45.0\n"
        "$gpxdr,P,1.0,B,1,C,25.3,C,2,H,45.0\n"
        "$PASHR,XDR,P,0.9,B,A,C,10.0,C,2,H,20.0\n"
        "$GPGXP,000011\n"
        "XDR,P,0.8,B,B,C,11.0,C,2,H,21.0\n"
        "$GPGXP000012\n"
        "c 345600.5,1201\n"
        "XDR,P,0.7,B,C,C,12.0,C,2,H,22.0\n");
    Result r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_EQ(r.line, 5);
    EXPECT_EQ(r.name, "A");
    EXPECT_DOUBLE_EQ(r.pressure, 900.0);
    r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_EQ(r.line, 7);
    EXPECT_EQ(r.name, "B");
    EXPECT_DOUBLE_EQ(r.seconds, 259224.0);
    r = Next(s.reader);  // neither "$GPGXP000012" nor "c ..." is a time line
    EXPECT_EQ(r.got, 0);
    EXPECT_EQ(r.error, kMetNoTime);
    EXPECT_EQ(r.line, 10);
}

TEST(met_reader, hour_24_is_the_next_midnight) {
    Session s(std::string("$GPGXP,120000\n") + kData + "$GPGXP,240000\n" + kData);
    Result r = Next(s.reader);
    EXPECT_DOUBLE_EQ(r.seconds, 259200.0 + 43213.0);
    r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_DOUBLE_EQ(r.seconds, 345613.0);
}

TEST(met_reader, second_60_is_accepted_and_fractions_dropped) {
    Session s(std::string("$GPGXP,125960.99\n") + kData);
    const Result r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_DOUBLE_EQ(r.seconds, 259200.0 + 13 * 3600 + 13);  // 12:59:60 is 13:00:00
}

TEST(met_reader, bad_time_messages_are_error_2) {
    for (const char* line :
         {"$GPGXP,126000\n", "$GPGXP,123461\n", "$GPGXP,250000\n", "$GPGXP,abc\n", "$GPGXP,\n",
          "$GPGXP,-1\n", "$GPGXP,1e308\n", "$GPGXP,nan\n", "$GPGXP,inf\n", "$GPGXP,,120000\n"}) {
        Session s(line);
        const Result r = Next(s.reader);
        EXPECT_EQ(r.got, 0) << line;
        EXPECT_EQ(r.error, kMetBadTime) << line;
        EXPECT_EQ(r.line, 1) << line;
    }
}

TEST(met_reader, a_failed_line_is_forgotten_once_a_record_follows) {
    Session s(std::string("$GPGXP,126000\n$GPGXP,000010\n") + kData);
    Result r = Next(s.reader);
    EXPECT_EQ(r.got, 1);
    EXPECT_EQ(r.error, kMetBadTime);  // skipped on the way to this record
    r = Next(s.reader);
    EXPECT_EQ(r.got, 0);
    EXPECT_EQ(r.error, 0);  // nothing failed after the last record: no report
    EXPECT_EQ(r.line, 3);
}

TEST(met_reader, exactly_604800_stays_and_beyond_wraps_the_week) {
    Session s(std::string("$GPGXP,235950\n") + kData + "$GPGXP,000000\n" + kData +
                  "$GPGXP,000010\n" + kData,
              1200, 518400.0, 0.0);
    Result r = Next(s.reader);
    EXPECT_DOUBLE_EQ(r.seconds, 604790.0);
    r = Next(s.reader);
    EXPECT_EQ(r.week, 1200);
    EXPECT_DOUBLE_EQ(r.seconds, 604800.0);
    r = Next(s.reader);
    EXPECT_EQ(r.week, 1201);
    EXPECT_DOUBLE_EQ(r.seconds, 10.0);
}

TEST(met_reader, second_data_line_after_one_time_message_is_error_1) {
    Session s(std::string("$GPGXP,000010\n") + kData + kData);
    EXPECT_EQ(Next(s.reader).got, 1);
    const Result r = Next(s.reader);
    EXPECT_EQ(r.got, 0);
    EXPECT_EQ(r.error, kMetNoTime);
    EXPECT_EQ(r.line, 3);
    EXPECT_STREQ(MetErrorText(r.error), "File contains met data with no time preceeding it.");

    // Lines after the failed one still count: the report names the file's last line.
    Session t(std::string("$GPGXP,000010\n") + kData + kData + "trailer\n\n");
    Next(t.reader);
    const Result u = Next(t.reader);
    EXPECT_EQ(u.error, kMetNoTime);
    EXPECT_EQ(u.line, 5);
}

TEST(met_reader, malformed_data_lines_are_error_3) {
    for (const char* line : {
             "$GPXDR,P,1.0132,B,1,C,25.3,C,2\n",           // eight fields
             "$GPXDR,P,1.0132,B,1,C,25.3,C,2,H\n",         // no comma before humidity
             "$GPXDR,P,abc,B,1,C,25.3,C,2,H,45.0\n",       // pressure not a number
             "$GPXDR,P,1.0132,B,1,C,,C,2,H,45.0\n",        // empty temperature
             "$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,*1C\n",     // humidity only a checksum
             "$GPXDR,P,1e308,B,1,C,25.3,C,2,H,45.0\n",     // mbar beyond the double range
             "$GPXDR,P,1.0,B,1,C,nan,C,2,H,45.0\n",        // not a measurement
             "$GPXDR,P,1.0,B,1,C,25.3,C,2,H,inf\n",        // not a measurement
             "$GPXDR,P,1.0,B,1,C,1e999,C,2,H,45\n",        // beyond the double range
             "$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,\r45.0\n",  // CR ends the humidity field
         }) {
        Session s(std::string("$GPGXP,000010\n") + line);
        const Result r = Next(s.reader);
        EXPECT_EQ(r.got, 0) << line;
        EXPECT_EQ(r.error, kMetBadData) << line;
        EXPECT_EQ(r.line, 2) << line;
    }
}

TEST(met_reader, the_time_stays_valid_after_a_malformed_data_line) {
    Session s("$GPGXP,000010\n$GPXDR,P,1.0132,B,1,C,25.3,C,2\n" + std::string(kData));
    Result r = Next(s.reader);
    EXPECT_EQ(r.got, 1);
    EXPECT_EQ(r.error, kMetBadData);
    EXPECT_EQ(r.line, 3);
    EXPECT_DOUBLE_EQ(r.seconds, 259223.0);
    r = Next(s.reader);
    EXPECT_EQ(r.got, 0);
    EXPECT_EQ(r.error, 0);
}

TEST(met_reader, a_field_is_read_from_its_first_95_characters) {
    const std::string blanks94(94, ' ');
    Session s("$GPGXP,000010\n$GPXDR,P," + blanks94 + "1,B,1,C,25.3,C,2,H,45.0\n" +
              "$GPGXP,000011\n$GPXDR,P," + blanks94 + " 1,B,1,C,25.3,C,2,H,45.0\n");
    Result r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_DOUBLE_EQ(r.pressure, 1000.0);
    r = Next(s.reader);
    EXPECT_EQ(r.got, 0);
    EXPECT_EQ(r.error, kMetBadData);
}

TEST(met_reader, a_nul_byte_ends_the_line_text) {
    std::string text = "$GPGXP,000010\n$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,45.0\n";
    text[30] = '\0';  // after the pressure field: the rest of the line is gone
    Session s(text);
    const Result r = Next(s.reader);
    EXPECT_EQ(r.got, 0);
    EXPECT_EQ(r.error, kMetBadData);
    EXPECT_EQ(r.line, 2);
}

TEST(met_reader, gps_time_line_sets_week_and_seconds) {
    Session s("C 345600.5,1201\n" + std::string(kData) + "$GPGXP,000010\n" + kData);
    Result r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_EQ(r.week, 1201);
    EXPECT_DOUBLE_EQ(r.seconds, 345600.5);
    // A time message counts its day from the seconds the time line set.
    r = Next(s.reader);
    EXPECT_EQ(r.week, 1201);
    EXPECT_DOUBLE_EQ(r.seconds, 345623.0);
}

TEST(met_reader, gps_time_lines_that_do_not_count_are_ignored_silently) {
    for (const char* line :
         {"C 345600,1201\n", "C 0.0,1201\n", "C 604800.0,1201\n", "C -5.5,1201\n", "C 100.5,0\n",
          "C 100.5,-3\n", "C 100.5 1201\n", "C 100.5,abc\n", "C nan.,1201\n",
          "C 100.5,99999999999\n", "C 100.5,+-5\n"}) {
        Session s(line + std::string(kData));
        const Result r = Next(s.reader);
        EXPECT_EQ(r.got, 0) << line;
        EXPECT_EQ(r.error, kMetNoTime) << line;  // the data line had no time before it
        EXPECT_EQ(r.week, -1) << line;           // outputs untouched
    }
}

TEST(met_reader, file_without_data_lines_gives_no_record_and_no_error) {
    Session s("$GPGXP,000010\nsome other line\nC 345600.5,1201\n");
    const Result r = Next(s.reader);
    EXPECT_EQ(r.got, 0);
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(r.line, 3);
    EXPECT_EQ(r.week, 1201);  // time lines still report their time
    Session empty("");
    EXPECT_EQ(Next(empty.reader).got, 0);
    EXPECT_EQ(Next(empty.reader).line, 0);
}

TEST(met_reader, lines_longer_than_511_characters_are_read_in_pieces) {
    // 510 characters and the line feed fill one read; 511 characters leave the line feed for
    // a second read.
    Session fits(std::string(510, 'x') + "\n");
    EXPECT_EQ(Next(fits.reader).line, 1);
    Session splits(std::string(511, 'x') + "\n");
    EXPECT_EQ(Next(splits.reader).line, 2);
    Session three(std::string(1100, 'x'));
    EXPECT_EQ(Next(three.reader).line, 3);
    // The piece after the first 511 characters is classified like any line.
    Session s("$GPGXP,000010\n" + std::string(511, 'x') + kData);
    const Result r = Next(s.reader);
    ASSERT_EQ(r.got, 1);
    EXPECT_EQ(r.line, 3);
}

TEST(met_reader, start_rewinds_and_resets_the_line_count) {
    Session s(std::string("$GPGXP,000010\n") + kData);
    EXPECT_EQ(Next(s.reader).line, 2);
    EXPECT_GT(s.reader.InputPosition(), 0L);
    s.reader.Start(s.input.get(), 1200, 259200.0, 13.0);
    EXPECT_EQ(s.reader.InputPosition(), 0L);
    const Result r = Next(s.reader);
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.got, 1);
    MetLogReader none;
    EXPECT_EQ(Next(none).got, 0);
    EXPECT_EQ(none.InputPosition(), -1L);
}

TEST(met_reader, negative_offset_keeps_the_day_across_utc_midnight) {
    // GPS - UTC given as -13 s: UTC 00:00:05 is 23:59:52 of the same GPS day as 23:59:40.
    Session s(std::string("$GPGXP,235953\n") + kData + "$GPGXP,000005\n" + kData +
                  "$GPGXP,000015\n" + kData,
              1200, 259200.0, -13.0);
    EXPECT_DOUBLE_EQ(Next(s.reader).seconds, 259200.0 + 86380.0);
    EXPECT_DOUBLE_EQ(Next(s.reader).seconds, 259200.0 + 86392.0);
    EXPECT_DOUBLE_EQ(Next(s.reader).seconds, 345602.0);
}

TEST(met_reader, error_texts) {
    EXPECT_STREQ(MetErrorText(0), "No Error.");
    EXPECT_STREQ(MetErrorText(1), "File contains met data with no time preceeding it.");
    EXPECT_STREQ(MetErrorText(2), "Incorrect format of the time message in Met file.");
    EXPECT_STREQ(MetErrorText(3), "Incorrect format of the met data.");
    EXPECT_STREQ(MetErrorText(4), "UNKNOWN ERROR CODE");
    EXPECT_STREQ(MetErrorText(-1), "UNKNOWN ERROR CODE");
}

TEST(met_reader, scan_double_reads_like_percent_lf) {
    double v = 0.0;
    ASSERT_TRUE(ScanDouble(" \t+1.5x", v));
    EXPECT_DOUBLE_EQ(v, 1.5);
    ASSERT_TRUE(ScanDouble("45.0*1C", v));
    EXPECT_DOUBLE_EQ(v, 45.0);
    ASSERT_TRUE(ScanDouble("-2.5e2,", v));
    EXPECT_DOUBLE_EQ(v, -250.0);
    ASSERT_TRUE(ScanDouble("1e", v));
    EXPECT_DOUBLE_EQ(v, 1.0);
    ASSERT_TRUE(ScanDouble(".5", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    ASSERT_TRUE(ScanDouble("-0x1p3", v));
    EXPECT_DOUBLE_EQ(v, -8.0);
    ASSERT_TRUE(ScanDouble("0xg", v));
    EXPECT_DOUBLE_EQ(v, 0.0);
    ASSERT_TRUE(ScanDouble("1e999", v));
    EXPECT_EQ(v, std::numeric_limits<double>::infinity());
    ASSERT_TRUE(ScanDouble("-1e999", v));
    EXPECT_EQ(v, -std::numeric_limits<double>::infinity());
    ASSERT_TRUE(ScanDouble("1" + std::string(400, '0'), v));
    EXPECT_TRUE(std::isinf(v));
    v = 7.0;
    ASSERT_TRUE(ScanDouble("1e-999", v));
    EXPECT_EQ(v, 0.0);
    v = 7.0;
    ASSERT_TRUE(ScanDouble("0." + std::string(400, '0') + "1", v));
    EXPECT_EQ(v, 0.0);
    ASSERT_TRUE(ScanDouble("INFINITY", v));
    EXPECT_TRUE(std::isinf(v));
    ASSERT_TRUE(ScanDouble("nan", v));
    EXPECT_TRUE(std::isnan(v));
    for (const char* bad : {"", "   ", ".", "+-1", "-+1", "--1", "e5", "x1", "*1C"})
        EXPECT_FALSE(ScanDouble(bad, v)) << bad;
}

TEST(met_reader, scan_long_reads_like_percent_ld) {
    std::int64_t v = 0;
    ASSERT_TRUE(ScanLong(" 1201.7", v));
    EXPECT_EQ(v, 1201);
    ASSERT_TRUE(ScanLong("+12", v));
    EXPECT_EQ(v, 12);
    ASSERT_TRUE(ScanLong("-5", v));
    EXPECT_EQ(v, -5);
    for (const char* bad : {"", "+-1", "abc", "99999999999999999999"})
        EXPECT_FALSE(ScanLong(bad, v)) << bad;
}

TEST(met_reader, survives_random_input) {
    // Random bytes mixed with the line beginnings the reader knows; nothing may crash or read
    // outside its buffers (the sanitizer build checks), and every call ends.
    const std::string longRun(600, 'z');
    const char* pieces[] = {"$GPXDR,P,",    "$PASHR,XDR,P,", "XDR,P,", "$GPGXP,", "C ", ",", ".",
                            "\n",           "\r\n",          "1e308",  "nan",     "-",  "9", "*",
                            longRun.c_str()};
    std::mt19937 rng(12345);
    for (int file = 0; file < 200; ++file) {
        std::string text;
        const int parts = static_cast<int>(rng() % 200);
        for (int i = 0; i < parts; ++i) {
            if (rng() % 3 == 0)
                text += static_cast<char>(rng() % 256);
            else
                text += pieces[rng() % std::size(pieces)];
        }
        Session s(text, static_cast<std::int32_t>(rng() % 3000),
                  static_cast<double>(rng() % 700000), static_cast<double>(rng() % 40) - 20.0);
        int records = 0;
        for (int guard = 0; guard < 100000; ++guard) {
            const Result r = Next(s.reader);
            if (r.got == 0) break;
            ++records;
            EXPECT_TRUE(std::isfinite(r.pressure));
        }
        EXPECT_LE(records, parts);
    }
}

}  // namespace
}  // namespace kelvrant
