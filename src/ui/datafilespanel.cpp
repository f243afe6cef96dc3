#include "ui/datafilespanel.h"

#include "energy/kwhperiods.h"
#include "ui/fieldbinder.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace kelvora {

DataFilesPanel::DataFilesPanel(const DataDir& dir, FieldModel& fields, Actions actions, QWidget* parent)
    : DataFilesPanel(dir, fields, std::move(actions),
                     Desktop{FileOpener::desktop(), askErase, [] { QApplication::beep(); }}, parent) {}

DataFilesPanel::DataFilesPanel(const DataDir& dir, FieldModel& fields, Actions actions, Desktop desktop,
                               QWidget* parent)
    : QGroupBox(tr("Data Files"), parent), dir_(dir), actions_(std::move(actions)), desktop_(std::move(desktop)) {
    setObjectName(QStringLiteral("Frame_DataFiles"));
    auto* grid = new QGridLayout(this);
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    // Each period's rolling file on the left, its log on the right.
    for (const KwhPeriodRow& period : kwhPeriodTable()) {
        const struct { const char* name; const char* caption; QString file; int column; } files[] = {
            {period.captions.rollingButton, period.captions.rollingCaption, period.rollingFile, 0},
            {period.captions.logButton, period.captions.logCaption, period.logFile, 1},
        };
        for (const auto& f : files) {
            auto* b = button(f.name, QString::fromLatin1(f.caption));
            b->setToolTip(tr("Show %1 in the text editor").arg(f.file));
            connect(b, &QPushButton::clicked, this, [this, file = f.file] { showFile(file); });
            grid->addWidget(b, int(period.period), f.column);
        }
    }
    auto* view = button("CMDVIEWData", tr("View Data"));
    view->setToolTip(tr("Open the data directory %1").arg(dir_.path()));
    connect(view, &QPushButton::clicked, this, [this] { desktop_.opener.openUrl(QUrl::fromLocalFile(dir_.path())); });
    grid->addWidget(view, 5, 0, 1, 2);
    auto* reset = button("CMD_KW_DataReset", tr("Reset KW Data"));
    reset->setToolTip(tr("Start the month-to-date KWH and cost from zero"));
    connect(reset, &QPushButton::clicked, this, &DataFilesPanel::CMD_KW_DataReset_Click);
    grid->addWidget(reset, 6, 0);
    auto* init = button("CMD_Init_All_Data", tr("Initialize All Data"));
    init->setToolTip(tr("Erase every data file and start afresh"));
    connect(init, &QPushButton::clicked, this, &DataFilesPanel::CMD_Init_All_Data_Click);
    grid->addWidget(init, 6, 1);
    new FieldBinder(fields, this);
}

bool DataFilesPanel::askErase(QWidget* parent) {
    return QMessageBox::question(parent, QStringLiteral("Initialize Data"), QStringLiteral("Are you Sure...Erase ALL Data?"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

bool DataFilesPanel::askKeepArchive(QWidget* parent) {
    return QMessageBox::question(parent, QStringLiteral("Initialize Data"),
                                 tr("Keep the archive of every minute recorded so far?\n"
                                    "Yes keeps it; No erases it with the rest."),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::No;
}

void DataFilesPanel::showFile(const QString& name) {
    desktop_.opener.openPlainText(QUrl::fromLocalFile(dir_.filePath(name)));
}

void DataFilesPanel::CMD_Init_All_Data_Click() {
    if (!desktop_.confirmErase(this)) return;
    const bool keepArchive = !desktop_.keepArchive || desktop_.keepArchive(this);
    if (desktop_.beep) desktop_.beep();
    actions_.initializeAll();
    if (!keepArchive && !actions_.eraseArchive()) qWarning("The minute archive could not be erased");
}

void DataFilesPanel::CMD_KW_DataReset_Click() { actions_.resetKwData(); }

}  // namespace kelvora
