// Completion of the observation header from a real B-file reader over built B-files, the
// E-file start week, the S-file and the ION record.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "ashtech/BFileReader.h"
#include "ashtech/IonFile.h"
#include "ashtech/SiteFile.h"
#include "geo/LeapSeconds.h"
#include "rinex/ObsTestSupport.h"
#include "rinex/ObsWriter.h"
#include "run/HeaderFill.h"
#include "support/BFileBuilder.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::BEpoch;
using test::BFileBuilder;
using test::BHeader;
using test::BObsBlock;
using test::BSatellite;
using test::FirstDifference;
using test::TempDir;

// A B-file opened and indexed with statistics; the files live as long as the object.
class OpenedBFile {
  public:
    explicit OpenedBFile(const BFileBuilder& builder) {
        const std::string path = dir_.File("TEST.B");
        builder.Save(path);
        bfile_ = std::fopen(path.c_str(), "rb");
        EXPECT_NE(bfile_, nullptr);
        EXPECT_EQ(reader.Open(bfile_, true, true), 1);
    }
    ~OpenedBFile() {
        if (bfile_ != nullptr) std::fclose(bfile_);
    }
    OpenedBFile(const OpenedBFile&) = delete;
    OpenedBFile& operator=(const OpenedBFile&) = delete;

    BFileReader reader;

  private:
    TempDir dir_;
    std::FILE* bfile_ = nullptr;
};

BSatellite Satellite(std::uint8_t number, std::vector<std::uint8_t> warnings) {
    BSatellite s;
    s.number = number;
    for (std::uint8_t w : warnings)
        s.blocks.push_back(BObsBlock{.rawRange = 0.07, .warning = w, .phase = 1.0});
    return s;
}

BEpoch Epoch(double time, std::vector<BSatellite> satellites) {
    BEpoch e;
    e.time = time;
    e.x = 4027893.0;
    e.y = 307045.0;
    e.z = 4919474.0;
    e.satellites = std::move(satellites);
    return e;
}

// Three epochs 30 s apart. Satellite 3 has, per block, code counts 3, 2, 0 and carrier
// counts 3, 1, 2 (warning bit 3: code not good, bit 2: carrier not good); GLONASS slot 5
// (number 37) has one epoch with carrier only.
BFileBuilder MixedFile(std::int16_t dataType) {
    BHeader h;
    h.receiverType = "GG24";
    h.versionFirst = "1E00";
    h.versionSecond = "UNKN";
    h.dataType = dataType;
    h.week = 2300;
    h.blockCount = 3;
    BFileBuilder b(h);
    b.Add(Epoch(345600.0, {Satellite(3, {0x00, 0x04, 0x08}), Satellite(37, {0x08, 0x08, 0x08})}));
    b.Add(Epoch(345630.0, {Satellite(3, {0x00, 0x00, 0x08})}));
    b.Add(Epoch(345660.0, {Satellite(3, {0x00, 0x0C, 0x0C})}));
    return b;
}

const char* const kFilledMixedHeader =
    "     2              OBSERVATION DATA    M                   RINEX VERSION / TYPE\r\n"
    "Kelvrant                                 03/05/2024 14:07   PGM / RUN BY / DATE \r\n"
    "                                                            MARKER NAME         \r\n"
    "                                                            MARKER NUMBER       \r\n"
    "                                                            OBSERVER / AGENCY   \r\n"
    "                    Ashtech GG24        1E00                REC # / TYPE / VERS \r\n"
    "                                                            ANT # / TYPE        \r\n"
    "  4027893.0000   307045.0000  4919474.0000                  APPROX POSITION XYZ \r\n"
    "        0.0000        0.0000        0.0000                  ANTENNA: DELTA H/E/N\r\n"
    "     1     1                                                WAVELENGTH FACT L1/2\r\n"
    "     7    L1    L2    C1    P1    P2    D1    D2            # / TYPES OF OBSERV \r\n"
    "    30                                                      INTERVAL            \r\n"
    "    18                                                      LEAP SECONDS        \r\n"
    "  2024     2     8     0     0    0.000000      GPS         TIME OF FIRST OBS   \r\n"
    "  2024     2     8     0     1    0.000000      GPS         TIME OF LAST OBS    \r\n"
    "     2                                                      # OF SATELLITES     \r\n"
    "   G03     3     2     3     2     0     3     2            PRN / # OF OBS      \r\n"
    "   R05     1     1     0     0     0     1     1            PRN / # OF OBS      \r\n"
    "                                                            END OF HEADER       \r\n";

TEST(obs_header_fill, mixed_file_header_golden) {
    OpenedBFile b(MixedFile(kDataL1CP_L2P));
    ObsHeaderRecord r;
    r.intervalPresent = 1;
    r.satelliteListPresent = 1;
    FillObsHeader(r, b.reader, nullptr, nullptr, nullptr);
    SetObservationTypes(r, kDataL1CP_L2P, false);
    test::TestOutput out;
    ObsWriter(out.sink, out.options).WriteHeader(r);
    EXPECT_EQ(FirstDifference(kFilledMixedHeader, out.Text()), "");
}

TEST(obs_header_fill, counts_come_from_the_blocks_of_each_data_type) {
    struct Expect {
        std::int16_t dataType;
        std::array<std::int32_t, 7> gps3;  // L1 L2 C1 P1 P2 D1 D2
        std::int16_t l2Factor;
    };
    const Expect cases[] = {
        {kDataL1, {3, 0, 3, 0, 0, 3, 0}, 0},
        {kDataL2C, {3, 1, 3, 0, 0, 3, 1}, 2},
        {kDataL1CP_L2P, {3, 2, 3, 2, 0, 3, 2}, 1},
        {kDataCdPhase, {3, 0, 3, 0, 0, 3, 0}, 0},
        {kDataL1CP, {3, 0, 3, 2, 0, 3, 0}, 1},
        {kDataL1C_L2P, {3, 1, 3, 0, 2, 3, 1}, 1},
        {9, {3, 0, 3, 0, 0, 3, 0}, 1},
    };
    for (const Expect& e : cases) {
        OpenedBFile b(MixedFile(e.dataType));
        ObsHeaderRecord r;
        FillObsHeader(r, b.reader, nullptr, nullptr, nullptr);
        for (int t = 0; t < 7; ++t)
            EXPECT_EQ(r.counts[3][static_cast<std::size_t>(t)], e.gps3[static_cast<std::size_t>(t)])
                << "data type " << e.dataType << " type " << t;
        EXPECT_EQ(r.counts[38][kObsL1], 1);  // GLONASS slot 5 is entry 33 + 5
        EXPECT_EQ(r.counts[37][kObsL1], 0);
        EXPECT_EQ(r.wavelengthFactorL1, 1);
        EXPECT_EQ(r.wavelengthFactorL2, e.l2Factor) << "data type " << e.dataType;
    }
}

TEST(obs_header_fill, receiver_texts_and_gps_only_letter) {
    BHeader h;
    h.receiverType = "G12";
    h.versionFirst = "1E00";
    h.versionSecond = "ZC03";
    BFileBuilder builder(h);
    builder.Add(Epoch(100.0, {Satellite(1, {0})}));
    OpenedBFile b(builder);
    ObsHeaderRecord r;
    r.systemLetter = 'M';
    FillObsHeader(r, b.reader, -1, 0.0, nullptr, nullptr);
    EXPECT_EQ(r.receiverType, "Ashtech G12");
    EXPECT_EQ(r.receiverVersion, "1E00      ZC03");
    EXPECT_EQ(r.markerNumberPresent, 1);
    EXPECT_EQ(r.systemLetter, 'G');
    EXPECT_EQ(r.lastPresent, 1);
}

TEST(obs_header_fill, mixed_letter_for_glonass_models_in_any_case) {
    const std::pair<const char*, char> cases[] = {{"GG24", 'M'},    {"gg24", 'M'}, {"z18", 'M'},
                                                  {"Gg-XxIv", 'M'}, {"G12", 'G'},  {"XZ18-B", 'G'}};
    for (const auto& [type, letter] : cases) {
        BHeader h;
        h.receiverType = type;
        BFileBuilder builder(h);
        builder.Add(Epoch(100.0, {}));
        OpenedBFile b(builder);
        ObsHeaderRecord r;
        FillObsHeader(r, b.reader, -1, 0.0, nullptr, nullptr);
        EXPECT_EQ(r.systemLetter, letter) << type;
    }
}

TEST(obs_header_fill, site_file_values_replace_the_receiver_texts) {
    BHeader h;
    h.receiverType = "GG24";
    BFileBuilder builder(h);
    builder.Add(Epoch(100.0, {}));
    OpenedBFile b(builder);
    SiteRecord site;
    site.loaded = 1;
    site.siteName = "PIER";
    site.observer = "ABC";
    site.receiverType = "UZ-12 with a long model name";
    site.receiverNumber = "123";
    site.antennaNumber = "456";
    site.versionFirst = "CD00";
    site.versionSecond = "UNKN";
    site.line6[0] = 1.2345;
    ObsHeaderRecord r;
    r.antennaNorth = r.antennaEast = r.antennaSlant = r.antennaRadius = 9.0;
    FillObsHeader(r, b.reader, -1, 0.0, &site, nullptr);
    EXPECT_EQ(r.markerName, "PIER");
    EXPECT_EQ(r.observer, "ABC");
    EXPECT_EQ(r.receiverType, "Ashtech UZ-12 with a");
    EXPECT_EQ(r.receiverNumber, "123");
    EXPECT_EQ(r.antennaNumber, "456");
    EXPECT_EQ(r.receiverVersion, "CD00      ");
    EXPECT_EQ(r.antennaNorth, 0.0);
    EXPECT_EQ(r.antennaEast, 0.0);
    EXPECT_EQ(r.antennaSlant, 0.0);
    EXPECT_EQ(r.antennaRadius, 0.0);
    EXPECT_EQ(r.antennaDeltaVertical, 1.2345);
    EXPECT_EQ(r.systemLetter, 'G');  // the S-file's receiver is GPS only

    site.loaded = 0;  // a record not read changes nothing
    ObsHeaderRecord unchanged;
    FillObsHeader(unchanged, b.reader, -1, 0.0, &site, nullptr);
    EXPECT_EQ(unchanged.markerName, "");
    EXPECT_EQ(unchanged.systemLetter, 'M');
}

struct Span {
    std::int32_t firstWeek, lastWeek;
};

Span FilledSpan(std::int32_t headerWeek, double firstSeconds, double lastSeconds,
                std::int32_t navWeek, double navSeconds) {
    BHeader h;
    h.week = headerWeek;
    BFileBuilder builder(h);
    builder.Add(Epoch(firstSeconds, {}));
    // Epochs in between keep every gap under the day the reader takes as plausible.
    for (double t = firstSeconds + 40000.0; t < lastSeconds; t += 40000.0)
        builder.Add(Epoch(t, {}));
    builder.Add(Epoch(lastSeconds, {}));
    OpenedBFile b(builder);
    ObsHeaderRecord r;
    FillObsHeader(r, b.reader, navWeek, navSeconds, nullptr, nullptr);
    EXPECT_EQ(r.firstSeconds, firstSeconds);
    EXPECT_EQ(r.lastSeconds, lastSeconds);
    return {r.firstWeek, r.lastWeek};
}

TEST(obs_header_fill, efile_week_replaces_the_bfile_week) {
    // No E-file, or the same week: the B-file's weeks stay.
    Span s = FilledSpan(2300, 604000.0, 100.0, -1, 0.0);
    EXPECT_EQ(s.firstWeek, 2300);
    EXPECT_EQ(s.lastWeek, 2301);
    s = FilledSpan(2300, 1000.0, 2000.0, 2300, 900.0);
    EXPECT_EQ(s.firstWeek, 2300);
    // Unknown B-file week: the E-file week, on the same side of the week boundary.
    s = FilledSpan(0, 1000.0, 2000.0, 2300, 900.0);
    EXPECT_EQ(s.firstWeek, 2300);
    EXPECT_EQ(s.lastWeek, 2300);
    // E-file starting late on the previous Saturday: one week later.
    s = FilledSpan(0, 100.0, 200000.0, 2299, 604700.0);
    EXPECT_EQ(s.firstWeek, 2300);
    EXPECT_EQ(s.lastWeek, 2300);
    // E-file starting early in the next week: one week earlier; the span keeps its length.
    s = FilledSpan(17, 604000.0, 100.0, 2301, 50.0);
    EXPECT_EQ(s.firstWeek, 2300);
    EXPECT_EQ(s.lastWeek, 2301);
}

// A spacing that is no whole number of seconds gives 0, which the writer leaves out.
TEST(obs_header_fill, interval_only_in_whole_seconds) {
    for (const auto& [spacing, expected] :
         {std::pair{0.5, 0}, std::pair{30.0, 30}, std::pair{1.0, 1}, std::pair{15.0, 15},
          std::pair{1.5, 0}, std::pair{0.2, 0}}) {
        BFileBuilder builder;
        for (int i = 0; i < 5; ++i)
            builder.Add(Epoch(1000.0 + spacing * i, {}));
        OpenedBFile b(builder);
        ObsHeaderRecord r;
        FillObsHeader(r, b.reader, -1, 0.0, nullptr, nullptr);
        EXPECT_EQ(r.interval, expected) << spacing;
    }
}

TEST(obs_header_fill, leap_seconds_from_a_loaded_ion_record) {
    BFileBuilder builder;
    builder.Add(Epoch(100.0, {}));
    OpenedBFile b(builder);
    IonRecord ion;
    le::PutI2(&ion.bytes[54], 18);
    ObsHeaderRecord r;
    r.leapSeconds = 5;
    FillObsHeader(r, b.reader, -1, 0.0, nullptr, &ion);  // not loaded: the data's date says
    EXPECT_EQ(r.leapSeconds, GpsMinusUtcAt(r.firstWeek, r.firstSeconds));
    EXPECT_EQ(r.leapSeconds, 13);
    ion.loaded = 1;
    FillObsHeader(r, b.reader, -1, 0.0, nullptr, &ion);
    EXPECT_EQ(r.leapSeconds, 18);
    FillObsHeader(r, b.reader, -1, 0.0, nullptr, nullptr);
    EXPECT_EQ(r.leapSeconds, 13);
}

}  // namespace
}  // namespace kelvrant
