#include "ui/chartprint.h"

#include "common/clock.h"
#include "common/datadir.h"
#include "common/format.h"
#include "common/records.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <algorithm>

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

// Steps 3 to 5 of the print sequence on a page device: a line holding a
// blank, the picture at (0, 0) in its natural size (its size on the screen),
// shrunk to the page when it is larger, and the end of the document.
bool paintPage(QPaintDevice& device, const QPixmap& picture, double screenDpi) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    painter.drawText(QPointF(0, painter.fontMetrics().ascent()), QStringLiteral(" "));
    QSizeF size = picture.deviceIndependentSize() * (device.logicalDpiX() / screenDpi);
    const QSizeF page(device.width(), device.height());
    const double shrink = std::min({1.0, page.width() / size.width(), page.height() / size.height()});
    size *= shrink;  // the same factor both ways keeps the chart's proportions
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(QPointF(0, 0), size), picture, QRectF(picture.rect()));
    return painter.end();
}

bool printOn(const QPrinterInfo& info, const QPixmap& picture, double screenDpi) {
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setPageOrientation(kOrientation);
    printer.setPageMargins(kMarginsMm, QPageLayout::Millimeter);
    return paintPage(printer, picture, screenDpi);
}

std::optional<QByteArray> pdfOf(const QPixmap& picture, double screenDpi, const QString& title) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Kelvora"));
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(localPageSize(), kOrientation, kMarginsMm, QPageLayout::Millimeter));
        if (!paintPage(pdf, picture, screenDpi)) return std::nullopt;
    }
    return buffer.data();
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
PrintOutcome printPicture(const QPixmap& picture, double screenDpi, const QString& title, const PrintJob& job) {
    PrintOutcome out;
    const QPrinterInfo printer = job.usePrinter ? QPrinterInfo::defaultPrinter() : QPrinterInfo();
    if (!printer.isNull()) {
        if (printOn(printer, picture, screenDpi)) {
            out.ok = true;
            out.printer = printer.printerName();
            out.status = QObject::tr("Sent to the printer %1.").arg(out.printer);
            return out;
        }
        qWarning("The printer %s did not take the chart; saving it as a PDF", qPrintable(printer.printerName()));
    }
    const DataDir dir(job.pdfDirectory);
    const QString name = freeName(dir, job.windowName, job.when);
    out.pdfPath = QDir::toNativeSeparators(dir.filePath(name));
    const auto pdf = pdfOf(picture, screenDpi, title);
    out.ok = pdf && dir.writeWhole(name, *pdf);
    if (!out.ok) {
        qWarning("The chart could not be saved as %s", qPrintable(out.pdfPath));
        out.status = QObject::tr("The chart could not be printed nor saved as %1.").arg(out.pdfPath);
        return out;
    }
    out.status = printer.isNull() ? QObject::tr("No printer: the chart is saved as %1").arg(out.pdfPath)
                                  : QObject::tr("The printer did not take the page: saved as %1").arg(out.pdfPath);
    return out;
}

}  // namespace

PrintOutcome printChart(ChartView& chart, const PrintJob& job) {
    chart.copyToClipboard();                                             // 1
    QPixmap picture = QApplication::clipboard()->pixmap();               // 4, from the clipboard
    if (picture.isNull()) picture = chart.picture();  // a platform without a clipboard
    return printPicture(picture, chart.logicalDpiX(), chart.title(), job);
}

PrintOutcome printWidget(QWidget& widget, const QString& title, const PrintJob& job) {
    const QPixmap grabbed = widget.grab();
    QApplication::clipboard()->setPixmap(grabbed);
    QPixmap picture = QApplication::clipboard()->pixmap();
    if (picture.isNull()) picture = grabbed;
    return printPicture(picture, widget.logicalDpiX(), title, job);
}

namespace {

// A text field as spreadsheets read it: quoted, an inner quote doubled.
QByteArray csvText(const QString& text) {
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

}  // namespace

QByteArray chartCsv(const QList<ChartPoint>& points, const QString& labelHeader, const QString& valueHeader) {
    QByteArray csv = csvText(labelHeader) + ',' + csvText(valueHeader) + "\r\n";
    for (const ChartPoint& p : points) csv += csvText(p.label) + ',' + numberText(p.value).toLatin1() + "\r\n";
    return csv;
}

bool writeChartCsv(const QString& path, const QList<ChartPoint>& points, const QString& labelHeader,
                   const QString& valueHeader) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(chartCsv(points, labelHeader, valueHeader));
    return file.commit();
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

void ChartActions::show(const QString& message) { statusLine()->showMessage(message); }

void ChartActions::print() {
    lastPrint_ = printChart(chart_, PrintJob{windowName_, dataDirectory_, clock_.now(), printerEnabled_});
    show(lastPrint_.status);
}

void ChartActions::exportCsv() {
    const QString suggestion =
        QDir(dataDirectory_).filePath(printFileName(windowName_, clock_.now()).replace(QStringLiteral(".pdf"), QStringLiteral(".csv")));
    const QString path = chooseFile_(window_, suggestion);
    if (path.isEmpty()) return;
    const QList<ChartPoint> points = chart_.points();
    const QString labelHeader = chart_.categoryAxisTitle().isEmpty() ? tr("Label") : chart_.categoryAxisTitle();
    QString valueHeader = chart_.valueAxisTitle().isEmpty() ? chart_.title().simplified() : chart_.valueAxisTitle();
    if (valueHeader.isEmpty()) valueHeader = tr("Value");
    if (writeChartCsv(path, points, labelHeader, valueHeader)) {
        show(tr("Exported %1 points to %2").arg(points.size()).arg(QDir::toNativeSeparators(path)));
    } else {
        qWarning("The CSV file %s could not be written", qPrintable(path));
        show(tr("Could not write %1").arg(QDir::toNativeSeparators(path)));
    }
}

}  // namespace kelvora
