// Pictures of the Explore window on a synthetic two-year archive (the
// benchmark's): a year of KW, one day zoomed out of a month with the week
// before beside it, and the KWH of every month.
//   kelvora-explorer-shots OUT_DIR        (under xvfb-run, or offscreen)
#include "archivefixture.h"

#include "ui/explorerplot.h"
#include "ui/explorerwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <cstdio>

using namespace kelvora;

namespace {

void waitIdle(ExplorerWindow& w) {
    do QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    while (!w.idle());
    QApplication::processEvents();
}

void choose(ExplorerWindow& w, const char* combo, int index) {
    w.findChild<QComboBox*>(QString::fromLatin1(combo))->setCurrentIndex(index);
    waitIdle(w);
}

bool save(ExplorerWindow& w, const QString& path) {
    const bool ok = w.grab().toImage().convertToFormat(QImage::Format_RGB888).save(path, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvora-explorer-shots OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const DataDir dir(bench::twoYearArchive());
    const ManualClock clock(QDateTime(QDate(2026, 12, 31), QTime(12, 0)));
    ExplorerWindow w(dir, clock);
    w.resize(1200, 700);
    w.show();
    waitIdle(w);
    choose(w, "CMB_Range", int(ExploreRange::ThisYear));
    bool ok = save(w, out.filePath(QStringLiteral("explore-year-kw.png")));

    choose(w, "CMB_Range", int(ExploreRange::ThisMonth));
    choose(w, "CMB_Compare", int(ComparePeriod::Week));
    w.plot().setView(timeRange(QDate(2026, 12, 16).startOfDay(), QDate(2026, 12, 17).startOfDay()));
    waitIdle(w);
    ok = save(w, out.filePath(QStringLiteral("explore-day-compare.png"))) && ok;

    choose(w, "CMB_Compare", int(ComparePeriod::None));
    choose(w, "CMB_Range", int(ExploreRange::All));
    choose(w, "CMB_Quantity", int(ArchiveQuantity::KwhPerMonth));
    ok = save(w, out.filePath(QStringLiteral("explore-kwh-month.png"))) && ok;
    return ok ? 0 : 1;
}
