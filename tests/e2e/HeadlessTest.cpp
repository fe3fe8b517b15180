// The program without a display: exit statuses and the problems printed on stderr.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/RunInputs.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::KelvrantExe;
using test::RunProcess;

test::ProcessResult RunHeadless(const std::vector<std::string>& args,
                                const std::string& workDir = {}) {
    std::vector<std::string> argv{KelvrantExe()};
    argv.insert(argv.end(), args.begin(), args.end());
    auto r = RunProcess(argv, {}, {"DISPLAY", "WAYLAND_DISPLAY"}, workDir);
    // The first run beside a fresh build writes the configuration file and says so; that
    // note is not what these tests look at.
    const std::string note = "ERROR: Could not open configuration file (i.e., .INI): ";
    if (r.err.rfind(note, 0) == 0) r.err.erase(0, r.err.find('\n') + 1);
    return r;
}

TEST(headless, no_arguments_print_the_usage_and_fail) {
    const auto r = RunHeadless({});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind(
                  "Program Usage:\n\n   kelvrant -I bfile efile [sfile] [ionfile] [options]\n", 0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("   kelvrant -M inmetfile outmetfile [gpswk gpswkSec]\n"),
              std::string::npos);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    EXPECT_NE(r.err.find("needs a display"), std::string::npos) << r.err;
}

TEST(headless, a_rejected_command_line_is_printed_with_its_title) {
    auto r = RunHeadless({"-X"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err,
              "Error In Command-Line Parameters: Command-line parameters contain errors ... Too "
              "few parameters.\n");

    r = RunHeadless({"-I", "b", "e", "-S", "2"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err,
              "Error In Command-Line Parameters: Unrecognized form of the Command-line "
              "parameters...\n\n-S 2\n");

    r = RunHeadless({"-M", "in", "out", "-C", "1"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err,
              "Error In Command-Line Parameters: It is illegal to combine meteorological file "
              "data options\n with other processing options.\n");
}

TEST(headless, a_missing_parameter_file_is_reported_under_its_own_title) {
    test::TempDir dir;
    const std::string par = dir.File("none.par");
    const auto r = RunHeadless({"-P", par, "-X"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.rfind("Error Parameters Dara File: " + par + ": ", 0), 0u) << r.err;
}

TEST(headless, a_command_line_without_a_conversion_fails) {
    const auto r = RunHeadless({"-F", "1", "100", "03", "-X"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("names no conversion"), std::string::npos) << r.err;
}

TEST(headless, a_failed_preparation_fails_the_run) {
    test::TempDir dir;
    const std::string b = dir.File("BN102A97.323");
    const auto r = RunHeadless({"-I", b, dir.File("EN102A97.323")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "File Open Error: Cannot Open Entered B-File.\n\n" + b + "\n");
    // The outputs were created before the B-file was tried; they stay, empty.
    EXPECT_TRUE(std::filesystem::exists(dir.File("N1023231.97O")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("N1023231.97N")));
}

TEST(headless, a_prepared_run_leaves_no_scratch_file) {
    test::TempDir dir;
    test::WriteFile(dir.File("BN102A97.323"), test::BFileHeaderBytes("GG24", 1000));
    const auto r = RunHeadless({"-I", "BN102A97.323", "-N", "nav", "-O", "obs"}, dir.path());
    // A B-file without epochs converts to a header-only observation file.
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("Kelvrant.~"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("obs")));
}

}  // namespace
}  // namespace kelvrant
