// The RINEX version 2 meteorological writer: a header describing the station and up to three
// sensors (pressure PR, dry temperature TD, relative humidity HR), then one line per met record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "rinex/LineWriter.h"

namespace kelvrant {

/// The met file header. Text fields hold at most the width noted; longer text is cut when
/// written. A sensor counts as present when its presence value is nonzero.
struct MetHeaderRecord {
    std::string markerName;                ///< 60
    std::int16_t markerNumberPresent = 0;  ///< nonzero: write MARKER NUMBER
    std::string markerNumber;              ///< 60
    std::string runBy;                     ///< 20, agency in PGM / RUN BY / DATE
    std::int16_t commentCount = 0;         ///< 0..3
    std::array<std::string, 3> comments;   ///< 60 each

    std::int16_t prPresent = 0;  ///< pressure sensor
    std::string prModel;         ///< 20
    std::string prType;          ///< 20
    double prAccuracy = 0.0;     ///< mbar
    double prX = 0.0;            ///< sensor position, geocentric, m
    double prY = 0.0;
    double prZ = 0.0;

    std::int16_t tdPresent = 0;  ///< dry temperature sensor
    std::string tdModel;
    std::string tdType;
    double tdAccuracy = 0.0;            ///< deg C
    std::int32_t tdUsesPrPosition = 0;  ///< nonzero: at the pressure sensor's position
    double tdX = 0.0;
    double tdY = 0.0;
    double tdZ = 0.0;

    std::int16_t hrPresent = 0;  ///< relative humidity sensor
    std::string hrModel;
    std::string hrType;
    double hrAccuracy = 0.0;            ///< %
    std::int32_t hrUsesPrPosition = 0;  ///< nonzero: at the pressure sensor's position
    double hrX = 0.0;
    double hrY = 0.0;
    double hrZ = 0.0;
};

class MetWriter {
  public:
    MetWriter(TextSink& sink, const WriterOptions& options);

    /// Writes the header and keeps the sensors' presence for the records.
    void WriteHeader(const MetHeaderRecord& header);
    /// Writes one record line: the date and time of the GPS week and seconds of week, then the
    /// pressure, temperature and humidity of the sensors present. False, with nothing written,
    /// for a time the calendar cannot date (not finite, or a week outside 0..300000000).
    bool WriteRecord(std::int32_t week, double secondsOfWeek, double pressure, double temperature,
                     double humidity);

  private:
    WriterOptions options_;
    LineWriter lines_;
    bool pressure_ = false;
    bool temperature_ = false;
    bool humidity_ = false;
    std::string line_;
};

}  // namespace kelvrant
