#include "alarm/notifier.h"

#include "fakenotifications.h"
#include "support/wait.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const QDateTime kWhen(QDate(2026, 12, 8), QTime(17, 31, 2));

// A session bus of the test's own, so no real desktop sees the test.
struct PrivateBus {
    PrivateBus() {
        daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (!daemon.waitForStarted(5000) || !waitUntil([&] { return daemon.canReadLine(); }, 5000)) return;
        address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("app"));
        daemon.kill();
        daemon.waitForFinished(5000);
    }
    QDBusConnection connect(const QString& name) { return QDBusConnection::connectToBus(address, name); }
    QProcess daemon;
    QString address;
};

}  // namespace

// Where no service answers (yet, or no bus at all), nothing is shown and
// nothing fails or waits. A raise shows as a critical notification that
// stays; its clear replaces it.
TEST(DesktopNotifier, RaiseAndClearReachTheNotificationService) {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps.sh installs it)";
    PrivateBus bus;
    ASSERT_FALSE(bus.address.isEmpty());
    DesktopNotifier notifier(bus.connect(QStringLiteral("app")));
    DesktopNotifier noBus(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "none"));
    for (DesktopNotifier* n : {&notifier, &noBus}) n->notify({AlarmKind::Link, true, "no message for 120 s", kWhen});
    waitUntil([] { return false; }, 300);  // the error reply arrives and is taken quietly
    for (DesktopNotifier* n : {&notifier, &noBus}) EXPECT_EQ(n->shownId(AlarmKind::Link), 0u);
    FakeNotifications service;
    ASSERT_TRUE(service.serveOn(bus.connect(QStringLiteral("service"))));

    notifier.notify({AlarmKind::PhaseA, true, "168.2 A over 160 A (80 % of 200 A)", kWhen});
    ASSERT_TRUE(waitUntil([&] { return service.calls.size() == 1; }));
    const FakeNotifications::Call raise = service.calls[0];
    EXPECT_EQ(raise.appName, "Kelvora");
    EXPECT_EQ(raise.replacesId, 0u);
    EXPECT_EQ(raise.summary, "Kelvora alarm: phase A");
    EXPECT_EQ(raise.body, "168.2 A over 160 A (80 % of 200 A)");
    EXPECT_EQ(raise.hints.value("urgency").toInt(), 2);
    EXPECT_EQ(raise.timeout, 0);
    // The clear can replace the raise once the service's id is back.
    ASSERT_TRUE(waitUntil([&] { return notifier.shownId(AlarmKind::PhaseA) == raise.id; }));

    notifier.notify({AlarmKind::PhaseA, false, "142.0 A", kWhen.addSecs(158)});
    ASSERT_TRUE(waitUntil([&] { return service.calls.size() == 2; }));
    EXPECT_EQ(service.calls[1].replacesId, raise.id);
    EXPECT_EQ(service.calls[1].summary, "Kelvora: phase A cleared");
    EXPECT_EQ(service.calls[1].hints.value("urgency").toInt(), 1);
}
