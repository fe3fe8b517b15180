#include "rinex/MetWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "geo/Clock.h"
#include "rinex/LineWriter.h"
#include "rinex/TextSink.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

// 2024-03-05 14:07:31 UTC.
constexpr std::time_t kNow = 1709647651;

class met_writer : public ::testing::Test {
  protected:
    // A writer over the test's sink, with the header written.
    MetWriter& Open(const MetHeaderRecord& header, std::string_view program = "Kelvrant") {
        writer_ = std::make_unique<MetWriter>(sink_, WriterOptions{program, clock_});
        writer_->WriteHeader(header);
        return *writer_;
    }
    const std::string& Written() const { return sink_.Text(); }
    // The lines of the header after its END OF HEADER line.
    std::string Records() const {
        const std::string& all = Written();
        const std::size_t end = all.find("END OF HEADER");
        return end == std::string::npos ? std::string() : all.substr(all.find('\n', end) + 1);
    }

    FixedClock clock_{kNow};
    StringSink sink_;
    std::unique_ptr<MetWriter> writer_;
};

MetHeaderRecord ThreeSensors() {
    MetHeaderRecord r;
    r.markerName = "HERS";
    r.markerNumberPresent = 0;
    r.markerNumber = "13212M009";
    r.runBy = "GEO AGENCY";
    r.commentCount = 2;
    r.comments = {"Met data from the roof mast", "Second comment", "not written"};
    r.prPresent = 1;
    r.prModel = "BARO-7";
    r.prType = "CAPACITIVE";
    r.prAccuracy = 0.1;
    r.prX = 4033463.7;
    r.prY = 23662.6;
    r.prZ = 4924305.1;
    r.tdPresent = 1;
    r.tdModel = "THERM-2";
    r.tdType = "PT100";
    r.tdAccuracy = 0.2;
    r.tdUsesPrPosition = 1;
    r.tdX = 1.0;
    r.tdY = 2.0;
    r.tdZ = 3.0;
    r.hrPresent = 1;
    r.hrModel = "HYGRO-3";
    r.hrType = "CAPACITIVE";
    r.hrAccuracy = 2.0;
    r.hrUsesPrPosition = 1;
    return r;
}

TEST_F(met_writer, golden_file_with_three_sensors_at_the_pressure_position) {
    MetWriter& w = Open(ThreeSensors());
    EXPECT_TRUE(w.WriteRecord(1200, 259223.0, 1013.2, 25.3, 45.0));
    EXPECT_TRUE(w.WriteRecord(1200, 604800.0, 1000.0, -5.3, 100.0));

    const std::string expected =
        "     2              METEOROLOGICAL DATA                     RINEX VERSION / TYPE\r\n"
        "Kelvrant            GEO AGENCY           03/05/2024 14:07   PGM / RUN BY / DATE \r\n"
        "Met data from the roof mast                                 COMMENT             \r\n"
        "Second comment                                              COMMENT             \r\n"
        "HERS                                                        MARKER NAME         \r\n"
        "     3    PR    TD    HR                                    # / TYPES OF OBSERV \r\n"
        "BARO-7              CAPACITIVE                    0.1    PR SENSOR MOD/TYPE/ACC \r\n"
        "THERM-2             PT100                         0.2    TD SENSOR MOD/TYPE/ACC \r\n"
        "HYGRO-3             CAPACITIVE                    2.0    HR SENSOR MOD/TYPE/ACC \r\n"
        "  4033463.7000    23662.6000  4924305.1000       75.3430 PR SENSOR POS XYZ/H    \r\n"
        "                                                            END OF HEADER       \r\n"
        "  3  1  8  0  0 23 1013.2   25.3   45.0\r\n"
        "  3  1 12  0  0  0 1000.0   -5.3  100.0\r\n";
    EXPECT_EQ(test::FirstDifference(expected, Written()), "");
}

TEST_F(met_writer, sensor_positions_of_their_own_and_absent_sensors) {
    MetHeaderRecord r = ThreeSensors();
    r.markerNumberPresent = 1;
    r.commentCount = 0;
    r.prPresent = 0;
    r.tdUsesPrPosition = 0;
    r.tdX = 6378137.0;
    r.tdY = 0.0;
    r.tdZ = 0.0;
    r.hrUsesPrPosition = 0;
    r.hrX = 4033470.2;
    r.hrY = 23660.1;
    r.hrZ = 4924301.9;
    Open(r).WriteRecord(1200, 259223.0, 1013.2, 25.3, 45.0);
    const std::string all = Written();
    EXPECT_NE(all.find("13212M009                                                   MARKER NUMBER"
                       "       \r\n"),
              std::string::npos);
    EXPECT_EQ(all.find("COMMENT"), std::string::npos);
    EXPECT_NE(all.find("     2    TD    HR                                          # / TYPES OF "
                       "OBSERV \r\n"),
              std::string::npos);
    EXPECT_EQ(all.find("PR SENSOR"), std::string::npos);
    EXPECT_NE(all.find("  6378137.0000        0.0000        0.0000        0.0000 TD SENSOR POS "
                       "XYZ/H    \r\n"),
              std::string::npos);
    EXPECT_NE(all.find("  4033470.2000    23660.1000  4924301.9000       76.9538 HR SENSOR POS "
                       "XYZ/H    \r\n"),
              std::string::npos);
    EXPECT_EQ(Records(), "  3  1  8  0  0 23   25.3   45.0\r\n");
}

TEST_F(met_writer, every_header_line_is_80_columns) {
    MetHeaderRecord r = ThreeSensors();
    r.markerName = std::string(100, 'M');
    r.prModel = std::string(30, 'X');
    r.prAccuracy = 1e12;  // too wide for its field: the line is cut at 80
    Open(r, "AProgramNameLongerThanTwenty");
    const std::string all = Written();
    std::size_t start = 0;
    int lines = 0;
    while (start < all.size()) {
        const std::size_t end = all.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(end - start, 80u) << all.substr(start, end - start);
        start = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, 11);
    EXPECT_NE(all.find("AProgramNameLongerThGEO AGENCY"), std::string::npos);
}

TEST_F(met_writer, header_is_a_copy_taken_at_open) {
    MetHeaderRecord r = ThreeSensors();
    MetWriter& w = Open(r);
    r.prPresent = 0;
    r.hrPresent = 0;
    w.WriteRecord(1200, 259223.0, 1013.2, 25.3, 45.0);
    EXPECT_EQ(Records(), "  3  1  8  0  0 23 1013.2   25.3   45.0\r\n");
}

TEST_F(met_writer, record_times) {
    MetWriter& w = Open(ThreeSensors());
    // Seconds printed rounded to the nearest whole second.
    w.WriteRecord(1200, 259223.4, 1, 2, 3);
    w.WriteRecord(1200, 259223.5, 1, 2, 3);
    // Beyond the end of the week: the next week.
    w.WriteRecord(1200, 604810.0, 1, 2, 3);
    // Half a second or less before a minute rounds into that minute, never to second 60.
    w.WriteRecord(1200, 259259.7, 1, 2, 3);
    w.WriteRecord(1200, 604799.6, 1, 2, 3);
    // Year 2000 prints as 0.
    w.WriteRecord(1043, 0.0, 1, 2, 3);
    EXPECT_EQ(Records(),
              "  3  1  8  0  0 23    1.0    2.0    3.0\r\n"
              "  3  1  8  0  0 24    1.0    2.0    3.0\r\n"
              "  3  1 12  0  0 10    1.0    2.0    3.0\r\n"
              "  3  1  8  0  1  0    1.0    2.0    3.0\r\n"
              "  3  1 12  0  0  0    1.0    2.0    3.0\r\n"
              "  0  1  2  0  0  0    1.0    2.0    3.0\r\n");
}

TEST_F(met_writer, undatable_times_write_nothing) {
    MetWriter& w = Open(ThreeSensors());
    const std::string header = Written();
    EXPECT_FALSE(w.WriteRecord(1200, std::nan(""), 1, 2, 3));
    EXPECT_FALSE(w.WriteRecord(-1, 0.0, 1, 2, 3));
    EXPECT_FALSE(w.WriteRecord(2147483647, 0.0, 1, 2, 3));
    EXPECT_FALSE(w.WriteRecord(1200, 1e300, 1, 2, 3));
    EXPECT_EQ(Written(), header);
}

}  // namespace
}  // namespace kelvrant
