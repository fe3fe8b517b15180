// The usage text of the command line, in the fifteen pieces that the help window appends to
// its text one by one, and assembled for printing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvrant {

inline constexpr std::size_t kCmdLineHelpPieceCount = 15;

/// The executable's file name with its extension, without its directory ("kelvrant" for
/// "/usr/bin/kelvrant"); "Kelvrant" when the program path is empty.
std::string ExecutableFileName(std::string_view programPath);

/// The fifteen usage pieces in order, with `exeFileName` in pieces 2 and 4. Line breaks inside
/// a piece are CR LF.
std::vector<std::string> CmdLineHelpPieces(std::string_view exeFileName);

/// The whole usage text: every piece followed by CR LF, as the help window shows it line by
/// line.
std::string CmdLineHelpText(std::string_view exeFileName);

}  // namespace kelvrant
