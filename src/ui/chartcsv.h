#pragma once
#include "ui/chartservice.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace kelvora {

// One line of a chart's CSV export: the time its value belongs to, or a label
// when it has none, and the value, empty when there is none.
struct CsvRow {
    QDateTime when;
    QString label;
    std::optional<double> value;
};

// The header of the two columns, each naming its unit ("Time (local)",
// "Power (KW)").
struct CsvColumns {
    QString time;
    QString value;
};

// The rows of a chart's points: a label that is a time stamp of the program
// becomes its time.
QList<CsvRow> csvRowsOf(const QList<ChartPoint>& points);

// A CSV file: the header line, then one line per row. A time is written in
// ISO 8601 ("2026-12-07 04:57:17"), which every spreadsheet reads as a date
// whatever its locale, a label as quoted text, and the value as a plain number
// with a point. Lines end in CR LF.
QByteArray chartCsv(const QList<CsvRow>& rows, const CsvColumns& columns);
// Writes the CSV to a file the user chose, replacing it atomically.
bool writeChartCsv(const QString& path, const QList<CsvRow>& rows, const CsvColumns& columns);

}  // namespace kelvora
