// The program's release number, one for the About window, the command line and the package.
// It is the project's version in CMakeLists.txt; the RINEX format version written into the
// files is a different thing and does not follow it.
#pragma once

namespace kelvrant {

/// The release number, e.g. "0.2.0".
const char* KelvrantVersion();

}  // namespace kelvrant
