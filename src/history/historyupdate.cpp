#include "history/historyupdate.h"

#include "common/format.h"
#include "common/numeric.h"
#include "common/records.h"
#include "common/timestamp.h"
#include "history/historyfile.h"

#include <QScopeGuard>

namespace kelvora {

HistoryUpdate::HistoryUpdate(const HistoryQuantity& quantity, SharedState& shared, WindowState& windows,
                             const DataDir& dir, const Clock& clock)
    : quantity_(quantity), shared_(shared), windows_(windows), dir_(dir), clock_(clock) {}

void HistoryUpdate::History_Update() {
    if (shared_.*quantity_.ready != 1) return;
    shared_.*quantity_.ready = 0;
    readMinuteValue();
    Hist_Value_ = Hist_Raw_.trimmed().isEmpty() ? QString() : formatNumber(numericValue(Hist_Raw_), u"##0.00");
    Hist_Stamp_ = stamp(clock_.now());
    if (Hist_Value_.isEmpty()) return;  // no point this minute
    Update_History_Windows(windows_.*quantity_.period);
}

void HistoryUpdate::readMinuteValue() {
    // A file that cannot be read leaves the value of the minute before, which
    // is then recorded again with this minute's stamp.
    const auto data = dir_.read(quantity_.minuteFile);
    if (!data) {
        qWarning("Cannot read %s; its last value is recorded again", qPrintable(quantity_.minuteFile));
        return;
    }
    FieldScanner scanner(*data);
    if (scanner.atEnd()) {
        qWarning("%s is empty; its last value is recorded again", qPrintable(quantity_.minuteFile));
        return;
    }
    Hist_Raw_ = QString::fromUtf8(scanner.next());
}

// The eight files get the same record. Each is read whole and its new content
// built in memory; then all eight are replaced as one batch, so the disk is
// waited for once, not eight times. A file that is missing, too long or
// cannot be written keeps what it holds, and the others go on.
void HistoryUpdate::Update_History_Windows(std::optional<int> period) {
    WindowState::HistoryBusy& busy = windows_.*quantity_.busy;
    // Cleared however the step ends: a flag left set would keep the window's
    // period buttons dead for the rest of the run.
    const auto clearBusy = qScopeGuard([&busy] { busy.fill(0); });
    const QByteArray stampBytes = Hist_Stamp_.toUtf8();
    const QByteArray valueBytes = Hist_Value_.toLatin1();
    QList<DataDir::WholeFile> batch;
    QList<int> spansInBatch;
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
        spansInBatch << i;
    }
    const QList<bool> replaced = dir_.writeBatch(batch);
    for (qsizetype b = 0; b < batch.size(); ++b) {
        const HistorySpan& span = kHistorySpans[spansInBatch[b]];
        // A window that is closed is not loaded behind the user's back: it
        // opens on its first period anyway.
        if (replaced[b] && period == span.hours && windows_.isOpen(quantity_.window)) {
            windows_.History_File = batch[b].name;
            windows_.announceRewritten(batch[b].name);
        }
    }
}

}  // namespace kelvora
