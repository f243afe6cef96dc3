#pragma once
#include "alarm/alarmsettings.h"

#include <QGroupBox>
#include <QHash>
#include <functional>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;

namespace kelvora {

class AlarmCenter;

// The Set-Up frame "Alarms": an on/off box and the limits of each alarm, each
// widget named after its key in AlarmSetup.ini ("phase_on", "breaker_amps").
// "Save" puts the limits in force and keeps them; a value that is not
// allowed is refused with a message naming it, and its field shows the value
// in force again. "Defaults" fills in the defaults, to be saved.
class AlarmsPanel : public QGroupBox {
    Q_OBJECT
public:
    // The nominal voltage of the defaults follows the mains option in force.
    using MainsOption = std::function<QString()>;
    AlarmsPanel(AlarmCenter& alarms, MainsOption mainsOption, QWidget* parent = nullptr);

private:
    void addRow(QGridLayout* grid, int row, const char* onKey, const QString& caption,
                std::initializer_list<std::pair<const char*, QString>> limits);
    void show(const AlarmSettings& s);
    void save();

    AlarmCenter& alarms_;
    MainsOption mainsOption_;
    QHash<QString, QCheckBox*> switches_;
    QHash<QString, QLineEdit*> limits_;
    QLabel* message_;
};

}  // namespace kelvora
