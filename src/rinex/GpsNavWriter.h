// The RINEX 2 GPS navigation writer: a header with the ION file's ionosphere and UTC
// parameters, then one eight-line record per GPS ephemeris. Also the D-exponent number form
// shared with the GLONASS navigation writer.
#pragma once

#include <string>

#include "ashtech/EFileReader.h"
#include "rinex/LineWriter.h"
#include "rinex/NavHeader.h"

namespace kelvrant {

/// Appends `value` in the FORTRAN D-exponent form of navigation files: value x 10 is printed
/// with `format` (an e-conversion with a width and 11 or 3 decimals), its last e/E becomes D
/// and the decimal point changes places with the digit before it ("%19.11le" of 1.234e-5 gives
/// "  .123400000000D-04").
[[gnu::format(printf, 2, 0)]] void FormatDValue(std::string& line, const char* format,
                                                double value);

class GpsNavWriter {
  public:
    GpsNavWriter(TextSink& sink, const WriterOptions& options);

    void WriteHeader(const NavHeaderRecord& header);
    /// Writes the eight lines of a GPS record (angles in radians, as the E-file reader gives
    /// them); a GLONASS record (satellite above 32) writes nothing.
    void WriteRecord(const AshNavRecord& record);

  private:
    WriterOptions options_;
    LineWriter lines_;
    std::string line_;
};

}  // namespace kelvrant
