#pragma once
#include "common/clock.h"
#include "common/datadir.h"
#include "history/historyquantity.h"
#include "model/sharedstate.h"
#include "model/windowstate.h"

#include <QString>

namespace kelvora {

// The history of one quantity (KW, phase A, phase B or voltage): once a
// minute, when the one-minute file of the quantity is ready, its value and the
// time go into all eight history files, and the quantity's window, when it is
// open and shows one of the rewritten files, is told to reload it.
class HistoryUpdate {
public:
    HistoryUpdate(const HistoryQuantity& quantity, SharedState& shared, WindowState& windows, const DataDir& dir,
                  const Clock& clock);

    // The minute consumer (KW_History_Update for KW, and so on): runs only
    // while the ready flag is 1, and clears it.
    void History_Update();

    const HistoryQuantity& quantity() const { return quantity_; }
    // The minute field last read; kept when the one-minute file cannot be read.
    const QString& Hist_Raw() const { return Hist_Raw_; }

private:
    void readMinuteValue();
    void Update_History_Windows(std::optional<int> period);

    const HistoryQuantity& quantity_;
    SharedState& shared_;
    WindowState& windows_;
    const DataDir& dir_;
    const Clock& clock_;
    QString Hist_Raw_;
    QString Hist_Value_;
    QString Hist_Stamp_;
};

}  // namespace kelvora
