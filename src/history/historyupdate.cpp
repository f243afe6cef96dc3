#include "history/historyupdate.h"

#include "common/format.h"
#include "common/timestamp.h"
#include "history/historyfile.h"

#include <QScopeGuard>

namespace kelvora {

HistoryUpdate::HistoryUpdate(const HistoryQuantity& quantity, WindowState& windows, const DataDir& dir)
    : quantity_(quantity), windows_(windows), dir_(dir) {}

void HistoryUpdate::History_Update(const MinuteRecord& minute) {
    Hist_Value_ = formatNumber(minute.*quantity_.value, u"##0.00");
    Hist_Stamp_ = stamp(minute.stamp);
    Update_History_Windows();
}

// The eight files get the same record. Each is read whole and its new content
// built in memory; then all eight are replaced as one batch, so the disk is
// waited for once, not eight times. A file that is missing or too long keeps
// what it holds, and the others go on.
void HistoryUpdate::Update_History_Windows() {
    WindowState::HistoryBusy& busy = windows_.*quantity_.busy;
    // Cleared however the step ends: a flag left set would keep the window's
    // period buttons dead for the rest of the run.
    const auto clearBusy = qScopeGuard([&busy] { busy.fill(0); });
    const QByteArray stampBytes = Hist_Stamp_.toUtf8();
    const QByteArray valueBytes = Hist_Value_.toLatin1();
    QList<DataDir::WholeFile> batch;
    for (int i = 0; i < int(kHistorySpans.size()); ++i) {
        const HistorySpan& span = kHistorySpans[i];
        busy[i] = 1;
        windows_.History_File = quantity_.file(span);
        const auto old = dir_.read(windows_.History_File);
        if (!old) {
            qWarning("No history file %s; not re-created", qPrintable(dir_.filePath(windows_.History_File)));
            continue;
        }
        auto content = withMinuteRecord(*old, span.capacity, stampBytes, valueBytes);
        if (!content) {
            qWarning("%s holds more than %d records; left as it is", qPrintable(windows_.History_File),
                     kMaxHistoryRecords);
            continue;
        }
        batch << DataDir::WholeFile{windows_.History_File, std::move(*content)};
    }
    dir_.writeBatch(batch);
}

}  // namespace kelvora
