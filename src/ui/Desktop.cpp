#include "ui/Desktop.h"

#include <QApplication>
#include <QTimer>
#include <atomic>
#include <clocale>
#include <string>
#include <vector>

#include "cli/SignalWatch.h"
#include "ui/MainWindow.h"
#include "version/Version.h"

namespace kelvrant {

int RunDesktop(int argc, char** argv, const std::string& iniPath) {
    // Qt takes its own options out of the argument list; the command line is read from a copy
    // so that a file name that looks like a Qt option is never lost.
    const std::vector<std::string> arguments(argv, argv + argc);
    std::vector<const char*> args;
    args.reserve(arguments.size());
    for (const std::string& a : arguments)
        args.push_back(a.c_str());

    // Made before QApplication starts any thread, so that every thread leaves the signals to
    // the watch. The request is only noted there; the window thread looks for it.
    std::atomic<bool> endRequested{false};
    const SignalWatch endOnSignal([&endRequested] { endRequested.store(true); });
    QApplication app(argc, argv);
    // Numbers written to files always use a decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Kelvrant");
    QApplication::setApplicationVersion(QString::fromUtf8(KelvrantVersion()));
    // Desktops find the program's icon and name through its desktop entry.
    QGuiApplication::setDesktopFileName("kelvrant");

    StartupOptions options;
    options.configPath = iniPath;
    MainWindow mainWindow(static_cast<int>(args.size()), args.data(), options);
    mainWindow.CreateAuxiliaryWindows();
    QTimer signalCheck;
    QObject::connect(&signalCheck, &QTimer::timeout, &mainWindow, [&] {
        if (endRequested.exchange(false)) mainWindow.EndOnSignal();
    });
    signalCheck.start(100);
    QObject::connect(&mainWindow, &MainWindow::programEnded, &app,
                     [&app](int status) { app.exit(status); });
    mainWindow.show();
    app.exec();
    return mainWindow.ExitStatus();
}

}  // namespace kelvrant
