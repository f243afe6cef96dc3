#include "ui/historytrendwindow.h"

#include "common/records.h"
#include "common/timestamp.h"
#include "history/historyupdate.h"
#include "ui/chartprint.h"
#include "ui/chartservice.h"
#include "ui/mainwindow.h"
#include "support/fakes.h"
#include "support/started.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

namespace {

// A history file of `count` records a minute apart ending at 2:03 PM, values 1, 2, ...
QByteArray historyFile(int count) {
    ManualClock clock;
    QByteArray all;
    for (int i = 1; i <= count; ++i)
        all += '"' + stamp(clock.now().addSecs(60LL * (i - count))).toUtf8() + "\",\"" + QByteArray::number(i) + ".5\"\r\n";
    return all;
}

// A quantity's files (full up to 300 records), its window and the recorder
// that feeds it.
struct HistoryWindows {
    explicit HistoryWindows(int quantity = 0) : config(historyWindowConfigs()[quantity]), q(*config.quantity) {
        for (const HistorySpan& s : kHistorySpans) dir.writeWhole(q.file(s), historyFile(std::min(s.capacity, 300)));
        dir.writeWhole(q.minuteFile, "\"0.5\"\r\n");
    }
    std::unique_ptr<HistoryTrendWindow> open() {
        auto w = std::make_unique<HistoryTrendWindow>(config, windows, dir, clock);
        w->actions().setPrinterEnabled(false);
        return w;
    }
    void minute() {
        clock.advanceMs(60'000);
        shared.*q.ready = 1;
        update.History_Update();
    }
    template <typename W>
    static W* find(QWidget& window, const QString& name) {
        W* w = window.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    static QString text(QWidget& w, const char* name) { return find<QLineEdit>(w, name)->text(); }
    static QString label(QWidget& w, const char* name) { return find<QLabel>(w, name)->text(); }

    const HistoryWindowConfig& config;
    const HistoryQuantity& q;
    TempDataDir tmp;
    DataDir dir{tmp.dir()};
    ManualClock clock;
    SharedState shared;
    WindowState windows;
    HistoryUpdate update{q, shared, windows, dir, clock};
};

QStringList disabledButtons(HistoryTrendWindow& w, const HistoryWindowConfig& c) {
    QStringList disabled;
    for (const QString& name : c.periodButtons)
        if (!HistoryWindows::find<QPushButton>(w, name)->isEnabled()) disabled << name;
    return disabled;
}

}  // namespace

TEST(HistoryTrendWindow, OpensOnTheOneHourPeriodOfItsQuantity) {
    const struct { int quantity; const char* caption; QColor background; const char* title; const char* axis; } cases[] = {
        {0, "KW HistoryTrend", QColor(192, 255, 192), "Avg KW Usage (1 Hour Trend)", ""},
        {1, "A_AMPS History Trend", QColor(192, 192, 192), "A_AMPS Usage (1 Hour Trend)", "AMPS"},
        {2, "B_AMPS_History Trend", QColor(192, 192, 192), "B_AMPS Usage (1 Hour Trend)", "AMPS"},
        {3, "VAC History Trend", QColor(192, 192, 192), "VAC Usage (1 Hour Trend)", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        HistoryWindows h(c.quantity);
        auto w = h.open();
        EXPECT_EQ(w->objectName(), h.q.window);
        EXPECT_EQ(w->windowTitle(), c.caption);
        EXPECT_EQ(w->palette().color(QPalette::Window), c.background);
        EXPECT_EQ(w->chart().title(), c.title);
        EXPECT_EQ(w->chart().valueAxisTitle(), c.axis);
        EXPECT_EQ(w->chart().categoryAxisTitle(), "Time");
        EXPECT_EQ(w->chart().rowCount(), 60);
        EXPECT_EQ(w->chart().penColor(), QColor(0, 255, 0));
        EXPECT_EQ(w->fileShown(), h.q.file(kHistorySpans[0]));
        EXPECT_EQ(h.windows.*h.q.period, 1);
        EXPECT_TRUE(h.windows.isOpen(h.q.window));
        EXPECT_EQ(disabledButtons(*w, h.config), QStringList{h.config.periodButtons[0]});
        EXPECT_EQ(HistoryWindows::text(*w, "Text1"), "12/5/2026  1:04:00 PM");
        EXPECT_EQ(HistoryWindows::text(*w, "Text2"), "12/5/2026  2:03:00 PM");
        EXPECT_EQ(HistoryWindows::label(*w, "Label3"), "Current:");
        EXPECT_EQ(HistoryWindows::label(*w, "Label2"), "60.50");
        EXPECT_EQ(w->chart().rowLabel(60), "12/5/2026  2:03:00 PM");  // the time axis reads as stamps
    }
    EXPECT_EQ(historyWindowConfigs()[1].periodButtons[6], "CMD7ADay");
}

TEST(HistoryTrendWindow, EachPeriodButtonShowsItsFileAndIsTheOnlyOneDisabled) {
    HistoryWindows h;
    auto w = h.open();
    w->show();
    const char* captions[] = {"1 Hr", "4 Hr", "8 Hr", "12 Hr", "24 Hr", "48 Hr", "7 Day", "14 Day"};
    const char* titles[] = {"1 Hour", "4 Hour", "8 Hour", "12 Hour", "24 Hour", "48 Hour", "7 Day", "14 Day"};
    int lastX = -1;
    for (int i = 7; i >= 0; --i) {
        SCOPED_TRACE(captions[i]);
        auto* b = HistoryWindows::find<QPushButton>(*w, h.config.periodButtons[i]);
        EXPECT_EQ(b->text(), captions[i]);
        b->click();
        EXPECT_EQ(w->chart().title(), QStringLiteral("Avg KW Usage (%1 Trend)").arg(titles[i]));
        EXPECT_EQ(w->fileShown(), files::history(kHistorySpans[i].hours, "KW"));
        EXPECT_EQ(h.windows.KW_Hist_Period, kHistorySpans[i].hours);
        EXPECT_EQ(w->chart().rowCount(), std::min(kHistorySpans[i].capacity, 300));
        EXPECT_EQ(disabledButtons(*w, h.config), QStringList{h.config.periodButtons[i]});
        if (i < 7) {
            EXPECT_LT(b->geometry().right(), lastX);  // one row, left to right
        }
        lastX = b->geometry().left();
        EXPECT_EQ(b->geometry().top(), HistoryWindows::find<QPushButton>(*w, "CMD14Day")->geometry().top());
    }
}

TEST(HistoryTrendWindow, ABusyFileIsNotReloadedByItsButton) {
    HistoryWindows h;
    auto w = h.open();
    h.windows.KW_Hist_Busy[6] = 1;
    HistoryWindows::find<QPushButton>(*w, "CMD7Day")->click();
    EXPECT_EQ(w->fileShown(), "1KWhr.dat");
    h.windows.KW_Hist_Busy[6] = 0;
    HistoryWindows::find<QPushButton>(*w, "CMD7Day")->click();
    EXPECT_EQ(w->fileShown(), "168KWhr.dat");
}

// On the 4-hour period the chart follows 4KWhr.dat every minute; the
// rewrites of every other file leave it alone.
TEST(HistoryTrendWindow, FollowsTheFileOfItsPeriodEachMinute) {
    HistoryWindows h;
    auto w = h.open();
    HistoryWindows::find<QPushButton>(*w, "CMD4Hr")->click();
    EXPECT_EQ(w->chart().rowCount(), 240);
    for (int minute = 1; minute <= 2; ++minute) {
        h.minute();
        EXPECT_EQ(w->chart().rowCount(), 240);
        EXPECT_EQ(w->chart().value(240), 0.5);
        EXPECT_EQ(HistoryWindows::text(*w, "Text2"), stamp(h.clock.now()));
        EXPECT_EQ(HistoryWindows::label(*w, "Label2"), "0.50");
    }
    const int loads = w->chart().loadCount();
    for (const QString& other : {QStringLiteral("1KWhr.dat"), QStringLiteral("4Ahr.dat"), QStringLiteral("4Vhr.dat")})
        h.windows.announceRewritten(other);
    EXPECT_EQ(w->chart().loadCount(), loads);
    EXPECT_EQ(HistoryWindows::text(*w, "Text1"), readFields(h.tmp.contents("4KWhr.dat")).first());
}

TEST(HistoryTrendWindow, AMissingOrEmptyFileShowsAnEmptyChart) {
    for (const std::optional<QByteArray>& content : {std::optional<QByteArray>(), std::optional<QByteArray>("")}) {
        HistoryWindows h;
        if (content)
            h.dir.writeWhole("1KWhr.dat", *content);
        else
            QFile::remove(h.dir.filePath("1KWhr.dat"));
        auto w = h.open();
        EXPECT_EQ(w->chart().rowCount(), 0);
        EXPECT_EQ(HistoryWindows::text(*w, "Text1") + HistoryWindows::text(*w, "Text2") +
                      HistoryWindows::label(*w, "Label2"), "");
        HistoryWindows::find<QPushButton>(*w, "CMD8Hr")->click();  // and goes on
        EXPECT_EQ(w->chart().rowCount(), 300);
    }
}

TEST(HistoryTrendWindow, VoltageAxisStaysAt100To250) {
    HistoryWindows h(3);
    auto w = h.open();
    HistoryWindows::find<QPushButton>(*w, "CMD24VHr")->click();  // values 1.5 .. 300.5
    EXPECT_EQ(w->chart().valueAxisMinimum(), 100);
    EXPECT_EQ(w->chart().valueAxisMaximum(), 250);
}

TEST(HistoryTrendWindow, PrintExportAndExitButtons) {
    HistoryWindows h;
    auto w = h.open();
    const QString csv = QDir(h.tmp.path()).filePath("trend.csv");
    w->actions().setFileChooser([&](QWidget*, const QString&) { return csv; });
    w->show();
    HistoryWindows::find<QPushButton>(*w, "CNDPrint_KWHistory")->click();
    EXPECT_EQ(HistoryWindows::find<QPushButton>(*w, "CNDPrint_KWHistory")->text(), "Print Trend");
    EXPECT_TRUE(QFileInfo::exists(w->actions().lastPrint().pdfPath));
    HistoryWindows::find<QPushButton>(*w, "CMD_Export_CSV")->click();
    EXPECT_EQ(h.tmp.contents("trend.csv").count('\n'), 61);
    auto* exit = HistoryWindows::find<QPushButton>(*w, "CMDExit");
    EXPECT_EQ(exit->text(), "Exit");
    exit->click();
    EXPECT_FALSE(w->isVisible());
    w.reset();
    EXPECT_FALSE(h.windows.isOpen("KW_HistoryTrend"));
    EXPECT_EQ(h.windows.KW_Hist_Period, 1);  // kept after the window closes
}

TEST(HistoryTrendWindow, ReopenedFromTheMainWindowItShowsTheOneHourPeriodAgain) {
    TempDataDir tmp;
    ManualClock clock;
    kelvora::testing::StartedCore started(tmp.path(), clock);
    MainWindow main(started.core);
    addHistoryWindows(main, started.core);
    for (const char* button : {"CMD_KW_History_Trend", "CMD_A_AMPS_History_Trend", "CMD_B_AMPS_History_Trend",
                               "CMD_VAC_History_Trend"})
        EXPECT_TRUE(main.findChild<QPushButton*>(button)->isEnabled()) << button;
    auto open = [&] {
        main.findChild<QPushButton*>("CMD_KW_History_Trend")->click();
        return QPointer<HistoryTrendWindow>(main.findChild<HistoryTrendWindow*>("KW_HistoryTrend"));
    };
    QPointer<HistoryTrendWindow> first = open();
    ASSERT_TRUE(first);
    HistoryWindows::find<QPushButton>(*first, "CMD14Day")->click();
    EXPECT_EQ(first->fileShown(), "336KWhr.dat");
    HistoryWindows::find<QPushButton>(*first, "CMDExit")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_FALSE(started.core.windows().isOpen("KW_HistoryTrend"));
    QPointer<HistoryTrendWindow> again = open();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->fileShown(), "1KWhr.dat");
    EXPECT_EQ(again->chart().title(), "Avg KW Usage (1 Hour Trend)");
    EXPECT_EQ(again->chart().rowCount(), 60);  // the files of the first start
    again->close();
}
