// Where the configuration file lives (see ConfigLocation.h).
#include "settings/ConfigLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "settings/ConfigFile.h"

namespace kelvrant {

namespace fs = std::filesystem;

std::string ResolveConfigPath(const ConfigLocationInputs& inputs) {
    std::error_code ec;
    if (!inputs.explicitPath.empty()) {
        const fs::path absolute = fs::absolute(inputs.explicitPath, ec);
        return ec ? inputs.explicitPath : absolute.string();
    }
    const std::string beside = ConfigFilePathBeside(inputs.executablePath);
    if (fs::exists(beside, ec)) return beside;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG base directory rules say.
    const fs::path xdg(inputs.xdgConfigHome);
    if (xdg.is_absolute()) return (xdg / "kelvrant" / kConfigFileName).string();
    if (!inputs.home.empty()) {
        return (fs::path(inputs.home) / ".config" / "kelvrant" / kConfigFileName).string();
    }
    return beside;
}

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir) {
        home = found->pw_dir;
    }
    return home;
}

std::string ExecutablePath(const char* argv0) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.string();
    return fs::absolute(argv0 && *argv0 ? argv0 : "kelvrant", ec).string();
}

}  // namespace

ConfigLocationInputs ConfigLocationFromEnvironment(const char* argv0,
                                                   const std::string& commandLinePath) {
    ConfigLocationInputs inputs;
    inputs.explicitPath =
        commandLinePath.empty() ? Environment(kConfigEnvironmentVariable) : commandLinePath;
    inputs.executablePath = ExecutablePath(argv0);
    inputs.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    inputs.home = HomeFolder();
    return inputs;
}

}  // namespace kelvrant
