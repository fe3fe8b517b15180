// The kelvrant-desktop entry, the program with Qt: with a display, the desktop program;
// otherwise the command line runs headless and draws the quality check's plots, every problem
// printed on stderr. kelvrant hands over to it the runs that need Qt (see main.cpp).
#include <cstdio>
#include <string>

#include "cli/Headless.h"
#include "run/ProblemSink.h"
#ifdef KELVRANT_HAVE_UI
#include "ui/Desktop.h"
#endif
#ifdef KELVRANT_HAVE_QCPLOT
#include "qcplot/QcPlots.h"
#endif

int main(int argc, char** argv) {
    std::string iniPath;
    if (int status = 0; kelvrant::StartProgram(argc, argv, iniPath, status)) return status;
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
