#include "app/kelvoracore.h"

#include "common/format.h"
#include "common/numeric.h"
#include "common/timestamp.h"
#include "energy/initdata.h"
#include "model/datafiles.h"
#include "model/savedtotals.h"

namespace kelvora {
namespace {


// A setting that no file supplied keeps the text its field shows by design,
// or stays empty when no field shows it.
Settings designTimeSettings() {
    Settings s;
    s.Remote_Host = SettingValue::Text(FieldModel::designText(QStringLiteral("Text5(0)")));
    s.Remote_Port = SettingValue::Text(FieldModel::designText(QStringLiteral("Text5(1)")));
    s.VAC_Cal_Value = SettingValue::Text(FieldModel::designText(QStringLiteral("Text6(0)")));
    s.AAMPS_Cal_Value = SettingValue::Text(FieldModel::designText(QStringLiteral("Text_A_Cal")));
    s.BAMPS_Cal_Value = SettingValue::Text(FieldModel::designText(QStringLiteral("Text_B_Cal")));
    s.Currency_Symbol = SettingValue::Text(kDefaultCurrencySymbol);
    s.Currency_Code = SettingValue::Text(kDefaultCurrencyCode);
    return s;
}

}  // namespace

KelvoraCore::KelvoraCore(const QString& dataDir, const Clock& clock, std::function<void()> beep, bool diskWriter,
                         QObject* parent)
    : QObject(parent),
      dir_(dataDir, files::displayOnly()),
      clock_(clock),
      setup_(shared_, fields_, dir_, std::move(beep)),
      decoder_(std::make_unique<MeterDecoder>(shared_, fields_, dir_)),
      tariffs_(dir_),
      measurement_(shared_, fields_, dir_, clock_),
      kwhAccounting_(shared_, fields_, dir_, clock_, kwhPeriods_, windows_),
      link_(fields_, clock_, [this](const QString& slot) { decoder_->DecodeMeterMessage(slot); }),
      scheduler_(shared_, fields_, clock_, link_, measurement_),
      tenSecondTrends_(shared_, dir_, clock_),
      waveforms_(dir_),
      publisher_(dir_, shared_, measurement_),
      alarms_(dir_, clock_, std::make_unique<DesktopNotifier>()) {
    if (diskWriter) writeThrough(std::make_unique<DirectorySink>(dataDir));
    // An open window that shows a file reloads it once it is saved.
    dir_.setSavedListener([this](const QString& name) { windows_.announceRewritten(name); });
    scheduler_.addMessageStep([this] { tenSecondTrends_.Current_Trend_Update(); });
    scheduler_.addMessageStep([this] { waveforms_.Update_WaveForms(); });
    shared_.settings = designTimeSettings();
    scheduler_.addMessageStep([this] { publisher_.publishState(); });
    // The alarms look at every reading as decoded, not at the shown means.
    scheduler_.addMessageStep(
        [this] { alarms_.onReadings(shared_.VAC_Reading, shared_.A_AMPS_Reading, shared_.B_AMPS_Reading); });
    connect(&alarms_.engine(), &AlarmEngine::changed, this, [this](const AlarmEvent& e) {
        publisher_.publishAlarm(QLatin1String(alarmInfo(e.kind).objectId), e.raised, e.text, e.when);
    });
    setup_.disableSaveButtons();
    // The minute consumers, in this order: the four histories, the KWH
    // periods, publishing.
    for (const HistoryQuantity& q : historyQuantities()) {
        histories_.push_back(std::make_unique<HistoryUpdate>(q, windows_, dir_));
        scheduler_.addMinuteConsumer(q.name + QStringLiteral(" history"),
                                     [h = histories_.back().get()](const MinuteRecord& m) { h->History_Update(m); });
    }
    // Costs are booked at the tariff's price of each minute and its daily
    // charge; without a tariff, at the flat price shown in Text100(7).
    measurement_.setPriceAt([this](const QDateTime& when) { return tariffs_.priceAt(when); });
    publisher_.setPriceNow([this] {
        const std::optional<double> tariff = tariffs_.priceAt(clock_.now());
        return tariff ? *tariff : numericValue(fields_.text(QStringLiteral("Text100(7)")));
    });
    kwhAccounting_.setDailyCharge([this](QDate day) { return tariffs_.dailyCharge(day); });
    connect(&tariffs_, &TariffBook::tariffChanged, this, [this] { showPriceInForce(); });
    scheduler_.addSecondStep([this] { tariffs_.followFile(); });
    scheduler_.addSecondStep([this] { alarms_.tick(clock_.now()); });
    scheduler_.addBoundaryCheck([this] { showPriceInForce(); });
    scheduler_.addBoundaryCheck([this] { kwhAccounting_.CheckKwhBoundaries(); });
    scheduler_.addMinuteConsumer(QStringLiteral("KWH periods"),
                                 [this](const MinuteRecord& m) { kwhAccounting_.KwhMinuteStep(m); });
    scheduler_.addMinuteConsumer(QStringLiteral("publishing"), [this](const MinuteRecord&) { publisher_.publishState(); });
    scheduler_.addMinuteConsumer(QStringLiteral("archive"), [this](const MinuteRecord& m) { archive_.append(m); });
    // An hour over with no minute after it (the meter silent) still gets its summary.
    scheduler_.addBoundaryCheck([this] { archive_.closeHour(clock_.now()); });
    // Today's energy and cost as the day period has counted them, stamped
    // with the minute they count to.
    scheduler_.addMinuteConsumer(QStringLiteral("alarms"), [this](const MinuteRecord& m) {
        const KwhPeriodState& today = kwhPeriods_[KwhPeriod::Day];
        alarms_.engine().onDayTotals(today.kwh, today.cost, m.stamp);
    });
}

void KelvoraCore::writeThrough(std::unique_ptr<FileSink> sink) {
    auto writer = std::make_shared<DiskWriter>(std::move(sink));
    watchSaving(*writer);
    dir_.attachWriter(std::move(writer));
}

// Saving that starts to fail is told once, on the standard error stream and
// in the status line, and once more when everything held has been saved.
void KelvoraCore::watchSaving(DiskWriter& writer) {
    connect(&writer, &DiskWriter::savingFailed, this, [this](const QString& reason, int held) {
        qWarning("Cannot save data in %s: %s; retrying (%d writes held)", qPrintable(dir_.path()), qPrintable(reason),
                 held);
        shared_.Saving_Problem = reason;
        alarms_.engine().onSavingState(true, reason, clock_.now());
        fields_.setText(QStringLiteral("savingStatus"), tr("Cannot save data: %1; retrying").arg(reason));
    });
    connect(&writer, &DiskWriter::savingRecovered, this, [this](int held) {
        qWarning("Saving data in %s again; %d held writes saved", qPrintable(dir_.path()), held);
        shared_.Saving_Problem.clear();
        alarms_.engine().onSavingState(false, QString(), clock_.now());
        fields_.setText(QStringLiteral("savingStatus"), QString());
    });
}

KelvoraCore::~KelvoraCore() = default;

// With a tariff in force Text100(7) shows its price now; the band's
// description goes beside it for the window's tooltip.
void KelvoraCore::showPriceInForce() {
    const auto band = tariffs_.bandAt(clock_.now());
    fields_.setText(QStringLiteral("tariffBand"), band ? band->describe() : QString());
    if (band) fields_.setText(QStringLiteral("Text100(7)"), formatNumber(band->price, u"0.###0"));
}

void KelvoraCore::setServerOverride(const QString& host, quint16 port) {
    serverOverride_ = std::pair{host, port};
}

KelvoraCore::LoadResult KelvoraCore::Form_Load() {
    if (const LoadResult locked = acquireInstanceLock(); locked != LoadResult::Started) return locked;  // 1
    checkFirstRun();                                                 // 2
    loadAverages();                                                  // 3
    setup_.armIgnoreChange();                                        // 4
    loadSavedTotals();                                               // 5
    tariffs_.load();
    shared_.Lifetime_KWH = readLifetimeKwh(dir_);
    loadSettings();                                                  // 6
    applyMainsOption();                                              // 7
    connectToMeter();                                                // 8, 9
    kwhAccounting_.LoadKwhPeriodTotals();                            // 10
    archive_.start(clock_.now());
    for (auto& history : histories_) history->learnWritten();
    measurement_.resetMinuteSums();                                  // 11
    fields_.setText(QStringLiteral("Text100(9)"), QStringLiteral("0"));
    fields_.setText(QStringLiteral("Text1(0)"), QString());          // 12
    fields_.setText(QStringLiteral("Text1(1)"), QString());
    LogRestart();                                                    // 13
    startAlarms();
    fields_.setText(QStringLiteral("Text100(10)"), QStringLiteral("0"));  // 14
    fields_.setText(QStringLiteral("Text100(11)"), QStringLiteral("0"));
    // The ticks start once every state they read is loaded: none is served
    // inside the connect wait, so no boundary check runs on empty state.
    scheduler_.start();
    publisher_.start();  // returns at once; the broker is reached in the background
    return LoadResult::Started;
}

KelvoraCore::InstanceLock KelvoraCore::lockDataDir(const DataDir& dir) {
    InstanceLock result;
    auto lock = std::make_unique<QLockFile>(dir.filePath(files::InstanceLock));
    // An instance runs for months, so its lock never goes stale by age; a lock
    // left by a run that crashed is stale because its process is gone.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        result.lock = std::move(lock);
        return result;
    }
    // Only a lock that another process holds means another instance; a lock
    // that cannot be made at all is a directory that refuses writes.
    result.heldByAnother = lock->error() == QLockFile::LockFailedError;
    result.error = lock->error() == QLockFile::PermissionError
                       ? QStringLiteral("permission denied")
                       : QStringLiteral("the lock file %1 cannot be made").arg(dir.filePath(files::InstanceLock));
    return result;
}

KelvoraCore::LoadResult KelvoraCore::acquireInstanceLock() {
    InstanceLock locked = lockDataDir(dir_);
    lock_ = std::move(locked.lock);
    if (lock_) return LoadResult::Started;
    lockError_ = locked.error;
    return locked.heldByAnother ? LoadResult::AlreadyRunning : LoadResult::NoLock;
}

KelvoraCore::InitializeResult KelvoraCore::InitializeOnly(const QString& dataDir, const Clock& clock) {
    const DataDir dir(dataDir, files::displayOnly());
    // Never under a running instance: it would rewrite every file the
    // instance is writing.
    const InstanceLock lock = lockDataDir(dir);
    if (!lock.lock) return lock.heldByAnother ? InitializeResult::AlreadyRunning : InitializeResult::NoLock;
    SharedState shared;
    FieldModel fields;
    return InitAllData(dir, clock, shared, fields) ? InitializeResult::Done : InitializeResult::Failed;
}

void KelvoraCore::checkFirstRun() {
    const auto marker = dir_.read(files::InitMarker);
    if (marker && RecordReader(*marker).next() == kInitMarkerText) return;
    // The marker is written last, by the initialisation itself: one that
    // stops half way is tried again at the next start.
    // Written directly: whether every file was created decides the marker.
    if (!InitAllData(dir_.withoutWriter(), clock_, shared_, fields_))
        qWarning("The data files could not all be created in %s", qPrintable(dir_.path()));
}

void KelvoraCore::loadAverages() {
    const QList<double> values = readKwhAverages(dir_);
    const struct { int field; const char16_t* pattern; } shown[] = {
        {8, u"#0.0"}, {12, u"$#0.0"}, {13, u"#0.0"}, {14, u"$0.0"}};
    for (qsizetype i = 0; i < values.size(); ++i)
        fields_.setText(arrayName("Text100", shown[i].field), formatMoney(values[i], shown[i].pattern, currencySymbol(shared_.settings)));
}

void KelvoraCore::loadSavedTotals() {
    const KwhLastData saved = readKwhLastData(dir_);
    shared_.Total_KWH_Saved = saved.totalKwh.value_or(0);
    shared_.Total_Cost_Saved = saved.totalCost.value_or(0);
    if (saved.totalKwh) fields_.setText(QStringLiteral("Text100(6)"), formatNumber(*saved.totalKwh, u"###0.0"));
    if (saved.totalCost) fields_.setText(QStringLiteral("Text100(5)"), formatMoney(*saved.totalCost, u"$##0.00", currencySymbol(shared_.settings)));
    if (saved.costPerKwh) {
        shared_.Cost_per_KWH = *saved.costPerKwh;
        fields_.setText(QStringLiteral("Text100(7)"), formatNumber(*saved.costPerKwh, u"0.###0"));
    }
}

void KelvoraCore::loadSettings() {
    const auto data = dir_.read(files::Settings);
    if (!data) {
        qWarning("No settings file %s; the set-up fields keep their design texts",
                 qPrintable(dir_.filePath(files::Settings)));
        return;
    }
    const LoadedSettings loaded = readSettings(*data, shared_.settings);
    shared_.settings = loaded.values;
    const Settings& s = shared_.settings;
    // Only the values the file held reach their fields.
    const struct { int order; const char* field; const SettingValue* value; } shown[] = {
        {1, "Text5(0)", &s.Remote_Host},     {2, "Text5(1)", &s.Remote_Port},
        {3, "Text6(0)", &s.VAC_Cal_Value},   {8, "Text_A_Cal", &s.AAMPS_Cal_Value},
        {9, "Text_B_Cal", &s.BAMPS_Cal_Value}};
    for (const auto& f : shown)
        if (loaded.valuesRead >= f.order) fields_.setText(QString::fromLatin1(f.field), f.value->display());
    if (loaded.valuesRead >= 4) shared_.VAC_Option_Loaded = s.VAC_Option.display();
    showCurrency();
    if (loaded.valuesRead < 9)
        qWarning("The settings file %s is short; missing values keep their defaults",
                 qPrintable(dir_.filePath(files::Settings)));
}

void KelvoraCore::applyMainsOption() {
    const QString option = shared_.VAC_Option_Loaded;
    shared_.settings.VAC_Option = SettingValue::Text(option);
    selectMainsOption(fields_, option);
    if (option == QLatin1String("120") || option == QLatin1String("240"))
        decoder_->setVacGood(option.toDouble());
    else
        decoder_->setVacGood(std::nullopt);
}

void KelvoraCore::connectToMeter() {
    // The host and port are read once; later edits of the fields take effect
    // at the next start.
    if (serverOverride_)
        link_.setRemote(serverOverride_->first, serverOverride_->second);
    else
        link_.setRemote(shared_.settings.Remote_Host.display(),
                        MeterLink::portFromSetting(shared_.settings.Remote_Port.value()));
    // The Set-Up fields show the stored server; this shows the one in use.
    fields_.setText(QStringLiteral("serverInUse"),
                    QStringLiteral("%1:%2 %3")
                        .arg(link_.remoteHost())
                        .arg(link_.remotePort())
                        .arg(serverOverride_ ? tr("(from the command line)") : tr("(from the settings)")));
    // Data that arrives during the first connect is kept; the first data
    // after start-up is dropped, since it may begin in the middle of a message.
    link_.setDiscardNextData(0);
    link_.ConnectToServer();
    link_.setDiscardNextData(1);
}

void KelvoraCore::LogRestart() {
    const QDateTime now = clock_.now();
    const QString line = stampDate(now.date()) + QStringLiteral("  ") + stampTime(now.time()) +
                         QStringLiteral("  Restart Program\r\n");
    dir_.append(files::AlarmsLog, line.toUtf8());
}

void KelvoraCore::startAlarms() {
    // The hub learns every alarm's state at once, not only the ones that raise.
    for (const AlarmKindInfo& k : kAlarmKinds)
        publisher_.publishAlarm(QLatin1String(k.objectId), false, QString(), clock_.now());
    alarms_.start(shared_.VAC_Option_Loaded);
}

void KelvoraCore::initializeAllData() {
    // Written directly, past whatever the writer still holds of the old data.
    if (!InitAllData(dir_.withoutWriter(), clock_, shared_, fields_))
        qWarning("Not every data file could be created afresh in %s", qPrintable(dir_.path()));
    kwhAccounting_.startAfresh();
    tenSecondTrends_.reset();
    for (auto& history : histories_) history->forgetWritten();
    // Open chart windows reload the erased files as each is saved.
}

bool KelvoraCore::CMD_SaveExit_Click() {
    setup_.takeNetworkFields();
    return Form_Terminate();
}

bool KelvoraCore::setCurrency(const QString& symbol, const QString& code) {
    if (!isCurrencySymbol(symbol) || !isCurrencyCode(code)) return false;
    Settings changed = shared_.settings;
    changed.Currency_Symbol = SettingValue::Text(symbol);
    changed.Currency_Code = SettingValue::Text(code);
    if (!saveSettings(dir_, changed)) return false;
    const bool newCode = code != currencyCode(shared_.settings);
    shared_.settings = changed;
    showCurrency();
    if (newCode) publisher_.announceAgain();
    return true;
}

// The amounts already shown take the symbol now, not at the next minute;
// texts that are not amounts yet (the design's "$DAVG") stay.
void KelvoraCore::showCurrency() {
    const QString symbol = currencySymbol(shared_.settings);
    alarms_.engine().setCurrencySymbol(symbol);
    const struct { const char* field; const char16_t* pattern; } amounts[] = {
        {"Text100(5)", u"$##0.00"}, {"Text100(12)", u"$#0.0"}, {"Text100(14)", u"$0.0"}};
    for (const auto& a : amounts) {
        const QString name = QString::fromLatin1(a.field);
        const QString shown = fields_.text(name);
        if (!moneySymbol(shown).isEmpty()) fields_.setText(name, formatMoney(moneyValue(shown), a.pattern, symbol));
    }
}

bool KelvoraCore::Form_Terminate() { return saveSettings(dir_, shared_.settings); }

}  // namespace kelvora
