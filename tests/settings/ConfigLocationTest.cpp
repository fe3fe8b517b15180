#include "settings/ConfigLocation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "settings/ConfigFile.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;

TEST(config_location, portable_file_then_user_folder_unless_named) {
    test::TempDir dir;
    const fs::path bin = dir.path() / "bin";
    const fs::path portableBin = dir.path() / "portable";
    fs::create_directories(bin);
    fs::create_directories(portableBin);
    test::WriteFile((portableBin / "Kelvrant.INI").string(), "");
    const std::string exe = (bin / "kelvrant").string();
    const std::string portableExe = (portableBin / "kelvrant").string();
    const std::string cwd = fs::current_path().string();

    struct Case {
        const char* what;
        std::string explicitPath, executable, xdg, home, expected;
    };
    const Case cases[] = {
        {"XDG_CONFIG_HOME set", "", exe, "/x/cfg", "/home/ann", "/x/cfg/kelvrant/Kelvrant.INI"},
        {"XDG_CONFIG_HOME unset", "", exe, "", "/home/ann",
         "/home/ann/.config/kelvrant/Kelvrant.INI"},
        {"relative XDG_CONFIG_HOME ignored", "", exe, "cfg", "/home/ann",
         "/home/ann/.config/kelvrant/Kelvrant.INI"},
        {"nowhere else to go", "", exe, "", "", (bin / "Kelvrant.INI").string()},
        {"portable install", "", portableExe, "/x/cfg", "/home/ann",
         (portableBin / "Kelvrant.INI").string()},
        {"named file wins", "/etc/site.INI", portableExe, "/x/cfg", "/home/ann", "/etc/site.INI"},
        {"named relative file", "my.INI", exe, "/x/cfg", "/home/ann", cwd + "/my.INI"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveConfigPath({c.explicitPath, c.executable, c.xdg, c.home}), c.expected)
            << c.what;
    }
}

TEST(config_location, first_write_creates_the_private_folder) {
    test::TempDir dir;
    const fs::path ini = dir.path() / "cfg" / "kelvrant" / "Kelvrant.INI";
    ConfigStore store;
    store.SetSiteName("KELV");
    ASSERT_EQ(store.WriteConfigFile(ini.string()), 1);
    ConfigStore back;
    EXPECT_EQ(back.ReadConfigFile(ini.string()).result, 1);
    EXPECT_EQ(back.GetSiteName(), "KELV");
    struct stat st {};
    ASSERT_EQ(stat(ini.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(ini.parent_path().parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace kelvrant
