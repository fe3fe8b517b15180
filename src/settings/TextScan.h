// Line reading and locale-independent number scanning and printing shared by the
// configuration file and the parameter file. Numbers never depend on the process locale, so
// a window toolkit that switches LC_NUMERIC cannot turn "1.5" into "1,5" in either file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kelvrant {

/// Reads one whole line, its line feed included when there is one, whatever its length.
/// Returns false at the end of the file (nothing read) or on a read error.
bool ReadTextLine(std::FILE* file, std::string& line);

/// A cursor over a value text that scans items the way "%d", "%lf" and "%c" do: numbers skip
/// leading white space and stop at the first character that cannot continue them; a
/// character item takes the next character, whatever it is.
class ValueScanner {
  public:
    explicit ValueScanner(std::string_view text) : text_(text) {}
    /// A decimal integer; false when none can be read or it does not fit 32 bits.
    bool Int(std::int32_t& value);
    /// A real; false when none can be read or it lies beyond the range of a double.
    bool Real(double& value);
    /// Any one character; false at the end of the text.
    bool Char();
    /// The text not yet scanned.
    std::string_view Rest() const { return text_.substr(pos_); }

  private:
    void SkipSpace();
    std::string_view text_;
    std::size_t pos_ = 0;
};

/// Appends `value` with `decimals` digits after the point, as "%.Nf" prints it in the C locale.
void AppendDecimals(std::string& out, double value, int decimals);
/// Appends a decimal integer.
void AppendInteger(std::string& out, std::int32_t value);

}  // namespace kelvrant
