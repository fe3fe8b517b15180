// The line forms every RINEX writer shares: header lines of exactly 80 columns, data lines
// without trailing blanks, each ending in CR LF, and the PGM / RUN BY / DATE and COMMENT lines
// all headers use alike. A line writer formats into its own buffer and hands each line to its
// sink.
#pragma once

#include <string>
#include <string_view>

#include "geo/Clock.h"
#include "rinex/HeaderLabels.h"
#include "rinex/TextSink.h"

namespace kelvrant {

/// What every writer needs besides its records: the program name of the PGM field and the
/// clock that dates the file.
struct WriterOptions {
    std::string_view programName;
    const Clock& clock;
};

class LineWriter {
  public:
    explicit LineWriter(TextSink& sink) : sink_(sink) {}

    /// Formats, pads with blanks (or cuts) to exactly 80 columns and writes it with CR LF.
    [[gnu::format(printf, 2, 3)]] void HeaderLine(const char* format, ...);
    /// Formats, removes trailing blanks and writes it with CR LF.
    [[gnu::format(printf, 2, 3)]] void DataLine(const char* format, ...);
    /// HeaderLine and DataLine of a ready text.
    void HeaderText(std::string_view text);
    void DataText(std::string_view text);
    /// Bytes as they are (the caller supplies the line ends).
    void Raw(std::string_view bytes) { sink_.Write(bytes); }

    /// The PGM / RUN BY / DATE line: program name, run-by text, the clock's UTC date and time.
    void PgmRunByDate(const WriterOptions& options, std::string_view runBy);
    /// One COMMENT line.
    void Comment(std::string_view comment);

  private:
    void EndHeaderLine();
    void EndDataLine();

    TextSink& sink_;
    std::string line_;
};

/// Formats at the end of `buffer` (nothing when buffer is null). Never truncates.
[[gnu::format(printf, 2, 3)]] void AppendFormat(std::string* buffer, const char* format, ...);
/// printf into a new string, never truncated.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...);

}  // namespace kelvrant
