#include "ui/alarmswindow.h"

#include "alarm/alarmengine.h"
#include "common/timestamp.h"
#include "model/datafiles.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace kelvora {
namespace {

constexpr int kAllKinds = -1;
constexpr int kRestarts = -2;

QString lineCount(qsizetype n) { return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? "line" : "lines")); }

}  // namespace

AlarmsWindow::AlarmsWindow(const DataDir& dir, AlarmEngine& engine, const Clock& clock, QWidget* parent)
    : QWidget(parent), dir_(dir), clock_(clock) {
    setObjectName(QStringLiteral("AlarmsWindow"));
    setWindowTitle(tr("Alarms"));
    filter_ = new QComboBox;
    filter_->setObjectName(QStringLiteral("alarmKindFilter"));
    filter_->setAccessibleName(tr("Show"));
    filter_->addItem(tr("All alarms and restarts"), kAllKinds);
    for (const AlarmKindInfo& k : kAlarmKinds) filter_->addItem(alarmName(k.kind), static_cast<int>(k.kind));
    filter_->addItem(tr("Restarts"), kRestarts);
    auto* exportButton = new QPushButton(tr("Export CSV..."));
    exportButton->setObjectName(QStringLiteral("CMD_Alarms_Export"));
    exportButton->setToolTip(tr("Save the lines shown as a CSV file"));
    table_ = new QTableWidget(0, 4);
    table_->setObjectName(QStringLiteral("alarmList"));
    table_->setHorizontalHeaderLabels({tr("When"), tr("Event"), tr("Alarm"), tr("Text")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("alarmsWindowStatus"));

    auto* top = new QHBoxLayout;
    auto* showLabel = new QLabel(tr("&Show:"));
    showLabel->setBuddy(filter_);
    top->addWidget(showLabel);
    top->addWidget(filter_);
    top->addStretch();
    top->addWidget(exportButton);
    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addWidget(table_, 1);
    v->addWidget(status_);

    chooseFile_ = [](QWidget* parent, const QString& suggestion) {
        return QFileDialog::getSaveFileName(parent, tr("Export CSV"), suggestion, tr("CSV files (*.csv)"));
    };
    connect(filter_, &QComboBox::currentIndexChanged, this, &AlarmsWindow::fill);
    connect(exportButton, &QPushButton::clicked, this, &AlarmsWindow::exportCsv);
    connect(&engine, &AlarmEngine::changed, this, &AlarmsWindow::reload);
    reload();
    resize(820, 480);
}

void AlarmsWindow::reload() {
    all_ = parseAlarmLog(dir_.read(files::AlarmsLog).value_or(QByteArray()));
    std::reverse(all_.begin(), all_.end());
    fill();
}

void AlarmsWindow::fill() {
    const int want = filter_->currentData().toInt();
    shown_.clear();
    for (const AlarmLogEntry& e : all_) {
        const bool keep = want == kAllKinds || (want == kRestarts && e.type == AlarmLogEntry::Type::Restart) ||
                          (e.kind && static_cast<int>(*e.kind) == want);
        if (keep) shown_ << e;
    }
    table_->setRowCount(int(shown_.size()));
    for (int row = 0; row < shown_.size(); ++row) {
        const AlarmLogEntry& e = shown_[row];
        const QString cells[] = {stamp(e.when), alarmLogTypeText(e.type), e.kind ? alarmName(*e.kind) : QString(),
                                 e.text};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (e.type == AlarmLogEntry::Type::Alarm) item->setForeground(QColor(0xb7, 0x1c, 0x1c));
            table_->setItem(row, c, item);
        }
    }
    table_->resizeColumnsToContents();
    status_->setText(lineCount(shown_.size()));
}

void AlarmsWindow::exportCsv() {
    const QString suggestion =
        QDir(dir_.path()).filePath(QStringLiteral("Alarms %1.csv").arg(clock_.now().toString(QStringLiteral("yyyy-MM-dd HHmmss"))));
    const QString path = chooseFile_(this, suggestion);
    if (path.isEmpty()) return;
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(alarmLogCsv(shown_)) >= 0 && file.commit();
    if (!ok) qWarning("The CSV file %s could not be written", qPrintable(path));
    status_->setText(ok ? tr("Exported %1 to %2").arg(lineCount(shown_.size()), QDir::toNativeSeparators(path))
                        : tr("Could not write %1").arg(QDir::toNativeSeparators(path)));
}

}  // namespace kelvora
