#include "app/setupcontroller.h"

#include "common/numeric.h"

namespace kelvora {
namespace {

const QString kVoltageField = QStringLiteral("Text6(0)");
const QString kOption120 = QStringLiteral("Option_120vac");
const QString kOption240 = QStringLiteral("Option_240vac");
const QString kSaveVac = QStringLiteral("CMD_Save_VAC");
const QString kSaveExit = QStringLiteral("CMD_SaveExit");
constexpr double kOptionThreshold = 150;

}  // namespace

struct SetupController::Phase {
    QString field;
    QString button;
    SettingValue Settings::*calValue;
    SettingValue Settings::*cal;
    int SharedState::*request;
    bool SetupController::*follows;
};

SetupController::SetupController(SharedState& shared, FieldModel& fields, const DataDir& dir,
                                 std::function<void()> beep, QObject* parent)
    : QObject(parent), shared_(shared), fields_(fields), dir_(dir), beep_(std::move(beep)) {
    connect(&fields_, &FieldModel::textChanged, this, &SetupController::onTextChanged);
}

void SetupController::armIgnoreChange() {
    ignoreA_ = ignoreB_ = ignoreVoltage_ = ignoreNetwork_ = true;
}

void SetupController::disableSaveButtons() {
    for (const char* b : {"CMD_CAL_A", "CMD_CAL_B", "CMD_Save_VAC", "CMD_SaveExit"})
        fields_.setEnabled(QString::fromLatin1(b), false);
}

void SetupController::onTextChanged(const QString& name, const QString& text) {
    if (name == kVoltageField) {
        onVoltageChanged(text);
    } else if (name == QLatin1String("Text_A_Cal")) {
        if (aFollowsField_) shared_.settings.AAMPS_Cal_Value = SettingValue::Text(text);
        onFieldEdited(ignoreA_, QStringLiteral("CMD_CAL_A"));
    } else if (name == QLatin1String("Text_B_Cal")) {
        if (bFollowsField_) shared_.settings.BAMPS_Cal_Value = SettingValue::Text(text);
        onFieldEdited(ignoreB_, QStringLiteral("CMD_CAL_B"));
    } else if (name == QLatin1String("Text5(0)") || name == QLatin1String("Text5(1)")) {
        onFieldEdited(ignoreNetwork_, kSaveExit);
    }
}

void SetupController::onVoltageChanged(const QString& text) {
    if (vacFollowsField_) shared_.settings.VAC_Cal_Value = SettingValue::Text(text);
    // The option follows only a voltage that is a number; other text leaves it.
    if (startsWithNumber(text)) {
        const QString option = numericValue(text) <= kOptionThreshold ? QStringLiteral("120")
                                                                      : QStringLiteral("240");
        selectMainsOption(fields_, option);
        shared_.settings.VAC_Option = SettingValue::Text(option);
    }
    onFieldEdited(ignoreVoltage_, kSaveVac);
}

void SetupController::onFieldEdited(bool& ignoreChange, const QString& button) {
    if (!ignoreChange) fields_.setEnabled(button, true);
    ignoreChange = false;
}

void SetupController::Option_120vac_Click() {
    selectMainsOption(fields_, QStringLiteral("120"));
    if (numericValue(fields_.text(kVoltageField)) > kOptionThreshold) {
        selectMainsOption(fields_, QStringLiteral("240"));
        shared_.settings.VAC_Option = SettingValue::Text(QStringLiteral("240"));
    }
}

void SetupController::Option_240vac_Click() {
    selectMainsOption(fields_, QStringLiteral("240"));
    if (numericValue(fields_.text(kVoltageField)) < kOptionThreshold) {
        selectMainsOption(fields_, QStringLiteral("120"));
        shared_.settings.VAC_Option = SettingValue::Text(QStringLiteral("120"));
    }
}

void SetupController::CMD_Save_VAC_Click() {
    shared_.settings.VAC_Cal_Value = SettingValue::Text(fields_.text(kVoltageField));
    vacFollowsField_ = true;
    save();
    fields_.setEnabled(kSaveVac, false);
    shared_.VAC_Cal_Request = 1;
}

void SetupController::CMD_CAL_A_Click() { calibratePhase(phaseA()); }
void SetupController::CMD_CAL_B_Click() { calibratePhase(phaseB()); }

void SetupController::calibratePhase(const Phase& phase) {
    save();  // the file keeps the previous value until the next save
    shared_.settings.*phase.calValue = SettingValue::Text(fields_.text(phase.field));
    this->*phase.follows = true;
    fields_.setEnabled(phase.button, false);
    shared_.*phase.request = 1;
}

void SetupController::CMD_VAC_Default_Click() {
    shared_.settings.VAC_Cal_Value = SettingValue::Number(240);
    shared_.settings.VAC_Cal = SettingValue::Number(400);
    vacFollowsField_ = false;
    selectMainsOption(fields_, QStringLiteral("240"));
    shared_.settings.VAC_Option = SettingValue::Text(QStringLiteral("240"));
    fields_.setText(kVoltageField, QStringLiteral("240"));
    save();
    if (beep_) beep_();
    fields_.setEnabled(kSaveVac, false);
}

void SetupController::CMD_A_Default_Click() { restorePhaseDefaults(phaseA()); }
void SetupController::CMD_B_Default_Click() { restorePhaseDefaults(phaseB()); }

void SetupController::restorePhaseDefaults(const Phase& phase) {
    this->*phase.follows = false;
    shared_.settings.*phase.calValue = SettingValue::Text(QStringLiteral("100.0"));
    fields_.setText(phase.field, QStringLiteral("100.0"));
    shared_.settings.*phase.cal = SettingValue::Text(QStringLiteral("256"));
    save();
    if (beep_) beep_();
    fields_.setEnabled(phase.button, false);
}

void SetupController::takeNetworkFields() {
    shared_.settings.Remote_Host = SettingValue::Text(fields_.text(QStringLiteral("Text5(0)")));
    shared_.settings.Remote_Port = SettingValue::Text(fields_.text(QStringLiteral("Text5(1)")));
}

void SetupController::save() { saveSettings(dir_, shared_.settings); }

const SetupController::Phase& SetupController::phaseA() {
    static const Phase p{QStringLiteral("Text_A_Cal"), QStringLiteral("CMD_CAL_A"),
                                          &Settings::AAMPS_Cal_Value, &Settings::AAMPS_Cal,
                                          &SharedState::AAMPS_Cal_Request, &SetupController::aFollowsField_};
    return p;
}

const SetupController::Phase& SetupController::phaseB() {
    static const Phase p{QStringLiteral("Text_B_Cal"), QStringLiteral("CMD_CAL_B"),
                                          &Settings::BAMPS_Cal_Value, &Settings::BAMPS_Cal,
                                          &SharedState::BAMPS_Cal_Request, &SetupController::bFollowsField_};
    return p;
}

}  // namespace kelvora
