#include "ui/appwindows.h"

#include "common/numeric.h"
#include "ui/alarmspanel.h"
#include "ui/alarmswindow.h"
#include "ui/currenttrendwindow.h"
#include "ui/explorerwindow.h"
#include "ui/historytrendwindow.h"
#include "ui/kwhhistorytrend.h"
#include "ui/meterwindow.h"
#include "ui/mqttpanel.h"
#include "ui/pricefield.h"
#include "ui/tariffeditor.h"
#include "ui/tariffpanel.h"
#include "ui/usagecalculator.h"

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

namespace kelvora {
namespace {

// A window's own timer runs off the app's one-second tick instead: its work
// runs every interval's worth of ticks, and the timer itself stays stopped,
// so the program wakes once a second for all of them.
void followSecondTick(QTimer& timer, const Scheduler& scheduler, std::function<void()> work) {
    timer.stop();
    const int every = std::max(1, timer.interval() / 1000);
    QObject::connect(&scheduler, &Scheduler::secondTicked, &timer, [every, work = std::move(work), ticks = 0]() mutable {
        if (++ticks % every == 0) work();
    });
}
const QString kTariffSection = QStringLiteral("Tariff");
}  // namespace

MainWindow::Parts mainWindowParts(KelvoraCore& core) {
    return {core.fields(),
            core.setup(),
            core.alarms().engine(),
            core.waveforms(),
            core.dir(),
            [&core] { core.measurement().resetPowerFactor(); },
            [&core] { core.link().ConnectToServer(); }};
}

DataFilesPanel::Actions dataFileActions(KelvoraCore& core) {
    return {[&core] { core.initializeAllData(); }, [&core] { core.kwhAccounting().ResetKwData(); },
            [&core] { return core.archive().erase(); }};
}

void addAppWindows(MainWindow& window, KelvoraCore& core) {
    window.addToSetupTab(new AlarmsPanel(core.alarms(), [&core] { return core.shared().settings.VAC_Option.display(); }),
                         MainWindow::kAlarms);
    window.addToSetupTab(new MqttPanel(core.publisher()), MainWindow::kHomeAutomation);
    window.setWindowFactory(QStringLiteral("CMD_Alarms"), [&core](QWidget* parent) {
        return new AlarmsWindow(core.dir(), core.alarms().engine(), core.clock(), parent);
    });
    window.setWindowFactory(QStringLiteral("CMD_Cur_Trend"), [&core](QWidget* parent) {
        auto* trend = new CurrentTrendWindow(core.dir(), core.shared(), core.tenSecondTrends(), core.clock(), parent);
        followSecondTick(trend->timer1(), core.scheduler(), [trend] { trend->Timer1_Timer(); });
        return trend;
    });
    window.setWindowFactory(QStringLiteral("CMD_Meter"), [&core](QWidget* parent) {
        auto* meter = new MeterWindow(core.dir(), parent);
        followSecondTick(meter->timer1(), core.scheduler(), [meter] { meter->Timer1_Timer(); });
        return meter;
    });
    addHistoryWindows(window, core.windows(), core.dir(), core.clock());
    // Both "KWH History Graphs" buttons show the one graphs window.
    auto kwhGraphs = std::make_shared<QPointer<QWidget>>();
    for (const char* button : {"CMD_BarGraphs", "CMD_BarGraphs1"})
        window.setWindowFactory(QString::fromLatin1(button), [&core, kwhGraphs](QWidget* parent) -> QWidget* {
            if (!*kwhGraphs) *kwhGraphs = new KwhHistoryTrend(core.dir(), core.clock(), core.windows(), parent);
            return *kwhGraphs;
        });
    window.setWindowFactory(QStringLiteral("CMD_Explore"), [&core](QWidget* parent) {
        auto* explorer = new ExplorerWindow(core.dir(), core.clock(), parent);
        explorer->setCurrencySymbol(currencySymbol(core.shared().settings));
        return explorer;
    });
    window.addToHistoryTab(new UsageCalculator(core.shared(), core.fields(), core.dir(), core.clock()));
    window.addToSetupTab(new DataFilesPanel(core.dir(), core.fields(), dataFileActions(core)), MainWindow::kData);
    // One tariff editor, from the Set-Up page and from the price field.
    auto tariffEditor = std::make_shared<QPointer<TariffEditor>>();
    const auto openTariffEditor = [&core, &window, tariffEditor] {
        if (!*tariffEditor) {
            const double price = numericValue(core.fields().text(QStringLiteral("Text100(7)")));
            *tariffEditor = new TariffEditor(core.dir(), core.tariffs(), core.clock(), price, &window);
            (*tariffEditor)->setCurrencySymbol(currencySymbol(core.shared().settings));
        }
        (*tariffEditor)->show();
        (*tariffEditor)->raise();
        (*tariffEditor)->activateWindow();
    };
    const auto setCurrency = [&core](const QString& symbol, const QString& code) {
        return core.setCurrency(symbol, code);
    };
    window.addToSetupTab(new TariffPanel({core.tariffs(), core.fields(), core.clock(), core.shared().settings,
                                          setCurrency, openTariffEditor}),
                         kTariffSection);
    new PriceField(core.shared(), core.fields(), core.dir(), window.findChild<QLineEdit*>(QStringLiteral("Text100(7)")),
                   PriceField::askPrice,
                   openTariffEditor);
}

}  // namespace kelvora
