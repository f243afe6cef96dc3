// Interim version: only enough to build; the full pattern rules are being written.
#include "common/format.h"

namespace kelvora {

QString formatNumber(double value, QStringView pattern) {
    const qsizetype point = pattern.indexOf(u'.');
    const int decimals = point < 0 ? 0 : int(pattern.size() - point - 1);
    return QString::number(value, 'f', decimals);
}

QString formatDate(const QDateTime& when, QStringView pattern) {
    return when.toString(pattern.toString());
}

}  // namespace kelvora
