#pragma once
// Meter messages for the tests: "v" + 25 voltage samples + "a" + 25 current
// samples + the three raw values + "e".
#include <QString>

namespace kelvora::testing {

inline QString meterMessage(int vacRaw, int aRaw, int bRaw) {
    QString m = QStringLiteral("v");
    for (int i = 0; i < 25; ++i) m += QStringLiteral("%1").arg(511 + (i % 5) * 10, 4, 10, QLatin1Char('0'));
    m += u'a';
    for (int i = 0; i < 25; ++i) m += QStringLiteral("%1").arg(511 + (i % 3) * 7, 4, 10, QLatin1Char('0'));
    return m + QStringLiteral("V%1!A%2!B%3!e").arg(vacRaw).arg(aRaw).arg(bRaw);
}

}  // namespace kelvora::testing
