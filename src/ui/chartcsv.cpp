#include "ui/chartcsv.h"

#include "common/format.h"
#include "common/records.h"
#include "common/timestamp.h"

#include <QSaveFile>

namespace kelvora {
namespace {

// A text field as spreadsheets read it: quoted, an inner quote doubled.
QByteArray csvText(const QString& text) {
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

}  // namespace

QList<CsvRow> csvRowsOf(const QList<ChartPoint>& points) {
    QList<CsvRow> rows;
    rows.reserve(points.size());
    for (const ChartPoint& p : points) {
        const auto when = parseStamp(p.label);
        rows.append(CsvRow{when.value_or(QDateTime()), p.label, p.value});
    }
    return rows;
}

QByteArray chartCsv(const QList<CsvRow>& rows, const CsvColumns& columns) {
    QByteArray csv = csvText(columns.time) + ',' + csvText(columns.value) + "\r\n";
    for (const CsvRow& r : rows) {
        csv += r.when.isValid() ? formatDate(r.when, u"yyyy-mm-dd hh:nn:ss").toLatin1() : csvText(r.label);
        csv += ',';
        if (r.value) csv += numberText(*r.value).toLatin1();
        csv += "\r\n";
    }
    return csv;
}

bool writeChartCsv(const QString& path, const QList<CsvRow>& rows, const CsvColumns& columns) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(chartCsv(rows, columns));
    return file.commit();
}

}  // namespace kelvora
