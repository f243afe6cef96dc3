#include "ui/alarmspanel.h"

#include "alarm/alarmcenter.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvora {

AlarmsPanel::AlarmsPanel(AlarmCenter& alarms, MainsOption mainsOption, QWidget* parent)
    : QGroupBox(tr("Alarms"), parent), alarms_(alarms), mainsOption_(std::move(mainsOption)) {
    setObjectName(QStringLiteral("frameAlarms"));
    auto* v = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    v->addLayout(grid);
    const QString sec = tr("for (s):");
    int row = 0;
    const auto rowOf = [&](const char* on, const QString& caption,
                           std::initializer_list<std::pair<const char*, QString>> limits) {
        addRow(grid, row++, on, caption, limits);
    };
    rowOf("phase_on", tr("Phase A or B current"),
          {{"breaker_amps", tr("breaker (A):")}, {"phase_percent", tr("above (%):")}, {"phase_seconds", sec}});
    rowOf("voltage_on", tr("Line voltage"),
          {{"voltage_nominal", tr("nominal (V):")}, {"voltage_percent", tr("off by (\u00b1 %):")},
           {"voltage_seconds", sec}});
    rowOf("power_on", tr("Power"), {{"power_kw", tr("above (KW):")}, {"power_minutes", tr("for (min):")}});
    rowOf("day_kwh_on", tr("Energy today"), {{"day_kwh", tr("above (KWH):")}});
    rowOf("day_cost_on", tr("Cost today"), {{"day_cost", tr("above (%1):").arg(alarms_.engine().currencySymbol())}});
    rowOf("link_on", tr("Meter link"), {{"link_seconds", tr("silent (s):")}});
    rowOf("disk_on", tr("Saving data fails"), {});
    grid->setColumnStretch(7, 1);

    auto* save = new QPushButton(tr("Save"));
    save->setObjectName(QStringLiteral("CMD_Alarms_Save"));
    auto* defaults = new QPushButton(tr("Defaults"));
    defaults->setObjectName(QStringLiteral("CMD_Alarms_Default"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(defaults);
    buttons->addStretch();
    v->addLayout(buttons);
    message_ = new QLabel;
    message_->setObjectName(QStringLiteral("alarmsMessage"));
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->addWidget(message_);

    connect(save, &QPushButton::clicked, this, &AlarmsPanel::save);
    connect(defaults, &QPushButton::clicked, this, [this] {
        show(AlarmSettings::defaults(mainsOption_ ? mainsOption_() : QStringLiteral("240")));
        message_->setText(tr("The defaults are filled in; Save puts them in force."));
    });
    show(alarms_.settings());
    if (!alarms_.refusedAtStart().isEmpty())
        message_->setText(tr("AlarmSetup.ini: %1; the defaults stand for these.").arg(alarms_.refusedAtStart().join(u"; ")));
}

void AlarmsPanel::addRow(QGridLayout* grid, int row, const char* onKey, const QString& caption,
                         std::initializer_list<std::pair<const char*, QString>> limits) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QLatin1String(onKey));
    switches_.insert(QLatin1String(onKey), box);
    grid->addWidget(box, row, 0);
    int column = 1;
    for (const auto& [key, label] : limits) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QLatin1String(key));
        edit->setAccessibleName(caption + u' ' + QString(label).remove(u':'));
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000000.00")) + 12);
        auto* l = new QLabel(label);
        l->setBuddy(edit);
        grid->addWidget(l, row, column++, Qt::AlignRight);
        grid->addWidget(edit, row, column++);
        limits_.insert(QLatin1String(key), edit);
    }
}

void AlarmsPanel::show(const AlarmSettings& s) {
    for (auto it = switches_.cbegin(); it != switches_.cend(); ++it)
        it.value()->setChecked(alarmValueText(s, it.key()) == QLatin1String("true"));
    for (auto it = limits_.cbegin(); it != limits_.cend(); ++it) it.value()->setText(alarmValueText(s, it.key()));
}

void AlarmsPanel::save() {
    AlarmSettings s = alarms_.settings();
    QStringList refused;
    for (auto it = switches_.cbegin(); it != switches_.cend(); ++it)
        setAlarmValue(s, it.key(), QLatin1String(it.value()->isChecked() ? "true" : "false"));
    for (const AlarmKey& k : alarmKeys()) {
        QLineEdit* edit = limits_.value(QLatin1String(k.name));
        if (!edit) continue;
        const QString why = setAlarmValue(s, edit->objectName(), edit->text());
        if (why.isEmpty()) continue;
        refused << why;
        edit->setText(alarmValueText(s, edit->objectName()));  // the value in force
    }
    const bool saved = alarms_.apply(s);
    QString text = refused.isEmpty() ? QString() : tr("Refused: %1. ").arg(refused.join(u"; "));
    if (!saved)
        text += tr("The limits are in force until Kelvora ends, but AlarmSetup.ini could not be written.");
    else
        text += refused.isEmpty() ? tr("Saved.") : tr("The other values are saved.");
    message_->setText(text);
}

}  // namespace kelvora
