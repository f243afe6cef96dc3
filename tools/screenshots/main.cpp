// Takes the pictures of the user manual and the README from the real app:
// the main window on each tab and every window its buttons open, connected
// to a running meter simulator, on a data directory (the demo house).
//   kelvora-screenshots --data-dir DIR --server HOST:PORT --out DIR [--settle SECONDS] [--review DIR]
// --review also takes, full size, the pictures a review of the windows needs:
// each tab at two sizes, each window on several of its buttons, a print with
// no printer, the usage between two dates and the tariff window.
// Run it under a virtual display (xvfb-run); scripts/take-screenshots.sh does.
#include "app/commandline.h"
#include "app/kelvoracore.h"
#include "ui/appwindows.h"
#include "ui/helpwindow.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QStatusBar>
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

// A picture no wider than the manual's page needs (maxWidth 0: as it is).
bool save(QWidget* w, const QString& path, int maxWidth = 900) {
    QImage image = w->grab().toImage();
    if (maxWidth > 0 && image.width() > maxWidth) image = image.scaledToWidth(maxWidth, Qt::SmoothTransformation);
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

// Opens the window a main-window button opens; nullptr when none shows.
QWidget* openWindow(QWidget& main, const QString& name) {
    auto* button = main.findChild<QPushButton*>(name);
    if (!button || !button->isEnabled()) {
        std::fprintf(stderr, "kelvora-screenshots: %s opens no window\n", qPrintable(name));
        return nullptr;
    }
    QSet<QWidget*> before;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->isVisible()) before.insert(t);
    button->click();
    settle(1500);
    QWidget* opened = newestWindow(&main, before);
    if (!opened) {  // the Meter button toggles: closed from its window, it takes a second click
        button->click();
        settle(1500);
        opened = newestWindow(&main, before);
    }
    if (!opened) std::fprintf(stderr, "kelvora-screenshots: %s showed nothing\n", qPrintable(name));
    return opened;
}

// Closes a window and deletes it, as the event loop would, so that its
// button builds it anew.
void closeWindow(QWidget* w) {
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle(300);
}

void click(QWidget* in, const QString& name) {
    auto* button = in->findChild<QPushButton*>(name);
    if (button) button->click();
    else std::fprintf(stderr, "kelvora-screenshots: no %s in %s\n", qPrintable(name), qPrintable(in->objectName()));
}

// The review set: every tab at its default and a large size, then each
// window after its buttons were clicked in turn.
void takeReview(MainWindow& window, QTabWidget& tabs, const QDir& out) {
    const QSize sizes[] = {window.size(), {1600, 1000}};
    const char* const tabNames[] = {"current", "history", "calcs", "setup"};
    for (const QSize& size : sizes) {
        window.resize(size);
        for (int i = 0; i < tabs.count() && i < 4; ++i) {
            tabs.setCurrentIndex(i);
            settle(1500);
            const QString name = QStringLiteral("main-%1-%2x%3.png").arg(tabNames[i]);
            save(&window, out.filePath(name.arg(size.width()).arg(size.height())), 0);
        }
    }
    window.resize(sizes[0]);

    // The usage between two dates, over days a 14-day demo house recorded.
    tabs.setCurrentIndex(1);
    const QDate today = QDate::currentDate();
    window.findChild<QCalendarWidget*>(QStringLiteral("Calendar_Start"))->setSelectedDate(today.addDays(-10));
    window.findChild<QCalendarWidget*>(QStringLiteral("Calendar_End"))->setSelectedDate(today.addDays(-3));
    click(&window, QStringLiteral("CMD_Chk"));
    settle(1500);
    save(&window, out.filePath(QStringLiteral("usage-between-dates.png")), 0);
    settle(4000);  // left on the screen for a picture of the whole display
    tabs.setCurrentIndex(0);

    // With a tariff, its window with the week of the plan in force.
    if (window.showSetupSection(QStringLiteral("Tariff"))) {
        QSet<QWidget*> before;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible()) before.insert(t);
        click(&window, QStringLiteral("CMD_Edit_Tariff"));
        settle(1500);
        if (QWidget* editor = newestWindow(&window, before)) {
            save(editor, out.filePath(QStringLiteral("tariff-editor.png")), 0);
            settle(4000);
            closeWindow(editor);
        }
        tabs.setCurrentIndex(0);
    }

    // Window button, the buttons clicked in it, its size (default if empty), picture.
    const struct { const char* button; QStringList clicks; QSize size; const char* picture; } shots[] = {
        {"CMD_Cur_Trend", {"CMDCur_VAC"}, {}, "current-trend-vac.png"},
        {"CMD_Cur_Trend", {"CMDCur_A"}, {}, "current-trend-a-amps.png"},
        {"CMD_Cur_Trend", {"CMDCur_B"}, {}, "current-trend-b-amps.png"},
        {"CMD_Cur_Trend", {"CMDCur_KW"}, {}, "current-trend-kw.png"},
        {"CMD_Meter", {}, {}, "meter-default.png"},
        {"CMD_Meter", {}, {1200, 800}, "meter-1200x800.png"},
        {"CMD_BarGraphs", {"CMD_Hourly"}, {}, "kwh-graphs-hourly.png"},
        {"CMD_BarGraphs", {"CMD_Monthly"}, {}, "kwh-graphs-monthly.png"},
        {"CMD_KW_History_Trend", {"CMD1Hr"}, {}, "kw-history-1hr.png"},
        {"CMD_KW_History_Trend", {"CMD14Day"}, {}, "kw-history-14day.png"},
        {"CMD_KW_History_Trend", {"CMD14Day", "CNDPrint_KWHistory"}, {}, "kw-history-printed.png"},
        {"CMD_BarGraphs", {"CMD_Hourly", "CNDPrint_KWHistory"}, {}, "kwh-graphs-printed.png"},
    };
    for (const auto& s : shots) {
        QWidget* opened = openWindow(window, QString::fromLatin1(s.button));
        if (!opened) continue;
        if (s.size.isValid()) opened->resize(s.size);
        for (const QString& name : s.clicks) {
            click(opened, name);
            settle(2500);
        }
        settle(6000);
        // A print names the PDF it wrote in the status line.
        auto* status = opened->findChild<QStatusBar*>(QStringLiteral("StatusLine"));
        if (status && !status->currentMessage().isEmpty())
            std::printf("%s: %s\n", s.picture, qPrintable(status->currentMessage()));
        save(opened, out.filePath(QString::fromLatin1(s.picture)), 0);
        closeWindow(opened);
    }

    // The manual inside the program, on the chapter of the windows.
    window.showHelp();
    settle(1500);
    if (auto* help = window.findChild<HelpWindow*>()) {
        help->showChapter(QStringLiteral("KWH History Trend"));
        settle(800);
        save(help, out.filePath(QStringLiteral("help-window.png")), 0);
        closeWindow(help);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QString data, out, server, review;
    int settleMs = 20000;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--data-dir")) data = args[i + 1];
        else if (args[i] == QLatin1String("--out")) out = args[i + 1];
        else if (args[i] == QLatin1String("--server")) server = args[i + 1];
        else if (args[i] == QLatin1String("--settle")) settleMs = args[i + 1].toInt() * 1000;
        else if (args[i] == QLatin1String("--review")) review = args[i + 1];
    }
    const qsizetype colon = server.lastIndexOf(u':');
    if (data.isEmpty() || out.isEmpty() || colon < 1) {
        std::fprintf(stderr, "usage: kelvora-screenshots --data-dir DIR --server HOST:PORT --out DIR"
                             " [--settle SECONDS] [--review DIR]\n");
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
    MainWindow window(mainWindowParts(core));
    addAppWindows(window, core);
    window.resize(1100, 720);  // the size the app opens at
    window.show();
    settle(settleMs);

    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    const char* tabPictures[] = {"main-current.png", "main-history.png", "main-calcs.png", "main-setup.png"};
    for (int i = 0; i < tabs->count() && i < 4; ++i) {
        tabs->setCurrentIndex(i);
        settle(800);
        save(&window, QDir(out).filePath(QString::fromLatin1(tabPictures[i])));
    }
    window.showSetupSection(MainWindow::kAlarms);
    settle(800);
    save(&window, QDir(out).filePath(QStringLiteral("setup-alarms.png")));
    tabs->setCurrentIndex(0);

    // Each window as its button opens it; then a period button where the
    // picture shows one period.
    // Chart windows are photographed at one size; the meter keeps its own.
    const struct { const char* button; const char* period; const char* picture; bool chart; } windows[] = {
        {"CMD_Cur_Trend", nullptr, "current-trend.png", true},
        {"CMD_Meter", nullptr, "meter.png", false},
        {"CMD_KW_History_Trend", "CMD14Day", "kw-history.png", true},
        {"CMD_BarGraphs", "CMD_Daily", "kwh-graphs.png", true},
        {"CMD_Alarms", nullptr, "alarms-window.png", false},
    };
    for (const auto& w : windows) {
        QWidget* opened = openWindow(window, QString::fromLatin1(w.button));
        if (!opened) continue;
        if (w.period) click(opened, QString::fromLatin1(w.period));
        if (w.chart) opened->resize(900, 560);
        settle(6000);  // the live windows refresh every few seconds
        save(opened, QDir(out).filePath(QString::fromLatin1(w.picture)));
        closeWindow(opened);
    }
    if (!review.isEmpty()) {
        QDir().mkpath(review);
        takeReview(window, *tabs, QDir(review));
    }
    return 0;
}
