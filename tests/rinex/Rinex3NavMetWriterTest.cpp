// The RINEX 3.05 mixed navigation and met writers: whole records of each kind byte for byte,
// the header corrections, and the GLONASS channels handed to the observation header.
#include <gtest/gtest.h>

#include <string>

#include "ashtech/ByteOrder.h"
#include "rinex/Rinex3MetWriter.h"
#include "rinex/Rinex3NavWriter.h"

namespace kelvrant {
namespace {

constexpr std::uint16_t kWeek = 1209;  // starts on Sunday 2003-03-09

const rinex3::FileDating kDating{"Kelvrant", UtcTime{2003, 3, 15, 14, 7, 33}};

AshNavRecord Gps(int prn) {
    AshNavRecord r;
    r.satellite = static_cast<std::int16_t>(prn);
    le::PutI2(r.At(1), static_cast<std::int16_t>(kWeek));
    le::PutI4(r.At(3), 172800 - 18);  // sent just before Tuesday
    le::PutR4(r.At(7), -1.1641532e-8f);
    le::PutI4(r.At(11), 77);
    le::PutI4(r.At(15), 172800);  // toc Tuesday 00:00
    le::PutR4(r.At(27), 1.5e-4f);
    le::PutR4(r.At(23), -2.5e-12f);
    le::PutI4(r.At(31), 77);
    le::PutR8(r.At(39), 1.25);
    le::PutR8(r.At(47), 0.0125);
    le::PutR8(r.At(55), 5153.75);
    le::PutI4(r.At(63), 172800);
    le::PutI2(r.At(123), 2);
    return r;
}

AshNavRecord Glonass(int slot, int channel) {
    AshNavRecord r;
    r.satellite = static_cast<std::int16_t>(slot + 32);
    le::PutU2(r.At(1), kWeek);
    le::PutU4(r.At(3), 172800);  // Tuesday 00:00 GPS
    le::PutI4(r.At(11), 5000);   // tk
    le::PutR8(r.At(15), 0.0);    // tb: Moscow midnight = Monday 21:00 UTC
    le::PutR4(r.At(23), -1.2345e-5f);
    le::PutR8(r.At(31), -1.862645149e-8);
    le::PutR8(r.At(39), 12345678.9);
    le::PutU1(r.At(119), static_cast<std::uint8_t>(channel));
    return r;
}

TEST(rinex3_nav_writer, writes_gps_and_glonass_records_under_one_header) {
    StringSink out;
    Rinex3NavWriter w(out, kDating);
    w.Add(Gps(5));
    w.Add(Glonass(3, -7));
    w.Add(Glonass(9, 2));
    NavHeaderRecord h;
    h.runBy = "KELVRANT";
    h.ionPresent = 1;
    h.alpha[0] = 1.1176e-8;
    h.utcPresent = 1;
    h.a0 = -9.3132257462e-10;
    h.t = 405504;
    h.w = 1209;
    h.leapSeconds = 13;
    w.Finish(h);
    EXPECT_EQ(*w.Channels()[3], -7);
    EXPECT_EQ(*w.Channels()[9], 2);
    EXPECT_FALSE(w.Channels()[4]);
    const std::string& t = out.Text();
    EXPECT_EQ(
        t.substr(0, 82),
        "     3.05           N: GNSS NAV DATA    M: MIXED            RINEX VERSION / TYPE\r\n");
    for (const char* line : {
             "GPSA   1.1176E-08  0.0000E+00  0.0000E+00  0.0000E+00       IONOSPHERIC CORR    ",
             "GPUT -9.3132257462E-10 0.000000000E+00 405504 1209          TIME SYSTEM CORR    ",
             "GLUT  1.8626451490E-08 0.000000000E+00 172800 1209          TIME SYSTEM CORR    ",
             "    13                                                      LEAP SECONDS        ",
             // GPS: toc on its own week; values in E form, four to a line
             "G05 2003 03 11 00 00 00 1.500000071246E-04-2.499999990010E-12 0.000000000000E+00",
             "     7.700000000000E+01 0.000000000000E+00 0.000000000000E+00 1.250000000000E+00",
             "     1.727820000000E+05 0.000000000000E+00",
             // GLONASS: dated in UTC (Moscow midnight), frame time in seconds of the UTC week, km
             "R03 2003 03 10 21 00 00 1.234499995917E-05 0.000000000000E+00 1.670000000000E+05",
             "     0.000000000000E+00 0.000000000000E+00 0.000000000000E+00-7.000000000000E+00",
             "     1.234567890000E+04 0.000000000000E+00 0.000000000000E+00 0.000000000000E+00",
         }) {
        EXPECT_NE(t.find(std::string(line) + "\r\n"), std::string::npos) << line << "\n" << t;
    }
}

TEST(rinex3_met_writer, writes_the_rinex3_forms) {
    StringSink out;
    Rinex3MetWriter w(out, kDating);
    MetHeaderRecord h;
    h.markerName = "BASE";
    h.prPresent = 1;
    h.prModel = "PTB220";
    h.prX = 6378137.0;
    h.tdPresent = 1;
    h.tdUsesPrPosition = 1;
    w.WriteHeader(h);
    EXPECT_TRUE(w.WriteRecord(1200, 259223.0, 1013.2, 25.3, 45.0));
    EXPECT_TRUE(w.WriteRecord(1200, 604800.0, 1010.0, 20.5, 50.0));
    EXPECT_FALSE(w.WriteRecord(-1, 0.0, 0.0, 0.0, 0.0));
    const std::string& t = out.Text();
    EXPECT_EQ(
        t.substr(0, 82),
        "     3.05           METEOROLOGICAL DATA                     RINEX VERSION / TYPE\r\n");
    EXPECT_NE(t.find("     2    PR    TD                                          # / TYPES OF "
                     "OBSERV \r\n"),
              std::string::npos);
    EXPECT_NE(t.find("END OF HEADER       \r\n 2003 01 08 00 00 23 1013.2   25.3\r\n"
                     " 2003 01 12 00 00 00 1010.0   20.5\r\n"),
              std::string::npos)
        << t;
}

}  // namespace
}  // namespace kelvrant
