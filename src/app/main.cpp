// The kelvrant program entry. It never loads Qt, so that a run from a script or a batch starts
// at once: help, version, batches and headless conversions run here. A run that wants the
// window (a display, no batch) or the quality check's plots continues in kelvrant-desktop, the
// same program with Qt, with the same arguments and environment; without that companion the
// run stays headless.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "cli/Headless.h"
#include "run/ProblemSink.h"
#include "settings/ConfigLocation.h"

namespace {

#ifdef KELVRANT_DESKTOP_NAME
bool AsksForPlots(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a(argv[i]);
        if (a == "--qc-plots" || a.starts_with("--qc-plots=")) return true;
    }
    return false;
}

// Replaces this process by kelvrant-desktop (the same process, so signals and the exit status
// reach whoever started it); returns only when there is none to start. The configuration's
// place, settled here, goes along: beside this program is not beside the companion.
void HandOverToDesktop(char** argv, const std::string& iniPath) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return;
    const std::filesystem::path dir = self.parent_path();
    for (const std::filesystem::path& companion :
         {dir / KELVRANT_DESKTOP_NAME, dir / KELVRANT_DESKTOP_INSTALLED}) {
        if (::access(companion.c_str(), X_OK) != 0) continue;
        ::setenv(kelvrant::kConfigEnvironmentVariable, iniPath.c_str(), 1);
        ::execv(companion.c_str(), argv);
        return;
    }
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::string iniPath;
    if (int status = 0; kelvrant::StartProgram(argc, argv, iniPath, status)) return status;
#ifdef KELVRANT_DESKTOP_NAME
    if (!kelvrant::IsBatchCommand(argc, argv) &&
        (kelvrant::HasDisplay() || AsksForPlots(argc, argv)))
        HandOverToDesktop(argv, iniPath);
#endif
    kelvrant::StderrProblemSink problems;
    return kelvrant::RunHeadless(argc, argv, iniPath, problems, stdout, {});
}
