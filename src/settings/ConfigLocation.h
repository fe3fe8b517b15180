// Where the configuration file lives. A Kelvrant.INI already beside the executable is a
// portable install and is used there; otherwise each user keeps the file in the user's own
// configuration folder, since an installed program's folder is not writable. A path named
// explicitly (the command line, or KELVRANT_CONFIG for scripts and tests) comes before both.
// The place is decided once at start-up and handed to whatever reads or writes the file.
#pragma once

#include <string>

namespace kelvrant {

/// Names the configuration file explicitly for one run (a path to a file).
inline constexpr const char* kConfigEnvironmentVariable = "KELVRANT_CONFIG";

/// What the configuration file's place depends on.
struct ConfigLocationInputs {
    std::string explicitPath;    ///< chosen by the user for this run; empty: none
    std::string executablePath;  ///< the running program
    std::string xdgConfigHome;   ///< $XDG_CONFIG_HOME; empty: not set
    std::string home;            ///< the user's home folder; empty: unknown
};

/// The configuration file's path: the explicit path when there is one (made absolute);
/// else Kelvrant.INI beside the executable when that file exists; else
/// `xdgConfigHome`/kelvrant/Kelvrant.INI (only an absolute `xdgConfigHome` counts); else
/// `home`/.config/kelvrant/Kelvrant.INI; else beside the executable after all.
std::string ResolveConfigPath(const ConfigLocationInputs& inputs);

/// The inputs of this process: `commandLinePath` (from the command line; empty: none) or
/// else KELVRANT_CONFIG as the explicit path, the running executable (`argv0` when the
/// system cannot tell), XDG_CONFIG_HOME, and HOME or the user's home folder from the
/// password database.
ConfigLocationInputs ConfigLocationFromEnvironment(const char* argv0,
                                                   const std::string& commandLinePath = {});

}  // namespace kelvrant
