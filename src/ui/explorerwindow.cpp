#include "ui/explorerwindow.h"

#include "common/format.h"
#include "history/archivecsv.h"
#include "ui/chartprint.h"
#include "ui/explorerplot.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace kelvora {
namespace {

const QString kWindowName = QStringLiteral("Explore");

QString compareName(ComparePeriod c) {
    switch (c) {
    case ComparePeriod::Week: return QObject::tr("the week before");
    case ComparePeriod::Month: return QObject::tr("the month before");
    case ComparePeriod::Year: return QObject::tr("the year before");
    case ComparePeriod::None: break;
    }
    return QString();
}

QString when(qint64 ms) {
    return QLocale(QLocale::English, QLocale::UnitedStates)
        .toString(QDateTime::fromMSecsSinceEpoch(ms), QStringLiteral("ddd d MMM yyyy HH:mm"));
}

QString statsText(const ArchiveStats& s, const QString& symbol) {
    if (s.minutes == 0) return QObject::tr("No archived minutes in the stretch shown.");
    return QObject::tr("KWH %1    Cost %2    Peak %3 KW on %4    Voltage mean %5 V, lowest %6 V, highest %7 V")
        .arg(formatNumber(s.kwh, u"##,##0.00"), formatMoney(s.cost, u"$##,##0.00", symbol), formatNumber(s.peakKw, u"##0.0"),
             when(s.peakMs), formatNumber(s.voltsMean, u"##0.0"), formatNumber(s.voltsMin, u"##0.0"),
             formatNumber(s.voltsMax, u"##0.0"));
}

QPushButton* button(const char* name, const QString& caption, const QString& tip = QString()) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    return b;
}

}  // namespace

ExplorerWindow::ExplorerWindow(const DataDir& dir, const Clock& clock, QWidget* parent)
    : QWidget(parent), dir_(dir), clock_(clock), reader_(dir) {
    setObjectName(QStringLiteral("ExplorerWindow"));
    setWindowTitle(tr("Explore"));
    chooseFile_ = [](QWidget* p, const QString& suggestion) {
        return QFileDialog::getSaveFileName(p, tr("Export CSV"), suggestion, tr("CSV files (*.csv)"));
    };
    plot_ = new ExplorerPlot;
    plot_->installEventFilter(this);
    stats_ = new QLabel;
    stats_->setObjectName(QStringLiteral("Label_Stats"));
    stats_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_ = new QStatusBar;
    status_->setObjectName(QStringLiteral("StatusLine"));
    status_->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildControls());
    layout->addWidget(plot_, 1);
    layout->addWidget(stats_);
    layout->addWidget(status_);
    resize(1100, 640);

    connect(&reader_, &ArchiveReader::seriesReady, this, &ExplorerWindow::showResult);
    connect(&reader_, &ArchiveReader::statsReady, this, &ExplorerWindow::showStats);
    connect(&reader_, &ArchiveReader::monthsFound, this, &ExplorerWindow::monthsFound);
    connect(plot_, &ExplorerPlot::viewChanged, this, &ExplorerWindow::requestData);
    // A view that reaches the present takes in each new minute.
    follow_ = new QTimer(this);
    follow_->setInterval(60'000);
    connect(follow_, &QTimer::timeout, this, &ExplorerWindow::followNow);
    follow_->start();
    reader_.listMonths();
    applyRange();
}

void ExplorerWindow::followNow() {
    const qint64 now = clock_.now().toMSecsSinceEpoch();
    if (plot_->view().contains(now) || plot_->view().contains(now - 60'000)) requestData();
}

ExplorerWindow::~ExplorerWindow() = default;

QWidget* ExplorerWindow::buildControls() {
    range_ = new QComboBox;
    range_->setObjectName(QStringLiteral("CMB_Range"));
    for (int r = 0; r < kExploreRanges; ++r) range_->addItem(rangeName(ExploreRange(r)));
    const QDate today = clock_.now().date();
    from_ = new QDateEdit(today.addDays(-7));
    from_->setObjectName(QStringLiteral("Date_From"));
    to_ = new QDateEdit(today);
    to_->setObjectName(QStringLiteral("Date_To"));
    for (QDateEdit* d : {from_, to_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setEnabled(false);
        connect(d, &QDateEdit::dateChanged, this, &ExplorerWindow::applyRange);
    }
    quantity_ = new QComboBox;
    quantity_->setObjectName(QStringLiteral("CMB_Quantity"));
    for (int q = 0; q < kArchiveQuantities; ++q) quantity_->addItem(quantityName(ArchiveQuantity(q)));
    compare_ = new QComboBox;
    compare_->setObjectName(QStringLiteral("CMB_Compare"));
    compare_->addItems({tr("No comparison"), tr("Compare: week before"), tr("Compare: month before"),
                        tr("Compare: year before")});
    connect(range_, &QComboBox::currentIndexChanged, this, [this] {
        from_->setEnabled(range() == ExploreRange::Dates);
        to_->setEnabled(range() == ExploreRange::Dates);
        applyRange();
    });
    connect(quantity_, &QComboBox::currentIndexChanged, this, &ExplorerWindow::requestData);
    connect(compare_, &QComboBox::currentIndexChanged, this, &ExplorerWindow::requestData);

    auto* whole = button("CMD_WholeRange", tr("Whole range"), tr("Back to the whole range chosen"));
    connect(whole, &QPushButton::clicked, this, [this] { plot_->setView(plot_->whole()); });
    auto* printButton = button("CMD_Print", tr("Print"), tr("Print the chart shown"));
    connect(printButton, &QPushButton::clicked, this, &ExplorerWindow::print);
    auto* exportButton = button("CMD_Export_CSV", tr("Export CSV..."), tr("Save what is shown as a CSV file"));
    connect(exportButton, &QPushButton::clicked, this, &ExplorerWindow::exportCsv);
    auto* exit = button("CMDExit", tr("Exit"));
    connect(exit, &QPushButton::clicked, this, &QWidget::close);

    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : std::initializer_list<QWidget*>{range_, from_, to_, quantity_, compare_, whole})
        row->addWidget(w);
    row->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*>{printButton, exportButton, exit}) row->addWidget(w);
    return bar;
}

ExploreRange ExplorerWindow::range() const { return ExploreRange(range_->currentIndex()); }
ArchiveQuantity ExplorerWindow::quantity() const { return ArchiveQuantity(quantity_->currentIndex()); }
ComparePeriod ExplorerWindow::compare() const { return ComparePeriod(compare_->currentIndex()); }

void ExplorerWindow::applyRange() {
    const RangeInput in{clock_.now(), QLocale::system().firstDayOfWeek(), firstArchived_, from_->date(), to_->date()};
    plot_->setWhole(exploreRange(range(), in));
    requestData();
}

void ExplorerWindow::requestData() {
    requestedColumns_ = plot_->columns();
    reader_.request(ExploreRequest{++serial_, quantity(), plot_->view(), requestedColumns_, compare()});
    status_->showMessage(tr("Reading the archive..."));
}

void ExplorerWindow::showResult(const ExploreResult& result) {
    if (result.request.serial < shownSerial_) return;
    shownSerial_ = result.request.serial;
    ++answers_;
    const ArchiveQuantity q = result.request.quantity;
    const QString name = quantityName(q);
    const QString unit = quantityUnit(q) == QLatin1String("$") ? symbol_ : quantityUnit(q);
    plot_->setResult(result, name == unit ? name : QStringLiteral("%1 (%2)").arg(name, unit),
                     compareName(result.request.compare));
    QStringList notes;
    const int damaged = result.damage.damagedLines;
    if (damaged > 0) notes << (damaged == 1 ? tr("1 damaged line skipped") : tr("%1 damaged lines skipped").arg(damaged));
    for (const QString& month : result.damage.refusedMonths)
        notes << tr("%1 refused: not an archive file").arg(month);
    if (result.shown.fromHours) notes << tr("drawn from the hour summaries");
    status_->showMessage(notes.isEmpty() ? tr("Ready") : notes.join(QStringLiteral("; ")));
    Q_EMIT resultShown();
}

void ExplorerWindow::showStats(quint64 serial, const ArchiveStats& stats) {
    if (serial != serial_) return;
    statsSerial_ = serial;
    ++statsAnswers_;
    stats_->setText(statsText(stats, symbol_));
}

void ExplorerWindow::monthsFound(const QList<YearMonth>& months) {
    if (months.isEmpty()) return;
    firstArchived_ = QDate(months.front().year, months.front().month, 1);
    if (range() == ExploreRange::All) applyRange();
}

const ExploreResult& ExplorerWindow::shownResult() const { return plot_->result(); }

bool ExplorerWindow::eventFilter(QObject* watched, QEvent* event) {
    // A wider or narrower plot needs as many columns as it has pixels.
    if (watched == plot_ && event->type() == QEvent::Resize && plot_->columns() != requestedColumns_)
        requestData();
    return QWidget::eventFilter(watched, event);
}

void ExplorerWindow::say(const QString& message) { status_->showMessage(message); }

void ExplorerWindow::print() {
    const PrintOutcome out = printWidget(*plot_, windowTitle(), PrintJob{kWindowName, dir_.path(), clock_.now(), printerEnabled_});
    say(out.status);
}

void ExplorerWindow::exportCsv() {
    const QString suggestion = QDir(dir_.path()).filePath(
        printFileName(kWindowName, clock_.now()).replace(QStringLiteral(".pdf"), QStringLiteral(".csv")));
    const QString path = chooseFile_(this, suggestion);
    if (path.isEmpty()) return;
    QSaveFile file(path);
    const QByteArray csv = exploreCsv(shownResult());
    if (file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && file.commit()) {
        say(tr("Exported to %1").arg(QDir::toNativeSeparators(path)));
    } else {
        qWarning("The CSV file %s could not be written", qPrintable(path));
        say(tr("Could not write %1").arg(QDir::toNativeSeparators(path)));
    }
}

}  // namespace kelvora
