// The met data file reader: turns the NMEA-style lines that an Ashtech receiver logs from a met
// sensor package into records of GPS week, GPS seconds of week, pressure (mbar), dry
// temperature (deg C) and relative humidity (%). Each transducer reading needs a time line
// ($GPGXP UTC time message or "C " GPS time line) since the previous record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kelvrant {

/// Error codes of the met data file reader.
enum : int {
    kMetOk = 0,
    kMetNoTime = 1,   ///< met data with no time line since the previous record
    kMetBadTime = 2,  ///< a $GPGXP time message that does not read as hhmmss
    kMetBadData = 3,  ///< a met data line with a missing field or a field without a number
};

/// The name buffer size the conversion run passes (the identifier keeps at most 19 characters).
inline constexpr std::size_t kMetNameBufferSize = 20;

/// Characters taken per line read; a longer line is read as several lines.
inline constexpr std::size_t kMetMaxLineRead = 511;

/// The text of a reader error code ("UNKNOWN ERROR CODE" for codes outside 0..3).
const char* MetErrorText(int code);

class MetLogReader {
  public:
    /// Stores the file (not owned, opened for text reading), the GPS week and seconds of week
    /// of the start of the data and the UTC-to-GPS offset in seconds; resets the line count
    /// and seeks the file to its start. The previous time of day is kept (one reader serves
    /// one conversion).
    void Start(std::FILE* file, std::int32_t week, double secondsOfWeek, double utcOffset);

    /// Reads lines up to the next met record. Returns 1 with a record, 0 at the end of the
    /// file (or without a file). `error` is set to 0 at the start of each call and then holds
    /// the code of the last line skipped in this call, so after a 0 result it is nonzero
    /// exactly when a failed line came after the last record (with a record it only tells of
    /// skipped lines). `lineCount` is the number of lines read since Start. `week` and
    /// `seconds` are written whenever a time line is accepted. The transducer identifier goes
    /// into `name`, cut to nameSize - 1 characters; name, pressure, temperature and humidity
    /// are written only with a record.
    int NextRecord(int& error, std::int32_t& lineCount, std::string& name, std::size_t nameSize,
                   std::int32_t& week, double& seconds, double& pressure, double& temperature,
                   double& humidity);

    /// Lines read since Start.
    std::int32_t LineCount() const { return lineCount_; }
    /// The input file's position in bytes (for progress), or -1 without a file.
    long InputPosition() const;

  private:
    bool ReadTimeMessage(std::string_view text);
    bool ReadGpsTimeLine(std::string_view line);

    std::FILE* file_ = nullptr;
    std::int32_t lineCount_ = 0;
    std::int32_t week_ = 0;
    double seconds_ = 0.0;
    double utcOffset_ = 0.0;
    double previousTimeOfDay_ = 0.0;
};

/// Reads a number the way "%lf" does: leading white space, an optional sign, then the longest
/// prefix that forms a decimal or hexadecimal floating number, "inf", "infinity" or "nan".
/// Independent of the C locale. False when no number starts the text.
bool ScanDouble(std::string_view text, double& value);

/// Reads an integer the way "%ld" does (white space, sign, decimal digits). False when no
/// number starts the text or it does not fit in 64 bits.
bool ScanLong(std::string_view text, std::int64_t& value);

}  // namespace kelvrant
