#include "energy/kwhrolling.h"

#include "common/format.h"
#include "common/records.h"
#include "model/windowstate.h"

namespace kelvora {
namespace {

// The (stamp, value) pairs of a record file; a lone trailing field is dropped.
std::optional<RollingRecords> readPairs(const DataDir& dir, const QString& name) {
    if (!dir.exists(name)) return RollingRecords{};
    const auto data = dir.read(name);
    if (!data) {
        qWarning("Cannot read %s", qPrintable(dir.filePath(name)));
        return std::nullopt;
    }
    RollingRecords pairs;
    RecordReader reader(*data);
    while (!reader.atEnd()) {
        const QString stamp = reader.next();
        if (reader.atEnd()) break;
        const QString value = reader.next();
        pairs.stamps << stamp;
        pairs.values << Variant::FromField(value, reader.lastWasQuoted());
    }
    return pairs;
}

void setRollArrays(WindowState& windows, const RollingRecords& records) {
    windows.Roll_Stamp = records.stamps;
    windows.Roll_Value = records.values;
}

}  // namespace

std::optional<RollingRecords> readRollingFile(const DataDir& dir, const QString& name, const QString& padStamp) {
    auto records = readPairs(dir, name);
    if (!records) return std::nullopt;
    const qsizetype extra = records->stamps.size() - kRollingRecords;
    if (extra > 0) {
        records->stamps.remove(0, extra);
        records->values.remove(0, extra);
    }
    const QString pad = records->stamps.isEmpty() ? padStamp : records->stamps.first();
    while (records->stamps.size() < kRollingRecords) {
        records->stamps.prepend(pad);
        records->values.prepend(Variant::Text(QStringLiteral("0")));
    }
    return records;
}

bool LoadKwhFile(const DataDir& dir, const QString& name, WindowState& windows) {
    const auto records = readRollingFile(dir, name, QString());
    if (!records) {
        setRollArrays(windows, RollingRecords{QList<QString>(kRollingRecords),
                                              QList<Variant>(kRollingRecords, Variant::Text(QStringLiteral("0")))});
        return false;
    }
    setRollArrays(windows, *records);
    return true;
}

bool RollKwhFile(const DataDir& dir, const QString& name, const QString& stamp, double value, WindowState& windows) {
    auto records = readRollingFile(dir, name, stamp);
    if (!records) return false;
    records->stamps.removeFirst();
    records->values.removeFirst();
    records->stamps << stamp;
    records->values << Variant::Text(formatNumber(value, u"0.00"));
    QList<Record> lines;
    for (qsizetype i = 0; i < records->stamps.size(); ++i)
        lines << Record{Field::Text(records->stamps[i]), Field::Text(records->values[i].display())};
    if (!dir.writeRecords(name, lines)) {
        LoadKwhFile(dir, name, windows);  // the arrays show what the file still holds
        return false;
    }
    setRollArrays(windows, *records);
    return true;
}

std::optional<double> sumOfLastValues(const DataDir& dir, const QString& name, int count) {
    const auto records = readPairs(dir, name);
    if (!records) return std::nullopt;
    double sum = 0;
    const qsizetype n = records->values.size();
    for (qsizetype i = std::max<qsizetype>(0, n - count); i < n; ++i) sum += records->values[i].value();
    return sum;
}

bool appendKwhLog(const DataDir& dir, const QString& name, const QString& stamp, const QString& value) {
    return dir.append(name, recordLine({Field::Text(stamp), Field::Text(value)}));
}

}  // namespace kelvora
