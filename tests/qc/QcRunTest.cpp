// The quality check's place in a run: leap seconds for GLONASS times, reports beside the
// outputs.
#include <gtest/gtest.h>

#include "geo/GpsTime.h"
#include "run/QualityCheckRun.h"
#include "support/TestPaths.h"

namespace {

using kelvrant::test::ReadFile;
using kelvrant::test::TempDir;

double Gps(int year, int month, int day, double seconds) {
    std::int32_t week = 0;
    double sow = 0.0;
    kelvrant::CalendarToGpsTime(year, month, day, 0, 0, seconds, week, sow);
    return week * 604800.0 + sow;
}

TEST(qc_run, leap_seconds_step_at_utc_midnight) {
    const struct {
        double gps;
        int leap;
    } cases[] = {
        {Gps(1980, 1, 6, 0.0), 0},   {Gps(1999, 1, 1, 12.0), 12},
        {Gps(1999, 1, 1, 13.0), 13}, {Gps(2016, 12, 31, 86400.0 + 17.0), 17},
        {Gps(2017, 1, 1, 18.0), 18}, {Gps(2026, 12, 8, 0.0), 18},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kelvrant::LeapSecondsAt(c.gps), c.leap) << c.gps;
}

TEST(qc_run, reports_beside_the_outputs_and_a_failed_write_named) {
    TempDir dir;
    kelvrant::qc::QcSummary summary;
    summary.fileName = "BKELVA26.342";
    kelvrant::QcRequest request;
    request.report = true;
    request.json = true;
    kelvrant::RecordingProblemSink problems;
    ASSERT_TRUE(kelvrant::WriteQcReports(summary, request, dir.File("KELV3421.26O"), problems));
    EXPECT_NE(ReadFile(dir.File("KELV3421.26O.qc.txt")).find("BKELVA26.342"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("KELV3421.26O.qc.json")).substr(0, 2), "{\n");
    EXPECT_TRUE(problems.problems.empty());

    EXPECT_FALSE(kelvrant::WriteQcReports(summary, request, dir.File("no/KELV"), problems));
    ASSERT_EQ(problems.problems.size(), 2u);
    EXPECT_EQ(problems.problems[0].title, "File Write Error");
    EXPECT_NE(problems.problems[0].text.find(dir.File("no/KELV.qc.txt")), std::string::npos);
}

}  // namespace
