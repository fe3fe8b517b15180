// WGS-84 geodetic conversions (see Geodetic.h).
#include "geo/Geodetic.h"

#include <cmath>

namespace kelvrant {

void ConvertGeodetic(int direction, double a, double f, double& latitude, double& longitude,
                     double& height, double& x, double& y, double& z) {
    const double e2 = f * (2.0 - f);
    if (direction == 1) {
        const double phi = latitude * kDegToRad;
        const double lambda = longitude * kDegToRad;
        const double sinPhi = std::sin(phi);
        const double n = a / std::sqrt(1.0 - e2 * sinPhi * sinPhi);
        x = (n + height) * std::cos(phi) * std::cos(lambda);
        y = (n + height) * std::cos(phi) * std::sin(lambda);
        z = ((1.0 - e2) * n + height) * sinPhi;
        return;
    }
    if (direction != 0) return;

    const double pi = 3.14159265358979323846;
    const double p = std::sqrt(x * x + y * y);
    double phi = 0.0;
    double h = 0.0;
    if (p < 0.0001) {
        // On the polar axis.
        phi = z >= 0.0 ? pi / 2.0 : -pi / 2.0;
        h = std::fabs(z) - a * std::sqrt(1.0 - e2);
    } else if (std::fabs(z) < 0.0001) {
        // On the equator.
        phi = 0.0;
        h = p - a;
    } else {
        phi = std::atan(z / ((1.0 - e2) * p));
        double c = 0.0;
        double s = 0.0;
        double w = 0.0;
        // Exactly three Newton steps; the height uses the values at the start of the last one.
        for (int step = 0; step < 3; ++step) {
            c = std::cos(phi);
            s = std::sin(phi);
            w = 1.0 / std::sqrt(1.0 - e2 * s * s);
            const double g = p / c - z / s - e2 * a * w;
            const double dg = p * s / (c * c) + z * c / (s * s) - e2 * (e2 * a) * w * w * w * s * c;
            phi = phi - g / dg;
        }
        if (c >= 0.707) {
            h = p / c - a * w;
        } else {
            h = z / s - (1.0 - e2) * a * w;
        }
    }
    double lambda = 0.0;
    if (std::fabs(x) < 0.0001) {
        lambda = y >= 0.0 ? pi / 2.0 : 4.71238898038469;
    } else {
        lambda = std::atan2(y, x);
    }
    latitude = phi * kRadToDeg;
    longitude = lambda * kRadToDeg;
    if (longitude < 0.0) longitude += 360.0;
    height = h;
}

double DmsToDegrees(std::int32_t degrees, std::int32_t minutes, double seconds) {
    const double v = std::abs(degrees) + std::abs(minutes) * 0.016666666666666666 +
                     std::fabs(seconds) * 0.0002777777777777778;
    return degrees < 0 ? -v : v;
}

double EllipsoidalHeight(double x, double y, double z) {
    double lat = 0.0;
    double lon = 0.0;
    double h = 0.0;
    ConvertGeodetic(0, kWgs84A, kWgs84F, lat, lon, h, x, y, z);
    return h;
}

}  // namespace kelvrant
