// The simulator's orbit and clock arithmetic against values worked out by hand from the
// broadcast-ephemeris algorithm.
#include <gtest/gtest.h>

#include <cmath>

#include "../../tools/simulate/Orbit.h"

namespace {

using kelvrant::sim::GloBroadcast;
using kelvrant::sim::GloEphemeris;
using kelvrant::sim::GloPropagate;
using kelvrant::sim::GpsBroadcast;
using kelvrant::sim::GpsEphemeris;
using kelvrant::sim::GpsToCivil;
using kelvrant::sim::SolveKepler;
using kelvrant::sim::Vec3;

constexpr double kMu = 3.986005e14;

/// A circular orbit without perturbations: the algorithm reduces to plain rotations.
GpsEphemeris Circular(double sqrtA, double inclinationSc, double toe) {
    GpsEphemeris e;
    e.sqrtA = sqrtA;
    e.e = 0.0;
    e.i0 = inclinationSc;
    e.toe = e.toc = e.toeAbs = toe;
    return e;
}

TEST(simulate_orbit, circular_equatorial_orbit_starts_on_the_x_axis) {
    const GpsEphemeris e = Circular(5153.6, 0.0, 0.0);
    const auto s = GpsBroadcast(e, 0.0);
    EXPECT_NEAR(s.position.x, 5153.6 * 5153.6, 1e-6);
    EXPECT_NEAR(s.position.y, 0.0, 1e-6);
    EXPECT_NEAR(s.position.z, 0.0, 1e-6);
}

TEST(simulate_orbit, node_longitude_turns_back_with_the_earth_over_the_week) {
    // toe one hour into the week: the node lies omega_e * 3600 = 0.262516145 rad west.
    const GpsEphemeris e = Circular(5153.6, 0.0, 3600.0);
    const auto s = GpsBroadcast(e, 3600.0);
    const double a = 5153.6 * 5153.6;
    EXPECT_NEAR(s.position.x, a * std::cos(0.2625161452812), 1e-4);
    EXPECT_NEAR(s.position.y, -a * std::sin(0.2625161452812), 1e-4);
}

TEST(simulate_orbit, polar_orbit_reaches_the_pole_after_a_quarter_period) {
    const double sqrtA = 5153.6;
    const double a = sqrtA * sqrtA;
    const double quarter = 0.5 * M_PI * std::sqrt(a * a * a / kMu);  // 10 766.6 s
    const GpsEphemeris e = Circular(sqrtA, 0.5, 0.0);
    const auto s = GpsBroadcast(e, quarter);
    EXPECT_NEAR(s.position.z, a, 1e-3);
    EXPECT_NEAR(std::hypot(s.position.x, s.position.y), 0.0, 1e-3);
}

TEST(simulate_orbit, kepler_equation_is_solved_to_machine_precision) {
    // E - e sin E = M; for e = 0.01, M = pi/2 the first-order answer is pi/2 + 0.01.
    const double ea = SolveKepler(M_PI / 2.0, 0.01);
    EXPECT_NEAR(ea - 0.01 * std::sin(ea), M_PI / 2.0, 1e-15);
    EXPECT_NEAR(ea, M_PI / 2.0 + 0.01, 1e-4);
}

TEST(simulate_orbit, radius_follows_the_eccentric_anomaly) {
    GpsEphemeris e = Circular(5153.6, 0.3, 0.0);
    e.e = 0.012;
    e.m0 = 0.25;
    e.omega = -0.4;
    const auto s = GpsBroadcast(e, 5000.0);
    const double a = 5153.6 * 5153.6;
    EXPECT_NEAR(std::sqrt(s.position.x * s.position.x + s.position.y * s.position.y +
                          s.position.z * s.position.z),
                a * (1.0 - 0.012 * std::cos(s.eccentricAnomaly)), 1e-4);
}

TEST(simulate_orbit, clock_polynomial_and_relativistic_term) {
    GpsEphemeris e = Circular(5153.6, 0.3, 7200.0);
    e.e = 0.01;
    e.m0 = 0.0;
    e.af0 = 0x1.0p-13f;  // 1.220703125e-4 s, exact in single precision
    e.af1 = 0x1.0p-36f;  // 1.4551915228e-11 s/s
    e.af2 = 0.0f;
    // At t = toc + 3600: af0 + af1 * 3600 + F e sqrtA sin E.
    const auto s = GpsBroadcast(e, 10800.0);
    const double expected = 1.220703125e-4 + 1.4551915228366852e-11 * 3600.0 +
                            -4.442807633e-10 * 0.01 * 5153.6 * std::sin(s.eccentricAnomaly);
    EXPECT_NEAR(s.clock, expected, 1e-17);
    // At M = pi/2 the relativistic term of a 0.01 orbit is F e sqrtA sin(pi/2 + 0.01): -22.895 ns.
    GpsEphemeris top = e;
    top.af0 = top.af1 = 0.0f;
    top.m0 = 0.5;  // M = pi/2 at toe
    EXPECT_NEAR(GpsBroadcast(top, 7200.0).clock, -2.2895309e-8, 1e-14);
}

TEST(simulate_orbit, gps_calendar_of_week_and_seconds) {
    // Week 2448 starts on Sunday 2026-12-06; 208800 s is Tuesday 10:00, day 342.
    const auto c = GpsToCivil(2448, 208800.0);
    EXPECT_EQ(c.year, 2026);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 8);
    EXPECT_EQ(c.hour, 10);
    EXPECT_EQ(c.minute, 0);
    EXPECT_EQ(c.dayOfYear, 342);
    const auto origin = GpsToCivil(0, 0.0);
    EXPECT_EQ(origin.year, 1980);
    EXPECT_EQ(origin.month, 1);
    EXPECT_EQ(origin.day, 6);
}

TEST(simulate_orbit, glonass_integration_with_one_minute_steps_is_accurate) {
    // A GLONASS-like orbit: 25 510 km, 64.8 degrees; 15 minutes with 60 s against 1 s steps.
    const double r = 25510000.0;
    const double v = std::sqrt(3.9860044e14 / r);
    const double inc = 64.8 * M_PI / 180.0;
    double coarse[6] = {r, 0.0, 0.0, 0.0, v * std::cos(inc) - 7.292115e-5 * r, v * std::sin(inc)};
    double fine[6];
    for (int i = 0; i < 6; ++i)
        fine[i] = coarse[i];
    GloPropagate(coarse, 900.0, Vec3{}, 60.0);
    GloPropagate(fine, 900.0, Vec3{}, 1.0);
    EXPECT_NEAR(coarse[0], fine[0], 1e-3);
    EXPECT_NEAR(coarse[1], fine[1], 1e-3);
    EXPECT_NEAR(coarse[2], fine[2], 1e-3);
    // There and back again.
    GloPropagate(coarse, -900.0, Vec3{}, 60.0);
    EXPECT_NEAR(coarse[0], r, 1e-4);
    EXPECT_NEAR(coarse[2], 0.0, 1e-4);
}

TEST(simulate_orbit, glonass_clock_is_minus_tau_plus_gamma_times_age) {
    GloEphemeris e;
    e.position = {25510000.0, 0.0, 0.0};
    e.velocity = {0.0, 3000.0, 2000.0};
    e.tbAbs = 1000.0;
    e.tauN = 0x1.0p-15f;    // 3.0517578125e-5 s
    e.gammaN = 0x1.0p-40f;  // 9.094947e-13
    const auto s = GloBroadcast(e, 1600.0);
    EXPECT_NEAR(s.clock, -3.0517578125e-5 + 9.094947017729282e-13 * 600.0, 1e-18);
    // At the reference time the state is the broadcast one.
    const auto at = GloBroadcast(e, 1000.0);
    EXPECT_EQ(at.position.x, 25510000.0);
    EXPECT_EQ(at.velocity.y, 3000.0);
}

}  // namespace
