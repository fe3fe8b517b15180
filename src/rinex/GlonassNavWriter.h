// The RINEX 2.01 GLONASS navigation writer: a header with the GLONASS system time correction,
// which is only known once the first GLONASS record has been seen, then one four-line record
// per GLONASS ephemeris.
#pragma once

#include <string>

#include "ashtech/EFileReader.h"
#include "geo/GpsTime.h"
#include "rinex/LineWriter.h"
#include "rinex/NavHeader.h"

namespace kelvrant {

/// Writes the file. The header's CORR TO SYSTEM TIME comes from the first GLONASS record, so
/// the header is written when that record arrives (or by Finish when none did).
class GlonassNavWriter {
  public:
    GlonassNavWriter(TextSink& sink, const WriterOptions& options);

    /// Takes the header record (run-by text, comments, leap seconds); its correction fields
    /// are used only when no GLONASS record is written.
    void SetHeader(const NavHeaderRecord& header);
    /// Writes the four lines of a GLONASS record; a GPS record (satellite 32 or less) writes
    /// nothing. The first record dates the correction to system time and writes the header.
    void WriteRecord(const AshNavRecord& record);
    /// Writes the header if no record did.
    void Finish();

  private:
    void WriteHeader();

    WriterOptions options_;
    LineWriter lines_;
    NavHeaderRecord header_;
    bool headerWritten_ = false;
    std::string line_;
};

/// Sets the CORR TO SYSTEM TIME fields from the first GLONASS record of a run: the calendar
/// date of its GPS week and seconds of week, and the correction -tau_c.
void SetGlonassCorrection(NavHeaderRecord& header, const AshNavRecord& record);

/// The epoch of a GLONASS record in GPS week and seconds of week: its ephemeris reference time
/// tb (seconds of the Moscow day, UTC + 3 h) on the day nearest to the message time.
void GlonassEpoch(const AshNavRecord& record, std::int32_t& week, double& secondsOfWeek);
/// The message frame time tk as seconds of the UTC day, 0..86399 for valid input.
double GlonassFrameTime(const AshNavRecord& record);

}  // namespace kelvrant
