#include "ui/usagecalculator.h"

#include "ui/fieldbinder.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace kelvora {

UsageCalculator::UsageCalculator(SharedState& shared, FieldModel& fields, const DataDir& dir, const Clock& clock,
                                 QWidget* parent)
    : QGroupBox(tr("Usage between two dates"), parent), calc_(shared, fields, dir, clock) {
    setObjectName(QStringLiteral("Frame_DateRange"));
    start_ = calendar(QStringLiteral("Calendar_Start"));
    end_ = calendar(QStringLiteral("Calendar_End"));
    // The last day that has a record after it, so that the first "Get Data"
    // with these dates gives a result.
    const QDate yesterday = clock.now().date().addDays(-1);
    start_->setSelectedDate(yesterday.addDays(-30));
    end_->setSelectedDate(yesterday);
    // A click picks a date, as Enter or a double click on it does.
    for (auto signal : {&QCalendarWidget::clicked, &QCalendarWidget::activated}) {
        connect(start_, signal, this, [this](QDate d) { calc_.Calendar_Start_Click(d); });
        connect(end_, signal, this, [this](QDate d) { calc_.Calendar_End_Click(start_->selectedDate(), d); });
    }

    auto* calendars = new QGridLayout;
    // A daily record is dated the midnight that ends its day: the dates
    // picked are those of the records, each holding the day before it.
    const QString recordDates = tr("A daily total is dated the midnight that ends its day,\n"
                                   "so the record of a date holds the use of the day before it.");
    for (auto [caption, column] : {std::pair{tr("Daily records dated from:"), 0}, std::pair{tr("to:"), 1}}) {
        auto* label = new QLabel(caption);
        label->setToolTip(recordDates);
        calendars->addWidget(label, 0, column);
    }
    calendars->addWidget(start_, 1, 0);
    calendars->addWidget(end_, 1, 1);

    // Caption, field, grid row and column.
    const struct { const char* caption; int field, row, column; } shown[] = {
        {"Start date:", 0, 0, 0},   {"End date:", 1, 1, 0},      {"Days:", 9, 2, 0},
        {"Daily records:", 10, 3, 0}, {"Total KWH:", 2, 0, 2},     {"KWH per day:", 3, 1, 2},
        {"KWH per hour:", 4, 2, 2},   {"Price per KWH:", 8, 3, 2}, {"Total cost:", 5, 0, 4},
        {"Cost per day:", 6, 1, 4},   {"Cost per hour:", 7, 2, 4},
    };
    auto* results = new QGridLayout;
    for (const auto& s : shown) {
        auto* label = new QLabel(tr(s.caption));
        auto* edit = new QLineEdit;
        edit->setObjectName(arrayName("Text1", s.field));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
        edit->setAlignment(Qt::AlignRight);
        edit->setAccessibleName(QString(tr(s.caption)).remove(u':'));
        edit->setMinimumWidth(80);
        label->setBuddy(edit);
        results->addWidget(label, s.row, s.column);
        results->addWidget(edit, s.row, s.column + 1);
    }
    auto* getData = new QPushButton(tr("Get Data"));
    getData->setObjectName(QStringLiteral("CMD_Chk"));
    getData->setToolTip(tr("Sum the daily totals from the start date to the end date"));
    connect(getData, &QPushButton::clicked, this,
            [this] { calc_.CMD_Chk_Click(start_->selectedDate(), end_->selectedDate()); });
    results->addWidget(getData, 3, 4, 1, 2);

    auto* v = new QVBoxLayout(this);
    v->addLayout(calendars);
    v->addLayout(results);
    v->addStretch();
    new FieldBinder(fields, this);
}

QCalendarWidget* UsageCalculator::calendar(const QString& name) {
    auto* c = new QCalendarWidget;
    c->setObjectName(name);
    c->setGridVisible(true);
    c->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    c->setFirstDayOfWeek(QLocale::system().firstDayOfWeek());
    c->setAccessibleName(name == QLatin1String("Calendar_Start") ? tr("Start date") : tr("End date"));
    return c;
}

}  // namespace kelvora
