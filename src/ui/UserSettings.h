// What the desktop program remembers for the user between runs, apart from the header values
// of Kelvrant.INI: the last folder a file was chosen in, the recent sessions and whether a
// conversion is followed by the quality check. Kept in a file of its own beside the user's
// other settings, so that a portable or shared Kelvrant.INI never carries one user's file
// history or preferences.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace kelvrant {

/// Recent sessions the File menu offers.
inline constexpr int kMaxRecentSessions = 8;

class UserSettings {
  public:
    /// $XDG_CONFIG_HOME/kelvrant/kelvrant-user.conf (default ~/.config/kelvrant/), unless a
    /// test named another file.
    static QString FilePath();
    /// Tests keep their history in a file of their own; empty restores the default.
    static void SetFilePath(const QString& path);

    /// The folder of the file (or the folder) last chosen, dropped or converted; empty when
    /// none was.
    static QString LastFolder();
    /// Remembers `path`'s folder (the path itself when it is a folder).
    static void RememberFolder(const QString& path);

    /// Input files of recent conversions (B-files and met logs), newest first, at most 8.
    static QStringList RecentSessions();
    /// Puts `path` first in the recent sessions (once), dropping the oldest beyond 8.
    static void AddRecentSession(const QString& path);
    static void ClearRecentSessions();

    /// Whether an interactive observation conversion is followed by the quality check (off
    /// until the user turns it on).
    static bool QualityCheck();
    static void SetQualityCheck(bool on);
};

/// Where a browse dialog opens and which name it proposes.
struct BrowseLocation {
    QString directory;
    QString fileName;  ///< empty: none
};

/// The folder of the field's current value when that folder exists, else the last folder
/// used, else the home folder. The field's file name is proposed when the file exists, or
/// always with `proposeName` (an output: the Save dialog shows the name it will write).
BrowseLocation BrowseLocationFor(const std::string& fieldText, bool proposeName);

}  // namespace kelvrant
