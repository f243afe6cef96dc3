#include "ui/datafilespanel.h"

#include "history/minutearchive.h"
#include "model/datafiles.h"
#include "ui/fieldbinder.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace kelvora {

DataFilesPanel::DataFilesPanel(KelvoraCore& core, QWidget* parent)
    : DataFilesPanel(core, Desktop{FileOpener::desktop(), askErase, [] { QApplication::beep(); }}, parent) {}

DataFilesPanel::DataFilesPanel(KelvoraCore& core, Desktop desktop, QWidget* parent)
    : QGroupBox(tr("Data Files"), parent), core_(core), desktop_(std::move(desktop)) {
    setObjectName(QStringLiteral("Frame_DataFiles"));
    const struct { const char* name; const char* caption; const QString& file; int row, column; } fileButtons[] = {
        {"CMD_KWH_hrs", "KWH   hours", files::KWHhr, 0, 0},
        {"CMD_KWH_days", " KWH   days", files::KWHday, 1, 0},
        {"CMD_KWH_weeks", " KWH   weeks", files::KWHweek, 2, 0},
        {"CMD_KWH_months", "KWH months", files::KWHMonth, 3, 0},
        {"CMD_KWH_years", "KWH   years", files::KWHyear, 4, 0},
        {"Command1", "Total KWH hours", files::KWHHours, 0, 1},
        {"Command3", "Total KWH days", files::KWHDays, 1, 1},
        {"Command2", "Total KWH weeks", files::KWHWeeks, 2, 1},
        {"Command4", "Total KWH months", files::KWHMonths, 3, 1},
        {"Command5", "Total KWH years", files::KWHyears, 4, 1},
    };
    auto* grid = new QGridLayout(this);
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    for (const auto& f : fileButtons) {
        auto* b = button(f.name, QString::fromLatin1(f.caption));
        b->setToolTip(tr("Show %1 in the text editor").arg(f.file));
        const QString file = f.file;
        connect(b, &QPushButton::clicked, this, [this, file] { showFile(file); });
        grid->addWidget(b, f.row, f.column);
    }
    auto* view = button("CMDVIEWData", tr("View Data"));
    view->setToolTip(tr("Open the data directory %1").arg(core_.dir().path()));
    connect(view, &QPushButton::clicked, this,
            [this] { desktop_.opener.openUrl(QUrl::fromLocalFile(core_.dir().path())); });
    grid->addWidget(view, 5, 0, 1, 2);
    auto* reset = button("CMD_KW_DataReset", tr("Reset KW Data"));
    reset->setToolTip(tr("Start the month-to-date KWH and cost from zero"));
    connect(reset, &QPushButton::clicked, this, &DataFilesPanel::CMD_KW_DataReset_Click);
    grid->addWidget(reset, 6, 0);
    auto* init = button("CMD_Init_All_Data", tr("Initialize All Data"));
    init->setToolTip(tr("Erase every data file and start afresh"));
    connect(init, &QPushButton::clicked, this, &DataFilesPanel::CMD_Init_All_Data_Click);
    grid->addWidget(init, 6, 1);
    new FieldBinder(core_.fields(), this);
    eraseArchive_ = [this] { return core_.archive().erase(); };
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
    desktop_.opener.openPlainText(QUrl::fromLocalFile(core_.dir().filePath(name)));
}

void DataFilesPanel::CMD_Init_All_Data_Click() {
    if (!desktop_.confirmErase(this)) return;
    const bool keepArchive = !desktop_.keepArchive || desktop_.keepArchive(this);
    if (desktop_.beep) desktop_.beep();
    core_.initializeAllData();
    if (!keepArchive && !eraseArchive_()) qWarning("The minute archive could not be erased");
}

void DataFilesPanel::CMD_KW_DataReset_Click() { core_.kwhAccounting().ResetKwData(); }

}  // namespace kelvora
