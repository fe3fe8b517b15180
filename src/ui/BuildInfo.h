// What the windows say about this build: the version, the platform and word size, and the
// application icon.
#pragma once

#include <QIcon>
#include <QString>

namespace kelvrant {

/// The program's version ("0.1").
QString ProgramVersion();
/// "64-bit" or "32-bit": the word size this build was compiled for.
QString BuildWordSize();
/// The main window's caption: "Ashtech Raw to RINEX Converter (64-bit) -- Quillon".
QString MainCaption();
/// The About window's version line: "Version 0.1 for Linux (64-bit)".
QString AboutVersionLine();
/// The application icon, from the program's own resources.
QIcon ApplicationIcon();

}  // namespace kelvrant
