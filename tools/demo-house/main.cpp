// kelvora-demo-house: a data directory as Kelvora leaves it after watching the
// simulator's household for a while (14 days unless told otherwise).
#include "common/heap.h"
#include "demohouse.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    kelvora::keepFileBuffersInHeap();
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fills DIR with the data files Kelvora would hold after watching the meter simulator's household,\n"
        "recorded by Kelvora's own processing on a simulated clock that ends now."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("data-dir"), QStringLiteral("The data directory to fill."), QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("days"), QStringLiteral("Days of household to record (default 14)."),
                      QStringLiteral("N"), QStringLiteral("14")});
    parser.addOption({QStringLiteral("hours"), QStringLiteral("Hours instead of days."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("seed"), QStringLiteral("The household's seed (default 2026)."),
                      QStringLiteral("N"), QStringLiteral("2026")});
    parser.addOption({QStringLiteral("tariff"), QStringLiteral("A Tariffs.dat to price the minutes with."),
                      QStringLiteral("FILE")});
    parser.process(app);

    kelvora::demo::DemoHouseRun run;
    run.dataDir = parser.value(QStringLiteral("data-dir"));
    bool ok = !run.dataDir.isEmpty();
    const int hours = parser.isSet(QStringLiteral("hours")) ? parser.value(QStringLiteral("hours")).toInt(&ok)
                                                            : parser.value(QStringLiteral("days")).toInt(&ok) * 24;
    bool seedOk = false;
    run.seed = parser.value(QStringLiteral("seed")).toULongLong(&seedOk);
    if (!ok || !seedOk || hours <= 0 || hours > 24 * 366) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    if (parser.isSet(QStringLiteral("tariff"))) {
        QFile file(parser.value(QStringLiteral("tariff")));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "kelvora-demo-house: cannot read %s\n", qPrintable(file.fileName()));
            return 2;
        }
        run.tariff = file.readAll();
    }
    run.minutes = hours * 60;
    run.dataDir = QDir(run.dataDir).absolutePath();
    run.end = QDateTime::currentDateTime();
    const bool done = kelvora::demo::generateDemoHouse(run, [&](int minutes) {
        if (minutes % (24 * 60) == 0 || minutes == run.minutes)
            std::fprintf(stderr, "%d of %d hours\n", minutes / 60, hours);
    });
    if (!done) {
        std::fprintf(stderr, "kelvora-demo-house: could not fill %s\n", qPrintable(run.dataDir));
        return 1;
    }
    std::printf("%s holds %d hours of the household\n", qPrintable(run.dataDir), hours);
    return 0;
}
