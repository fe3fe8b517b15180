// The program-wide RINEX header values and observation and met options, persisted in the
// [RINEXDAT] section of the configuration file, edited by the header windows and replaced by a
// parameter file. Texts hold at most the width noted beside them (the k...Width constants).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/OutputFormat.h"

namespace kelvrant {

/// Widths of the texts of HeaderSettings; longer texts are cut to them.
inline constexpr std::size_t kWideTextWidth = 60;    ///< names, numbers and comments
inline constexpr std::size_t kAgencyTextWidth = 40;  ///< OBSERVER_AGENCY
inline constexpr std::size_t kShortTextWidth = 20;   ///< agency, observer, equipment, sensors

struct HeaderSettings {
    std::string SiteName;                   ///< SITE_NAME, 60
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
