// The fast formatters against printf itself on many values.
#include "rinex/FixedFormat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kelvrant {
namespace {

std::string Fast(double v, int width, int precision) {
    char buf[kMaxFixedChars + 32];
    char* end = AppendFixed(buf, v, width, precision);
    return std::string(buf, end);
}

std::string Printf(double v, int width, int precision) {
    char buf[512];
    const int n = std::snprintf(buf, sizeof buf, "%*.*f", width, precision, v);
    return std::string(buf, static_cast<std::size_t>(n));
}

std::vector<double> SampleValues() {
    std::vector<double> v = {0.0,
                             -0.0,
                             0.0005,
                             -0.0005,
                             0.00049999999999999996,
                             1.0005,
                             2.3455,
                             -2.3455,
                             1.0625,
                             1.1875,
                             -1.1875,
                             0.0625,
                             0.4999999999999999,
                             0.5,
                             0.25,
                             0.125,
                             99999999999.9995,
                             1e15,
                             9007199254740991.0,
                             9007199254740993.0,
                             1e300,
                             -1e300,
                             DBL_MAX,
                             -DBL_MAX,
                             DBL_MIN,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN(),
                             20985472.06,
                             -123456789.0445,
                             604799.9995};
    std::mt19937_64 rng(20240305);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 60);
    std::uniform_int_distribution<std::int64_t> ticks(-4000000000000LL, 4000000000000LL);
    for (int i = 0; i < 40000; ++i) {
        // Values of every magnitude the writers meet and far beyond.
        v.push_back(std::ldexp(unit(rng), exponent(rng)));
        // Exact binary ties at the third, seventh and ninth decimal and their neighbours.
        const double tie = static_cast<double>(ticks(rng)) / 2048.0;
        v.push_back(tie);
        v.push_back(std::nextafter(tie, 0.0));
        v.push_back(static_cast<double>(ticks(rng)) * 0.0005);
        v.push_back(static_cast<double>(ticks(rng) % 1000000000) / 16384.0 * 1e-3);
        // Arbitrary bit patterns: NaNs, infinities and subnormals included.
        v.push_back(std::bit_cast<double>(rng()));
    }
    return v;
}

TEST(fixed_format, matches_printf_for_every_writer_format) {
    const std::vector<double> values = SampleValues();
    const int formats[][2] = {{14, 3}, {11, 7}, {12, 9}, {14, 4}, {12, 6}, {0, 0}, {3, 1}};
    int failures = 0;
    for (const auto& f : formats) {
        for (double v : values) {
            const std::string expected = Printf(v, f[0], f[1]);
            const std::string actual = Fast(v, f[0], f[1]);
            if (expected != actual && ++failures < 10)
                ADD_FAILURE() << std::hexfloat << v << " %" << f[0] << "." << f[1] << "f: printf '"
                              << expected << "' fast '" << actual << "'";
        }
    }
    EXPECT_EQ(failures, 0);
}

// The inlined forms of a precision fixed when compiling, in the widths the writers use and
// in widths the values overflow.
template <int P>
int InlineFailures(const std::vector<double>& values, int width) {
    int failures = 0;
    for (double v : values) {
        char buf[kMaxFixedChars + 32];
        const std::string actual(buf, AppendFixedAt<P>(buf, v, width));
        const std::string expected = Printf(v, width, P);
        if (expected != actual && ++failures < 10)
            ADD_FAILURE() << std::hexfloat << v << " %" << width << "." << P << "f: printf '"
                          << expected << "' inline '" << actual << "'";
    }
    return failures;
}

TEST(fixed_format, inline_forms_match_printf) {
    const std::vector<double> values = SampleValues();
    int failures = 0;
    for (int width : {14, 16, 5, 0}) {
        failures += InlineFailures<3>(values, width);
        failures += InlineFailures<1>(values, width);
        failures += InlineFailures<4>(values, width);
        failures += InlineFailures<9>(values, width);
    }
    // The epoch lines' seconds and clock offset.
    failures += InlineFailures<7>(values, 11) + InlineFailures<9>(values, 12);
    EXPECT_EQ(failures, 0);
}

TEST(fixed_format, widens_instead_of_cutting) {
    EXPECT_EQ(Fast(-1e20, 14, 3), "-100000000000000000000.000");
    EXPECT_EQ(Fast(DBL_MAX, 12, 9).size(), 309u + 10u);
    EXPECT_EQ(Fast(-0.0, 14, 3), "        -0.000");
    EXPECT_EQ(Fast(-0.0004, 14, 3), "        -0.000");
}

TEST(fixed_format, integers_match_printf) {
    std::mt19937_64 rng(7);
    std::vector<std::int64_t> values = {0,
                                        1,
                                        -1,
                                        9,
                                        -9,
                                        10,
                                        99,
                                        100,
                                        -100,
                                        123456,
                                        std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max()};
    for (int i = 0; i < 100000; ++i) {
        values.push_back(static_cast<std::int64_t>(rng()) >> (rng() % 64));
    }
    for (std::int64_t v = -5; v < 120; ++v)  // the inline forms' own range and around it
        values.push_back(v);
    for (std::int64_t v : values) {
        for (int width : {0, 2, 3, 6, 20}) {
            for (bool zero : {false, true}) {
                char expected[64];
                const int n = zero ? std::snprintf(expected, sizeof expected, "%0*lld", width,
                                                   static_cast<long long>(v))
                                   : std::snprintf(expected, sizeof expected, "%*lld", width,
                                                   static_cast<long long>(v));
                char actual[64];
                char* end = AppendInt(actual, v, width, zero);
                ASSERT_EQ(std::string(expected, static_cast<std::size_t>(n)),
                          std::string(actual, end))
                    << v << " width " << width << " zero " << zero;
                if (width != 2 && width != 3) continue;
                char* inlineEnd = width == 2 ? (zero ? AppendIntAt<2, true>(actual, v)
                                                     : AppendIntAt<2, false>(actual, v))
                                             : (zero ? AppendIntAt<3, true>(actual, v)
                                                     : AppendIntAt<3, false>(actual, v));
                ASSERT_EQ(std::string(expected, static_cast<std::size_t>(n)),
                          std::string(actual, inlineEnd))
                    << v << " inline width " << width << " zero " << zero;
            }
        }
    }
}

}  // namespace
}  // namespace kelvrant
