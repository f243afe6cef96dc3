// Takes the pictures of the user manual and the README from the real app:
// the main window on each tab and every window its buttons open, connected
// to a running meter simulator, on a data directory (the demo house).
//   kelvora-screenshots --data-dir DIR --server HOST:PORT --out DIR [--settle SECONDS]
// Run it under a virtual display (xvfb-run); scripts/take-screenshots.sh does.
#include "app/commandline.h"
#include "app/kelvoracore.h"
#include "ui/appwindows.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <cstdio>

using namespace kelvora;

namespace {

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

// A picture no wider than the manual's page needs: scaled down smoothly.
bool save(QWidget* w, const QString& path) {
    QImage image = w->grab().toImage();
    constexpr int kMaxWidth = 900;
    if (image.width() > kMaxWidth) image = image.scaledToWidth(kMaxWidth, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_RGB888);
    const bool ok = image.save(path, "PNG", 9);
    std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "could not write", qPrintable(path), image.width(), image.height());
    return ok;
}

QWidget* newestWindow(const QWidget* except, const QSet<QWidget*>& before) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != except && w->isVisible() && !before.contains(w)) return w;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QString data, out, server;
    int settleMs = 20000;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--data-dir")) data = args[i + 1];
        else if (args[i] == QLatin1String("--out")) out = args[i + 1];
        else if (args[i] == QLatin1String("--server")) server = args[i + 1];
        else if (args[i] == QLatin1String("--settle")) settleMs = args[i + 1].toInt() * 1000;
    }
    const qsizetype colon = server.lastIndexOf(u':');
    if (data.isEmpty() || out.isEmpty() || colon < 1) {
        std::fprintf(stderr, "usage: kelvora-screenshots --data-dir DIR --server HOST:PORT --out DIR\n");
        return 2;
    }
    QDir().mkpath(out);
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/128x128.png")));

    SystemClock clock;
    KelvoraCore core(data, clock, [] {});
    core.setServerOverride(server.left(colon), server.mid(colon + 1).toUShort());
    if (core.Form_Load() != KelvoraCore::LoadResult::Started) {
        std::fprintf(stderr, "kelvora-screenshots: a Kelvora runs in %s\n", qPrintable(data));
        return 1;
    }
    MainWindow window(core);
    addAppWindows(window, core);
    window.resize(1000, 640);
    window.show();
    settle(settleMs);

    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    const char* tabPictures[] = {"main-current.png", "main-history.png", "main-calcs.png", "main-setup.png"};
    for (int i = 0; i < tabs->count() && i < 4; ++i) {
        tabs->setCurrentIndex(i);
        settle(800);
        save(&window, QDir(out).filePath(QString::fromLatin1(tabPictures[i])));
    }
    tabs->setCurrentIndex(0);

    // Each window as its button opens it; then a period button where the
    // picture shows one period.
    // Chart windows are photographed at one size; the meter keeps its own.
    const struct { const char* button; const char* period; const char* picture; bool chart; } windows[] = {
        {"CMD_Cur_Trend", nullptr, "current-trend.png", true},
        {"CMD_Meter", nullptr, "meter.png", false},
        {"CMD_KW_History_Trend", "CMD14Day", "kw-history.png", true},
        {"CMD_BarGraphs", "CMD_Daily", "kwh-graphs.png", true},
    };
    for (const auto& w : windows) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(w.button));
        if (!button || !button->isEnabled()) {
            std::fprintf(stderr, "kelvora-screenshots: %s opens no window\n", w.button);
            continue;
        }
        QSet<QWidget*> before;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible()) before.insert(t);
        button->click();
        settle(1500);
        QWidget* opened = newestWindow(&window, before);
        if (!opened) {
            std::fprintf(stderr, "kelvora-screenshots: %s showed nothing\n", w.button);
            continue;
        }
        if (w.period) {
            if (auto* period = opened->findChild<QPushButton*>(QString::fromLatin1(w.period))) period->click();
            else std::fprintf(stderr, "kelvora-screenshots: no %s in the window of %s\n", w.period, w.button);
        }
        if (w.chart) opened->resize(900, 560);
        settle(6000);  // the live windows refresh every few seconds
        save(opened, QDir(out).filePath(QString::fromLatin1(w.picture)));
        opened->close();
        settle(300);
    }
    return 0;
}
