#include "ui/chartprint.h"

#include "common/clock.h"
#include "common/datadir.h"
#include "common/format.h"
#include "common/records.h"

#include <QBuffer>
#include <QClipboard>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <functional>

namespace kelvora {
namespace {

// The setting a print job sets to 2: the page orientation, landscape, which
// suits the wide charts.
constexpr auto kOrientation = QPageLayout::Landscape;
const QMarginsF kMarginsMm(10, 10, 10, 10);

QPageSize localPageSize() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize(QPageSize::Letter)
                                                                              : QPageSize(QPageSize::A4);
}

// Steps 2 to 5 of the print sequence on a page device: a landscape page, a
// line holding a blank, the chart at (0, 0) in its natural size (its size on
// the screen), shrunk to the page when it is larger, and the end of the
// document. The chart is drawn as lines and text at the device's resolution.
// The landscape page and the line holding a blank that every printed page starts with.
bool beginPage(QPagedPaintDevice& device, QPainter& painter) {
    device.setPageLayout(QPageLayout(device.pageLayout().pageSize(), kOrientation, kMarginsMm,
                                     QPageLayout::Millimeter));
    if (!painter.begin(&device)) return false;
    painter.drawText(QPointF(0, painter.fontMetrics().ascent()), QStringLiteral(" "));
    return true;
}

bool paintChartPage(QPagedPaintDevice& device, ChartView& chart) {
    QPainter painter;
    if (!beginPage(device, painter)) return false;
    QSizeF size = QSizeF(chart.size()) * (device.logicalDpiX() / double(chart.logicalDpiX()));
    const QSizeF page(device.width(), device.height());
    const double shrink = std::min({1.0, page.width() / size.width(), page.height() / size.height()});
    size *= shrink;  // the same factor both ways keeps the chart's proportions
    chart.renderChart(painter, QRectF(QPointF(0, 0), size));
    return painter.end();
}

// The same page for a widget that draws itself (the explorer's plot): its
// own painting, scaled to the device's resolution.
bool paintWidgetPage(QPagedPaintDevice& device, QWidget& widget) {
    QPainter painter;
    if (!beginPage(device, painter)) return false;
    const double scale = device.logicalDpiX() / double(widget.logicalDpiX());
    const QSizeF size = QSizeF(widget.size()) * scale;
    const double shrink = std::min({1.0, device.width() / size.width(), device.height() / size.height()});
    painter.scale(scale * shrink, scale * shrink);
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return painter.end();
}

using PagePainter = std::function<bool(QPagedPaintDevice&)>;

std::optional<QByteArray> pdfOf(const PagePainter& paint, const QString& title) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Kelvora"));
        pdf.setResolution(600);
        pdf.setPageSize(localPageSize());
        if (!paint(pdf)) return std::nullopt;
    }
    return buffer.data();
}

// The name of a job: the chart's title, or the window's when it has none.
QString jobNameOf(ChartView& chart, const PrintJob& job) {
    const QString title = chart.title().simplified();
    return title.isEmpty() ? job.windowName : title;
}

// A name not yet taken in the directory (two prints in one second).
QString freeName(const DataDir& dir, const QString& windowName, const QDateTime& when) {
    QString name = printFileName(windowName, when);
    for (int n = 2; dir.exists(name); ++n)
        name = printFileName(windowName, when).replace(QStringLiteral(".pdf"), QStringLiteral(" (%1).pdf").arg(n));
    return name;
}

}  // namespace

QString printFileName(const QString& windowName, const QDateTime& when) {
    // No colons: the name must be valid on every file system.
    return QStringLiteral("%1 %2.pdf").arg(windowName, formatDate(when, u"yyyy-mm-dd hhnnss"));
}

namespace {

// Steps 2 to 5: the page to the default printer, or else to a PDF.
PrintOutcome printPage(const QString& jobName, const PagePainter& paint, const PrintJob& job, PrintQueue& queue) {
    PrintOutcome out;
    out.jobName = jobName;
    const QString printer = job.usePrinter ? queue.defaultPrinter() : QString();
    QString refusal;
    if (!printer.isEmpty()) {
        const PrintResult sent =
            queue.print(printer, out.jobName, paint);
        if (sent.queued) {
            out.ok = true;
            out.printer = printer;
            out.status = sent.jobId.isEmpty()
                             ? QObject::tr("Sent to the printer %1.").arg(printer)
                             : QObject::tr("Sent to the printer %1 as job %2.").arg(printer, sent.jobId);
            return out;
        }
        refusal = sent.error.isEmpty() ? QObject::tr("no reason given") : sent.error;
        qWarning("The printer %s did not take the job \"%s\" (%s); saving it as a PDF", qPrintable(printer),
                 qPrintable(out.jobName), qPrintable(refusal));
    }
    const DataDir dir(job.pdfDirectory);
    const QString name = freeName(dir, job.windowName, job.when);
    out.pdfPath = QDir::toNativeSeparators(dir.filePath(name));
    const auto pdf = pdfOf(paint, out.jobName);
    const bool saved = pdf && dir.writeWhole(name, *pdf);
    if (!saved) {
        qWarning("The chart could not be saved as %s", qPrintable(out.pdfPath));
        out.status = printer.isEmpty()
                         ? QObject::tr("No printer, and the chart could not be saved as %1.").arg(out.pdfPath)
                         : QObject::tr("The printer %1 did not take the job (%2), and the chart could not be "
                                       "saved as %3.")
                               .arg(printer, refusal, out.pdfPath);
        return out;
    }
    out.ok = true;
    out.status = printer.isEmpty()
                     ? QObject::tr("No printer: the chart is saved as %1").arg(out.pdfPath)
                     : QObject::tr("The printer %1 did not take the job (%2): the chart is saved as %3")
                           .arg(printer, refusal, out.pdfPath);
    return out;
}

}  // namespace

PrintOutcome printChart(ChartView& chart, const PrintJob& job, PrintQueue& queue) {
    chart.copyToClipboard();  // 1
    return printPage(jobNameOf(chart, job), [&chart](QPagedPaintDevice& d) { return paintChartPage(d, chart); }, job,
                     queue);
}

PrintOutcome printWidget(QWidget& widget, const QString& title, const PrintJob& job, PrintQueue& queue) {
    QApplication::clipboard()->setPixmap(widget.grab());  // 1
    const QString name = title.simplified().isEmpty() ? job.windowName : title.simplified();
    return printPage(name, [&widget](QPagedPaintDevice& d) { return paintWidgetPage(d, widget); }, job, queue);
}

ChartActions::ChartActions(ChartView& chart, QString windowName, QString dataDirectory, const Clock& clock,
                           QWidget* window)
    : QObject(window),
      chart_(chart),
      windowName_(std::move(windowName)),
      dataDirectory_(std::move(dataDirectory)),
      clock_(clock),
      window_(window) {
    chooseFile_ = [](QWidget* parent, const QString& suggestion) {
        return QFileDialog::getSaveFileName(parent, tr("Export CSV"), suggestion, tr("CSV files (*.csv)"));
    };
}

QPushButton* ChartActions::makePrintButton(const QString& objectName, const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setObjectName(objectName);
    connect(b, &QPushButton::clicked, this, &ChartActions::print);
    return b;
}

QPushButton* ChartActions::makeExportButton() {
    auto* b = new QPushButton(tr("Export CSV..."));
    b->setObjectName(QStringLiteral("CMD_Export_CSV"));
    b->setToolTip(tr("Save the points shown as a CSV file"));
    connect(b, &QPushButton::clicked, this, &ChartActions::exportCsv);
    return b;
}

QStatusBar* ChartActions::statusLine() {
    if (!status_) {
        status_ = new QStatusBar;
        status_->setObjectName(QStringLiteral("StatusLine"));
        status_->setSizeGripEnabled(false);
    }
    return status_;
}

CsvColumns ChartActions::axisColumns() const {
    const QString time = chart_.categoryAxisTitle().isEmpty() ? tr("Time") : chart_.categoryAxisTitle();
    QString value = chart_.valueAxisTitle().isEmpty() ? chart_.title().simplified() : chart_.valueAxisTitle();
    if (value.isEmpty()) value = tr("Value");
    return CsvColumns{time, value};
}

void ChartActions::show(const QString& message) { statusLine()->showMessage(message); }

void ChartActions::print() {
    lastPrint_ = printChart(chart_, PrintJob{windowName_, dataDirectory_, clock_.now(), printerEnabled_}, *queue_);
    show(lastPrint_.status);
}

void ChartActions::exportCsv() {
    const QString suggestion =
        QDir(dataDirectory_).filePath(printFileName(windowName_, clock_.now()).replace(QStringLiteral(".pdf"), QStringLiteral(".csv")));
    const QString path = chooseFile_(window_, suggestion);
    if (path.isEmpty()) return;
    const QList<CsvRow> rows = csvRows_ ? csvRows_() : csvRowsOf(chart_.points());
    if (writeChartCsv(path, rows, csvColumns_.value_or(axisColumns()))) {
        show(tr("Exported %1 points to %2").arg(rows.size()).arg(QDir::toNativeSeparators(path)));
    } else {
        qWarning("The CSV file %s could not be written", qPrintable(path));
        show(tr("Could not write %1").arg(QDir::toNativeSeparators(path)));
    }
}

}  // namespace kelvora
