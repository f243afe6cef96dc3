#include "ui/mainwindow.h"
#include "support/started.h"
#include "support/fakes.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::StartedCore;
using kelvora::testing::TempDataDir;

namespace {

struct Window {
    template <typename W>
    W* find(const QString& name) {
        W* w = window.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    TempDataDir tmp;
    ManualClock clock;
    StartedCore started{tmp.path(), clock};
    KelvoraCore& core = started.core;
    MainWindow window{core};
};

}  // namespace

TEST(MainWindow, HasFourTabsAndEveryFieldByName) {
    Window w;
    auto* tabs = w.find<QTabWidget>("SSTab1");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), "Current");
    EXPECT_EQ(tabs->tabText(1), "History");
    EXPECT_EQ(tabs->tabText(2), "Calcs");
    EXPECT_EQ(tabs->tabText(3), "Set-Up");
    QStringList fields;
    for (int i = 0; i <= 15; ++i) fields << QStringLiteral("Text100(%1)").arg(i);
    for (int i = 0; i <= 14; ++i) fields << QStringLiteral("Text4(%1)").arg(i);
    fields << "Text100_A_CAL" << "Text100_B_CAL" << "Text101" << "Text5(0)" << "Text5(1)" << "Text6(0)"
           << "Text_A_Cal" << "Text_B_Cal";
    for (const QString& name : fields) {
        SCOPED_TRACE(name.toStdString());
        auto* edit = w.find<QLineEdit>(name);
        ASSERT_NE(edit, nullptr);
        EXPECT_FALSE(edit->accessibleName().isEmpty());  // screen readers announce a caption
        EXPECT_EQ(edit->text(), w.core.fields().text(name));
    }
    for (const char* name : {"Label4", "Label5", "Label6", "Label7", "Label8", "Label9", "Label15", "Label16",
                             "Label40(0)", "Label40(1)", "Label40(2)"})
        EXPECT_FALSE(w.find<QLabel>(name)->accessibleName().isEmpty()) << name;
    const QList<std::pair<const char*, const char*>> buttons = {
        {"CMD_Cur_Trend", "Current Trend"}, {"CMD_Meter", "Meter"}, {"CMD_BarGraphs1", "KWH History Graphs"},
        {"CMD_BarGraphs", "KWH History Graphs"}, {"CMD_KW_History_Trend", "KW History Trends"},
        {"CMD_A_AMPS_History_Trend", "A_AMPS History Trends"}, {"CMD_B_AMPS_History_Trend", "B_AMPS History Trends"},
        {"CMD_VAC_History_Trend", "VAC History Trends"}, {"CMD_Reset_PF", "Reset"}, {"CMD_USER_MAN", "User Manual"},
        {"CMDConnect", "Re-Connect"}, {"CMD_SaveExit", "Save and Exit"}, {"CMD_Save_VAC", "Calibrate"},
        {"CMD_VAC_Default", "VAC Default"}, {"CMD_CAL_A", "Calibrate"}, {"CMD_CAL_B", "Calibrate"},
        {"CMD_A_Default", "\"A\" Default"}, {"CMD_B_Default", "\"B\" Default"}};
    for (const auto& [name, caption] : buttons) EXPECT_EQ(w.find<QPushButton>(name)->text(), caption) << name;
    EXPECT_EQ(w.find<QLineEdit>("Text100(7)")->toolTip(), "Cost per KWH from Electric bill");
}

TEST(MainWindow, ShowsModelChangesAndSendsEditsBack) {
    Window w;
    w.core.fields().setText("Text100(2)", "121.5");
    EXPECT_EQ(w.find<QLineEdit>("Text100(2)")->text(), "121.5");
    auto* volts = w.find<QLineEdit>("Text6(0)");
    volts->setText("120");
    Q_EMIT volts->textEdited("120");  // as typing does
    EXPECT_TRUE(w.find<QRadioButton>("Option_120vac")->isChecked());
    EXPECT_FALSE(w.find<QRadioButton>("Option_240vac")->isChecked());
    EXPECT_EQ(w.core.shared().settings.VAC_Option.display(), "120");
}

TEST(MainWindow, SetupButtonsReachTheirHandlers) {
    Window w;
    w.find<QPushButton>("CMD_VAC_Default")->click();
    EXPECT_EQ(w.find<QLineEdit>("Text6(0)")->text(), "240");
    EXPECT_TRUE(w.tmp.contents(files::Settings).contains("\r\n400\r\n"));
    w.core.fields().setText("Text6(0)", "230");
    w.core.fields().setText("Text6(0)", "231");
    ASSERT_TRUE(w.find<QPushButton>("CMD_Save_VAC")->isEnabled());
    w.find<QPushButton>("CMD_Save_VAC")->click();
    EXPECT_EQ(w.core.shared().VAC_Cal_Request, 1);
    EXPECT_FALSE(w.find<QPushButton>("CMD_Save_VAC")->isEnabled());
}

TEST(MainWindow, WindowButtonsOpenOnceAndMeterToggles) {
    Window w;
    EXPECT_FALSE(w.find<QPushButton>("CMD_Cur_Trend")->isEnabled());  // no window yet
    int created = 0;
    QPointer<QWidget> last;
    const auto factory = [&](QWidget* parent) {
        ++created;
        last = new QWidget(parent);
        return last.data();
    };
    w.window.setWindowFactory("CMD_Cur_Trend", factory);
    w.window.setWindowFactory("CMD_Meter", factory);
    auto* trend = w.find<QPushButton>("CMD_Cur_Trend");
    ASSERT_TRUE(trend->isEnabled());
    trend->click();
    trend->click();
    EXPECT_EQ(created, 1);  // the open window is brought to the front, not made again
    EXPECT_TRUE(last->isVisible());

    auto* meter = w.find<QPushButton>("CMD_Meter");
    meter->click();
    EXPECT_EQ(created, 2);
    QPointer<QWidget> firstMeter = last;
    EXPECT_TRUE(firstMeter->isVisible());
    meter->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(firstMeter.isNull());  // closed and gone
    meter->click();
    EXPECT_EQ(created, 3);  // the third click makes it anew
    EXPECT_TRUE(last->isVisible());
}
