// Header values given on the command line for one run. They win over the S-file, the
// parameter file and the configuration file, and are never stored in the configuration.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kelvrant {

struct HeaderOverrides {
    std::optional<std::string> markerName;
    std::optional<std::string> markerNumber;
    std::optional<std::string> observer;
    std::optional<std::string> agency;  ///< observing agency
    std::optional<std::string> receiverNumber;
    std::optional<std::string> antennaType;
    std::optional<std::string> antennaNumber;
    std::optional<double> antennaHeight;                  ///< the H of ANTENNA: DELTA H/E/N
    std::optional<std::array<double, 3>> antennaOffsets;  ///< H, E, N
    bool positionFromData = false;                        ///< --position auto
    std::optional<std::array<double, 3>> position;        ///< X, Y, Z
    std::vector<std::string> comments;                    ///< replace the configured ones
    std::optional<bool> doppler;
    std::optional<bool> intervalLine;
    std::optional<bool> obsCounts;

    /// True when an option that only an observation header has was given.
    bool HasObservationOnlyValues() const {
        return observer || agency || receiverNumber || antennaType || antennaNumber ||
               antennaHeight || antennaOffsets || positionFromData || position || doppler ||
               intervalLine || obsCounts;
    }
};

}  // namespace kelvrant
