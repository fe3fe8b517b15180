#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "settings/ParameterFile.h"
#include "settings/ParameterTable.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

/// A parameter line: the key, spaces up to column 29, the value from column 30.
std::string Line(const std::string& key, const std::string& value) {
    std::string line = key;
    line.resize(29, ' ');
    return line + value + "\n";
}

const std::string kSeparator = std::string(50, '-') + "\n";

struct ReadOutcome {
    bool ok = false;
    int lineCount = -99;
    int error = 0;
};

ReadOutcome ReadText(ParameterFile& manager, const std::string& text) {
    test::TempDir dir;
    const std::string path = dir.File("params.txt");
    test::WriteFile(path, text);
    std::FILE* file = std::fopen(path.c_str(), "r");
    ReadOutcome out;
    out.ok = manager.ReadFile(file, out.lineCount);
    out.error = manager.TakeError();
    std::fclose(file);
    return out;
}

class param_line : public ::testing::Test {
  protected:
    param_line() : table(66, 29) {
        table.AddStringParam("SITE_NAME", &name, 4);
        table.AddStringParam("COMMENT1", &comment, 60);
        table.AddYesNoParam("WRITE_SATS", &flag);
        table.AddIntParam("KELVRANT_MODE", &mode, 0, 1);
        table.AddDoubleParam("ANT_OFFSET_N", &offset, -2000.0, 2000.0);
    }
    /// Parses `line`; returns the code taken from the table (0 on success).
    int Parse(const std::string& line) {
        const bool ok = table.ParseLine(line);
        const int code = table.TakeError();
        EXPECT_EQ(ok, code == 0) << line;
        return code;
    }
    ParameterTable table;
    std::string name, comment;
    std::int32_t flag = -1, mode = -1;
    double offset = -1.0;
};

TEST_F(param_line, string_value_between_quotes_from_column_30) {
    EXPECT_EQ(Parse(Line("COMMENT1", "\"a b c\" trailing")), 0);
    EXPECT_EQ(comment, "a b c");
    EXPECT_EQ(Parse(Line("SITE_NAME", "  \"KELVIN\"")), 0);
    EXPECT_EQ(name, "KELV");  // cut to the field without error
    // Without its closing quote the line is in error (the file's reader names the line).
    EXPECT_EQ(Parse(Line("COMMENT1", "\"open end")), ParameterTable::kFormatError);
    EXPECT_EQ(Parse(Line("COMMENT1", "no quote")), ParameterTable::kFormatError);
    EXPECT_EQ(comment, "");  // cleared before the value is looked for
}

TEST_F(param_line, a_value_may_start_before_column_30) {
    struct Case {
        std::string line;
        int error;
    };
    // Key, at least one blank, then the value wherever it starts.
    const Case cases[] = {
        {"SITE_NAME \"ABCD\"\n", 0},
        {"WRITE_SATS Yes\n", 0},
        {"KELVRANT_MODE 1\n", 0},
        {"ANT_OFFSET_N  12.5\n", 0},
        {"SITE_NAME\n", ParameterTable::kUnknownParam},  // the line feed belongs to the key
        {"SITE_NAME  \n", ParameterTable::kFormatError},
        {"WRITE_SATS   \n", ParameterTable::kRangeError},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(c.line), c.error) << c.line;
    EXPECT_EQ(name, "");  // "SITE_NAME  " cleared it
    EXPECT_EQ(flag, 1);
    EXPECT_DOUBLE_EQ(offset, 12.5);
    EXPECT_EQ(Parse("SITE_NAME \"ABCD\"\n"), 0);
    EXPECT_EQ(name, "ABCD");
}

TEST_F(param_line, yes_no_prefixes_at_column_30) {
    EXPECT_EQ(Parse(Line("WRITE_SATS", "yes")), 0);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(Parse(Line("WRITE_SATS", "NO")), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(Parse(Line("WRITE_SATS", "YESTERDAY")), 0);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(Parse(Line("WRITE_SATS", "nonsense")), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(Parse(Line("WRITE_SATS", " Yes")), ParameterTable::kRangeError);
    EXPECT_EQ(Parse(Line("WRITE_SATS", "True")), ParameterTable::kRangeError);
}

TEST_F(param_line, keys_match_exactly_up_to_the_first_space) {
    EXPECT_EQ(Parse(Line("site_name", "\"ABCD\"")), ParameterTable::kUnknownParam);
    EXPECT_EQ(Parse(" " + Line("SITE_NAME", "\"ABCD\"")), ParameterTable::kUnknownParam);
    EXPECT_EQ(Parse("SITE_NAME\t" + Line("", "\"ABCD\"")), ParameterTable::kUnknownParam);
    EXPECT_EQ(Parse("SITE_NAME\n"), ParameterTable::kUnknownParam);
    EXPECT_EQ(Parse("# a comment\n"), ParameterTable::kUnknownParam);
    EXPECT_EQ(Parse(std::string(300, 'K') + "\n"), ParameterTable::kUnknownParam);
}

TEST_F(param_line, numbers_and_their_ranges) {
    EXPECT_EQ(Parse(Line("KELVRANT_MODE", "1x")), 0);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(Parse(Line("KELVRANT_MODE", "2")), ParameterTable::kRangeError);
    EXPECT_EQ(Parse(Line("KELVRANT_MODE", "abc")), ParameterTable::kRangeError);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(Parse(Line("KELVRANT_MODE", "99999999999")), ParameterTable::kRangeError);
    EXPECT_EQ(Parse(Line("ANT_OFFSET_N", "-2000")), 0);
    EXPECT_EQ(offset, -2000.0);
    EXPECT_EQ(Parse(Line("ANT_OFFSET_N", "2000.0")), 0);
    EXPECT_EQ(Parse(Line("ANT_OFFSET_N", "2000.5")), ParameterTable::kRangeError);
    EXPECT_EQ(Parse(Line("ANT_OFFSET_N", "nan")), ParameterTable::kRangeError);
    EXPECT_EQ(Parse(Line("ANT_OFFSET_N", "")), ParameterTable::kRangeError);
}

TEST(param_table, capacity_leaves_one_place_free) {
    ParameterTable table(3, 29);
    std::int32_t a = 0;
    EXPECT_TRUE(table.AddYesNoParam("A", &a));
    EXPECT_TRUE(table.AddYesNoParam("B", &a));
    EXPECT_FALSE(table.AddYesNoParam("C", &a));
    EXPECT_EQ(table.TakeError(), ParameterTable::kNoRoom);
    EXPECT_EQ(table.TakeError(), 0);
}

TEST(header_manager, registers_all_65_keys) {
    ParameterFile manager;
    EXPECT_EQ(manager.KeyCount(), 77);
    EXPECT_EQ(manager.TakeError(), 0);
}

TEST(header_manager, empty_file_keeps_built_in_defaults) {
    ParameterFile manager;
    const ReadOutcome r = ReadText(manager, "");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.lineCount, 0);
    EXPECT_EQ(r.error, 0);
    HeaderRecord d;
    manager.GetDefaults(d);
    EXPECT_EQ(d.SiteName, "????");
    EXPECT_EQ(d.CreateAgency, "Quillon");
    EXPECT_EQ(d.MetTempTyp, "Plat Resist Probe");
    EXPECT_EQ(d.ApproxPos[0], 6378137.0);
    EXPECT_EQ(d.KelvrantPresnt, 0);
    EXPECT_EQ(d.WriteSiteChngs, 0);
    EXPECT_EQ(d.AllowDoplr, 1);
}

TEST(header_manager, first_record_is_defaults_and_sites_start_from_it) {
    ParameterFile manager;
    const std::string text = Line("SITE_NAME", "\"DFLT\"") + Line("OBSERVER", "\"Ann\"") + "\n" +
                             kSeparator + Line("SITE_NAME", "\"ZULU\"") + kSeparator +
                             Line("SITE_NAME", "\"ALFA\"") + Line("OBSERVER", "\"Bob\"") +
                             std::string(50, '-') + " more text\n" + Line("SITE_NAME", "\"DFLT\"") +
                             kSeparator + Line("SITE_NAME", "\"LOST\"");
    const ReadOutcome r = ReadText(manager, text);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lineCount, 12);
    HeaderRecord d;
    manager.GetDefaults(d);
    EXPECT_EQ(d.SiteName, "DFLT");
    ASSERT_EQ(manager.Sites().size(), 3u);  // the record after the last separator is dropped
    EXPECT_EQ(manager.Sites()[0].SiteName, "ALFA");
    EXPECT_EQ(manager.Sites()[0].Observer, "Bob");
    EXPECT_EQ(manager.Sites()[1].SiteName, "DFLT");  // the defaults record is no site
    EXPECT_EQ(manager.Sites()[2].SiteName, "ZULU");
    EXPECT_EQ(manager.Sites()[2].Observer, "Ann");
    EXPECT_EQ(manager.FindSite("ZULU"), 2);
    EXPECT_EQ(manager.FindSite("zulu"), -1);
    EXPECT_EQ(manager.FindSite("LOST"), -1);
}

TEST(header_manager, unclosed_first_record_is_dropped) {
    ParameterFile manager;
    const ReadOutcome r = ReadText(manager, Line("KELVRANT_PRESNT", "Yes"));
    EXPECT_TRUE(r.ok);
    HeaderRecord d;
    manager.GetDefaults(d);
    EXPECT_EQ(d.KelvrantPresnt, 0);
}

TEST(header_manager, errors_name_the_line_blank_lines_counted) {
    struct Case {
        std::string text;
        int error;
        int line;
    };
    const Case cases[] = {
        {"\n  \n" + Line("site_name", "\"ABCD\""), ParameterFile::kUnknownParam, 3},
        {Line("OBSERVER", "\"x\"") + std::string(49, '-') + "\n", ParameterFile::kUnknownParam, 2},
        {"\t\n", ParameterFile::kUnknownParam, 1},  // a tab is not blank
        {kSeparator + "\n" + Line("KELVRANT_MODE", "2"), ParameterFile::kRangeError, 3},
        {Line("MET_PRESS_ACC", "-0.1"), ParameterFile::kRangeError, 1},
        {"SITE_NAME \"ABCD\n", ParameterFile::kRangeError, 1},
    };
    for (const Case& c : cases) {
        ParameterFile manager;
        const ReadOutcome r = ReadText(manager, c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_EQ(r.lineCount, c.line) << c.text;
    }
}

TEST(header_manager, duplicate_site_records_fail) {
    ParameterFile manager;
    const std::string text = kSeparator + Line("SITE_NAME", "\"AAAA\"") + kSeparator +
                             Line("SITE_NAME", "\"AAAA\"") + kSeparator;
    const ReadOutcome r = ReadText(manager, text);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, ParameterFile::kSiteExists);
    EXPECT_EQ(r.lineCount, -99);  // not set by a failure to add
}

TEST(header_manager, sites_sort_by_unsigned_bytes_and_grow) {
    ParameterFile manager;
    std::string text = kSeparator;
    for (int i = 24; i >= 0; --i) {
        text += Line("SITE_NAME", "\"S" + std::to_string(100 + i) + "\"") + kSeparator;
    }
    text += Line("SITE_NAME", "\"\xE9t\xE9\"") + kSeparator;
    const ReadOutcome r = ReadText(manager, text);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(manager.Sites().size(), 26u);
    EXPECT_EQ(manager.Sites()[0].SiteName, "S100");
    EXPECT_EQ(manager.Sites()[24].SiteName, "S124");
    EXPECT_EQ(manager.Sites()[25].SiteName, "\xE9t\xE9");
}

TEST(header_manager, paths_are_kept_whole) {
    ParameterFile manager;
    const std::string path = "/data/" + std::string(1500, 'p') + "/BN102A97.323";
    const ReadOutcome r =
        ReadText(manager, Line("KELVRANT_BFNAME", "\"" + path + "\"") + kSeparator);
    ASSERT_TRUE(r.ok);
    HeaderRecord d;
    manager.GetDefaults(d);
    EXPECT_EQ(d.BFName, path);
}

TEST(header_manager, no_stream_and_error_texts) {
    ParameterFile manager;
    int count = 5;
    EXPECT_FALSE(manager.ReadFile(nullptr, count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(manager.TakeError(), ParameterFile::kBadFile);
    EXPECT_STREQ(ParameterFile::HeaderErrorText(0), "No Errors Detected");
    EXPECT_STREQ(ParameterFile::HeaderErrorText(2),
                 "Attempted to 'Add' a site that already exists");
    EXPECT_STREQ(ParameterFile::HeaderErrorText(8), "Unknown Error Code");  // never set
    EXPECT_STREQ(ParameterFile::HeaderErrorText(9), "Invalid input file pointer");
    EXPECT_STREQ(ParameterFile::HeaderErrorText(12), "Parameter range error on read");
    EXPECT_STREQ(ParameterFile::HeaderErrorText(13), "Unknown Error Code");
    EXPECT_STREQ(ParameterFile::HeaderErrorText(-1), "Unknown Error Code");
}

}  // namespace
}  // namespace kelvrant
