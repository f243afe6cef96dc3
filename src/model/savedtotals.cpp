#include "model/savedtotals.h"

#include "common/format.h"
#include "common/numeric.h"
#include "model/datafiles.h"

#include <QFile>
#include <charconv>
#include <cmath>

namespace kelvora {
namespace {

// Digits with at most one point, as the total is written: no sign, no exponent.
bool isPlainDecimal(QStringView text) {
    int digits = 0, points = 0;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9') ++digits;
        else if (c == u'.') ++points;
        else return false;
    }
    return digits > 0 && points <= 1;
}

// The next minute would write over a damaged total: keep it aside, so that a
// user can still put the right figure back. An earlier damaged copy is kept too.
void keepDamagedLifetimeAside(const DataDir& dir) {
    const QString path = dir.filePath(files::KWH_lifetime);
    QString aside = path + QStringLiteral(".damaged");
    for (int n = 1; QFile::exists(aside); ++n) aside = path + QStringLiteral(".damaged.%1").arg(n);
    if (QFile::rename(path, aside))
        qWarning("%s holds no valid total; it is kept as %s and the lifetime energy starts from 0", qPrintable(path),
                 qPrintable(aside));
    else
        qWarning("%s holds no valid total and cannot be kept aside; the lifetime energy starts from 0",
                 qPrintable(path));
}

}  // namespace

QByteArray kwhLastDataContent(double totalKwh, double totalCost, double costPerKwh) {
    return recordLines({{Field::Text(formatNumber(totalKwh, u"###0.0")), Field::Text(formatNumber(totalCost, u"##0.00")),
                         Field::Text(formatNumber(costPerKwh, u"0.###0"))}});
}

bool writeKwhLastData(const DataDir& dir, double totalKwh, double totalCost, double costPerKwh) {
    return dir.writeWhole(files::KWH_last_data, kwhLastDataContent(totalKwh, totalCost, costPerKwh));
}

KwhLastData readKwhLastData(const DataDir& dir) {
    KwhLastData saved;
    const auto data = dir.read(files::KWH_last_data);
    if (!data) return saved;
    RecordReader reader(*data);
    for (std::optional<double>* field : {&saved.totalKwh, &saved.totalCost, &saved.costPerKwh}) {
        if (reader.atEnd()) break;
        *field = reader.nextNumber();
    }
    return saved;
}

std::optional<QByteArray> lifetimeKwhContent(double totalKwh) {
    // The shortest fixed form that reads back as the same double; the record
    // writer's 15 significant digits could round the total down.
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, totalKwh, std::chars_format::fixed);
    if (result.ec != std::errc()) return std::nullopt;
    return QByteArray(text, result.ptr - text) + "\r\n";
}

bool writeLifetimeKwh(const DataDir& dir, double totalKwh) {
    const auto content = lifetimeKwhContent(totalKwh);
    return content && dir.writeWhole(files::KWH_lifetime, *content);
}

double readLifetimeKwh(const DataDir& dir) {
    if (!dir.exists(files::KWH_lifetime)) return 0;
    const auto data = dir.read(files::KWH_lifetime);
    const QString text = data ? RecordReader(*data).next().trimmed() : QString();
    const double total = numericValue(text);
    if (isPlainDecimal(text) && std::isfinite(total)) return total;
    keepDamagedLifetimeAside(dir);
    return 0;
}

bool writeKwhAverages(const DataDir& dir, const QStringList& shown) {
    Record r;
    for (const QString& text : shown) r << Field::Text(text);
    return dir.writeRecords(files::Avg_KWHhr, {r});
}

QList<double> readKwhAverages(const DataDir& dir) {
    QList<double> values;
    const auto data = dir.read(files::Avg_KWHhr);
    if (!data) return values;
    RecordReader reader(*data);
    // The rollovers write the cost averages as shown, with their dollar sign
    // ("$8.5"); the number follows the sign.
    while (!reader.atEnd() && values.size() < 4) values << moneyValue(reader.next());
    return values;
}

}  // namespace kelvora
