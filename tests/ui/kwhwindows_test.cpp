#include "ui/appwindows.h"
#include "ui/datafilespanel.h"
#include "ui/kwhhistorytrend.h"
#include "ui/mainwindow.h"
#include "ui/pricefield.h"
#include "ui/usagecalculator.h"
#include "common/timestamp.h"
#include "energy/kwhdates.h"
#include "support/started.h"
#include "support/widgets.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCategoryAxis>
#include <QDir>
#include <QChartView>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

using namespace kelvora;
using kelvora::testing::child;

namespace {

struct Core : kelvora::testing::StartedApp {
    // A rolling file of 60 records: (stamp(i), value(i)) for i = 0..59.
    template <typename S, typename V>
    void writeRolling(const QString& name, S stampOf, V valueOf) {
        QList<Record> lines;
        for (int i = 0; i < 60; ++i) lines << Record{Field::Text(stampOf(i)), Field::Text(valueOf(i))};
        tmp.dir().writeRecords(name, lines);
    }
};

QString hourStamp(int i) { return stamp(QDateTime(QDate(2026, 12, 3), QTime(0, 0)).addSecs(3600 * i)); }

}  // namespace

// Hourly draws every record, the other periods only their non-zero values;
// the monthly axis names drawn bars only.
TEST(KwhHistoryTrend, MonthlyLabelsAndTheLatestElevenMonths) {
    Core c;
    c.writeRolling(files::KWHhr, hourStamp, [](int i) { return i % 3 ? QString::number(i) + ".00" : "0.00"; });
    c.writeRolling(files::KWHday, [](int i) { return midnightStamp(QDate(2026, 10, 1).addDays(i)); },
                   [](int i) { return i % 2 ? "12.50" : "0"; });
    // Totals of 100, 200, ... 1300 KWH for thirteen months, each followed by its zero record.
    c.writeRolling(files::KWHMonth, [](int i) { return midnightStamp(QDate(2025, 12, 1).addMonths((i - 34) / 2)); },
                   [](int i) { return i >= 34 && i % 2 == 0 ? QString::number((i - 32) / 2 * 100) : "0"; });
    KwhHistoryTrend w(c.core.dir(), c.core.clock(), c.core.windows());
    ChartView& chart = w.chart();
    const auto click = [&](const char* button) { child<QPushButton>(w, button)->click(); };
    EXPECT_EQ(chart.points().size(), 60);
    EXPECT_EQ(chart.rowLabel(1), "Thu 3 12:00 AM");  // a zero hour is drawn and labelled
    EXPECT_EQ(child<QLabel>(w, "Label2")->text(), "8,800");  // 300 .. 1300

    click("CMD_Daily");
    EXPECT_EQ(chart.rowLabel(1), "");  // a zero day: no label, and 0 rather than the hourly value before it
    EXPECT_EQ(chart.value(1), 0.0);
    EXPECT_EQ((std::pair{chart.rowLabel(2), chart.value(2)}), (std::pair{QString("Fri Oct 2"), std::optional(12.5)}));
    for (const auto& [button, period] : {std::pair{"CMD_Weekly", KwhPeriod::Week}, {"CMD_Years", KwhPeriod::Year},
                                         {"CMD_Hourly", KwhPeriod::Hour}, {"CMD_Monthly", KwhPeriod::Month}}) {
        click(button);
        EXPECT_EQ(w.period(), period) << button;
        EXPECT_FALSE(child<QPushButton>(w, button)->isEnabled()) << button;  // the graph shown
    }
    QStringList labels;
    for (int row = 35; row <= 60; row += 2) labels << chart.rowLabel(row);
    EXPECT_EQ(labels, (QStringList{"DEC", "JAN", "FEB", "MAR", "APR", "MAY", "JUNE", "JULY", "AUG", "SEPT", "OCT",
                                   "NOV", "DEC"}));
    auto* axis = qobject_cast<QCategoryAxis*>(w.findChild<QChartView*>()->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_TRUE(axis && axis->categoriesLabels().size() > 3);
    for (QString l : axis->categoriesLabels()) EXPECT_TRUE(labels.contains(l.remove(QChar(0x200B)))) << l.toStdString();

    c.writeRolling(files::KWHMonth, hourStamp, [](int) { return "0"; });
    w.ShowYtdKwh();
    EXPECT_EQ(child<QLabel>(w, "Label2")->text(), "");  // "##,###" of 0 shows no digit
}

// "Get Data" prices the calendars' range at the price clicked into its field.
TEST(UsageCalculator, GetDataShowsTheRangeFromTheCalendarsAtThePriceClickedIn) {
    Core c;
    c.writeRolling(files::KWHDays, [](int i) { return midnightStamp(QDate(2026, 10, 1).addDays(i)); },
                   [](int) { return "10.00"; });
    MainWindow window(mainWindowParts(c.core));
    auto* field = child<QLineEdit>(window, "Text100(7)");
    new PriceField(c.core.shared(), c.core.fields(), c.core.dir(), field, [&](QWidget*, const QString&) { return QStringLiteral("0.1"); });
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), field->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(field, &release);
    EXPECT_EQ(field->text(), "0.1000");
    UsageCalculator panel(c.core.shared(), c.core.fields(), c.core.dir(), c.core.clock());
    const auto text = [&](int i) { return child<QLineEdit>(panel, QStringLiteral("Text1(%1)").arg(i))->text(); };
    const auto pick = [&](const char* calendar, QDate day) {
        auto* cal = child<QCalendarWidget>(panel, calendar);
        cal->setSelectedDate(day);
        Q_EMIT cal->clicked(day);
    };
    pick("Calendar_Start", QDate(2026, 10, 2));
    pick("Calendar_End", QDate(2026, 10, 11));
    child<QPushButton>(panel, "CMD_Chk")->click();  // runs also for a range under 30 days
    EXPECT_EQ((QStringList{text(1), text(9), text(10), text(2), text(5)}),
              (QStringList{"10/11/2026", "10", "10", "100.0", "$10.0"}));
}

// "Initialize All Data" erases only on Yes, and keeps the minute archive
// when asked to.
TEST(DataFilesPanel, ButtonsOpenTheFilesAndTheDataAndEraseOnlyOnYes) {
    Core c;
    QStringList opened;
    QList<QUrl> folders;
    bool yes = false, keepArchive = true;
    int beeps = 0, keepAsked = 0;
    DataFilesPanel panel(c.core.dir(), c.core.fields(), dataFileActions(c.core), DataFilesPanel::Desktop{
                                     FileOpener{[&](const QUrl& u) { return opened << u.fileName(), true; },
                                                [&](const QUrl& u) { return folders << u, true; }},
                                     [&](QWidget*) { return yes; }, [&] { ++beeps; },
                                     [&](QWidget*) { return ++keepAsked, keepArchive; }});
    for (const char* b : {"CMD_KWH_hrs", "CMD_KWH_days", "CMD_KWH_weeks", "CMD_KWH_months", "CMD_KWH_years",
                          "Command1", "Command3", "Command2", "Command4", "Command5"})
        child<QPushButton>(panel, b)->click();
    EXPECT_EQ(opened, (QStringList{files::KWHhr, files::KWHday, files::KWHweek, files::KWHMonth, files::KWHyear,
                                   files::KWHHours, files::KWHDays, files::KWHWeeks, files::KWHMonths,
                                   files::KWHyears}));
    child<QPushButton>(panel, "CMDVIEWData")->click();
    EXPECT_EQ(folders, QList<QUrl>{QUrl::fromLocalFile(c.tmp.path())});

    const QString month = files::archiveMinutes(2026, 12);
    QDir().mkpath(c.tmp.dir().filePath(files::ArchiveFolder));
    c.tmp.dir().writeWhole(month, "time,volts,amps_a,amps_b,kw,kwh,cost\r\n");
    c.core.kwhPeriods()[KwhPeriod::Hour].kwh = 0.75;
    c.writeRolling(files::KWHhr, hourStamp, [](int) { return "2.50"; });
    const QByteArray kept = c.tmp.contents(files::KWHhr);
    KwhHistoryTrend graphs(c.core.dir(), c.core.clock(), c.core.windows());  // open on the hourly graph
    child<QPushButton>(panel, "CMD_Init_All_Data")->click();  // answered No
    EXPECT_EQ(c.tmp.contents(files::KWHhr), kept);
    yes = true;
    child<QPushButton>(panel, "CMD_Init_All_Data")->click();
    EXPECT_EQ(beeps, 1);  // on Yes only
    EXPECT_EQ(keepAsked, 1);
    EXPECT_EQ(c.core.kwhPeriods()[KwhPeriod::Hour].kwh, 0);  // the erased hour is not written back
    c.settle();
    EXPECT_EQ(graphs.chart().value(60), 0);  // the open graph shows the erased hours
    EXPECT_TRUE(c.tmp.dir().exists(month));
    EXPECT_EQ(c.tmp.contents(files::InitMarker), "\"init done\"\r\n");
    keepArchive = false;
    child<QPushButton>(panel, "CMD_Init_All_Data")->click();
    c.settle();
    EXPECT_FALSE(c.tmp.dir().exists(month));

    c.core.shared().Total_KWH_Saved = 12;
    child<QPushButton>(panel, "CMD_KW_DataReset")->click();
    EXPECT_EQ(c.core.shared().Total_KWH_Saved, 0);
}

// A desktop entry's command for one file; a terminal editor runs in a terminal or not at all.
TEST(FileOpener, TerminalEditorsRunInATerminal) {
    const QUrl file = QUrl::fromLocalFile("/data/KWH hr.dat");
    const QString term = "/usr/bin/x-terminal-emulator";
    const struct { DesktopApplication app; QString terminal; QStringList command; } cases[] = {
        {{"gedit %U"}, term, {"gedit", "file:///data/KWH%20hr.dat"}},
        {{"\"/opt/My Editor/ed\" --new %f %i"}, "", {"/opt/My Editor/ed", "--new", "/data/KWH hr.dat"}},
        {{"nano-wrapper --tab"}, "", {"nano-wrapper", "--tab", "/data/KWH hr.dat"}},
        {{"vim %F", true}, term, {term, "-e", "vim", "/data/KWH hr.dat"}},
        {{"vim %F", true}, "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plainTextCommand(c.app, c.terminal, file), c.command) << c.app.exec.toStdString();
}

// The export stamps each bar in ISO 8601; filler records and bars not drawn
// keep their stamps with an empty value. The hourly graph of two days of data
// names its newest bar and spreads its names over the whole axis (they once
// stopped seventeen bars short of it).
TEST(KwhHistoryTrend, ExportGivesEachBarItsPeriodStampAndEmptyValuesWhereNoData) {
    Core c;
    const QString made = "12/6/2026  6:45:08 AM";  // when the data were initialised
    c.writeRolling(files::KWHhr, [&](int i) { return i < 12 ? made : hourStamp(i); },
                   [](int i) { return i < 12 ? "0" : i == 20 ? "0.00" : QString::number(i) + ".50"; });
    c.writeRolling(files::KWHday, [](int i) { return midnightStamp(QDate(2026, 10, 1).addDays(i)); },
                   [](int i) { return i == 59 ? "0.00" : "12.25"; });
    KwhHistoryTrend w(c.core.dir(), c.core.clock(), c.core.windows());
    const QString out = c.tmp.dir().filePath("kwh.csv");
    w.actions().setFileChooser([&](QWidget*, const QString&) { return out; });
    const auto exported = [&] {
        child<QPushButton>(w, "CMD_Export_CSV")->click();
        return c.tmp.contents("kwh.csv").split('\n');
    };
    QList<QByteArray> lines = exported();
    ASSERT_EQ(lines.size(), 62);  // header, 60 bars, nothing after the last CR LF
    EXPECT_EQ(lines[0], "\"Hour ending (local)\",\"Energy (KWH)\"\r");
    EXPECT_EQ(lines[1], "2026-12-06 06:45:08,\r");   // filled when the file was made
    EXPECT_EQ(lines[12], "2026-12-06 06:45:08,\r");
    EXPECT_EQ(lines[13], "2026-12-03 12:00:00,12.5\r");
    EXPECT_EQ(lines[21], "2026-12-03 20:00:00,0\r");  // an hour of no use is data
    EXPECT_EQ(lines[60], "2026-12-05 11:00:00,59.5\r");

    w.resize(900, 560);
    w.show();
    QApplication::processEvents();
    auto* view = w.findChild<QChartView*>();
    ASSERT_NE(view, nullptr);
    QStringList shown;  // the axis labels Qt draws, without the invisible suffixes
    for (QGraphicsItem* item : view->scene()->items())
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
            shown << text->toPlainText().remove(QChar(0x200B));
    const QString newest = w.chart().rowLabel(60);
    EXPECT_EQ(newest, "Sat 5 11:00 AM");
    EXPECT_TRUE(shown.contains(newest)) << shown.join(" | ").toStdString();
    auto* axis = qobject_cast<QCategoryAxis*>(view->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(axis, nullptr);
    const QStringList labels = axis->categoriesLabels();
    ASSERT_GE(labels.size(), 4);
    // Evenly spaced back from the newest: the first stands in the oldest fifth.
    EXPECT_LE(axis->endValue(labels.first()), 12);
    EXPECT_EQ(axis->endValue(labels.last()), 59);  // bars stand at 0 .. 59

    child<QPushButton>(w, "CMD_Daily")->click();
    lines = exported();
    EXPECT_EQ(lines[0], "\"Day ending (local)\",\"Energy (KWH)\"\r");
    EXPECT_EQ(lines[1], "2026-10-01 00:00:00,12.25\r");
    EXPECT_EQ(lines[60], "2026-11-29 00:00:00,\r");  // a zero day is not drawn
    child<QPushButton>(w, "CMDExit")->click();
    EXPECT_FALSE(w.isVisible());
}
