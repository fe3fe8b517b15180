// The command line: every message and rule of the scan, the after-scan checks and the naming
// of the outputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "run/RunInputs.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::TempDir;

struct Parsed {
    bool ok = false;
    ConversionJob job;
    RecordingProblemSink sink;
};

// Parses "kelvrant" followed by `args` into a fresh default job.
Parsed Parse(const std::vector<std::string>& args, HeaderSettings settings = {}) {
    std::vector<const char*> argv{"/usr/bin/kelvrant"};
    for (const auto& a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    Parsed p;
    p.ok =
        ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data(), p.job, settings, p.sink);
    return p;
}

// The only problem reported, with the command-line title; the word at fault may follow the
// text after an empty line.
void ExpectOneError(const Parsed& p, std::string_view text) {
    EXPECT_FALSE(p.ok);
    ASSERT_EQ(p.sink.problems.size(), 1u);
    EXPECT_EQ(p.sink.problems[0].title, "Error In Command-Line Parameters");
    const std::string& got = p.sink.problems[0].text;
    EXPECT_EQ(got.substr(0, text.size()), text);
    if (got.size() > text.size()) {
        const std::string rest = got.substr(text.size());
        EXPECT_TRUE(text.ends_with("\r\n\r\n") || rest.starts_with("\r\n\r\n")) << got;
    }
}

void ExpectAccepted(const Parsed& p) {
    EXPECT_TRUE(p.ok);
    for (const auto& problem : p.sink.problems)
        ADD_FAILURE() << problem.title << ": " << problem.text;
}

const std::string kForm = "Unrecognized form of the Command-line parameters...\r\n\r\n";
const std::string kParams = "Command-line parameters contain errors ... Unrecognized Parameters.";

// --- Scan ---------------------------------------------------------------------------------

TEST(command_line, no_arguments_leave_the_job_interactive) {
    const Parsed p = Parse({});
    ExpectAccepted(p);
    EXPECT_FALSE(p.job.ObsRun);
    EXPECT_FALSE(p.job.MetRun);
    EXPECT_FALSE(p.job.RunMinimized);
}

TEST(command_line, a_single_argument_is_too_few) {
    ExpectOneError(Parse({"-X"}), "Command-line parameters contain errors ... Too few parameters.");
}

TEST(command_line, options_are_case_insensitive_and_letters_share_a_dash) {
    Parsed p = Parse({"-s", "0"});
    ExpectAccepted(p);
    EXPECT_FALSE(p.job.SmoothCode);
    EXPECT_TRUE(p.job.ObsRun);

    // -XS 1 acts as -X and -S 1.
    p = Parse({"-XS", "0"});
    ExpectAccepted(p);
    EXPECT_TRUE(p.job.RunMinimized);
    EXPECT_FALSE(p.job.SmoothCode);

    // Each letter takes its values in turn: -OS obs 0.
    p = Parse({"-OS", "obs", "0"});
    ExpectAccepted(p);
    EXPECT_FALSE(p.job.SmoothCode);
}

TEST(command_line, switch_values_must_be_zero_or_one) {
    ExpectOneError(Parse({"-S", "2"}), kForm);
    ExpectOneError(Parse({"-C", "x"}), kForm);
    ExpectOneError(Parse({"-C", ""}), kForm);
    // A leading number is read and the rest ignored.
    Parsed p = Parse({"-C", "0x"});
    ExpectAccepted(p);
    EXPECT_FALSE(p.job.SiteChanges);
    p = Parse({"-c", " 1junk"});
    ExpectAccepted(p);
    EXPECT_TRUE(p.job.SiteChanges);
}

TEST(command_line, an_option_letter_without_a_dash_is_an_unrecognized_form) {
    ExpectOneError(Parse({"-X", "Ifoo"}), kForm);
    // A stray word whose first letter is an option letter.
    ExpectOneError(Parse({"-X", "obs"}), kForm);
}

TEST(command_line, a_character_that_is_no_option_letter_is_an_unrecognized_parameter) {
    ExpectOneError(Parse({"-X", "-K"}), kParams + "\r\n\r\n-K");
    ExpectOneError(Parse({"-X", "7"}), kParams);
}

TEST(command_line, a_fifth_value_after_i_is_scanned_as_a_token) {
    ExpectOneError(Parse({"-I", "b", "e", "s", "ion", "5th"}), kParams);
    // Beginning with an option letter it is an option without a dash.
    ExpectOneError(Parse({"-I", "b", "e", "s", "ion", "obs"}), kForm);
}

TEST(command_line, i_takes_values_up_to_the_next_dash) {
    Parsed p = Parse({"-I", "/d/b", "/d/e", "-X"});
    ExpectAccepted(p);
    EXPECT_EQ(p.job.BFileName, "/d/b");
    EXPECT_EQ(p.job.EFileName, "/d/e");
    EXPECT_EQ(p.job.SFileName, "");
    EXPECT_TRUE(p.job.RunMinimized);
    // Zero values are accepted.
    p = Parse({"-I", "-X"});
    ExpectAccepted(p);
    EXPECT_TRUE(p.job.ObsRun);
    EXPECT_EQ(p.job.BFileName, "");
}

TEST(command_line, an_option_missing_its_value_is_an_unrecognized_form) {
    ExpectOneError(Parse({"-I", "b", "e", "-O"}), kForm);
    ExpectOneError(Parse({"-X", "-T"}), kForm);
}

TEST(command_line, f_needs_three_values) {
    ExpectOneError(Parse({"-I", "b", "-F", "1", "2"}), kForm);
    const Parsed p = Parse({"-F", "1", "100", "03", "-X"});
    ExpectAccepted(p);
    EXPECT_TRUE(p.job.ForceNames);
    EXPECT_FALSE(p.job.ObsRun);
    EXPECT_EQ(p.job.ForcedSession, "1");
    EXPECT_EQ(p.job.ForcedDay, "100");
    EXPECT_EQ(p.job.ForcedYear, "03");
}

TEST(command_line, values_too_long_for_the_job_are_refused_not_cut) {
    const std::string longPath(5000, 'a');
    Parsed p = Parse({"-I", longPath});
    EXPECT_FALSE(p.ok);
    ASSERT_EQ(p.sink.problems.size(), 1u);
    EXPECT_EQ(p.sink.problems[0].title, "Error In Command-Line Parameters");
    EXPECT_EQ(p.sink.problems[0].text,
              "The value given with the -I option is too long: 5000 characters, at most 4095 "
              "are allowed.");
    EXPECT_EQ(p.job.BFileName, "");

    p = Parse({"-F", std::string(16, '1'), "2", "3"});
    EXPECT_FALSE(p.ok);
    ASSERT_EQ(p.sink.problems.size(), 1u);
    EXPECT_NE(p.sink.problems[0].text.find("-F option is too long: 16 characters"),
              std::string::npos);
    // Fifteen characters fit.
    ExpectAccepted(Parse({"-F", std::string(15, '1'), "2", "3"}));
}

TEST(command_line, the_scan_resets_the_options_first) {
    std::vector<const char*> argv{"kelvrant", "-C", "1", nullptr};
    ConversionJob job;
    job.SmoothCode = false;
    job.OutputDoppler = 0;
    job.RunMinimized = true;
    HeaderSettings settings;
    RecordingProblemSink sink;
    EXPECT_TRUE(ParseCommandLine(3, argv.data(), job, settings, sink));
    EXPECT_TRUE(job.SmoothCode);
    EXPECT_EQ(job.OutputDoppler, 1);
    EXPECT_FALSE(job.RunMinimized);
}

// --- Met command line ---------------------------------------------------------------------

TEST(command_line, m_takes_week_and_seconds) {
    const Parsed p = Parse({"-M", "/d/in.nma", "/e/out.99M", "991", "176752"});
    ExpectAccepted(p);
    EXPECT_TRUE(p.job.MetRun);
    EXPECT_EQ(p.job.MetStartWeek, 991);
    EXPECT_DOUBLE_EQ(p.job.MetStartSeconds, 176752.0);
    EXPECT_EQ(p.job.MetInFileName, "/d/in.nma");
    // An output given with its directory goes there.
    EXPECT_EQ(p.job.MetOutFileName, "/e/out.99M");
    EXPECT_EQ(p.job.OutputPath, "/d/");
}

TEST(command_line, m_numbers_read_their_leading_digits) {
    const Parsed p = Parse({"-M", "in", "out", "991x", "176752.5s"});
    ExpectAccepted(p);
    EXPECT_EQ(p.job.MetStartWeek, 991);
    EXPECT_DOUBLE_EQ(p.job.MetStartSeconds, 176752.5);
}

TEST(command_line, m_rejects_bad_times_and_value_counts) {
    ExpectOneError(Parse({"-M", "in", "out", "991", "604800.5"}), kForm);
    ExpectAccepted(Parse({"-M", "in", "out", "991", "604800"}));
    ExpectOneError(Parse({"-M", "in", "out", "991"}), kForm);
    ExpectOneError(Parse({"-M", "in", "out", "wk", "0"}), kForm);
    ExpectOneError(Parse({"-M", "in", "out", "99999999999", "0"}), kForm);
    ExpectOneError(Parse({"-M", "in", "out", "1", "nan"}), kForm);
    ExpectOneError(Parse({"-M", "in", "-X"}), kForm);
    // -1 ends the value list; its digit is then no option letter.
    ExpectOneError(Parse({"-M", "in", "out", "-1", "100"}), kParams);
}

TEST(command_line, met_options_do_not_combine_with_observation_options) {
    ExpectOneError(Parse({"-M", "in", "out", "-S", "1"}),
                   "It is illegal to combine meteorological file data options\r\n with other "
                   "processing options.");
}

TEST(command_line, m_names_the_output_from_site_and_start_day) {
    HeaderSettings settings;
    settings.SiteName = "N102 Oak Ridge";
    const Parsed p = Parse({"-M", "/data/A99005.NMA", "", "991", "176752"}, settings);
    ExpectAccepted(p);
    EXPECT_EQ(p.job.MetOutFileName, "/data/N1020051.99M");
}

// An existing folder as the output: named there after the MARKER NAME given (else the
// configured site) and the log's session, as a batch converts met logs.
TEST(command_line, m_into_a_folder_names_the_output_there) {
    TempDir dir;
    HeaderSettings settings;
    settings.SiteName = "N102 Oak Ridge";
    struct Case {
        std::vector<std::string> extra;
        std::string name;
    } cases[] = {{{"--marker", "KELV"}, "KELV0052.99M"}, {{}, "N1020052.99M"}};
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-M", "/data/b99005.nma", dir.path().string(), "991",
                                         "176752"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const Parsed p = Parse(args, settings);
        ExpectAccepted(p);
        EXPECT_EQ(p.job.MetOutFileName, dir.File(c.name));
    }
}

TEST(met_naming, site_falls_back_to_xxxx) {
    ConversionJob job;
    job.MetInFileName = "in.nma";
    job.MetStartWeek = 991;
    job.MetStartSeconds = 176752;
    HeaderSettings settings;
    settings.SiteName = "N 02";
    NameMetOutput(job, settings);
    EXPECT_EQ(job.MetOutFileName, "XXXX0051.99M");
    EXPECT_EQ(job.OutputPath, "");

    job.MetOutFileName.clear();
    job.OutputPath = "/out";
    settings.SiteName = "AB";
    NameMetOutput(job, settings);
    EXPECT_EQ(job.MetOutFileName, "/out/XXXX0051.99M");
}

TEST(met_naming, exact_midnight_stays_on_its_day) {
    ConversionJob job;
    job.MetInFileName = "/m/in.nma";
    job.MetStartWeek = 991;
    job.MetStartSeconds = 172800;  // Tuesday 00:00 = 1999-01-05
    HeaderSettings settings;
    settings.SiteName = "ABCD";
    NameMetOutput(job, settings);
    EXPECT_EQ(job.MetOutFileName, "/m/ABCD0051.99M");
}

TEST(met_naming, make_met_file_name_converts_the_session) {
    EXPECT_EQ(MakeMetFileName("/d/", 5, 1999, "N102", 'a'), "/d/N1020051.99M");
    EXPECT_EQ(MakeMetFileName("", 365, 2003, "SITE", 'J'), "SITE365A.03M");
    EXPECT_EQ(MakeMetFileName("", 12, 2000, "SITE", '0'), "SITE0120.00M");
}

TEST(met_naming, session_characters) {
    EXPECT_EQ(ConvertSessionCharacter('A'), '1');
    EXPECT_EQ(ConvertSessionCharacter('i'), '9');
    EXPECT_EQ(ConvertSessionCharacter('J'), 'A');
    EXPECT_EQ(ConvertSessionCharacter('z'), 'Q');
    EXPECT_EQ(ConvertSessionCharacter('0'), '0');
    EXPECT_EQ(ConvertSessionCharacter('_'), '_');
}

// --- Auto-parameters ----------------------------------------------------------------------

TEST(command_line, p_does_not_combine_with_run_options) {
    ExpectOneError(Parse({"-P", "params.txt", "-S", "1"}),
                   "It is illegal to combine auto-parameters file with any other\r\ncommand-line "
                   "parameter arguments.\r\n");
    ExpectOneError(Parse({"-M", "in", "out", "-P", "params.txt"}),
                   "It is illegal to combine auto-parameters file with any other\r\ncommand-line "
                   "parameter arguments.\r\n");
}

TEST(command_line, p_with_x_reaches_the_parameter_file) {
    const Parsed p = Parse({"-P", "params.txt", "-X"});
    EXPECT_TRUE(p.job.AutoParamMode);
    EXPECT_TRUE(p.job.RunMinimized);
    EXPECT_EQ(p.job.AutoParamFileName, "params.txt");
    EXPECT_FALSE(p.job.SaveConfigOnExit);
    // The combination is accepted; the missing file is the parameter file's own problem.
    EXPECT_FALSE(p.ok);
    ASSERT_EQ(p.sink.problems.size(), 1u);
    EXPECT_EQ(p.sink.problems[0].title, "Error Parameters Dara File: params.txt");
}

TEST(command_line, a_parameter_file_names_the_run_and_keeps_full_output_paths) {
    test::TempDir dir;
    const auto line = [](std::string key, const std::string& value) {
        key.resize(29, ' ');
        return key + value + "\n";
    };
    const std::string path = dir.File("auto.par");
    test::WriteFile(path, line("KELVRANT_PRESNT", "Yes") + line("KELVRANT_MODE", "0") +
                              line("KELVRANT_BFNAME", "\"/d/BN102A97.323\"") +
                              line("KELVRANT_OBSFNAME", "\"/o/x.97O\"") +
                              line("KELVRANT_NAVFNAME", "\"rel/x.97N\"") +
                              line("RINEX_VERSION", "3") + line("COMPRESS", "\"crx.gz\"") +
                              line("COUNTRY", "\"che\"") + std::string(50, '-') + "\n");
    const Parsed p = Parse({"-p", path, "-x"});
    ExpectAccepted(p);
    // The file's output format is the run's; its names are kept as given.
    EXPECT_EQ(p.job.Format.rinexVersion, 3);
    EXPECT_TRUE(p.job.Format.compact && p.job.Format.gzip);
    EXPECT_EQ(p.job.Format.country, "CHE");
    EXPECT_TRUE(p.job.ObsRun);
    EXPECT_TRUE(p.job.RunMinimized);
    EXPECT_EQ(p.job.BFileName, "/d/BN102A97.323");
    EXPECT_EQ(p.job.ObsFileName, "/o/x.97O");
    EXPECT_EQ(p.job.NavFileName, "rel/x.97N");
}

// --- Observation output names -------------------------------------------------------------

class obs_naming : public ::testing::Test {
  protected:
    std::string Dir() const { return dir_.path().string() + "/"; }
    std::string BFile(const std::string& name, const std::string& receiver) {
        const std::string path = Dir() + name;
        test::WriteFile(path, test::BFileHeaderBytes(receiver, 1000));
        return path;
    }
    TempDir dir_;
};

TEST_F(obs_naming, g12_file_gets_observation_and_navigation_names) {
    const std::string b = BFile("BN102A97.323", "G12");
    const Parsed p = Parse({"-I", b, Dir() + "EN102A97.323"});
    ExpectAccepted(p);
    EXPECT_EQ(p.job.ObsFileName, Dir() + "N1023231.97O");
    EXPECT_EQ(p.job.NavFileName, Dir() + "N1023231.97N");
    EXPECT_EQ(p.job.NavGFileName, "");
    EXPECT_EQ(p.job.OutputPath, Dir());
}

TEST_F(obs_naming, glonass_receivers_also_get_a_glonass_name) {
    for (const char* receiver : {"GG24", "gg-xxiv", "Z18"}) {
        const std::string b = BFile("BN102A97.323", receiver);
        const Parsed p = Parse({"-I", b, Dir() + "EN102A97.323"});
        ExpectAccepted(p);
        EXPECT_EQ(p.job.NavGFileName, Dir() + "N1023231.97G") << receiver;
    }
}

TEST_F(obs_naming, an_unreadable_bfile_gets_no_glonass_name) {
    const Parsed p = Parse({"-I", Dir() + "BN102A97.323", "e"});
    ExpectAccepted(p);
    EXPECT_EQ(p.job.ObsFileName, Dir() + "N1023231.97O");
    EXPECT_EQ(p.job.NavGFileName, "");
}

// The output format: the command line's choices over the configuration's, and the short names
// of compressed and RINEX 3 files (long names are given when the data's span is known).
TEST_F(obs_naming, format_options_choose_the_format_and_the_short_names) {
    const std::string b = BFile("BN102A97.323", "GG24");
    HeaderSettings configured;
    configured.Output.country = "DEU";
    configured.Output.longNames = 0;
    const struct {
        std::vector<std::string> options;
        std::int32_t version;
        bool compact, gzip;
        const char *obs, *nav, *glonass;
    } cases[] = {
        {{}, 2, false, false, "N1023231.97O", "N1023231.97N", "N1023231.97G"},
        {{"--compress", "crx"}, 2, true, false, "N1023231.97D", "N1023231.97N", "N1023231.97G"},
        {{"--compress=GZ"},
         2,
         false,
         true,
         "N1023231.97O.gz",
         "N1023231.97N.gz",
         "N1023231.97G.gz"},
        {{"--compress", "crx.gz", "--rinex", "2"},
         2,
         true,
         true,
         "N1023231.97D.gz",
         "N1023231.97N.gz",
         "N1023231.97G.gz"},
        {{"--rinex", "3"}, 3, false, false, "N1023231.97O", "N1023231.97P", ""},
        {{"--rinex", "3", "--compress", "crx.gz"},
         3,
         true,
         true,
         "N1023231.97D.gz",
         "N1023231.97P.gz",
         ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"-I", b, Dir() + "EN102A97.323"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Parsed p = Parse(args, configured);
        SCOPED_TRACE(args.size() > 3 ? args[3] : "none");
        ExpectAccepted(p);
        EXPECT_EQ(p.job.Format.rinexVersion, c.version);
        EXPECT_EQ(p.job.Format.compact, c.compact);
        EXPECT_EQ(p.job.Format.gzip, c.gzip);
        EXPECT_EQ(p.job.Format.country, "DEU");
        EXPECT_EQ(p.job.ObsFileName, Dir() + c.obs);
        EXPECT_EQ(p.job.NavFileName, Dir() + c.nav);
        EXPECT_EQ(p.job.NavGFileName, *c.glonass ? Dir() + c.glonass : "");
    }
    const Parsed p = Parse({"-I", b, "e", "--long-names", "--monument", "3", "--receiver-index",
                            "7", "--country", "nzl"},
                           configured);
    ExpectAccepted(p);
    EXPECT_TRUE(p.job.Format.LongNames());
    EXPECT_EQ(p.job.Format.monument, 3);
    EXPECT_EQ(p.job.Format.receiverIndex, 7);
    EXPECT_EQ(p.job.Format.country, "NZL");
}

TEST_F(obs_naming, format_options_refuse_wrong_values) {
    const std::string b = BFile("BN102A97.323", "GG24");
    const std::vector<std::vector<std::string>> bad = {
        {"--rinex", "4"},
        {"--compress", "zip"},
        {"--country", "DE"},
        {"--monument", "12"},
        {"--receiver-index", "x"},
        {"--country=N1L"},
        {"--rinex", "3", "-G", "x.97G"},
    };
    for (const auto& option : bad) {
        std::vector<std::string> args{"-I", b, "e"};
        args.insert(args.end(), option.begin(), option.end());
        const Parsed p = Parse(args);
        EXPECT_FALSE(p.ok) << option[0];
        ASSERT_EQ(p.sink.problems.size(), 1u);
        const std::string word =
            option.size() == 4 ? "-G" : option[0].substr(0, option[0].find('='));
        EXPECT_NE(p.sink.problems[0].text.find(word), std::string::npos) << p.sink.problems[0].text;
    }
}

TEST_F(obs_naming, session_letters_map_to_digits_and_letters) {
    Parsed p = Parse({"-I", Dir() + "BN102J97.323", "e"});
    EXPECT_EQ(p.job.ObsFileName, Dir() + "N102323A.97O");
    p = Parse({"-I", Dir() + "BN102c97.323", "e"});
    EXPECT_EQ(p.job.ObsFileName, Dir() + "N1023233.97O");
}

TEST_F(obs_naming, long_base_names_keep_three_session_characters) {
    const Parsed p = Parse({"-I", Dir() + "BN102abc97.323", "e"});
    EXPECT_EQ(p.job.ObsFileName, Dir() + "N102323ABC.97O");
    EXPECT_EQ(p.job.NavFileName, Dir() + "N102323ABC.97N");
}

TEST_F(obs_naming, short_base_names_make_no_names) {
    const Parsed p = Parse({"-I", Dir() + "B102.323", "e"});
    ExpectAccepted(p);
    EXPECT_EQ(p.job.ObsFileName, "");
    EXPECT_EQ(p.job.NavFileName, "");
    EXPECT_EQ(p.job.OutputPath, Dir());
}

TEST_F(obs_naming, forced_names_are_used_unchanged) {
    const Parsed p = Parse({"-I", Dir() + "BN102A97.323", "e", "-F", "x", "100", "03"});
    ExpectAccepted(p);
    EXPECT_EQ(p.job.ObsFileName, Dir() + "N102100x.03O");
}

TEST_F(obs_naming, given_names_keep_their_directory) {
    const Parsed p =
        Parse({"-I", Dir() + "BN102A97.323", "e", "-O", "/elsewhere/OBSFILE", "-N", "NAVFILE"});
    ExpectAccepted(p);
    EXPECT_EQ(p.job.ObsFileName, "/elsewhere/OBSFILE");
    EXPECT_EQ(p.job.NavFileName, Dir() + "NAVFILE");
    EXPECT_EQ(p.job.NavGFileName, "");
}

TEST_F(obs_naming, t_places_the_outputs_in_its_directory) {
    std::filesystem::create_directory(Dir() + "rinex.out");
    Parsed p = Parse({"-I", Dir() + "BN102A97.323", "e", "-T", Dir() + "rinex.out"});
    ExpectAccepted(p);
    EXPECT_EQ(p.job.OutputPath, Dir() + "rinex.out/");
    EXPECT_EQ(p.job.ObsFileName, Dir() + "rinex.out/N1023231.97O");
    p = Parse({"-I", Dir() + "BN102A97.323", "e", "-T", Dir()});
    EXPECT_EQ(p.job.ObsFileName, Dir() + "N1023231.97O");
    // "-ti 30", meant as an interval elsewhere, is -T 30: refused before anything is read.
    ExpectOneError(Parse({"-I", Dir() + "BN102A97.323", "e", "-ti", "30"}),
                   "The output folder given with -T does not exist.\r\n\r\n-T 30");
}

TEST_F(obs_naming, a_parameter_file_keeps_output_paths) {
    ConversionJob job;
    job.BFileName = Dir() + "BN102A97.323";
    job.ObsFileName = "/keep/obs.97O";
    job.NavFileName = "rel/nav.97N";
    job.AutoParamMode = true;
    NameObsOutputs(job);
    EXPECT_EQ(job.ObsFileName, "/keep/obs.97O");
    EXPECT_EQ(job.NavFileName, "rel/nav.97N");
}

TEST(path_parts, split_at_the_last_slash_and_dot) {
    PathParts p = SplitPath("/a.b/BN102A97.323");
    EXPECT_EQ(p.directory, "/a.b/");
    EXPECT_EQ(p.base, "BN102A97");
    EXPECT_EQ(p.extension, ".323");
    p = SplitPath("noext");
    EXPECT_EQ(p.directory, "");
    EXPECT_EQ(p.base, "noext");
    EXPECT_EQ(p.extension, "");
}

}  // namespace
}  // namespace kelvrant
