// The RINEX 2 GPS navigation writer: a header with the ION file's ionosphere and UTC
// parameters, then one eight-line record per GPS ephemeris. Also the D-exponent number form
// shared with the GLONASS navigation writer.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "ashtech/EFileReader.h"
#include "rinex/NavHeader.h"

namespace kelvrant {

/// Appends `value` in the FORTRAN D-exponent form of navigation files: value x 10 is printed
/// with `format` (an e-conversion with a width and 11 or 3 decimals), its last e/E becomes D
/// and the decimal point changes places with the digit before it ("%19.11le" of 1.234e-5 gives
/// "  .123400000000D-04").
[[gnu::format(printf, 2, 0)]] void FormatDValue(std::string& line, const char* format,
                                                double value);

/// Claims a writer slot for `file` (not owned, open for binary writing at its start), stores
/// the program name and the angle-factor flag (nonzero: the record angles are in radians;
/// zero: they are in semicircles and multiplied by pi) and writes the whole header.
/// The slot 0..11, or -1 (no file, no free slot).
int OpenGpsNav(std::string_view programName, int anglesInRadians, std::FILE* file,
               const NavHeaderRecord& header);
/// Writes the eight lines of a GPS record. 1 on success, also when nothing is written because
/// `satellite` is above 32; 0 for an invalid slot or one without file.
int WriteGpsNavRecord(int slot, int satellite, const AshNavRecord& record);
/// Frees the slot without closing the file. 1, or 0 for a slot number outside 0..11.
int CloseGpsNav(int slot);

}  // namespace kelvrant
