#pragma once
#include "model/fieldmodel.h"
#include "model/sharedstate.h"
#include "common/datadir.h"

#include <QObject>
#include <functional>

namespace kelvora {

// The rules of the Set-Up tab: the mains option follows the typed calibration
// voltage, an edit enables its save button (except the one edit that start-up
// makes when it fills a field), and the calibrate and default buttons change
// the settings, raise the calibration requests and save the file.
class SetupController : public QObject {
    Q_OBJECT
public:
    SetupController(SharedState& shared, FieldModel& fields, const DataDir& dir,
                    std::function<void()> beep, QObject* parent = nullptr);

    // Start-up arms the four flags before it fills the fields, so the change
    // that the fill raises does not enable a button.
    void armIgnoreChange();
    void disableSaveButtons();

    void Option_120vac_Click();
    void Option_240vac_Click();
    void CMD_Save_VAC_Click();
    void CMD_CAL_A_Click();
    void CMD_CAL_B_Click();
    void CMD_VAC_Default_Click();
    void CMD_A_Default_Click();
    void CMD_B_Default_Click();
    // "Save and Exit": the network settings come from their fields.
    void takeNetworkFields();

private:
    struct Phase;
    static const Phase& phaseA();
    static const Phase& phaseB();
    void onTextChanged(const QString& name, const QString& text);
    void onVoltageChanged(const QString& text);
    void onFieldEdited(bool& ignoreChange, const QString& button);
    void calibratePhase(const Phase& phase);
    void restorePhaseDefaults(const Phase& phase);
    void save();

    SharedState& shared_;
    FieldModel& fields_;
    DataDir dir_;
    std::function<void()> beep_;

    bool ignoreA_ = true;
    bool ignoreB_ = true;
    bool ignoreVoltage_ = true;
    bool ignoreNetwork_ = true;  // one flag for both network fields
    // After "Calibrate" the calibration value follows its field.
    bool vacFollowsField_ = false;
    bool aFollowsField_ = false;
    bool bFollowsField_ = false;
};

}  // namespace kelvora
