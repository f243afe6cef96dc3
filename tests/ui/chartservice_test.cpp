#include "ui/chartprint.h"
#include "support/fakes.h"
#include "common/clock.h"

#include <QApplication>
#include <QChartView>
#include <QValueAxis>
#include <QClipboard>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

QList<ChartPoint> pointsOneTo(int n, double step = 0.5) {
    QList<ChartPoint> points;
    for (int i = 1; i <= n; ++i) points.append({QStringLiteral("12:%1:00").arg(i % 60, 2, 10, QChar(u'0')), i * step});
    return points;
}

// The page count of a PDF and whether its page box is wider than high.
std::pair<qsizetype, bool> pdfPages(const QByteArray& pdf) {
    const QString text = QString::fromLatin1(pdf);
    const auto box = QRegularExpression(R"(/MediaBox\s*\[\s*([\d.]+)\s+([\d.]+)\s+([\d.]+)\s+([\d.]+))").match(text);
    const auto at = [&](int i) { return box.captured(i).toDouble(); };
    return {text.count(QRegularExpression(R"(/Type\s*/Page\b)")), box.hasMatch() && at(3) - at(1) > at(4) - at(2)};
}

}  // namespace

TEST(ChartColor, ComponentsAboveTheRangeAreClamped) {
    EXPECT_EQ(chartColor(400, 34, 500), QColor(255, 34, 255));
    EXPECT_EQ(chartColor(-5, 300, 128), QColor(0, 255, 128));
}

// Row and Data edits are drawn in one load, also after a clear.
TEST(ChartView, ColumnCountZeroThenOneClearsValuesButKeepsRowsAndLabels) {
    ChartView chart;
    chart.setPoints(pointsOneTo(5));
    chart.setColumnCount(0);
    chart.setColumnCount(1);
    EXPECT_EQ(chart.rowCount(), 5);
    EXPECT_TRUE(chart.points().isEmpty());
    QCoreApplication::processEvents();
    const int before = chart.loadCount();
    for (int i = 1; i <= 60; ++i) {
        chart.setRow(i);
        chart.setData(QString::number(i * 0.25));
        chart.setRowLabel(QStringLiteral("t%1").arg(i));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.loadCount(), before + 1);
    ASSERT_EQ(chart.points().size(), 60);
    EXPECT_EQ((std::pair{chart.rowLabel(3), chart.points()[2].value}), (std::pair{QString("t3"), 0.75}));
}

// Waveforms are redrawn every two seconds with values that move a little;
// each new axis range lays the axes out again, so the range changes only when
// the values leave it or no longer fill it. The first waveform (raw counts
// near 500) after a chart of fractions: with the old interval still in force
// the axis laid out tens of thousands of ticks, seconds of CPU. Counted as the
// items in the scene while it changes.
TEST(ChartView, ANewValueRangeRefitsTheAxisOnlyWhenNeededAndNeverWithTheOldTicks) {
    ChartView chart;
    chart.resize(600, 400);
    chart.show();
    chart.setPoints(pointsOneTo(25, 0.05));  // ticks 0.2 apart
    QApplication::processEvents();
    auto* view = chart.findChild<QChartView*>();
    auto* y = view ? qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).value(0)) : nullptr;
    ASSERT_NE(y, nullptr);
    int changes = 0;
    qsizetype most = 0;
    QObject::connect(y, &QValueAxis::rangeChanged, [&] {
        ++changes;
        most = std::max(most, view->scene()->items().size());
    });
    const struct { double step; bool refits; } cases[] = {
        {4, true},     // 4 to 100: 500 of the old ticks
        {3.9, false},  // 3.9 .. 97.5: the same grid, inside the range
        {4, false},
        {4.4, true},   // up to 110: out of the range
        {0.4, true},   // 0.4 .. 10: a tenth of it
    };
    for (const auto& c : cases) {
        changes = 0;
        chart.setPoints(pointsOneTo(25, c.step));
        QApplication::processEvents();
        EXPECT_EQ(changes > 0, c.refits) << c.step;
        EXPECT_LE(y->min(), c.step);
        EXPECT_GE(y->max(), 25 * c.step);
    }
    EXPECT_GT(most, 0);
    EXPECT_LT(most, 300);  // about 70 with round ticks; the old interval gave over 700
}

// The print sequence puts the chart's picture on the clipboard first.
TEST(ChartPrint, WithoutAPrinterTheChartBecomesAOnePageLandscapePdf) {
    TempDataDir tmp;
    ChartView chart(ChartView::Style::Bars);
    chart.resize(800, 450);
    chart.setPoints(pointsOneTo(60));
    const auto print = [&](const QString& dir) {
        return printChart(chart, PrintJob{"CurrentTrend", dir, QDateTime(QDate(2026, 7, 3), QTime(14, 5, 9)), false});
    };
    const PrintOutcome out = print(tmp.path());
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(QApplication::clipboard()->pixmap().deviceIndependentSize().toSize(), QSize(800, 450));
    EXPECT_EQ(QFileInfo(out.pdfPath).fileName(), "CurrentTrend 2026-07-03 140509.pdf");
    const QByteArray pdf = tmp.contents(QFileInfo(out.pdfPath).fileName());
    EXPECT_EQ(pdfPages(pdf), std::pair(qsizetype(1), true));  // one landscape page
    EXPECT_GT(pdf.size(), 5000);  // the chart's bars, labels and their font, not an empty page

    // A second print in the same second does not overwrite the first.
    const PrintOutcome again = print(tmp.path());
    ASSERT_TRUE(again.ok);
    EXPECT_NE(again.pdfPath, out.pdfPath);
    EXPECT_TRUE(QFileInfo::exists(out.pdfPath));
    // A PDF that cannot be written is reported, not claimed.
    const PrintOutcome failed = print("/nonexistent/kelvora");
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.status.contains(QStringLiteral("could not"))) << failed.status.toStdString();
}

// A header of the axis and chart titles, and one line per point shown.
TEST(ChartActions, ExportSavesThePointsShownUnderTheChartsTitles) {
    TempDataDir tmp;
    ManualClock clock(QDateTime(QDate(2026, 7, 3), QTime(14, 5, 9)));
    QWidget window;
    ChartView chart(ChartView::Style::Line, &window);
    chart.setCategoryAxisTitle(QStringLiteral("Time (2 Minute)"));
    chart.setTitle(QStringLiteral("Current  KW  Trend"));
    QList<ChartPoint> points = pointsOneTo(60);
    points[0].label = QStringLiteral("say \"hi\", 1");  // a quote is doubled, as spreadsheets read it
    chart.setPoints(points);
    ChartActions actions(chart, QStringLiteral("CurrentTrend"), tmp.path(), clock, &window);
    QString answer = tmp.dir().filePath("out.csv");
    actions.setFileChooser([&](QWidget*, const QString&) { return answer; });
    QPushButton* exportButton = actions.makeExportButton();
    exportButton->click();
    const QList<QByteArray> lines = tmp.contents(QStringLiteral("out.csv")).split('\n');
    ASSERT_EQ(lines.size(), 62);  // 61 lines, each ended by CR LF
    EXPECT_EQ(lines[0], "\"Time (2 Minute)\",\"Current KW Trend\"\r");
    EXPECT_EQ(lines[1], "\"say \"\"hi\"\", 1\",0.5\r");
    EXPECT_TRUE(actions.statusLine()->currentMessage().contains(QStringLiteral("60 points")));

    // A file that cannot be written is said so.
    answer = QStringLiteral("/nonexistent/dir/out.csv");
    exportButton->click();
    EXPECT_TRUE(actions.statusLine()->currentMessage().startsWith(QStringLiteral("Could not write")));
}
