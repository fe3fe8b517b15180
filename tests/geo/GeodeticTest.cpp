#include "geo/Geodetic.h"

#include <gtest/gtest.h>

namespace kelvrant {
namespace {

struct Geo {
    double lat = 0, lon = 0, h = 0;
};

Geo ToGeo(double x, double y, double z) {
    Geo g;
    ConvertGeodetic(0, kWgs84A, kWgs84F, g.lat, g.lon, g.h, x, y, z);
    return g;
}

TEST(geodetic, poles_and_equator) {
    Geo g = ToGeo(0, 0, 6356752.3);
    EXPECT_DOUBLE_EQ(g.lat, 90.0);
    EXPECT_DOUBLE_EQ(g.lon, 90.0);
    EXPECT_NEAR(g.h, -0.014, 0.001);
    g = ToGeo(0, 0, -6356752.3);
    EXPECT_DOUBLE_EQ(g.lat, -90.0);
    g = ToGeo(6378137, 0, 0);
    EXPECT_DOUBLE_EQ(g.lat, 0.0);
    EXPECT_DOUBLE_EQ(g.lon, 0.0);
    EXPECT_DOUBLE_EQ(g.h, 0.0);
    g = ToGeo(0, -6378137, 0);
    EXPECT_DOUBLE_EQ(g.lon, 270.0);
    EXPECT_DOUBLE_EQ(EllipsoidalHeight(6378137, 0, 0), 0.0);
}

TEST(geodetic, round_trip_with_three_newton_steps) {
    for (double lat : {45.0, -33.5, 0.5, 80.0, -89.0}) {
        for (double lon : {10.0, 200.0, 359.5}) {
            double la = lat, lo = lon, h = 100.0, x = 0, y = 0, z = 0;
            ConvertGeodetic(1, kWgs84A, kWgs84F, la, lo, h, x, y, z);
            const Geo g = ToGeo(x, y, z);
            EXPECT_NEAR(g.lat, lat, 1e-9) << lat << " " << lon;
            EXPECT_NEAR(g.lon, lon, 1e-9);
            EXPECT_NEAR(g.h, 100.0, 1e-3);
        }
    }
    // A negative atan2 comes back east of 180.
    const Geo g = ToGeo(4000000, -3000000, 3500000);
    EXPECT_GT(g.lon, 180.0);
    EXPECT_LT(g.lon, 360.0);
}

TEST(geodetic, dms_sign_rides_on_the_degrees) {
    EXPECT_DOUBLE_EQ(DmsToDegrees(-12, 30, 0.0), -12.5);
    EXPECT_DOUBLE_EQ(DmsToDegrees(12, -30, -0.0), 12.5);
}

}  // namespace
}  // namespace kelvrant
