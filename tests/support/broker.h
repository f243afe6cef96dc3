#pragma once
// A real mosquitto broker on a free loopback port for the tests, started and
// stopped by the test, and a subscriber that records what the broker sends.
#include "support/server.h"

#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <atomic>
#include <mosquitto.h>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace kelvora::testing {

inline const QString kMosquitto = QStringLiteral("/usr/sbin/mosquitto");

class TestBroker {
public:
    static bool available() { return QFile::exists(kMosquitto); }
    ~TestBroker() { stop(); }

    // With a user and password the broker accepts that user only.
    bool start(quint16 port = 0, const QString& user = {}, const QString& password = {}) {
        port_ = port ? port : freeLoopbackPort();
        // Started by root, the broker would switch to a user of its own, which
        // cannot read the test's password file: it stays the test's user.
        const passwd* self = getpwuid(geteuid());
        QByteArray conf = "listener " + QByteArray::number(port_) + " 127.0.0.1\npersistence false\nlog_dest none\n" +
                          "user " + QByteArray(self ? self->pw_name : "root") + "\n";
        if (user.isEmpty()) {
            conf += "allow_anonymous true\n";
        } else {
            const QString passwords = dir_.filePath(QStringLiteral("passwords"));
            if (QProcess::execute(QStringLiteral("/usr/bin/mosquitto_passwd"),
                                  {QStringLiteral("-c"), QStringLiteral("-b"), passwords, user, password}) != 0)
                return false;
            conf += "allow_anonymous false\npassword_file " + QFile::encodeName(passwords) + "\n";
        }
        QFile f(dir_.filePath(QStringLiteral("mosquitto.conf")));
        if (!f.open(QIODevice::WriteOnly) || f.write(conf) != conf.size()) return false;
        f.close();
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(kMosquitto, {QStringLiteral("-c"), f.fileName()});
        if (!process_.waitForStarted(5000)) return false;
        return waitUntil([this] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port_);
            return probe.waitForConnected(200);
        }, 5000);
    }
    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished(5000);
    }
    quint16 port() const { return port_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};

struct Received {
    QString topic;
    QByteArray payload;
    bool retained = false;
};

// Subscribes with the library's own thread; messages() is safe to call from
// the test thread.
class TestSubscriber {
public:
    TestSubscriber(quint16 port, const char* topic) {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* s = static_cast<TestSubscriber*>(self);
            QMutexLocker lock(&s->mutex_);
            s->received_ << Received{QString::fromUtf8(m->topic),
                                     QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain};
        });
        mosquitto_connect_callback_set(mosq_, [](mosquitto* mosq, void* self, int rc) {
            if (rc == 0) mosquitto_subscribe(mosq, nullptr, static_cast<TestSubscriber*>(self)->topic_.constData(), 1);
        });
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            static_cast<TestSubscriber*>(self)->subscribed_ = true;
        });
        topic_ = topic;
        ok_ = mosquitto_connect(mosq_, "127.0.0.1", port, 30) == MOSQ_ERR_SUCCESS &&
              mosquitto_loop_start(mosq_) == MOSQ_ERR_SUCCESS;
    }
    ~TestSubscriber() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, true);
        mosquitto_destroy(mosq_);
    }
    // Connected and subscribed (bounded wait).
    bool ok() { return ok_ && waitUntil([this] { return subscribed_.load(); }, 5000); }
    QList<Received> messages() {
        QMutexLocker lock(&mutex_);
        return received_;
    }
    // The last message on a topic, once one has come (bounded wait).
    std::optional<Received> waitFor(const QString& topic, int ms = 5000) {
        std::optional<Received> found;
        waitUntil([&] {
            for (const Received& r : messages())
                if (r.topic == topic) found = r;
            return found.has_value();
        }, ms);
        return found;
    }
    int count(const QString& topic) {
        int n = 0;
        for (const Received& r : messages()) n += r.topic == topic;
        return n;
    }

private:
    mosquitto* mosq_ = nullptr;
    QByteArray topic_;
    bool ok_ = false;
    std::atomic<bool> subscribed_{false};
    QMutex mutex_;
    QList<Received> received_;
};

}  // namespace kelvora::testing

#define SKIP_WITHOUT_MOSQUITTO()                                                              \
    if (!kelvora::testing::TestBroker::available())                                          \
    GTEST_SKIP() << "mosquitto is not installed (/usr/sbin/mosquitto); the broker tests need it " \
                    "(scripts/install-deps.sh installs it)"
