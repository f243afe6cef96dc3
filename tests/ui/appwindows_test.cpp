#include "ui/appwindows.h"
#include "support/fakes.h"
#include "support/started.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QSet>
#include <gtest/gtest.h>

using namespace kelvora;

namespace {

QSet<QWidget*> visibleWindows() {
    QSet<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) shown.insert(w);
    return shown;
}

}  // namespace

// The app as main() builds it: every window button opens its own window, the
// panels sit on their tabs.
TEST(AppWindows, EveryWindowButtonOpensItsWindow) {
    kelvora::testing::StartedApp app;
    MainWindow window(app.core);
    addAppWindows(window, app.core);
    window.show();
    const struct {
        const char* button;
        const char* caption;
    } cases[] = {
        {"CMD_Cur_Trend", "Current Trend"},
        {"CMD_Meter", "RT Meters"},
        {"CMD_BarGraphs1", "KWH History Trend"},
        {"CMD_BarGraphs", "KWH History Trend"},
        {"CMD_KW_History_Trend", "KW HistoryTrend"},
        {"CMD_A_AMPS_History_Trend", "A_AMPS History Trend"},
        {"CMD_B_AMPS_History_Trend", "B_AMPS_History Trend"},
        {"CMD_VAC_History_Trend", "VAC History Trend"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(c.button));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        const QSet<QWidget*> before = visibleWindows();
        button->click();
        QApplication::processEvents();
        const QSet<QWidget*> opened = visibleWindows() - before;
        ASSERT_EQ(opened.size(), 1);
        QWidget* shown = *opened.begin();
        EXPECT_EQ(shown->windowTitle(), QString::fromLatin1(c.caption));
        shown->close();
        QApplication::processEvents();
    }
    for (const char* frame : {"frameMqtt", "Frame_DateRange", "Frame_DataFiles"})
        EXPECT_NE(window.findChild<QGroupBox*>(QString::fromLatin1(frame)), nullptr) << frame;
}
