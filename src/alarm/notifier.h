#pragma once
#include "alarm/alarmengine.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

namespace kelvora {

// Tells the person at the desktop about a raise or a clear.
class AlarmNotifier {
public:
    virtual ~AlarmNotifier() = default;
    virtual void notify(const AlarmEvent& event) = 0;
};

// Desktop notifications through the freedesktop notification service on a
// session bus. The call never waits: where no bus or no service is, nothing
// is shown and nothing fails (one warning says why). A clear replaces the
// notification of its raise.
class DesktopNotifier : public QObject, public AlarmNotifier {
    Q_OBJECT
public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    void notify(const AlarmEvent& event) override;
    // The id the service gave the notification of a raised alarm (0: none shown).
    uint shownId(AlarmKind kind) const { return shown_.value(static_cast<int>(kind), 0); }

    static inline const QString kService = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

private:
    void warnOnce(const QString& why);

    QDBusConnection bus_;
    QHash<int, uint> shown_;  // the notification id of each kind's raise
    bool warned_ = false;
};

}  // namespace kelvora
