// The simulator's files read back by an independent test-side parser: layouts, naming, the
// consistency of code, carrier and Doppler, clock jumps, and repeatability.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPaths.h"
#include "tools/AshtechTestParse.h"

namespace {

using kelvrant::test::ReadFile;
using kelvrant::test::RunProcess;
using kelvrant::test::SimulateExe;
using kelvrant::test::TempDir;
namespace ash = kelvrant::test::ash;

constexpr double kC = 299792458.0;
constexpr double kL1 = 1575.42e6;

struct SimRun {
    int exitCode = -1;
    std::string out, err;
    std::string dir;
};

SimRun Simulate(const TempDir& dir, std::vector<std::string> options) {
    std::vector<std::string> argv = {SimulateExe(), "--out", dir.path().string(), "--truth",
                                     dir.File("truth.txt")};
    argv.insert(argv.end(), options.begin(), options.end());
    const auto r = RunProcess(argv);
    return {r.exitCode, r.out, r.err, dir.path().string()};
}

#define REQUIRE_SIMULATOR() \
    if (SimulateExe().empty()) GTEST_SKIP() << "simulator not built"

TEST(simulate_files, default_session_has_ashtech_names) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    const SimRun r = Simulate(dir, {"--glonass", "--met"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* name :
         {"BKELVA26.342", "EKELVA26.342", "SKELVA26.342", "ION26.342", "A26342.NMA"})
        EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
}

TEST(simulate_files, b_file_header_and_epoch_layout) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(Simulate(dir, {"--receiver", "UZ-12", "--version", "ZC00", "--data-type", "5",
                             "--length", "600", "--interval", "20"})
                  .exitCode,
              0);
    const std::string bytes = ReadFile(dir.File("BKELVA26.342"));
    const ash::BFile b = ash::ParseBFile(bytes);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.version, "VERSION");
    EXPECT_EQ(b.formatVersion, 3);
    EXPECT_EQ(b.receiver, "UZ-12");
    EXPECT_EQ(b.versionFirst, "ZC00");
    EXPECT_EQ(b.versionSecond, "UNKN");
    EXPECT_EQ(b.dataType, 5);
    EXPECT_EQ(b.week, 2448);
    EXPECT_EQ(b.blocks, 2);
    EXPECT_EQ(b.trailing, 0u) << "the epochs must fill the file exactly";
    ASSERT_EQ(b.epochs.size(), 30u);
    const ash::Truth t = ash::ParseTruth(ReadFile(dir.File("truth.txt")));
    for (std::size_t i = 0; i < b.epochs.size(); ++i) {
        const auto& e = b.epochs[i];
        EXPECT_DOUBLE_EQ(e.time, 208800.0 + 20.0 * static_cast<double>(i));
        EXPECT_EQ(e.site, "KELV");
        EXPECT_GT(e.pdop100, 100);
        EXPECT_LT(e.pdop100, 1000);
        EXPECT_LT(std::hypot(e.x - t.station[0], e.y - t.station[1], e.z - t.station[2]), 30.0);
        EXPECT_NEAR(e.clockMetres / kC, t.epochList[i].clock, 1e-12);
        EXPECT_GE(e.satellites.size(), 5u);
        for (const auto& s : e.satellites) {
            EXPECT_GE(s.number, 1);
            EXPECT_LE(s.number, 32);
            EXPECT_EQ(s.blocks[0].quality, 24);
        }
    }
}

TEST(simulate_files, block_count_follows_the_data_type) {
    REQUIRE_SIMULATOR();
    const int expected[7] = {0, 1, 2, 3, 1, 2, 2};
    for (int type = 1; type <= 6; ++type) {
        TempDir dir;
        ASSERT_EQ(Simulate(dir, {"--data-type", std::to_string(type), "--length", "60"}).exitCode,
                  0);
        const ash::BFile b = ash::ParseBFile(ReadFile(dir.File("BKELVA26.342")));
        EXPECT_EQ(b.blocks, expected[type]) << "data type " << type;
        if (type == 4) {
            // Code phase only: no carrier.
            for (const auto& s : b.epochs.at(0).satellites) {
                EXPECT_EQ(s.blocks[0].phase, 0.0);
                EXPECT_TRUE(s.blocks[0].warning & 0x04);
            }
        }
    }
}

TEST(simulate_files, smoothed_code_carrier_and_doppler_agree) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(Simulate(dir, {"--length", "1200", "--interval", "10"}).exitCode, 0);
    const ash::BFile b = ash::ParseBFile(ReadFile(dir.File("BKELVA26.342")));
    const double lambda = kC / kL1;
    std::map<int, double> firstDifference;
    std::map<int, std::pair<double, double>> previous;  // phase metres, Doppler m/s
    int compared = 0;
    for (const auto& e : b.epochs) {
        for (const auto& s : e.satellites) {
            const auto& blk = s.blocks[0];
            const double code = std::fmod(blk.rawRange, 1.0) * kC - blk.smoothing;
            EXPECT_GT(code, 1.9e7);
            EXPECT_LT(code, 2.7e7);
            const double carrier = blk.phase * lambda;
            // Code minus carrier: constant over a pass up to the smoothed code noise.
            const auto [it, fresh] = firstDifference.try_emplace(s.number, code - carrier);
            if (!fresh) {
                EXPECT_NEAR(code - carrier, it->second, 0.25) << "sat " << s.number;
            }
            // The carrier advances by the Doppler-predicted range change (Doppler is stored
            // with the sign of the range rate).
            const double rate = static_cast<double>(blk.doppler) * 1e-4 * lambda;
            if (previous.count(s.number)) {
                const auto [carrier0, rate0] = previous[s.number];
                EXPECT_NEAR(carrier - carrier0, 0.5 * (rate + rate0) * 10.0, 0.15);
                ++compared;
            }
            previous[s.number] = {carrier, rate};
        }
    }
    EXPECT_GT(compared, 500);
}

TEST(simulate_files, millisecond_clock_jump_moves_code_and_clock_but_not_carrier) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(Simulate(dir, {"--length", "600", "--clock-jump", "10"}).exitCode, 0);
    const ash::Truth t = ash::ParseTruth(ReadFile(dir.File("truth.txt")));
    ASSERT_EQ(t.clockJumps, std::vector<int>{10});
    const ash::BFile b = ash::ParseBFile(ReadFile(dir.File("BKELVA26.342")));
    const auto& before = b.epochs.at(9);
    const auto& after = b.epochs.at(10);
    const double clockStep = (after.clockMetres - before.clockMetres) / kC;
    EXPECT_NEAR(std::fabs(clockStep), 1e-3, 1e-6);
    int matched = 0;
    for (const auto& s1 : after.satellites) {
        for (const auto& s0 : before.satellites) {
            if (s0.number != s1.number) continue;
            const double codeStep = s1.blocks[0].rawRange - s0.blocks[0].rawRange;
            // The code follows the clock step; a satellite moves less than 30 km in 30 s.
            EXPECT_NEAR(codeStep, clockStep, 1e-4);
            const double carrierStep = (s1.blocks[0].phase - s0.blocks[0].phase) * kC / kL1;
            EXPECT_LT(std::fabs(carrierStep), 30000.0);
            EXPECT_EQ(s1.blocks[0].quality, 24);
            ++matched;
        }
    }
    EXPECT_GT(matched, 4);
}

TEST(simulate_files, e_file_holds_plausible_ephemerides_on_two_hour_marks) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(Simulate(dir, {"--glonass"}).exitCode, 0);
    const auto records = ash::ParseEFile(ReadFile(dir.File("EKELVA26.342")));
    int gps = 0, glonass = 0;
    std::map<int, int> setsPerPrn;
    double lastTime = -1e9;
    for (const auto& r : records) {
        const double time = static_cast<double>(r.week) * 604800.0 + r.seconds;
        EXPECT_GE(time, lastTime) << "records are stored in reception order";
        lastTime = time;
        if (r.number <= 32) {
            ++gps;
            ++setsPerPrn[r.number];
            EXPECT_NEAR(r.sqrtA, 5153.6, 0.5);
            EXPECT_GE(r.e, 0.005);
            EXPECT_LE(r.e, 0.015);
            EXPECT_NEAR(r.i0 * 180.0, 55.0, 2.0);
            EXPECT_EQ(r.toe % 7200, 0);
            EXPECT_EQ(r.toc, r.toe);
            EXPECT_EQ(r.iode, r.iodc);
            EXPECT_EQ(r.health, 0);
            EXPECT_LT(std::fabs(r.tgd), 2e-8);
            EXPECT_LT(std::fabs(r.af0), 1e-3);
        } else {
            ++glonass;
            EXPECT_LE(r.number, 56);
            EXPECT_NEAR(std::sqrt(r.pos[0] * r.pos[0] + r.pos[1] * r.pos[1] + r.pos[2] * r.pos[2]),
                        25510000.0, 60000.0);
            // Reference times at a quarter past and a quarter to the hour, Moscow time.
            EXPECT_EQ(std::fmod(r.tb - 900.0, 1800.0), 0.0);
            EXPECT_GE(r.frequency, -7);
            EXPECT_LE(r.frequency, 6);
            EXPECT_EQ(static_cast<long>(r.tk) % 30, 0);
        }
    }
    EXPECT_EQ(setsPerPrn.size(), 30u);
    for (const auto& [prn, sets] : setsPerPrn)
        EXPECT_GE(sets, 2) << "PRN " << prn;
    EXPECT_GT(glonass, 24 * 2);
    EXPECT_GT(gps, 0);
}

TEST(simulate_files, bad_ephemeris_option_adds_repeats_and_implausible_records) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(Simulate(dir, {"--bad-ephemeris"}).exitCode, 0);
    const auto records = ash::ParseEFile(ReadFile(dir.File("EKELVA26.342")));
    int repeats = 0, implausible = 0, empty = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const auto& a = records[i - 1];
        const auto& b = records[i];
        if (a.number == b.number && a.week == b.week && a.seconds == b.seconds) ++repeats;
    }
    for (const auto& r : records) {
        if (r.number <= 32 && std::fabs(r.sqrtA - 5152.0) > 500.0) ++implausible;
        if (r.number <= 32 && r.sqrtA == 0.0 && r.week == 0) ++empty;
    }
    EXPECT_GT(repeats, 3);
    EXPECT_EQ(implausible, 2);  // the wrong orbit size and the empty body
    EXPECT_EQ(empty, 1);
}

TEST(simulate_files, ion_site_and_met_files) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(Simulate(dir, {"--met", "--length", "1800"}).exitCode, 0);
    const std::string ionBytes = ReadFile(dir.File("ION26.342"));
    EXPECT_EQ(ionBytes.size(), 74u);
    const ash::Ion ion = ash::ParseIon(ionBytes);
    EXPECT_EQ(ion.leap, 18);
    EXPECT_EQ(ion.w, 2448);
    EXPECT_FLOAT_EQ(static_cast<float>(ion.alpha[0]), 1.1176e-8f);

    std::istringstream site(ReadFile(dir.File("SKELVA26.342")));
    std::vector<std::string> lines;
    for (std::string l; std::getline(site, l);)
        lines.push_back(l);
    ASSERT_GE(lines.size(), 9u);
    EXPECT_NE(lines[0].find("SITE INFORMATION"), std::string::npos);
    EXPECT_EQ(lines[2].substr(0, 4), "KELV");
    double height = 0.0;
    EXPECT_EQ(std::sscanf(lines[5].c_str() + 6, "%lf", &height), 1);
    EXPECT_DOUBLE_EQ(height, 1.45);
    EXPECT_EQ(lines[8].substr(14, 9), "GG24     ");
    EXPECT_EQ(lines[8].substr(29, 5), "GC00 ");
    EXPECT_EQ(lines[8].substr(44, 4), "UNKN");

    std::istringstream met(ReadFile(dir.File("A26342.NMA")));
    int times = 0, data = 0;
    for (std::string l; std::getline(met, l);) {
        ASSERT_FALSE(l.empty());
        if (l.back() == '\r') l.pop_back();
        const auto star = l.find('*');
        ASSERT_NE(star, std::string::npos);
        unsigned sum = 0;
        for (std::size_t i = 1; i < star; ++i)
            sum ^= static_cast<unsigned char>(l[i]);
        EXPECT_EQ(std::stoul(l.substr(star + 1), nullptr, 16), sum) << l;
        if (l.rfind("$GPGXP,", 0) == 0) {
            // UTC: 18 s before the GPS start 10:00:00 comes 09:59:42.
            if (times == 0) {
                EXPECT_EQ(l.substr(7, 9), "095942.00");
            }
            ++times;
        } else if (l.rfind("$GPXDR,P,", 0) == 0) {
            double p = 0, temp = 0, hum = 0;
            char unit = 0;
            ASSERT_EQ(std::sscanf(l.c_str(), "$GPXDR,P,%lf,B,1,C,%lf,C,2,H,%lf,P,3%c", &p, &temp,
                                  &hum, &unit),
                      4);
            EXPECT_NEAR(p, 0.97, 0.01);
            ++data;
        }
    }
    EXPECT_EQ(times, 6);  // every 300 s from the first to the last epoch (0..1770 s)
    EXPECT_EQ(data, times);
}

TEST(simulate_files, moving_stretch_and_site_change) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(
        Simulate(dir, {"--length", "600", "--moving", "5,8", "--site-change", "9,KEL2"}).exitCode,
        0);
    const ash::BFile b = ash::ParseBFile(ReadFile(dir.File("BKELVA26.342")));
    const ash::Truth t = ash::ParseTruth(ReadFile(dir.File("truth.txt")));
    ASSERT_EQ(b.epochs.size(), 20u);
    for (std::size_t i = 0; i < b.epochs.size(); ++i) {
        const std::string expected = i < 5 ? "KELV" : (i <= 8 ? "????" : "KEL2");
        EXPECT_EQ(b.epochs[i].site, expected) << i;
        EXPECT_EQ(t.epochList[i].site, expected) << i;
    }
    const auto& first = t.epochList.front();
    const auto& last = t.epochList.back();
    EXPECT_NEAR(std::hypot(last.x - first.x, last.y - first.y, last.z - first.z),
                std::hypot(25.0, -40.0, 30.0), 1e-3);
    // The antenna moves steadily between the two sites.
    EXPECT_NE(t.epochList[6].x, t.epochList[7].x);
}

TEST(simulate_files, receiver_channels_are_limited_to_24) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(Simulate(dir, {"--glonass", "--mask", "-10", "--length", "300"}).exitCode, 0);
    const ash::BFile b = ash::ParseBFile(ReadFile(dir.File("BKELVA26.342")));
    std::size_t most = 0;
    for (const auto& e : b.epochs)
        most = std::max(most, e.satellites.size());
    EXPECT_EQ(most, 24u);
}

TEST(simulate_files, same_seed_same_bytes) {
    REQUIRE_SIMULATOR();
    TempDir a, b, c;
    ASSERT_EQ(Simulate(a, {"--glonass", "--met", "--seed", "5"}).exitCode, 0);
    ASSERT_EQ(Simulate(b, {"--glonass", "--met", "--seed", "5"}).exitCode, 0);
    ASSERT_EQ(Simulate(c, {"--glonass", "--met", "--seed", "6"}).exitCode, 0);
    for (const char* name : {"BKELVA26.342", "EKELVA26.342", "A26342.NMA"}) {
        EXPECT_EQ(ReadFile(a.File(name)), ReadFile(b.File(name))) << name;
        EXPECT_NE(ReadFile(a.File(name)), ReadFile(c.File(name))) << name;
    }
}

TEST(simulate_files, help_and_refused_options) {
    REQUIRE_SIMULATOR();
    const auto help = RunProcess({SimulateExe(), "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--data-type"), std::string::npos);
    TempDir dir;
    EXPECT_EQ(Simulate(dir, {"--data-type", "7"}).exitCode, 2);
    EXPECT_EQ(Simulate(dir, {"--data-type", "3", "--blocks", "2"}).exitCode, 2);
    EXPECT_EQ(Simulate(dir, {"--site", "TOOLONG"}).exitCode, 2);
    EXPECT_EQ(Simulate(dir, {"--station", "1,2,3"}).exitCode, 2);
    EXPECT_EQ(Simulate(dir, {"--bogus"}).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("BKELVA26.342")));
}

TEST(simulate_files, name_option_and_week_rollover) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    ASSERT_EQ(Simulate(dir, {"--name", "N102A97.323", "--week", "1000", "--start", "604500",
                             "--length", "600"})
                  .exitCode,
              0);
    const ash::BFile b = ash::ParseBFile(ReadFile(dir.File("BN102A97.323")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("EN102A97.323")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("ION97.323")));
    ASSERT_EQ(b.epochs.size(), 20u);
    EXPECT_EQ(b.week, 1000);
    EXPECT_DOUBLE_EQ(b.epochs[9].time, 604770.0);
    EXPECT_DOUBLE_EQ(b.epochs[10].time, 0.0);  // seconds of the next week
}

}  // namespace

namespace {

TEST(simulate_files, bundled_sample_is_what_the_script_makes) {
    REQUIRE_SIMULATOR();
    TempDir dir;
    const auto r = RunProcess({SimulateExe(),
                               "--receiver",
                               "GG24",
                               "--data-type",
                               "3",
                               "--glonass",
                               "--met",
                               "--week",
                               "2448",
                               "--start",
                               "208800",
                               "--length",
                               "3600",
                               "--interval",
                               "30",
                               "--seed",
                               "342",
                               "--site",
                               "KELV",
                               "--session",
                               "A",
                               "--out",
                               dir.path().string(),
                               "--truth",
                               dir.File("KELVA26.truth")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string samples = kelvrant::test::SourceDir() + "/samples/";
    for (const char* name : {"BKELVA26.342", "EKELVA26.342", "SKELVA26.342", "ION26.342",
                             "A26342.NMA", "KELVA26.truth"})
        EXPECT_TRUE(ReadFile(samples + name) == ReadFile(dir.File(name)))
            << name << " differs from a fresh simulation: run scripts/make-sample.sh";
}

}  // namespace
