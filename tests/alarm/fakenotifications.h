#pragma once
// A freedesktop notification service for the tests: it records every Notify
// call and answers with a new id, as a desktop's service does.
#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

namespace kelvora::testing {

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId = 0;
        QString summary;
        QString body;
        QVariantMap hints;
        int timeout = 0;
        uint id = 0;
    };
    bool serveOn(QDBusConnection bus) {
        return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                  QDBusConnection::ExportAllSlots) &&
               bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& /*icon*/, const QString& summary,
                const QString& body, const QStringList& /*actions*/, const QVariantMap& hints, int timeout) {
        const uint id = replacesId ? replacesId : ++lastId_;
        calls << Call{appName, replacesId, summary, body, hints, timeout, id};
        return id;
    }

private:
    uint lastId_ = 0;
};

}  // namespace kelvora::testing
