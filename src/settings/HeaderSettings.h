// The program-wide RINEX header values and observation and met options, persisted in the
// [RINEXDAT] section of the configuration file, edited by the header windows and replaced by a
// parameter file, and the one table of how wide each of their texts is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/EditingChoices.h"
#include "settings/OutputFormat.h"

namespace kelvrant {

/// How many characters of each header text the configuration file, the parameter file, the
/// header windows and the RINEX header records hold; longer texts are cut to it. The header
/// fields are this wide, so a value that fits here is never cut again by a writer.
namespace headerwidth {
inline constexpr int kSiteName = 60;      ///< SITE_NAME, MARKER NAME
inline constexpr int kSiteNumber = 60;    ///< SITE_NUMBER, MARKER NUMBER
inline constexpr int kStaNum = 20;        ///< the header windows' station number edit
inline constexpr int kCreateAgency = 20;  ///< CREATE_AGENCY, the agency of PGM / RUN BY / DATE
inline constexpr int kObserver = 20;      ///< OBSERVER
inline constexpr int kObservAgency = 40;  ///< OBSERVER_AGENCY
inline constexpr int kComment = 60;       ///< COMMENT1..3, METCMT1..3, COMMENT lines
inline constexpr int kRcvrType = 20;      ///< RCVR_TYPE
inline constexpr int kRcvrSN = 20;        ///< RCVR_SERNUM
inline constexpr int kRcvrVer = 20;       ///< RCVR_VER
inline constexpr int kAntType = 20;       ///< ANT_TYPE
inline constexpr int kAntSN = 20;         ///< ANT_SERNUM
inline constexpr int kSensor = 20;        ///< model and type of a met sensor
inline constexpr int kParameterSite = 4;  ///< SITE_NAME of a parameter file
inline constexpr int kPosition = 15;      ///< a coordinate's edit in the header windows
inline constexpr int kOffset = 8;         ///< an antenna offset's edit in the header windows
}  // namespace headerwidth

/// The first `width` characters of `text`.
inline std::string CutToWidth(std::string_view text, int width) {
    return std::string(text.substr(0, static_cast<std::size_t>(width)));
}

struct HeaderSettings {
    std::string SiteName;                   ///< SITE_NAME
    std::string SiteNumber;                 ///< SITE_NUMBER, 60
    std::string CreateAgency;               ///< CREATE_AGENCY, 20
    std::string Observer;                   ///< OBSERVER, 20
    std::string ObserverAgency;             ///< OBSERVER_AGENCY, 40
    std::string Comment[3];                 ///< COMMENT1..3, 60 each
    std::string RcvrType;                   ///< RCVR_TYPE, 20
    std::string RcvrSerNum;                 ///< RCVR_SERNUM, 20
    std::string RcvrVer;                    ///< RCVR_VER, 20
    std::string AntType;                    ///< ANT_TYPE, 20
    std::string AntSerNum;                  ///< ANT_SERNUM, 20
    std::int32_t ApproxPosUseData = 0;      ///< APPROX_POS flag: nonzero takes the B-file position
    double ApproxPos[3] = {0.0, 0.0, 0.0};  ///< APPROX_POS X, Y, Z
    double AntOffsets[5] = {0.0, 0.0, 0.0, 0.0, 0.0};  ///< North, East, Slant, Radius, Delta V
    std::int32_t WriteEpInt = 0;                       ///< WRITE_EPINT
    std::int32_t WriteSats = 0;                        ///< WRITE_SATS
    std::int32_t MsObsHandling = 0;                    ///< MS_OBS_HANDLING
    std::int32_t SmoothCode = 0;                       ///< SMOOTH_CODE
    std::int32_t WriteSiteChngs = 0;                   ///< WRITE_SITE_CHNGS
    std::int32_t AllowDoplr = 0;                       ///< ALLOW_DOPLR
    std::string MetComment[3];                         ///< METCMT1..3, 60 each
    std::string MetPressMod;                           ///< MET_PRESS_MOD, 20
    std::string MetPressTyp;                           ///< MET_PRESS_TYP, 20
    double MetPressAcc = 0.0;                          ///< MET_PRESS_ACC
    double MetPressPos[3] = {0.0, 0.0, 0.0};           ///< MET_PRESS_POS X, Y, Z
    std::string MetTempMod;                            ///< MET_TEMP_MOD, 20
    std::string MetTempTyp;                            ///< MET_TEMP_TYP, 20
    double MetTempAcc = 0.0;                           ///< MET_TEMP_ACC
    std::int32_t MetTempUsePress = 0;                  ///< MET_TEMP_POS flag (0 or 1)
    double MetTempPos[3] = {0.0, 0.0, 0.0};            ///< MET_TEMP_POS X, Y, Z
    std::string MetHumidMod;                           ///< MET_HUMID_MOD, 20
    std::string MetHumidTyp;                           ///< MET_HUMID_TYP, 20
    double MetHumidAcc = 0.0;                          ///< MET_HUMID_ACC
    std::int32_t MetHumidUsePress = 0;                 ///< MET_HUMID_POS flag (0 or 1)
    double MetHumidPos[3] = {0.0, 0.0, 0.0};           ///< MET_HUMID_POS X, Y, Z
    double MetUtc2Gps = 0.0;                           ///< MET_UTC_2_GPS
    OutputFormat Output;                               ///< the [OUTPUT] section
    EditingChoices Editing;                            ///< the [EDITING] section
    std::string SiteLogDir;  ///< [SITELOGS] FOLDER: IGS site logs for unattended runs
};

/// The main window's placement: maximized (0/1), left, top, width, height.
struct WindowPlacement {
    std::int32_t maximized = 0;
    std::int32_t left = -1;
    std::int32_t top = -1;
    std::int32_t width = -1;
    std::int32_t height = -1;
};

}  // namespace kelvrant
