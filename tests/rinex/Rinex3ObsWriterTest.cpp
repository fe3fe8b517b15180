// The RINEX 3.05 observation writer and the per-receiver code table: the codes each receiver
// kind gets, the header records a mixed file needs, epoch and event records byte for byte, and
// the writer's output through compact RINEX and back.
#include "rinex/Rinex3ObsWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/ObservationCodes.h"
#include "geo/Clock.h"
#include "rinex/CompactRinexEncoder.h"
#include "support/CompactRinexDecoder.h"

namespace kelvrant {
namespace {

std::string Codes(GnssSystem system, const char* model, int dataType, bool doppler = true) {
    ObservablesPresent present{};
    ObsHeaderRecord r;
    SetObservationTypes(r, dataType, !doppler);
    for (int o = 0; o < kObservableCount; ++o)
        present[static_cast<std::size_t>(o)] = r.obsTypes[static_cast<std::size_t>(o)] != 0;
    std::string text;
    for (const Rinex3Code& c : ChooseRinex3Codes(system, model, dataType, present))
        text += std::string(text.empty() ? "" : " ") + std::string(c.Text());
    return text;
}

TEST(observation_codes, follow_what_each_receiver_tracks) {
    const GnssSystem G = GnssSystem::kGps, R = GnssSystem::kGlonass;
    struct Case {
        GnssSystem system;
        const char* model;
        int dataType;
        const char* codes;
    };
    const Case cases[] = {
        {G, "G12", 1, "C1C L1C D1C S1C"},
        {G, "G12", 4, "C1C D1C S1C"},                            // code phase only
        {G, "UZ-12", 3, "C1C L1C D1C S1C C1W C2W L2W D2W S2W"},  // Z-tracking: W
        {G, "uz-12", 2, "C1C L1C D1C S1C L2W D2W S2W"},          // model text in any case
        {G, "Z18", 6, "C1C L1C D1C S1C C2W L2W D2W S2W"},
        {R, "Z18", 6, "C1C L1C D1C S1C C2P L2P D2P S2P"},  // GLONASS P code is open
        {R, "Z18", 5, "C1C L1C D1C S1C C1P"},
        {G, "GG24", 1, "C1C L1C D1C S1C"},
        {R, "GG-XXIV", 1, "C1C L1C D1C S1C"},
        {G, "OTHER", 3, "C1C L1C D1C C1P C2P L2P D2P"},  // P tracking; no dB-Hz: no S
        {G, "OTHER", 2, "C1C L1C D1C L2N D2N"},          // codeless L2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " type " + std::to_string(c.dataType));
        EXPECT_EQ(Codes(c.system, c.model, c.dataType), c.codes);
    }
    EXPECT_EQ(Codes(G, "G12", 1, false), "C1C L1C S1C");
}

TEST(observation_codes, signal_strength_digits_follow_the_dbhz_steps) {
    EXPECT_EQ(SignalStrengthDigit3("G12", 11, 4), 1);
    EXPECT_EQ(SignalStrengthDigit3("G12", 12, 4), 2);
    EXPECT_EQ(SignalStrengthDigit3("GG24", 35, 4), 5);
    EXPECT_EQ(SignalStrengthDigit3("GG24", 36, 4), 6);
    EXPECT_EQ(SignalStrengthDigit3("UZ-12", 54, 4), 9);
    EXPECT_EQ(SignalStrengthDigit3("UZ-12", 0, 4), 4);  // no value: the receiver's digit
    EXPECT_EQ(SignalStrengthDigit3("OTHER", 200, 7), 7);
    EXPECT_FALSE(SignalStrengthDbHz("OTHER", 200));
}

ObsHeaderRecord MixedHeader() {
    ObsHeaderRecord r;
    r.systemLetter = 'M';
    r.markerName = "SIMU";
    r.runBy = "KELVRANT";
    r.receiverType = "Ashtech GG24";
    SetObservationTypes(r, 1, false);
    r.intervalPresent = 1;
    r.interval = 30;
    r.leapSeconds = 18;
    r.firstWeek = 2448;
    r.firstSeconds = 172800.0;
    r.lastPresent = 1;
    r.lastWeek = 2448;
    r.lastSeconds = 176400.0;
    r.satelliteListPresent = 1;
    r.counts[5] = {120, 0, 121, 0, 0, 120, 0, 0, 0};
    r.counts[kGlonassEntryBase + 7] = {90, 0, 90, 0, 0, 90, 0, 0, 0};
    return r;
}

Rinex3ObsOptions GG24Options() {
    Rinex3ObsOptions o;
    o.dating.created = UtcTime{2026, 12, 8, 10, 11, 12};
    o.receiverModel = "GG24";
    o.dataType = 1;
    o.glonassChannels[7] = 5;
    o.glonassChannels[21] = -4;
    return o;
}

ObservationEpoch MixedEpoch(double seconds) {
    ObservationEpoch e;
    e.week = 2448;
    e.secondsOfWeek = seconds;
    e.clockOffset = -0.000123456789;
    e.count = 2;
    auto& g = e.satellites[0];
    g.satellite = {GnssSystem::kGps, 5};
    g[Observable::kL1] = {110000000.125, 1, 6, 40};
    g[Observable::kC1] = {20000000.5, 0, 0, 40};
    g[Observable::kD1] = {-1234.5, 0, 0, 40};
    auto& r = e.satellites[1];
    r.satellite = {GnssSystem::kGlonass, 7};
    r[Observable::kL1] = {-3000000.25, 0, 5, 33};
    r[Observable::kC1] = {0.0, 0, 0, 33};  // no code this epoch
    r[Observable::kD1] = {-0.0002, 0, 0, 33};
    return e;
}

std::string HeaderOf(const std::string& text) {
    return text.substr(0, text.find("END OF HEADER") + 22);
}

TEST(rinex3_obs_writer, writes_the_records_a_mixed_file_needs) {
    StringSink out;
    Rinex3ObsWriter w(out, GG24Options());
    w.WriteHeader(MixedHeader());
    const std::string h = HeaderOf(out.Text());
    for (const char* line : {
             "     3.05           OBSERVATION DATA    M: MIXED            RINEX VERSION / TYPE",
             "Kelvrant            KELVRANT            20261208 101112 UTC PGM / RUN BY / DATE ",
             "GEODETIC                                                    MARKER TYPE         ",
             "G    4 C1C L1C D1C S1C                                      SYS / # / OBS TYPES ",
             "R    4 C1C L1C D1C S1C                                      SYS / # / OBS TYPES ",
             "DBHZ                                                        SIGNAL STRENGTH UNIT",
             "    30.000                                                  INTERVAL            ",
             "  2026    12     8     0     0    0.0000000     GPS         TIME OF FIRST OBS   ",
             "  2026    12     8     1     0    0.0000000     GPS         TIME OF LAST OBS    ",
             "G L1C                                                       SYS / PHASE SHIFT   ",
             "R L1C                                                       SYS / PHASE SHIFT   ",
             "  2 R07  5 R21 -4                                           GLONASS SLOT / FRQ #",
             " C1C          C1P          C2C          C2P                 GLONASS COD/PHS/BIS ",
             "    18                                                      LEAP SECONDS        ",
             "     2                                                      # OF SATELLITES     ",
             "   G05   121   120   120   120                              PRN / # OF OBS      ",
             "   R07    90    90    90    90                              PRN / # OF OBS      ",
         }) {
        EXPECT_NE(h.find(std::string(line) + "\r\n"), std::string::npos) << line << "\n" << h;
    }
}

TEST(rinex3_obs_writer, writes_epochs_and_events) {
    StringSink out;
    Rinex3ObsWriter w(out, GG24Options());
    w.WriteHeader(MixedHeader());
    const std::size_t start = out.Text().size();
    ObservationEpoch e = MixedEpoch(172830.0);
    w.WriteEpoch(e);
    e.event = EpochEvent::kNewSite;
    e.siteName = {'S', 'I', 'T', '2'};
    e.secondsOfWeek = 172860.0;
    w.WriteEpoch(e);
    EXPECT_EQ(out.Text().substr(start),
              "> 2026 12 08 00 00 30.0000000  0  2      -0.000123456789\r\n"
              "G05  20000000.500   110000000.12516     -1234.500          40.000\r\n"
              "R07                  -3000000.250 5         0.000          33.000\r\n"
              "> 2026 12 08 00 01  0.0000000  3  2\r\n"
              "SIT2                                                        MARKER NAME         \r\n"
              "-->  THIS IS THE START OF A NEW SITE  <--                   COMMENT             \r\n"
              "> 2026 12 08 00 01  0.0000000  0  2      -0.000123456789\r\n"
              "G05  20000000.500   110000000.12516     -1234.500          40.000\r\n"
              "R07                  -3000000.250 5         0.000          33.000\r\n");
}

TEST(rinex3_obs_writer, output_comes_back_from_compact_rinex) {
    StringSink rinex;
    StringSink compact;
    CompactRinexEncoder crx(compact, "Kelvrant", UtcTime{});
    Rinex3ObsWriter w(rinex, GG24Options());
    w.WriteHeader(MixedHeader());
    for (int k = 0; k < 50; ++k) {
        ObservationEpoch e = MixedEpoch(172800.0 + 30 * k);
        e.satellites[0][Observable::kL1].value += 1000.25 * k + 0.5 * k * k;
        e.satellites[0][Observable::kL1].lossOfLock = k % 7 == 0 ? 1 : 0;
        e.satellites[1][Observable::kC1].value = k % 3 == 0 ? 0.0 : 21000000.0 + 3.5 * k;
        e.count = k % 5 == 2 ? 1 : 2;
        e.event = k == 20 ? EpochEvent::kAntennaMoving : EpochEvent::kNone;
        w.WriteEpoch(e);
    }
    crx.Write(rinex.Text());
    crx.Finish();
    ASSERT_FALSE(crx.Failed()) << crx.Error();
    std::string error;
    EXPECT_EQ(test::DecodeCompactRinex(compact.Text(), error), rinex.Text());
    EXPECT_EQ(error, "");
}

}  // namespace
}  // namespace kelvrant
