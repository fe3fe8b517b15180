// The met data file reader (see MetLogReader.h).
#include "ashtech/MetLogReader.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "geo/TimeConstants.h"

namespace kelvrant {
namespace {

constexpr std::string_view kGpxdrPrefix = "$GPXDR,P";
constexpr std::string_view kPashrPrefix = "$PASHR,XDR,P";
constexpr std::string_view kXdrPrefix = "XDR,P";
constexpr std::string_view kTimePrefix = "$GPGXP,";
constexpr std::string_view kGpsTimePrefix = "C ";

constexpr std::size_t kMaxFieldChars = 95;
constexpr std::size_t kMaxTimeChars = 59;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsSign(char c) {
    return c == '+' || c == '-';
}

std::string_view SkipSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    return text.substr(i);
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A number whose magnitude lies beyond the double range reads as HUGE_VAL when too large and
// as zero when too small, as "%lf" gives it. Which one follows from the position of the first
// significant digit and the exponent (decimal digits and exponent, or hexadecimal digits of
// four bits each and a binary exponent).
double OutOfRangeMagnitude(std::string_view matched, bool hex) {
    const int base = hex ? 16 : 10;
    const char exponentLower = hex ? 'p' : 'e';
    std::size_t i = 0;
    long long integerDigits = 0;
    long long firstSignificant = 0;  // weight of the first nonzero digit, in digits
    bool found = false;
    while (i < matched.size()) {
        const int d = DigitValue(matched[i]);
        if (d < 0 || d >= base) break;
        if (d != 0 && !found) {
            found = true;
            firstSignificant = integerDigits;
        }
        ++integerDigits;
        ++i;
    }
    long long weight = 0;
    if (found) weight = integerDigits - firstSignificant - 1;
    if (i < matched.size() && matched[i] == '.') {
        ++i;
        long long fraction = 0;
        while (i < matched.size()) {
            const int d = DigitValue(matched[i]);
            if (d < 0 || d >= base) break;
            ++fraction;
            if (d != 0 && !found) {
                found = true;
                weight = -fraction;
            }
            ++i;
        }
    }
    if (!found) return 0.0;
    long long exponent = 0;
    if (i < matched.size() && (matched[i] | 0x20) == exponentLower) {
        ++i;
        bool negative = false;
        if (i < matched.size() && IsSign(matched[i])) negative = matched[i++] == '-';
        while (i < matched.size() && matched[i] >= '0' && matched[i] <= '9') {
            if (exponent < 1000000000) exponent = exponent * 10 + (matched[i] - '0');
            ++i;
        }
        if (negative) exponent = -exponent;
    }
    const long long total = weight * (hex ? 4 : 1) + exponent;
    return total > 0 ? HUGE_VAL : 0.0;
}

// Parses an unsigned floating text with from_chars (locale independent) and fills in the value
// "%lf" gives for magnitudes beyond the double range. False when no digits match.
bool ParseUnsigned(std::string_view text, std::chars_format format, double& value) {
    if (text.empty() || IsSign(text.front())) return false;
    const char* first = text.data();
    const char* last = first + text.size();
    double v = 0.0;
    const auto [ptr, ec] = std::from_chars(first, last, v, format);
    if (ec == std::errc::invalid_argument) return false;
    if (ec == std::errc::result_out_of_range) {
        v = OutOfRangeMagnitude(std::string_view(first, static_cast<std::size_t>(ptr - first)),
                                format == std::chars_format::hex);
    }
    value = v;
    return true;
}

// Field k (1..9) of met data starting at the transducer type: the text after the k-th comma up
// to the next comma, CR, LF or the end, at most 95 characters.
bool MetFields(std::string_view data, std::array<std::string_view, 10>& fields) {
    std::size_t position = 0;
    for (std::size_t k = 1; k < fields.size(); ++k) {
        const std::size_t comma = data.find(',', position);
        if (comma == std::string_view::npos) return false;
        const std::size_t start = comma + 1;
        std::size_t end = data.find_first_of(",\r\n", start);
        if (end == std::string_view::npos) end = data.size();
        fields[k] = data.substr(start, std::min(end - start, kMaxFieldChars));
        position = start;
    }
    return true;
}

struct MetValues {
    std::string_view identifier;
    double pressure = 0.0;
    double temperature = 0.0;
    double humidity = 0.0;
};

bool ParseMetData(std::string_view data, MetValues& out) {
    std::array<std::string_view, 10> fields{};
    if (!MetFields(data, fields)) return false;
    double bar = 0.0;
    if (!ScanDouble(fields[1], bar)) return false;
    if (!ScanDouble(fields[5], out.temperature)) return false;
    if (!ScanDouble(fields[9], out.humidity)) return false;
    out.pressure = bar * 1000.0;
    // "inf", "nan" or a value beyond the double range is no measurement; written as such it
    // would put "inf" or "nan" into the RINEX file.
    if (!std::isfinite(out.pressure) || !std::isfinite(out.temperature) ||
        !std::isfinite(out.humidity))
        return false;
    out.identifier = fields[3];
    return true;
}

}  // namespace

bool ScanDouble(std::string_view text, double& value) {
    text = SkipSpace(text);
    bool negative = false;
    if (!text.empty() && IsSign(text.front())) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double v = 0.0;
    if (text.size() >= 2 && text[0] == '0' && (text[1] | 0x20) == 'x') {
        // Hexadecimal; "0x" without hexadecimal digits reads as the 0 before it.
        if (!ParseUnsigned(text.substr(2), std::chars_format::hex, v)) v = 0.0;
    } else if (!ParseUnsigned(text, std::chars_format::general, v)) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

bool ScanLong(std::string_view text, std::int64_t& value) {
    text = SkipSpace(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && IsSign(text.front())) return false;
    }
    std::int64_t v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    (void)ptr;
    if (ec != std::errc()) return false;
    value = v;
    return true;
}

const char* MetErrorText(int code) {
    switch (code) {
        case kMetOk:
            return "No Error.";
        case kMetNoTime:
            return "File contains met data with no time preceeding it.";
        case kMetBadTime:
            return "Incorrect format of the time message in Met file.";
        case kMetBadData:
            return "Incorrect format of the met data.";
        default:
            return "UNKNOWN ERROR CODE";
    }
}

void MetLogReader::Start(std::FILE* file, std::int32_t week, double secondsOfWeek,
                         double utcOffset) {
    file_ = file;
    week_ = week;
    seconds_ = secondsOfWeek;
    utcOffset_ = utcOffset;
    lineCount_ = 0;
    if (file_ != nullptr) std::fseek(file_, 0, SEEK_SET);
}

long MetLogReader::InputPosition() const {
    return file_ != nullptr ? std::ftell(file_) : -1L;
}

int MetLogReader::NextRecord(int& error, std::int32_t& lineCount, std::string& name,
                             std::size_t nameSize, std::int32_t& week, double& seconds,
                             double& pressure, double& temperature, double& humidity) {
    error = kMetOk;
    lineCount = lineCount_;
    bool timeSeen = false;
    if (file_ == nullptr) return 0;
    char buffer[kMetMaxLineRead + 1];
    while (std::fgets(buffer, static_cast<int>(sizeof buffer), file_) != nullptr) {
        if (lineCount_ < std::numeric_limits<std::int32_t>::max()) ++lineCount_;
        lineCount = lineCount_;
        // The line ends at its first NUL byte, as every text test of it does.
        const std::string_view line(buffer, std::strlen(buffer));

        std::size_t dataStart = 0;
        if (line.starts_with(kGpxdrPrefix))
            dataStart = kGpxdrPrefix.size() - 1;
        else if (line.starts_with(kPashrPrefix))
            dataStart = kPashrPrefix.size() - 1;
        else if (line.starts_with(kXdrPrefix))
            dataStart = kXdrPrefix.size() - 1;

        if (dataStart != 0) {
            if (!timeSeen) {
                error = kMetNoTime;
                continue;
            }
            MetValues values;
            if (!ParseMetData(line.substr(dataStart), values)) {
                error = kMetBadData;
                continue;
            }
            const std::size_t keep = nameSize > 0 ? nameSize - 1 : 0;
            name.assign(values.identifier.substr(0, keep));
            pressure = values.pressure;
            temperature = values.temperature;
            humidity = values.humidity;
            return 1;
        }
        if (line.starts_with(kTimePrefix)) {
            if (!ReadTimeMessage(line.substr(kTimePrefix.size()))) {
                error = kMetBadTime;
                continue;
            }
            week = week_;
            seconds = seconds_;
            timeSeen = true;
            continue;
        }
        if (line.starts_with(kGpsTimePrefix) && ReadGpsTimeLine(line)) {
            week = week_;
            seconds = seconds_;
            timeSeen = true;
        }
    }
    return 0;
}

bool MetLogReader::ReadTimeMessage(std::string_view text) {
    std::string_view field = text.substr(0, text.find(','));
    field = field.substr(0, kMaxTimeChars);
    double v = 0.0;
    if (!ScanDouble(field, v)) return false;

    // hhmmss[.sss]: fractions of a second are dropped. Everything stays in doubles until the
    // ranges are checked, so that no value can overflow a conversion.
    const double hh = std::trunc(v * 0.0001);
    const double v1 = v - hh * 10000.0;
    const double mm = std::trunc(v1 * 0.01);
    const double v2 = v1 - mm * 100.0;
    const double ss = std::trunc(v2);
    if (!(hh >= 0.0 && hh <= 24.0 && mm >= 0.0 && mm <= 59.0 && ss >= 0.0 && ss <= 60.0))
        return false;

    double tod = std::fmod(hh * 3600.0 + mm * 60.0 + ss + utcOffset_, kSecondsPerDay);
    // A negative offset can take the time before UTC midnight: it is the end of the
    // previous GPS day, not a negative time of day (which would also pass for midnight).
    if (tod < 0.0) tod += kSecondsPerDay;
    if (!std::isfinite(tod)) return false;

    double day = std::trunc(std::trunc(seconds_ + 0.5) / kSecondsPerDay);
    if (tod < previousTimeOfDay_) day += 1.0;  // midnight passed
    previousTimeOfDay_ = tod;
    seconds_ = day * kSecondsPerDay + tod;
    if (seconds_ > kSecondsPerWeek) {
        seconds_ -= kSecondsPerWeek;
        if (week_ < std::numeric_limits<std::int32_t>::max()) ++week_;
    }
    return true;
}

bool MetLogReader::ReadGpsTimeLine(std::string_view line) {
    const std::size_t comma = line.find(',');
    if (line.find('.') == std::string_view::npos || comma == std::string_view::npos) return false;
    double s = 0.0;
    if (!ScanDouble(line.substr(kGpsTimePrefix.size()), s)) return false;
    if (!(s > 0.0 && s < kSecondsPerWeek)) return false;
    std::int64_t w = 0;
    if (!ScanLong(line.substr(comma + 1), w)) return false;
    if (w <= 0 || w > std::numeric_limits<std::int32_t>::max()) return false;
    week_ = static_cast<std::int32_t>(w);
    seconds_ = s;
    return true;
}

}  // namespace kelvrant
