#pragma once
#include <QHash>
#include <QString>

namespace kelvora {

// The texts the main window's fields show before the first value arrives.
const QHash<QString, QString>& designTexts();

}  // namespace kelvora
