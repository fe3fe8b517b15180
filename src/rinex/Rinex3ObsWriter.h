// The RINEX 3.05 observation writer: the header from the same ObsHeaderRecord the RINEX 2
// writer takes, with the observation codes chosen for the receiver, then one record per
// ObservationEpoch (event records, the "> " epoch line with the clock offset, one line per
// satellite). It only formats: values, flags and times are those of the RINEX 2 file of the
// same session, so the two files carry the same observations.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "convert/ObservationCodes.h"
#include "convert/ObservationEpoch.h"
#include "rinex/ObsHeader.h"
#include "rinex/Rinex3Header.h"
#include "rinex/TextSink.h"

namespace kelvrant {

/// GLONASS frequency channel numbers by slot 1..24 (index 0 unused), from the ephemerides.
using GlonassChannels = std::array<std::optional<int>, 25>;

struct Rinex3ObsOptions {
    rinex3::FileDating dating;
    std::string receiverModel;  ///< the B-file receiver type text: chooses the codes
    int dataType = 0;           ///< the B-file data type code
    std::string markerType = "GEODETIC";
    GlonassChannels glonassChannels;
};

class Rinex3ObsWriter {
  public:
    Rinex3ObsWriter(TextSink& sink, const Rinex3ObsOptions& options);

    void WriteHeader(const ObsHeaderRecord& header);
    /// Takes the header's system and codes for the epochs after it without writing it.
    void Prepare(const ObsHeaderRecord& header);
    void WriteEpoch(const ObservationEpoch& epoch);

    /// The codes of a system as the header lists them (after WriteHeader).
    const Rinex3CodeList& Codes(GnssSystem system) const {
        return system == GnssSystem::kGps ? gps_ : glonass_;
    }

  private:
    void WriteEvent(const ObservationEpoch& epoch);
    void AppendSatellite(std::string& text, const SatelliteObservations& satellite);

    TextSink& sink_;
    Rinex3ObsOptions options_;
    bool mixed_ = false;
    Rinex3CodeList gps_;
    Rinex3CodeList glonass_;
    std::string text_;  ///< the epoch being built
};

}  // namespace kelvrant
