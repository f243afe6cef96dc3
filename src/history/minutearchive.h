#pragma once
#include "common/datadir.h"
#include "history/archivehour.h"
#include "model/minuterecord.h"

#include <QDateTime>
#include <QSet>
#include <QString>

namespace kelvora {

// Keeps every minute record without a horizon: each one is appended to the
// archive file of its month, and each hour, once over, leaves one summary
// line in the hours file of the month it started in. Lines are only ever
// appended, through the data directory's append, which the disk writer
// syncs in batches (a kill loses at most the lines of the last minute); the
// only rewrite is start()'s cut of a line torn by a crash.
//
// The hour is closed by the first minute of another hour (the stamps decide,
// whatever the clock did) or by closeHour() once the hour is over and no
// minute came. A summary counts every minute of its hour in the month file,
// across restarts: start() takes up the minutes already written.
class MinuteArchive {
public:
    explicit MinuteArchive(const DataDir& dir);

    // At start-up, before the first append: cuts a torn last line off this
    // and last month's files, takes up the running hour's minutes from the
    // month file, and writes the summary of an hour that ended while the
    // program was not running.
    void start(const QDateTime& now);
    // One minute record; called once per record, in order.
    void append(const MinuteRecord& record);
    // Writes the open hour's summary when `now` is at least a minute past its
    // end (a minute stamped just before the hour, handed over just after it,
    // still counts in its hour). Cheap; the hourly rollover calls it, and it
    // may be called as often as wanted.
    void closeHour(const QDateTime& now);
    // "Initialize All Data" without keeping the archive: every archive file
    // is removed and the running hour forgotten.
    bool erase();

    const HourAccumulator& openHour() const { return hour_; }

private:
    void ensureFolder();
    void writeSummary();
    bool appendLine(const QString& name, std::string_view header, const QByteArray& line);
    void cutTornLine(const QString& name);
    void takeUpLastHour(const QDateTime& now);

    const DataDir& dir_;
    HourAccumulator hour_;
    // Files that have their header (or were found non-empty).
    QSet<QString> headed_;
};

// Removes the archive folder and everything in it.
bool eraseArchive(const DataDir& dir);

}  // namespace kelvora
