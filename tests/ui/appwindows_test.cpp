#include "ui/appwindows.h"
#include "ui/currenttrendwindow.h"
#include "ui/historytrendwindow.h"
#include "ui/meterwindow.h"
#include "model/datafiles.h"
#include "support/started.h"
#include "support/widgets.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>

using namespace kelvora;

// The app as main() builds it: every window button opens its own window (a
// history window on its 1-hour period), the panels sit on their tabs.
TEST(AppWindows, EveryWindowButtonOpensItsWindow) {
    kelvora::testing::StartedApp app;
    MainWindow window(mainWindowParts(app.core));
    addAppWindows(window, app.core);
    window.show();
    const auto visibleWindows = [] {
        QSet<QWidget*> shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) shown << w;
        return shown;
    };
    const auto click = [&](const char* button) {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the windows closed before
        const QSet<QWidget*> before = visibleWindows();
        kelvora::testing::child<QPushButton>(window, button)->click();
        return visibleWindows() - before;
    };
    for (const auto& [button, caption] :
         {std::pair{"CMD_Cur_Trend", "Current Trend"}, {"CMD_Meter", "RT Meters"},
          {"CMD_BarGraphs1", "KWH History Trend"}, {"CMD_BarGraphs", "KWH History Trend"},
          {"CMD_KW_History_Trend", "KW HistoryTrend"}, {"CMD_A_AMPS_History_Trend", "A_AMPS History Trend"},
          {"CMD_B_AMPS_History_Trend", "B_AMPS_History Trend"}, {"CMD_VAC_History_Trend", "VAC History Trend"},
          {"CMD_Alarms", "Alarms"}, {"CMD_Explore", "Explore"}}) {
        SCOPED_TRACE(button);
        QSet<QWidget*> opened = click(button);
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ((*opened.begin())->windowTitle(), caption);
        const auto* history = qobject_cast<HistoryTrendWindow*>(*opened.begin());
        EXPECT_TRUE(!history || history->fileShown().contains(QRegularExpression("^1[A-Z]")));
        (*opened.begin())->close();  // closed from the window itself: one click opens it again
        opened = click(button);
        ASSERT_EQ(opened.size(), 1);
        const QPointer<QWidget> shown = *opened.begin();
        const qsizetype visible = visibleWindows().size();
        click(button);  // brought to the front, not made again; the meter closes
        EXPECT_EQ(visibleWindows().size(), visible - (QString(button) == "CMD_Meter"));
        if (shown) shown->close();
    }
    // --open-windows: each window once, the graphs window behind its two buttons once.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window.openEveryWindow();
    EXPECT_EQ(visibleWindows().size(), 10);  // the main window and nine
    for (QWidget* w : visibleWindows())
        if (w != &window) w->close();
    // A factory that makes no window is survived, click after click.
    window.setWindowFactory("CMD_KW_History_Trend", [](QWidget*) -> QWidget* { return nullptr; });
    EXPECT_TRUE(click("CMD_KW_History_Trend").isEmpty() && click("CMD_KW_History_Trend").isEmpty());
}

// The meter and the current trend tick with the app's one second instead of
// timers of their own: the meter every second, the trend every fifth.
TEST(AppWindows, TheMeterAndTheTrendTickWithTheAppsSecond) {
    kelvora::testing::StartedApp app;
    MainWindow window(mainWindowParts(app.core));
    addAppWindows(window, app.core);
    kelvora::testing::child<QPushButton>(window, "CMD_Meter")->click();
    kelvora::testing::child<QPushButton>(window, "CMD_Cur_Trend")->click();
    auto* meter = window.findChild<MeterWindow*>();
    auto* trend = window.findChild<CurrentTrendWindow*>();
    ASSERT_TRUE(meter && trend);
    EXPECT_FALSE(meter->timer1().isActive() || trend->timer1().isActive());
    app.core.dir().writeWhole(files::MeterKWS, "1,125,480,1.49445,125.04,121.46,\"1.23\",\"0.15\",\"29.6\",\"3.55\"\r\n");
    kelvora::testing::child<QPushButton>(*trend, "CMDCur_KW")->click();
    app.core.shared().Cur_KW = 0.5;
    app.core.tenSecondTrends().Update_KW_10sec();
    for (int second = 1; second <= 5; ++second) {
        app.core.scheduler().Timer1_Timer();
        EXPECT_EQ(kelvora::testing::child<QLabel>(*meter, "Label1")->text(), "1.5");
        EXPECT_EQ(kelvora::testing::child<QLineEdit>(*trend, "Text1")->text() == ".50", second == 5) << second;
    }
}
