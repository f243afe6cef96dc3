#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace kelvora {

// A history file is a record file of (stamp, value) records, oldest first,
// both fields quoted texts; the value in the form "##.0#" (1.5, 12.34, .5, .0).
// A minute rewrites 32 of them whole, up to 144,240 records, so they are
// read and written here on their bytes, without a text per field.

// More records than this and a file is not one of ours: it is left alone.
inline constexpr int kMaxHistoryRecords = 21000;

struct HistoryRecord {
    QByteArrayView stamp;
    QByteArrayView value;
    // The whole line with its CR LF when it stands exactly as the writer
    // writes a record ("stamp","value"), else empty.
    QByteArrayView line;
};

// The records of a history file's content, as views into it. A last stamp
// without its value (a cut-off line) is no record. Nothing when the content
// holds more than kMaxHistoryRecords records.
std::optional<std::vector<HistoryRecord>> scanHistory(QByteArrayView content);

// The content of a history file of `capacity` records after the minute's
// record: the records kept (a file short of its capacity keeps all, a full
// one drops its first; one beyond capacity keeps its records 2 to capacity),
// each written back with its stamp as read and its value in "##.0#", then the
// new record. A record whose stamp is empty (once the quotes and line ends a
// stamp cannot hold are left out) is dropped, the records after it stay. Nothing when the file is too long to be ours.
std::optional<QByteArray> withMinuteRecord(QByteArrayView content, int capacity, QByteArrayView stamp,
                                           QByteArrayView value);

// A history file as the minute step last wrote it: every record on a line of
// its own, as the record writer writes it, and how many there are.
struct WrittenHistory {
    QByteArray content;
    qsizetype records = 0;
};
// withMinuteRecord for a file the step wrote itself, without reading its
// records again: a full file drops its first line, then the new record follows.
std::optional<WrittenHistory> writtenWithMinuteRecord(QByteArrayView content, int capacity, QByteArrayView stamp,
                                                      QByteArrayView value);
// The content as a WrittenHistory when it is in the form the step writes.
std::optional<WrittenHistory> asWrittenHistory(const QByteArray& content);
WrittenHistory nextWrittenHistory(const WrittenHistory& last, int capacity, QByteArrayView stamp,
                                  QByteArrayView value);

// A value text in the form "##.0#": kept as it is when it already has the
// form, otherwise its numeric value formatted.
void appendHistoryValue(QByteArray& out, QByteArrayView value);

// What a history window shows of a file: one point per record (no value for an
// empty value text), the first and last stamps and the newest value with two
// decimals. Empty for a missing or empty file.
struct HistoryChart {
    QList<QString> stamps;
    QList<std::optional<double>> values;
    QString Text1;   // stamp of the first record
    QString Text2;   // stamp of the last record
    QString Label2;  // newest value, "##0.00"
};
HistoryChart historyChart(QByteArrayView content);

}  // namespace kelvora
