#include "alarm/notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QVariantMap>

namespace kelvora {

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {}

void DesktopNotifier::warnOnce(const QString& why) {
    if (warned_) return;
    warned_ = true;
    qWarning("Alarms are not shown on the desktop: %s", qPrintable(why));
}

void DesktopNotifier::notify(const AlarmEvent& e) {
    if (!bus_.isConnected()) return warnOnce(QStringLiteral("no session bus"));
    const int kind = static_cast<int>(e.kind);
    const uint replaces = shown_.value(kind, 0);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    const QString summary = (e.raised ? QStringLiteral("Kelvora alarm: %1") : QStringLiteral("Kelvora: %1 cleared"))
                                .arg(alarmName(e.kind));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(e.raised ? 2 : 1));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral(KELVORA_APP_ID));
    call << QStringLiteral("Kelvora") << replaces << QStringLiteral(KELVORA_APP_ID) << summary << e.text
         << QStringList() << hints << int(e.raised ? 0 : -1);  // a raise stays until it is dismissed
    if (!e.raised) shown_.remove(kind);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, kind, raised = e.raised](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) return warnOnce(reply.error().message());
        if (raised) shown_.insert(kind, reply.value());
    });
}

}  // namespace kelvora
