#pragma once
#include "common/datadir.h"
#include "history/historyfile.h"
#include "history/historyquantity.h"
#include "model/windowstate.h"

#include <QString>
#include <array>
#include <optional>

namespace kelvora {

// The history of one quantity (KW, phase A, phase B or voltage): once a
// minute the quantity's minute mean and the minute's stamp go into all eight
// history files. The quantity's window, when it shows one of them, reloads it
// when the data directory reports it saved.
class HistoryUpdate {
public:
    HistoryUpdate(const HistoryQuantity& quantity, WindowState& windows, const DataDir& dir);

    // The minute consumer (KW_History_Update for KW, and so on).
    void History_Update(const MinuteRecord& minute);

    const HistoryQuantity& quantity() const { return quantity_; }

    // Reads the eight files once, at the start-up, so that the first minute
    // builds on them as on what the step wrote (each file in the form the
    // step writes; another is read again at the minute).
    void learnWritten();
    // Forgets what the step wrote last, so that the next minute reads every
    // file again (after the files were made afresh).
    void forgetWritten() { written_.fill(std::nullopt); }

private:
    void Update_History_Windows();
    // The file's newest content with the minute's record, or nothing when it
    // is missing or too long to be ours.
    std::optional<WrittenHistory> nextContent(int span, const QByteArray& stamp, const QByteArray& value);

    const HistoryQuantity& quantity_;
    WindowState& windows_;
    const DataDir& dir_;
    QString Hist_Value_;
    QString Hist_Stamp_;
    // What the step last wrote to each of the eight files. A file of 14 days
    // is parsed again only when something else changed it: re-reading and
    // re-parsing all of them every minute kept the window waiting for tens of
    // milliseconds.
    std::array<std::optional<WrittenHistory>, WindowState::kHistorySpans> written_;
};

}  // namespace kelvora
