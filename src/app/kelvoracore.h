#pragma once
#include "alarm/alarmcenter.h"
#include "model/datafiles.h"
#include "model/fieldmodel.h"
#include "app/scheduler.h"
#include "app/setupcontroller.h"
#include "model/sharedstate.h"
#include "model/windowstate.h"
#include "common/clock.h"
#include "common/datadir.h"
#include "common/diskwriter.h"
#include "energy/kwhaccounting.h"
#include "energy/kwhperiods.h"
#include "history/historyupdate.h"
#include "history/minutearchive.h"
#include "link/meterdecoder.h"
#include "link/meterlink.h"
#include "live/tensecondtrend.h"
#include "live/waveforms.h"
#include "measure/measurement.h"
#include "energy/tariffbook.h"
#include "publish/homepublisher.h"

#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kelvora {

// Everything the main window owns apart from its widgets: the shared state,
// the display model and the subsystems, wired together. Form_Load starts the
// system; the window only shows the fields and forwards clicks.
class KelvoraCore : public QObject {
    Q_OBJECT
public:
    // With `diskWriter`, the files a user would lose are written by the disk
    // writer's thread (the app); without it, directly (tools that run the
    // steps on a simulated clock and want every file on disk at once).
    KelvoraCore(const QString& dataDir, const Clock& clock, std::function<void()> beep, bool diskWriter = true,
                QObject* parent = nullptr);
    ~KelvoraCore() override;

    // The disk writer writes into this sink instead of the data directory's
    // files (a test's disk with faults); before Form_Load.
    void writeThrough(std::unique_ptr<FileSink> sink);

    // Connect to this server instead of the one in the settings (for this run
    // only; the settings file is not changed).
    void setServerOverride(const QString& host, quint16 port);
    // Publish to this MQTT broker (mqtt://...) instead of the saved one, for this run.
    void setMqttOverride(const QString& url) { publisher_.setBrokerOverride(url); }

    // The data directory's instance lock. Without it, `error` says why:
    // another instance holds it (AlreadyRunning), or it could not be made.
    struct InstanceLock {
        std::unique_ptr<QLockFile> lock;
        bool heldByAnother = false;
        QString error;
    };
    static InstanceLock lockDataDir(const DataDir& dir);

    // "--initialize": fresh data files and default settings, unless another
    // instance runs in the directory (then nothing is touched).
    enum class InitializeResult { Done, Failed, AlreadyRunning, NoLock };
    static InitializeResult InitializeOnly(const QString& dataDir, const Clock& clock);

    enum class LoadResult { Started, AlreadyRunning, NoLock };
    // The start-up sequence. Any step that fails is skipped and the next runs.
    LoadResult Form_Load();

    // "Initialize All Data" while running: fresh files, and the running
    // totals and extremes start afresh so they do not write the old data back.
    void initializeAllData();

    // "Save and Exit": host and port from their fields, then the settings are saved.
    bool CMD_SaveExit_Click();
    // Saves the settings (the last step before the process ends).
    bool Form_Terminate();
    // The currency symbol shown with amounts and the code told to the
    // home-automation hub: saved with the settings and shown at once. False
    // (nothing changed) when either is not one (see isCurrencySymbol) or the
    // settings cannot be saved.
    bool setCurrency(const QString& symbol, const QString& code);

    const DataDir& dir() const { return dir_; }
    const Clock& clock() const { return clock_; }
    FieldModel& fields() { return fields_; }
    SharedState& shared() { return shared_; }
    WindowState& windows() { return windows_; }
    SetupController& setup() { return setup_; }
    MeterDecoder& decoder() { return *decoder_; }
    Measurement& measurement() { return measurement_; }
    KwhPeriods& kwhPeriods() { return kwhPeriods_; }
    // Why the lock could not be made, when Form_Load said NoLock.
    const QString& lockError() const { return lockError_; }
    KwhAccounting& kwhAccounting() { return kwhAccounting_; }
    MeterLink& link() { return link_; }
    Scheduler& scheduler() { return scheduler_; }
    TenSecondTrends& tenSecondTrends() { return tenSecondTrends_; }
    Waveforms& waveforms() { return waveforms_; }
    // The history of KW, phase A, phase B and voltage, in that order.
    HistoryUpdate& history(int quantity) { return *histories_.at(quantity); }
    HomePublisher& publisher() { return publisher_; }
    TariffBook& tariffs() { return tariffs_; }
    AlarmCenter& alarms() { return alarms_; }
    MinuteArchive& archive() { return archive_; }


private:
    LoadResult acquireInstanceLock();
    void showCurrency();
    void checkFirstRun();
    void loadAverages();
    void loadSavedTotals();
    void loadSettings();
    void applyMainsOption();
    void connectToMeter();
    void LogRestart();
    void startAlarms();
    void watchSaving(DiskWriter& writer);
    void showPriceInForce();

    DataDir dir_;
    const Clock& clock_;
    std::unique_ptr<QLockFile> lock_;
    QString lockError_;
    std::optional<std::pair<QString, quint16>> serverOverride_;
    FieldModel fields_;
    SharedState shared_;
    WindowState windows_;
    SetupController setup_;
    std::unique_ptr<MeterDecoder> decoder_;
    TariffBook tariffs_;
    Measurement measurement_;
    KwhPeriods kwhPeriods_;
    KwhAccounting kwhAccounting_;
    MeterLink link_;
    Scheduler scheduler_;
    TenSecondTrends tenSecondTrends_;
    Waveforms waveforms_;
    std::vector<std::unique_ptr<HistoryUpdate>> histories_;
    HomePublisher publisher_;
    AlarmCenter alarms_;
    MinuteArchive archive_{dir_};
};

}  // namespace kelvora
