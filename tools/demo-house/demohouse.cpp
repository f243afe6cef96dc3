#include "demohouse.h"

#include "app/kelvoracore.h"
#include "common/clock.h"
#include "common/datadir.h"
#include "common/format.h"
#include "common/timestamp.h"
#include "energy/priceentry.h"
#include "meterstream.h"

#include <QDir>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <memory>

namespace kelvora::demo {
namespace {

constexpr int kReadingSetsPerMinute = 30;  // one reading set every two seconds
// What the demo household pays per KWH.
const QString kDemoPrice = QStringLiteral("0.1650");

// Where the work is done: memory when the system has it, else beside the
// target.
std::unique_ptr<QTemporaryDir> workDirectory(const QString& target) {
    const QString shm = QStringLiteral("/dev/shm");
    const QFileInfo info(shm);
    const QString base = info.isDir() && info.isWritable() ? shm : QFileInfo(target).absolutePath();
    auto dir = std::make_unique<QTemporaryDir>(QDir(base).filePath(QStringLiteral("kelvora-demo-XXXXXX")));
    if (!dir->isValid()) return nullptr;
    return dir;
}

// A loopback port nobody listens on: the start-up connect is refused at once
// instead of reaching for the serial server of the default settings.
quint16 closedLoopbackPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// One minute of the household: its 30 reading sets averaged, as the channel
// averaging's 30-reading cycle averages them.
struct MinuteMeans {
    double volts = 0, ampsA = 0, ampsB = 0;
};

MinuteMeans nextMinute(sim::HouseholdLoad& house) {
    MinuteMeans m;
    for (int set = 0; set < kReadingSetsPerMinute; ++set) {
        const sim::LoadSample s = house.step(sim::MeterStream::kStepSeconds);
        m.volts += s.volts;
        m.ampsA += s.ampsA;
        m.ampsB += s.ampsB;
    }
    m.volts /= kReadingSetsPerMinute;
    m.ampsA /= kReadingSetsPerMinute;
    m.ampsB /= kReadingSetsPerMinute;
    return m;
}

// One minute as the running app has it, without the per-message work that
// only feeds the live displays (two weeks of it would take minutes): the
// boundary checks at the minute's first second; the minute's averages as the
// channel averaging leaves them, the power step of its last reading set and
// the minute step; and in the next second's tick every minute consumer
// (histories, then the KWH minute step).
void recordMinute(KelvoraCore& core, ManualClock& clock, const QDateTime& begin, const MinuteMeans& m) {
    SharedState& shared = core.shared();
    FieldModel& fields = core.fields();
    clock.set(begin);
    core.scheduler().runBoundaryChecks();
    const struct { int field; double value; } shown[] = {{2, m.volts}, {3, m.ampsA}, {4, m.ampsB}};
    for (const auto& s : shown) fields.setText(arrayName("Text100", s.field), formatNumber(s.value, u"##0.0"));
    shared.VAC_Avg = m.volts;
    shared.A_AMPS_Avg = m.ampsA;
    shared.B_AMPS_Avg = m.ampsB;
    clock.set(begin.addSecs(60 - qint64(sim::MeterStream::kStepSeconds)));
    core.measurement().KW_Update();
    core.scheduler().queueMinute(core.measurement().KW_Minute_Update());
    fields.setText(QStringLiteral("Label7"), stampTime(clock.now().time()));
    clock.set(begin.addSecs(60));
    core.scheduler().runMinuteConsumers();
}

void runHousehold(KelvoraCore& core, ManualClock& clock, const DemoHouseRun& run,
                  const std::function<void(int)>& progress) {
    const QDateTime start = clock.now();
    sim::HouseholdLoad house(run.seed, start.time().msecsSinceStartOfDay() / 1000.0);
    for (int minute = 1; minute <= run.minutes; ++minute) {
        recordMinute(core, clock, start.addSecs(60LL * (minute - 1)), nextMinute(house));
        if (progress && minute % 60 == 0) progress(minute);
    }
    // The end itself: a boundary there rolls over before the live run begins.
    core.scheduler().runBoundaryChecks();
}

bool copyInto(const QString& from, const QString& to) {
    const DataDir source(from);
    const DataDir target(to, files::displayOnly());
    QStringList names;
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (name != files::InstanceLock) names << name;
    // The minute archive's folder with its month files.
    for (const QString& name : QDir(source.filePath(files::ArchiveFolder)).entryList(QDir::Files))
        names << files::ArchiveFolder + u'/' + name;
    bool ok = !QDir(source.filePath(files::ArchiveFolder)).exists() || QDir().mkpath(target.filePath(files::ArchiveFolder));
    for (const QString& name : names) {
        const auto content = source.read(name);
        ok = content && target.writeWhole(name, *content) && ok;
    }
    return ok;
}

}  // namespace

bool generateDemoHouse(const DemoHouseRun& run, const std::function<void(int)>& progress) {
    const auto work = workDirectory(run.dataDir);
    if (!work) return false;
    ManualClock clock(run.end.addSecs(-60LL * run.minutes));
    {
        // A first start: the data files are created, the settings, totals and
        // period state loaded, and the start logged.
        if (!run.tariff.isEmpty() && !DataDir(work->path()).writeNow(files::Tariffs, run.tariff)) return false;
        KelvoraCore core(work->path(), clock, [] {}, /*diskWriter=*/false);
        core.setServerOverride(QStringLiteral("127.0.0.1"), closedLoopbackPort());
        if (core.Form_Load() != KelvoraCore::LoadResult::Started) return false;
        endPriceEntry(kDemoPrice, core.shared(), core.fields(), core.dir());
        runHousehold(core, clock, run, progress);
    }
    // Not over a directory a running Kelvora is using.
    if (!QDir().mkpath(run.dataDir)) return false;
    const auto locked = KelvoraCore::lockDataDir(DataDir(run.dataDir));
    return locked.lock && copyInto(work->path(), run.dataDir);
}

}  // namespace kelvora::demo
