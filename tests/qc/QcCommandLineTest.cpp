// The quality check through the real program without a display, on simulated sessions with
// injected slips, gaps and multipath: the JSON report and the summary line against the
// simulator's truth, the RINEX output unchanged by the check, --qc-only writing no RINEX.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "qc/SessionEpochs.h"
#include "support/JsonReader.h"
#include "support/TestPaths.h"

namespace {

namespace test = kelvrant::test;
namespace fs = std::filesystem;
using test::Json;

constexpr long kWeek = 2448;

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

// Seconds of week of a report time "YYYY-MM-DD hh:mm:ss.sss" (GPS time), to the second.
long SecondsOfWeek(const std::string& text) {
    std::tm tm{};
    double seconds = 0.0;
    EXPECT_EQ(std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%lf", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                          &tm.tm_hour, &tm.tm_min, &seconds),
              6)
        << text;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    const double sinceGpsStart = static_cast<double>(timegm(&tm)) - 315964800.0 + seconds;
    return std::lround(sinceGpsStart - kWeek * 604800.0);
}

// The file without its PGM / RUN BY / DATE line (the run's wall-clock date).
std::string WithoutDateLine(const std::string& rinex) {
    std::istringstream in(rinex);
    std::string line, out;
    while (std::getline(in, line))
        if (line.find("PGM / RUN BY / DATE") == std::string::npos) out += line + '\n';
    return out;
}

struct Case {
    const char* name;
    std::vector<std::string> simulate;  // besides --length and --interval
    long length, interval;              // seconds
    bool dualFrequency;
    std::size_t minimumSlips;  // of those injected, on satellites in view
};

const Case kCases[] = {
    {"clean_dual_frequency_day_with_multipath",
     {"--receiver", "GG24", "--glonass", "--data-type", "3", "--seed", "41", "--multipath",
      "G05,0.8,600", "--multipath", "R07,0.4,900"},
     86400,
     30,
     true,
     0},
    {"dual_frequency_slips_flagged_or_not_and_gaps",
     {"--receiver",       "Z18",         "--glonass",   "--data-type",     "3",
      "--seed",           "42",          "--gap",       "60,69",           "--gap",
      "300,300",          "--slip",      "30,G01,1,0",  "--slip",          "40,G02,0,1",
      "--slip",           "50,G03,5,3",  "--slip",      "80,G04,2,2,flag", "--slip",
      "90,G05,-3,0,flag", "--slip",      "100,R01,9,7", "--slip",          "110,R02,0,-4",
      "--slip",           "120,G06,1,0", "--slip",      "130,G07,0,1",     "--slip",
      "140,G08,5,3",      "--slip",      "150,G09,1,0", "--slip",          "160,G10,0,1",
      "--slip",           "170,G11,5,3", "--slip",      "180,G12,1,0",     "--slip",
      "190,G13,0,1",      "--slip",      "200,G14,5,3", "--slip",          "210,G15,1,0",
      "--slip",           "220,R03,1,0", "--slip",      "230,R04,0,1",     "--slip",
      "240,R05,5,3"},
     14400,
     30,
     true,
     5},
    {"single_frequency_slips_and_a_gap",
     {"--receiver",  "G12",          "--data-type", "1",
      "--seed",      "43",           "--gap",       "20,24",
      "--slip",      "60,G01,40,0",  "--slip",      "70,G02,40,0",
      "--slip",      "80,G03,40,0",  "--slip",      "90,G04,40,0",
      "--slip",      "100,G05,40,0", "--slip",      "110,G06,40,0",
      "--slip",      "120,G07,40,0", "--slip",      "130,G08,40,0",
      "--slip",      "140,G09,40,0", "--slip",      "150,G10,40,0",
      "--multipath", "G11,0.6,600"},
     7200,
     15,
     false,
     3},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class QcCommandLine : public ::testing::TestWithParam<Case> {};

TEST_P(QcCommandLine, report_matches_the_injected_truth) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    const Case& c = GetParam();
    test::TempDir dir;
    std::vector<std::string> sim = {test::SimulateExe(),
                                    "--out",
                                    dir.path().string(),
                                    "--name",
                                    "QCCLA26.342",
                                    "--week",
                                    std::to_string(kWeek),
                                    "--start",
                                    "0",
                                    "--truth",
                                    dir.File("truth.txt"),
                                    "--length",
                                    std::to_string(c.length),
                                    "--interval",
                                    std::to_string(c.interval)};
    sim.insert(sim.end(), c.simulate.begin(), c.simulate.end());
    const auto simulated = test::RunProcess(sim);
    ASSERT_EQ(simulated.exitCode, 0) << simulated.err;
    const test::Truth truth = test::ParseTruth(test::ReadFile(dir.File("truth.txt")));
    ASSERT_GE(truth.slips.size(), c.minimumSlips);

    // The same conversion without and with the check: the RINEX does not change.
    const std::vector<std::string> inputs = {"-I", "BQCCLA26.342", "EQCCLA26.342", "-N", "day.nav"};
    auto args = inputs;
    args.insert(args.end(), {"-O", "plain.obs"});
    auto r = Kelvrant(dir, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    args = inputs;
    args.insert(args.end(), {"-O", "day.obs", "--qc", "--qc-json", "--qc-plots", "plots"});
    r = Kelvrant(dir, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(WithoutDateLine(test::ReadFile(dir.File("day.obs"))),
              WithoutDateLine(test::ReadFile(dir.File("plain.obs"))));
    EXPECT_NE(test::ReadFile(dir.File("day.obs.qc.txt")).find("Kelvrant quality check"),
              std::string::npos);
#ifdef KELVRANT_TEST_QCPLOT
    for (const char* plot : {"qc-sky", "qc-availability", "qc-multipath", "qc-snr"})
        for (const char* ext : {".png", ".svg"})
            EXPECT_GT(fs::file_size(dir.File(std::string("plots/") + plot + ext)), 1000u) << plot;
#endif

    const Json q = test::JsonReader(test::ReadFile(dir.File("day.obs.qc.json"))).Document();
    // Epochs and gaps exactly as injected.
    long missing = 0;
    const Json& gaps = q["gaps"];
    ASSERT_EQ(gaps.Size(), truth.gaps.size());
    for (std::size_t g = 0; g < truth.gaps.size(); ++g) {
        EXPECT_EQ(SecondsOfWeek(gaps[g]["start"].Text()), std::lround(truth.gaps[g].sow));
        EXPECT_DOUBLE_EQ(gaps[g]["length_s"].Number(), truth.gaps[g].length);
        missing += std::lround(truth.gaps[g].length / static_cast<double>(c.interval));
    }
    const long expected = c.length / c.interval;
    EXPECT_EQ(q["epochs_expected"].Number(), expected);
    EXPECT_EQ(q["epochs_present"].Number(), expected - missing);

    // Every injected slip found where it was injected, and no other.
    std::set<std::pair<std::string, long>> injected, found;
    for (const auto& slip : truth.slips)
        injected.insert({slip.sat, std::lround(slip.sow)});
    const Json& satellites = q["satellites"];
    for (std::size_t i = 0; i < satellites.Size(); ++i) {
        const Json& times = satellites[i]["slip_epochs"];
        for (std::size_t k = 0; k < times.Size(); ++k)
            found.insert({satellites[i]["sat"].Text(), SecondsOfWeek(times[k].Text())});
    }
    EXPECT_EQ(found, injected);
    EXPECT_EQ(q["slips"]["total"].Number(), static_cast<double>(truth.slips.size()));
    EXPECT_EQ(q["clock_jumps"].Number(), truth.clockJumps);

    // Multipath within 10 % of the injected sinusoid's RMS.
    for (const auto& [name, amplitude] : truth.multipath) {
        const double rms = amplitude / std::sqrt(2.0);
        for (std::size_t i = 0; i < satellites.Size(); ++i) {
            if (satellites[i]["sat"].Text() != name) continue;
            EXPECT_NEAR(satellites[i]["mp1_rms_m"].Number(), rms, 0.1 * rms) << name;
            if (c.dualFrequency) {
                EXPECT_NEAR(satellites[i]["mp2_rms_m"].Number(), rms, 0.1 * rms) << name;
            }
        }
    }
    EXPECT_EQ(q["mp1_rms_m"].IsNull(), !c.dualFrequency);
    EXPECT_EQ(q["mp2_rms_m"].IsNull(), !c.dualFrequency);

    // The summary line gives the completeness, the slips and MP1 of the report.
    const std::size_t at = r.out.find("quality check: ");
    ASSERT_NE(at, std::string::npos) << r.out;
    double completeness = 0.0, mp1 = 0.0;
    int slips = -1;
    ASSERT_EQ(std::sscanf(r.out.c_str() + at, "quality check: completeness %lf %%, %d slip",
                          &completeness, &slips),
              2)
        << r.out;
    EXPECT_NEAR(completeness,
                100.0 * static_cast<double>(expected - missing) / static_cast<double>(expected),
                0.005);
    EXPECT_EQ(slips, static_cast<int>(truth.slips.size()));
    // Multipath needs both frequencies.
    const std::size_t mp = r.out.find("MP1 ", at);
    ASSERT_EQ(mp != std::string::npos, c.dualFrequency) << r.out;
    if (!c.dualFrequency) return;
    ASSERT_EQ(std::sscanf(r.out.c_str() + mp, "MP1 %lf m", &mp1), 1);
    EXPECT_NEAR(mp1, q["mp1_rms_m"].Number(), 0.0006);
}

INSTANTIATE_TEST_SUITE_P(simulated, QcCommandLine, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(qc_command_line, qc_only_writes_the_report_and_no_rinex) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    const auto simulated = test::RunProcess({test::SimulateExe(), "--out", dir.path().string(),
                                             "--name", "QCCLA26.342", "--length", "3600",
                                             "--interval", "30", "--gap", "50,59", "--seed", "31"});
    ASSERT_EQ(simulated.exitCode, 0) << simulated.err;
    const std::set<std::string> before = Names(dir);
    const auto r = Kelvrant(
        dir, {"-I", "BQCCLA26.342", "EQCCLA26.342", "-O", "day.obs", "-N", "day.nav", "--qc-only"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(
        test::ReadFile(dir.File("day.obs.qc.txt")).find("Epochs expected / present  : 120 / 110"),
        std::string::npos);
    // Nothing else appears beside the inputs: no RINEX, no temporaries left behind.
    std::set<std::string> expected = before;
    expected.insert({"day.obs.qc.txt", "Kelvrant.INI"});
    EXPECT_EQ(Names(dir), expected);

    // Converting too, the check sees the same epochs, whether the formatting runs on other
    // threads (the check then runs on the writing one) or on the converting thread.
    const std::string report = test::ReadFile(dir.File("day.obs.qc.txt"));
    for (const char* threads : {"0", "2"}) {
        const auto run =
            test::RunProcess({test::KelvrantExe(), "-I", "BQCCLA26.342", "EQCCLA26.342", "-O",
                              "day.obs", "-N", "day.nav", "--qc"},
                             {"KELVRANT_CONFIG=" + dir.File("Kelvrant.INI"),
                              std::string("KELVRANT_FORMAT_THREADS=") + threads},
                             {"DISPLAY", "WAYLAND_DISPLAY"}, dir.path().string());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(test::ReadFile(dir.File("day.obs.qc.txt")), report) << threads;
    }
}

}  // namespace
