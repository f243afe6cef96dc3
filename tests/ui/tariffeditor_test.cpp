#include "ui/tariffeditor.h"
#include "ui/appwindows.h"
#include "ui/mainwindow.h"
#include "ui/pricefield.h"
#include "ui/tariffweekgrid.h"
#include "energy/tariffbook.h"
#include "model/datafiles.h"
#include "support/started.h"
#include "support/widgets.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

using namespace kelvora;
using kelvora::testing::child;

namespace {

const QByteArray kExample =
    "\"valid from\",\"days\",\"from\",\"to\",\"price\"\r\n"
    "\"2026-12-01\",\"Mon-Fri\",\"07:00\",\"23:00\",\"0.30\"\r\n"
    "\"2026-12-01\",\"Mon-Sun\",\"23:00\",\"07:00\",\"0.12\"\r\n"
    "\"2026-12-01\",\"Sat,Sun\",\"07:00\",\"23:00\",\"0.12\"\r\n"
    "\"2026-12-01\",\"daily charge\",\"\",\"\",\"0.45\"\r\n";

// An editor on a data directory (with the example tariff when asked), its
// tariff book, and the answer it gets when it asks before losing changes.
struct Rig {
    explicit Rig(bool example) {
        EXPECT_TRUE(!example || dir.writeNow(files::Tariffs, kExample));
        book.load();
        editor = new TariffEditor(dir, book, clock, 0.2);
        editor->setAsk([this](QWidget*, const QString&, QMessageBox::StandardButtons) { return ++asked, answer; });
    }
    ~Rig() { delete editor; }
    QPushButton* button(const char* name) { return child<QPushButton>(*editor, name); }
    QTableWidget* table() { return child<QTableWidget>(*editor, "tariffBands"); }
    QStringList row(int r) {
        QStringList cells;
        for (int c = 0; c < table()->columnCount(); ++c) cells << table()->item(r, c)->text();
        return cells;
    }
    kelvora::testing::TempDataDir tmp;
    DataDir dir = tmp.dir();
    ManualClock clock;  // Saturday 12/5/2026 2:03 PM
    TariffBook book{dir};
    QPointer<TariffEditor> editor;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    int asked = 0;
};

QDateTime at(int day, int hour, int minute) { return QDateTime(QDate(2026, 12, day), QTime(hour, minute)); }

}  // namespace

// Each template adds a plan (from today, then from the day after the latest);
// "Save" writes what the table shows and the tariff book prices with it at once.
TEST(TariffEditor, TemplatesAddPlansAndSaveHandsTheFileToTheTariffBook) {
    Rig rig(false);
    EXPECT_FALSE(rig.button("CMD_Tariff_Save")->isEnabled());  // nothing to save yet
    rig.button("CMD_Tariff_Flat")->click();
    rig.button("CMD_Tariff_TwoRates")->click();
    ASSERT_EQ(rig.table()->rowCount(), 3);
    EXPECT_EQ(rig.row(0), (QStringList{"2026-12-05", "Mon-Sun", "00:00", "24:00", "0.20"}));
    EXPECT_EQ(rig.row(2), (QStringList{"2026-12-06", "Mon-Sun", "23:00", "07:00", "0.10"}));
    // The week shown is that of the plan just added: two prices.
    EXPECT_EQ(child<TariffWeekGrid>(*rig.editor, "tariffWeekGrid")->prices(), (QList<double>{0.1, 0.2}));
    ASSERT_TRUE(rig.button("CMD_Tariff_Save")->isEnabled());
    rig.button("CMD_Tariff_Save")->click();
    EXPECT_EQ(rig.tmp.contents(files::Tariffs), rig.editor->content());
    EXPECT_FALSE(rig.editor->isModified() || rig.button("CMD_Tariff_Save")->isEnabled());
    const struct { QDateTime when; double price; } prices[] = {
        {at(5, 23, 30), 0.2}, {at(6, 22, 59), 0.2}, {at(6, 23, 0), 0.1}, {at(7, 6, 59), 0.1}};
    for (const auto& p : prices) EXPECT_EQ(rig.book.priceAt(p.when), p.price) << p.when.toString().toStdString();
}

// What is typed is checked at once: one message per fault naming the file
// line (a band left out also leaves its minutes without a price), the line
// marked, "Save" off until the fault is gone.
TEST(TariffEditor, EachFaultTypedIsShownAndKeepsSaveOff) {
    enum { kValidFrom, kDays, kFrom, kTo, kPrice };
    const struct { int row, column; const char *text, *fault; } cases[] = {
        {0, kPrice, "-0.30", "Tariffs.dat line 2: negative price -0.30"},
        {0, kPrice, "0,30", "Tariffs.dat line 2: price \"0,30\" is not a number"},
        {1, kDays, "Mon-Sux", "Tariffs.dat line 3: unknown day name \"Sux\""},
        {0, kValidFrom, "2026-13-01", "Tariffs.dat line 2: bad date \"2026-13-01\" (YYYY-MM-DD)"},
        {2, kDays, "Sat", "Tariffs.dat lines 2, 3, 4, 5: the plan from 2026-12-01 leaves Sun 07:00 to Sun 23:00 "
                          "without a price"},
        {2, kFrom, "06:00", "Tariffs.dat lines 3 and 4: bands overlap from Sat 06:00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Rig rig(true);
        ASSERT_TRUE(rig.editor->faults().isEmpty());
        rig.table()->item(c.row, c.column)->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(rig.editor->faults().first(), QString::fromUtf8(c.fault)) << rig.editor->faults().join('\n').toStdString();
        auto* shown = child<QListWidget>(*rig.editor, "tariffFaults");
        ASSERT_EQ(shown->count(), rig.editor->faults().size());
        EXPECT_EQ(shown->item(0)->text(), QString::fromUtf8(c.fault));
        EXPECT_NE(rig.table()->item(c.row, kDays)->background(), QBrush());  // the line is marked
        EXPECT_FALSE(rig.button("CMD_Tariff_Save")->isEnabled());
        EXPECT_FALSE(rig.editor->save());
        EXPECT_EQ(rig.tmp.contents(files::Tariffs), kExample);
        EXPECT_TRUE(child<QLabel>(*rig.editor, "tariffStatus")->text().contains("fault"));
        rig.answer = QMessageBox::Discard;
        rig.button("CMD_Tariff_Revert")->click();
        EXPECT_TRUE(rig.editor->faults().isEmpty());
        EXPECT_EQ(rig.editor->content(), kExample);
    }
}

// "Add band" inserts a line of the current plan below the current one,
// "Remove band" takes the selected one away; closing with changes asks, and
// only "Save" or "Discard" closes.
TEST(TariffEditor, AddRemoveAndCloseAskBeforeChangesAreLost) {
    const struct { QMessageBox::StandardButton answer; bool closed; bool written; } cases[] = {
        {QMessageBox::Cancel, false, false}, {QMessageBox::Discard, true, false}, {QMessageBox::Save, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.answer));
        Rig rig(true);
        rig.editor->show();
        rig.table()->setCurrentCell(1, 0);
        rig.button("CMD_Tariff_Add")->click();
        ASSERT_EQ(rig.table()->rowCount(), 5);
        EXPECT_EQ(rig.row(2), (QStringList{"2026-12-01", "", "", "", ""}));
        EXPECT_FALSE(rig.editor->faults().isEmpty());
        rig.table()->selectRow(2);
        rig.button("CMD_Tariff_Remove")->click();
        rig.table()->selectRow(3);  // the daily charge
        rig.button("CMD_Tariff_Remove")->click();
        ASSERT_EQ(rig.table()->rowCount(), 3);
        EXPECT_TRUE(rig.editor->faults().isEmpty() && rig.editor->isModified());
        rig.answer = c.answer;
        rig.button("CMD_Tariff_Close")->click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(rig.asked, 1);
        EXPECT_EQ(!rig.editor || !rig.editor->isVisible(), c.closed);
        EXPECT_EQ(rig.tmp.contents(files::Tariffs) != kExample, c.written);
        EXPECT_EQ(rig.book.dailyCharge(QDate(2026, 12, 5)), c.written ? 0 : 0.45);
    }
}

// Text100(7): with Tariffs.dat a click opens the editor, without it the
// price is asked for. A file written while the app runs is in force from the
// next second's tick.
TEST(TariffEditor, PriceFieldOpensTheEditorOnlyWithATariffFile) {
    for (const bool withFile : {false, true}) {
        kelvora::testing::StartedApp app;
        ASSERT_TRUE(!withFile || app.core.dir().writeNow(files::Tariffs, kExample));
        app.core.scheduler().Timer1_Timer();
        EXPECT_EQ(app.core.fields().text("tariffBand").isEmpty(), !withFile);
        QLineEdit field;
        int asked = 0, opened = 0;
        PriceField price(app.core.shared(), app.core.fields(), app.core.dir(), &field, [&](QWidget*, const QString&) { return ++asked, QString(); },
                         [&] { ++opened; });
        price.Text100_Click();
        EXPECT_EQ(std::pair(asked, opened), std::pair(int(!withFile), int(withFile))) << withFile;
    }
}

// The app as main() builds it: the Set-Up page opens the one editor, a save
// there is the tariff in force at once, and the currency saved on the page
// is shown with the amounts and kept in the settings file.
TEST(TariffEditor, SetUpPageOpensTheEditorWhoseSaveTheAppTakesUp) {
    kelvora::testing::StartedApp app;
    MainWindow window(mainWindowParts(app.core));
    addAppWindows(window, app.core);
    ASSERT_TRUE(window.showSetupSection("Tariff"));
    auto* inForce = child<QLabel>(window, "tariffPlanInForce");
    EXPECT_TRUE(inForce->text().contains("flat price"));
    child<QPushButton>(window, "CMD_Edit_Tariff")->click();
    child<QPushButton>(window, "CMD_Edit_Tariff")->click();
    const QList<TariffEditor*> editors = window.findChildren<TariffEditor*>();
    ASSERT_EQ(editors.size(), 1);
    EXPECT_TRUE(editors[0]->isVisible() && editors[0]->windowTitle() == "Tariff");
    child<QPushButton>(*editors[0], "CMD_Tariff_TwoRates")->click();
    auto* table = child<QTableWidget>(*editors[0], "tariffBands");
    table->item(0, 4)->setText("0.31");
    child<QPushButton>(*editors[0], "CMD_Tariff_Save")->click();
    // Saturday 2:03 PM: the peak band of the plan from today.
    EXPECT_EQ(app.core.fields().text("Text100(7)"), "0.3100");
    EXPECT_EQ(app.core.fields().text("tariffBand"), "Mon-Sun 07:00-23:00 from 2026-12-05");
    EXPECT_TRUE(inForce->text().contains("the plan from 2026-12-05")) << inForce->text().toStdString();

    const struct { const char *symbol, *code; bool saved; } currencies[] = {
        {"\u20ac", "EUR", true}, {"1$", "EUR", false}, {"kr", "sek", false}};
    for (const auto& c : currencies) {
        SCOPED_TRACE(c.symbol);
        child<QLineEdit>(window, "currencySymbol")->setText(QString::fromUtf8(c.symbol));
        child<QLineEdit>(window, "currencyCode")->setText(QString::fromUtf8(c.code));
        child<QPushButton>(window, "CMD_Currency_Save")->click();
        EXPECT_EQ(child<QLabel>(window, "currencyMessage")->text() == "Saved", c.saved);
        EXPECT_TRUE(app.core.fields().text("Text100(5)").startsWith(QStringLiteral("\u20ac")));
    }
    app.settle();
    const QByteArray setup = app.tmp.contents(files::Settings);
    EXPECT_TRUE(setup.endsWith("\"currency symbol\"\r\n\"\u20ac\"\r\n\"currency code\"\r\n\"EUR\"\r\n"));
}
