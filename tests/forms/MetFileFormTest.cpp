#include "forms/MetFileForm.h"

#include <gtest/gtest.h>

#include "support/TestPaths.h"

namespace kelvrant {
namespace {

// A selection as the window has it after showing on 17 May 2024 with 18 leap seconds.
MetFileSelection ShownOn17May2024() {
    MetFileSelection s;
    UtcTime today;
    today.year = 2024;
    today.month = 5;
    today.day = 17;
    today.hour = 13;
    StartMetSelectionToday(s, today, 18.0);
    return s;
}

TEST(met_naming, window_shown_starts_at_today_midnight) {
    const MetFileSelection s = ShownOn17May2024();
    EXPECT_EQ(s.year, 2024);
    EXPECT_EQ(s.month, 5);
    EXPECT_EQ(s.day, 17);
    EXPECT_EQ(s.startWeek, 2314);
    EXPECT_EQ(s.startSeconds, 432000);  // the 0.1 s of 00:00:00.1 rounded away
    EXPECT_EQ(s.leapSeconds, 18.0);
    EXPECT_EQ(s.session, 'A');
    const MetSelectionTexts t = FormatMetSelection(s);
    EXPECT_EQ(t.week, "2314");
    EXPECT_EQ(t.seconds, "432000");
    EXPECT_EQ(t.leapSeconds, "18");
}

TEST(met_naming, site_is_four_characters_without_blanks) {
    EXPECT_EQ(MetSiteOf("BASE STATION"), "BASE");
    EXPECT_EQ(MetSiteOf("ABC"), "XXXX");
    EXPECT_EQ(MetSiteOf("AB C"), "XXXX");
    EXPECT_EQ(MetSiteOf(" ABCD"), "XXXX");
    EXPECT_EQ(MetSiteOf(""), "XXXX");
    EXPECT_EQ(MetSiteOf("ABCD"), "ABCD");
}

TEST(met_naming, nma_pattern_needs_six_characters_and_the_nma_extension) {
    const auto a = ParseNmaFileName("/met/A03245.NMA");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->session, 'A');
    EXPECT_EQ(a->year, 2003);
    EXPECT_EQ(a->dayOfYear, 245);
    const auto b = ParseNmaFileName("b99001.nma");
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(b->session, 'B');
    EXPECT_EQ(b->year, 1999);
    EXPECT_EQ(b->dayOfYear, 1);
    // The century turns between 69 and 70.
    EXPECT_EQ(ParseNmaFileName("x69001.NmA")->year, 2069);
    EXPECT_EQ(ParseNmaFileName("x70001.NMA")->year, 1970);
    EXPECT_EQ(ParseNmaFileName("703245.NMA")->session, '7');
    EXPECT_FALSE(ParseNmaFileName("data.txt"));
    EXPECT_FALSE(ParseNmaFileName("A0324.NMA"));
    EXPECT_FALSE(ParseNmaFileName("A032455.NMA"));
    EXPECT_FALSE(ParseNmaFileName("A03x45.NMA"));
    EXPECT_FALSE(ParseNmaFileName("_03245.NMA"));
    EXPECT_FALSE(ParseNmaFileName("A03245.NMB"));
    EXPECT_FALSE(ParseNmaFileName("A03245"));
}

TEST(met_naming, nma_name_gives_date_session_and_output) {
    test::TempDir dir;
    const std::string input = dir.File("A03245.NMA");
    test::WriteFile(input, "");
    MetFileSelection s = ShownOn17May2024();
    ASSERT_TRUE(UpdateMetNames(s, input, true, "BASE STATION"));
    EXPECT_EQ(s.inFileName, input);
    EXPECT_EQ(s.outFileName, dir.File("BASE2451.03M"));
    EXPECT_EQ(s.year, 2003);
    EXPECT_EQ(s.month, 9);
    EXPECT_EQ(s.day, 2);
    EXPECT_EQ(s.startWeek, 1234);
    EXPECT_EQ(s.startSeconds, 172800);
    EXPECT_EQ(s.leapSeconds, 18.0);  // untouched
}

TEST(met_naming, lower_case_name_of_1999_gives_session_two) {
    test::TempDir dir;
    const std::string input = dir.File("b99001.nma");
    test::WriteFile(input, "");
    MetFileSelection s = ShownOn17May2024();
    ASSERT_TRUE(UpdateMetNames(s, input, true, "AB"));
    EXPECT_EQ(s.session, 'B');
    EXPECT_EQ(s.outFileName, dir.File("XXXX0012.99M"));
    EXPECT_EQ(s.year, 1999);
    EXPECT_EQ(s.month, 1);
    EXPECT_EQ(s.day, 1);
    EXPECT_EQ(s.startWeek, 990);
    EXPECT_EQ(s.startSeconds, 432000);
}

TEST(met_naming, other_names_keep_the_date_fields) {
    test::TempDir dir;
    const std::string input = dir.File("data.txt");
    test::WriteFile(input, "");
    MetFileSelection s = ShownOn17May2024();
    ASSERT_TRUE(UpdateMetNames(s, input, true, "KELV"));
    EXPECT_EQ(s.year, 2024);
    EXPECT_EQ(s.startWeek, 2314);
    EXPECT_EQ(s.outFileName, dir.File("KELV1381.24M"));
}

TEST(met_naming, without_the_switch_the_pattern_is_not_read) {
    test::TempDir dir;
    const std::string input = dir.File("A03245.NMA");
    test::WriteFile(input, "");
    MetFileSelection s = ShownOn17May2024();
    ASSERT_TRUE(UpdateMetNames(s, input, false, "KELV"));
    EXPECT_EQ(s.session, 'A');
    EXPECT_EQ(s.year, 2024);
    EXPECT_EQ(s.outFileName, dir.File("KELV1381.24M"));
}

TEST(met_naming, missing_input_changes_nothing) {
    test::TempDir dir;
    MetFileSelection s = ShownOn17May2024();
    s.inFileName = "kept";
    s.outFileName = "typed.24M";
    EXPECT_FALSE(UpdateMetNames(s, dir.File("A03245.NMA"), true, "KELV"));
    EXPECT_FALSE(UpdateMetNames(s, dir.path().string(), true, "KELV"));  // a directory
    EXPECT_FALSE(UpdateMetNames(s, "", true, "KELV"));
    EXPECT_EQ(s.inFileName, "kept");
    EXPECT_EQ(s.outFileName, "typed.24M");
    EXPECT_EQ(s.year, 2024);
}

TEST(met_naming, week_and_seconds_entries_recompute_the_date) {
    MetFileSelection s = ShownOn17May2024();
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kWeek, "1234"));
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kSeconds, " 172800"));
    EXPECT_EQ(s.year, 2003);
    EXPECT_EQ(s.month, 9);
    EXPECT_EQ(s.day, 2);
    // The last second of the week is the next Sunday, midnight exactly.
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kSeconds, "604800"));
    EXPECT_EQ(s.startSeconds, 604800);
    EXPECT_EQ(s.month, 9);
    EXPECT_EQ(s.day, 7);
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kSeconds, "604801"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kSeconds, "-1"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kSeconds, "x"));
    EXPECT_EQ(s.startSeconds, 604800);
    EXPECT_TRUE(ApplyMetEntry(s, MetEntry::kWeek, "0"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kWeek, "-1"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kWeek, ""));
    EXPECT_EQ(s.startWeek, 0);
}

TEST(met_naming, date_entries_recompute_week_and_seconds) {
    MetFileSelection s = ShownOn17May2024();
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kYear, "2003"));
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kMonth, "9"));
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kDay, "2"));
    EXPECT_EQ(s.startWeek, 1234);
    EXPECT_EQ(s.startSeconds, 172800);
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kYear, "1969"));
    EXPECT_TRUE(ApplyMetEntry(s, MetEntry::kYear, "2069"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kYear, "2070"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kMonth, "0"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kMonth, "13"));
}

TEST(met_naming, days_beyond_the_month_are_refused) {
    MetFileSelection s = ShownOn17May2024();
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kYear, "2003"));
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kMonth, "2"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kDay, "30"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kDay, "29"));
    EXPECT_TRUE(ApplyMetEntry(s, MetEntry::kDay, "28"));
    EXPECT_EQ(s.startWeek, 1207);
    EXPECT_EQ(s.startSeconds, 432000);
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kYear, "2004"));
    EXPECT_TRUE(ApplyMetEntry(s, MetEntry::kDay, "29"));
    EXPECT_EQ(s.startWeek, 1260);
    EXPECT_EQ(s.startSeconds, 0);
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kMonth, "4"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kDay, "31"));
    EXPECT_TRUE(ApplyMetEntry(s, MetEntry::kDay, "30"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kDay, "0"));
}

TEST(met_naming, a_shorter_month_moves_the_day_to_its_end) {
    MetFileSelection s = ShownOn17May2024();
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kDay, "31"));
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kMonth, "2"));
    EXPECT_EQ(s.day, 29);  // 2024
    ASSERT_TRUE(ApplyMetEntry(s, MetEntry::kYear, "2003"));
    EXPECT_EQ(s.day, 28);
    EXPECT_EQ(s.startWeek, 1207);
    EXPECT_EQ(s.startSeconds, 432000);
}

TEST(met_naming, leap_seconds_between_one_and_thirty) {
    MetFileSelection s = ShownOn17May2024();
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kLeapSeconds, "0"));
    EXPECT_FALSE(ApplyMetEntry(s, MetEntry::kLeapSeconds, "31"));
    EXPECT_EQ(s.leapSeconds, 18.0);
    EXPECT_TRUE(ApplyMetEntry(s, MetEntry::kLeapSeconds, "13"));
    EXPECT_EQ(s.leapSeconds, 13.0);
    EXPECT_TRUE(ApplyMetEntry(s, MetEntry::kLeapSeconds, "30"));
    EXPECT_TRUE(ApplyMetEntry(s, MetEntry::kLeapSeconds, "1"));
    // Only the leap seconds change.
    EXPECT_EQ(s.startWeek, 2314);
    EXPECT_EQ(MetEntryMessage(MetEntry::kLeapSeconds),
              "Illegal value for UTC to GPS leap seconds.");
    EXPECT_EQ(MetEntryMessage(MetEntry::kDay),
              "Illegal value for the start day of the\nmeteorological data.");
}

TEST(met_naming, integers_read_like_scanf) {
    EXPECT_EQ(ScanMetInteger("  13"), 13);
    EXPECT_EQ(ScanMetInteger("13.7"), 13);
    EXPECT_EQ(ScanMetInteger("+5x"), 5);
    EXPECT_EQ(ScanMetInteger("-0"), 0);
    EXPECT_FALSE(ScanMetInteger("x5"));
    EXPECT_FALSE(ScanMetInteger("-"));
    EXPECT_FALSE(ScanMetInteger("2147483648"));
    EXPECT_EQ(ScanMetInteger("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(ScanMetInteger("99999999999999999999999"));
}

TEST(met_naming, accuracy_is_a_real_of_at_least_zero) {
    EXPECT_EQ(ReadSensorAccuracy("0.5"), 0.5);
    EXPECT_EQ(ReadSensorAccuracy("0"), 0.0);
    EXPECT_EQ(ReadSensorAccuracy(" 2e1mbar"), 20.0);
    EXPECT_EQ(ReadSensorAccuracy(".5"), 0.5);
    EXPECT_FALSE(ReadSensorAccuracy("-0.1"));
    EXPECT_FALSE(ReadSensorAccuracy("abc"));
    EXPECT_FALSE(ReadSensorAccuracy(""));
    EXPECT_FALSE(ReadSensorAccuracy("nan"));
    EXPECT_FALSE(ReadSensorAccuracy("1e999"));
    EXPECT_EQ(ScanMetReal("1e"), 1.0);  // a bare exponent letter ends the number
}

TEST(met_naming, header_from_settings_compacts_comments) {
    HeaderSettings settings;
    settings.SiteName = std::string(70, 'N');
    settings.SiteNumber = "42";
    settings.CreateAgency = "AGENCY OF MORE THAN TWENTY";
    settings.MetComment[1] = "second";
    settings.MetTempUsePress = 1;
    settings.MetHumidPos[2] = 7.5;
    settings.MetPressAcc = 0.1;
    MetHeaderRecord h;
    h.commentCount = 3;
    FillMetHeaderFromSettings(settings, h);
    EXPECT_EQ(h.markerName, std::string(60, 'N'));
    EXPECT_EQ(h.markerNumberPresent, 1);
    EXPECT_EQ(h.runBy, "AGENCY OF MORE THAN ");
    EXPECT_EQ(h.commentCount, 1);
    EXPECT_EQ(h.comments[0], "second");
    EXPECT_EQ(h.comments[1], "");
    EXPECT_EQ(h.prPresent + h.tdPresent + h.hrPresent, 3);
    EXPECT_EQ(h.tdUsesPrPosition, 1);
    EXPECT_EQ(h.hrUsesPrPosition, 0);
    EXPECT_EQ(h.hrZ, 7.5);
    EXPECT_EQ(h.prAccuracy, 0.1);
}

TEST(met_naming, browse_starts_at_the_nearest_existing_directory) {
    test::TempDir dir;
    const std::string file = dir.File("A03245.NMA");
    test::WriteFile(file, "");
    const BrowseStart existing = MetBrowseStart(file);
    EXPECT_EQ(existing.fileName, file);
    EXPECT_EQ(existing.directory, dir.path().string() + "/");
    const BrowseStart missing = MetBrowseStart(dir.File("no/such/name.24M"));
    EXPECT_EQ(missing.fileName, "");
    EXPECT_EQ(missing.directory, dir.path().string());
    EXPECT_EQ(MetBrowseStart("/no-such-top-level-dir/x").directory, "/");
    EXPECT_EQ(MetBrowseStart("relative-missing").directory, "/");
    const BrowseStart empty = MetBrowseStart("");
    EXPECT_EQ(empty.fileName, "");
    EXPECT_EQ(empty.directory, "");
}

TEST(met_naming, filters_become_qt_entries_of_any_case) {
    const auto source =
        DialogFilterEntries("NMEA files (*.nma)|*.NMA|D-Files (d*.*)|d*.*|All Files (*.*)|*.*");
    ASSERT_EQ(source.size(), 3u);
    EXPECT_EQ(source[0], "NMEA files (*.nma) (*.NMA *.nma)");
    EXPECT_EQ(source[1], "D-Files (d*.*) (d*.* D*.*)");
    EXPECT_EQ(source[2], "All Files (*.*) (*.*)");
    const auto dest = DialogFilterEntries("Met Files|*.??M|All Files|*.*");
    ASSERT_EQ(dest.size(), 2u);
    EXPECT_EQ(dest[0], "Met Files (*.??M *.??m)");
    EXPECT_EQ(dest[1], "All Files (*.*)");
}

}  // namespace
}  // namespace kelvrant
