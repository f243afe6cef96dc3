// kelvora-meter-sim: a stand-in for the meter controller and its serial server.
#include "common/clock.h"
#include "meterserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTime>
#include <cstdio>

using kelvora::sim::LoadScript;
using kelvora::sim::ParsedScript;
using kelvora::sim::MeterServer;

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "kelvora-meter-sim: %s\n", qPrintable(message));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvora-meter-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVORA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates the Kelvora meter controller behind its serial server: a TCP server that sends\n"
        "the meter's message stream to one client at a time (a new client replaces the old one).\n"
        "Every interval it sends one message,\n"
        "  v + 25 four-digit voltage samples + a + 25 four-digit phase A current samples\n"
        "  + V<raw>!A<raw>!B<raw>! + e,\n"
        "for a household on a split-phase supply: a base load, lights and electronics that follow\n"
        "the time of day, a cycling fridge and occasional kettle, microwave, oven, dryer and water\n"
        "heater, on a line voltage around 240 V. Raw values use the default calibration\n"
        "(raw 911 = 240 V, raw 767 = 100 A). Each message stands for 2 seconds of household time;\n"
        "the same seed and start time give the same stream."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption bindOpt(QStringLiteral("bind"), QStringLiteral("Address to listen on (default 127.0.0.1)."),
                                     QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOpt(QStringLiteral("port"),
                                     QStringLiteral("TCP port to listen on (default 5000; 0 picks a free one)."),
                                     QStringLiteral("port"), QStringLiteral("5000"));
    const QCommandLineOption intervalOpt(QStringLiteral("interval-ms"),
                                         QStringLiteral("Milliseconds between messages (default 2000)."),
                                         QStringLiteral("ms"), QStringLiteral("2000"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"), QStringLiteral("Seed of the household (default 1)."),
                                     QStringLiteral("number"), QStringLiteral("1"));
    const QCommandLineOption startOpt(QStringLiteral("start"),
                                      QStringLiteral("Household time of day to start at, HH:MM (default: now)."),
                                      QStringLiteral("time"));
    const QCommandLineOption scriptOpt(
        QStringLiteral("script"),
        QStringLiteral("Drive the load from a script of timed steps, one a line:\n"
                       "  <seconds> amps <A> <B> | volts <V> | pause <seconds> | household\n"
                       "(seconds from the start of the stream; # starts a comment)."),
        QStringLiteral("file"));
    parser.addOptions({bindOpt, portOpt, intervalOpt, seedOpt, startOpt, scriptOpt});
    parser.process(app);

    QHostAddress address;
    if (!address.setAddress(parser.value(bindOpt))) return fail(QStringLiteral("not an address: ") + parser.value(bindOpt));
    bool ok = false;
    const uint port = parser.value(portOpt).toUInt(&ok);
    if (!ok || port > 65535) return fail(QStringLiteral("not a port: ") + parser.value(portOpt));
    const int interval = parser.value(intervalOpt).toInt(&ok);
    if (!ok || interval < 1 || interval > 3600000)
        return fail(QStringLiteral("interval must be 1..3600000 ms: ") + parser.value(intervalOpt));
    const quint64 seed = parser.value(seedOpt).toULongLong(&ok);
    if (!ok) return fail(QStringLiteral("not a seed: ") + parser.value(seedOpt));

    double startSecond = 0;
    if (parser.isSet(startOpt)) {
        const QTime t = QTime::fromString(parser.value(startOpt), QStringLiteral("H:mm"));
        if (!t.isValid()) return fail(QStringLiteral("start must be HH:MM: ") + parser.value(startOpt));
        startSecond = t.msecsSinceStartOfDay() / 1000.0;
    } else {
        startSecond = kelvora::SystemClock().now().time().msecsSinceStartOfDay() / 1000.0;
    }

    MeterServer server(seed, startSecond, interval);
    if (parser.isSet(scriptOpt)) {
        QFile file(parser.value(scriptOpt));
        if (!file.open(QIODevice::ReadOnly)) return fail(QStringLiteral("cannot read the script ") + file.fileName());
        const ParsedScript parsed = LoadScript::parse(QString::fromUtf8(file.read(1024 * 1024)));
        if (!parsed.script) return fail(file.fileName() + QStringLiteral(", ") + parsed.error);
        server.setScript(*parsed.script);
    }
    if (!server.listen(address, quint16(port)))
        return fail(QStringLiteral("cannot listen on %1:%2: %3").arg(address.toString()).arg(port).arg(server.errorString()));
    std::printf("kelvora-meter-sim: listening on %s:%u\n", qPrintable(address.toString()), unsigned(server.serverPort()));
    std::fflush(stdout);
    server.start();
    return app.exec();
}
