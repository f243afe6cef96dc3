#include "ui/appwindows.h"
#include "ui/historytrendwindow.h"

#include "common/timestamp.h"
#include "ui/chartprint.h"
#include "ui/mainwindow.h"
#include "support/started.h"
#include "support/wait.h"
#include "support/widgets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace kelvora;
using kelvora::testing::child;

namespace {

// A history file of `count` records a minute apart ending at 2:03 PM, values 1.5, 2.5, ...
QByteArray historyFile(int count) {
    QByteArray all;
    const QDateTime end = ManualClock().now();
    for (int i = 1; i <= count; ++i)
        all += QStringLiteral("\"%1\",\"%2.5\"\r\n").arg(stamp(end.addSecs(60LL * (i - count)))).arg(i).toUtf8();
    return all;
}

// A quantity's files (full up to 300 records), its window and the recorder that feeds it.
struct Rig {
    explicit Rig(int quantity = 0) : config(historyWindowConfigs()[quantity]), q(*config.quantity) {
        for (const HistorySpan& s : kHistorySpans) dir.writeWhole(q.file(s), historyFile(std::min(s.capacity, 300)));
        dir.setSavedListener([this](const QString& name) { windows.announceRewritten(name); });
        open();
    }
    void open() {
        w.reset();
        w = std::make_unique<HistoryTrendWindow>(config, windows, dir, clock);
        w->actions().setPrinterEnabled(false);
    }
    void minute(double value = 0.5) {
        clock.advanceMs(60'000);
        MinuteRecord m;
        m.stamp = clock.now();
        m.*q.value = value;
        update.History_Update(m);
    }
    void click(const QString& button) { child<QPushButton>(*w, button)->click(); }
    QString label2() const { return child<QLabel>(*w, "Label2")->text(); }

    const HistoryWindowConfig& config;
    const HistoryQuantity& q;
    kelvora::testing::TempDataDir tmp;
    DataDir dir{tmp.dir()};
    ManualClock clock;
    WindowState windows;
    HistoryUpdate update{q, windows, dir};
    std::unique_ptr<HistoryTrendWindow> w;
};

}  // namespace

TEST(HistoryTrendWindow, EachPeriodButtonShowsItsFileWhichTheChartFollowsEachMinute) {
    Rig r;
    r.w->show();
    r.windows.KW_Hist_Busy[6] = 1;  // a busy file is not reloaded by its button
    r.click("CMD7Day");
    EXPECT_EQ(r.w->fileShown(), "1KWhr.dat");
    r.windows.KW_Hist_Busy[6] = 0;
    for (int i = 7; i >= 0; --i) {
        SCOPED_TRACE(kHistorySpans[i].hours);
        auto* b = child<QPushButton>(*r.w, r.config.periodButtons[i]);
        b->click();
        EXPECT_EQ(r.w->fileShown(), files::history(kHistorySpans[i].hours, "KW"));
        EXPECT_EQ(r.windows.KW_Hist_Period, kHistorySpans[i].hours);
        for (const QString& name : r.config.periodButtons)
            EXPECT_EQ(child<QPushButton>(*r.w, name)->isEnabled(), name != b->objectName()) << name.toStdString();
    }
    // The chart follows its period's file each minute; other files leave it alone.
    r.click("CMD4Hr");
    EXPECT_EQ(r.w->chart().rowCount(), 240);
    for (int minute = 1; minute <= 2; ++minute) {
        r.minute();
        EXPECT_EQ(r.label2(), "0.50");
        EXPECT_EQ(r.w->chart().rowLabel(240), stamp(r.clock.now()));  // the time axis reads as stamps
    }
    const int loads = r.w->chart().loadCount();
    for (const char* other : {"1KWhr.dat", "4Ahr.dat", "4Vhr.dat"}) r.windows.announceRewritten(other);
    EXPECT_EQ(r.w->chart().loadCount(), loads);
}

// The other three windows follow the minute a little after the KW window,
// each after the one before it, not all in the one moment.
TEST(HistoryTrendWindow, ThePhaseAndVoltageWindowsFollowTheMinuteInTurn) {
    for (int quantity = 1; quantity <= 3; ++quantity) {
        SCOPED_TRACE(quantity);
        Rig r(quantity);
        const int loads = r.w->chart().loadCount();
        QElapsedTimer waited;
        waited.start();
        r.minute();
        EXPECT_EQ(r.w->chart().loadCount(), loads);
        EXPECT_TRUE(kelvora::testing::waitUntil([&] { return r.label2() == "0.50"; }, 2000));
        EXPECT_GE(waited.elapsed(), 25 * quantity);
        EXPECT_EQ(r.w->chart().loadCount(), loads + 1);
    }
}

TEST(HistoryTrendWindow, AMissingFileShowsAnEmptyChartAndTheVoltageAxisStaysAt100To250) {
    Rig r(3);
    QFile::remove(r.dir.filePath("1Vhr.dat"));
    r.open();
    EXPECT_EQ(r.w->chart().rowCount(), 0);
    EXPECT_EQ(child<QLineEdit>(*r.w, "Text1")->text() + child<QLineEdit>(*r.w, "Text2")->text() + r.label2(), "");
    r.click("CMD24VHr");  // values 1.5 .. 300.5
    EXPECT_EQ(r.w->chart().rowCount(), 300);
    EXPECT_EQ(r.w->chart().valueAxisMinimum(), 100);
    EXPECT_EQ(r.w->chart().valueAxisMaximum(), 250);
    r.w.reset();
    EXPECT_EQ(r.windows.VAC_Hist_Period, 24);  // kept after the window closes
}

// An open window shows the files afresh after Initialize All Data; reopened,
// it starts on the 1-hour period again.
TEST(HistoryTrendWindow, OpenedFromTheMainWindowOnTheOneHourPeriod) {
    kelvora::testing::StartedApp app;
    MainWindow main(mainWindowParts(app.core));
    addHistoryWindows(main, app.core.windows(), app.core.dir(), app.core.clock());
    const auto open = [&] {
        child<QPushButton>(main, "CMD_KW_History_Trend")->click();
        return QPointer<HistoryTrendWindow>(main.findChild<HistoryTrendWindow*>("KW_HistoryTrend"));
    };
    QPointer<HistoryTrendWindow> first = open();
    ASSERT_TRUE(first);
    app.tmp.dir().writeWhole("336KWhr.dat", historyFile(5));
    child<QPushButton>(*first, "CMD14Day")->click();
    EXPECT_EQ(first->chart().rowCount(), 5);
    app.core.initializeAllData();  // the open window shows the files afresh
    EXPECT_EQ(first->chart().rowCount(), 60);
    child<QPushButton>(*first, "CMDExit")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    QPointer<HistoryTrendWindow> again = open();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->fileShown(), "1KWhr.dat");
}

// The export names the quantity and unit and writes ISO 8601 times.
TEST(HistoryTrendWindow, ExportGivesIsoTimesAndTheQuantitysUnit) {
    const char* const columns[] = {"Average power (KW)", "Phase A current (A)", "Phase B current (A)",
                                   "Line voltage (V)"};
    for (int quantity = 0; quantity < 4; ++quantity) {
        Rig r(quantity);
        const QString out = r.tmp.dir().filePath("history.csv");
        r.w->actions().setFileChooser([&](QWidget*, const QString&) { return out; });
        r.click("CMD_Export_CSV");
        const QList<QByteArray> lines = r.tmp.contents("history.csv").split('\n');
        ASSERT_EQ(lines.size(), 62) << quantity;  // the 1-hour file's 60 records
        EXPECT_EQ(lines[0], QByteArray("\"Time (local)\",\"") + columns[quantity] + "\"\r");
        EXPECT_EQ(lines[1], "2026-12-05 13:04:00,1.5\r");
        EXPECT_EQ(lines[60], "2026-12-05 14:03:00,60.5\r");
    }
}
