#include "ui/SessionDrop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>

namespace kelvrant {
namespace {

bool IsBFileName(const QString& fileName) {
    return fileName.startsWith('B', Qt::CaseInsensitive);
}

// The B-file beside an E- or S-file of the same session (the first letter swapped, in the
// same letter case), or an empty string.
QString SessionBFile(const QFileInfo& info) {
    const QString name = info.fileName();
    if (name.isEmpty() || !QStringLiteral("EeSs").contains(name.front())) return {};
    QString bName = name;
    bName[0] = name.front().isUpper() ? QChar('B') : QChar('b');
    const QFileInfo b(info.dir(), bName);
    return b.isFile() ? b.absoluteFilePath() : QString();
}

}  // namespace

bool IsMetLog(const QString& path) {
    const QFileInfo info(path);
    if (info.suffix().compare(QStringLiteral("NMA"), Qt::CaseInsensitive) == 0) return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(64).trimmed();
    return head.startsWith('$');
}

SessionDrop ClassifySession(const QString& path) {
    SessionDrop drop;
    const QFileInfo info(path);
    if (info.isFile()) {
        if (IsMetLog(path)) {
            drop.kind = SessionDrop::Kind::kMet;
            drop.path = info.absoluteFilePath();
            return drop;
        }
        const QString bFile = SessionBFile(info);
        drop.kind = SessionDrop::Kind::kObservation;
        drop.path = bFile.isEmpty() ? info.absoluteFilePath() : bFile;
        return drop;
    }
    if (!info.isDir()) {
        drop.reason = QStringLiteral("Not found: %1").arg(path);
        return drop;
    }
    QStringList bFiles;
    QStringList metLogs;
    const QDir dir(info.absoluteFilePath());
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
        if (IsBFileName(entry.fileName())) {
            bFiles << entry.absoluteFilePath();
        } else if (IsMetLog(entry.absoluteFilePath())) {
            metLogs << entry.absoluteFilePath();
        }
    }
    if (bFiles.size() == 1) {
        drop.kind = SessionDrop::Kind::kObservation;
        drop.path = bFiles.front();
    } else if (bFiles.isEmpty() && metLogs.size() == 1) {
        drop.kind = SessionDrop::Kind::kMet;
        drop.path = metLogs.front();
    } else if (bFiles.size() > 1) {
        drop.reason = QStringLiteral("%1 holds %2 B-files: drop the one to convert.")
                          .arg(QDir::toNativeSeparators(dir.absolutePath()))
                          .arg(bFiles.size());
    } else {
        drop.reason = QStringLiteral("%1 holds no B-file or met log.")
                          .arg(QDir::toNativeSeparators(dir.absolutePath()));
    }
    return drop;
}

QString DroppedPath(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) return {};
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return {};
}

}  // namespace kelvrant
