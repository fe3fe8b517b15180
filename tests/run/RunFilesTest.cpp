// Run preparation: every failure with its text and title, what is left on disk after a
// failure (nothing: outputs are temporaries until the run publishes them), the E-file span and
// week warnings, the GPS week rule, damaged B-files and outputs that name an input.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run/ProblemSink.h"
#include "run/RunFiles.h"
#include "run/RunInputs.h"
#include "support/BFileBuilder.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

const std::string kMissing = ": No such file or directory";

// A G12 B-file of week 1000 with a few epochs.
std::string BFileWithEpochs(std::int32_t week = 1000, int epochs = 3) {
    test::BHeader h;
    h.week = week;
    test::BFileBuilder b(h);
    for (int i = 0; i < epochs; ++i) {
        test::BEpoch e;
        e.time = 3600.0 + 30.0 * i;
        e.satellites = {test::MakeSatellite(5, 1)};
        b.Add(e);
    }
    return b.Bytes();
}

// The names in a folder, sorted.
std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// One observation job in a fresh directory: a G12 B-file of week 1000, an observation and a
// navigation output; the other names empty unless a test sets them.
class prepare_obs_run : public ::testing::Test {
  protected:
    void SetUp() override {
        b = File("BN102A97.323");
        WriteFile(b, BFileWithEpochs());
        obs = File("N1023231.97O");
        nav = File("N1023231.97N");
    }
    std::string File(const std::string& name) const { return dir_.File(name); }
    bool Prepare() { return PrepareObsRun(files, sink, b, e, navG, nav, obs, ion, s); }

    // The only problem reported.
    void ExpectProblem(std::string_view title, std::string_view text) {
        ASSERT_EQ(sink.problems.size(), 1u);
        EXPECT_EQ(sink.problems[0].title, title);
        EXPECT_EQ(sink.problems[0].text, text);
    }
    // Every file closed and no output touched: the folder holds only what the test put there.
    void ExpectEverythingClosed() {
        for (const RunFile* f :
             {&files.BFile, &files.EFile, &files.SFile, &files.IonFile, &files.MetInFile})
            EXPECT_FALSE(f->IsOpen()) << f->name;
        for (const OutputFile* f :
             {&files.ObsFile, &files.NavFile, &files.NavGFile, &files.MetOutFile})
            EXPECT_FALSE(f->IsOpen()) << f->name;
        for (const std::string& name : Names(dir_.path()))
            EXPECT_EQ(name.find(".kelvrant-"), std::string::npos) << name;
        EXPECT_FALSE(fs::exists(obs));
        EXPECT_FALSE(fs::exists(nav));
    }

    test::TempDir dir_;
    std::string b, e, navG, nav, obs, ion, s;
    RunFileSet files;
    RecordingProblemSink sink;
};

TEST_F(prepare_obs_run, outputs_are_temporaries_until_published) {
    e = File("EN102A97.323");
    WriteFile(e, test::EFileBytes({1000, 1001}));
    ion = File("IN102A97.323");
    WriteFile(ion, std::string(74, '\0'));
    s = File("SN102A97.323");
    WriteFile(s, test::SiteFileText());
    navG = File("N1023231.97G");
    WriteFile(obs, "yesterday");
    ASSERT_TRUE(Prepare());
    EXPECT_TRUE(sink.problems.empty());
    EXPECT_TRUE(files.BFile.IsOpen());
    EXPECT_TRUE(files.EFile.IsOpen());
    EXPECT_TRUE(files.SFile.IsOpen());
    EXPECT_TRUE(files.IonFile.IsOpen());
    EXPECT_EQ(files.ObsFile.name, obs);
    EXPECT_EQ(files.ObsFile.temporary.rfind(File(".N1023231.97O.kelvrant-"), 0), 0u);
    std::fputs("today", files.ObsFile.file);
    EXPECT_EQ(ReadFile(obs), "yesterday");
    EXPECT_FALSE(fs::exists(navG));

    ASSERT_TRUE(PublishRunOutputs(files, sink));
    EXPECT_EQ(ReadFile(obs), "today");
    EXPECT_TRUE(fs::exists(nav));
    EXPECT_TRUE(fs::exists(navG));
    CloseRunFiles(files);
    for (const std::string& name : Names(dir_.path()))
        EXPECT_EQ(name.find(".kelvrant-"), std::string::npos) << name;
}

TEST_F(prepare_obs_run, an_unpublished_run_leaves_the_final_names_alone) {
    WriteFile(obs, "yesterday");
    {
        RunFileSet own;
        ASSERT_TRUE(PrepareObsRun(own, sink, b, e, navG, nav, obs, ion, s));
        std::fputs("half", own.ObsFile.file);
    }
    EXPECT_EQ(ReadFile(obs), "yesterday");
    EXPECT_FALSE(fs::exists(nav));
    EXPECT_EQ(Names(dir_.path()), (std::vector<std::string>{"BN102A97.323", "N1023231.97O"}));
}

TEST_F(prepare_obs_run, a_symlink_at_an_output_is_replaced_and_its_target_kept) {
    const std::string target = File("precious");
    WriteFile(target, "keep");
    fs::create_symlink(target, obs);
    ASSERT_TRUE(Prepare());
    ASSERT_TRUE(PublishRunOutputs(files, sink));
    EXPECT_EQ(ReadFile(target), "keep");
    EXPECT_FALSE(fs::is_symlink(obs));
}

// The hint before a run replaces a file: it never changes the file, follows no symlink and
// never waits on a FIFO (whose open would block until a writer came).
TEST_F(prepare_obs_run, forgetting_the_cached_pages_of_an_output_touches_nothing) {
    const std::string target = File("precious");
    WriteFile(target, "keep");
    WriteFile(obs, "yesterday");
    const auto written = fs::last_write_time(obs);
    fs::create_symlink(target, File("link"));
    ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
    fs::create_directory(File("folder"));
    for (const char* name : {"N1023231.97O", "link", "fifo", "folder", "missing"})
        ForgetCachedPages(File(name));
    EXPECT_EQ(ReadFile(obs), "yesterday");
    EXPECT_EQ(fs::last_write_time(obs), written);
    EXPECT_EQ(ReadFile(target), "keep");
    EXPECT_TRUE(fs::is_fifo(File("fifo")));
}

TEST_F(prepare_obs_run, a_leftover_temporary_of_a_killed_run_is_neither_used_nor_removed) {
    const std::string leftover = File(".N1023231.97O.kelvrant-AAAAAA");
    WriteFile(leftover, "another run");
    ASSERT_TRUE(Prepare());
    EXPECT_NE(files.ObsFile.temporary, leftover);
    CloseRunFiles(files);
    EXPECT_EQ(ReadFile(leftover), "another run");
}

TEST_F(prepare_obs_run, a_bfile_in_a_folder_without_room_converts_when_outputs_go_elsewhere) {
    // /proc takes no new file, not even from root; the index needs none.
    const fs::path out = dir_.path() / "out";
    fs::create_directory(out);
    const fs::path ro = dir_.path() / "ro";
    fs::create_directory(ro);
    b = (ro / "BN102A97.323").string();
    WriteFile(b, BFileWithEpochs());
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    obs = (out / "x.obs").string();
    nav.clear();
    const bool prepared = Prepare();
    fs::permissions(ro, fs::perms::owner_all);
    ASSERT_TRUE(prepared);
    EXPECT_EQ(Names(ro), std::vector<std::string>{"BN102A97.323"});
}

TEST_F(prepare_obs_run, an_output_that_is_an_input_or_another_output_is_refused) {
    e = File("EN102A97.323");
    WriteFile(e, test::EFileBytes({1000, 1001}));
    fs::create_directory(dir_.path() / "a");
    fs::create_hard_link(b, File("hardlink"));
    struct Case {
        std::string obs, nav, first, second;
    };
    const std::vector<Case> cases = {
        {b, "", b, b},
        {File("o"), e, e, e},
        {File("a/../BN102A97.323"), "", File("BN102A97.323"), b},
        {File("hardlink"), "", File("hardlink"), b},
        {File("same"), File("a/../same"), File("same"), File("same")},
    };
    const std::string bBytes = ReadFile(b);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.obs + " " + c.nav);
        sink.problems.clear();
        obs = c.obs;
        nav = c.nav;
        EXPECT_FALSE(Prepare());
        ASSERT_EQ(sink.problems.size(), 1u);
        EXPECT_EQ(sink.problems[0].title, "Output File Conflict");
        EXPECT_NE(sink.problems[0].text.find(c.first), std::string::npos) << sink.problems[0].text;
        EXPECT_NE(sink.problems[0].text.find(c.second), std::string::npos) << sink.problems[0].text;
        EXPECT_EQ(ReadFile(b), bBytes);
        EXPECT_FALSE(fs::exists(File("same")));
    }
}

TEST_F(prepare_obs_run, damaged_bfiles) {
    const std::string good = BFileWithEpochs(1000, 10);
    std::string spoilt = good;
    spoilt[90 + 66] = 25;  // the first epoch announces 25 satellites
    WriteFile(b, spoilt);
    ASSERT_TRUE(Prepare());
    ASSERT_EQ(sink.problems.size(), 1u);
    EXPECT_EQ(sink.problems[0].title, "B-File Warning");
    EXPECT_EQ(sink.problems[0].text.rfind("1 damaged stretch(es) of the B-File (102 bytes) were "
                                          "skipped; the first begins at byte offset 90.\n\n",
                                          0),
              0u)
        << sink.problems[0].text;
    EXPECT_EQ(files.ObsReader.LastEpochIndex(), 8);
    CloseRunFiles(files);

    struct Case {
        std::string bytes, text;
    };
    const std::vector<Case> cases = {
        {good.substr(0, 90), "The B-File holds no readable epoch.\n\n" + b},
        {good.substr(0, 90) + std::string(2000, '\x7f') + good.substr(90, 102),
         "Most of the B-File is damaged; it cannot be converted.\n\n" + b},
    };
    for (const Case& c : cases) {
        sink.problems.clear();
        WriteFile(b, c.bytes);
        EXPECT_FALSE(Prepare());
        ExpectProblem("Error Reading B-File", c.text);
        ExpectEverythingClosed();
    }
}

TEST_F(prepare_obs_run, an_efile_weeks_away_from_the_bfile_warns_with_both_weeks) {
    e = File("EN102A97.323");
    struct Case {
        std::int16_t eWeek;
        bool warns;
    };
    for (const Case& c : {Case{1001, false}, Case{999, false}, Case{1008, true},
                          Case{static_cast<std::int16_t>(1000 + 1024), false}}) {
        sink.problems.clear();
        WriteFile(e, test::EFileBytes({c.eWeek}));
        ASSERT_TRUE(Prepare()) << c.eWeek;
        EXPECT_EQ(sink.problems.size(), c.warns ? 1u : 0u) << c.eWeek;
        if (c.warns) {
            EXPECT_EQ(sink.problems[0].title, "GPS Week Warning");
            EXPECT_NE(sink.problems[0].text.find("week 1008 (1999-05-02)"), std::string::npos)
                << sink.problems[0].text;
            EXPECT_NE(sink.problems[0].text.find("week 1000 (1999-03-07)"), std::string::npos)
                << sink.problems[0].text;
        }
    }
}

TEST_F(prepare_obs_run, needs_a_bfile) {
    b.clear();
    EXPECT_FALSE(Prepare());
    ExpectProblem("Minimum File Requirements", "A valid source B-File must be specified!");
}

TEST_F(prepare_obs_run, needs_an_observation_or_navigation_output) {
    obs.clear();
    nav.clear();
    navG = File("N1023231.97G");
    ion = File("ion");
    EXPECT_FALSE(Prepare());
    ExpectProblem("No Operation to Perform",
                  "A RINEX output file (Observation or Navigation) must be specified.");
}

TEST_F(prepare_obs_run, glonass_output_needs_an_ion_file_before_any_file_is_created) {
    navG = File("N1023231.97G");
    EXPECT_FALSE(Prepare());
    ExpectProblem("No Operation to Perform",
                  "An output RINEX GLONASS Nav file requires an input ION File.");
    EXPECT_FALSE(fs::exists(obs));
    EXPECT_FALSE(fs::exists(nav));
}

TEST_F(prepare_obs_run, outputs_that_cannot_be_created) {
    const std::string missing = File("no/such/dir/out");
    obs = missing;
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error",
                  "Cannot Open Entered RINEX Observation File.\n\n" + missing + kMissing);

    sink.problems.clear();
    obs = File("obs");
    nav = missing;
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error",
                  "Cannot Open Entered RINEX Navigation File.\n\n" + missing + kMissing);

    sink.problems.clear();
    nav = File("nav");
    navG = missing;
    ion = File("ion");
    WriteFile(ion, std::string(74, '\0'));
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error",
                  "Cannot Open Entered RINEX GLONASS Navigation File.\n\n" + missing + kMissing);
    ExpectEverythingClosed();
}

TEST_F(prepare_obs_run, ion_file_problems) {
    ion = File("missing.ion");
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered Ion-File.\n\n" + ion + kMissing);

    sink.problems.clear();
    ion = File("short.ion");
    WriteFile(ion, std::string(10, '\0'));
    EXPECT_FALSE(Prepare());
    ExpectProblem("Error Reading File", "Cannot initiate the reading of the Ion-File.\n\n" + ion);
    EXPECT_EQ(files.Ion.loaded, 0);
}

TEST_F(prepare_obs_run, site_file_problems) {
    s = File("missing.s");
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered Site File.\n\n" + s + kMissing);

    sink.problems.clear();
    s = File("bad.s");
    WriteFile(s, "no site here\n");
    EXPECT_FALSE(Prepare());
    ExpectProblem("Error Reading File", "Cannot initiate the reading of the Site-File.\n\n" + s);
}

TEST_F(prepare_obs_run, a_missing_bfile_is_named_as_missing_and_no_output_is_made) {
    b = File("NOSUCH.342");
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered B-File.\n\n" + b + kMissing);
    ExpectEverythingClosed();
    // Also when the job names no output (no name could be made from the B-file's).
    sink.problems.clear();
    obs.clear();
    nav.clear();
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered B-File.\n\n" + b + kMissing);
}

TEST_F(prepare_obs_run, unreadable_bfiles_by_reader_error) {
    struct Case {
        std::string bytes;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"VERSION", "Cannot locate B-File Header."},
        {std::string(90, 'x'), "File does not appear to be an Ashtech B-File."},
        {test::BFileHeaderBytes("G12", 1000, 2), "Invalid B-File verion .. Cannot Continue."},
        {test::BFileHeaderBytes("G12", 1000, 3, 4), "General read failure."},
    };
    for (const Case& c : cases) {
        sink.problems.clear();
        WriteFile(b, c.bytes);
        EXPECT_FALSE(Prepare());
        ExpectProblem("Error Reading B-File", c.text + ("\n\n" + b));
        ExpectEverythingClosed();
    }
}

TEST_F(prepare_obs_run, efile_problems) {
    e = File("missing.e");
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered E-File.\n\n" + e + kMissing);
    ExpectEverythingClosed();

    // More records than the reader's 16-bit count holds.
    sink.problems.clear();
    e = File("EN102A97.323");
    WriteFile(e, test::EFileBytes(std::vector<std::int16_t>(32768, 1000)));
    EXPECT_FALSE(Prepare());
    ExpectProblem("Error Reading File", "Cannot initiate the reading of the E-File.\n\n" + e);
    ExpectEverythingClosed();
}

TEST_F(prepare_obs_run, a_seven_week_efile_warns_and_goes_on) {
    e = File("EN102A97.323");
    WriteFile(e, test::EFileBytes({1000, 1003, 1007}));
    EXPECT_TRUE(Prepare());
    ExpectProblem("Navigation File Warning",
                  "Large time span in Nav file " + e +
                      "\nStart Week is 1000 and End Week is 1007.\n\nContinuing anyway\n");
    EXPECT_TRUE(files.ObsFile.IsOpen());
}

TEST_F(prepare_obs_run, a_five_week_efile_is_quiet) {
    e = File("EN102A97.323");
    WriteFile(e, test::EFileBytes({1000, 1005}));
    EXPECT_TRUE(Prepare());
    EXPECT_TRUE(sink.problems.empty());
}

TEST_F(prepare_obs_run, without_efile_the_bfile_week_dates_the_data) {
    ASSERT_TRUE(Prepare());
    EXPECT_TRUE(sink.problems.empty());
    EXPECT_EQ(files.NavReader.StartWeek, -1);
    EXPECT_EQ(files.NavReader.EndWeek, -1);
    EXPECT_EQ(files.NavReader.StartSeconds, -1.0);
    EXPECT_EQ(files.NavReader.EndSeconds, -1.0);
}

TEST_F(prepare_obs_run, without_efile_week_zero_cannot_be_dated) {
    WriteFile(b, BFileWithEpochs(0));
    EXPECT_FALSE(Prepare());
    ExpectProblem("GPS Week Determination Error",
                  "Start Time of data cannot be determined.\n  E-File required in this case to "
                  "resolve GPS\n  week.\n");
    ExpectEverythingClosed();
}

// --- Met runs ------------------------------------------------------------------------------

class prepare_met_run : public ::testing::Test {
  protected:
    test::TempDir dir_;
    RunFileSet files;
    RecordingProblemSink sink;
    void ExpectProblem(std::string_view title, std::string_view text) {
        ASSERT_EQ(sink.problems.size(), 1u);
        EXPECT_EQ(sink.problems[0].title, title);
        EXPECT_EQ(sink.problems[0].text, text);
        EXPECT_FALSE(files.MetInFile.IsOpen());
        EXPECT_FALSE(files.MetOutFile.IsOpen());
    }
};

TEST_F(prepare_met_run, checks_names_and_opens) {
    const std::string in = dir_.File("A99005.NMA");
    const std::string out = dir_.File("N1020051.99M");
    EXPECT_FALSE(PrepareMetRun(files, sink, "", out));
    ExpectProblem("Minimum File Requirements",
                  "A valid source Meteorological file must be specified!");
    sink.problems.clear();
    EXPECT_FALSE(PrepareMetRun(files, sink, in, ""));
    ExpectProblem("Minimum File Requirements",
                  "A valid target RINEX Meteorological file must be specified!");
    sink.problems.clear();
    EXPECT_FALSE(PrepareMetRun(files, sink, in, out));
    ExpectProblem("File Open Error",
                  "Cannot Open Entered Input Meteorological File.\n\n" + in + kMissing);
    sink.problems.clear();
    WriteFile(in, "$GPXDR\n");
    const std::string badOut = dir_.File("none/out.99M");
    EXPECT_FALSE(PrepareMetRun(files, sink, in, badOut));
    ExpectProblem("File Open Error",
                  "Cannot Open Entered Output Meteorological File.\n\n" + badOut + kMissing);
    sink.problems.clear();
    EXPECT_TRUE(PrepareMetRun(files, sink, in, out));
    EXPECT_TRUE(sink.problems.empty());
    EXPECT_TRUE(files.MetInFile.IsOpen());
    EXPECT_TRUE(files.MetOutFile.IsOpen());
}

}  // namespace
}  // namespace kelvrant
