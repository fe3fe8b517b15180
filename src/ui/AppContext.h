// What the windows of the program share: the conversion job, the files of the run being
// prepared or running, the configuration held in memory, and the main window's services.
// The main window owns the one instance for the program's lifetime.
#pragma once

#include <functional>
#include <string>

#include "geo/Clock.h"
#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "run/RunFiles.h"
#include "settings/ConfigFile.h"

class QMdiArea;
class QWidget;

namespace kelvrant {

struct AppContext {
    ConversionJob job;
    RunFileSet files;
    ConfigStore config;
    std::string iniPath;  ///< the configuration file, as start-up resolved it
    SystemClock systemClock;
    /// "Now" for the run's outputs and today's met start (tests install a fixed clock).
    const Clock* clock = &systemClock;

    /// The main window's MDI area, parent of every child form (null in tests that run a form
    /// on its own).
    QMdiArea* mdiArea = nullptr;
    /// The main window (parent of message boxes).
    QWidget* mainWindow = nullptr;

    /// ReportProblem: a message box when interactive, the auto-run error window otherwise.
    ProblemSink* problems = nullptr;

    /// Enables (true) or disables (false) the main window's "&Convert" and "&Help" menus
    /// together.
    std::function<void(bool)> enableMenus = [](bool) {};
    /// Creates and shows the progress window; showing it starts the worker on the prepared
    /// run (job + files). Closing it closes the run's files and enables the menus.
    std::function<void()> startProgressWindow = [] {};
    /// Opens the observation file selection window / the met file selection window.
    std::function<void()> openObsConversion = [] {};
    std::function<void()> openMetConversion = [] {};
    /// Opens the met conversion with this met log as its input (a met log dropped on the
    /// observation file window).
    std::function<void(const std::string& metLog)> openMetConversionWith = [](const std::string&) {
    };
};

}  // namespace kelvrant
