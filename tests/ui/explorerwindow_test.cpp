#include "ui/explorerwindow.h"

#include "history/archive_support.h"
#include "ui/explorerplot.h"
#include "support/fakes.h"
#include "support/wait.h"
#include "support/widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QWheelEvent>

using namespace kelvora;
using kelvora::testing::child;

namespace {

class Explorer : public kelvora::testing::NewYorkTime {
protected:
    void SetUp() override {
        NewYorkTime::SetUp();
        clock.set(at(2026, 12, 8, 18, 0));
        // Today until 6 PM, a 4 KW peak at 5:31 PM; the week before alike at half the power.
        record(dir, at(2026, 12, 8, 0, 0), at(2026, 12, 8, 18, 0),
               [&](const QDateTime& t) { return t == at(2026, 12, 8, 17, 31) ? 4.0 : 1.0; });
        record(dir, at(2026, 12, 1, 0, 0), at(2026, 12, 1, 18, 0), [](const QDateTime&) { return 0.5; });
    }
    void open() {
        w = std::make_unique<ExplorerWindow>(dir, clock);
        w->setPrinterEnabled(false);
        w->resize(1100, 640);
        w->show();
        settle();
    }
    void settle() { ASSERT_TRUE(kelvora::testing::waitUntil([&] { return w->idle(); }, 60'000)); }
    void choose(const char* combo, int index) {
        child<QComboBox>(*w, combo)->setCurrentIndex(index);
        settle();
    }
    void click(const char* name) { child<QPushButton>(*w, name)->click(); }
    QString status() { return child<QStatusBar>(*w, "StatusLine")->currentMessage(); }
    void mouse(QEvent::Type type, Qt::MouseButton button, int x, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        ExplorerPlot& plot = w->plot();
        const QPointF at(x, plot.plotArea().center().y());
        QMouseEvent e(type, at, plot.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, mods);
        QApplication::sendEvent(&plot, &e);
    }

    kelvora::testing::TempDataDir tmp;
    DataDir dir{tmp.path(), archiveFiles()};
    ManualClock clock;
    std::unique_ptr<ExplorerWindow> w;
};

TEST_F(Explorer, OpensOnTodaysPowerWithTheFiguresOfTheDay) {
    open();
    EXPECT_EQ(w->windowTitle(), "Explore");
    const ExploreResult& r = w->shownResult();
    EXPECT_EQ(r.request.range, timeRange(at(2026, 12, 8, 0, 0), at(2026, 12, 9, 0, 0)));
    EXPECT_EQ(r.request.columns, w->plot().plotArea().width());
    ASSERT_FALSE(r.shown.points.empty());
    float peak = 0;
    for (const PlotPoint& p : r.shown.points) peak = std::max(peak, p.max);
    EXPECT_EQ(peak, 4.0f);  // one minute in 1,080, still there
    const QString stats = child<QLabel>(*w, "Label_Stats")->text();
    for (const char* figure : {"KWH 18.09", "Peak 4.0 KW on Tue 8 Dec 2026 17:31", "Voltage mean 240.0 V"})
        EXPECT_TRUE(stats.contains(figure)) << stats.toStdString();
}

TEST_F(Explorer, WheelRubberBandDragAndWholeRangeMoveTheView) {
    open();
    ExplorerPlot& plot = w->plot();
    const TimeRange day = plot.whole();
    const QRect a = plot.plotArea();
    QWheelEvent wheel(QPointF(a.center()), plot.mapToGlobal(QPointF(a.center())), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&plot, &wheel);
    EXPECT_NEAR(double(plot.view().span()), day.span() * 0.8, 60'000);
    settle();
    EXPECT_EQ(w->shownResult().request.range, plot.view());

    // A rubber band over the left quarter of the plot.
    const TimeRange before = plot.view();
    mouse(QEvent::MouseButtonPress, Qt::RightButton, a.left());
    mouse(QEvent::MouseMove, Qt::RightButton, a.left() + a.width() / 4);
    mouse(QEvent::MouseButtonRelease, Qt::RightButton, a.left() + a.width() / 4);
    EXPECT_EQ(plot.view().from, before.from);
    EXPECT_NEAR(double(plot.view().span()), before.span() / 4.0, before.span() / 100.0);

    // Dragged right by half the plot: earlier by half the view, not before the day.
    const TimeRange banded = plot.view();
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, a.center().x());
    mouse(QEvent::MouseMove, Qt::LeftButton, a.center().x() + a.width() / 2);
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, a.center().x() + a.width() / 2);
    EXPECT_EQ(plot.view().from, std::max(day.from, banded.from - banded.span() / 2));
    EXPECT_EQ(plot.view().span(), banded.span());
    settle();

    click("CMD_WholeRange");
    EXPECT_EQ(plot.view(), day);
    settle();
    EXPECT_EQ(w->shownResult().request.range, day);
}

TEST_F(Explorer, QuantitiesRangesAndCompareComeFromTheirCombos) {
    open();
    choose("CMB_Compare", 1);  // the week before, under the day shown
    const ExploreResult& r = w->shownResult();
    EXPECT_EQ(r.compareRange, timeRange(at(2026, 12, 1, 0, 0), at(2026, 12, 2, 0, 0)));
    ASSERT_EQ(r.compare.points.size(), r.shown.points.size());
    EXPECT_EQ(r.compare.points.back().ms, r.shown.points.back().ms);
    EXPECT_EQ(r.compare.points.front().mean, 0.5f);
    choose("CMB_Compare", 0);
    choose("CMB_Quantity", int(ArchiveQuantity::KwhPerHour));
    EXPECT_EQ(w->shownResult().shown.bars.size(), 18u);
    choose("CMB_Quantity", int(ArchiveQuantity::Volts));
    EXPECT_EQ(w->shownResult().shown.points.front().mean, 240.0f);
    auto* from = child<QDateEdit>(*w, "Date_From");
    EXPECT_FALSE(from->isEnabled());
    choose("CMB_Range", int(ExploreRange::Dates));
    EXPECT_TRUE(from->isEnabled());
    from->setDate(QDate(2026, 12, 1));
    child<QDateEdit>(*w, "Date_To")->setDate(QDate(2026, 12, 8));
    settle();
    EXPECT_EQ(w->plot().whole(), timeRange(at(2026, 12, 1, 0, 0), at(2026, 12, 9, 0, 0)));
    choose("CMB_Range", int(ExploreRange::All));
    EXPECT_EQ(w->plot().whole(), timeRange(at(2026, 12, 1, 0, 0), at(2026, 12, 9, 0, 0)));
}

TEST_F(Explorer, ExportSavesWhatIsShownAndPrintSavesAPdfWithoutAPrinter) {
    open();
    QString suggested;
    w->setFileChooser(
        [&](QWidget*, const QString& suggestion) { return suggested = suggestion, dir.filePath("shown.csv"); });
    click("CMD_Export_CSV");
    EXPECT_TRUE(suggested.endsWith(".csv"));
    const QList<QByteArray> lines = tmp.contents("shown.csv").split('\n');
    EXPECT_EQ(lines[0], "series,time,min,mean,max\r");
    EXPECT_TRUE(lines[1].startsWith("shown,2026-12-08T00:0")) << lines[1].constData();
    EXPECT_TRUE(status().contains("Exported")) << status().toStdString();

    w->setFileChooser([](QWidget*, const QString&) { return QString(); });  // cancelled
    click("CMD_Export_CSV");
    EXPECT_TRUE(status().contains("Exported"));

    click("CMD_Print");
    EXPECT_TRUE(status().contains("saved as")) << status().toStdString();
    EXPECT_EQ(QDir(tmp.path()).entryList({"Explore *.pdf"}).size(), 1);

    click("CMDExit");
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Explorer, TheStatusCountsDamagedLinesAndNamesARefusedMonth) {
    QByteArray december = tmp.contents(files::archiveMinutes(2026, 12));
    dir.writeWhole(files::archiveMinutes(2026, 12), december + "bad line\r\n2026-12-08T18:00:00-05:00,x,1,1,1,1,1\r\n");
    {
        QFile huge(dir.filePath(files::archiveMinutes(2026, 11)));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(100LL * 1024 * 1024));
    }
    open();
    EXPECT_TRUE(status().contains("2 damaged lines skipped")) << status().toStdString();
    choose("CMB_Range", int(ExploreRange::LastMonth));
    EXPECT_TRUE(status().contains("2026-11 refused")) << status().toStdString();
    EXPECT_TRUE(w->shownResult().shown.points.empty());
}

}  // namespace
