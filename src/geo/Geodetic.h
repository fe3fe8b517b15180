// WGS-84 conversions between Earth-centred Earth-fixed X, Y, Z and geodetic latitude,
// longitude (east, 0..360) and ellipsoidal height, and from degrees/minutes/seconds to decimal
// degrees.
#pragma once

#include <cstdint>

namespace kelvrant {

inline constexpr double kWgs84A = 6378137.0;
/// The truncated flattening every caller passes (not 1/298.257223563).
inline constexpr double kWgs84F = 0.00335281066474;
inline constexpr double kDegToRad = 0.0174532925199433;
inline constexpr double kRadToDeg = 57.29577951308232;

/// direction 1: geodetic (degrees, metres) -> Cartesian; direction 0: Cartesian -> geodetic;
/// any other direction does nothing.
void ConvertGeodetic(int direction, double a, double f, double& latitude, double& longitude,
                     double& height, double& x, double& y, double& z);

/// Decimal degrees of a degrees/minutes/seconds triple; the sign is taken from the degrees.
double DmsToDegrees(std::int32_t degrees, std::int32_t minutes, double seconds);

/// Ellipsoidal height of an ECEF position on WGS-84 with the truncated flattening.
double EllipsoidalHeight(double x, double y, double z);

}  // namespace kelvrant
