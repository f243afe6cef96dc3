#include "ui/chartprint.h"
#include "ui/printqueue.h"
#include "support/fakes.h"

#include "common/clock.h"

#include <QBuffer>
#include <QDir>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

// A print system with one printer that takes or refuses every job. Each job
// is painted into a PDF, as a real queue would get it.
class FakePrintQueue : public PrintQueue {
public:
    QString printer;
    bool accepts = true;
    QStringList jobNames;
    QByteArray page;

    QString defaultPrinter() const override { return printer; }
    PrintResult print(const QString&, const QString& jobName, const PagePainter& paint) override {
        jobNames << jobName;
        QBuffer buffer(&page);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(1200);
        if (!paint(pdf)) return PrintResult{false, {}, "cannot paint"};
        if (!accepts) return PrintResult{false, {}, "Destination is not accepting jobs"};
        return PrintResult{true, "17", {}};
    }
};

// The text of a PDF, blanks folded; empty without pdftotext.
QString pdfText(const QByteArray& pdf) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) return {};
    QProcess p;
    p.start(tool, {QStringLiteral("-"), QStringLiteral("-")});
    p.write(pdf);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

struct PrintRig {
    TempDataDir tmp;
    ManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(4, 57, 17))};
    QWidget window;
    ChartView chart{ChartView::Style::Bars, &window};
    ChartActions actions{chart, QStringLiteral("KWH_HistoryTrend"), tmp.path(), clock, &window};
    FakePrintQueue queue;
    PrintRig() {
        chart.resize(800, 450);
        chart.setTitle(QStringLiteral("KWH Hourly - Usage"));
        chart.setValueAxisTitle(QStringLiteral("KWH"));
        QList<ChartPoint> points;
        for (int i = 1; i <= 60; ++i) points.append({QStringLiteral("Mon 7 %1:00 AM").arg(i % 12 + 1), i * 0.1});
        chart.setPoints(points);
        actions.setPrintQueue(queue);
    }
    QStringList pdfs() const { return QDir(tmp.path()).entryList({QStringLiteral("*.pdf")}); }
};

}  // namespace

// A job goes to the default printer under the chart's title; a refused one
// becomes the PDF beside the data files, never reported as sent.
TEST(ChartPrint, ARefusedJobBecomesThePdfAndSaysSo) {
    const struct { const char* name; QString printer; bool accepts, pdf; const char* status; } cases[] = {
        {"the queue takes it", "Office", true, false, "Sent to the printer Office as job 17."},
        {"the queue refuses it", "Office", false, true,
         "The printer Office did not take the job (Destination is not accepting jobs): the chart is saved as "},
        {"no printer", "", true, true, "No printer: the chart is saved as "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PrintRig r;
        r.queue.printer = c.printer;
        r.queue.accepts = c.accepts;
        r.actions.makePrintButton(QStringLiteral("CNDPrint_KWHistory"))->click();
        const PrintOutcome& out = r.actions.lastPrint();
        EXPECT_TRUE(out.ok);
        EXPECT_TRUE(r.actions.statusLine()->currentMessage().startsWith(c.status))
            << r.actions.statusLine()->currentMessage().toStdString();
        EXPECT_EQ(r.queue.jobNames, c.printer.isEmpty() ? QStringList() : QStringList{"KWH Hourly - Usage"});
        EXPECT_EQ(out.printer, c.accepts && !c.printer.isEmpty() ? c.printer : QString());
        EXPECT_EQ(r.pdfs(), c.pdf ? QStringList{"KWH_HistoryTrend 2026-12-07 045717.pdf"} : QStringList());
        if (c.pdf) {
            EXPECT_TRUE(r.actions.statusLine()->currentMessage().endsWith(out.pdfPath));
        }
    }
}

// The printer's page carries the chart as text and lines, not a screen picture.
TEST(ChartPrint, ThePrinterGetsTheChartAsTextAndLines) {
    PrintRig r;
    r.queue.printer = QStringLiteral("Office");
    r.actions.print();
    ASSERT_FALSE(r.queue.page.isEmpty());
    const QString text = pdfText(r.queue.page);
    if (text.isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(text.contains(QStringLiteral("KWH Hourly - Usage"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("KWH"))) << text.toStdString();
    // The fallback PDF is drawn the same way, and names itself after the chart.
    r.queue.printer.clear();
    r.actions.print();
    const QByteArray saved = r.tmp.contents(r.pdfs().value(0));
    EXPECT_TRUE(pdfText(saved).contains(QStringLiteral("KWH Hourly - Usage")));
}

// A job the system cannot take (CUPS unreachable, no such printer) is refused
// with a reason, never reported as queued.
TEST(SystemPrintQueue, AJobTheSystemCannotTakeIsRefusedWithAReason) {
    qputenv("CUPS_SERVER", "127.0.0.1:9");
    int painted = 0;
    const PrintResult result = systemPrintQueue().print(
        QStringLiteral("kelvora-no-such-queue"), QStringLiteral("KWH Hourly - Usage"), [&](QPagedPaintDevice& device) {
            ++painted;
            QPainter p;
            return p.begin(&device) && p.end();
        });
    qunsetenv("CUPS_SERVER");
    EXPECT_FALSE(result.queued);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_LE(painted, 1);
}
