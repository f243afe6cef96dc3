#include "history/minutearchive.h"

#include "history/archivemonth.h"
#include "model/datafiles.h"

#include <QDir>
#include <algorithm>

namespace kelvora {
namespace {

constexpr qint64 kHourMs = 3'600'000;
constexpr qint64 kCloseGraceMs = 60'000;

QByteArray withLineEnd(QByteArray line) { return line + "\r\n"; }

}  // namespace

MinuteArchive::MinuteArchive(const DataDir& dir) : dir_(dir) {}

void MinuteArchive::ensureFolder() { QDir().mkpath(dir_.filePath(files::ArchiveFolder)); }

void MinuteArchive::start(const QDateTime& now) {
    ensureFolder();
    const YearMonth month = localMonth(archiveStamp(now));
    for (const YearMonth m : {month.previous(), month}) {
        cutTornLine(files::archiveMinutes(m.year, m.month));
        cutTornLine(files::archiveHours(m.year, m.month));
    }
    takeUpLastHour(now);
}

void MinuteArchive::cutTornLine(const QString& name) {
    const auto content = dir_.read(name);
    if (!content || content->isEmpty() || content->endsWith('\n')) return;
    const qsizetype end = content->lastIndexOf('\n') + 1;
    qWarning("%s ends in a torn line; it is cut off", qPrintable(dir_.filePath(name)));
    dir_.writeWhole(name, content->left(end));
}

void MinuteArchive::takeUpLastHour(const QDateTime& now) {
    const ArchiveStamp nowStamp = archiveStamp(now);
    MonthMinutes minutes;
    // The newest hour written: in this month's file, or last month's when
    // this one has nothing yet.
    for (const YearMonth m : {localMonth(nowStamp), localMonth(nowStamp).previous()}) {
        minutes = parseMonthMinutes(dir_.read(files::archiveMinutes(m.year, m.month)).value_or(QByteArray()));
        if (!minutes.points.empty()) break;
    }
    if (minutes.points.empty()) return;
    const MinutePoint& newest = minutes.points.back();  // sorted by time
    const qint64 hourMs = localHourStart(newest.stamp());
    hour_.start({hourMs, newest.offsetMinutes * 60});
    for (const MinutePoint& p : minutes.points)
        if (p.ms >= hourMs && p.ms < hourMs + kHourMs) hour_.add(p);
    if (nowStamp.ms < hourMs + kHourMs) return;  // still running: appends go on with it
    // The hour ended while the program was away; written unless it already is.
    const YearMonth m = localMonth(hour_.hourStart());
    const MonthHours hours = parseMonthHours(dir_.read(files::archiveHours(m.year, m.month)).value_or(QByteArray()));
    const bool written = std::any_of(hours.hours.begin(), hours.hours.end(),
                                     [hourMs](const HourSummary& h) { return h.start.ms == hourMs; });
    if (written)
        hour_ = HourAccumulator();
    else
        writeSummary();
}

void MinuteArchive::append(const MinuteRecord& record) {
    const ArchiveStamp stamp = archiveStamp(record.stamp);
    const qint64 hourMs = localHourStart(stamp);
    if (!hour_.empty() && hour_.hourStart().ms != hourMs) writeSummary();
    const YearMonth m = localMonth(stamp);
    appendLine(files::archiveMinutes(m.year, m.month), kMinuteHeader, minuteLine(record));
    if (hour_.empty()) hour_.start({hourMs, stamp.offsetSeconds});
    hour_.add(record);
}

void MinuteArchive::closeHour(const QDateTime& now) {
    if (hour_.empty()) return;
    if (now.toMSecsSinceEpoch() >= hour_.hourStart().ms + kHourMs + kCloseGraceMs) writeSummary();
}

void MinuteArchive::writeSummary() {
    const HourSummary summary = hour_.summary();
    const YearMonth m = localMonth(summary.start);
    appendLine(files::archiveHours(m.year, m.month), kHourHeader, hourLine(summary));
    hour_ = HourAccumulator();
}

bool MinuteArchive::appendLine(const QString& name, std::string_view header, const QByteArray& line) {
    QByteArray content = withLineEnd(line);
    // Cheap, and no append then waits in vain for a folder erased meanwhile.
    ensureFolder();
    if (!headed_.contains(name)) {
        // Read, not asked of the disk: a cut of a torn line may still be on
        // its way there.
        const bool empty = !dir_.exists(name) || dir_.read(name).value_or(QByteArray("?")).isEmpty();
        if (empty)
            content.prepend(withLineEnd(QByteArray(header.data(), qsizetype(header.size()))));
        headed_.insert(name);
    }
    return dir_.append(name, content);
}

bool MinuteArchive::erase() {
    hour_ = HourAccumulator();
    headed_.clear();
    return eraseArchive(dir_);
}

bool eraseArchive(const DataDir& dir) {
    // Appends still on their way to the disk first, or they would bring
    // the files back.
    dir.flush(10'000);
    QDir folder(dir.filePath(files::ArchiveFolder));
    return !folder.exists() || folder.removeRecursively();
}

}  // namespace kelvora
