#include "common/timestamp.h"

#include <QLocale>
#include <QRegularExpression>

namespace kelvora {

QString stampDate(QDate date) {
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString stampTime(QTime time) {
    const int h12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(h12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString stamp(const QDateTime& when) {
    return stampDate(when.date()) + QStringLiteral("  ") + stampTime(when.time());
}

std::optional<QDate> parseStampDate(const QString& text) {
    // The year has four digits or two; "12/5/20261" is no date.
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4}|\d{2})(?!\d))"));
    const auto m = re.match(text);
    if (!m.hasMatch()) return std::nullopt;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2) year += 2000;
    const QDate date(year, m.captured(1).toInt(), m.captured(2).toInt());
    if (!date.isValid()) return std::nullopt;
    return date;
}

std::optional<QDateTime> parseStamp(const QString& text) {
    const auto date = parseStampDate(text);
    if (!date) return std::nullopt;
    // After the date comes a time or nothing; anything else is not a stamp.
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*\d{1,2}/\d{1,2}/(?:\d{4}|\d{2})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch()) return std::nullopt;
    if (!m.hasCaptured(1)) return QDateTime(*date, QTime(0, 0));
    int hour = m.captured(1).toInt();
    const QString ap = m.captured(4).toUpper();
    if (!ap.isEmpty()) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (ap == QLatin1String("PM") ? 12 : 0);
    }
    const QTime time(hour, m.captured(2).toInt(), m.captured(3).toInt());
    if (!time.isValid()) return std::nullopt;
    return QDateTime(*date, time);
}

}  // namespace kelvora
