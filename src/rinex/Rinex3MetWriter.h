// The RINEX 3.05 meteorological writer: the same header values and records as the RINEX 2 met
// file, with the RINEX 3 version line, PGM / RUN BY / DATE form and four-digit years.
#pragma once

#include <cstdint>

#include "rinex/MetWriter.h"
#include "rinex/Rinex3Header.h"
#include "rinex/TextSink.h"

namespace kelvrant {

class Rinex3MetWriter {
  public:
    Rinex3MetWriter(TextSink& sink, const rinex3::FileDating& dating);

    void WriteHeader(const MetHeaderRecord& header);
    /// One record at a GPS week and seconds of week; false (nothing written) for a time the
    /// calendar cannot date.
    bool WriteRecord(std::int32_t week, double secondsOfWeek, double pressure, double temperature,
                     double humidity);

  private:
    TextSink& sink_;
    rinex3::FileDating dating_;
    MetHeaderRecord header_;
};

}  // namespace kelvrant
