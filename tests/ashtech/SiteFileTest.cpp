#include "ashtech/SiteFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <utility>

namespace kelvrant {
namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FilePtr FileOf(const std::string& text) {
    FilePtr file(std::tmpfile(), &std::fclose);
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::rewind(file.get());
    return file;
}

// A line of blanks with texts placed at 1-based columns.
std::string Columns(std::initializer_list<std::pair<std::size_t, std::string>> fields) {
    std::string line;
    for (const auto& [column, text] : fields) {
        if (line.size() < column - 1 + text.size()) line.resize(column - 1 + text.size(), ' ');
        line.replace(column - 1, text.size(), text);
    }
    return line;
}

const std::string kLine3 = Columns({{1, "SIT1"},
                                    {6, "12 345 6789"},
                                    {31, "X"},
                                    {34, "123"},
                                    {38, "456"},
                                    {42, "ABCD"},
                                    {47, "OBS"},
                                    {51, "13CHARACTERS!"},
                                    {65, "TAIL OF THE LINE"}});
const std::string kLine9 =
    Columns({{1, "RECEIVER"}, {15, "Z-12"}, {30, "1B00"}, {45, "1A00"}, {60, "TAILTEXT1234"}});

std::string SiteFile(const std::string& line1 = "SITE INFORMATION",
                     const std::string& line3 = kLine3, const std::string& line9 = kLine9,
                     const std::string& ending = "\n") {
    return line1 + ending + "line 2" + ending + line3 + ending + "line 4" + ending + "line 5" +
           ending + "HGT:  1.4500 0 0 0 0" + ending + "XYZ:  1 2 3 4 5" + ending + "line 8" +
           ending + line9 + ending;
}

int Read(SiteRecord& record, const std::string& text) {
    FilePtr file = FileOf(text);
    return ReadSiteFile(record, file.get());
}

TEST(site_file, columns_of_a_full_file) {
    SiteRecord s;
    ASSERT_EQ(Read(s, SiteFile()), 1);
    EXPECT_EQ(s.loaded, 1);
    EXPECT_EQ(s.siteName, "SIT1");
    EXPECT_EQ(s.numbers[0], 12);
    EXPECT_EQ(s.numbers[1], 345);
    EXPECT_EQ(s.numbers[2], 6789);
    EXPECT_EQ(s.flag, 'X');
    EXPECT_EQ(s.receiverNumber, "123");
    EXPECT_EQ(s.antennaNumber, "456");
    EXPECT_EQ(s.text4, "ABCD");
    EXPECT_EQ(s.observer, "OBS");
    EXPECT_EQ(s.text13, "13CHARACTERS!");
    EXPECT_EQ(s.line3Tail, "TAIL OF THE LINE");
    EXPECT_EQ(s.receiverType, "Z-12");
    EXPECT_EQ(s.versionFirst, "1B00");
    EXPECT_EQ(s.versionSecond, "1A00");
    EXPECT_EQ(s.line9Tail, "TAILTEXT1");
    EXPECT_EQ(s.AntennaHeight(), 1.45);
    EXPECT_EQ(s.line6[1], 0.0);
    EXPECT_EQ(s.line7[0], 1.0);
    EXPECT_EQ(s.line7[4], 5.0);
}

TEST(site_file, crlf_endings_are_not_part_of_the_texts) {
    SiteRecord s;
    ASSERT_EQ(Read(s, SiteFile("SITE INFORMATION", Columns({{1, "SIT2"}, {47, "OB"}}),
                               Columns({{15, "GG24"}, {30, "2C00"}, {45, "2D00"}}), "\r\n")),
              1);
    EXPECT_EQ(s.observer, "OB");
    EXPECT_EQ(s.versionSecond, "2D00");
    EXPECT_EQ(s.receiverType, "GG24");
}

TEST(site_file, first_line_check) {
    SiteRecord s;
    EXPECT_EQ(Read(s, SiteFile("   SITE INFORMATION   ")), 1);
    EXPECT_EQ(Read(s, SiteFile("Site Information")), 0);
    EXPECT_EQ(s.loaded, 0);
    EXPECT_EQ(Read(s, SiteFile(std::string("AB\0SITE INFORMATION", 19))), 0);
    // The text must stand within the first 198 characters, the length of one line.
    EXPECT_EQ(Read(s, SiteFile(std::string(190, ' ') + "SITE INFORMATION")), 0);
}

TEST(site_file, line_nine_is_required) {
    std::string text = SiteFile();
    text.resize(text.rfind(kLine9));  // eight lines
    SiteRecord s;
    EXPECT_EQ(Read(s, text), 0);
    EXPECT_EQ(s.loaded, 0);
    EXPECT_EQ(Read(s, ""), 0);
    EXPECT_EQ(Read(s, text + "no line feed at the end"), 1);
}

TEST(site_file, short_line_three) {
    SiteRecord s;
    ASSERT_EQ(Read(s, SiteFile("SITE INFORMATION", "AB 5 6 7   short line")), 1);
    EXPECT_EQ(s.siteName, "AB 5");
    EXPECT_EQ(s.numbers[0], 6);
    EXPECT_EQ(s.numbers[1], 7);
    EXPECT_EQ(s.receiverNumber, "");
    EXPECT_EQ(s.antennaNumber, "");
    EXPECT_EQ(s.observer, "");
    EXPECT_EQ(s.line3Tail, "");
    ASSERT_EQ(Read(s, SiteFile("SITE INFORMATION", "", "")), 1);
    EXPECT_EQ(s.siteName, "");
    EXPECT_EQ(s.receiverType, "");
}

TEST(site_file, unreadable_numbers_keep_earlier_values) {
    SiteRecord s;
    ASSERT_EQ(Read(s, SiteFile()), 1);
    std::string text = SiteFile("SITE INFORMATION", "SIT1 99 xx");
    text.replace(text.find("HGT:  1.4500 0 0 0 0"), 20, "HGT:  2.5 abc");
    ASSERT_EQ(Read(s, text), 1);
    EXPECT_EQ(s.numbers[0], 99);
    EXPECT_EQ(s.numbers[1], 345);
    EXPECT_EQ(s.numbers[2], 6789);
    EXPECT_EQ(s.AntennaHeight(), 2.5);
    EXPECT_EQ(s.line6[1], 0.0);
    ClearSiteRecord(s);
    EXPECT_EQ(s.numbers[0], 0);
    EXPECT_EQ(s.siteName, "");
}

TEST(site_file, long_lines_are_read_in_pieces) {
    // 250 characters: the first 198 are line 1, the other 52 and the line feed line 2.
    const std::string line1 = "SITE INFORMATION" + std::string(234, '-');
    std::string text = SiteFile(line1);
    text.erase(text.find("line 2\n"), 7);
    SiteRecord s;
    ASSERT_EQ(Read(s, text), 1);
    EXPECT_EQ(s.siteName, "SIT1");
    const std::string huge(100000, 'x');
    // The pieces of a huge line 3 take the places of the lines after it: the height line is
    // then a piece of text, and a height that is not a number fails the read.
    std::string why;
    FilePtr file = FileOf(SiteFile("SITE INFORMATION", huge, huge));
    EXPECT_EQ(ReadSiteFile(s, file.get(), &why), 0);
    EXPECT_EQ(why, "line 6: the antenna height is not a number");
    EXPECT_EQ(s.receiverNumber.size(), 3u);
    EXPECT_EQ(s.line3Tail.size(), 60u);
}

TEST(site_file, forget_keeps_the_fields) {
    SiteRecord s;
    ASSERT_EQ(Read(s, SiteFile()), 1);
    ForgetSiteRecord(s);
    EXPECT_EQ(s.loaded, 0);
    EXPECT_EQ(s.siteName, "SIT1");
    EXPECT_EQ(ReadSiteFile(s, nullptr), 0);
}

TEST(site_file, binary_garbage_never_fails_hard) {
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        std::string text = round % 2 == 0 ? SiteFile() : std::string();
        const std::size_t size = random() % 3000;
        for (std::size_t i = 0; i < size; ++i)
            text.push_back(static_cast<char>(random() % 256));
        if (round % 4 == 0)
            for (char& c : text)
                if (random() % 5 == 0) c = static_cast<char>(random() % 256);
        SiteRecord s;
        const int result = Read(s, text);
        EXPECT_TRUE(result == 0 || result == 1);
        EXPECT_LE(s.line3Tail.size(), 60u);
        EXPECT_LE(s.receiverType.size(), 9u);
    }
}

}  // namespace
}  // namespace kelvrant
