#include "demohouse.h"

#include "app/kelvoracore.h"
#include "common/clock.h"
#include "common/datadir.h"
#include "meterstream.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace kelvora::demo {
namespace {

constexpr int kReadingSetsPerMinute = 30;  // one reading set every two seconds

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

void runHousehold(KelvoraCore& core, ManualClock& clock, quint64 seed, int minutes,
                  const std::function<void(int)>& progress) {
    const QTime start = clock.now().time();
    sim::HouseholdLoad house(seed, start.msecsSinceStartOfDay() / 1000.0);
    SharedState& shared = core.shared();
    for (int minute = 1; minute <= minutes; ++minute) {
        for (int set = 0; set < kReadingSetsPerMinute; ++set) {
            clock.advanceMs(qint64(sim::MeterStream::kStepSeconds * 1000));
            const sim::LoadSample s = house.step(sim::MeterStream::kStepSeconds);
            // What the decoder would hand on for the meter's message.
            shared.VAC_Reading = s.volts;
            shared.A_AMPS_Reading = s.ampsA;
            shared.B_AMPS_Reading = s.ampsB;
            shared.New_Message = 1;
            core.scheduler().Timer2_Timer();
            core.scheduler().runMinuteConsumers();
        }
        if (progress && minute % 60 == 0) progress(minute);
    }
}

bool copyInto(const QString& from, const QString& to) {
    const DataDir source(from);
    const DataDir target(to, files::displayOnly());
    bool ok = true;
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        if (name == files::InstanceLock) continue;
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
    if (KelvoraCore::InitializeOnly(work->path(), clock) != KelvoraCore::InitializeResult::Done) return false;
    {
        KelvoraCore core(work->path(), clock, [] {});
        runHousehold(core, clock, run.seed, run.minutes, progress);
    }
    // Not over a directory a running Kelvora is using.
    if (!QDir().mkpath(run.dataDir)) return false;
    const auto lock = KelvoraCore::lockDataDir(DataDir(run.dataDir));
    return lock && copyInto(work->path(), run.dataDir);
}

}  // namespace kelvora::demo
