// The command line as scripts use it, through the real program without a display: help and
// version, rejected words named, header values given as options, their precedence, the
// summary (text and JSON), and the headers a fresh configuration gives by default.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "cli/LongOptions.h"
#include "support/JsonReader.h"
#include "support/TestPaths.h"
#include "tools/AshtechTestParse.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;
using test::Json;
using test::JsonReader;

struct Session {
    std::string b, e, s, ion;  // file names in the session's directory
};

// A simulated session in `dir` (site SIMU, session A: BSIMUA26.342 ...).
Session Simulate(const test::TempDir& dir, std::vector<std::string> options) {
    std::vector<std::string> argv = {
        test::SimulateExe(),  "--out", dir.path().string(), "--site", "SIMU", "--truth",
        dir.File("truth.txt")};
    argv.insert(argv.end(), options.begin(), options.end());
    const auto r = test::RunProcess(argv);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return {"BSIMUA26.342", "ESIMUA26.342", "SSIMUA26.342", "ION26.342"};
}

test::ProcessResult Kelvrant(const test::TempDir& dir, std::vector<std::string> args,
                             std::vector<std::string> env = {}) {
    args.insert(args.begin(), test::KelvrantExe());
    return test::RunProcess(args, env, {"DISPLAY", "WAYLAND_DISPLAY", "KELVRANT_CONFIG"},
                            dir.path().string());
}

// The first 60 columns of the header line with that label.
std::string HeaderLine(const std::string& rinex, const std::string& label) {
    std::istringstream in(rinex);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(60, label.size(), label) == 0) return line.substr(0, 60);
        if (line.find("END OF HEADER") == 60) break;
    }
    return "<missing " + label + ">";
}

std::string Padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

bool HaveSimulator() {
    return !test::SimulateExe().empty();
}

// ---- Help, version and rejected words ----

TEST(cli_options, help_and_version_answer_without_touching_the_configuration) {
    test::TempDir dir;
    const std::string ini = dir.File("never.ini");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"-I", "b", "e", "--help"}}) {
        const auto r = Kelvrant(dir, args, {"KELVRANT_CONFIG=" + ini});
        EXPECT_EQ(r.exitCode, 0) << args[0];
        EXPECT_EQ(r.out.rfind("Usage: kelvrant -I BFILE EFILE", 0), 0u) << r.out;
        EXPECT_EQ(r.err, "");
        for (const LongOption& option : LongOptions())
            EXPECT_NE(r.out.find("--" + std::string(option.name)), std::string::npos)
                << option.name;
        for (const char* letter :
             {"-I ", "-M ", "-O ", "-N ", "-G ", "-T ", "-S ", "-C ", "-F ", "-P ", "-X ", "-q ",
              "Exit status:", "Examples:", "KELVRANT_CONFIG"})
            EXPECT_NE(r.out.find(letter), std::string::npos) << letter;
        std::istringstream lines(r.out);
        std::string line;
        while (std::getline(lines, line))
            EXPECT_LE(line.size(), 80u) << line;
    }
    const auto v = Kelvrant(dir, {"--version"}, {"KELVRANT_CONFIG=" + ini});
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_EQ(v.out.rfind("kelvrant ", 0), 0u) << v.out;
    EXPECT_EQ(v.out.find('\n'), v.out.size() - 1);
    EXPECT_FALSE(fs::exists(ini));
}

TEST(cli_options, a_rejected_word_is_named) {
    test::TempDir dir;
    const std::string title = "Error In Command-Line Parameters: ";
    const std::string unrecognized =
        "Command-line parameters contain errors ... Unrecognized Parameters.\n\n";
    const std::string form = "Unrecognized form of the Command-line parameters...\n\n";
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"-I", "b", "e", "--bogus", "1"}, title + unrecognized + "--bogus\n"},
        {{"-I", "b", "e", "-k"}, title + unrecognized + "-k\n"},
        {{"-I", "b", "e", "x", "y", "stray"}, title + form + "stray\n"},
        {{"-I", "b", "e", "-S", "2"}, title + form + "-S 2\n"},
        {{"-I", "b", "e", "--doppler", "maybe"}, title + form + "--doppler maybe\n(yes or no)\n"},
        {{"-I", "b", "e", "--position=1,2"},
         title + form + "--position 1,2\n(auto or X,Y,Z in metres)\n"},
        {{"-I", "b", "e", "--marker"}, title + form + "--marker\n"},
        {{"-I", "b", "e", "--json=yes"}, title + form + "--json=yes\n"},
        {{"-I", "b", "e", "--observer", std::string(21, 'o')},
         title + form + "--observer " + std::string(21, 'o') + "\n(at most 20 characters)\n"},
        {{"-M", "in", "out", "--antenna", "X"},
         title + "This option does not apply to a meteorological conversion.\n\n--antenna\n"},
        {{"-M", "in", "out", "--comment", "1", "--comment", "2", "--comment", "3", "--comment",
          "4"},
         title + "A meteorological header holds at most 3 comments.\n\n--comment\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--config", dir.File("k.ini")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = Kelvrant(dir, args);
        EXPECT_EQ(r.exitCode, 2) << c.args.back();
        // The note about the configuration file created is not what is looked at here.
        std::string err = r.err;
        if (err.rfind("ERROR: Could not open", 0) == 0) err.erase(0, err.find('\n') + 1);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(r.out, "");
    }
}

// ---- Header values as options ----

TEST(cli_options, every_header_option_reaches_its_line) {
    if (!HaveSimulator()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    const Session s = Simulate(dir, {"--receiver", "GG24", "--glonass", "--length", "300"});
    // A configuration that asks for Doppler, INTERVAL and the satellite list: the options say no.
    const auto r = Kelvrant(dir, {"-I",
                                  s.b,
                                  s.e,
                                  s.s,
                                  s.ion,
                                  "-O",
                                  "o",
                                  "-N",
                                  "n",
                                  "-G",
                                  "g",
                                  "--config",
                                  "k.ini",
                                  "--marker",
                                  "M1",
                                  "--marker-number=N1",
                                  "--observer",
                                  "OBS",
                                  "--agency",
                                  "AG",
                                  "--receiver-number",
                                  "RN",
                                  "--antenna",
                                  "ANT",
                                  "--antenna-number",
                                  "AN",
                                  "--antenna-offsets",
                                  "1.5,0.25,-0.125",
                                  "--position",
                                  "1,2,-3.5",
                                  "--comment",
                                  "C1",
                                  "--comment",
                                  "C2",
                                  "--doppler",
                                  "no",
                                  "--interval-line",
                                  "NO",
                                  "--obs-counts",
                                  "no",
                                  "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");  // quiet
    const std::string obs = test::ReadFile(dir.File("o"));
    const std::pair<const char*, std::string> expected[] = {
        {"MARKER NAME", Padded("M1", 60)},
        {"MARKER NUMBER", Padded("N1", 60)},
        {"OBSERVER / AGENCY", Padded(Padded("OBS", 20) + "AG", 60)},
        {"ANT # / TYPE", Padded(Padded("AN", 20) + "ANT", 60)},
        {"APPROX POSITION XYZ", Padded("        1.0000        2.0000       -3.5000", 60)},
        {"ANTENNA: DELTA H/E/N", Padded("        1.5000        0.2500       -0.1250", 60)},
        {"# / TYPES OF OBSERV", Padded("     5    L1    L2    C1    P1    P2", 60)},
        {"COMMENT", Padded("C1", 60)},
        {"INTERVAL", "<missing INTERVAL>"},
        {"# OF SATELLITES", "<missing # OF SATELLITES>"},
    };
    for (const auto& [label, line] : expected)
        EXPECT_EQ(HeaderLine(obs, label), line) << label;
    EXPECT_EQ(HeaderLine(obs, "REC # / TYPE / VERS").substr(0, 20), Padded("RN", 20));
    EXPECT_NE(obs.find(Padded("C2", 60) + "COMMENT"), std::string::npos);
    // The configured comments are replaced, and the navigation file carries the same ones.
    const std::string nav = test::ReadFile(dir.File("n"));
    EXPECT_NE(nav.find(Padded("C1", 60) + "COMMENT"), std::string::npos);
    // Nothing of the options was stored.
    EXPECT_EQ(test::ReadFile(dir.File("k.ini")).find("M1"), std::string::npos);
}

TEST(cli_options, the_command_line_wins_over_the_s_file_which_wins_over_the_configuration) {
    if (!HaveSimulator()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    const Session s = Simulate(dir, {"--receiver", "G12", "--data-type", "2", "--length", "120"});
    test::WriteFile(dir.File("k.ini"),
                    "[RINEXDAT]\nSITE_NAME=FROM INI\nANT_OFFSETS=0,0,0,0,1.1\nWRITE_EPINT=No\n"
                    "APPROX_POS=0,1,1,1\n");
    const std::string ini = test::ReadFile(dir.File("k.ini"));
    struct Case {
        std::vector<std::string> args;
        const char* label;
        std::string line;
    };
    const Case cases[] = {
        {{"-I", s.b, s.e}, "MARKER NAME", Padded("FROM INI", 60)},
        {{"-I", s.b, s.e, s.s}, "MARKER NAME", Padded("SIMU", 60)},
        {{"-I", s.b, s.e, s.s, "--marker", "CLI"}, "MARKER NAME", Padded("CLI", 60)},
        {{"-I", s.b, s.e},
         "ANTENNA: DELTA H/E/N",
         Padded("        1.1000        0.0000        0.0000", 60)},
        {{"-I", s.b, s.e, "--antenna-height", "2.5"},
         "ANTENNA: DELTA H/E/N",
         Padded("        2.5000        0.0000        0.0000", 60)},
        {{"-I", s.b, s.e}, "INTERVAL", "<missing INTERVAL>"},
        {{"-I", s.b, s.e, "--interval-line", "yes"}, "INTERVAL", Padded("    30", 60)},
        {{"-I", s.b, s.e},
         "APPROX POSITION XYZ",
         Padded("        1.0000        1.0000        1.0000", 60)},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-O", "o", "-N", "n", "--config", "k.ini"});
        const auto r = Kelvrant(dir, args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(HeaderLine(test::ReadFile(dir.File("o")), c.label), c.line) << c.args.back();
    }
    // --position auto takes the data's mean position over the configured one.
    ASSERT_EQ(Kelvrant(dir, {"-I", s.b, s.e, "-O", "o", "-N", "n", "--config", "k.ini",
                             "--position", "auto"})
                  .exitCode,
              0);
    const auto truth = test::ash::ParseTruth(test::ReadFile(dir.File("truth.txt")));
    std::istringstream xyz(HeaderLine(test::ReadFile(dir.File("o")), "APPROX POSITION XYZ"));
    double x = 0, y = 0, z = 0;
    xyz >> x >> y >> z;
    EXPECT_LT(std::hypot(x - truth.station[0], y - truth.station[1], z - truth.station[2]), 5.0);
    EXPECT_EQ(test::ReadFile(dir.File("k.ini")), ini);  // an existing file is never changed
}

// ---- Summary ----

TEST(cli_options, the_summary_names_every_file_and_parses_back_as_json) {
    if (!HaveSimulator()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    const Session s =
        Simulate(dir, {"--receiver", "GG24", "--glonass", "--length", "600", "--interval", "30"});
    auto r = Kelvrant(dir, {"-I", s.b, s.e, s.s, s.ion, "--config", "k.ini"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string sizeO = std::to_string(fs::file_size(dir.File("SIMU3421.26O")));
    EXPECT_EQ(r.out, "SIMU3421.26O: " + sizeO +
                         " bytes, observation, 20 epochs, 15 satellites, 2026-12-08 10:00:00.000 "
                         "to 2026-12-08 10:09:30.000 GPS\n"
                         "SIMU3421.26N: " +
                         std::to_string(fs::file_size(dir.File("SIMU3421.26N"))) +
                         " bytes, navigation\n"
                         "SIMU3421.26G: " +
                         std::to_string(fs::file_size(dir.File("SIMU3421.26G"))) +
                         " bytes, glonass-navigation\n0 warnings\n");

    // Without the ION file: the GLONASS file is left out with one warning.
    fs::create_directory(dir.File("out"));
    r = Kelvrant(dir, {"-I", s.b, s.e, "-T", "out", "--config", "k.ini", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err,
              "Navigation File Warning: The GLONASS navigation file needs the ION file and is "
              "not written.\n\nout/SIMU3421.26G\n");
    const Json j = JsonReader(r.out).Document();
    EXPECT_EQ(j["status"].Number(), 0);
    EXPECT_EQ(j["warnings"].Number(), 1);
    ASSERT_EQ(j["files"].Size(), 2u);
    const Json& o = j["files"][0];
    EXPECT_EQ(o["type"].Text(), "observation");
    EXPECT_EQ(o["path"].Text(), "out/SIMU3421.26O");
    EXPECT_EQ(o["bytes"].Number(),
              static_cast<double>(fs::file_size(dir.File("out/SIMU3421.26O"))));
    EXPECT_EQ(o["epochs"].Number(), 20);
    EXPECT_EQ(o["satellites"].Number(), 15);
    EXPECT_EQ(o["first_epoch"].Text(), "2026-12-08T10:00:00.000");
    EXPECT_EQ(o["last_epoch"].Text(), "2026-12-08T10:09:30.000");
    EXPECT_EQ(j["files"][1]["type"].Text(), "navigation");
    EXPECT_FALSE(fs::exists(dir.File("out/SIMU3421.26G")));

    // An explicit -G without the ION file stays an error; the JSON says so.
    r = Kelvrant(dir, {"-I", s.b, s.e, "-G", "g", "-O", "o", "--config", "k.ini", "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "No Operation to Perform: An output RINEX GLONASS Nav file requires an input ION "
              "File.\n");
    EXPECT_EQ(JsonReader(r.out).Document()["status"].Number(), 1);
}

// ---- Headers right by default ----

TEST(cli_options, a_fresh_configuration_gives_a_complete_header) {
    if (!HaveSimulator()) GTEST_SKIP() << "simulator not built";
    struct Case {
        std::vector<std::string> simulate;
        bool withIon;
        std::string interval;  // the INTERVAL line's first 60 columns
        std::string leap;      // LEAP SECONDS
    };
    const Case cases[] = {
        {{"--receiver", "GG24", "--glonass"}, false, Padded("    30", 60), Padded("    18", 60)},
        {{"--receiver", "GG24", "--glonass", "--leap", "17"},
         true,
         Padded("    30", 60),
         Padded("    17", 60)},
        {{"--receiver", "Z18", "--glonass", "--interval", "0.5", "--length", "60"},
         false,
         "<missing INTERVAL>",
         Padded("    18", 60)},
        {{"--receiver", "G12", "--interval", "15"},
         false,
         Padded("    15", 60),
         "<missing LEAP SECONDS>"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        std::vector<std::string> sim = c.simulate;
        if (std::find(sim.begin(), sim.end(), "--length") == sim.end())
            sim.insert(sim.end(), {"--length", "300"});
        const Session s = Simulate(dir, sim);
        std::vector<std::string> args = {"-I", s.b, s.e};
        if (c.withIon) args.insert(args.end(), {s.s, s.ion});
        const auto r = Kelvrant(dir, args, {"KELVRANT_CONFIG=" + dir.File("fresh.ini")});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string obs = test::ReadFile(dir.File("SIMU3421.26O"));
        EXPECT_EQ(HeaderLine(obs, "INTERVAL"), c.interval) << c.simulate[1];
        EXPECT_EQ(HeaderLine(obs, "LEAP SECONDS"), c.leap) << c.simulate[1];
        EXPECT_NE(HeaderLine(obs, "# OF SATELLITES"), "<missing # OF SATELLITES>");
        EXPECT_NE(HeaderLine(obs, "# / TYPES OF OBSERV").find("D1"), std::string::npos);
        EXPECT_EQ(HeaderLine(obs, "MARKER NAME"), Padded("SIMU", 60));
        const std::string ini = test::ReadFile(dir.File("fresh.ini"));
        EXPECT_NE(ini.find("MET_UTC_2_GPS=18.0\n"), std::string::npos);
        EXPECT_NE(ini.find("APPROX_POS=1,"), std::string::npos);
    }
}

TEST(cli_options, a_parameter_file_value_before_its_column_is_read_and_a_bad_line_is_named) {
    test::TempDir dir;
    const std::string par = dir.File("auto.par");
    test::WriteFile(par, "KELVRANT_PRESNT Yes\nANT_TYPE  \"TRM41249.00\"\nANT_OFFSET_V  3000\n");
    test::WriteFile(dir.File("k.ini"), "");
    const auto r = Kelvrant(dir, {"-P", par, "--config", "k.ini"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Error Parameters Dara File: " + par +
                         ": Data range error when readimg RINEX header file.\n  Error occurec at "
                         "line 3\n\nCannot contniue with edit operation.\n\nANT_OFFSET_V  3000\n");
}

}  // namespace
}  // namespace kelvrant
