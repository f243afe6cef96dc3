#include "ui/tariffeditor.h"

#include "common/format.h"
#include "common/records.h"
#include "energy/tariff.h"
#include "energy/tariffbook.h"
#include "model/datafiles.h"
#include "ui/tariffweekgrid.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace kelvora {
namespace {

enum Column { kValidFrom, kDays, kFrom, kTo, kPrice, kColumns };
const QByteArray kHeader = recordLine({Field::Text(QStringLiteral("valid from")), Field::Text(QStringLiteral("days")),
                                       Field::Text(QStringLiteral("from")), Field::Text(QStringLiteral("to")),
                                       Field::Text(QStringLiteral("price"))});

QMessageBox::StandardButton askBox(QWidget* parent, const QString& question, QMessageBox::StandardButtons buttons) {
    return QMessageBox::question(parent, QObject::tr("Tariff"), question, buttons);
}

// The file lines a fault names: "line 4:", "lines 3 and 5:", "lines 2, 3, 4:".
QList<int> linesOf(const QString& fault) {
    static const QRegularExpression named(QStringLiteral(" lines? ([0-9, and]+):"));
    QList<int> lines;
    const QRegularExpressionMatch m = named.match(fault);
    if (!m.hasMatch()) return lines;
    static const QRegularExpression number(QStringLiteral("[0-9]+"));
    for (auto it = number.globalMatch(m.captured(1)); it.hasNext();) lines << it.next().captured().toInt();
    return lines;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TariffEditor::TariffEditor(const DataDir& dir, TariffBook& book, const Clock& clock, double flatPrice, QWidget* parent)
    : QWidget(parent, Qt::Window), dir_(dir), book_(book), clock_(clock), flatPrice_(flatPrice), ask_(askBox) {
    setObjectName(QStringLiteral("TariffEditor"));
    setWindowTitle(tr("Tariff"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    loadFile();
    // A file saved by a text editor meanwhile is shown, unless it would
    // overwrite what the user is typing.
    connect(&book_, &TariffBook::tariffChanged, this, [this] {
        inForce_->setText(inForceText());
        const auto onDisk = dir_.read(files::Tariffs);
        if (!modified_ && onDisk && *onDisk != content()) loadFile();
    });
}

void TariffEditor::buildWindow() {
    inForce_ = new QLabel(this);
    inForce_->setObjectName(QStringLiteral("tariffInForce"));
    inForce_->setWordWrap(true);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(buildBandsArea());
    split->addWidget(buildWeekArea());
    split->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(inForce_);
    layout->addWidget(split, 1);
    layout->addLayout(buildActions());
    resize(760, 720);
    setMinimumSize(560, 520);
}

// The table of bands, its buttons and the faults of its lines.
QWidget* TariffEditor::buildBandsArea() {
    auto* area = new QWidget(this);
    table_ = new QTableWidget(0, kColumns, area);
    table_->setObjectName(QStringLiteral("tariffBands"));
    table_->setHorizontalHeaderLabels({tr("Valid from"), tr("Days"), tr("From"), tr("To"), tr("Price per KWH")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    table_->setToolTip(tr("Valid from: YYYY-MM-DD. Days: Mon-Fri, Sat,Sun or \"daily charge\". "
                          "From, To: HH:MM (a To before From runs into the next day; 24:00 ends the day). "
                          "Price: per KWH, with a point."));
    faultList_ = new QListWidget(area);
    faultList_->setObjectName(QStringLiteral("tariffFaults"));
    faultList_->setMaximumHeight(fontMetrics().height() * 6);
    auto* add = button(tr("&Add band"), "CMD_Tariff_Add", area);
    auto* remove = button(tr("&Remove band"), "CMD_Tariff_Remove", area);
    auto* flat = button(tr("&Flat price"), "CMD_Tariff_Flat", area);
    auto* two = button(tr("&Two rates (peak/off-peak)"), "CMD_Tariff_TwoRates", area);
    connect(add, &QPushButton::clicked, this, &TariffEditor::addBand);
    connect(remove, &QPushButton::clicked, this, &TariffEditor::removeSelectedBands);
    connect(flat, &QPushButton::clicked, this, [this] { applyTemplate(Template::Flat); });
    connect(two, &QPushButton::clicked, this, [this] { applyTemplate(Template::TwoRates); });
    auto* del = new QShortcut(QKeySequence::Delete, table_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &TariffEditor::removeSelectedBands);
    auto* ins = new QShortcut(QKeySequence(Qt::Key_Insert), table_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(ins, &QShortcut::activated, this, &TariffEditor::addBand);
    connect(table_, &QTableWidget::itemChanged, this, [this] { edited(); });
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) { showPlanOf(row); });
    // A fault activated takes the cursor to its line.
    connect(faultList_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        for (int line : linesOf(item->text()))
            for (int row = 0; row < table_->rowCount(); ++row)
                if (fileLineOf(row) == line) return table_->setCurrentCell(row, kValidFrom);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(new QLabel(tr("Templates:"), area));
    buttons->addWidget(flat);
    buttons->addWidget(two);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    layout->addWidget(faultList_);
    return area;
}

// The week of the plan chosen (or of the current row's plan).
QWidget* TariffEditor::buildWeekArea() {
    auto* area = new QWidget(this);
    plan_ = new QComboBox(area);
    plan_->setObjectName(QStringLiteral("tariffPlan"));
    grid_ = new TariffWeekGrid(area);
    connect(plan_, &QComboBox::currentIndexChanged, this, [this] { showSelectedPlan(); });
    auto* label = new QLabel(tr("Week of the plan &valid from:"), area);
    label->setBuddy(plan_);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(plan_);
    row->addStretch();
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(grid_, 1);
    return area;
}

// The status line, Save, Revert and Close, with their keys.
QHBoxLayout* TariffEditor::buildActions() {
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("tariffStatus"));
    status_->setWordWrap(true);
    save_ = button(tr("&Save"), "CMD_Tariff_Save", this);
    revert_ = button(tr("Re&vert"), "CMD_Tariff_Revert", this);
    auto* close = button(tr("&Close"), "CMD_Tariff_Close", this);
    connect(save_, &QPushButton::clicked, this, &TariffEditor::save);
    connect(revert_, &QPushButton::clicked, this, &TariffEditor::revert);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] {
        if (save_->isEnabled()) save();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    auto* actions = new QHBoxLayout;
    actions->addWidget(status_, 1);
    actions->addWidget(save_);
    actions->addWidget(revert_);
    actions->addWidget(close);
    return actions;
}

void TariffEditor::setCurrencySymbol(const QString& symbol) {
    symbol_ = symbol;
    grid_->setCurrencySymbol(symbol);
    inForce_->setText(inForceText());
}

QString TariffEditor::inForceText() const {
    const QDateTime now = clock_.now();
    if (const auto band = book_.bandAt(now))
        return tr("In force now: %1 per KWH (%2)").arg(symbol_ + formatNumber(band->price, u"0.###0"), band->describe());
    return book_.tariff() ? tr("In force now: no plan yet (the flat price)")
                          : tr("In force now: the flat price (no tariff saved)");
}

// Comment lines stay at the top of the file; every other line is a band.
void TariffEditor::loadFile() {
    filling_ = true;
    table_->setRowCount(0);
    comments_.clear();
    const QByteArray file = dir_.read(files::Tariffs).value_or(QByteArray());
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (line.startsWith('#')) comments_ << QString::fromUtf8(line);
        if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
        QStringList cells = readFields(line);
        if (i == 0 && !cells.isEmpty() && cells[0].trimmed().compare(u"valid from", Qt::CaseInsensitive) == 0) continue;
        appendRow(cells);
    }
    filling_ = false;
    setModified(false);
    inForce_->setText(inForceText());
    validate();
    if (table_->rowCount() == 0)
        setStatus(tr("No tariff saved: every minute is priced at the flat price. "
                     "Start from a template or add bands."));
    else if (faults_.isEmpty())
        setStatus(tr("As saved in %1").arg(files::Tariffs));
    // The week shown first is that of the plan in force.
    const auto band = book_.bandAt(clock_.now());
    int first = 0;
    for (int row = 0; band && row < table_->rowCount(); ++row)
        if (rowCells(row)[kValidFrom] == band->validFrom.toString(Qt::ISODate)) {
            first = row;
            break;
        }
    if (table_->rowCount() > 0) table_->setCurrentCell(first, kValidFrom);
}

void TariffEditor::appendRow(const QStringList& cells) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    for (int c = 0; c < kColumns; ++c) table_->setItem(row, c, new QTableWidgetItem(cells.value(c).trimmed()));
}

int TariffEditor::fileLineOf(int row) const { return int(comments_.size()) + 2 + row; }

QStringList TariffEditor::rowCells(int row) const {
    QStringList cells;
    for (int c = 0; c < kColumns; ++c) {
        const QTableWidgetItem* item = table_->item(row, c);
        // A field holds no quote or line end of its own.
        cells << (item ? item->text() : QString()).remove(QRegularExpression(QStringLiteral("[\"\r\n]"))).trimmed();
    }
    return cells;
}

QByteArray TariffEditor::content() const {
    QByteArray out;
    for (const QString& c : comments_) out += c.toUtf8() + "\r\n";
    out += kHeader;
    for (int row = 0; row < table_->rowCount(); ++row) {
        Record r;
        for (const QString& cell : rowCells(row)) r << Field::Text(cell);
        out += recordLine(r);
    }
    return out;
}

void TariffEditor::edited() {
    if (filling_) return;
    setModified(true);
    validate();
}

void TariffEditor::validate() {
    const auto parsed = Tariff::parse(content(), files::Tariffs);
    const auto* found = std::get_if<QStringList>(&parsed);
    faults_ = found ? *found : QStringList();
    faultList_->clear();
    faultList_->addItems(faults_);
    faultList_->setVisible(!faults_.isEmpty());
    markFaultyRows();
    // The plans in the selector, oldest first.
    std::set<QString> dates;
    for (int row = 0; row < table_->rowCount(); ++row) dates.insert(rowCells(row)[kValidFrom]);
    const QString selected = plan_->currentText();
    const QSignalBlocker block(plan_);
    plan_->clear();
    for (const QString& d : dates) plan_->addItem(d);
    plan_->setCurrentIndex(std::max(0, plan_->findText(selected)));
    showSelectedPlan();
    save_->setEnabled(faults_.isEmpty() && modified_);
    if (!faults_.isEmpty())
        setStatus(tr("%n fault(s): fix them to save", nullptr, int(faults_.size())));
    else if (modified_)
        setStatus(tr("Changes not saved"));
}

void TariffEditor::markFaultyRows() {
    QSet<int> faulty;
    for (const QString& f : faults_)
        for (int line : linesOf(f)) faulty << line;
    const QSignalBlocker block(table_);
    QStringList lineNames;
    for (int row = 0; row < table_->rowCount(); ++row) {
        lineNames << tr("line %1").arg(fileLineOf(row));
        const bool bad = faulty.contains(fileLineOf(row));
        for (int c = 0; c < kColumns; ++c)
            if (QTableWidgetItem* item = table_->item(row, c))
                item->setBackground(bad ? QBrush(QColor(255, 220, 220)) : QBrush());
    }
    table_->setVerticalHeaderLabels(lineNames);
}

void TariffEditor::showPlanOf(int row) {
    if (row < 0 || row >= table_->rowCount()) return;
    const int index = plan_->findText(rowCells(row)[kValidFrom]);
    if (index >= 0) plan_->setCurrentIndex(index);
}

// The selected plan alone, its lines where the file has them, so that a
// plan without faults shows even while another one has some.
void TariffEditor::showSelectedPlan() {
    QByteArray only;
    for (int i = 0; i < comments_.size(); ++i) only += "#\r\n";
    only += kHeader;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QStringList cells = rowCells(row);
        if (cells[kValidFrom] != plan_->currentText()) {
            only += "#\r\n";
            continue;
        }
        Record r;
        for (const QString& cell : cells) r << Field::Text(cell);
        only += recordLine(r);
    }
    const auto parsed = Tariff::parse(only, files::Tariffs);
    const auto* tariff = std::get_if<Tariff>(&parsed);
    grid_->setPlan(tariff && !tariff->plans().empty() ? std::optional(tariff->plans().front()) : std::nullopt);
}

void TariffEditor::applyTemplate(Template shape) {
    QDate from = clock_.now().date();
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QDate d = QDate::fromString(rowCells(row)[kValidFrom], Qt::ISODate);
        if (d.isValid() && d >= from) from = d.addDays(1);
    }
    const QString date = from.toString(Qt::ISODate);
    const QString price = formatNumber(flatPrice_, u"0.00##");
    const int first = table_->rowCount();
    filling_ = true;
    if (shape == Template::Flat) {
        appendRow({date, QStringLiteral("Mon-Sun"), QStringLiteral("00:00"), QStringLiteral("24:00"), price});
    } else {
        appendRow({date, QStringLiteral("Mon-Sun"), QStringLiteral("07:00"), QStringLiteral("23:00"), price});
        appendRow({date, QStringLiteral("Mon-Sun"), QStringLiteral("23:00"), QStringLiteral("07:00"),
                   formatNumber(flatPrice_ / 2, u"0.00##")});
    }
    filling_ = false;
    edited();
    // The price is what the user changes first.
    table_->setCurrentCell(first, kPrice);
    showPlanOf(first);
    setStatus(tr("A new plan from %1: set its prices, then save").arg(date));
}

void TariffEditor::addBand() {
    const int current = table_->currentRow();
    const QString date = current >= 0 ? rowCells(current)[kValidFrom] : clock_.now().date().toString(Qt::ISODate);
    const int row = current >= 0 ? current + 1 : table_->rowCount();
    filling_ = true;
    table_->insertRow(row);
    for (int c = 0; c < kColumns; ++c) table_->setItem(row, c, new QTableWidgetItem(c == kValidFrom ? date : QString()));
    filling_ = false;
    edited();
    table_->setCurrentCell(row, kDays);
}

void TariffEditor::removeSelectedBands() {
    std::set<int, std::greater<>> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedIndexes()) rows.insert(index.row());
    if (rows.empty() && table_->currentRow() >= 0) rows.insert(table_->currentRow());
    if (rows.empty()) return;
    filling_ = true;
    for (int row : rows) table_->removeRow(row);
    filling_ = false;
    edited();
}

bool TariffEditor::save() {
    validate();
    if (!faults_.isEmpty()) {
        setStatus(tr("Not saved: %n fault(s) to fix first", nullptr, int(faults_.size())));
        return false;
    }
    if (!dir_.writeNow(files::Tariffs, content())) {
        setStatus(tr("Could not save %1 in %2; the tariff in force stays").arg(files::Tariffs, dir_.path()));
        return false;
    }
    // Taken up now, not when the watcher next looks.
    const bool accepted = book_.reload();
    setModified(false);
    validate();
    inForce_->setText(inForceText());
    setStatus(accepted ? tr("Saved") : tr("Saved, but refused: %1").arg(book_.faults().join(u"; ")));
    return accepted;
}

void TariffEditor::revert() {
    if (modified_ && ask_(this, tr("Discard your changes and show the tariff as saved?"),
                          QMessageBox::Discard | QMessageBox::Cancel) != QMessageBox::Discard)
        return;
    loadFile();
}

void TariffEditor::closeEvent(QCloseEvent* event) {
    if (!modified_) return event->accept();
    const auto answer = ask_(this, tr("The tariff has changes that are not saved. Save them?"),
                             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Discard || (answer == QMessageBox::Save && save())) return event->accept();
    event->ignore();
}

void TariffEditor::setModified(bool modified) {
    modified_ = modified;
    save_->setEnabled(modified && faults_.isEmpty());
    revert_->setEnabled(modified);
}

void TariffEditor::setStatus(const QString& text) { status_->setText(text); }

}  // namespace kelvora
