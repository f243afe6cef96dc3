#pragma once
#include "common/datadir.h"
#include "history/historyquantity.h"
#include "model/windowstate.h"

#include <QString>

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

private:
    void Update_History_Windows();

    const HistoryQuantity& quantity_;
    WindowState& windows_;
    const DataDir& dir_;
    QString Hist_Value_;
    QString Hist_Stamp_;
};

}  // namespace kelvora
