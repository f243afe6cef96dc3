#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace kelvora {

// The program's fixed date and time forms: 12/5/2026 and 2:03:00 PM,
// joined by two blanks into a stamp.
QString stampDate(QDate date);
QString stampTime(QTime time);
QString stamp(const QDateTime& when);

// Reads the forms above back; also accepts a 24-hour time without AM/PM and a
// stamp that is a date alone. Nothing is returned for text that is not a stamp.
std::optional<QDate> parseStampDate(const QString& text);
std::optional<QDateTime> parseStamp(const QString& text);

}  // namespace kelvora
