// The batch's own decisions: its command line, which files make a session, where outputs go
// and the single-run command line each session is converted with.
#include "batch/Batch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(batch_options, pass_through_and_refusals) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::vector<std::string> passThrough;
    } cases[] = {
        {{"--out", "o", "-S", "0", "-c", "1", "--jobs=3", "camp"}, true, {"-S", "0", "-c", "1"}},
        {{"-X", "--json", "--comment=A B", "camp"}, true, {"-X", "--comment=A B"}},
        {{"camp", "-O", "x.obs"}, false, {}},  // a batch names its outputs itself
        {{"camp", "--jobs", "0"}, false, {}},
        {{"--layout", "{year}/{week}", "camp"}, false, {}},
        {{"--json"}, false, {}},  // nothing to search
        {{"camp", "--out"}, false, {}},
    };
    for (const Case& c : cases) {
        BatchOptions o;
        std::string why;
        EXPECT_EQ(ParseBatchOptions(c.args, o, why), c.ok) << c.args.front() << " " << why;
        if (c.ok) {
            EXPECT_EQ(o.passThrough, c.passThrough);
            EXPECT_EQ(o.paths, std::vector<std::string>{"camp"});
        } else {
            EXPECT_FALSE(why.empty());
        }
    }
}

TEST(batch_options, long_options_of_the_single_run_keep_their_values) {
    BatchOptions o;
    std::string why;
    const auto takesValue = [](std::string_view name) { return name == "marker"; };
    ASSERT_TRUE(ParseBatchOptions({"--marker", "KELV X", "--quiet", "camp"}, o, why, takesValue))
        << why;
    EXPECT_EQ(o.passThrough, (std::vector<std::string>{"--marker", "KELV X", "--quiet"}));
    EXPECT_EQ(o.paths, std::vector<std::string>{"camp"});
}

TEST(batch_sessions, companions_in_any_letter_case_and_nested_folders) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "day1" / "deep");
    for (const char* name : {"day1/BKELVA26.342", "day1/ekelva26.342", "day1/SKELVA26.342",
                             "day1/ION26.342", "day1/deep/btst2b26.343", "day1/deep/Etst2b26.343",
                             "day1/notes.txt", "day1/BKELVA26.abc"})
        WriteFile(dir.File(name), "");
    const std::vector<BatchSession> s = FindSessions({dir.path().string()});
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].site, "KELV");
    EXPECT_EQ(s[0].eFile, dir.File("day1/ekelva26.342"));
    EXPECT_EQ(s[0].ionFile, dir.File("day1/ION26.342"));
    EXPECT_EQ(s[0].year, "2026");
    EXPECT_EQ(s[1].site, "TST2");
    EXPECT_EQ(s[1].session, 'B');
    EXPECT_EQ(s[1].doy, "343");
    EXPECT_EQ(s[1].eFile, dir.File("day1/deep/Etst2b26.343"));
    EXPECT_EQ(s[1].sFile, "");
    EXPECT_EQ(s[1].ionFile, "");  // an ION file needs an S-file before it on -I
}

// A met log takes the site of the B-file beside it with the same day and session, and its run
// gets the day from the name and only the options a met conversion knows.
TEST(batch_sessions, met_logs_take_the_site_of_their_download) {
    TempDir dir;
    for (const char* name : {"BKELVA26.342", "A26342.NMA", "b26342.nma", "A26343.NMA"})
        WriteFile(dir.File(name), "");
    const std::vector<BatchSession> s = FindSessions({dir.path().string()});
    ASSERT_EQ(s.size(), 4u);
    struct Expected {
        std::string metLog;
        std::string site;
        char session;
        std::string doy;
    } expected[] = {{"A26342.NMA", "KELV", 'A', "342"},
                    {"A26343.NMA", "XXXX", 'A', "343"},
                    {"", "KELV", 'A', "342"},
                    {"b26342.nma", "XXXX", 'B', "342"}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(s[i].metLog, expected[i].metLog.empty() ? "" : dir.File(expected[i].metLog));
        EXPECT_EQ(s[i].site, expected[i].site) << i;
        EXPECT_EQ(s[i].session, expected[i].session) << i;
        EXPECT_EQ(s[i].doy, expected[i].doy) << i;
    }
    BatchOptions o;
    std::string why;
    const auto takesValue = [](std::string_view name) { return name == "doppler"; };
    const auto observationOnly = [](std::string_view name) { return name == "doppler"; };
    ASSERT_TRUE(ParseBatchOptions(
        {"--out", "/out", "--doppler", "yes", "-S", "0", "--rinex=3", dir.path().string()}, o, why,
        takesValue, observationOnly));
    EXPECT_EQ(SessionArguments(s[0], o),
              (std::vector<std::string>{"-M", dir.File("A26342.NMA"), "/out", "2448", "172800",
                                        "--marker", "KELV", "-S", "0", "--rinex=3"}));
    EXPECT_EQ(SessionArguments(s[3], o),
              (std::vector<std::string>{"-M", dir.File("b26342.nma"), "/out", "2448", "172800",
                                        "-S", "0", "--rinex=3"}));
}

TEST(batch_sessions, layout_output_names_and_the_single_run_line) {
    BatchSession s;
    s.bFile = "/data/camp/BKELVA26.342";
    s.eFile = "/data/camp/EKELVA26.342";
    s.sFile = "/data/camp/S KELVA26.342";
    s.site = "KELV";
    s.session = 'A';
    s.year = "2026";
    s.doy = "342";
    BatchOptions o;
    o.outDir = "/out";
    o.layout = "{year}/{doy}/{site}{session}";
    o.passThrough = {"-S", "0"};
    o.siteLogDir = "/logs";
    EXPECT_EQ(SessionOutputDir(s, o), "/out/2026/342/KELVA");
    const std::vector<std::string> expected = {"-I",
                                               "/data/camp/BKELVA26.342",
                                               "/data/camp/EKELVA26.342",
                                               "/data/camp/S KELVA26.342",
                                               "-T",
                                               "/out/2026/342/KELVA",
                                               "-S",
                                               "0",
                                               "--site-logs",
                                               "/logs"};
    EXPECT_EQ(SessionArguments(s, o), expected);
    o.outDir.clear();
    o.layout.clear();
    EXPECT_EQ(SessionOutputDir(s, o), "/data/camp");
}

TEST(batch_sessions, shell_quoting) {
    EXPECT_EQ(ShellQuote("/a/B.342"), "/a/B.342");
    EXPECT_EQ(ShellQuote("a b"), "'a b'");
    EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
    EXPECT_EQ(ShellQuote(""), "''");
    EXPECT_EQ(ShellQuote("$HOME"), "'$HOME'");
}

}  // namespace
}  // namespace kelvrant
