#include "settings/ConfigFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const char* const kFreshLayout =
    "# This file contains configuration information for Kelvrant\n"
    "\n"
    "[WINDOWS]\n"
    "MAINWIN=0,-1,-1,-1,-1\n"
    "\n"
    "[RINEXDAT]\n"
    "SITE_NAME=\n"
    "SITE_NUMBER=\n"
    "CREATE_AGENCY=\n"
    "OBSERVER=\n"
    "OBSERVER_AGENCY=\n"
    "COMMENT1=\n"
    "COMMENT2=\n"
    "COMMENT3=\n"
    "RCVR_TYPE=\n"
    "RCVR_SERNUM=\n"
    "RCVR_VER=\n"
    "ANT_TYPE=\n"
    "ANT_SERNUM=\n"
    "APPROX_POS=0,0.0000,0.0000,0.0000\n"
    "ANT_OFFSETS=0.0000,0.0000,0.0000,0.0000,0.0000\n"
    "WRITE_EPINT=No\n"
    "WRITE_SATS=No\n"
    "MS_OBS_HANDLING=No\n"
    "SMOOTH_CODE=No\n"
    "WRITE_SITE_CHNGS=No\n"
    "ALLOW_DOPLR=No\n"
    "METCMT1=\n"
    "METCMT2=\n"
    "METCMT3=\n"
    "MET_PRESS_MOD=\n"
    "MET_PRESS_TYP=\n"
    "MET_PRESS_ACC=0.0\n"
    "MET_PRESS_POS=0.0000,0.0000,0.0000\n"
    "MET_TEMP_MOD=\n"
    "MET_TEMP_TYP=\n"
    "MET_TEMP_ACC=0.0\n"
    "MET_TEMP_POS=0,0.0000,0.0000,0.0000\n"
    "MET_HUMID_MOD=\n"
    "MET_HUMID_TYP=\n"
    "MET_HUMID_ACC=0.0\n"
    "MET_HUMID_POS=0,0.0000,0.0000,0.0000\n"
    "MET_UTC_2_GPS=0.0\n"
    "\n";

/// A user's file in the form the writer produces, with comments and blank lines of its own.
const char* const kUserFile =
    "# Kelvrant settings of the field office\n"
    "   # indented note\n"
    "\n"
    "[WINDOWS]\n"
    "MAINWIN=1,10,20,800,600\n"
    "\n"
    "\n"
    "# header values\n"
    "[RINEXDAT]\n"
    "SITE_NAME=KELV Hill top\n"
    "SITE_NUMBER=12345M001\n"
    "CREATE_AGENCY=Survey Dept\n"
    "OBSERVER=J. Smith\n"
    "OBSERVER_AGENCY=Survey Department North\n"
    "COMMENT1=first comment\n"
    "COMMENT2=\n"
    "COMMENT3=third comment\n"
    "RCVR_TYPE=Z18\n"
    "RCVR_SERNUM=ZR1234\n"
    "RCVR_VER=CB00\n"
    "ANT_TYPE=ASH701945\n"
    "ANT_SERNUM=CR520\n"
    "APPROX_POS=0,4075580.3852,931853.8520,4801568.2311\n"
    "ANT_OFFSETS=0.0000,0.0000,1.2345,0.1000,-0.0005\n"
    "WRITE_EPINT=Yes\n"
    "WRITE_SATS=No\n"
    "MS_OBS_HANDLING=Yes\n"
    "SMOOTH_CODE=Yes\n"
    "WRITE_SITE_CHNGS=No\n"
    "ALLOW_DOPLR=Yes\n"
    "METCMT1=met one\n"
    "METCMT2=met two\n"
    "METCMT3=\n"
    "MET_PRESS_MOD=PTB220\n"
    "MET_PRESS_TYP=Digiquartz\n"
    "MET_PRESS_ACC=0.1\n"
    "MET_PRESS_POS=4075580.0000,931853.0000,4801568.0000\n"
    "MET_TEMP_MOD=HMP\n"
    "MET_TEMP_TYP=Probe\n"
    "MET_TEMP_ACC=0.5\n"
    "MET_TEMP_POS=1,1.0000,2.0000,3.0000\n"
    "MET_HUMID_MOD=HMP\n"
    "MET_HUMID_TYP=Capacitance\n"
    "MET_HUMID_ACC=2.0\n"
    "MET_HUMID_POS=0,4.0000,5.0000,6.0000\n"
    "MET_UTC_2_GPS=18.0\n"
    "# trailing note\n";

/// Reads `text` as a configuration file in `dir`.
ConfigReadResult ReadText(ConfigStore& store, const TempDir& dir, const std::string& text) {
    const std::string path = dir.File("Kelvrant.INI");
    WriteFile(path, text);
    return store.ReadConfigFile(path);
}

std::string Rewritten(const ConfigStore& store, const TempDir& dir) {
    const std::string path = dir.File("out.INI");
    EXPECT_EQ(store.WriteConfigFile(path), 1);
    return ReadFile(path);
}

TEST(config_read, empty_file_reads_and_next_write_is_fresh_layout) {
    TempDir dir;
    ConfigStore store;
    const ConfigReadResult r = ReadText(store, dir, "");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.lineNumber, 0);
    EXPECT_TRUE(store.KeptLines().empty());
    EXPECT_EQ(test::FirstDifference(kFreshLayout, Rewritten(store, dir)), "");
}

TEST(config_read, fresh_layout_reads_back_whole) {
    TempDir dir;
    ConfigStore store;
    const ConfigReadResult r = ReadText(store, dir, kFreshLayout);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.lineNumber, 44);
    EXPECT_EQ(test::FirstDifference(kFreshLayout, Rewritten(store, dir)), "");
}

TEST(config_read, single_blank_line_writes_fresh_layout) {
    TempDir dir;
    ConfigStore store;
    EXPECT_EQ(ReadText(store, dir, "\n").result, 1);
    EXPECT_EQ(store.KeptLines().size(), 1u);
    EXPECT_EQ(test::FirstDifference(kFreshLayout, Rewritten(store, dir)), "");
}

TEST(config_read, missing_file_gives_line_minus_one) {
    TempDir dir;
    ConfigStore store;
    const ConfigReadResult r = store.ReadConfigFile(dir.File("none.INI"));
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.lineNumber, -1);
    EXPECT_EQ(store.ReadConfigFile(dir.path().string()).lineNumber, -1);
}

TEST(config_write, comment_kept_above_rinexdat_without_windows_section) {
    TempDir dir;
    ConfigStore store;
    ASSERT_EQ(ReadText(store, dir, "# my own note\n[RINEXDAT]\nSITE_NAME=ABCD\n").result, 1);
    const std::string out = Rewritten(store, dir);
    std::string expected = "# my own note\n";
    const std::string fresh = kFreshLayout;
    // The [RINEXDAT] block of the fresh layout with the one value read.
    std::string block = fresh.substr(fresh.find("[RINEXDAT]"));
    block.pop_back();  // the fresh layout's closing blank line
    block.replace(block.find("SITE_NAME=\n"), 11, "SITE_NAME=ABCD\n");
    expected += block;
    EXPECT_EQ(test::FirstDifference(expected, out), "");
    EXPECT_EQ(out.find("[WINDOWS]"), std::string::npos);
    EXPECT_EQ(ConfigKeyNames(1).size(), 37u);
}

TEST(config_read, lower_case_names_are_matched_and_written_upper_case) {
    TempDir dir;
    ConfigStore store;
    ASSERT_EQ(ReadText(store, dir, "[rinexdat]\nsmooth_code = yes\n").result, 1);
    EXPECT_EQ(store.GetSmoothCode(), 1);
    const std::string out = Rewritten(store, dir);
    EXPECT_EQ(out.rfind("[RINEXDAT]\nSITE_NAME=\n", 0), 0u);
    EXPECT_NE(out.find("\nSMOOTH_CODE=Yes\n"), std::string::npos);
}

TEST(config_read, key_value_forms_are_alike) {
    TempDir dir;
    ConfigStore store;
    ASSERT_EQ(ReadText(store, dir,
                       "[ RINEXDAT ] anything\n  SITE_NAME=a b  \nOBSERVER = Jo\nRCVR_VER  "
                       "CB00\nANT_TYPE==x=y\n")
                  .result,
              1);
    EXPECT_EQ(store.GetSiteName(), "a b");
    EXPECT_EQ(store.GetObserver(), "Jo");
    EXPECT_EQ(store.GetRcvrVer(), "CB00");
    EXPECT_EQ(store.GetAntType(), "x=y");
}

TEST(config_read, yes_no_other_word_stops_at_its_line) {
    TempDir dir;
    ConfigStore store;
    store.SetWriteSats(1);
    const ConfigReadResult r =
        ReadText(store, dir, "[RINEXDAT]\nSITE_NAME=KELV\n\nWRITE_SATS=True\nOBSERVER=Jo\n");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.lineNumber, 4);
    EXPECT_EQ(store.GetWriteSats(), 0);      // a failed Yes/No is left at No
    EXPECT_EQ(store.GetSiteName(), "KELV");  // values before the line stay
    EXPECT_EQ(store.GetObserver(), "");      // lines after it are not read
}

TEST(config_read, empty_number_stops_but_empty_text_is_accepted) {
    TempDir dir;
    ConfigStore store;
    EXPECT_EQ(ReadText(store, dir, "[RINEXDAT]\nSITE_NAME=\n").result, 1);
    const ConfigReadResult r = ReadText(store, dir, "[RINEXDAT]\nSITE_NAME=\nMET_PRESS_ACC=\n");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.lineNumber, 3);
}

TEST(config_read, mainwin_any_separator_written_with_commas) {
    TempDir dir;
    for (const char* line : {"MAINWIN=1,10,20,800,600\n", "MAINWIN=5;10;20;800;600\n"}) {
        ConfigStore store;
        ASSERT_EQ(ReadText(store, dir, std::string("[WINDOWS]\n") + line).result, 1) << line;
        const WindowPlacement p = store.GetWindowPlacement();
        EXPECT_EQ(p.maximized, 1);
        EXPECT_EQ(p.left, 10);
        EXPECT_EQ(p.top, 20);
        EXPECT_EQ(p.width, 800);
        EXPECT_EQ(p.height, 600);
        EXPECT_EQ(Rewritten(store, dir), "[WINDOWS]\nMAINWIN=1,10,20,800,600\n");
    }
}

TEST(config_read, mainwin_failure_keeps_items_converted_before_it) {
    TempDir dir;
    ConfigStore store;
    store.SetWindowPlacement({0, 1, 2, 3, 4});
    EXPECT_EQ(ReadText(store, dir, "[WINDOWS]\nMAINWIN=1,10,x,800,600\n").result, 0);
    const WindowPlacement p = store.GetWindowPlacement();
    EXPECT_EQ(p.maximized, 1);
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.top, -1);
    EXPECT_EQ(p.height, -1);
}

TEST(config_read, bad_lines_stop_with_their_number) {
    TempDir dir;
    ConfigStore store;
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"SITE_NAME=x\n[RINEXDAT]\n", 1},                 // key before any section
        {"# c\n\n[OTHER]\n", 3},                          // unknown section
        {"[WINDOWS]\nSITE_NAME=x\n", 2},                  // key of another section
        {"[RINEXDAT]\n=x\n", 2},                          // empty key
        {"[RINEXDAT]\nAPPROX_POS=1,2.0,3.0\n", 2},        // too few items
        {"[RINEXDAT]\nMET_TEMP_ACC=abc\n", 2},            // no number
        {"[RINEXDAT]\nANT_OFFSETS=1,2,3,4,5e999\n", 2},   // beyond a double
        {"[WINDOWS]\nMAINWIN=99999999999,1,1,1,1\n", 2},  // beyond 32 bits
    };
    for (const Case& c : cases) {
        const ConfigReadResult r = ReadText(store, dir, c.text);
        EXPECT_EQ(r.result, 0) << c.text;
        EXPECT_EQ(r.lineNumber, c.line) << c.text;
    }
}

TEST(config_read, flags_stored_as_read_or_as_one) {
    TempDir dir;
    ConfigStore store;
    ASSERT_EQ(ReadText(store, dir,
                       "[RINEXDAT]\nAPPROX_POS=5,1.5,2.5,3.5\nMET_TEMP_POS=7 1 2 "
                       "3\nMET_HUMID_POS=-2,4,5,6\n")
                  .result,
              1);
    EXPECT_EQ(store.GetApproxPosFlag(), 5);
    EXPECT_EQ(store.GetApproxPos(), (std::array<double, 3>{1.5, 2.5, 3.5}));
    EXPECT_EQ(store.GetMetTempPosFlag(), 1);
    EXPECT_EQ(store.GetMetTempPos(), (std::array<double, 3>{1, 2, 3}));
    EXPECT_EQ(store.GetMetHumidPosFlag(), 1);
}

TEST(config_read, long_site_name_cut_to_sixty) {
    TempDir dir;
    ConfigStore store;
    const std::string name(70, 'N');
    ASSERT_EQ(ReadText(store, dir, "[RINEXDAT]\nSITE_NAME=" + name + "\n").result, 1);
    EXPECT_EQ(store.Settings().SiteName, std::string(60, 'N'));
}

TEST(config_read, lines_longer_than_799_are_read_whole) {
    TempDir dir;
    ConfigStore store;
    const std::string comment = "#" + std::string(2000, 'c') + "\n";
    const std::string text = comment + "[RINEXDAT]\nCOMMENT1=" + std::string(1500, 'v') +
                             "\nRCVR_TYPE=Z18\nWRITE_SATS=maybe\n";
    const ConfigReadResult r = ReadText(store, dir, text);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.lineNumber, 5);  // long lines count once
    EXPECT_EQ(store.GetRcvrType(), "Z18");
    EXPECT_EQ(store.Settings().Comment[0], std::string(60, 'v'));
    ASSERT_FALSE(store.KeptLines().empty());
    EXPECT_EQ(store.KeptLines()[0].text, comment);
}

TEST(config_read, crlf_lines_and_last_line_without_line_feed) {
    TempDir dir;
    ConfigStore store;
    const ConfigReadResult r =
        ReadText(store, dir, "# note\r\n\r\n[RINEXDAT]\r\nSITE_NAME=KELV\r\nSMOOTH_CODE=No  ");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.lineNumber, 5);
    EXPECT_EQ(store.GetSiteName(), "KELV");
    EXPECT_EQ(ReadText(store, dir, "[RINEXDAT]\nSITE_NAME=x\n   ").result, 1);
}

TEST(config_read, reading_again_replaces_kept_lines) {
    TempDir dir;
    ConfigStore store;
    ReadText(store, dir, "# a\n[RINEXDAT]\n");
    ReadText(store, dir, "# a\n[RINEXDAT]\n");
    EXPECT_EQ(store.KeptLines().size(), 2u);
}

TEST(config_write, user_file_rewritten_byte_for_byte) {
    TempDir dir;
    ConfigStore store;
    const ConfigReadResult r = ReadText(store, dir, kUserFile);
    ASSERT_EQ(r.result, 1);
    const std::string path = dir.File("Kelvrant.INI");
    ASSERT_EQ(store.WriteConfigFile(path), 1);
    EXPECT_EQ(test::FirstDifference(kUserFile, ReadFile(path)), "");
}

TEST(config_write, keys_in_table_order_missing_keys_added) {
    TempDir dir;
    ConfigStore store;
    ASSERT_EQ(ReadText(store, dir, "[RINEXDAT]\nMET_UTC_2_GPS=13\n# mid\nSITE_NAME=A\n").result, 1);
    const std::string out = Rewritten(store, dir);
    const std::string fresh = kFreshLayout;
    std::string expected = fresh.substr(fresh.find("[RINEXDAT]"));
    expected.pop_back();
    expected.replace(expected.find("SITE_NAME=\n"), 11, "SITE_NAME=A\n");
    expected.replace(expected.find("MET_UTC_2_GPS=0.0"), 17, "MET_UTC_2_GPS=13.0");
    expected += "# mid\n";
    EXPECT_EQ(test::FirstDifference(expected, out), "");
}

TEST(config_write, fresh_write_discards_kept_lines) {
    TempDir dir;
    ConfigStore store;
    ReadText(store, dir, "# a\n[RINEXDAT]\n");
    const std::string path = dir.File("Kelvrant.INI");
    ASSERT_EQ(store.WriteFreshConfigFile(path), 1);
    EXPECT_TRUE(store.KeptLines().empty());
    EXPECT_EQ(ReadFile(path), kFreshLayout);
}

/// Switches LC_NUMERIC to a locale with a decimal comma, compiling one into `dir` when none
/// is installed. False when that is impossible.
bool UseDecimalCommaLocale(const TempDir& dir) {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) return true;
    const test::ProcessResult made = test::RunProcess(
        {"/bin/sh", "-c", "localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "'"});
    if (made.exitCode != 0) return false;
    setenv("LOCPATH", dir.path().c_str(), 1);
    const bool ok = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    return ok;
}

TEST(config_write, numbers_ignore_the_process_locale) {
    const std::string old = std::setlocale(LC_NUMERIC, nullptr);
    TempDir localeDir;
    if (!UseDecimalCommaLocale(localeDir)) GTEST_SKIP() << "no locale with a decimal comma";
    TempDir dir;
    ConfigStore store;
    ReadText(store, dir, "[RINEXDAT]\nMET_PRESS_ACC=0.5\nMET_PRESS_POS=1.25,2,3\n");
    const std::string out = Rewritten(store, dir);
    std::setlocale(LC_NUMERIC, old.c_str());
    EXPECT_EQ(store.GetMetPressAcc(), 0.5);
    EXPECT_NE(out.find("MET_PRESS_POS=1.2500,2.0000,3.0000\n"), std::string::npos);
}

TEST(config_write, text_values_cut_and_kept_on_one_line) {
    TempDir dir;
    ConfigStore store;
    store.Settings().Observer = "a very long observer name here";
    store.Settings().SiteName = "two\nlines";
    const std::string out = Rewritten(store, dir);
    EXPECT_NE(out.find("\nOBSERVER=a very long observer\n"), std::string::npos);
    EXPECT_NE(out.find("\nSITE_NAME=two\nSITE_NUMBER="), std::string::npos);
}

TEST(config_write, failed_write_leaves_old_file_intact) {
    TempDir dir;
    const std::string path = dir.File("Kelvrant.INI");
    const std::string old = "# the user's file\n[RINEXDAT]\nSITE_NAME=KEEP\n";
    WriteFile(path, old);
    ConfigStore store;
    ASSERT_EQ(store.ReadConfigFile(path).result, 1);
    store.SetSiteName("CHANGED");

    // A file size limit below the new file's size makes the write fail part way.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int written = store.WriteConfigFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(written, 0);
    EXPECT_EQ(ReadFile(path), old);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);  // no temporary file left behind

    // Missing folders are made, but not below a file.
    EXPECT_EQ(store.WriteConfigFile(path + "/dir/Kelvrant.INI"), 0);
    ASSERT_EQ(store.WriteConfigFile(path), 1);
    EXPECT_NE(ReadFile(path).find("SITE_NAME=CHANGED\n"), std::string::npos);
}

TEST(config_write, keeps_permissions_and_writes_through_links) {
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string real = dir.File("real.INI");
    WriteFile(real, "[RINEXDAT]\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string link = dir.File("Kelvrant.INI");
    fs::create_symlink(real, link);
    ConfigStore store;
    ASSERT_EQ(store.ReadConfigFile(link).result, 1);
    store.SetSiteName("LINKED");
    ASSERT_EQ(store.WriteConfigFile(link), 1);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadFile(real).find("SITE_NAME=LINKED\n"), std::string::npos);
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(config_settings, comment_setters_move_non_empty_comments_to_front) {
    ConfigStore store;
    store.SetComments("", "second", "third");
    EXPECT_EQ(store.Settings().Comment[0], "second");
    EXPECT_EQ(store.Settings().Comment[1], "third");
    EXPECT_EQ(store.Settings().Comment[2], "");
    store.Settings().MetComment[0] = "a";
    store.Settings().MetComment[2] = std::string(61, 'c');
    const CommentSet met = store.GetMetComments();
    EXPECT_EQ(met.count, 2);
    EXPECT_EQ(met.text[0], "a");
    EXPECT_EQ(met.text[1], std::string(60, 'c'));
    EXPECT_EQ(met.text[2], "");
    store.SetMetComments("", "", "");
    EXPECT_EQ(store.GetMetComments().count, 0);
}

TEST(config_settings, setters_cut_texts_to_their_widths) {
    ConfigStore store;
    store.SetObserverAgency(std::string(50, 'a'));
    store.SetRcvrType(std::string(30, 'r'));
    store.SetSiteNumber(std::string(61, 'n'));
    EXPECT_EQ(store.GetObserverAgency().size(), 40u);
    EXPECT_EQ(store.GetRcvrType().size(), 20u);
    EXPECT_EQ(store.GetSiteNumber().size(), 60u);
    store.SetMetTempPos(3, {1, 2, 3});
    EXPECT_EQ(store.GetMetTempPosFlag(), 1);
}

TEST(config_settings, start_up_values) {
    ConfigStore store;
    store.SetSiteName("X");
    store.SetWindowPlacement({1, 2, 3, 4, 5});
    store.ResetToStartup();
    EXPECT_EQ(store.GetSiteName(), "");
    const WindowPlacement p = store.GetWindowPlacement();
    EXPECT_EQ(p.maximized, 0);
    EXPECT_EQ(p.left, -1);
    EXPECT_EQ(p.height, -1);
    EXPECT_EQ(ConfigFilePathBeside("/opt/kv/bin/kelvrant"), "/opt/kv/bin/Kelvrant.INI");
}

}  // namespace
}  // namespace kelvrant

namespace kelvrant {
namespace {

TEST(config_output, section_read_and_written_only_once_it_differs) {
    TempDir dir;
    ConfigStore store;
    // A file of an earlier version (no [OUTPUT]) is written back as it was.
    ASSERT_EQ(ReadText(store, dir, "[RINEXDAT]\nSITE_NAME=A\n").result, 1);
    std::string out = Rewritten(store, dir);
    EXPECT_EQ(out.find("[OUTPUT]"), std::string::npos);
    // A changed format is appended as its own section and reads back.
    store.Settings().Output.rinexVersion = 3;
    store.Settings().Output.compact = store.Settings().Output.gzip = true;
    store.Settings().Output.country = "NZL";
    store.Settings().Output.monument = 4;
    out = Rewritten(store, dir);
    EXPECT_NE(out.find("\n\n[OUTPUT]\nRINEX_VERSION=3\nCOMPRESS=crx.gz\nLONG_NAMES=Auto\n"
                       "MONUMENT=4\nRECEIVER_INDEX=0\nCOUNTRY=NZL\n"),
              std::string::npos)
        << out;
    ConfigStore again;
    ASSERT_EQ(ReadText(again, dir, out).result, 1);
    EXPECT_EQ(again.Settings().Output, store.Settings().Output);
    EXPECT_TRUE(again.Settings().Output.LongNames());
}

TEST(config_output, values_outside_their_range_stop_at_their_line) {
    TempDir dir;
    for (const char* line : {"RINEX_VERSION=4", "COMPRESS=zip", "LONG_NAMES=maybe", "MONUMENT=10",
                             "RECEIVER_INDEX=-1", "COUNTRY=DE", "COUNTRY=N1L"}) {
        ConfigStore store;
        const ConfigReadResult r = ReadText(store, dir, std::string("[OUTPUT]\n") + line + "\n");
        EXPECT_EQ(r.result, 0) << line;
        EXPECT_EQ(r.lineNumber, 2) << line;
    }
    ConfigStore store;
    ASSERT_EQ(ReadText(store, dir, "[output]\ncompress=GZ\ncountry=deu\nlong_names=no\n").result,
              1);
    EXPECT_TRUE(store.Settings().Output.gzip);
    EXPECT_FALSE(store.Settings().Output.compact);
    EXPECT_EQ(store.Settings().Output.country, "DEU");
    EXPECT_FALSE(store.Settings().Output.LongNames());
}

}  // namespace
}  // namespace kelvrant

namespace kelvrant {
namespace {

TEST(config_editing, section_written_only_once_chosen_and_read_back) {
    TempDir dir;
    ConfigStore store;
    ASSERT_EQ(ReadText(store, dir, "[RINEXDAT]\nSITE_NAME=A\n").result, 1);
    EXPECT_EQ(Rewritten(store, dir).find("[EDITING]"), std::string::npos);
    store.Settings().Editing = {"2026-12-08 10:00:00", "", "30", "day", "L1,C1", "G05,R"};
    const std::string out = Rewritten(store, dir);
    EXPECT_NE(out.find("\n\n[EDITING]\nFROM=2026-12-08 10:00:00\nTO=\nDECIMATE=30\nSPLIT=day\n"
                       "TYPES=L1,C1\nEXCLUDE=G05,R\n"),
              std::string::npos)
        << out;
    ConfigStore again;
    ASSERT_EQ(ReadText(again, dir, out).result, 1);
    EXPECT_EQ(again.Settings().Editing, store.Settings().Editing);
    EXPECT_EQ(again.Settings().Output, OutputFormat{});
}

TEST(config_site_logs, folder_written_only_once_given_and_read_back) {
    TempDir dir;
    ConfigStore store;
    ASSERT_EQ(ReadText(store, dir, "[RINEXDAT]\nSITE_NAME=A\n").result, 1);
    EXPECT_EQ(Rewritten(store, dir).find("[SITELOGS]"), std::string::npos);
    store.Settings().SiteLogDir = "/srv/gnss/site logs";
    const std::string out = Rewritten(store, dir);
    EXPECT_NE(out.find("\n\n[SITELOGS]\nFOLDER=/srv/gnss/site logs\n"), std::string::npos) << out;
    ConfigStore again;
    ASSERT_EQ(ReadText(again, dir, out).result, 1);
    EXPECT_EQ(again.Settings().SiteLogDir, "/srv/gnss/site logs");
}

}  // namespace
}  // namespace kelvrant
