#include "cli/ParameterFileRun.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestPaths.h"

namespace kelvrant {
namespace {

std::string Line(const std::string& key, const std::string& value) {
    std::string line = key;
    line.resize(29, ' ');
    return line + value + "\n";
}

const std::string kSeparator = std::string(50, '-') + "\n";

struct Loaded {
    bool ok = false;
    ConversionJob job;
    HeaderSettings settings;
    RecordingProblemSink sink;
    std::string path;
};

/// Loads `text` written as a parameter file; `settings` start with a marker value.
void Load(Loaded& out, const test::TempDir& dir, const std::string& text) {
    out.path = dir.File("auto.par");
    test::WriteFile(out.path, text);
    out.settings.MetUtc2Gps = 17.0;
    out.ok = LoadAutoParameters(out.path, out.job, out.settings, out.sink);
}

void ExpectOneProblem(const Loaded& l, const std::string& text) {
    EXPECT_FALSE(l.ok);
    EXPECT_FALSE(l.job.SaveConfigOnExit);
    ASSERT_EQ(l.sink.problems.size(), 1u);
    EXPECT_EQ(l.sink.problems[0].title, "Error Parameters Dara File: " + l.path);
    EXPECT_EQ(l.sink.problems[0].text, text);
}

const char* const kNotAuto =
    "The RINEX Header/Option Parameter is not in the correct\r\n format for auto-conversion.\r\n";

TEST(load_auto_parameters, missing_file) {
    test::TempDir dir;
    Loaded l;
    l.path = dir.File("none.par");
    l.ok = LoadAutoParameters(l.path, l.job, l.settings, l.sink);
    ExpectOneProblem(l, "The RINEX Header/Option Parameter File does not exist:\r\n   " + l.path +
                            "\r\n\r\nCannot continue.");
}

TEST(load_auto_parameters, unopenable_file) {
    test::TempDir dir;
    Loaded l;
    l.path = dir.path().string();
    l.ok = LoadAutoParameters(l.path, l.job, l.settings, l.sink);
    ExpectOneProblem(l,
                     "A System Error occured when attempting to open the RINEX\r\n Header/Option "
                     "Parameter File:\r\n   " +
                         l.path + "\r\n\r\nCannot Continue.");
}

TEST(load_auto_parameters, unknown_parameter_names_its_line) {
    test::TempDir dir;
    Loaded l;
    Load(l, dir, Line("KELVRANT_PRESNT", "Yes") + "\n" + Line("site_name", "\"ABCD\""));
    ExpectOneProblem(l,
                     "Unknown RINEX header file parameter read.\r\n  Error occurec at line "
                     "3\r\n\r\nCannot contniue with edit operation.\r\n\r\n" +
                         Line("site_name", "\"ABCD\"").substr(0, 35));
}

TEST(load_auto_parameters, range_error_names_its_line) {
    test::TempDir dir;
    Loaded l;
    Load(l, dir, Line("KELVRANT_PRESNT", "Yes") + Line("ANT_OFFSET_S", "2000.5"));
    ExpectOneProblem(l,
                     "Data range error when readimg RINEX header file.\r\n  Error occurec at line "
                     "2\r\n\r\nCannot contniue with edit operation.\r\n\r\n" +
                         Line("ANT_OFFSET_S", "2000.5").substr(0, 35));
}

TEST(load_auto_parameters, duplicate_site_reported_with_manager_text) {
    test::TempDir dir;
    Loaded l;
    Load(l, dir,
         Line("KELVRANT_PRESNT", "Yes") + kSeparator + Line("SITE_NAME", "\"AAAA\"") + kSeparator +
             Line("SITE_NAME", "\"AAAA\"") + kSeparator);
    ExpectOneProblem(l,
                     "RINEX header manager reports the following error:\r\n   Attempted to 'Add' "
                     "a site that already exists.\r\n\r\nCannot contniue with edit operation.");
}

TEST(load_auto_parameters, empty_or_unclosed_file_is_not_for_auto_conversion) {
    test::TempDir dir;
    Loaded empty;
    Load(empty, dir, "");
    ExpectOneProblem(empty, kNotAuto);
    Loaded unclosed;
    Load(unclosed, dir, Line("KELVRANT_PRESNT", "Yes"));
    ExpectOneProblem(unclosed, kNotAuto);
}

TEST(load_auto_parameters, observation_run_takes_first_record) {
    test::TempDir dir;
    Loaded l;
    l.job.OutputPath = "/out/";
    const std::string text =
        Line("KELVRANT_PRESNT", "Yes") + Line("KELVRANT_MODE", "0") +
        Line("SITE_NAME", "\"KELVIN\"") + Line("OBSERVER", "\"Ann\"") +
        Line("COMMENT2", "\"second\"") + Line("APPROX_POS_BFILE", "No") +
        Line("APPROX_POS_X", "4075580.5") + Line("APPROX_POS_Y", "931853.25") +
        Line("APPROX_POS_Z", "4801568.125") + Line("ANT_OFFSET_S", "1.5") +
        Line("ANT_OFFSET_V", "-0.25") + Line("MS_OBS_HANDLING", "No") +
        Line("WRITE_SITE_CHNGS", "Yes") + Line("ALLOW_DOPLR", "No") + Line("MET_UTC_2_GPS", "13") +
        Line("MET_TEMP_POS_AT_PRES", "Yes") + Line("MET_HUMID_POS_AT_PRES", "No") +
        Line("MET_HUMID_POS_X", "1") + Line("MET_HUMID_POS_Y", "2") + Line("MET_HUMID_POS_Z", "3") +
        Line("KELVRANT_BFNAME", "\"/d/BN102A97.323\"") +
        Line("KELVRANT_EFNAME", "\"/d/EN102A97.323\"") + Line("KELVRANT_SFNAME", "\"/d/S\"") +
        Line("KELVRANT_IONFNAME", "\"/d/I\"") + Line("KELVRANT_IMETFNAME", "\"/d/met\"") +
        Line("KELVRANT_OBSFNAME", "\"/o/x.97O\"") + Line("KELVRANT_NAVFNAME", "\"/o/x.97N\"") +
        Line("KELVRANT_GNAVFNAME", "\"/o/x.97G\"") + Line("KELVRANT_OMETFNAME", "\"/o/x.97M\"") +
        kSeparator + Line("SITE_NAME", "\"SITE\"") + Line("OBSERVER", "\"Bob\"") + kSeparator;
    Load(l, dir, text);
    ASSERT_TRUE(l.ok);
    EXPECT_TRUE(l.sink.problems.empty());
    EXPECT_FALSE(l.job.SaveConfigOnExit);
    EXPECT_TRUE(l.job.ObsRun);
    EXPECT_FALSE(l.job.MetRun);
    EXPECT_EQ(l.job.BFileName, "/d/BN102A97.323");
    EXPECT_EQ(l.job.EFileName, "/d/EN102A97.323");
    EXPECT_EQ(l.job.SFileName, "/d/S");
    EXPECT_EQ(l.job.IonFileName, "/d/I");
    EXPECT_EQ(l.job.MetInFileName, "/d/met");
    EXPECT_EQ(l.job.ObsFileName, "/o/x.97O");
    EXPECT_EQ(l.job.NavFileName, "/o/x.97N");
    EXPECT_EQ(l.job.NavGFileName, "/o/x.97G");
    EXPECT_EQ(l.job.MetOutFileName, "/o/x.97M");
    EXPECT_EQ(l.job.OutputPath, "/out/");  // not set by the file
    EXPECT_FALSE(l.job.ClockAdjust);
    EXPECT_TRUE(l.job.SmoothCode);
    EXPECT_TRUE(l.job.SiteChanges);
    EXPECT_EQ(l.job.OutputDoppler, 0);

    const HeaderSettings& s = l.settings;
    EXPECT_EQ(s.SiteName, "KELV");
    EXPECT_EQ(s.Observer, "Ann");  // the site record is not consulted
    EXPECT_EQ(s.SiteNumber, "UNKNOWN");
    EXPECT_EQ(s.CreateAgency, "Quillon");
    EXPECT_EQ(s.Comment[0], "Comment 1");
    EXPECT_EQ(s.Comment[1], "second");
    EXPECT_EQ(s.RcvrType, "Unknown");
    EXPECT_EQ(s.ApproxPosUseData, 0);
    EXPECT_EQ(s.ApproxPos[0], 4075580.5);
    EXPECT_EQ(s.ApproxPos[2], 4801568.125);
    EXPECT_EQ(s.AntOffsets[2], 1.5);
    EXPECT_EQ(s.AntOffsets[4], -0.25);
    EXPECT_EQ(s.WriteEpInt, 1);
    EXPECT_EQ(s.MsObsHandling, 0);
    EXPECT_EQ(s.WriteSiteChngs, 1);
    EXPECT_EQ(s.AllowDoplr, 0);
    EXPECT_EQ(s.MetComment[2], "Comment 3");
    EXPECT_EQ(s.MetPressMod, "Paroscientific");
    EXPECT_EQ(s.MetPressAcc, 0.1);
    // The pressure sensor stands at the station, the temperature sensor at the pressure
    // sensor, the humidity sensor at its own position.
    EXPECT_EQ(s.MetPressPos[1], 931853.25);
    EXPECT_EQ(s.MetTempUsePress, 1);
    EXPECT_EQ(s.MetTempPos[0], 4075580.5);
    EXPECT_EQ(s.MetTempTyp, "Plat Resist Probe");
    EXPECT_EQ(s.MetHumidUsePress, 0);
    EXPECT_EQ(s.MetHumidPos[0], 1.0);
    EXPECT_EQ(s.MetHumidPos[2], 3.0);
    EXPECT_EQ(s.MetHumidAcc, 2.0);
    EXPECT_EQ(s.MetUtc2Gps, 17.0);  // read but not taken
}

TEST(load_auto_parameters, met_run_and_sensor_positions) {
    test::TempDir dir;
    Loaded l;
    l.job.ObsRun = true;
    const std::string text = Line("KELVRANT_PRESNT", "yes") + Line("KELVRANT_MODE", "1") +
                             Line("MET_USE_OBS_POS", "No") + Line("MET_PRESS_POS_X", "7") +
                             Line("MET_PRESS_POS_Y", "8") + Line("MET_PRESS_POS_Z", "9") +
                             Line("MET_TEMP_POS_AT_PRES", "No") + Line("MET_TEMP_POS_Z", "5") +
                             kSeparator;
    Load(l, dir, text);
    ASSERT_TRUE(l.ok);
    EXPECT_TRUE(l.job.MetRun);
    EXPECT_FALSE(l.job.ObsRun);
    EXPECT_EQ(l.settings.MetPressPos[0], 7.0);
    EXPECT_EQ(l.settings.MetTempUsePress, 0);
    EXPECT_EQ(l.settings.MetTempPos[0], 6378137.0);
    EXPECT_EQ(l.settings.MetTempPos[2], 5.0);
    EXPECT_EQ(l.settings.MetHumidPos[2], 9.0);  // at the pressure sensor
    EXPECT_EQ(l.job.OutputDoppler, 1);
}

}  // namespace
}  // namespace kelvrant

namespace kelvrant {
namespace {

// The editing keys: taken when valid and not given on the command line; a bad value names its
// key and is refused.
TEST(load_auto_parameters, editing_keys) {
    const std::string head = Line("KELVRANT_PRESNT", "Yes") + Line("KELVRANT_MODE", "0");
    test::TempDir dir;
    Loaded l;
    l.job.Editing.decimateMs = 15000;  // from the command line
    l.job.Editing.excluded[17] = true;
    Load(l, dir,
         head + Line("OBS_FROM", "\"2026-12-08 10:00\"") + Line("OBS_TO", "\"2448:216000\"") +
             Line("DECIMATE", "\"30\"") + Line("SPLIT", "\"hour\"") +
             Line("OBS_TYPES", "\"L1,C1\"") + Line("EXCLUDE_SATS", "\"G05,R\"") + kSeparator);
    ASSERT_TRUE(l.ok) << (l.sink.problems.empty() ? "" : l.sink.problems[0].text);
    const EditOptions& e = l.job.Editing;
    EXPECT_EQ(e.from, 2448 * 604800.0 + 2 * 86400.0 + 36000.0);
    EXPECT_EQ(e.to, 2448 * 604800.0 + 216000.0);
    EXPECT_EQ(e.decimateMs, 15000);
    EXPECT_EQ(e.split, SplitUnit::kHour);
    EXPECT_TRUE(e.types && (*e.types)[0] && (*e.types)[2] && !(*e.types)[1]);
    EXPECT_TRUE(e.excluded[5] && e.excluded[17] && e.ExcludesAllGlonass());

    const std::pair<const char*, const char*> bad[] = {
        {"OBS_FROM", "2026-13-01 00:00"},
        {"OBS_TO", "x"},
        {"DECIMATE", "0.05"},
        {"SPLIT", "week"},
        {"OBS_TYPES", "L5"},
        {"EXCLUDE_SATS", "E11"},
    };
    for (const auto& [key, value] : bad) {
        Loaded b;
        Load(b, dir, head + Line(key, std::string("\"") + value + "\"") + kSeparator);
        EXPECT_FALSE(b.ok) << key;
        ASSERT_EQ(b.sink.problems.size(), 1u) << key;
        EXPECT_EQ(b.sink.problems[0].text.rfind(std::string(key) + " must be ", 0), 0u)
            << b.sink.problems[0].text;
        EXPECT_NE(b.sink.problems[0].text.find(value), std::string::npos) << key;
    }
}

}  // namespace
}  // namespace kelvrant
