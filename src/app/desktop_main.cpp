// The kelvrant-desktop entry, the program with Qt: with a display, the desktop program;
// otherwise the command line runs headless and draws the quality check's plots, every problem
// printed on stderr. kelvrant hands over to it the runs that need Qt (see main.cpp).
#include <csignal>
#include <cstdio>
#include <string>

#include "cli/Headless.h"
#include "run/ProblemSink.h"
#include "settings/ConfigLocation.h"
#ifdef KELVRANT_HAVE_UI
#include "ui/Desktop.h"
#endif
#ifdef KELVRANT_HAVE_QCPLOT
#include "qcplot/QcPlots.h"
#endif

int main(int argc, char** argv) {
    // A file size limit must show up as a failed write with the file's name, not kill the run.
    std::signal(SIGXFSZ, SIG_IGN);
    // Help and version need neither a window nor the configuration.
    if (int status = 0; kelvrant::AnswerInformationRequest(argc, argv, stdout, status))
        return status;
    // The configuration file's place is settled once, before anything reads it.
    const std::string iniPath = kelvrant::ResolveConfigPath(kelvrant::ConfigLocationFromEnvironment(
        argc > 0 ? argv[0] : nullptr, kelvrant::CommandLineConfigPath(argc, argv)));
#ifdef KELVRANT_HAVE_UI
    if (kelvrant::HasDisplay() && !kelvrant::IsBatchCommand(argc, argv))
        return kelvrant::RunDesktop(argc, argv, iniPath);
#endif
    kelvrant::StderrProblemSink problems;
    kelvrant::QcPlotWriter plots;
#ifdef KELVRANT_HAVE_QCPLOT
    plots = kelvrant::qcplot::WritePlots;
#endif
    return kelvrant::RunHeadless(argc, argv, iniPath, problems, stdout, plots);
}
