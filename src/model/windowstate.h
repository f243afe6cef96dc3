#pragma once
#include "common/variant.h"

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <optional>

namespace kelvora {

// What passes between the chart windows and the logic that feeds them. A
// window is destroyed when it closes; this outlives it. The logic announces a
// rewritten file here, and an open window that shows that file reloads itself.
class WindowState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The history file being updated or shown ("4KWhr.dat").
    QString History_File;
    // The 60 records (stamp, value) of the rolling KWH file last read.
    QList<QString> Roll_Stamp;
    QList<Variant> Roll_Value;

    // Per history quantity (KW, phase A, phase B, voltage): the hours of the
    // period its window shows, empty until the window has loaded once and
    // kept after it closes; and one busy flag per history file of the
    // quantity, 1 while that file is being rewritten.
    static constexpr int kHistorySpans = 8;
    using HistoryBusy = std::array<int, kHistorySpans>;
    std::optional<int> KW_Hist_Period, A_AMPS_Hist_Period, B_AMPS_Hist_Period, VAC_Hist_Period;
    HistoryBusy KW_Hist_Busy{}, A_AMPS_Hist_Busy{}, B_AMPS_Hist_Busy{}, VAC_Hist_Busy{};

    // Which windows are open, so that a reload for a closed one is skipped.
    bool isOpen(const QString& window) const { return open_.contains(window); }
    void setOpen(const QString& window, bool open) {
        if (open) {
            if (!open_.contains(window)) open_ << window;
        } else {
            open_.removeAll(window);
        }
    }

    void announceRewritten(const QString& file) { Q_EMIT fileRewritten(file); }

Q_SIGNALS:
    void fileRewritten(const QString& file);

private:
    QList<QString> open_;
};

}  // namespace kelvora
