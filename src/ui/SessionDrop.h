// What a file or folder dropped on the program (or picked from the recent sessions) starts:
// an observation conversion from its B-file, or a met conversion from its met log.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

class QMimeData;

namespace kelvrant {

struct SessionDrop {
    enum class Kind { kNone, kObservation, kMet };
    Kind kind = Kind::kNone;
    QString path;    ///< the B-file or the met log
    QString reason;  ///< for kNone: why nothing can start (shown in the status bar)
};

/// A met log: its extension is NMA (any case), or its text starts with a '$' record.
bool IsMetLog(const QString& path);

/// - a met log: a met conversion of it;
/// - a B-file, or its E- or S-file when the B-file is beside it: an observation conversion of
///   the B-file (every other file is taken as a B-file, as Browse takes it);
/// - a folder: the one session in it (its only B-file, else its only met log); a folder of
///   several sessions or none starts nothing and says why.
SessionDrop ClassifySession(const QString& path);

/// The first local file of a drag, or an empty string.
QString DroppedPath(const QMimeData* mime);

}  // namespace kelvrant
