// Whole conversions through the real program without a display: a parameter file's header
// values reaching the RINEX header, the met examples with a configured UTC offset, and a full
// GPS+GLONASS day whose GLONASS records are dated next to their message times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPaths.h"
#include "tools/AshtechTestParse.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;

// Runs the program; `ini` names the configuration file of this run (empty: the suite's).
test::ProcessResult Kelvrant(const std::vector<std::string>& args, const std::string& workDir,
                             const std::string& ini = {}) {
    std::vector<std::string> argv{test::KelvrantExe()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env;
    if (!ini.empty()) env.push_back("KELVRANT_CONFIG=" + ini);
    return test::RunProcess(argv, env, {"DISPLAY", "WAYLAND_DISPLAY"}, workDir);
}

std::string ParamLine(const std::string& key, const std::string& value) {
    std::string line = key;
    line.resize(29, ' ');
    return line + value + "\n";
}

std::string HeaderLine(const std::string& rinex, const std::string& label) {
    std::istringstream in(rinex);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find(label) == 60) return line.substr(0, 60);
        if (line.find("END OF HEADER") == 60) break;
    }
    return "<missing " + label + ">";
}

TEST(conversion_e2e, a_parameter_file_drives_the_run_and_fills_the_header) {
    test::TempDir dir;
    for (const char* f : {"BKELVA26.342", "EKELVA26.342"})
        fs::copy_file(test::SourceDir() + "/samples/" + f, dir.File(f));
    const std::string par = dir.File("auto.par");
    test::WriteFile(
        par, ParamLine("KELVRANT_PRESNT", "Yes") + ParamLine("KELVRANT_MODE", "0") +
                 ParamLine("OBSERVER", "\"Ann\"") +
                 ParamLine("OBSERVER_AGENCY", "\"Quillon Survey\"") +
                 ParamLine("COMMENT2", "\"second comment\"") + ParamLine("APPROX_POS_BFILE", "No") +
                 ParamLine("APPROX_POS_X", "4189980.5") + ParamLine("APPROX_POS_Y", "551621.25") +
                 ParamLine("APPROX_POS_Z", "4761521.125") + ParamLine("ANT_OFFSET_V", "1.25") +
                 ParamLine("WRITE_EPINT", "Yes") +
                 ParamLine("KELVRANT_BFNAME", "\"" + dir.File("BKELVA26.342") + "\"") +
                 ParamLine("KELVRANT_EFNAME", "\"" + dir.File("EKELVA26.342") + "\"") +
                 ParamLine("KELVRANT_OBSFNAME", "\"" + dir.File("par.26O") + "\"") +
                 ParamLine("KELVRANT_NAVFNAME", "\"" + dir.File("par.26N") + "\"") +
                 std::string(50, '-') + "\n");
    const auto r = Kelvrant({"-P", par}, dir.path().string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string obs = test::ReadFile(dir.File("par.26O"));
    EXPECT_EQ(HeaderLine(obs, "OBSERVER / AGENCY"),
              "Ann                 Quillon Survey                          ");
    EXPECT_EQ(HeaderLine(obs, "APPROX POSITION XYZ"),
              "  4189980.5000   551621.2500  4761521.1250                  ");
    EXPECT_EQ(HeaderLine(obs, "ANTENNA: DELTA H/E/N"),
              "        1.2500        0.0000        0.0000                  ");
    EXPECT_EQ(HeaderLine(obs, "INTERVAL"),
              "    30                                                      ");
    EXPECT_NE(obs.find("second comment"), std::string::npos);
    EXPECT_FALSE(test::ReadFile(dir.File("par.26N")).empty());
}

TEST(conversion_e2e, met_examples_with_a_configured_utc_offset) {
    test::TempDir dir;
    const std::string ini = dir.File("Kelvrant.INI");
    test::WriteFile(ini, "[RINEXDAT]\nSITE_NAME=BASE\nMET_UTC_2_GPS=13\n");
    test::WriteFile(dir.File("A03008.NMA"),
                    "$GPGXP,000010.00\r\n$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,45.0,P,3\r\n"
                    "$GPGXP,235958\r\n$GPXDR,P,1.0100,B,1,C,20.5,C,2,H,50.0,P,3\r\n");
    auto r = Kelvrant({"-M", "A03008.NMA", "out.03M", "1200", "259200"}, dir.path(), ini);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string met = test::ReadFile(dir.File("out.03M"));
    EXPECT_NE(met.find("BASE                                                        MARKER NAME"),
              std::string::npos);
    // 00:00:10 UTC + 13 s on Wednesday; then 23:59:58 + 13 s passes GPS midnight.
    EXPECT_NE(met.find("\r\n  3  1  8  0  0 23 1013.2   25.3   45.0\r\n"), std::string::npos)
        << met;
    EXPECT_NE(met.find("\r\n  3  1  9  0  0 11 1010.0   20.5   50.0\r\n"), std::string::npos)
        << met;

    // A second data line without its own time line fails the run at the file's last line.
    test::WriteFile(dir.File("A03008.NMA"),
                    "$GPGXP,000010.00\n$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,45.0,P,3\n"
                    "$GPXDR,P,1.0132,B,1,C,25.3,C,2,H,45.0,P,3\n");
    r = Kelvrant({"-M", "A03008.NMA", "out.03M", "1200", "259200"}, dir.path(), ini);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("Terminating: Error Reading Meteorological Data.: At line 3 the Met. "
                         "file reader reports:\n\n  File contains met data with no time "
                         "preceeding it."),
              std::string::npos)
        << r.err;
    met = test::ReadFile(dir.File("out.03M"));
    EXPECT_NE(met.find("\r\n  3  1  8  0  0 23 1013.2   25.3   45.0\r\n"), std::string::npos);
}

// Seconds since 1970 of a RINEX GLONASS record epoch (UTC).
double RecordEpoch(const std::string& line) {
    std::tm tm{};
    int yy = 0;
    double sec = 0.0;
    std::sscanf(line.c_str() + 2, "%d %d %d %d %d %lf", &yy, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                &tm.tm_min, &sec);
    tm.tm_year = yy + 100;
    tm.tm_mon -= 1;
    return static_cast<double>(timegm(&tm)) + sec;
}

TEST(conversion_e2e, a_glonass_day_is_dated_next_to_its_message_times) {
    ASSERT_FALSE(test::SimulateExe().empty());
    test::TempDir dir;
    // A whole day from 00:00 GPS time: records on both sides of 21:00 UTC.
    auto sim = test::RunProcess({test::SimulateExe(), "--glonass", "--start", "172800", "--length",
                                 "86400", "--interval", "1800", "--out", dir.path().string()});
    ASSERT_EQ(sim.exitCode, 0) << sim.err;
    std::string b, e, s, ion;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name[0] == 'B') b = name;
        if (name[0] == 'E') e = name;
        if (name[0] == 'S') s = name;
        if (name.rfind("ION", 0) == 0) ion = name;
    }
    const auto r = Kelvrant(
        {"-I", b, e, s, ion, "-O", "day.obs", "-N", "day.nav", "-G", "day.gnav"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;

    std::vector<test::ash::NavRecord> glonass;
    for (const auto& rec : test::ash::ParseEFile(test::ReadFile(dir.File(e))))
        if (rec.number > 32) glonass.push_back(rec);
    std::stable_sort(glonass.begin(), glonass.end(), [](const auto& x, const auto& y) {
        const double dx = static_cast<double>(x.week) * 604800.0 + x.seconds;
        const double dy = static_cast<double>(y.week) * 604800.0 + y.seconds;
        return dx != dy ? dx < dy : x.number < y.number;
    });

    std::istringstream gnav(test::ReadFile(dir.File("day.gnav")));
    std::string line;
    while (std::getline(gnav, line) && line.find("END OF HEADER") == std::string::npos) {
    }
    std::size_t i = 0;
    int lateEvening = 0;
    while (std::getline(gnav, line)) {
        ASSERT_LT(i, glonass.size());
        const double messageUnix =
            315964800.0 + static_cast<double>(glonass[i].week) * 604800.0 + glonass[i].seconds;
        const double epoch = RecordEpoch(line);
        EXPECT_LE(std::fabs(epoch - messageUnix), 1800.0 + 60.0) << "record " << i << ": " << line;
        const double utcSecondOfDay = std::fmod(messageUnix, 86400.0);
        if (utcSecondOfDay >= 21 * 3600.0) ++lateEvening;
        for (int k = 0; k < 3; ++k)
            std::getline(gnav, line);
        ++i;
    }
    EXPECT_EQ(i, glonass.size());
    EXPECT_GT(lateEvening, 0) << "no record received after 21:00 UTC";
}

}  // namespace
}  // namespace kelvrant
