#include "ui/usermanual.h"

#include "model/datafiles.h"

#include <QFile>

namespace kelvora {

QUrl placeUserManual(const DataDir& dir, const QString& bundled) {
    const QUrl url = QUrl::fromLocalFile(dir.filePath(files::UserManual));
    if (dir.exists(files::UserManual)) return url;
    QFile source(bundled);
    if (!source.open(QIODevice::ReadOnly)) {
        qWarning("The program carries no user manual (%s)", qPrintable(bundled));
        return {};
    }
    // On the disk before the viewer is asked to show it.
    if (!dir.writeNow(files::UserManual, source.readAll())) return {};
    return url;
}

}  // namespace kelvora
