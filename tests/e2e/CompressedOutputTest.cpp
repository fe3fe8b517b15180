// Compressed outputs of real conversions: simulated sessions converted by the program, their
// observation files compressed by the compact RINEX encoder and restored by the test-side
// decompressor byte for byte, for every receiver kind and the sessions with events, clock
// jumps and sub-second epochs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "geo/Clock.h"
#include "rinex/CompactRinexEncoder.h"
#include "rinex/TextSink.h"
#include "support/CompactRinexDecoder.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;

// Every option on, so that event records and smoothed codes appear.
const char* const kIni =
    "[RINEXDAT]\nSITE_NAME=SIMU\nWRITE_EPINT=Yes\nWRITE_SATS=Yes\nSMOOTH_CODE=Yes\n"
    "WRITE_SITE_CHNGS=Yes\nALLOW_DOPLR=Yes\n";

struct Session {
    std::string rinex;  ///< the observation file
    std::string name;
};

Session Convert(const test::TempDir& dir, const std::string& simulate) {
    const fs::path exe = dir.path() / "bin" / "kelvrant";
    fs::create_directories(exe.parent_path());
    fs::copy_file(test::KelvrantExe(), exe, fs::copy_options::overwrite_existing);
    test::WriteFile((exe.parent_path() / "Kelvrant.INI").string(), kIni);
    std::vector<std::string> sim{test::SimulateExe()};
    for (std::size_t p = 0, q; p < simulate.size(); p = q + 1) {
        q = simulate.find(' ', p);
        if (q == std::string::npos) q = simulate.size();
        sim.push_back(simulate.substr(p, q - p));
    }
    for (const char* a : {"--site", "SIMU", "--session", "A", "--week", "2448", "--out"})
        sim.emplace_back(a);
    sim.push_back(dir.path().string());
    EXPECT_EQ(test::RunProcess(sim).exitCode, 0);
    std::vector<std::string> args{exe.string(), "-I", "BSIMUA26.342", "ESIMUA26.342"};
    if (fs::exists(dir.File("SSIMUA26.342"))) args.push_back("SSIMUA26.342");
    if (fs::exists(dir.File("ION26.342"))) args.push_back("ION26.342");
    const auto r = test::RunProcess(args, {}, {"DISPLAY", "WAYLAND_DISPLAY"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return {test::ReadFile(dir.File("SIMU3421.26O")), "SIMU3421.26O"};
}

TEST(compressed_output_e2e, converted_sessions_come_back_from_compact_rinex) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    const char* const sessions[] = {
        "--receiver Z18 --glonass --data-type 6 --interval 5 --length 1800 --moving 20,40 "
        "--site-change 100,SIT2 --seed 9",
        "--receiver GG24 --glonass --data-type 3 --interval 1 --length 900 --clock-jump 300 "
        "--seed 8",
        "--receiver UZ-12 --data-type 2 --interval 10 --length 3600 --seed 10",
        "--receiver G12 --data-type 2 --interval 0.5 --length 300 --seed 16",
        "--receiver GG-XXIV --glonass --data-type 4 --interval 15 --length 3600 --seed 11",
    };
    for (const char* s : sessions) {
        SCOPED_TRACE(s);
        test::TempDir dir;
        const Session session = Convert(dir, s);
        ASSERT_FALSE(session.rinex.empty());
        StringSink compact;
        CompactRinexEncoder encoder(compact, "Kelvrant", UtcTime{2026, 1, 2, 3, 4, 5});
        encoder.Write(session.rinex);
        encoder.Finish();
        ASSERT_FALSE(encoder.Failed()) << encoder.Error();
        EXPECT_LT(compact.Text().size(), session.rinex.size() / 2);
        std::string error;
        const std::string back = test::DecodeCompactRinex(compact.Text(), error);
        EXPECT_EQ(error, "");
        EXPECT_EQ(test::FirstDifference(session.rinex, back), "");
    }
}

}  // namespace
}  // namespace kelvrant
