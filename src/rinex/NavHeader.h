// The navigation header record given to the GPS and GLONASS navigation writers: run-by text,
// comments, the ION file's ionosphere and UTC parameters, and the GLONASS time correction.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ashtech/IonFile.h"

namespace kelvrant {

struct NavHeaderRecord {
    static constexpr int kMaxComments = 5;

    std::string runBy;  ///< agency for PGM / RUN BY / DATE, up to 20 characters
    std::int16_t commentCount = 0;
    std::array<std::string, kMaxComments> comments;  ///< up to 60 characters each
    std::int16_t ionPresent = 0;                     ///< nonzero: write ION ALPHA and ION BETA
    double alpha[4] = {};
    double beta[4] = {};
    std::int16_t utcPresent = 0;  ///< nonzero: write DELTA-UTC: A0,A1,T,W and LEAP SECONDS
    double a0 = 0.0;              ///< UTC polynomial constant term, s
    double a1 = 0.0;              ///< UTC polynomial first-order term, s/s
    std::int32_t t = 0;           ///< UTC reference time, s
    std::int32_t w = 0;           ///< UTC reference week
    std::int32_t leapSeconds = 0;
    std::int32_t correctionYear = 0;  ///< GLONASS CORR TO SYSTEM TIME reference date
    std::int32_t correctionMonth = 0;
    std::int32_t correctionDay = 0;
    double correction = 0.0;  ///< GLONASS correction to system time, s
};

/// Transfers the ION record into the header: without a loaded record both presence flags are
/// cleared; otherwise both are set and alpha, beta, A0, A1, T, W and the leap seconds copied.
void CopyIonToNavHeader(NavHeaderRecord& header, const IonRecord& ion);

}  // namespace kelvrant
