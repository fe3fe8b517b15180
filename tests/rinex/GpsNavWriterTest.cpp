#include "rinex/GpsNavWriter.h"
#include "rinex/TextSink.h"
#include "support/OutputFile.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "ashtech/ByteOrder.h"
#include "geo/Clock.h"
#include "rinex/LineWriter.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::Lines;

std::string D(const char* format, double value) {
    std::string s;
    FormatDValue(s, format, value);
    return s;
}

// 2003-03-15 14:07:33 UTC
constexpr std::time_t kClockTime = 1047737253;

class GpsNavFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        header_.runBy = "ACME";
        header_.commentCount = 2;
        header_.comments[0] = "First comment";
        header_.comments[1] = "Second comment";
    }
    static IonRecord Ion() {
        IonRecord ion;
        const float alpha[4] = {1.1176e-8f, 7.4506e-9f, -5.9605e-8f, -5.9605e-8f};
        const float beta[4] = {90112.0f, 0.0f, -196608.0f, -65536.0f};
        for (std::size_t i = 0; i < 4; ++i) {
            le::PutR4(&ion.bytes[4 * i], alpha[i]);
            le::PutR4(&ion.bytes[16 + 4 * i], beta[i]);
        }
        le::PutR8(&ion.bytes[32], -1.77635684e-15);  // A1 comes first
        le::PutR8(&ion.bytes[40], 9.31322575e-10);
        le::PutI4(&ion.bytes[48], 405504);
        le::PutU2(&ion.bytes[52], 0xFFFF);
        le::PutI2(&ion.bytes[54], 13);
        ion.loaded = 1;
        return ion;
    }

    // A GPS record with its angles already in radians, as the E-file reader hands it out.
    static AshNavRecord Record() {
        AshNavRecord r;
        r.satellite = 5;
        le::PutI2(r.At(1), 1209);
        le::PutI4(r.At(3), 352800);
        le::PutR4(r.At(7), -1.1641532e-8f);
        le::PutI4(r.At(11), 301);
        le::PutI4(r.At(15), 352800);
        le::PutR4(r.At(19), 0.0f);
        le::PutR4(r.At(23), -2.2737368e-12f);
        le::PutR4(r.At(27), 1.2345678e-4f);
        le::PutI4(r.At(31), 45);
        le::PutR4(r.At(35), 4.5e-9f);
        le::PutR8(r.At(39), 1.2345678901);
        le::PutR8(r.At(47), 0.0123456789);
        le::PutR8(r.At(55), 5153.71234567);
        le::PutI4(r.At(63), 352800);
        le::PutR4(r.At(67), -1.1175871e-8f);
        le::PutR4(r.At(71), 234.5625f);
        le::PutR4(r.At(75), 5.5879354e-8f);
        le::PutR4(r.At(79), -12.34375f);
        le::PutR4(r.At(83), -6.3329935e-7f);
        le::PutR4(r.At(87), 8.1136823e-6f);
        le::PutR8(r.At(91), -2.1234567891);
        le::PutR8(r.At(99), 0.9876543210);
        le::PutR8(r.At(107), 0.9612345678);
        le::PutR4(r.At(115), -8.1234e-9f);
        le::PutR4(r.At(119), 3.2e-10f);
        le::PutI2(r.At(123), 2);
        le::PutI2(r.At(125), 0);
        return r;
    }

    // The whole file: the header, then the records.
    std::string Write(std::initializer_list<AshNavRecord> records) {
        StringSink sink;
        GpsNavWriter writer(sink, {"Kelvrant", clock_});
        writer.WriteHeader(header_);
        for (const AshNavRecord& r : records)
            writer.WriteRecord(r);
        return sink.Text();
    }

    // The first line of the record written for `r`.
    std::string FirstLine(const AshNavRecord& r) {
        const std::vector<std::string> lines = Lines(Write({r}));
        return lines.size() >= 13 ? lines[5] : std::string();
    }

    FixedClock clock_{kClockTime};
    NavHeaderRecord header_;
};

TEST(format_d_value, examples) {
    EXPECT_EQ(D("%19.11le", 1.234e-5), "  .123400000000D-04");
    EXPECT_EQ(D("%19.11le", -1.234e-5), " -.123400000000D-04");
    EXPECT_EQ(D("%19.11le", 0.0), "  .000000000000D+00");
    EXPECT_EQ(D("%12.3le", 1.234e-5), "   .1234D-04");
    EXPECT_EQ(D("  %12.3le", 1.1176e-8), "     .1118D-07");
    EXPECT_EQ(D("%19.11le", 1.0), "  .100000000000D+01");
    EXPECT_EQ(D("%19.11le", 123456.0), "  .123456000000D+06");
}

TEST(format_d_value, three_digit_exponents_and_appending) {
    EXPECT_EQ(D("%19.11le", 1.5e-101), " .150000000000D-100");
    EXPECT_EQ(D("%19.11le", 2.5e120), " .250000000000D+121");
    // The text already in the line is left alone, points in it included.
    std::string line = "1.5 e";
    FormatDValue(line, "%12.3le", -2.0);
    EXPECT_EQ(line, "1.5 e  -.2000D+01");
    // Values without an exponent are appended as printed.
    line.clear();
    FormatDValue(line, "%12.3le", std::numeric_limits<double>::infinity());
    EXPECT_EQ(line, "         inf");
}

TEST_F(GpsNavFixture, golden_file_with_ion) {
    CopyIonToNavHeader(header_, Ion());
    const std::string expected =
        "     2              NAVIGATION DATA                         RINEX VERSION / TYPE\r\n"
        "Kelvrant            ACME                 03/15/2003 14:07   PGM / RUN BY / DATE \r\n"
        "First comment                                               COMMENT             \r\n"
        "Second comment                                              COMMENT             \r\n"
        "     .1118D-07   .7451D-08  -.5961D-07  -.5961D-07          ION ALPHA           \r\n"
        "     .9011D+05   .0000D+00  -.1966D+06  -.6554D+05          ION BETA            \r\n"
        "     .931322575000D-09 -.177635684000D-14   405504       -1 DELTA-UTC: A0,A1,T,W\r\n"
        "    13                                                      LEAP SECONDS        \r\n"
        "                                                            END OF HEADER       \r\n"
        " 5 03  3 13  2  0  0.0  .123456775327D-03 -.227373675443D-11  .000000000000D+00\r\n"
        "     .450000000000D+02 -.123437500000D+02  .449999992824D-08  .123456789010D+01\r\n"
        "    -.633299350739D-06  .123456789000D-01  .811368227005D-05  .515371234567D+04\r\n"
        "     .352800000000D+06 -.111758708954D-07 -.212345678910D+01  .558793544769D-07\r\n"
        "     .961234567800D+00  .234562500000D+03  .987654321000D+00 -.812339973066D-08\r\n"
        "     .319999998721D-09  .000000000000D+00  .120900000000D+04  .000000000000D+00\r\n"
        "     .200000000000D+01  .000000000000D+00 -.116415321827D-07  .301000000000D+03\r\n"
        "     .352800000000D+06  .000000000000D+00  .000000000000D+00  .000000000000D+00\r\n";
    EXPECT_EQ(test::FirstDifference(expected, Write({Record()})), "");
}

TEST_F(GpsNavFixture, header_without_ion_has_four_kinds_of_lines) {
    IonRecord ion = Ion();
    CopyIonToNavHeader(header_, ion);
    ClearIonRecord(ion);
    CopyIonToNavHeader(header_, ion);  // a job without ION file after one with
    const std::string expected =
        "     2              NAVIGATION DATA                         RINEX VERSION / TYPE\r\n"
        "Kelvrant            ACME                 03/15/2003 14:07   PGM / RUN BY / DATE \r\n"
        "First comment                                               COMMENT             \r\n"
        "Second comment                                              COMMENT             \r\n"
        "                                                            END OF HEADER       \r\n";
    EXPECT_EQ(test::FirstDifference(expected, Write({})), "");
}

TEST_F(GpsNavFixture, toc_in_the_next_week) {
    AshNavRecord r = Record();
    le::PutI4(r.At(15), 0);
    le::PutI4(r.At(3), 597600);
    // Week 1209 + 1 starts on Sunday 2003-03-16.
    EXPECT_EQ(FirstLine(r).substr(0, 22), " 5 03  3 16  0  0  0.0");
    le::PutI4(r.At(3), 300000);
    EXPECT_EQ(FirstLine(r).substr(0, 22), " 5 03  3  9  0  0  0.0");
    // The week on line 6 stays the stored one.
    le::PutI4(r.At(3), 597600);
    const std::vector<std::string> lines = Lines(Write({r}));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[10].substr(41, 19), "  .120900000000D+04");
}

TEST_F(GpsNavFixture, last_second_of_the_first_day) {
    AshNavRecord r = Record();
    le::PutI4(r.At(15), 86399);
    le::PutI4(r.At(3), 86000);
    EXPECT_EQ(FirstLine(r).substr(0, 22), " 5 03  3  9 23 59 59.0");
}

TEST_F(GpsNavFixture, two_digit_years) {
    AshNavRecord r = Record();
    le::PutI4(r.At(15), 0);
    le::PutI4(r.At(3), 0);
    le::PutI2(r.At(1), 1000);  // 1999-03-07
    EXPECT_EQ(FirstLine(r).substr(0, 8), " 5 99  3");
    le::PutI2(r.At(1), 1043);  // 2000-01-02
    EXPECT_EQ(FirstLine(r).substr(0, 8), " 5 00  1");
    le::PutI2(r.At(1), 1200);  // 2003-01-05
    EXPECT_EQ(FirstLine(r).substr(0, 8), " 5 03  1");
}

TEST_F(GpsNavFixture, record_lines_are_79_characters) {
    AshNavRecord r = Record();
    r.satellite = 32;
    const std::vector<std::string> lines = Lines(Write({r}));
    ASSERT_EQ(lines.size(), 13u);
    for (std::size_t i = 5; i < 13; ++i) {
        EXPECT_EQ(lines[i].size(), 79u) << i;
        EXPECT_NE(lines[i].back(), ' ');
    }
    EXPECT_EQ(lines[5].substr(0, 2), "32");
}

TEST_F(GpsNavFixture, glonass_record_writes_nothing) {
    AshNavRecord r = Record();
    r.satellite = 33;
    EXPECT_EQ(Write({r}), Write({}));
}

TEST(nav_header, ion_values_sign_extended) {
    IonRecord ion;
    le::PutU2(&ion.bytes[52], 0xFFFF);
    le::PutU2(&ion.bytes[54], 0xFFF3);
    le::PutR8(&ion.bytes[32], 2.0);
    le::PutR8(&ion.bytes[40], 3.0);
    le::PutR4(&ion.bytes[28], 0.25f);
    ion.loaded = 1;
    NavHeaderRecord header;
    CopyIonToNavHeader(header, ion);
    EXPECT_EQ(header.ionPresent, 1);
    EXPECT_EQ(header.utcPresent, 1);
    EXPECT_EQ(header.w, -1);
    EXPECT_EQ(header.leapSeconds, -13);
    EXPECT_EQ(header.a1, 2.0);
    EXPECT_EQ(header.a0, 3.0);
    EXPECT_EQ(header.beta[3], 0.25);
    ion.loaded = 0;
    CopyIonToNavHeader(header, ion);
    EXPECT_EQ(header.ionPresent, 0);
    EXPECT_EQ(header.utcPresent, 0);
}

}  // namespace
}  // namespace kelvrant
