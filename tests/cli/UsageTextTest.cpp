// The usage text: fifteen pieces, the executable's name in pieces 2 and 4.
#include <gtest/gtest.h>

#include "cli/UsageText.h"

namespace kelvrant {
namespace {

TEST(cmd_line_help, fifteen_pieces_with_the_executable_name) {
    const auto pieces = CmdLineHelpPieces("kelvrant");
    ASSERT_EQ(pieces.size(), 15u);
    EXPECT_EQ(pieces[0], "Program Usage:\r\n");
    EXPECT_EQ(pieces[1], "   kelvrant -I bfile efile [sfile] [ionfile] [options]\r\n");
    EXPECT_EQ(pieces[2], "  OR\r\n");
    EXPECT_EQ(pieces[3], "   kelvrant -M inmetfile outmetfile [gpswk gpswkSec]\r\n");
    EXPECT_EQ(pieces[4], "    where,");
    EXPECT_EQ(pieces[9], "\r\n\r\n\r\nExamples:\r\n\r\n");
    // Quotes and backslashes survive.
    EXPECT_NE(pieces[6].find("(optional but required when \"gpswk\" provided)"), std::string::npos);
    EXPECT_NE(pieces[11].find("-T D:\\RINEX.OUT -C 0\r\n"), std::string::npos);
    EXPECT_TRUE(pieces[14].ends_with("within that day.\r\n"));
    // Only pieces 2 and 4 name the program as started; the examples keep "Kelvrant".
    EXPECT_EQ(pieces[10].rfind(" Kelvrant -I BN102A97.323", 0), 0u);
}

TEST(cmd_line_help, a_percent_in_the_name_is_no_conversion) {
    const auto pieces = CmdLineHelpPieces("k%s%n");
    EXPECT_EQ(pieces[1], "   k%s%n -I bfile efile [sfile] [ionfile] [options]\r\n");
}

TEST(cmd_line_help, the_text_is_every_piece_on_its_own_line) {
    const std::string text = CmdLineHelpText("kv");
    EXPECT_EQ(text.rfind("Program Usage:\r\n\r\n   kv -I", 0), 0u);
    EXPECT_NE(text.find("  OR\r\n\r\n   kv -M"), std::string::npos);
    EXPECT_NE(text.find("    where,\r\n      bfile"), std::string::npos);
}

TEST(cmd_line_help, executable_file_name_drops_the_directory) {
    EXPECT_EQ(ExecutableFileName("/usr/local/bin/kelvrant"), "kelvrant");
    EXPECT_EQ(ExecutableFileName("kelvrant.bin"), "kelvrant.bin");
    EXPECT_EQ(ExecutableFileName(""), "Kelvrant");
}

}  // namespace
}  // namespace kelvrant
