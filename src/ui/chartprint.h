#pragma once
#include "ui/chartservice.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

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
    QString printer;  // the printer that took the page; empty for a PDF
    QString pdfPath;  // the PDF written, if any
    QString status;   // what the window's status line shows
};

// The print sequence of every "Print Trend" button: the chart's picture to
// the clipboard, a landscape page, one line holding a blank, the clipboard's
// picture at (0, 0) in its natural size (shrunk only to fit the page), end of
// document. The page goes to the system's default printer; without one, or
// when the printer refuses it, to a one-page PDF in job.pdfDirectory, so a
// user always gets a page. Nothing is reported in a modal box.
PrintOutcome printChart(ChartView& chart, const PrintJob& job);

// The same sequence for a picture drawn by a widget of its own (the
// explorer's plot): its picture to the clipboard, then printed as above.
PrintOutcome printWidget(QWidget& widget, const QString& title, const PrintJob& job);

// The PDF's file name (no directory) for a window and a time.
QString printFileName(const QString& windowName, const QDateTime& when);

// A chart's points as CSV: a header line, then one line per point, the label
// quoted and the value a plain number with a point ("12:00:05",1.5).
QByteArray chartCsv(const QList<ChartPoint>& points, const QString& labelHeader, const QString& valueHeader);
// Writes the CSV to a file the user chose, replacing it atomically.
bool writeChartCsv(const QString& path, const QList<ChartPoint>& points, const QString& labelHeader,
                   const QString& valueHeader);

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
    // Off: print straight to a PDF, whatever printers there are.
    void setPrinterEnabled(bool on) { printerEnabled_ = on; }

private:
    void show(const QString& message);

    ChartView& chart_;
    QString windowName_;
    QString dataDirectory_;
    const Clock& clock_;
    QWidget* window_;
    QStatusBar* status_ = nullptr;
    FileChooser chooseFile_;
    bool printerEnabled_ = true;
    PrintOutcome lastPrint_;
};

}  // namespace kelvora
