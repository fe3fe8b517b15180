// Run preparation: every failure with its text and title, what is left on disk after a
// failure, the E-file span warning, the GPS week rule and the scratch index file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run/ProblemSink.h"
#include "run/RunFiles.h"
#include "run/RunInputs.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

// One observation job in a fresh directory: a G12 B-file of week 1000 without epochs, an
// observation and a navigation output; the other names empty unless a test sets them.
class prepare_obs_run : public ::testing::Test {
  protected:
    void SetUp() override {
        b = File("BN102A97.323");
        WriteFile(b, test::BFileHeaderBytes("G12", 1000));
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
    std::vector<std::string> ScratchFiles() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir_.path()))
            if (entry.path().filename().string().starts_with("Kelvrant.~"))
                found.push_back(entry.path().filename().string());
        return found;
    }
    void ExpectEverythingClosed() {
        for (const RunFile* f :
             {&files.BFile, &files.ScratchFile, &files.EFile, &files.SFile, &files.IonFile,
              &files.MetInFile, &files.ObsFile, &files.NavFile, &files.NavGFile, &files.MetOutFile})
            EXPECT_FALSE(f->IsOpen()) << f->name;
        EXPECT_TRUE(ScratchFiles().empty());
    }

    test::TempDir dir_;
    std::string b, e, navG, nav, obs, ion, s;
    RunFileSet files;
    RecordingProblemSink sink;
};

TEST_F(prepare_obs_run, opens_every_file_and_builds_the_index_beside_the_bfile) {
    e = File("EN102A97.323");
    WriteFile(e, test::EFileBytes({1000, 1001}));
    ion = File("IN102A97.323");
    WriteFile(ion, std::string(74, '\0'));
    s = File("SN102A97.323");
    WriteFile(s, test::SiteFileText());
    navG = File("N1023231.97G");
    ASSERT_TRUE(Prepare());
    EXPECT_TRUE(sink.problems.empty());
    EXPECT_TRUE(files.BFile.IsOpen());
    EXPECT_TRUE(files.EFile.IsOpen());
    EXPECT_TRUE(files.SFile.IsOpen());
    EXPECT_TRUE(files.IonFile.IsOpen());
    EXPECT_TRUE(files.NavGFile.IsOpen());
    EXPECT_EQ(files.ObsFile.name, obs);
    EXPECT_EQ(files.ScratchFile.name, File("Kelvrant.~01"));
    EXPECT_TRUE(fs::exists(files.ScratchFile.name));

    EXPECT_TRUE(CloseRunFiles(files));
    ExpectEverythingClosed();
    EXPECT_TRUE(fs::exists(obs));
    EXPECT_TRUE(fs::exists(navG));
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
    ExpectProblem("File Open Error", "Cannot Open Entered RINEX Observation File.\n\n" + missing);

    sink.problems.clear();
    obs = File("obs");
    nav = missing;
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered RINEX Navigation File.\n\n" + missing);

    sink.problems.clear();
    nav = File("nav");
    navG = missing;
    ion = File("ion");
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error",
                  "Cannot Open Entered RINEX GLONASS Navigation File.\n\n" + missing);
    ExpectEverythingClosed();
}

TEST_F(prepare_obs_run, ion_file_problems) {
    ion = File("missing.ion");
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered Ion-File.\n\n" + ion);

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
    ExpectProblem("File Open Error", "Cannot Open Entered Site File.\n\n" + s);

    sink.problems.clear();
    s = File("bad.s");
    WriteFile(s, "no site here\n");
    EXPECT_FALSE(Prepare());
    ExpectProblem("Error Reading File", "Cannot initiate the reading of the Site-File.\n\n" + s);
}

TEST_F(prepare_obs_run, a_missing_bfile_leaves_the_outputs_present_and_empty) {
    b = File("BN102Z97.323");
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered B-File.\n\n" + b);
    ExpectEverythingClosed();
    ASSERT_TRUE(fs::exists(obs));
    EXPECT_EQ(fs::file_size(obs), 0u);
    EXPECT_EQ(fs::file_size(nav), 0u);
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
        ExpectProblem("Error Reading B-File", c.text);
        ExpectEverythingClosed();
        ASSERT_TRUE(fs::exists(obs));
        EXPECT_EQ(fs::file_size(obs), 0u);
    }
}

TEST_F(prepare_obs_run, a_bfile_beyond_32_bit_offsets_is_refused_plainly) {
    // Sparse: the size is what counts, no data is read.
    fs::resize_file(b, 3ull << 30);
    EXPECT_FALSE(Prepare());
    ExpectProblem("Error Reading B-File", "B-File is too large to be converted (more than 2 GB).");
    ExpectEverythingClosed();
}

TEST_F(prepare_obs_run, a_directory_without_room_for_the_scratch_file) {
    const fs::path ro = dir_.path() / "ro";
    fs::create_directory(ro);
    b = (ro / "BN102A97.323").string();
    WriteFile(b, test::BFileHeaderBytes("G12", 1000));
    if (::geteuid() == 0) {
        // Root writes into read-only directories; /proc takes no new file from anyone.
        b = "/proc/version";
    }
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(Prepare());
    fs::permissions(ro, fs::perms::owner_all);
    ExpectProblem("File Open Error", "Cannot open scratch file for B-File.");
    ExpectEverythingClosed();
}

TEST_F(prepare_obs_run, efile_problems) {
    e = File("missing.e");
    EXPECT_FALSE(Prepare());
    ExpectProblem("File Open Error", "Cannot Open Entered E-File.\n\n" + e);
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
    EXPECT_TRUE(files.ScratchFile.IsOpen());
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
    WriteFile(b, test::BFileHeaderBytes("G12", 0));
    EXPECT_FALSE(Prepare());
    ExpectProblem("GPS Week Determination Error",
                  "Start Time of data cannot be determined.\n  E-File required in this case to "
                  "resolve GPS\n  week.\n");
    ExpectEverythingClosed();
}

TEST_F(prepare_obs_run, two_live_runs_in_one_directory_get_their_own_index) {
    ASSERT_TRUE(Prepare());
    RunFileSet second;
    ASSERT_TRUE(PrepareObsRun(second, sink, b, e, navG, File("nav2"), File("obs2"), ion, s));
    EXPECT_EQ(files.ScratchFile.name, File("Kelvrant.~01"));
    EXPECT_EQ(second.ScratchFile.name, File("Kelvrant.~02"));
    // The first run ending must not take the second run's index with it.
    CloseRunFiles(files);
    EXPECT_TRUE(fs::exists(File("Kelvrant.~02")));
    EXPECT_FALSE(fs::exists(File("Kelvrant.~01")));
    // A third run takes the freed name.
    RunFileSet third;
    ASSERT_TRUE(PrepareObsRun(third, sink, b, e, navG, File("nav3"), File("obs3"), ion, s));
    EXPECT_EQ(third.ScratchFile.name, File("Kelvrant.~01"));
    CloseRunFiles(second);
    CloseRunFiles(third);
    EXPECT_TRUE(ScratchFiles().empty());
}

TEST_F(prepare_obs_run, a_leftover_of_a_killed_run_is_reused) {
    WriteFile(File("Kelvrant.~01"), std::string(500, 'z'));
    ASSERT_TRUE(Prepare());
    EXPECT_EQ(files.ScratchFile.name, File("Kelvrant.~01"));
    // Emptied: a B-file without epochs indexes nothing.
    EXPECT_EQ(fs::file_size(File("Kelvrant.~01")), 0u);
    CloseRunFiles(files);
    EXPECT_TRUE(ScratchFiles().empty());
}

TEST_F(prepare_obs_run, a_symbolic_link_is_never_taken_as_the_scratch_file) {
    const std::string target = File("precious");
    WriteFile(target, "keep");
    fs::create_symlink(target, File("Kelvrant.~01"));
    ASSERT_TRUE(Prepare());
    EXPECT_EQ(files.ScratchFile.name, File("Kelvrant.~02"));
    CloseRunFiles(files);
    EXPECT_EQ(ReadFile(target), "keep");
}

TEST_F(prepare_obs_run, the_set_closes_itself) {
    {
        RunFileSet own;
        ASSERT_TRUE(PrepareObsRun(own, sink, b, e, navG, nav, obs, ion, s));
        EXPECT_FALSE(ScratchFiles().empty());
    }
    EXPECT_TRUE(ScratchFiles().empty());
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
    ExpectProblem("File Open Error", "Cannot Open Entered Input Meteorological File.\n\n" + in);
    sink.problems.clear();
    WriteFile(in, "$GPXDR\n");
    const std::string badOut = dir_.File("none/out.99M");
    EXPECT_FALSE(PrepareMetRun(files, sink, in, badOut));
    ExpectProblem("File Open Error",
                  "Cannot Open Entered Output Meteorological File.\n\n" + badOut);
    sink.problems.clear();
    EXPECT_TRUE(PrepareMetRun(files, sink, in, out));
    EXPECT_TRUE(sink.problems.empty());
    EXPECT_TRUE(files.MetInFile.IsOpen());
    EXPECT_TRUE(files.MetOutFile.IsOpen());
}

TEST_F(prepare_met_run, a_failed_final_write_names_the_output) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string in = dir_.File("in.nma");
    WriteFile(in, "x\n");
    ASSERT_TRUE(PrepareMetRun(files, sink, in, "/dev/full"));
    std::fputs("a line that will not fit\r\n", files.MetOutFile.file);
    std::vector<std::string> failed;
    EXPECT_FALSE(CloseRunFiles(files, &failed));
    EXPECT_EQ(failed, std::vector<std::string>{"/dev/full"});
    EXPECT_FALSE(files.MetOutFile.IsOpen());
}

}  // namespace
}  // namespace kelvrant
