// The desktop program: the application, the main window and the auxiliary windows, and the
// event loop until the main window closes.
#pragma once

#include <string>

namespace kelvrant {

/// Runs the program with its windows, its settings kept in the configuration file `iniPath`,
/// and returns the exit status: 0, or non-zero after an unattended run that was rejected,
/// could not start, failed or was cancelled.
int RunDesktop(int argc, char** argv, const std::string& iniPath);

}  // namespace kelvrant
