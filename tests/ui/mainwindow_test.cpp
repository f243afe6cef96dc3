#include "ui/mainwindow.h"
#include "support/fakes.h"
#include "support/server.h"
#include "support/started.h"
#include "support/widgets.h"
#include "support/wait.h"

#include <QApplication>
#include <QGroupBox>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <functional>
#include <gtest/gtest.h>

using namespace kelvora;

namespace {

struct Window : kelvora::testing::StartedApp {
    using StartedApp::StartedApp;
    template <typename W>
    W* find(const QString& name) { return kelvora::testing::child<W>(window, name); }
    MainWindow window{core};
};

}  // namespace

TEST(MainWindow, EveryFieldShowsItsModelTextAndHasACaption) {
    Window w;
    EXPECT_EQ(w.find<QTabWidget>("SSTab1")->count(), 4);
    const auto edits = w.window.findChildren<QLineEdit*>();
    ASSERT_GT(edits.size(), 30);
    for (QLineEdit* edit : edits) {
        if (edit->objectName().isEmpty()) continue;  // inside a composite widget
        SCOPED_TRACE(edit->objectName().toStdString());
        EXPECT_FALSE(edit->accessibleName().isEmpty());  // screen readers announce a caption
        EXPECT_EQ(edit->text(), w.core.fields().text(edit->objectName()));
    }
    for (QPushButton* button : w.window.findChildren<QPushButton*>()) EXPECT_FALSE(button->text().isEmpty());
}

TEST(MainWindow, NoTextClipsAtTheMinimumSizeAndFramesGrowWithTheWindow) {
    Window w;
    w.window.show();
    auto* tabs = w.find<QTabWidget>("SSTab1");
    for (int tab = 0; tab < tabs->count(); ++tab) {
        SCOPED_TRACE(tabs->tabText(tab).toStdString());
        tabs->setCurrentIndex(tab);
        w.window.resize(w.window.minimumSizeHint());
        QApplication::processEvents();
        // Labels and buttons keep their size in a layout; a field can be
        // squeezed below its text.
        for (QLineEdit* field : tabs->currentWidget()->findChildren<QLineEdit*>()) {
            if (!field->isVisible() || field->text().isEmpty()) continue;
            const int room = field->contentsRect().width() - 4;  // the field's own text margins
            EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), room)
                << field->objectName().toStdString() << " " << field->text().toStdString();
        }
        const QSize small = tabs->currentWidget()->size();
        w.window.resize(w.window.size() * 1.5);
        QApplication::processEvents();
        EXPECT_GT(tabs->currentWidget()->width(), small.width());
        // The frames spread over the page instead of leaving half of it empty.
        QWidget* page = tabs->currentWidget();
        int left = page->width(), right = 0;
        for (QGroupBox* f : page->findChildren<QGroupBox*>()) {
            const QRect r(f->mapTo(page, QPoint(0, 0)), f->size());
            left = std::min(left, r.left());
            right = std::max(right, r.right());
        }
        EXPECT_GT(right - left, page->width() * 0.9);
    }
}

TEST(MainWindow, ReConnectButtonOpensANewConnection) {
    kelvora::testing::LoopbackServer server;
    Window w(server.port());
    ASSERT_EQ(w.started.result, KelvoraCore::LoadResult::Started);
    ASSERT_TRUE(kelvora::testing::waitUntil([&] { return server.accepted == 1; }));
    w.find<QPushButton>("CMDConnect")->click();
    EXPECT_TRUE(kelvora::testing::waitUntil([&] { return server.accepted == 2; }));
    EXPECT_EQ(w.core.link().socketState(), MeterLink::kStateConnected);
}

TEST(MainWindow, ConnectionFrameNamesTheServerInUse) {
    Window w;  // started with a loopback override
    const QString shown = w.find<QLabel>("serverInUse")->text();
    EXPECT_TRUE(shown.startsWith("127.0.0.1:")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("(from the command line)")) << shown.toStdString();
}

TEST(MainWindow, ShowsModelChangesAndSendsEditsAndClicksBack) {
    Window w;
    w.core.fields().setText("Text100(2)", "121.5");
    EXPECT_EQ(w.find<QLineEdit>("Text100(2)")->text(), "121.5");
    auto* volts = w.find<QLineEdit>("Text6(0)");
    volts->setText("120");
    Q_EMIT volts->textEdited("120");  // as typing does
    EXPECT_TRUE(w.find<QRadioButton>("Option_120vac")->isChecked());
    EXPECT_FALSE(w.find<QRadioButton>("Option_240vac")->isChecked());
    EXPECT_EQ(w.core.shared().settings.VAC_Option.display(), "120");
    w.find<QPushButton>("CMD_VAC_Default")->click();
    EXPECT_EQ(volts->text(), "240");
    EXPECT_TRUE(w.tmp.contents(files::Settings).contains("\r\n400\r\n"));
    w.core.fields().setText("Text6(0)", "230");
    w.core.fields().setText("Text6(0)", "231");
    ASSERT_TRUE(w.find<QPushButton>("CMD_Save_VAC")->isEnabled());
    w.find<QPushButton>("CMD_Save_VAC")->click();
    EXPECT_EQ(w.core.shared().VAC_Cal_Request, 1);
    EXPECT_FALSE(w.find<QPushButton>("CMD_Save_VAC")->isEnabled());
}

// Each Set-Up button reaches its own step: a swapped name in the wiring shows here.
TEST(MainWindow, SetUpButtonsEachDoTheirOwnStep) {
    Window w;
    SharedState& shared = w.core.shared();
    int saveAndExit = 0;
    QObject::connect(&w.window, &MainWindow::saveAndExitRequested, [&] { ++saveAndExit; });
    const auto edit = [&](const char* field) {  // the first edit after start-up is ignored
        w.core.fields().setText(field, "101");
        w.core.fields().setText(field, "102");
    };
    const struct { const char* button; std::function<void()> before; std::function<bool()> done; } cases[] = {
        {"CMD_CAL_A", [&] { edit("Text_A_Cal"); }, [&] { return shared.AAMPS_Cal_Request == 1; }},
        {"CMD_CAL_B", [&] { edit("Text_B_Cal"); }, [&] { return shared.BAMPS_Cal_Request == 1; }},
        {"CMD_A_Default", [] {}, [&] { return w.core.fields().text("Text_A_Cal") == "100.0"; }},
        {"CMD_B_Default", [] {}, [&] { return w.core.fields().text("Text_B_Cal") == "100.0"; }},
        {"CMD_Reset_PF",
         [&] {  // one sample sets the highest and lowest power factor
             shared.VAC_Reading = shared.A_AMPS_Reading = shared.B_AMPS_Reading = 100;
             w.core.measurement().Calc_Real_Power();
             EXPECT_GT(w.core.measurement().power().PF_Hi, 0);
         },
         [&] { return w.core.measurement().power().PF_Hi == 0 && w.core.measurement().power().PF_Lo == 2; }},
        {"CMD_SaveExit", [&] { edit("Text5(0)"); }, [&] { return saveAndExit == 1; }},
    };
    for (const auto& c : cases) {
        c.before();
        auto* button = w.find<QPushButton>(c.button);
        ASSERT_TRUE(button->isEnabled()) << c.button;
        button->click();
        EXPECT_TRUE(c.done()) << c.button;
    }
    // The mains options: 120 with a 240 V calibration voltage goes back to 240.
    w.find<QRadioButton>("Option_120vac")->click();
    EXPECT_TRUE(w.find<QRadioButton>("Option_240vac")->isChecked());
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
    last->close();  // closed from the meter window itself
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    meter->click();
    EXPECT_EQ(created, 4);  // one click opens it again
    EXPECT_TRUE(last->isVisible());

    // A factory that makes no window is survived, click after click.
    w.window.setWindowFactory("CMD_KW_History_Trend", [](QWidget*) -> QWidget* { return nullptr; });
    w.find<QPushButton>("CMD_KW_History_Trend")->click();
    w.find<QPushButton>("CMD_KW_History_Trend")->click();
}
