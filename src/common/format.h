#pragma once
#include <QDateTime>
#include <QString>
#include <QStringView>

namespace kelvora {

// Number picture patterns ("##0.0", "$##0.00", "##,###.0", "0.###0", ...):
//   0  a digit always shown
//   #  a digit shown only when significant (no leading zeros before the point,
//      no trailing zeros after it)
//   .  the decimal point, always shown when the pattern has one
//   ,  thousands grouping
//   $  and any other character: a literal
// The value is rounded half away from zero at the pattern's last decimal place,
// working on its 15-significant-digit decimal form, so 2.675 with "0.00" is 2.68.
QString formatNumber(double value, QStringView pattern);
// An amount: formatNumber with the currency symbol where the pattern has `$`.
QString formatMoney(double value, QStringView pattern, QStringView symbol);

// Date patterns ("mm/dd/yyyy", "hh:mm:ss", "ddd mmm D", "mm/dd/yy h:nn:ss AM/PM"):
// d/dd day, ddd weekday abbreviation, m/mm month (minutes right after an hour
// part), mmm month abbreviation, yy/yyyy year, h/hh hour (12-hour clock when
// AM/PM is present), nn minutes, ss seconds, AM/PM designator. Case-insensitive.
// Names are English.
QString formatDate(const QDateTime& when, QStringView pattern);

}  // namespace kelvora
