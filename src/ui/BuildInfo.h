// What the windows say about this build (its word size) and the application icon.
#pragma once

#include <QIcon>
#include <QString>

namespace kelvrant {

/// "64-bit" or "32-bit": the word size this build was compiled for.
QString BuildWordSize();
/// The main window's caption: "Ashtech Raw to RINEX Converter (64-bit) -- Quillon".
QString MainCaption();
/// The application icon, from the program's own resources.
QIcon ApplicationIcon();

}  // namespace kelvrant
