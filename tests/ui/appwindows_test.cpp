#include "ui/appwindows.h"
#include "ui/historytrendwindow.h"
#include "support/started.h"
#include "support/widgets.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace kelvora;

// The app as main() builds it: every window button opens its own window (a
// history window on its 1-hour period), the panels sit on their tabs.
TEST(AppWindows, EveryWindowButtonOpensItsWindow) {
    kelvora::testing::StartedApp app;
    MainWindow window(app.core);
    addAppWindows(window, app.core);
    window.show();
    const auto visibleWindows = [] {
        QSet<QWidget*> shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) shown << w;
        return shown;
    };
    for (const auto& [button, caption] :
         {std::pair{"CMD_Cur_Trend", "Current Trend"}, {"CMD_Meter", "RT Meters"},
          {"CMD_BarGraphs1", "KWH History Trend"}, {"CMD_BarGraphs", "KWH History Trend"},
          {"CMD_KW_History_Trend", "KW HistoryTrend"}, {"CMD_A_AMPS_History_Trend", "A_AMPS History Trend"},
          {"CMD_B_AMPS_History_Trend", "B_AMPS_History Trend"}, {"CMD_VAC_History_Trend", "VAC History Trend"}}) {
        SCOPED_TRACE(button);
        const QSet<QWidget*> before = visibleWindows();
        kelvora::testing::child<QPushButton>(window, button)->click();
        const QSet<QWidget*> opened = visibleWindows() - before;
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ((*opened.begin())->windowTitle(), caption);
        const auto* history = qobject_cast<HistoryTrendWindow*>(*opened.begin());
        EXPECT_TRUE(!history || history->fileShown().contains(QRegularExpression("^1[A-Z]")));
        (*opened.begin())->close();
        QApplication::processEvents();
    }
    for (const char* frame : {"frameMqtt", "Frame_DateRange", "Frame_DataFiles"})
        EXPECT_NE(window.findChild<QGroupBox*>(frame), nullptr) << frame;
}
