#pragma once
#include "common/datadir.h"

#include <QString>
#include <QUrl>

namespace kelvora {

// The manual built into the program (a Qt resource).
inline const QString kBundledUserManual = QStringLiteral(":/manual/user-manual.pdf");

// The user manual in the data directory, as a local file URL. When the
// directory has no copy, the one built into the program is written there
// first, so there is always a manual to open; a copy already there (perhaps
// the user's own) is left alone. Empty when there is none and none could be
// written.
QUrl placeUserManual(const DataDir& dir, const QString& bundled = kBundledUserManual);

}  // namespace kelvora
