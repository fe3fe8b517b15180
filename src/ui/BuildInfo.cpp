#include "ui/BuildInfo.h"

#include <QPainter>
#include <QPixmap>
#include <QSysInfo>
#ifdef KELVRANT_HAVE_QT_SVG
#include <QSvgRenderer>
#endif

#include "version/Version.h"

// The icon resource lives in a static library: it is registered explicitly, or the linker
// would drop it as unreferenced.
static void InitIconResource() {
    Q_INIT_RESOURCE(icons);
}

namespace kelvrant {

QString ProgramVersion() {
    return QString::fromUtf8(KelvrantVersion());
}

QString BuildWordSize() {
    return QStringLiteral("%1-bit").arg(QSysInfo::WordSize);
}

QString MainCaption() {
    return QStringLiteral("Ashtech Raw to RINEX Converter (%1) -- Quillon").arg(BuildWordSize());
}

QString AboutVersionLine() {
#if defined(Q_OS_LINUX)
    const QString platform = QStringLiteral("Linux");
#else
    const QString platform = QSysInfo::productType();
#endif
    return QStringLiteral("Version %1 for %2 (%3)")
        .arg(ProgramVersion(), platform, BuildWordSize());
}

QIcon ApplicationIcon() {
    InitIconResource();
    QIcon icon;
#ifdef KELVRANT_HAVE_QT_SVG
    QSvgRenderer renderer(QStringLiteral(":/icons/kelvrant.svg"));
    if (renderer.isValid()) {
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            renderer.render(&painter);
            painter.end();
            icon.addPixmap(pixmap);
        }
    }
#endif
    if (icon.isNull()) icon = QIcon(QStringLiteral(":/icons/kelvrant.svg"));
    return icon;
}

}  // namespace kelvrant
