// Line forms of RINEX 3 headers shared by the observation, navigation and met writers: the
// 80-column header line, the data line without trailing blanks, the RINEX 3 PGM / RUN BY /
// DATE line (date with time zone) and COMMENT lines.
#pragma once

#include <string>
#include <string_view>

#include "geo/Clock.h"
#include "rinex/TextSink.h"

namespace kelvrant::rinex3 {

/// The program name of the PGM field and the time the file is dated with.
struct FileDating {
    std::string programName = "Kelvrant";
    UtcTime created;
};

/// `text` (cut or padded to 60 columns) and `label` (20 columns), CR LF.
void HeaderLine(TextSink& sink, std::string_view text, std::string_view label);
/// `text` without its trailing blanks, CR LF.
void DataLine(TextSink& sink, std::string_view text);
/// "program, run by, yyyymmdd hhmmss UTC".
void PgmRunByDate(TextSink& sink, const FileDating& dating, std::string_view runBy);

}  // namespace kelvrant::rinex3
