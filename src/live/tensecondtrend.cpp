#include "live/tensecondtrend.h"

#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"
#include "model/datafiles.h"

#include <algorithm>
#include <optional>

namespace kelvora {
namespace {

constexpr int kWindow = 60;

// A record with a date and time is written as quoted texts; a blank record
// has nothing before its two commas (",,0").
QByteArray trendLine(const TrendRecord& r) {
    if (r.date.isEmpty() && r.time.isEmpty()) return ",," + numberText(r.value).toLatin1() + "\r\n";
    return recordLine({Field::Text(r.date), Field::Text(r.time), Field::Number(r.value)});
}

}  // namespace

QList<TrendRecord> readTrendRecords(const QByteArray& data, int limit) {
    QList<TrendRecord> records;
    for (const QByteArray& line : data.split('\n')) {
        if (records.size() >= limit) break;
        if (line.trimmed().isEmpty()) continue;
        RecordReader reader(line);
        TrendRecord r;
        r.date = reader.next();
        r.time = reader.next();
        r.value = numericValue(reader.next());  // a missing value is 0
        records.append(r);
    }
    return records;
}

TenSecondTrends::TenSecondTrends(const SharedState& shared, const DataDir& dir, const Clock& clock)
    : shared_(shared), dir_(dir), clock_(clock) {}

void TenSecondTrends::Current_Trend_Update() {
    Update_VAC_10sec();
    Update_A_AMPS_10sec();
    Update_B_AMPS_10sec();
    Update_KW_10sec();
}

void TenSecondTrends::Update_VAC_10sec() {
    if (shared_.Cur_VAC == 0) return;  // no voltage, no point: file and range stay
    update(files::VAC_10sec, shared_.Cur_VAC, 1000, VAC_10sec);
}

void TenSecondTrends::Update_A_AMPS_10sec() { update(files::A_AMPS_10sec, shared_.Cur_A_AMPS, 1000, A_AMPS_10sec); }
void TenSecondTrends::Update_B_AMPS_10sec() { update(files::B_AMPS_10sec, shared_.Cur_B_AMPS, 1000, B_AMPS_10sec); }
void TenSecondTrends::Update_KW_10sec() { update(files::KW_10sec, shared_.Cur_KW, 10000, KW_10sec); }

void TenSecondTrends::reset() {
    VAC_10sec = {0, 1000};
    A_AMPS_10sec = {0, 1000};
    B_AMPS_10sec = {0, 1000};
    KW_10sec = {0, 10000};
}

// The new record is appended, the first 60 records are read back (missing
// ones blank), the range is taken over those 60, and the file is rewritten
// as records 2..60 followed by the new record. A full file thus drops its
// oldest record, and the range covers the 60 values before this one. Done
// in memory and written once, so the file is never seen half-updated.
void TenSecondTrends::update(const QString& file, double value, double minStart, TrendRange& range) {
    const QDateTime now = clock_.now();
    const TrendRecord added{formatDate(now, u"mm/dd/yyyy"), formatDate(now, u"hh:mm:ss"), value};
    const QByteArray onDisk = dir_.read(file).value_or(QByteArray());
    const auto last = written_.constFind(file);
    // What this step wrote is always a full window, so the roll is the same.
    const bool ours = last != written_.cend() && last->content == onDisk;
    std::optional<Written> fresh;
    if (!ours) fresh = rebuilt(onDisk, added);
    const Written& before = ours ? *last : *fresh;

    range = {0, minStart};
    for (const double v : before.values) {
        range.max = std::max(range.max, v);
        range.min = std::min(range.min, v);
    }
    Written next = rolled(before, added);
    if (dir_.writeWhole(file, next.content))
        written_.insert(file, std::move(next));
    else
        written_.remove(file);
}

// The 60 records the file and the added record give, read as a file would be.
TenSecondTrends::Written TenSecondTrends::rebuilt(const QByteArray& content, const TrendRecord& added) {
    QList<TrendRecord> window = readTrendRecords(content + trendLine(added), kWindow);
    window.resize(kWindow);  // records that could not be read are blank
    Written w;
    for (const TrendRecord& r : window) {
        w.lines << trendLine(r);
        w.values << r.value;
    }
    return w;
}

// Records 2..60 followed by the added one.
TenSecondTrends::Written TenSecondTrends::rolled(const Written& last, const TrendRecord& added) {
    Written next;
    next.lines = last.lines.mid(1);
    next.values = last.values.mid(1);
    next.lines << trendLine(added);
    next.values << added.value;
    next.content.reserve(last.content.size() + 64);
    for (const QByteArray& line : next.lines) next.content += line;
    return next;
}

}  // namespace kelvora
