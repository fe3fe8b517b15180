// RINEX 3 long file names: station IDs from marker names, periods and data frequencies of real
// session shapes, and whole names for every content and compression.
#include "run/LongNames.h"

#include <gtest/gtest.h>

namespace kelvrant {
namespace {

TEST(long_names, station_ids) {
    struct Case {
        StationNaming station;
        const char* id;
    };
    const Case cases[] = {
        {{"SIMU", 0, 0, "XXX"}, "SIMU00XXX"},
        {{"kelvrant test", 1, 2, "deu"}, "KELV12DEU"},
        {{"A-B 7", 9, 0, "NZL"}, "AB7X90NZL"},  // letters and digits only, padded with X
        {{"", 0, 0, "XXX"}, "XXXX00XXX"},
        {{"SIMU", 0, 0, "DE"}, "SIMU00XXX"},  // not a country code: unknown
        {{"SIMU", 12, -1, "USA"}, "SIMU90USA"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StationId(c.station), c.id) << c.station.markerName;
}

TEST(long_names, periods_and_frequencies) {
    EXPECT_EQ(PeriodField(86400.0), "01D");
    EXPECT_EQ(PeriodField(86399.0 + 1.0), "01D");
    EXPECT_EQ(PeriodField(3600.0), "01H");
    EXPECT_EQ(PeriodField(900.0), "15M");
    EXPECT_EQ(PeriodField(14400.0 + 30.0), "05H");  // a partial hour names the longer period
    EXPECT_EQ(PeriodField(3 * 86400.0), "03D");
    EXPECT_EQ(PeriodField(0.0), "00U");
    EXPECT_EQ(FrequencyField(30.0), "30S");
    EXPECT_EQ(FrequencyField(1.0), "01S");
    EXPECT_EQ(FrequencyField(0.5), "02Z");
    EXPECT_EQ(FrequencyField(0.1), "10Z");
    EXPECT_EQ(FrequencyField(300.0), "05M");
    EXPECT_EQ(FrequencyField(0.0), "00U");
}

TEST(long_names, whole_names) {
    const StationNaming station{"SIMU", 0, 0, "NZL"};
    // GPS week 2448, Tuesday 12:30 = 2026-12-08, day 342.
    const SessionSpan day{2448, 2 * 86400.0 + 12 * 3600.0 + 1800.0, 86400.0, 30.0};
    EXPECT_EQ(LongFileName(station, day, 'M', LongNameContent::kObservation, true, true),
              "SIMU00NZL_R_20263421230_01D_30S_MO.crx.gz");
    EXPECT_EQ(LongFileName(station, day, 'G', LongNameContent::kObservation, false, false),
              "SIMU00NZL_R_20263421230_01D_30S_GO.rnx");
    EXPECT_EQ(LongFileName(station, day, 'M', LongNameContent::kNavigation, true, true),
              "SIMU00NZL_R_20263421230_01D_MN.rnx.gz");
    EXPECT_EQ(LongFileName(station, day, 'M', LongNameContent::kMet, false, true),
              "SIMU00NZL_R_20263421230_01D_30S_MM.rnx.gz");
}

}  // namespace
}  // namespace kelvrant
