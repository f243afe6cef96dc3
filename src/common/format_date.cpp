// Date picture patterns: "mm/dd/yyyy", "hh:mm:ss", "ddd mmm D", "mm/dd/yy h:nn:ss AM/PM".
#include "common/format.h"

#include <algorithm>
#include <cstdlib>

namespace kelvora {
namespace {

// English always, whatever the system language.
const char* const kWeekdays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

QString name(const char* full, bool abbreviated) {
    const QString text = QString::fromLatin1(full);
    return abbreviated ? text.left(3) : text;
}

QString number(int value, int width) { return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')); }

// How many times the letter (any case) repeats from pos on.
qsizetype runLength(QStringView pattern, qsizetype pos) {
    const QChar letter = pattern[pos].toLower();
    qsizetype n = 0;
    while (pos + n < pattern.size() && pattern[pos + n].toLower() == letter) ++n;
    return n;
}

class DateWriter {
public:
    DateWriter(const QDateTime& when, QStringView pattern)
        : date_(when.date()), time_(when.time()), pattern_(pattern),
          twelveHour_(pattern.contains(u"am/pm", Qt::CaseInsensitive)) {}

    QString write() {
        for (qsizetype pos = 0; pos < pattern_.size();) pos += writeOne(pos);
        return out_;
    }

private:
    // Writes the part of the pattern that starts at pos; returns its length.
    qsizetype writeOne(qsizetype pos) {
        if (pattern_.mid(pos, 5).compare(u"am/pm", Qt::CaseInsensitive) == 0) {
            const QString designator = time_.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            out_ += pattern_[pos].isUpper() ? designator : designator.toLower();
            return 5;
        }
        const qsizetype run = runLength(pattern_, pos);
        const bool afterHour = afterHour_;
        afterHour_ = false;
        switch (pattern_[pos].toLower().unicode()) {
        case u'd': return day(std::min<qsizetype>(run, 4));
        case u'm': return afterHour && run <= 2 ? minutes(run) : month(std::min<qsizetype>(run, 4));
        case u'n': return minutes(std::min<qsizetype>(run, 2));
        case u's': return put(time_.second(), std::min<qsizetype>(run, 2));
        case u'h': afterHour_ = true; return put(hour(), std::min<qsizetype>(run, 2));
        case u'y':
            if (run >= 4) return put(date_.year(), 4);
            if (run >= 2) return put(std::abs(date_.year()) % 100, 2);
            break;
        default:
            afterHour_ = afterHour;  // a separator keeps "h:mm" reading as minutes
            break;
        }
        out_ += pattern_[pos];
        return 1;
    }

    // A number padded to `width` digits when width is 2 or more; returns width.
    qsizetype put(int value, qsizetype width) {
        out_ += number(value, width >= 2 ? int(width) : 0);
        return width;
    }
    qsizetype day(qsizetype n) {
        if (n <= 2) return put(date_.day(), n);
        out_ += name(kWeekdays[date_.dayOfWeek() - 1], n == 3);
        return n;
    }
    qsizetype month(qsizetype n) {
        if (n <= 2) return put(date_.month(), n);
        out_ += name(kMonths[date_.month() - 1], n == 3);
        return n;
    }
    qsizetype minutes(qsizetype n) { return put(time_.minute(), n); }
    int hour() const {
        if (!twelveHour_) return time_.hour();
        return time_.hour() % 12 == 0 ? 12 : time_.hour() % 12;
    }

    const QDate date_;
    const QTime time_;
    const QStringView pattern_;
    const bool twelveHour_;
    bool afterHour_ = false;
    QString out_;
};

}  // namespace

// A date that is not valid has nothing to show: the result is empty.
// dddd and mmmm give the full English names.
QString formatDate(const QDateTime& when, QStringView pattern) {
    if (!when.isValid()) return QString();
    return DateWriter(when, pattern).write();
}

}  // namespace kelvora
