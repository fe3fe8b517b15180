// The RINEX 2.01 GLONASS navigation writer: a header with the GLONASS system time correction,
// which is only known once the first GLONASS record has been seen (so the header is written
// at open and rewritten in place at the end), then one four-line record per GLONASS ephemeris.
#pragma once

#include <cstdio>
#include <string_view>

#include "ashtech/EFileReader.h"
#include "geo/GpsTime.h"
#include "rinex/NavHeader.h"

namespace kelvrant {

/// Claims a writer slot for `file` (not owned, open for binary writing at its start), stores
/// the program name and writes the header. The slot 0..11, or -1 (no file, no free slot).
int OpenGlonassNav(std::string_view programName, std::FILE* file, const NavHeaderRecord& header);
/// Writes the four lines of a GLONASS record. 1, also when nothing is written because
/// `satellite` is 32 or less; 0 for an invalid slot or one without file.
int WriteGlonassNavRecord(int slot, int satellite, const AshNavRecord& record);
/// Writes the header again over the first one (same lines, same 82-byte length each, the
/// PGM / RUN BY / DATE line with the time of the rewrite) and returns to the file position it
/// found. 1, or 0 for an invalid slot or one without file.
int RewriteGlonassNavHeader(int slot, const NavHeaderRecord& header);
/// Frees the slot without closing the file. 1, or 0 for a slot number outside 0..11.
int CloseGlonassNav(int slot);

/// Sets the CORR TO SYSTEM TIME fields from the first GLONASS record of a run: the calendar
/// date of its GPS week and seconds of week, and the correction -tau_c.
void SetGlonassCorrection(NavHeaderRecord& header, const AshNavRecord& record);

/// The epoch of a GLONASS record in GPS week and seconds of week: its ephemeris reference time
/// tb (seconds of the Moscow day, UTC + 3 h) on the day nearest to the message time.
void GlonassEpoch(const AshNavRecord& record, std::int32_t& week, double& secondsOfWeek);
/// The message frame time tk as seconds of the UTC day, 0..86399 for valid input.
double GlonassFrameTime(const AshNavRecord& record);

}  // namespace kelvrant
