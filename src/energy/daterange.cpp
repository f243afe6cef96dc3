#include "energy/daterange.h"

#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"
#include "model/datafiles.h"
#include "model/fieldmodel.h"
#include "model/sharedstate.h"

#include <utility>

namespace kelvora {
namespace {

QString text1(int index) { return arrayName("Text1", index); }

const QString kFuture = QStringLiteral("No Data-Future");

// With a tariff, the costs booked day by day (CostDays.dat) over the same
// records the energy is summed from: dated `start` through `end`. Without a
// tariff file there is nothing to prefer to the flat price.
std::optional<double> bookedCost(const DataDir& dir, QDate start, QDate end) {
    if (!dir.exists(files::Tariffs)) return std::nullopt;
    const auto data = dir.read(files::CostDays);
    if (!data) return std::nullopt;
    RecordReader reader(*data);
    double sum = 0;
    while (!reader.atEnd()) {
        const auto date = parseStampDate(reader.next());
        if (reader.atEnd()) break;
        const double cost = numericValue(reader.next());
        if (date && *date >= start && *date <= end) sum += cost;
    }
    return sum;
}

}  // namespace

DateRangeCalculator::DateRangeCalculator(SharedState& shared, FieldModel& fields, const DataDir& dir,
                                         const Clock& clock)
    : shared_(shared), fields_(fields), dir_(dir), clock_(clock) {}

bool DateRangeCalculator::isFuture(QDate date) const { return QDateTime(date, QTime(0, 0)) > clock_.now(); }

void DateRangeCalculator::refuseFuture(int field) {
    fields_.setText(text1(field), kFuture);
    fields_.setText(text1(9), QStringLiteral("???"));
    fields_.setText(text1(10), QString());
}

void DateRangeCalculator::Calendar_Start_Click(QDate start) {
    if (isFuture(start)) {
        refuseFuture(0);
        return;
    }
    fields_.setText(text1(0), stampDate(start));
}

void DateRangeCalculator::Calendar_End_Click(QDate start, QDate end) {
    if (isFuture(end)) {
        refuseFuture(1);
        return;
    }
    const qint64 days = start.daysTo(end) + 1;
    fields_.setText(text1(9), QString::number(days));
    if (end == start) {
        fields_.setText(text1(1), QStringLiteral("Same as Start"));
    } else if (days < 30) {
        fields_.setText(text1(1), QStringLiteral("<30 days"));
        fields_.setEnabled(QStringLiteral("CMD_GetKWHData"), false);
    } else {
        fields_.setText(text1(1), stampDate(end));
        fields_.setEnabled(QStringLiteral("CMD_GetKWHData"), true);
    }
}

void DateRangeCalculator::CMD_Chk_Click(QDate start, QDate end) {
    fields_.setText(text1(9), QString::number(start.daysTo(end) + 1));
    if (QDateTime(end, QTime(0, 0)) >= clock_.now()) return;
    fields_.setText(text1(0), stampDate(start));
    fields_.setText(text1(1), stampDate(end));
    CalcDateRange();
}

bool DateRangeCalculator::CalcDateRange() {
    const auto start = parseStampDate(fields_.text(text1(0)));
    const auto end = parseStampDate(fields_.text(text1(1)));
    const auto data = dir_.read(files::KWHDays);
    bool shown = false;
    if (start && end && data) {
        RecordReader reader(*data);
        // The next record's date and value; nothing at the end of the file
        // or at a stamp that is not a date.
        double value = 0;
        const auto next = [&]() -> std::optional<QDate> {
            if (reader.atEnd()) return std::nullopt;
            const auto date = parseStampDate(reader.next());
            if (reader.atEnd()) return std::nullopt;
            value = numericValue(reader.next());
            return date;
        };
        double total = 0;
        int records = 1;
        std::optional<QDate> date;
        while ((date = next()) && *date != *start) {}
        if (date) {
            total += value;
            fields_.setText(text1(10), QString::number(records));
            QDate day = *date;
            while ((date = next())) {
                if (date->daysTo(*end) < 0) {
                    showResults(total, records, bookedCost(dir_, *start, *end));
                    shown = true;
                    break;
                }
                total += value;
                // The data initialisation fills the log with zero records of
                // its own date and time: one day, however many records it has.
                if (std::exchange(day, *date) == *date && value == 0) continue;
                fields_.setText(text1(10), QString::number(++records));
            }
        }
    }
    if (!shown && fields_.text(text1(2)) == FieldModel::designText(text1(2))) {
        for (int i : {2, 3, 4}) fields_.setText(text1(i), QStringLiteral("no data"));
    }
    return shown;
}

void DateRangeCalculator::showResults(double total, int records, std::optional<double> booked) {
    // Each figure is taken from the text just shown before it, so that the
    // figures agree with one another as they read.
    const auto show = [this](int field, double value, const char16_t* pattern) {
        fields_.setText(text1(field), formatMoney(value, pattern, currencySymbol(shared_.settings)));
        return moneyValue(fields_.text(text1(field)));
    };
    const double kwh = show(2, total, u"####.0");
    const double perDay = show(3, total / records, u"###.0");
    const double perHour = show(4, perDay / 24, u"##.0");
    if (booked) {
        // Prices that changed within the range: what was booked, and the
        // price it averages to.
        show(5, *booked, u"$###.0");
        const double costPerDay = show(6, *booked / records, u"$##.0");
        show(7, costPerDay / 24, u"$#0.0");
        show(8, total > 0 ? *booked / total : 0, u"$0.###0");
        return;
    }
    const double price = shared_.Cost_per_KWH;
    show(5, price * kwh, u"$###.0");
    show(6, price * perDay, u"$##.0");
    show(7, price * perHour, u"$#0.0");
    show(8, price, u"$0.###0");
}

}  // namespace kelvora
