#include "ui/UserSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace kelvrant {
namespace {

constexpr const char* kLastFolderKey = "Files/LastFolder";
constexpr const char* kRecentKey = "Files/RecentSessions";
constexpr const char* kQualityCheckKey = "Conversion/QualityCheck";

QString& PathOverride() {
    static QString path;
    return path;
}

QSettings Open() {
    return QSettings(UserSettings::FilePath(), QSettings::IniFormat);
}

}  // namespace

QString UserSettings::FilePath() {
    if (!PathOverride().isEmpty()) return PathOverride();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kelvrant/kelvrant-user.conf");
}

void UserSettings::SetFilePath(const QString& path) {
    PathOverride() = path;
}

QString UserSettings::LastFolder() {
    return Open().value(kLastFolderKey).toString();
}

void UserSettings::RememberFolder(const QString& path) {
    if (path.isEmpty()) return;
    const QFileInfo info(path);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    Open().setValue(kLastFolderKey, folder);
}

QStringList UserSettings::RecentSessions() {
    return Open().value(kRecentKey).toStringList();
}

void UserSettings::AddRecentSession(const QString& path) {
    if (path.isEmpty()) return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList recent = RecentSessions();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > kMaxRecentSessions)
        recent.removeLast();
    Open().setValue(kRecentKey, recent);
}

void UserSettings::ClearRecentSessions() {
    Open().remove(kRecentKey);
}

bool UserSettings::QualityCheck() {
    return Open().value(kQualityCheckKey, false).toBool();
}

void UserSettings::SetQualityCheck(bool on) {
    Open().setValue(kQualityCheckKey, on);
}

BrowseLocation BrowseLocationFor(const std::string& fieldText, bool proposeName) {
    BrowseLocation location;
    const QString text =
        QString::fromLocal8Bit(fieldText.data(), static_cast<qsizetype>(fieldText.size()));
    if (!text.isEmpty()) {
        const QFileInfo info(text);
        if (info.isDir()) {
            location.directory = info.absoluteFilePath();
            return location;
        }
        if (info.exists() || proposeName) location.fileName = info.fileName();
        if (QFileInfo(info.absolutePath()).isDir()) {
            location.directory = info.absolutePath();
            return location;
        }
    }
    const QString last = UserSettings::LastFolder();
    location.directory = !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
    return location;
}

}  // namespace kelvrant
