#pragma once
#include "alarm/alarmlog.h"
#include "common/clock.h"
#include "common/datadir.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QTableWidget;

namespace kelvora {

class AlarmEngine;

// The "Alarms" window: alarms.log newest first (when, event, alarm, text),
// filtered by kind, and "Export CSV..." of the lines shown. It reads the log
// again whenever an alarm raises or clears.
class AlarmsWindow : public QWidget {
    Q_OBJECT
public:
    AlarmsWindow(const DataDir& dir, AlarmEngine& engine, const Clock& clock, QWidget* parent = nullptr);

    void reload();
    // The entries shown, newest first.
    const QList<AlarmLogEntry>& shown() const { return shown_; }

    // Asks where to save the CSV (a file dialog unless replaced); an empty
    // answer cancels.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggestion)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

private:
    void fill();
    void exportCsv();

    DataDir dir_;
    const Clock& clock_;
    QList<AlarmLogEntry> all_;
    QList<AlarmLogEntry> shown_;
    QComboBox* filter_;
    QTableWidget* table_;
    QLabel* status_;
    FileChooser chooseFile_;
};

}  // namespace kelvora
