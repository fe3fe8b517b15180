// The observation header writer: whole headers compared byte for byte and the observation type
// table.
#include "rinex/ObsHeader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ObsTestSupport.h"
#include "rinex/LineWriter.h"
#include "rinex/ObsWriter.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::FirstDifference;

// The text with every "\n" turned into CR LF.
std::string Crlf(const std::string& text) {
    std::string s;
    for (char c : text) {
        if (c == '\n') s += '\r';
        s += c;
    }
    return s;
}

std::string WriteHeader(const ObsHeaderRecord& r) {
    test::TestOutput out;
    ObsWriter(out.sink, out.options).WriteHeader(r);
    return out.Text();
}

ObsHeaderRecord GpsRecord() {
    ObsHeaderRecord r;
    r.systemLetter = 'G';
    r.markerName = "ROOF";
    r.markerNumberPresent = 1;
    r.markerNumber = "ROOF 0001";
    r.runBy = "Geo Lab";
    r.observer = "JS";
    r.observingAgency = "Survey Office";
    r.commentCount = 2;
    r.comments[0] = "first comment, long enough to be cut at the sixtieth column!CUT OFF";
    r.comments[1] = "second";
    r.comments[2] = "not written: beyond the count";
    r.receiverType = "Ashtech G12";
    r.receiverNumber = "RX123";
    r.receiverVersion = "1E00      1A";
    r.antennaType = "GEODETIC III";
    r.antennaNumber = "ANT9";
    r.approxX = 4027893.1234;
    r.approxY = 307045.5678;
    r.approxZ = 4919474.9101;
    r.antennaNorth = 0.01;
    r.antennaEast = 0.02;
    r.antennaSlant = 1.5;
    r.antennaRadius = 0.1;
    r.antennaDeltaVertical = 0.05;
    r.wavelengthFactorL1 = 1;
    r.wavelengthFactorL2 = 1;
    SetObservationTypes(r, 3, false);
    r.intervalPresent = 1;
    r.interval = 30;
    r.leapSeconds = 18;  // GPS-only files carry no LEAP SECONDS line
    r.firstWeek = 2300;
    r.firstSeconds = 345600.0;
    r.lastPresent = 1;
    r.lastWeek = 2300;
    r.lastSeconds = 431999.0;
    r.satelliteListPresent = 1;
    r.counts[3] = {100, 90, 100, 95, 95, 100, 90, 0, 0};
    r.counts[12] = {0, 0, 50, 0, 0, 0, 0, 0, 0};
    r.counts[17] = {0, 0, 0, 0, 0, 0, 0, 5, 5};  // only in types not written: not listed
    r.counts[0] = {1, 1, 1, 1, 1, 1, 1, 0, 0};   // entry 0 is never listed
    return r;
}

const char* const kGpsHeader =
    R"(     2              OBSERVATION DATA                        RINEX VERSION / TYPE
Kelvrant            Geo Lab              03/05/2024 14:07   PGM / RUN BY / DATE 
first comment, long enough to be cut at the sixtieth column!COMMENT             
second                                                      COMMENT             
ROOF                                                        MARKER NAME         
ROOF 0001                                                   MARKER NUMBER       
JS                  Survey Office                           OBSERVER / AGENCY   
RX123               Ashtech G12         1E00      1A        REC # / TYPE / VERS 
ANT9                GEODETIC III                            ANT # / TYPE        
  4027893.1234   307045.5678  4919474.9101                  APPROX POSITION XYZ 
        1.5467        0.0200        0.0100                  ANTENNA: DELTA H/E/N
     1     1                                                WAVELENGTH FACT L1/2
     7    L1    L2    C1    P1    P2    D1    D2            # / TYPES OF OBSERV 
    30                                                      INTERVAL            
  2024     2     8     0     0    0.000000                  TIME OF FIRST OBS   
  2024     2     8    23    59   59.000000                  TIME OF LAST OBS    
     2                                                      # OF SATELLITES     
     3   100    90   100    95    95   100    90            PRN / # OF OBS      
    12     0     0    50     0     0     0     0            PRN / # OF OBS      
                                                            END OF HEADER       
)";

const char* const kMixedHeader =
    R"(     2              OBSERVATION DATA    M                   RINEX VERSION / TYPE
Kelvrant                                 03/05/2024 14:07   PGM / RUN BY / DATE 
                                                            MARKER NAME         
                                                            OBSERVER / AGENCY   
                    Ashtech GG24                            REC # / TYPE / VERS 
                                                            ANT # / TYPE        
        0.0000        0.0000        0.0000                  APPROX POSITION XYZ 
        0.0000        0.0000        0.0000                  ANTENNA: DELTA H/E/N
     1     0                                                WAVELENGTH FACT L1/2
     1    C1                                                # / TYPES OF OBSERV 
     0                                                      LEAP SECONDS        
  2024     2    10    23    59   59.500000      GPS         TIME OF FIRST OBS   
  2024     2    11     0     0    0.000000      GPS         TIME OF LAST OBS    
     2                                                      # OF SATELLITES     
   G03     7                                                PRN / # OF OBS      
   R05     9                                                PRN / # OF OBS      
                                                            END OF HEADER       
)";

TEST(obs_header, gps_only_header_golden) {
    const std::string actual = WriteHeader(GpsRecord());
    const std::string expected = Crlf(kGpsHeader);
    EXPECT_EQ(FirstDifference(expected, actual), "");
}

TEST(obs_header, mixed_header_golden) {
    ObsHeaderRecord r;
    r.systemLetter = 'M';
    r.receiverType = "Ashtech GG24";
    r.wavelengthFactorL1 = 1;
    r.wavelengthFactorL2 = 0;
    SetObservationTypes(r, 4, true);
    r.intervalPresent = 0;
    r.firstWeek = 2300;
    r.firstSeconds = 604799.5;
    r.lastPresent = 1;
    r.lastWeek = 2301;
    r.lastSeconds = 0.0;  // an exact midnight stays on its own day
    r.satelliteListPresent = 1;
    r.counts[3][kObsC1] = 7;
    r.counts[3][kObsL1] = 3;  // L1 is not written for data type 4
    r.counts[5][kObsL1] = 4;  // only in a type not written: not listed
    r.counts[kGlonassEntryBase + 5][kObsC1] = 9;
    r.counts[kGlonassEntryBase][kObsC1] = 9;  // GLONASS slot 0 is never listed
    const std::string actual = WriteHeader(r);
    EXPECT_EQ(FirstDifference(Crlf(kMixedHeader), actual), "");
}

TEST(obs_header, every_line_is_80_columns_and_long_text_is_cut) {
    ObsHeaderRecord r = GpsRecord();
    r.markerName = std::string(100, 'N');
    for (auto& c : r.counts[3])
        c = 2147483647;  // seven wide counts overflow the 60 columns
    r.approxX = -1e20;
    const std::string text = WriteHeader(r);
    std::size_t start = 0;
    int lines = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(end - start, 80u) << text.substr(start, end - start);
        start = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, 20);
    EXPECT_NE(text.find(std::string(60, 'N') + "MARKER NAME"), std::string::npos);
    std::string wide = "     3";
    for (int i = 0; i < 7; ++i)
        wide += "2147483647";
    EXPECT_NE(text.find("\r\n" + wide + "PRN \r\n"), std::string::npos);
}

TEST(obs_header, antenna_height_adds_the_vertical_part_of_the_slant) {
    ObsHeaderRecord r;
    r.antennaDeltaVertical = 0.05;
    r.antennaSlant = 1.5;
    r.antennaRadius = 0.1;
    EXPECT_DOUBLE_EQ(AntennaHeight(r), 0.05 + std::sqrt(2.25 - 0.01));
    r.antennaRadius = 1.5;  // radius not smaller than the slant: nothing added
    EXPECT_DOUBLE_EQ(AntennaHeight(r), 0.05);
    r.antennaRadius = 2.0;
    EXPECT_DOUBLE_EQ(AntennaHeight(r), 0.05);
}

std::string TypesLine(int dataType, bool noDoppler) {
    ObsHeaderRecord r;
    r.obsTypes[kObsT1] = 0;
    SetObservationTypes(r, dataType, noDoppler);
    const std::string text = WriteHeader(r);
    const std::size_t end = text.find("# / TYPES OF OBSERV ");
    const std::size_t begin = text.rfind("\r\n", end) + 2;
    std::string line = text.substr(begin, end - begin);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

TEST(obs_header, types_line_for_each_data_type) {
    EXPECT_EQ(TypesLine(1, false), "     3    L1    C1    D1");
    EXPECT_EQ(TypesLine(1, true), "     2    L1    C1");
    EXPECT_EQ(TypesLine(2, false), "     5    L1    L2    C1    D1    D2");
    EXPECT_EQ(TypesLine(2, true), "     3    L1    L2    C1");
    EXPECT_EQ(TypesLine(3, false), "     7    L1    L2    C1    P1    P2    D1    D2");
    EXPECT_EQ(TypesLine(3, true), "     5    L1    L2    C1    P1    P2");
    EXPECT_EQ(TypesLine(4, false), "     2    C1    D1");
    EXPECT_EQ(TypesLine(4, true), "     1    C1");
    EXPECT_EQ(TypesLine(5, false), "     4    L1    C1    P1    D1");
    EXPECT_EQ(TypesLine(5, true), "     3    L1    C1    P1");
    EXPECT_EQ(TypesLine(6, false), "     6    L1    L2    C1    P2    D1    D2");
    EXPECT_EQ(TypesLine(6, true), "     4    L1    L2    C1    P2");
    EXPECT_EQ(TypesLine(0, false), "     7    L1    L2    C1    P1    P2    D1    D2");
    EXPECT_EQ(TypesLine(9, true), "     5    L1    L2    C1    P1    P2");
}

TEST(obs_header, set_observation_types_leaves_t1_t2) {
    ObsHeaderRecord r;
    r.obsTypes[kObsT1] = 1;
    r.obsTypes[kObsD2] = 1;
    SetObservationTypes(r, 1, false);
    EXPECT_EQ(r.obsTypes[kObsT1], 1);
    EXPECT_EQ(r.obsTypes[kObsT2], 0);
    EXPECT_EQ(r.obsTypes[kObsD2], 0);
}

}  // namespace
}  // namespace kelvrant
