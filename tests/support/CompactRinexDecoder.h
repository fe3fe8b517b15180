// A compact RINEX decompressor for the tests, written from the published description of the
// format (Hatanaka 2008, "A Compression Format and Tools for GNSS Observation Data") and kept
// apart from the program's encoder, so that an encoder fault cannot hide behind a matching
// decoder fault. It restores RINEX 2 from CRINEX 1.0 and RINEX 3 from CRINEX 3.0 in the line
// layout this program writes (trailing blanks removed, the line end of the compact file).
#pragma once

#include <string>
#include <string_view>

namespace kelvrant::test {

/// The RINEX text, or an empty string with `error` set when the input is not valid compact
/// RINEX (a difference without the start of its arc, a short line, an unknown version).
std::string DecodeCompactRinex(std::string_view compact, std::string& error);

}  // namespace kelvrant::test
