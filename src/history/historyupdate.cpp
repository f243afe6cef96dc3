#include "history/historyupdate.h"

#include "common/format.h"
#include "common/timestamp.h"
#include "history/historyfile.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace kelvora {

HistoryUpdate::HistoryUpdate(const HistoryQuantity& quantity, WindowState& windows, const DataDir& dir)
    : quantity_(quantity), windows_(windows), dir_(dir) {}

void HistoryUpdate::History_Update(const MinuteRecord& minute) {
    Hist_Value_ = formatNumber(minute.*quantity_.value, u"##0.00");
    Hist_Stamp_ = stamp(minute.stamp);
    Update_History_Windows();
}

// The eight files get the same record. Each new content is built in memory;
// then all eight are replaced as one batch, so the disk is waited for once,
// not eight times. A file that is missing or too long keeps what it holds, and
// the others go on.
void HistoryUpdate::Update_History_Windows() {
    WindowState::HistoryBusy& busy = windows_.*quantity_.busy;
    // Cleared however the step ends: a flag left set would keep the window's
    // period buttons dead for the rest of the run.
    const auto clearBusy = qScopeGuard([&busy] { busy.fill(0); });
    const QByteArray stampBytes = Hist_Stamp_.toUtf8();
    const QByteArray valueBytes = Hist_Value_.toLatin1();
    QList<DataDir::WholeFile> batch;
    for (int i = 0; i < int(kHistorySpans.size()); ++i) {
        busy[i] = 1;
        windows_.History_File = quantity_.file(kHistorySpans[i]);
        written_[i] = nextContent(i, stampBytes, valueBytes);
        if (written_[i]) batch << DataDir::WholeFile{windows_.History_File, written_[i]->content};
    }
    dir_.writeBatch(batch);
}

void HistoryUpdate::learnWritten() {
    for (int i = 0; i < int(kHistorySpans.size()); ++i) {
        const auto content = dir_.read(quantity_.file(kHistorySpans[i]));
        auto written = content ? asWrittenHistory(*content) : std::nullopt;
        // A file beyond its capacity is cut back by the minute's full read.
        if (written && written->records <= kHistorySpans[i].capacity) written_[i] = std::move(written);
    }
}

std::optional<WrittenHistory> HistoryUpdate::nextContent(int span, const QByteArray& stamp, const QByteArray& value) {
    const int capacity = kHistorySpans[span].capacity;
    const QString& name = windows_.History_File;
    const std::optional<WrittenHistory>& last = written_[span];
    // A file of the size the step wrote is taken to hold what it wrote (or it
    // is still on its way to the disk, and reads would give it back anyway).
    if (last && QFileInfo(dir_.filePath(name)).size() == last->content.size())
        return nextWrittenHistory(*last, capacity, stamp, value);
    const auto old = dir_.read(name);
    if (!old) {
        qWarning("No history file %s; not re-created", qPrintable(dir_.filePath(name)));
        return std::nullopt;
    }
    if (last && *old == last->content) return nextWrittenHistory(*last, capacity, stamp, value);
    auto next = writtenWithMinuteRecord(*old, capacity, stamp, value);
    if (!next) qWarning("%s holds more than %d records; left as it is", qPrintable(name), kMaxHistoryRecords);
    return next;
}

}  // namespace kelvora
