// The quality check against the simulator's truth: every injected slip found and no other,
// every gap exactly, multipath RMS within 10 % of the injected sinusoid, sky positions within
// 0.1 degree of the simulator's own, signal strength following the injected law.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "qc/SessionEpochs.h"
#include "support/TestPaths.h"

namespace {

using kelvrant::GnssSystem;
using kelvrant::test::CheckSession;
using kelvrant::test::ParseTruth;
using kelvrant::test::ReadFile;
using kelvrant::test::RunProcess;
using kelvrant::test::SimulateExe;
using kelvrant::test::TempDir;
using kelvrant::test::Truth;
namespace qc = kelvrant::qc;

constexpr double kWeek = 604800.0;
constexpr long kSimWeek = 2448;

std::string Name(const kelvrant::SatelliteId& id) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%c%02d", id.Letter(), id.number);
    return buf;
}

struct Session {
    Truth truth;
    qc::QcSummary summary;
};

Session Simulate(const TempDir& dir, std::vector<std::string> options, qc::QcSetup setup = {}) {
    std::vector<std::string> argv = {
        SimulateExe(), "--out",  dir.path().string(), "--truth", dir.File("truth.txt"),
        "--truth-sky", "--name", "QCTSA26.342",       "--week",  std::to_string(kSimWeek)};
    argv.insert(argv.end(), options.begin(), options.end());
    const auto r = RunProcess(argv);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    Session s;
    s.truth = ParseTruth(ReadFile(dir.File("truth.txt")));
    s.summary = CheckSession(dir.File("BQCTSA26.342"), dir.File("EQCTSA26.342"), setup);
    return s;
}

const qc::SatelliteSummary* Find(const qc::QcSummary& q, const std::string& name) {
    for (const auto& s : q.satellites)
        if (Name(s.id) == name) return &s;
    return nullptr;
}

#define REQUIRE_SIMULATOR() \
    if (SimulateExe().empty()) GTEST_SKIP() << "simulator not built"

// A clean GPS+GLONASS day at 30 s, with multipath on two satellites and a known
// signal-strength law: simulated once for the tests below.
class CleanDay : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (SimulateExe().empty()) return;
        dir_ = new TempDir;
        session_ = new Session(Simulate(
            *dir_, {"--receiver", "GG24", "--glonass", "--data-type", "3", "--length", "86400",
                    "--interval", "30", "--start", "0", "--seed", "21", "--multipath",
                    "G05,0.8,600", "--multipath", "R07,0.4,900", "--snr-law", "30,20"}));
    }
    static void TearDownTestSuite() {
        delete session_;
        delete dir_;
        session_ = nullptr;
        dir_ = nullptr;
    }
    static TempDir* dir_;
    static Session* session_;
};
TempDir* CleanDay::dir_ = nullptr;
Session* CleanDay::session_ = nullptr;

TEST_F(CleanDay, no_slip_no_gap_full_completeness) {
    REQUIRE_SIMULATOR();
    const qc::QcSummary& q = session_->summary;
    EXPECT_EQ(q.presentEpochs, 2880);
    EXPECT_EQ(q.expectedEpochs, 2880);
    EXPECT_DOUBLE_EQ(q.completeness, 100.0);
    EXPECT_TRUE(q.gaps.empty());
    EXPECT_GT(q.gpsTracked, 25);
    EXPECT_GT(q.glonassTracked, 15);
    for (const auto& s : q.satellites) {
        EXPECT_EQ(s.slips, 0) << Name(s.id) << " first slip at "
                              << (s.slipTimes.empty() ? 0.0 : s.slipTimes[0]);
    }
    EXPECT_EQ(q.clockJumps, session_->truth.clockJumps);
}

TEST_F(CleanDay, sky_positions_match_the_simulator) {
    REQUIRE_SIMULATOR();
    const qc::QcSummary& q = session_->summary;
    ASSERT_TRUE(q.skyKnown);
    long compared = 0;
    double worst = 0.0;
    for (const auto& s : q.satellites) {
        for (const auto& p : s.track) {
            const double sow = p.time - kSimWeek * kWeek;
            const auto it = session_->truth.sky.find({std::lround(sow), Name(s.id)});
            ASSERT_NE(it, session_->truth.sky.end()) << Name(s.id) << " " << sow;
            const double del = std::fabs(p.elevation - it->second.el);
            double daz = std::fabs(p.azimuth - it->second.az);
            daz = std::min(daz, 360.0 - daz) * std::cos(it->second.el * M_PI / 180.0);
            worst = std::max({worst, del, daz});
            ++compared;
        }
    }
    EXPECT_EQ(compared, static_cast<long>(session_->truth.sky.size()));
    EXPECT_LT(worst, 0.1);
}

TEST_F(CleanDay, multipath_rms_within_ten_percent) {
    REQUIRE_SIMULATOR();
    const qc::QcSummary& q = session_->summary;
    ASSERT_EQ(session_->truth.multipath.size(), 2u);
    for (const auto& [name, amplitude] : session_->truth.multipath) {
        const qc::SatelliteSummary* s = Find(q, name);
        ASSERT_NE(s, nullptr) << name;
        const double injected = amplitude / std::sqrt(2.0);
        EXPECT_NEAR(s->mp1.Rms(), injected, 0.1 * injected) << name;
        EXPECT_NEAR(s->mp2.Rms(), injected, 0.1 * injected) << name;
    }
    // Elsewhere only the few centimetres of smoothed code noise remain.
    const qc::SatelliteSummary* clean = Find(q, "G01");
    ASSERT_NE(clean, nullptr);
    EXPECT_LT(clean->mp1.Rms(), 0.05);
    EXPECT_GT(clean->mp1.Rms(), 0.005);
}

TEST_F(CleanDay, signal_strength_follows_elevation) {
    REQUIRE_SIMULATOR();
    const qc::QcSummary& q = session_->summary;
    // 30 + 20 sin(elevation) at the middle of each bin, within the rounding and noise.
    for (int b = 1; b < qc::kElevationBins; ++b) {
        const auto& bin = q.snr1ByElevation[static_cast<std::size_t>(b)];
        if (bin.count < 50) continue;
        const double mid = 30.0 + 20.0 * std::sin((b * 10.0 + 5.0) * M_PI / 180.0);
        EXPECT_NEAR(bin.Mean(), mid, 1.0) << "bin " << b;
    }
}

TEST(qc_truth, one_second_epochs_below_the_mask_as_the_simulator_sees_them) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    // Between the exact sky positions every 30 s the elevations are interpolated.
    qc::QcSetup setup;
    setup.elevationMask = 35.0;
    const Session s = Simulate(dir,
                               {"--receiver", "G12", "--data-type", "2", "--length", "3600",
                                "--interval", "1", "--seed", "24"},
                               setup);
    long below = 0;
    for (const auto& [key, sky] : s.truth.sky)
        if (sky.el < 35.0) ++below;
    ASSERT_GT(below, 3600);
    EXPECT_LE(std::labs(s.summary.belowMask - below), 2L);
}

TEST(qc_truth, every_injected_slip_and_gap_found) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    // Slips on every satellite number, spread over the session; those on satellites not in
    // view at that moment have nothing to act on. (n, n) slips without the receiver's flag
    // are below what the data show (see the thresholds) and are not injected.
    struct Kind {
        const char* cycles;
        bool flag;
    };
    const Kind kinds[] = {{"1,0", false}, {"0,1", false}, {"5,3", false}, {"9,7", false},
                          {"2,2", true},  {"-3,0", true}, {"0,-4", false}};
    std::vector<std::string> options = {"--receiver", "GG24",     "--glonass", "--data-type",
                                        "3",          "--length", "21600",     "--interval",
                                        "30",         "--seed",   "22",        "--gap",
                                        "100,109",    "--gap",    "400,400"};
    int i = 0;
    for (const char* letter : {"G", "R"}) {
        for (int n = 1; n <= (letter[0] == 'G' ? 32 : 24); ++n, ++i) {
            const Kind& k = kinds[i % 7];
            char buf[64];
            std::snprintf(buf, sizeof buf, "%d,%s%02d,%s%s", 20 + 12 * i, letter, n, k.cycles,
                          k.flag ? ",flag" : "");
            options.push_back("--slip");
            options.push_back(buf);
        }
    }
    const Session s = Simulate(dir, options);
    const qc::QcSummary& q = s.summary;
    ASSERT_GE(s.truth.slips.size(), 15u);

    std::set<std::pair<std::string, long>> injected, found;
    for (const auto& slip : s.truth.slips)
        injected.insert({slip.sat, std::lround(slip.sow)});
    for (const auto& sat : q.satellites)
        for (const double t : sat.slipTimes)
            found.insert({Name(sat.id), std::lround(t - kSimWeek * kWeek)});
    EXPECT_EQ(found, injected);

    ASSERT_EQ(q.gaps.size(), s.truth.gaps.size());
    for (std::size_t g = 0; g < q.gaps.size(); ++g) {
        EXPECT_DOUBLE_EQ(q.gaps[g].start - kSimWeek * kWeek, s.truth.gaps[g].sow);
        EXPECT_DOUBLE_EQ(q.gaps[g].length, s.truth.gaps[g].length);
    }
    EXPECT_EQ(q.expectedEpochs, 720);
    EXPECT_EQ(q.presentEpochs, 720 - 11);
}

TEST(qc_truth, single_frequency_slips_from_code_minus_phase) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    std::vector<std::string> options = {"--receiver", "G12",   "--data-type", "1",
                                        "--length",   "14400", "--interval",  "30",
                                        "--seed",     "23"};
    for (int n = 1; n <= 32; ++n) {
        options.push_back("--slip");
        options.push_back(std::to_string(20 + 10 * n) + ",G" + (n < 10 ? "0" : "") +
                          std::to_string(n) + ",40,0");
    }
    const Session s = Simulate(dir, options);
    ASSERT_GE(s.truth.slips.size(), 5u);
    std::set<std::pair<std::string, long>> injected, found;
    for (const auto& slip : s.truth.slips)
        injected.insert({slip.sat, std::lround(slip.sow)});
    for (const auto& sat : s.summary.satellites)
        for (const double t : sat.slipTimes)
            found.insert({Name(sat.id), std::lround(t - kSimWeek * kWeek)});
    EXPECT_EQ(found, injected);
}

}  // namespace
