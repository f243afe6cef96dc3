#pragma once
// Runs a test in a real time zone with summer time, and puts the machine's
// zone back after it.
#include <QByteArray>
#include <QtGlobal>
#include <ctime>

namespace kelvora::testing {

class ZoneScope {
public:
    explicit ZoneScope(const char* zone) : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope() {
        if (had_) qputenv("TZ", old_);
        else qunsetenv("TZ");
        tzset();
    }

private:
    bool had_;
    QByteArray old_;
};

}  // namespace kelvora::testing
