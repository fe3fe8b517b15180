#include "rinex/GlonassNavWriter.h"
#include "rinex/TextSink.h"
#include "support/OutputFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ashtech/ByteOrder.h"
#include "geo/Clock.h"
#include "rinex/GpsNavWriter.h"
#include "rinex/LineWriter.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::Lines;

constexpr std::time_t kClockTime = 1047737253;  // 2003-03-15 14:07:33 UTC
constexpr std::uint16_t kWeek = 1209;           // starts on Sunday 2003-03-09

AshNavRecord Glonass(int satellite, std::uint32_t seconds, double tb, std::int32_t tk) {
    AshNavRecord r;
    r.satellite = static_cast<std::int16_t>(satellite);
    le::PutU2(r.At(1), kWeek);
    le::PutU4(r.At(3), seconds);
    le::PutI4(r.At(11), tk);
    le::PutR8(r.At(15), tb);
    le::PutR4(r.At(23), -1.2345e-5f);
    le::PutR4(r.At(27), 9.094947e-13f);
    le::PutR8(r.At(31), -1.862645149e-8);
    le::PutR8(r.At(39), 12345678.9);
    le::PutR8(r.At(47), -9876543.21);
    le::PutR8(r.At(55), 19283746.5);
    le::PutR8(r.At(63), 1234.5678);
    le::PutR8(r.At(71), -2345.6789);
    le::PutR8(r.At(79), 345.6789);
    le::PutR8(r.At(87), 9.3132e-7);
    le::PutR8(r.At(95), -1.862645e-6);
    le::PutR8(r.At(103), 0.0);
    le::PutU1(r.At(119), static_cast<std::uint8_t>(-7));
    return r;
}

// Calendar epoch of a record as "YYYY-MM-DD hh:mm:ss".
std::string EpochText(const AshNavRecord& r) {
    std::int32_t week = 0;
    double seconds = 0.0;
    GlonassEpoch(r, week, seconds);
    const CalendarTime t = GpsToCalendar(week, seconds + 1e-9);
    return Format("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  static_cast<int>(t.seconds));
}

class GlonassNavFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        header_.runBy = "ACME";
        header_.commentCount = 1;
        header_.comments[0] = "First comment";
        header_.leapSeconds = 13;
        header_.ionPresent = 0;  // the GLONASS header ignores the presence flags
        header_.utcPresent = 0;
    }
    // The whole file written for the records.
    std::string Write(std::initializer_list<AshNavRecord> records) {
        StringSink sink;
        GlonassNavWriter writer(sink, {"Kelvrant", clock_});
        writer.SetHeader(header_);
        for (const AshNavRecord& r : records)
            writer.WriteRecord(r);
        writer.Finish();
        return sink.Text();
    }

    std::vector<std::string> RecordLines(const AshNavRecord& r) {
        std::vector<std::string> lines = Lines(Write({r}));
        lines.erase(lines.begin(), lines.begin() + 6);
        return lines;
    }

    FixedClock clock_{kClockTime};
    NavHeaderRecord header_;
};

const char* const kHeaderWithoutGlonass =
    "     2.01           GLONASS NAVMESS DATA                    RINEX VERSION / TYPE\r\n"
    "Kelvrant            ACME                 03/15/2003 14:07   PGM / RUN BY / DATE \r\n"
    "First comment                                               COMMENT             \r\n"
    "     0     0     0     .000000000000D+00                    CORR TO SYSTEM TIME \r\n"
    "    13                                                      LEAP SECONDS        \r\n"
    "                                                            END OF HEADER       \r\n";

const char* const kRecords =
    " 8 03  3 12 22  0  0.0  .123449999592D-04  .909494701773D-12  .791700000000D+05\r\n"
    "     .123456789000D+05  .123456780000D+01  .931320000000D-09  .000000000000D+00\r\n"
    "    -.987654321000D+04 -.234567890000D+01 -.186264500000D-08 -.700000000000D+01\r\n"
    "     .192837465000D+05  .345678900000D+00  .000000000000D+00  .000000000000D+00\r\n"
    " 1 03  3 10 21  0  0.0  .123449999592D-04  .909494701773D-12  .806000000000D+05\r\n"
    "     .123456789000D+05  .123456780000D+01  .931320000000D-09  .100000000000D+01\r\n"
    "    -.987654321000D+04 -.234567890000D+01 -.186264500000D-08  .100000000000D+01\r\n"
    "     .192837465000D+05  .345678900000D+00  .000000000000D+00  .300000000000D+01\r\n";

const char* const kHeaderWithCorrection =
    "     2.01           GLONASS NAVMESS DATA                    RINEX VERSION / TYPE\r\n"
    "Kelvrant            ACME                 03/15/2003 14:07   PGM / RUN BY / DATE \r\n"
    "First comment                                               COMMENT             \r\n"
    "  2003     3    12     .186264514900D-07                    CORR TO SYSTEM TIME \r\n"
    "    13                                                      LEAP SECONDS        \r\n"
    "                                                            END OF HEADER       \r\n";

TEST_F(GlonassNavFixture, golden_file_dated_by_the_first_record) {
    // Received Wednesday 22:00 UTC, tb 01:00 Moscow time: the same instant.
    const AshNavRecord first = Glonass(40, 3 * 86400 + 79200, 3600.0, 3570);
    AshNavRecord second = Glonass(33, 172800, 0.0, 5000);
    le::PutU2(second.At(121), 1);
    le::PutU1(second.At(119), 1);
    le::PutU1(second.At(120), 3);
    const std::string expected = std::string(kHeaderWithCorrection) + kRecords;
    EXPECT_EQ(test::FirstDifference(expected, Write({first, second})), "");
}

TEST_F(GlonassNavFixture, no_glonass_record_keeps_zero_correction) {
    AshNavRecord gps;
    gps.satellite = 5;  // GPS records write nothing
    EXPECT_EQ(test::FirstDifference(kHeaderWithoutGlonass, Write({gps})), "");
}

TEST_F(GlonassNavFixture, satellite_numbers_become_slots) {
    EXPECT_EQ(RecordLines(Glonass(33, 3600, 14400.0, 0))[0].substr(0, 3), " 1 ");
    EXPECT_EQ(RecordLines(Glonass(56, 3600, 14400.0, 0))[0].substr(0, 3), "24 ");
}

TEST_F(GlonassNavFixture, values_in_d_form) {
    const std::vector<std::string> lines = RecordLines(Glonass(40, 3600, 14400.0, 0));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(4, 18), " .123456789000D+05");
    EXPECT_EQ(lines[2].substr(60), " -.700000000000D+01");
    for (const std::string& line : lines)
        EXPECT_EQ(line.size(), 79u);
}

TEST_F(GlonassNavFixture, random_records_through_both_writers) {
    std::mt19937 random(2024);
    StringSink glonassSink;
    StringSink gpsSink;
    GlonassNavWriter glonass(glonassSink, {"Kelvrant", clock_});
    GpsNavWriter gps(gpsSink, {"Kelvrant", clock_});
    glonass.SetHeader(header_);
    gps.WriteHeader(header_);
    for (int i = 0; i < 500; ++i) {
        AshNavRecord r;
        for (std::uint8_t& b : r.body)
            b = static_cast<std::uint8_t>(random());
        r.satellite = static_cast<std::int16_t>(random() % 256);
        glonass.WriteRecord(r);
        gps.WriteRecord(r);
    }
    glonass.Finish();
    for (const std::string& text : {glonassSink.Text(), gpsSink.Text()}) {
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    }
}

TEST(glonass_epoch, moscow_time_examples) {
    // Tuesday 00:00 GPS time, tb 00:00 Moscow: Monday 21:00 of the same week.
    EXPECT_EQ(EpochText(Glonass(33, 172800, 0.0, 0)), "2003-03-10 21:00:00");
    // Sunday 00:01:40, tb 01:00 Moscow: Saturday 22:00 of the previous week.
    EXPECT_EQ(EpochText(Glonass(33, 100, 3600.0, 0)), "2003-03-08 22:00:00");
    // Received 22:00 UTC, tb 01:00 Moscow (already the next Moscow day): same day 22:00.
    EXPECT_EQ(EpochText(Glonass(33, 86400 + 79200, 3600.0, 0)), "2003-03-10 22:00:00");
    // Received 20:50 UTC, tb 23:45 Moscow the same Moscow day.
    EXPECT_EQ(EpochText(Glonass(33, 86400 + 75000, 85500.0, 0)), "2003-03-10 20:45:00");
    // Saturday 23:30 UTC with tb 02:45 Moscow: 23:45 UTC, still the same week.
    EXPECT_EQ(EpochText(Glonass(33, 6 * 86400 + 84600, 9900.0, 0)), "2003-03-15 23:45:00");
    // Saturday 20:30 UTC with tb 00:15 Moscow: 21:15 UTC Saturday.
    EXPECT_EQ(EpochText(Glonass(33, 6 * 86400 + 73800, 900.0, 0)), "2003-03-15 21:15:00");
}

TEST(glonass_epoch, unusable_tb_never_fails) {
    std::int32_t week = 0;
    double seconds = 0.0;
    for (double tb : {std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity(), -1e300, 1e300}) {
        GlonassEpoch(Glonass(33, 500000, tb, 0), week, seconds);
        EXPECT_TRUE(std::isfinite(seconds));
        EXPECT_GE(seconds, 500000.0 - 43200.0);
        EXPECT_LE(seconds, 500000.0 + 43200.0);
    }
}

TEST(glonass_frame_time, moscow_day_to_utc_day) {
    EXPECT_EQ(GlonassFrameTime(Glonass(33, 0, 0.0, 5000)), 80600.0);
    EXPECT_EQ(GlonassFrameTime(Glonass(33, 0, 0.0, 20000)), 9200.0);
    EXPECT_EQ(GlonassFrameTime(Glonass(33, 172800, 0.0, 5000)), 80600.0);
    EXPECT_EQ(GlonassFrameTime(Glonass(33, 6 * 86400 + 100, 0.0, 86399)), 75599.0);
}

TEST(glonass_correction, date_and_negated_tau_c) {
    NavHeaderRecord header;
    AshNavRecord r = Glonass(45, 2 * 86400, 0.0, 0);  // exactly midnight starting Tuesday
    le::PutR8(r.At(31), 2.5e-7);
    SetGlonassCorrection(header, r);
    EXPECT_EQ(header.correctionYear, 2003);
    EXPECT_EQ(header.correctionMonth, 3);
    EXPECT_EQ(header.correctionDay, 11);
    EXPECT_EQ(header.correction, -2.5e-7);
}

}  // namespace
}  // namespace kelvrant
