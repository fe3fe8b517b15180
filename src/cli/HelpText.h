// The --help text: every option of the command line, the exit statuses, where the
// configuration file is looked for, and examples. The help window keeps its own text.
#pragma once

#include <string>
#include <string_view>

namespace kelvrant {

/// The usage text for a terminal (line feeds), naming the program `exeFileName`.
std::string HelpText(std::string_view exeFileName);

/// "kelvrant <version>\n".
std::string VersionText();

}  // namespace kelvrant
