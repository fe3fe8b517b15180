// The RINEX header labels, columns 61-80 of every header line. Each is exactly 20 characters,
// padded with blanks, so that "%20.20s" prints it left-aligned.
#pragma once

#include <string_view>

namespace kelvrant::label {

inline constexpr std::string_view kVersionType = "RINEX VERSION / TYPE";
inline constexpr std::string_view kPgmRunByDate = "PGM / RUN BY / DATE ";
inline constexpr std::string_view kComment = "COMMENT             ";
inline constexpr std::string_view kMarkerName = "MARKER NAME         ";
inline constexpr std::string_view kMarkerNumber = "MARKER NUMBER       ";
inline constexpr std::string_view kObserverAgency = "OBSERVER / AGENCY   ";
inline constexpr std::string_view kReceiver = "REC # / TYPE / VERS ";
inline constexpr std::string_view kAntenna = "ANT # / TYPE        ";
inline constexpr std::string_view kApproxPosition = "APPROX POSITION XYZ ";
inline constexpr std::string_view kAntennaDelta = "ANTENNA: DELTA H/E/N";
inline constexpr std::string_view kWavelengthFact = "WAVELENGTH FACT L1/2";
inline constexpr std::string_view kTypesOfObserv = "# / TYPES OF OBSERV ";
inline constexpr std::string_view kInterval = "INTERVAL            ";
inline constexpr std::string_view kLeapSeconds = "LEAP SECONDS        ";
inline constexpr std::string_view kTimeOfFirstObs = "TIME OF FIRST OBS   ";
inline constexpr std::string_view kTimeOfLastObs = "TIME OF LAST OBS    ";
inline constexpr std::string_view kNumSatellites = "# OF SATELLITES     ";
inline constexpr std::string_view kPrnNumObs = "PRN / # OF OBS      ";
inline constexpr std::string_view kEndOfHeader = "END OF HEADER       ";
inline constexpr std::string_view kIonAlpha = "ION ALPHA           ";
inline constexpr std::string_view kIonBeta = "ION BETA            ";
inline constexpr std::string_view kDeltaUtc = "DELTA-UTC: A0,A1,T,W";
inline constexpr std::string_view kCorrToSystemTime = "CORR TO SYSTEM TIME ";
inline constexpr std::string_view kSensorModTypeAcc = "SENSOR MOD/TYPE/ACC ";
inline constexpr std::string_view kSensorPos = "SENSOR POS XYZ/H    ";

static_assert(kVersionType.size() == 20);
static_assert(kPgmRunByDate.size() == 20);
static_assert(kComment.size() == 20);
static_assert(kMarkerName.size() == 20);
static_assert(kMarkerNumber.size() == 20);
static_assert(kObserverAgency.size() == 20);
static_assert(kReceiver.size() == 20);
static_assert(kAntenna.size() == 20);
static_assert(kApproxPosition.size() == 20);
static_assert(kAntennaDelta.size() == 20);
static_assert(kWavelengthFact.size() == 20);
static_assert(kTypesOfObserv.size() == 20);
static_assert(kInterval.size() == 20);
static_assert(kLeapSeconds.size() == 20);
static_assert(kTimeOfFirstObs.size() == 20);
static_assert(kTimeOfLastObs.size() == 20);
static_assert(kNumSatellites.size() == 20);
static_assert(kPrnNumObs.size() == 20);
static_assert(kEndOfHeader.size() == 20);
static_assert(kIonAlpha.size() == 20);
static_assert(kIonBeta.size() == 20);
static_assert(kDeltaUtc.size() == 20);
static_assert(kCorrToSystemTime.size() == 20);
static_assert(kSensorModTypeAcc.size() == 20);
static_assert(kSensorPos.size() == 20);

}  // namespace kelvrant::label
