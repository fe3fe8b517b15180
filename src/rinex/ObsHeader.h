// The RINEX 2 observation header: the record the conversion run and the header data window
// fill, its completion from the input files and the choice of observation types. ObsWriter
// writes it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvrant {

/// Observation types in header order; the index into the type flags and the counts.
enum ObsType : int {
    kObsL1 = 0,
    kObsL2 = 1,
    kObsC1 = 2,
    kObsP1 = 3,
    kObsP2 = 4,
    kObsD1 = 5,
    kObsD2 = 6,
    kObsT1 = 7,
    kObsT2 = 8,
};
inline constexpr int kObsTypeCount = 9;
/// Count entries: 0..32 GPS PRN 0..32, 33..57 GLONASS slots 0..24.
inline constexpr int kObsCountEntries = 58;
inline constexpr int kGlonassEntryBase = 33;
inline constexpr int kMaxComments = 5;

/// The observation header. Text fields may hold longer strings; the writer cuts each one to
/// its field.
struct ObsHeaderRecord {
    char systemLetter = 'G';  ///< 'G' GPS only, 'M' mixed GPS and GLONASS
    std::string markerName;
    std::int16_t markerNumberPresent = 0;
    std::string markerNumber;
    std::string runBy;
    std::string observer;
    std::string observingAgency;
    std::int16_t commentCount = 0;
    std::array<std::string, kMaxComments> comments;
    std::string receiverType;
    std::string receiverNumber;
    std::string receiverVersion;
    std::string antennaType;
    std::string antennaNumber;
    double approxX = 0.0;
    double approxY = 0.0;
    double approxZ = 0.0;
    double antennaNorth = 0.0;
    double antennaEast = 0.0;
    double antennaSlant = 0.0;
    double antennaRadius = 0.0;
    double antennaDeltaVertical = 0.0;
    std::int16_t wavelengthFactorL1 = 0;
    std::int16_t wavelengthFactorL2 = 0;
    std::array<std::int16_t, kObsTypeCount> obsTypes{};  ///< non-zero = present
    std::int16_t intervalPresent = 0;
    std::int32_t interval = 0;
    std::int32_t leapSeconds = 0;
    std::int32_t firstWeek = 0;
    double firstSeconds = 0.0;
    std::int16_t lastPresent = 0;
    std::int32_t lastWeek = 0;
    double lastSeconds = 0.0;
    std::int16_t satelliteListPresent = 0;
    std::array<std::array<std::int32_t, kObsTypeCount>, kObsCountEntries> counts{};
};

/// The antenna height written in ANTENNA: DELTA H/E/N: delta vertical plus the vertical part
/// of the slant height when the radius is smaller than the slant height.
double AntennaHeight(const ObsHeaderRecord& record);

/// Sets the L1..D2 flags for a B-file data type code (any unknown code: all seven); with
/// noDoppler D1 and D2 are cleared. T1 and T2 are left as they are.
void SetObservationTypes(ObsHeaderRecord& record, int dataType, bool noDoppler);

}  // namespace kelvrant
