// The program without a display: exit statuses and the problems printed on stderr.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
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
    EXPECT_EQ(r.err, "File Open Error: Cannot Open Entered B-File.\n\n" + b +
                         ": No such file or directory\n");
    // No output is created before every input was checked.
    EXPECT_FALSE(std::filesystem::exists(dir.File("N1023231.97O")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("N1023231.97N")));
}

TEST(headless, a_bfile_without_epochs_fails_naming_it_and_writes_nothing) {
    test::TempDir dir;
    test::WriteFile(dir.File("BN102A97.323"), test::BFileHeaderBytes("GG24", 1000));
    const auto r = RunHeadless({"-I", "BN102A97.323", "-N", "nav", "-O", "obs"}, dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error Reading B-File: The B-File holds no readable epoch.\n\n" +
                         dir.File("BN102A97.323")),
              std::string::npos)
        << r.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// The program as installed: no Kelvrant.INI beside it, so its settings live in the user's
// configuration folder, written with the defaults at the first run and read from then on; a
// Kelvrant.INI put beside the program makes it a portable install that keeps its own.
TEST(headless, settings_live_in_the_users_folder_unless_the_install_is_portable) {
    test::TempDir dir;
    // A copy in a folder of its own: the build tree may hold a configuration file beside
    // the built program.
    const std::filesystem::path exe = dir.path() / "bin" / "kelvrant";
    std::filesystem::create_directories(exe.parent_path());
    std::filesystem::copy_file(KelvrantExe(), exe);
    test::WriteFile(dir.File("A03008.NMA"),
                    "$GPGXP,000010.00\n$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,45.0,P,3\n");
    const std::vector<std::string> argv{exe.string(), "-M",   "A03008.NMA",
                                        "out.03M",    "1200", "259200"};
    const std::vector<std::string> env{"XDG_CONFIG_HOME=" + dir.File("cfg"), "HOME=/nonexistent"};
    const std::vector<std::string> unset{"DISPLAY", "WAYLAND_DISPLAY", "KELVRANT_CONFIG"};
    const std::string userIni = dir.File("cfg/kelvrant/Kelvrant.INI");
    const auto marker = [&] {
        const std::string met = test::ReadFile(dir.File("out.03M"));
        return met.substr(0, met.find(" MARKER NAME"));
    };

    auto r = RunProcess(argv, env, unset, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err,
              "ERROR: Could not open configuration file (i.e., .INI): A default set of parameters "
              "will be used and written the file " +
                  userIni + ".\n");
    ASSERT_TRUE(std::filesystem::exists(userIni));

    const std::string written = test::ReadFile(userIni);
    test::WriteFile(userIni, written.substr(0, written.find("SITE_NAME=")) + "SITE_NAME=USER" +
                                 written.substr(written.find('\n', written.find("SITE_NAME="))));
    r = RunProcess(argv, env, unset, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(marker().find("USER"), std::string::npos) << marker();

    test::WriteFile((exe.parent_path() / "Kelvrant.INI").string(), "[RINEXDAT]\nSITE_NAME=PORT\n");
    r = RunProcess(argv, env, unset, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(marker().find("PORT"), std::string::npos) << marker();
}

}  // namespace
}  // namespace kelvrant
