#include "ui/appwindows.h"
#include "ui/mainwindow.h"
#include "support/server.h"
#include "support/started.h"
#include "support/widgets.h"
#include "support/wait.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

using namespace kelvora;

namespace {

struct Window : kelvora::testing::StartedApp {
    using StartedApp::StartedApp;
    template <typename W>
    W* find(const QString& name) { return kelvora::testing::child<W>(window, name); }
    MainWindow window{mainWindowParts(core)};
};

}  // namespace

TEST(MainWindow, EveryFieldShowsItsModelTextHasACaptionAndDoesNotClipAtTheMinimumSize) {
    Window w;
    w.core.fields().setText("Text100(2)", "121.5");  // a change after the window is made shows too
    const auto edits = w.window.findChildren<QLineEdit*>();
    ASSERT_GT(edits.size(), 30);
    for (QLineEdit* edit : edits) {
        if (edit->objectName().isEmpty()) continue;  // inside a composite widget
        SCOPED_TRACE(edit->objectName().toStdString());
        EXPECT_FALSE(edit->accessibleName().isEmpty());  // screen readers announce a caption
        EXPECT_EQ(edit->text(), w.core.fields().text(edit->objectName()));
    }
    // The Connection frame names the server in use: the loopback override.
    const QString shown = w.find<QLabel>("serverInUse")->text();
    EXPECT_TRUE(shown.startsWith("127.0.0.1:") && shown.endsWith("(from the command line)")) << shown.toStdString();

    // No text clips at the minimum size.
    w.window.show();
    auto* tabs = w.find<QTabWidget>("SSTab1");
    for (int tab = 0; tab < tabs->count(); ++tab) {
        SCOPED_TRACE(tabs->tabText(tab).toStdString());
        tabs->setCurrentIndex(tab);
        QWidget* page = tabs->currentWidget();
        w.window.resize(w.window.minimumSizeHint());
        QApplication::processEvents();
        // Only a field can be squeezed below its text in a layout.
        for (QLineEdit* field : page->findChildren<QLineEdit*>()) {
            if (!field->isVisible() || field->text().isEmpty()) continue;
            const int room = field->contentsRect().width() - 4;  // the field's own text margins
            EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), room)
                << field->objectName().toStdString() << " " << field->text().toStdString();
        }
    }
}

TEST(MainWindow, ReConnectButtonOpensANewConnection) {
    kelvora::testing::LoopbackServer server;
    Window w(server.port());
    ASSERT_TRUE(kelvora::testing::waitUntil([&] { return server.accepted == 1; }));
    w.find<QPushButton>("CMDConnect")->click();
    EXPECT_TRUE(kelvora::testing::waitUntil([&] { return server.accepted == 2; }));
    EXPECT_EQ(w.core.link().socketState(), MeterLink::kStateConnected);
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
    auto* volts = w.find<QLineEdit>("Text6(0)");
    const struct { const char* button; std::function<void()> before; std::function<bool()> done; } cases[] = {
        {"CMD_CAL_A", [&] { edit("Text_A_Cal"); }, [&] { return shared.AAMPS_Cal_Request == 1; }},
        {"CMD_CAL_B", [&] { edit("Text_B_Cal"); }, [&] { return shared.BAMPS_Cal_Request == 1; }},
        {"CMD_A_Default", [] {}, [&] { return w.core.fields().text("Text_A_Cal") == "100.0"; }},
        {"CMD_B_Default", [] {}, [&] { return w.core.fields().text("Text_B_Cal") == "100.0"; }},
        {"CMD_Reset_PF",
         [&] {  // one sample sets the highest and lowest power factor
             shared.VAC_Reading = shared.A_AMPS_Reading = shared.B_AMPS_Reading = 100;
             w.core.measurement().Calc_Real_Power();
         },
         [&] { return w.core.measurement().power().PF_Hi == 0 && w.core.measurement().power().PF_Lo == 2; }},
        {"CMD_Save_VAC", [&] { edit("Text6(0)"); },
         [&] { return shared.VAC_Cal_Request == 1 && !w.find<QPushButton>("CMD_Save_VAC")->isEnabled(); }},
        {"CMD_VAC_Default",
         [&] {  // typing in the field reaches the model
             volts->setText("120");
             Q_EMIT volts->textEdited("120");
             EXPECT_TRUE(w.find<QRadioButton>("Option_120vac")->isChecked());
             EXPECT_EQ(shared.settings.VAC_Option.display(), "120");
         },
         [&] { return volts->text() == "240"; }},
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

// The red saving note shows while data cannot be saved.
TEST(MainWindow, SavingProblemShowsWhileItLasts) {
    Window w;
    w.window.show();
    auto* note = w.find<QLabel>("savingStatus");
    EXPECT_FALSE(note->isVisible());
    w.core.fields().setText("savingStatus", "Cannot save data: No space left on device; retrying");
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), "Cannot save data: No space left on device; retrying");
    w.core.fields().setText("savingStatus", "");
    EXPECT_FALSE(note->isVisible());
}

// The clock changes every second: the window must neither lay itself out
// again for it (all of its widgets, each second) nor clip any time of day.
TEST(MainWindow, TheTickingClockFitsWithoutALayoutPass) {
    Window w;
    w.window.show();
    // Whatever showing the window still has to lay out is done first.
    for (int round = 0; round < 10; ++round) QApplication::processEvents();
    auto* clock = w.find<QLabel>("Label15");
    struct LayoutCounter : QObject {
        int requests = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::LayoutRequest) ++requests;
            return false;
        }
    } counter;
    qApp->installEventFilter(&counter);
    for (const char* time : {"1:02:03 AM", "12:59:59 PM", "10:00:00 PM", "8:08:08 AM"}) {
        SCOPED_TRACE(time);
        w.core.fields().setText("Label15", time);
        QApplication::processEvents();
        EXPECT_EQ(clock->text(), time);
        EXPECT_LE(clock->fontMetrics().horizontalAdvance(clock->text()), clock->contentsRect().width());
    }
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(counter.requests, 0);
}
