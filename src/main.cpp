#include "app/commandline.h"
#include "app/kelvoracore.h"
#include "app/stallwatchdog.h"
#include "common/filesink.h"
#include "common/heap.h"
#include "ui/appwindows.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStatusBar>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

using namespace kelvora;

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int initializeOnly(const QString& dataDir) {
    SystemClock clock;
    switch (KelvoraCore::InitializeOnly(dataDir, clock)) {
    case KelvoraCore::InitializeResult::Done:
        std::printf("Initialised %s\n", qPrintable(dataDir));
        return 0;
    case KelvoraCore::InitializeResult::AlreadyRunning:
        std::fprintf(stderr, "kelvora: Kelvora is running in %s; nothing was changed\n", qPrintable(dataDir));
        return 3;
    case KelvoraCore::InitializeResult::NoLock:
        std::fprintf(stderr, "kelvora: Cannot write to the data directory %s\n", qPrintable(dataDir));
        return 2;
    case KelvoraCore::InitializeResult::Failed:
        break;
    }
    std::fprintf(stderr, "kelvora: could not initialise %s\n", qPrintable(dataDir));
    return 1;
}

// Said on the standard error stream and, where there is a screen, in a box.
int cannotWrite(const QString& dataDir, const QString& reason, bool withBox) {
    const QString text = QObject::tr("Cannot write to the data directory %1: %2").arg(dataDir, reason);
    std::fprintf(stderr, "kelvora: %s\n", qPrintable(text));
    // A box nobody could see (no screen) would wait for ever.
    if (withBox && QGuiApplication::platformName() != QLatin1String("offscreen"))
        QMessageBox::critical(nullptr, QStringLiteral("Kelvora"), text);
    return 2;
}

// A directory that cannot take a data file is found before anything is
// read, written or connected, whatever the reason.
std::optional<QString> unwritable(const QString& dataDir) {
    if (!QDir().mkpath(dataDir)) return QString::fromLocal8Bit(std::strerror(errno ? errno : EACCES));
    if (const int err = DirectorySink::probe(dataDir)) return QString::fromLocal8Bit(std::strerror(err));
    return std::nullopt;
}

// A logout or shutdown ends the program with SIGTERM (a terminal with
// SIGINT): it then quits as if its window closed, so that the disk writer
// saves what it holds before the process ends.
void quitOnTerminationSignals(QApplication& app) {
    static int fds[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return;
    auto* notifier = new QSocketNotifier(fds[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = [](int) {
        const char byte = 1;
        (void)::write(fds[0], &byte, 1);
    };
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    // Messages from the system (why a write failed) in the user's language, as
    // the windows' QApplication would also set it; numbers are never read
    // through the locale.
    std::setlocale(LC_ALL, "");
    kelvora::keepFileBuffersInHeap();
    const CommandLine cl = parseCommandLine(argumentsOf(argc, argv));
    switch (cl.action) {
    case CommandLine::Action::Help:
        std::fputs(qPrintable(usageText()), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("kelvora %s\n", KELVORA_VERSION);
        return 0;
    case CommandLine::Action::Error:
        std::fprintf(stderr, "kelvora: %s\n%s", qPrintable(cl.error), qPrintable(usageText()));
        return 2;
    default:
        break;
    }
    const QString dataDir = dataDirectoryOf(cl);
    if (cl.action == CommandLine::Action::Initialize) {
        if (const auto reason = unwritable(dataDir)) return cannotWrite(dataDir, *reason, false);
        return initializeOnly(dataDir);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    QApplication::setApplicationVersion(QStringLiteral(KELVORA_VERSION));
    // The desktop matches the windows to the menu entry and its icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(KELVORA_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/128x128.png")));
    StallWatchdog::startIfAsked(cl.stallReport, &app);

    if (const auto reason = unwritable(dataDir)) return cannotWrite(dataDir, *reason, true);

    SystemClock clock;
    KelvoraCore core(dataDir, clock, [] { QApplication::beep(); });
    if (!cl.serverHost.isEmpty()) core.setServerOverride(cl.serverHost, cl.serverPort);
    if (!cl.mqttUrl.isEmpty()) core.setMqttOverride(cl.mqttUrl);
    switch (core.Form_Load()) {
    case KelvoraCore::LoadResult::AlreadyRunning:
        QMessageBox::information(nullptr, QStringLiteral("Kelvora"), QStringLiteral("Kelvora App already running....."),
                                 QMessageBox::Ok);
        return 0;
    case KelvoraCore::LoadResult::NoLock:
        return cannotWrite(dataDir, core.lockError(), true);
    case KelvoraCore::LoadResult::Started:
        break;
    }
    MainWindow window(mainWindowParts(core));
    addAppWindows(window, core);
    QObject::connect(&window, &MainWindow::saveAndExitRequested, &app, [&] {
        if (core.CMD_SaveExit_Click()) {
            QApplication::quit();
            return;
        }
        // Leaving now would lose the edits: stay open and say why.
        window.statusBar()->showMessage(
            QObject::tr("The settings could not be saved in %1; Kelvora stays open.").arg(core.dir().path()));
    });
    window.show();
    if (cl.openWindows) window.openEveryWindow();
    quitOnTerminationSignals(app);
    return app.exec();
}
