#pragma once
#include <QStringView>

namespace kelvora {

// The value of the leading decimal number of a text ("12.5 V" -> 12.5).
// Leading blanks are skipped, a sign is allowed, the point is the decimal
// separator, and a text that does not start with a number counts as 0.
double numericValue(QStringView text);

// The value of an amount as the program shows it: "$8.5" -> 8.5, "€8.5" ->
// 8.5 (whatever currency symbol of up to 4 characters leads it); a text
// without one reads as numericValue does.
double moneyValue(QStringView text);
// The currency symbol that leads an amount as shown ("€" of "€8.5"); empty
// when none does.
QStringView moneySymbol(QStringView text);

// True when the text starts with a decimal number (so numericValue means something).
bool startsWithNumber(QStringView text);

// The value as the number writers take it: the doubles above the largest
// 15-significant-digit decimal a double holds would round past the largest
// double, a text that numericValue reads as 0, so they are written as that
// decimal. Infinities and NaN are left as they are.
double writableValue(double value);

}  // namespace kelvora
