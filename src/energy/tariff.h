#pragma once
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

namespace kelvora {

// One price band of a plan: on the weekdays it starts on, from `fromMinute`
// to `toMinute` local wall time (minutes of the day; a `toMinute` not after
// `fromMinute` runs past midnight into the next day).
struct TariffBand {
    QDate validFrom;
    QString days;   // as the file writes them: "Mon-Fri"
    QString from;   // "07:00"
    QString to;     // "23:00"
    double price = 0;  // per KWH
    int line = 0;      // the line of the file that holds it

    // "Mon-Fri 07:00-23:00 from 2026-12-01"
    QString describe() const;
};

// The bands of one `valid from` date, which cover each minute of the week
// once, and the fixed charge for each day the plan is in force.
struct TariffPlan {
    QDate validFrom;
    std::vector<TariffBand> bands;
    std::vector<qint16> bandOfMinute;  // 7 x 1440 minutes from Monday 00:00: index into bands
    double dailyCharge = 0;
};

// A time-of-use tariff: plans, each replacing the previous one from 00:00 of
// its date. Before the first plan's date there is no tariff.
class Tariff {
public:
    // The tariff of a file's content, or one message per fault found (each
    // naming `fileName` and the line number(s)).
    static std::variant<Tariff, QStringList> parse(const QByteArray& content, const QString& fileName);

    std::optional<TariffBand> bandAt(const QDateTime& when) const;
    std::optional<double> priceAt(const QDateTime& when) const;
    // The fixed charge for `day`: that of the plan in force on it, else 0.
    double dailyCharge(QDate day) const;

    const std::vector<TariffPlan>& plans() const { return plans_; }

private:
    const TariffPlan* planOn(QDate day) const;

    std::vector<TariffPlan> plans_;  // by date, oldest first
};

}  // namespace kelvora
