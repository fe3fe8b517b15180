#include "ui/PositionFields.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "geo/Geodetic.h"

namespace kelvrant {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips leading blanks and an optional sign; returns the sign and the rest.
std::string_view SkipSign(std::string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    return text.substr(i);
}

// True when the degrees text is written with a minus sign (so "-0" counts as negative).
bool WrittenNegative(std::string_view text) {
    bool negative = false;
    const std::string_view rest = SkipSign(text, negative);
    return negative && !rest.empty() && IsDigit(rest.front());
}

}  // namespace

void GeoPosition::FromGeodetic() {
    ConvertGeodetic(1, kWgs84A, kWgs84F, latitude, eastLongitude, height, x, y, z);
}

void GeoPosition::FromCartesian() {
    ConvertGeodetic(0, kWgs84A, kWgs84F, latitude, eastLongitude, height, x, y, z);
}

GeoPosition LoadPosition(double x, double y, double z) {
    GeoPosition p;
    p.x = x;
    p.y = y;
    p.z = z;
    if (std::fabs(x) < 1e-9 && std::fabs(y) < 1e-9 && std::fabs(z) < 1e-9) {
        p.FromGeodetic();
    } else {
        p.FromCartesian();
    }
    return p;
}

std::string FormatFixed(double value, int precision, int width) {
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    std::string text = ec == std::errc{} ? std::string(buffer, end) : std::string("nan");
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    }
    return text;
}

std::optional<double> ScanReal(std::string_view text) {
    bool negative = false;
    const std::string_view rest = SkipSign(text, negative);
    if (rest.empty() || !(IsDigit(rest.front()) || rest.front() == '.')) return std::nullopt;
    double value = 0.0;
    const auto [ptr, ec] =
        std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::general);
    if (ec != std::errc{} || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::optional<int> ScanInt(std::string_view text) {
    bool negative = false;
    const std::string_view rest = SkipSign(text, negative);
    if (rest.empty() || !IsDigit(rest.front())) return std::nullopt;
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc{}) return std::nullopt;
    if (negative) value = -value;
    if (value < -2147483648LL || value > 2147483647LL) return std::nullopt;
    return static_cast<int>(value);
}

DmsTexts FormatDms(double value) {
    const double v = std::fabs(value);
    double degrees = std::trunc(v);
    const double r = (v - degrees) * 60.0;
    double minutes = std::trunc(r);
    double seconds = (r - minutes) * 60.0;
    // Seconds of 59.9999995 and more would show as "60.000000", which no entry accepts.
    if (FormatFixed(seconds, 6) == "60.000000") {
        seconds = 0.0;
        minutes += 1.0;
        if (minutes >= 60.0) {
            minutes = 0.0;
            degrees += 1.0;
        }
    }
    DmsTexts t;
    const auto d = static_cast<long long>(degrees);
    // Sign pushed in front rather than `"-" + text`: g++ 12 at -O3 reports a false overlap
    // (-Wrestrict) in that concatenation.
    t.degrees = std::to_string(d);
    if (value < 0.0) t.degrees.insert(t.degrees.begin(), '-');
    t.minutes = std::to_string(static_cast<long long>(minutes));
    t.seconds = FormatFixed(seconds, 6);
    return t;
}

PositionTexts FormatPosition(const GeoPosition& position) {
    PositionTexts t;
    const double west = 360.0 - position.eastLongitude;
    t.latDecimal = FormatFixed(position.latitude, 10, 14);
    t.lat = FormatDms(position.latitude);
    t.eastDecimal = FormatFixed(position.eastLongitude, 10, 14);
    t.east = FormatDms(position.eastLongitude);
    t.westDecimal = FormatFixed(west, 10, 14);
    t.west = FormatDms(west);
    t.height = FormatFixed(position.height, 3);
    t.x = FormatFixed(position.x, 4);
    t.y = FormatFixed(position.y, 4);
    t.z = FormatFixed(position.z, 4);
    return t;
}

std::optional<double> ReadDecimalDegrees(std::string_view text, double limit) {
    const std::optional<double> value = ScanReal(text);
    if (!value || std::fabs(*value) > limit) return std::nullopt;
    return value;
}

DmsEntry ReadDms(std::string_view degrees, std::string_view minutes, std::string_view seconds,
                 int limit) {
    DmsEntry entry;
    const std::optional<int> d = ScanInt(degrees);
    if (!d || std::abs(static_cast<long long>(*d)) > limit) {
        entry.error = DmsError::kDegrees;
        return entry;
    }
    const std::optional<int> m = ScanInt(minutes);
    if (!m || *m < 0 || *m >= 60) {
        entry.error = DmsError::kMinutes;
        return entry;
    }
    const std::optional<double> s = ScanReal(seconds);
    if (!s || *s < 0.0 || *s >= 60.0) {
        entry.error = DmsError::kSeconds;
        return entry;
    }
    double value = DmsToDegrees(std::abs(*d), *m, *s);
    if (WrittenNegative(degrees)) value = -value;
    if (std::fabs(value) > limit) {
        entry.error = DmsError::kCombined;
        return entry;
    }
    entry.value = value;
    return entry;
}

}  // namespace kelvrant
