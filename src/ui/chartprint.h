#pragma once
#include "ui/chartcsv.h"
#include "ui/chartservice.h"
#include "ui/printqueue.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QPushButton;
class QStatusBar;

namespace kelvora {

class Clock;

// Where a printed chart goes.
struct PrintJob {
    QString windowName;    // names the PDF: "CurrentTrend 2026-12-07 141509.pdf"
    QString pdfDirectory;  // where the PDF goes: beside the data files
    QDateTime when;        // names the PDF
    bool usePrinter = true;  // false: straight to a PDF
};

struct PrintOutcome {
    bool ok = false;
    QString printer;  // the printer whose queue took the job; empty for a PDF
    QString jobName;  // the name the job or PDF carries: the chart's title
    QString pdfPath;  // the PDF written, if any
    QString status;   // what the window's status line shows
};

// The print sequence of every "Print Trend" button: the chart's picture to
// the clipboard, a landscape page, one line holding a blank, the chart at
// (0, 0) in its natural size (its size on the screen, shrunk only to fit the
// page), end of document. The chart is drawn into the printer's own painter,
// so lines and text are as sharp as the printer makes them. The job carries
// the chart's title. The page goes to the system's default printer; without
// one, or when the print system does not take the job, to a one-page PDF in
// job.pdfDirectory, so a user always gets a page, and the status says which
// happened. Nothing is reported in a modal box.
PrintOutcome printChart(ChartView& chart, const PrintJob& job, PrintQueue& queue = systemPrintQueue());

// The same sequence for a picture drawn by a widget of its own (the
// explorer's plot): its picture to the clipboard, then printed as above.
PrintOutcome printWidget(QWidget& widget, const QString& title, const PrintJob& job,
                         PrintQueue& queue = systemPrintQueue());

// The PDF's file name (no directory) for a window and a time.
QString printFileName(const QString& windowName, const QDateTime& when);

// The "Print Trend" and "Export CSV..." buttons of a chart window and the
// status line they report in. The window places the widgets it asks for.
class ChartActions : public QObject {
    Q_OBJECT
public:
    ChartActions(ChartView& chart, QString windowName, QString dataDirectory, const Clock& clock,
                 QWidget* window);

    QPushButton* makePrintButton(const QString& objectName, const QString& caption = tr("Print Trend"));
    QPushButton* makeExportButton();  // "Export CSV...", objectName "CMD_Export_CSV"
    QStatusBar* statusLine();         // objectName "StatusLine"

    void print();
    void exportCsv();
    const PrintOutcome& lastPrint() const { return lastPrint_; }

    // Asks where to save the CSV (a file dialog unless replaced); an empty
    // answer cancels.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggestion)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    // The export's column headers; without them the axis titles name the columns.
    void setCsvColumns(CsvColumns columns) { csvColumns_ = std::move(columns); }
    // The export's rows; without them, the points the chart shows.
    using CsvSource = std::function<QList<CsvRow>()>;
    void setCsvRows(CsvSource source) { csvRows_ = std::move(source); }
    // Off: print straight to a PDF, whatever printers there are.
    void setPrinterEnabled(bool on) { printerEnabled_ = on; }
    // The printers to print on (the system's unless replaced).
    void setPrintQueue(PrintQueue& queue) { queue_ = &queue; }

private:
    void show(const QString& message);
    CsvColumns axisColumns() const;

    ChartView& chart_;
    QString windowName_;
    QString dataDirectory_;
    const Clock& clock_;
    QWidget* window_;
    QStatusBar* status_ = nullptr;
    FileChooser chooseFile_;
    bool printerEnabled_ = true;
    PrintQueue* queue_ = &systemPrintQueue();
    std::optional<CsvColumns> csvColumns_;
    CsvSource csvRows_;
    PrintOutcome lastPrint_;
};

}  // namespace kelvora
