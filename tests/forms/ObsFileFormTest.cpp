#include <gtest/gtest.h>

#include "forms/ObsFileForm.h"
#include "support/BFileBuilder.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::TempDir;
using test::WriteFile;

void WriteBFile(const std::string& path, const std::string& receiver) {
    test::BHeader header;
    header.receiverType = receiver;
    test::BFileBuilder(header).Save(path);
}

TEST(interactive_naming, candidates_replace_the_first_letter_and_take_the_year_for_ion) {
    EXPECT_EQ(CompanionCandidate("/data/BN102A97.323", 'E'), "/data/EN102A97.323");
    EXPECT_EQ(CompanionCandidate("/data/BN102A97.323", 'S'), "/data/SN102A97.323");
    EXPECT_EQ(IonCandidate("/data/BN102A97.323"), "/data/ION97.323");
    EXPECT_EQ(IonCandidate("BN102A9.323"), "");  // 7 characters: no year
    EXPECT_EQ(IonCandidate("/d/BSITEABC97.100"), "/d/IONBC.100");
    EXPECT_EQ(CompanionCandidate("/data/.323", 'E'), "/data/E323");
}

TEST(interactive_naming, output_names_follow_the_base_name_length) {
    const ObsOutputNames eight = MakeObsOutputNames("/data/BN102A97.323");
    EXPECT_EQ(eight.obs, "/data/N1023231.97O");
    EXPECT_EQ(eight.nav, "/data/N1023231.97N");
    EXPECT_EQ(eight.navG, "/data/N1023231.97G");
    // J..Z map to A..Q; a digit stays.
    EXPECT_EQ(MakeObsOutputNames("BN102K97.323").obs, "N102323B.97O");
    EXPECT_EQ(MakeObsOutputNames("BN102z97.323").obs, "N102323Q.97O");
    EXPECT_EQ(MakeObsOutputNames("BN102797.323").obs, "N1023237.97O");
    // Nine or more: three session characters upper-cased, year from the 9th and 10th.
    EXPECT_EQ(MakeObsOutputNames("/x/BN102ab197.323").obs, "/x/N102323AB1.97O");
    // Shorter than 8: nothing.
    const ObsOutputNames six = MakeObsOutputNames("/data/BN102A.323");
    EXPECT_TRUE(six.obs.empty() && six.nav.empty() && six.navG.empty());
}

TEST(interactive_naming, derives_existing_companions_and_glonass_only_for_glonass_receivers) {
    TempDir dir;
    const std::string b = dir.File("BN102A97.323");
    WriteBFile(b, "GG24");
    WriteFile(dir.File("EN102A97.323"), "e");
    WriteFile(dir.File("ION97.323"), "i");
    DerivedObsNames names;
    ASSERT_TRUE(DeriveObsNames(b, names));
    EXPECT_EQ(names.bFile, b);
    EXPECT_EQ(names.eFile, dir.File("EN102A97.323"));
    EXPECT_EQ(names.sFile, "");
    EXPECT_EQ(names.ionFile, dir.File("ION97.323"));
    EXPECT_EQ(names.obsFile, dir.File("N1023231.97O"));
    EXPECT_EQ(names.navFile, dir.File("N1023231.97N"));
    EXPECT_EQ(names.navGFile, dir.File("N1023231.97G"));

    WriteBFile(b, "G12");
    ASSERT_TRUE(DeriveObsNames(b, names));
    EXPECT_EQ(names.navGFile, "");
    // The receiver check ignores letter case.
    WriteBFile(b, "gg-xxiv");
    ASSERT_TRUE(DeriveObsNames(b, names));
    EXPECT_EQ(names.navGFile, dir.File("N1023231.97G"));
}

TEST(interactive_naming, a_missing_b_file_derives_nothing) {
    TempDir dir;
    DerivedObsNames names;
    names.eFile = "kept";
    EXPECT_FALSE(DeriveObsNames(dir.File("BN102A97.323"), names));
    EXPECT_FALSE(DeriveObsNames(dir.path().string(), names));  // a directory is no B-file
    EXPECT_FALSE(DeriveObsNames("", names));
    EXPECT_EQ(names.eFile, "kept");
}

TEST(interactive_naming, lower_case_downloads_are_found_by_letter_case_fallback) {
    TempDir dir;
    const std::string b = dir.File("bn102a97.323");
    WriteBFile(b, "G12");
    WriteFile(dir.File("en102a97.323"), "e");
    WriteFile(dir.File("sn102a97.323"), "s");
    WriteFile(dir.File("ion97.323"), "i");
    DerivedObsNames names;
    ASSERT_TRUE(DeriveObsNames(b, names));
    EXPECT_EQ(names.eFile, dir.File("en102a97.323"));
    EXPECT_EQ(names.sFile, dir.File("sn102a97.323"));
    EXPECT_EQ(names.ionFile, dir.File("ion97.323"));
    EXPECT_EQ(names.obsFile, dir.File("n1023231.97O"));
}

TEST(interactive_naming, companion_as_written_wins_and_several_spellings_choose_stably) {
    TempDir dir;
    WriteFile(dir.File("EN1.323"), "a");
    WriteFile(dir.File("en1.323"), "b");
    WriteFile(dir.File("eN1.323"), "c");
    EXPECT_EQ(FindCompanionFile(dir.File("en1.323")), dir.File("en1.323"));
    EXPECT_EQ(FindCompanionFile(dir.File("En1.323")), dir.File("EN1.323"));
    EXPECT_EQ(FindCompanionFile(dir.File("En2.323")), "");
    EXPECT_EQ(FindCompanionFile(dir.File("nodir/EN1.323")), "");
    EXPECT_EQ(FindCompanionFile(""), "");
}

TEST(interactive_naming, browse_starts_in_the_nearest_existing_directory) {
    TempDir dir;
    WriteFile(dir.File("BFILE.323"), "b");
    const std::string root = dir.path().string();
    const BrowseStart existing = FindBrowseStart(dir.File("BFILE.323"));
    EXPECT_EQ(existing.directory, root + "/");
    EXPECT_EQ(existing.fileName, dir.File("BFILE.323"));

    const BrowseStart missing = FindBrowseStart(dir.File("MISSING.323"));
    EXPECT_EQ(missing.directory, root);
    EXPECT_EQ(missing.fileName, "");

    const BrowseStart deep = FindBrowseStart(dir.File("no/such/dir/X.323"));
    EXPECT_EQ(deep.directory, root);
    EXPECT_EQ(deep.fileName, "");

    EXPECT_EQ(FindBrowseStart(root).directory, root);  // a directory opens in itself
    EXPECT_EQ(FindBrowseStart("/no_such_top_dir_kv/x").directory, "/");
    const BrowseStart empty = FindBrowseStart("");
    EXPECT_EQ(empty.directory, "");
    EXPECT_EQ(empty.fileName, "");
}

}  // namespace
}  // namespace kelvrant
