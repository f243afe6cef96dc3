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
#include <memory>

namespace kelvora {
namespace {
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
        return new CurrentTrendWindow(core.dir(), core.shared(), core.tenSecondTrends(), core.clock(), parent);
    });
    window.setWindowFactory(QStringLiteral("CMD_Meter"),
                            [&core](QWidget* parent) { return new MeterWindow(core.dir(), parent); });
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
