#pragma once
// A core started in a data directory, connecting only to a loopback port: by
// default one on which nothing listens (the start-up connect is refused at once).
#include "app/kelvoracore.h"
#include "support/fakes.h"
#include "support/server.h"

#include <QCoreApplication>

namespace kelvora::testing {

struct StartedCore {
    StartedCore(const QString& path, const Clock& clock, quint16 port = freeLoopbackPort())
        : core(path, clock, [] {}) {
        core.setServerOverride(QStringLiteral("127.0.0.1"), port);
        result = core.Form_Load();
        if (result == KelvoraCore::LoadResult::Started) settle();
    }
    KelvoraCore core;
    KelvoraCore::LoadResult result;
    FieldModel& fields() { return core.fields(); }
    // Everything the disk writer holds is on the disk, and whoever waits for
    // a saved file has been told.
    void settle() {
        EXPECT_TRUE(core.dir().flush(5000));
        QCoreApplication::processEvents();
    }
};

// A fresh data directory, the test clock (12/5/2026 2:03:00 PM) and a core
// started in it.
struct StartedApp {
    explicit StartedApp(quint16 port = freeLoopbackPort()) : started(tmp.path(), clock, port) {}
    TempDataDir tmp;
    ManualClock clock;
    StartedCore started;
    KelvoraCore& core = started.core;
    void settle() { started.settle(); }
};

}  // namespace kelvora::testing
