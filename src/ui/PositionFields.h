// The position forms of the site and sensor position dialogs without any widget: the loaded
// position (the zero-position rule), the texts of every field, and the reading and checking of
// entered texts. Numbers are read and written independently of the C locale, which the window
// toolkit sets from the environment.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvrant {

/// One position in both forms: X, Y, Z (metres, WGS-84 ECEF) and latitude, east longitude
/// (decimal degrees, east) and ellipsoidal height (metres).
struct GeoPosition {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double latitude = 0.0;
    double eastLongitude = 0.0;
    double height = 0.0;

    /// Recomputes X, Y, Z from latitude, east longitude and height.
    void FromGeodetic();
    /// Recomputes latitude, east longitude and height from X, Y, Z.
    void FromCartesian();
};

/// Loads X, Y, Z: when all three are below 1e-9 in size the position becomes latitude 0,
/// longitude 0, height 0 (X 6378137, Y 0, Z 0); otherwise the geodetic form is computed.
GeoPosition LoadPosition(double x, double y, double z);

/// A value written like printf "%*.*f" in the C locale: fixed decimals, right-aligned in width.
std::string FormatFixed(double value, int precision, int width = 0);

/// Reads a real as scanf "%lf" does (leading blanks, optional sign, the longest number, the
/// rest ignored); infinities, NaN and hexadecimal forms are refused.
std::optional<double> ScanReal(std::string_view text);
/// Reads an integer as scanf "%d" does; values beyond 32 bits are refused.
std::optional<int> ScanInt(std::string_view text);

/// Degrees, minutes and seconds of a decimal angle as the dialogs show them. The degrees carry
/// the sign; an angle strictly between -1 and 0 shows its degrees as "-0" so that the sign is
/// kept. Seconds that round to 60.000000 are carried into the minutes (and degrees).
struct DmsTexts {
    std::string degrees;
    std::string minutes;
    std::string seconds;
};
DmsTexts FormatDms(double value);

/// The texts of every field of the dialogs.
struct PositionTexts {
    std::string latDecimal;  ///< "%14.10lf"
    DmsTexts lat;
    std::string eastDecimal;  ///< "%14.10lf"
    DmsTexts east;
    std::string westDecimal;  ///< "%14.10lf" of 360 - east longitude
    DmsTexts west;
    std::string height;  ///< "%.3lf"
    std::string x;       ///< "%.4lf"
    std::string y;
    std::string z;
};
PositionTexts FormatPosition(const GeoPosition& position);

/// A decimal-degree entry: the value when it reads and lies within -limit..limit.
std::optional<double> ReadDecimalDegrees(std::string_view text, double limit);

/// The outcome of reading degrees, minutes and seconds.
enum class DmsError { kNone, kDegrees, kMinutes, kSeconds, kCombined };
struct DmsEntry {
    DmsError error = DmsError::kNone;
    double value = 0.0;  ///< the combined angle when error is kNone
};
/// Reads degrees ("%d", |D| <= limit), minutes ("%d", 0 <= M < 60), seconds ("%lf",
/// 0 <= S < 60) and checks the combined angle |D| + M/60 + S/3600 against the limit. The angle
/// is negative when the degrees text is negative, "-0" included.
DmsEntry ReadDms(std::string_view degrees, std::string_view minutes, std::string_view seconds,
                 int limit);

}  // namespace kelvrant
