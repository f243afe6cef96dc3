#include "ui/chartprint.h"
#include "ui/chartservice.h"
#include "support/fakes.h"
#include "common/clock.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

QList<ChartPoint> pointsOneTo(int n) {
    QList<ChartPoint> points;
    for (int i = 1; i <= n; ++i) points.append({QStringLiteral("12:%1:00").arg(i % 60, 2, 10, QChar(u'0')), i * 0.5});
    return points;
}

// The page sizes of a PDF as [x0 y0 x1 y1] boxes, and its page count.
struct PdfPages {
    explicit PdfPages(const QByteArray& pdf) {
        const QString text = QString::fromLatin1(pdf);
        const QRegularExpression box(QStringLiteral(R"(/MediaBox\s*\[\s*([\d.]+)\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)\s*\])"));
        for (auto m = box.globalMatch(text); m.hasNext();) {
            const auto hit = m.next();
            boxes.append(QSizeF(hit.captured(3).toDouble() - hit.captured(1).toDouble(),
                                hit.captured(4).toDouble() - hit.captured(2).toDouble()));
        }
        const auto count = QRegularExpression(QStringLiteral(R"(/Type\s*/Pages\b[^>]*/Count\s+(\d+))")).match(text);
        pages = count.hasMatch() ? count.captured(1).toInt() : -1;
    }
    QList<QSizeF> boxes;
    int pages = -1;
};

}  // namespace

TEST(ChartColor, ComponentsAboveTheRangeAreClamped) {
    const struct { int r, g, b; QColor shown; } cases[] = {
        {0, 400, 0, QColor(0, 255, 0)},      {0, 0, 500, QColor(0, 0, 255)},
        {400, 0, 0, QColor(255, 0, 0)},      {-5, 300, 128, QColor(0, 255, 128)},
        {12, 34, 56, QColor(12, 34, 56)}};
    for (const auto& c : cases) EXPECT_EQ(chartColor(c.r, c.g, c.b), c.shown) << c.r << "," << c.g << "," << c.b;
}

TEST(ChartView, ColumnCountZeroThenOneClearsValuesButKeepsRowsAndLabels) {
    ChartView chart;
    chart.setPoints(pointsOneTo(5));
    chart.setColumnCount(0);
    chart.setColumnCount(1);
    EXPECT_EQ(chart.rowCount(), 5);
    EXPECT_TRUE(chart.points().isEmpty());
    EXPECT_EQ(chart.rowLabel(3), "12:03:00");
    chart.setRow(3);
    chart.setData(QStringLiteral("7.25"));
    ASSERT_EQ(chart.points().size(), 1);
    EXPECT_DOUBLE_EQ(chart.points()[0].value, 7.25);
    EXPECT_FALSE(chart.value(2).has_value());
}

TEST(ChartView, RowDataEditsAreDrawnInOneLoad) {
    ChartView chart;
    const int before = chart.loadCount();
    for (int i = 1; i <= 60; ++i) {
        chart.setRow(i);
        chart.setData(QString::number(i));
        chart.setRowLabel(QStringLiteral("t%1").arg(i));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.loadCount(), before + 1);
    EXPECT_EQ(chart.rowCount(), 60);
    EXPECT_EQ(chart.points().last().label, "t60");

    chart.setPoints(pointsOneTo(20160));
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.loadCount(), before + 2);
    EXPECT_EQ(chart.points().size(), 20160);
}

TEST(ChartView, FixedValueAxisStaysWhenDataChangesAndAutoFitsTheData) {
    ChartView chart;
    chart.setValueAxisAuto(false);
    chart.setValueAxisMinimum(-0.8);
    chart.setValueAxisMaximum(5.4);
    chart.setPoints(pointsOneTo(60));  // values 0.5 .. 30
    EXPECT_FALSE(chart.valueAxisAuto());
    EXPECT_DOUBLE_EQ(chart.valueAxisMinimum(), -0.8);
    EXPECT_DOUBLE_EQ(chart.valueAxisMaximum(), 5.4);
    chart.setValueAxisAuto(true);
    EXPECT_LE(chart.valueAxisMinimum(), 0.5);
    EXPECT_GE(chart.valueAxisMaximum(), 30.0);
    EXPECT_LT(chart.valueAxisMaximum(), 40.0);
}

TEST(ChartView, BarChartShowsEveryRowAndTheCopyIsItsPicture) {
    ChartView chart(ChartView::Style::Bars);
    chart.resize(600, 300);
    chart.setPointFillColor(0, 0, 500);
    chart.setPoints(pointsOneTo(60));
    EXPECT_EQ(chart.pointFillColor(), QColor(0, 0, 255));
    EXPECT_EQ(chart.points().size(), 60);
    chart.copyToClipboard();
    const QPixmap copied = QApplication::clipboard()->pixmap();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.deviceIndependentSize().toSize(), QSize(600, 300));
}

TEST(ChartPrint, WithoutAPrinterTheChartBecomesAOnePageLandscapePdf) {
    TempDataDir tmp;
    ChartView chart;
    chart.resize(800, 450);
    chart.setTitle(QStringLiteral("Current  KW  Trend"));
    chart.setPoints(pointsOneTo(60));
    const QDateTime when(QDate(2026, 7, 3), QTime(14, 5, 9));
    const PrintOutcome out = printChart(chart, PrintJob{QStringLiteral("CurrentTrend"), tmp.path(), when, false});
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(QFileInfo(out.pdfPath).fileName(), "CurrentTrend 2026-07-03 140509.pdf");
    EXPECT_TRUE(out.status.contains(out.pdfPath)) << out.status.toStdString();
    const QByteArray pdf = tmp.contents(QFileInfo(out.pdfPath).fileName());
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const PdfPages pages(pdf);
    EXPECT_EQ(pages.pages, 1);
    ASSERT_FALSE(pages.boxes.isEmpty());
    for (const QSizeF& box : pages.boxes) EXPECT_GT(box.width(), box.height());
    EXPECT_GT(pdf.size(), 10000);  // the chart's picture, not an empty page

    // A second print in the same second does not overwrite the first.
    const PrintOutcome again = printChart(chart, PrintJob{QStringLiteral("CurrentTrend"), tmp.path(), when, false});
    ASSERT_TRUE(again.ok);
    EXPECT_NE(again.pdfPath, out.pdfPath);
    EXPECT_TRUE(QFileInfo::exists(out.pdfPath));
}

TEST(ChartPrint, APdfThatCannotBeWrittenIsReportedNotClaimed) {
    ChartView chart;
    const PrintOutcome out = printChart(
        chart, PrintJob{QStringLiteral("CurrentTrend"), QStringLiteral("/nonexistent/kelvora"), QDateTime(), false});
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(out.status.contains(QStringLiteral("could not"))) << out.status.toStdString();
}

TEST(ChartCsv, SixtyPointsGiveAHeaderAndOneLinePerPoint) {
    QList<ChartPoint> points = pointsOneTo(60);
    points[0].label = QStringLiteral("say \"hi\", 1");  // a quote would break the field
    const QList<QByteArray> lines = chartCsv(points, QStringLiteral("Time"), QStringLiteral("KW")).split('\n');
    ASSERT_EQ(lines.size(), 62);  // 61 lines, each ended by CR LF
    EXPECT_EQ(lines[0], "\"Time\",\"KW\"\r");
    EXPECT_EQ(lines[1], "\"say hi, 1\",0.5\r");
    EXPECT_EQ(lines[60], "\"12:00:00\",30\r");
    EXPECT_EQ(lines[61], "");
}

TEST(ChartActions, ButtonsPrintToAPdfAndExportThePointsShown) {
    TempDataDir tmp;
    ManualClock clock(QDateTime(QDate(2026, 7, 3), QTime(14, 5, 9)));
    QWidget window;
    ChartView chart(ChartView::Style::Line, &window);
    chart.resize(700, 400);
    chart.setCategoryAxisTitle(QStringLiteral("Time (2 Minute)"));
    chart.setTitle(QStringLiteral("Current  KW  Trend"));
    chart.setPoints(pointsOneTo(60));
    ChartActions actions(chart, QStringLiteral("CurrentTrend"), tmp.path(), clock, &window);
    actions.setPrinterEnabled(false);
    QString offered;
    QString answer = QDir(tmp.path()).filePath(QStringLiteral("out.csv"));
    actions.setFileChooser([&](QWidget*, const QString& suggestion) {
        offered = suggestion;
        return answer;
    });

    actions.makePrintButton(QStringLiteral("CNDPrint_KWHistory"))->click();
    EXPECT_TRUE(QFileInfo::exists(actions.lastPrint().pdfPath));
    EXPECT_TRUE(actions.statusLine()->currentMessage().contains(actions.lastPrint().pdfPath));

    QPushButton* exportButton = actions.makeExportButton();
    EXPECT_EQ(exportButton->text(), "Export CSV...");
    exportButton->click();
    EXPECT_TRUE(offered.endsWith(QStringLiteral("CurrentTrend 2026-07-03 140509.csv"))) << offered.toStdString();
    const QByteArray csv = tmp.contents(QStringLiteral("out.csv"));
    EXPECT_TRUE(csv.startsWith("\"Time (2 Minute)\",\"Current KW Trend\"\r\n"));
    EXPECT_EQ(csv.count('\n'), 61);
    EXPECT_TRUE(actions.statusLine()->currentMessage().contains(QStringLiteral("60 points")));

    // A cancelled dialog writes nothing; a file that cannot be written is said so.
    answer.clear();
    exportButton->click();
    answer = QStringLiteral("/nonexistent/dir/out.csv");
    exportButton->click();
    EXPECT_TRUE(actions.statusLine()->currentMessage().startsWith(QStringLiteral("Could not write")));
}
