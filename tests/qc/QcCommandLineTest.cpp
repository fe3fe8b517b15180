// The quality check through the real program without a display: reports beside the outputs,
// plots, the summary line, and --qc-only writing no RINEX.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace {

namespace test = kelvrant::test;
namespace fs = std::filesystem;

test::ProcessResult Kelvrant(const test::TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), test::KelvrantExe());
    return test::RunProcess(args, {"KELVRANT_CONFIG=" + dir.File("Kelvrant.INI")},
                            {"DISPLAY", "WAYLAND_DISPLAY"}, dir.path().string());
}

std::set<std::string> Names(const test::TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    return names;
}

void Simulate(const test::TempDir& dir) {
    const auto r = test::RunProcess({test::SimulateExe(), "--out", dir.path().string(), "--name",
                                     "QCCLA26.342", "--receiver", "GG24", "--glonass", "--length",
                                     "7200", "--interval", "30", "--gap", "50,59", "--seed", "31"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
}

TEST(qc_command_line, reports_plots_and_summary_line_beside_the_outputs) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    Simulate(dir);
    const auto r = Kelvrant(dir, {"-I", "BQCCLA26.342", "EQCCLA26.342", "-O", "day.obs", "-N",
                                  "day.nav", "--qc", "--qc-json", "--qc-plots", "plots"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("quality check: completeness 95.83 %, 0 slips, MP1 "), std::string::npos)
        << r.out;
    const std::string text = test::ReadFile(dir.File("day.obs.qc.txt"));
    EXPECT_NE(text.find("Epochs expected / present  : 240 / 230"), std::string::npos) << text;
    EXPECT_NE(test::ReadFile(dir.File("day.obs.qc.json")).find("\"missing_epochs\": 10"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(dir.File("day.obs")));
#ifdef KELVRANT_TEST_QCPLOT
    EXPECT_TRUE(fs::exists(dir.File("plots/qc-sky.png")));
    EXPECT_TRUE(fs::exists(dir.File("plots/qc-availability.svg")));
#endif
}

TEST(qc_command_line, qc_only_writes_the_report_and_no_rinex) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    Simulate(dir);
    const std::set<std::string> before = Names(dir);
    const auto r = Kelvrant(
        dir, {"-I", "BQCCLA26.342", "EQCCLA26.342", "-O", "day.obs", "-N", "day.nav", "--qc-only"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(fs::exists(dir.File("day.obs")));
    EXPECT_FALSE(fs::exists(dir.File("day.nav")));
    EXPECT_NE(
        test::ReadFile(dir.File("day.obs.qc.txt")).find("Completeness               : 95.83 %"),
        std::string::npos);
    // Nothing else appears beside the inputs: no RINEX, no temporaries left behind.
    std::set<std::string> expected = before;
    expected.insert({"day.obs.qc.txt", "Kelvrant.INI"});
    EXPECT_EQ(Names(dir), expected);
}

}  // namespace
