// The simulated receiver session: options, constellation, and epoch-by-epoch observations of a
// station whose position, receiver clock and satellites are known exactly.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Orbit.h"
#include "SimMath.h"

namespace kelvrant::sim {

struct SimOptions {
    std::string receiver = "GG24";
    std::string versionFirst = "GC00";
    std::string versionSecond = "UNKN";
    int dataType = 3;
    int blocks = 0;  ///< 0: the count the data type needs
    long week = 0;   ///< GPS week of the start; 0 = default date
    double startSow = -1.0;
    double length = 3600.0;
    double interval = 30.0;
    std::uint64_t seed = 1;
    Vec3 station{4189980.3347, 551621.3759, 4761521.2959};
    std::string outDir = ".";
    std::string site = "KELV";
    char session = 'A';
    std::string name;  ///< file name after the leading letter, e.g. KELVA26.342; empty: derived
    bool glonass = false;
    double maskDegrees = 10.0;
    int clockJumpEpoch = -1;
    int slipEpoch = -1;  ///< the carrier of satellite slipSatellite slips at this epoch
    int slipSatellite = 0;
    int movingFirst = -1;
    int movingLast = -1;
    int siteChangeEpoch = -1;
    std::string newSite = "KEL2";
    Vec3 newSiteOffset{25.0, -40.0, 30.0};  ///< ECEF offset of the second site, metres
    bool badEphemeris = false;
    bool met = false;
    double metInterval = 300.0;
    int leapSeconds = 18;
    double codeNoise = 0.30;      ///< raw code noise, metres (1 sigma)
    double smoothedNoise = 0.02;  ///< noise left after the receiver's smoothing, metres
    int quality = 24;
    std::string truthPath;
};

/// One observation block as stored in the B-file.
struct ObsBlock {
    double rawRange = 0.0;   ///< seconds
    float smoothing = 0.0f;  ///< metres; subtracting it from the raw code gives the smoothed code
    std::uint8_t warning = 0;
    std::uint8_t quality = 0;
    std::uint8_t snr = 0;
    std::int32_t doppler = 0;  ///< 0.0001 Hz, sign as the receiver stores it
    double phase = 0.0;        ///< cycles
};

struct SatObservation {
    int number = 0;  ///< 1..32 GPS PRN, 33..56 GLONASS slot + 32
    double elevation = 0.0;
    std::vector<ObsBlock> blocks;
};

struct SimEpoch {
    std::array<char, 4> site{};
    double receiverTime = 0.0;  ///< seconds since the start of the header week, receiver clock
    Vec3 truePosition;
    Vec3 reportedPosition;
    double clockSeconds = 0.0;  ///< receiver clock offset (receiver time minus GPS time)
    int pdop100 = 0;
    std::vector<SatObservation> satellites;
};

struct Session {
    SimOptions options;
    int blocks = 1;
    std::vector<GpsEphemeris> gps;
    std::vector<GloEphemeris> glonass;
    std::vector<SimEpoch> epochs;
    std::vector<int> jumpEpochs;  ///< epochs at which the receiver clock jumped by 1 ms
    std::string baseName;         ///< e.g. KELVA26.342 (without the leading letter)
    CivilTime startCivil;
};

/// Blocks per satellite that a data type code needs.
int BlocksForDataType(int dataType);

/// Builds the whole session from the options (deterministic for a given seed).
Session Simulate(const SimOptions& options);

}  // namespace kelvrant::sim
