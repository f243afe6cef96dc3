#include "ui/mainwindow.h"

#include "model/datafiles.h"

#include "ui/alarmstrip.h"
#include "ui/fieldbinder.h"
#include "ui/lamp.h"
#include "ui/fileopener.h"
#include "ui/helpwindow.h"
#include "ui/usermanual.h"
#include "ui/waveformpanel.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace kelvora {
namespace {

QGroupBox* frame(const QString& title, QLayout* layout) {
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

QWidget* column(std::initializer_list<QWidget*> widgets) {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    for (QWidget* child : widgets) v->addWidget(child);
    v->addStretch();
    return w;
}

// A page that scrolls on a screen too small for it, instead of clipping its
// frames; on a larger one it fills the tab.
QScrollArea* scrollable(QWidget* page) {
    auto* area = new QScrollArea;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

// A tab page of columns that share its width evenly.
QWidget* columnsPage(std::initializer_list<QWidget*> columns) {
    auto* page = new QWidget;
    auto* h = new QHBoxLayout(page);
    for (QWidget* c : columns) h->addWidget(c, 1);
    return page;
}

// The value fields of a frame take the room its captions leave.
QGridLayout* fieldGrid() {
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    return grid;
}

// One live value as a meter shows it: a caption over a large figure, to be
// read from across the room.
QLineEdit* addTile(QGridLayout* grid, int column, const QString& caption, const QString& unit, const QString& name) {
    auto* title = new QLabel(caption);
    title->setAlignment(Qt::AlignHCenter);
    auto* value = new QLineEdit;
    value->setObjectName(name);
    value->setReadOnly(true);
    value->setFocusPolicy(Qt::ClickFocus);
    value->setFrame(false);
    value->setAlignment(Qt::AlignCenter);
    value->setAccessibleName(caption);
    QFont big = value->font();
    big.setPointSizeF(big.pointSizeF() * 2.6);
    big.setBold(true);
    value->setFont(big);
    value->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("0000.00")) + 12);
    auto* units = new QLabel(unit);
    units->setAlignment(Qt::AlignHCenter);
    units->setForegroundRole(QPalette::PlaceholderText);
    title->setBuddy(value);
    grid->addWidget(title, 0, column);
    grid->addWidget(value, 1, column);
    grid->addWidget(units, 2, column);
    grid->setColumnStretch(column, 1);
    return value;
}

}  // namespace

MainWindow::MainWindow(Parts parts, QWidget* parent) : QMainWindow(parent), parts_(std::move(parts)) {
    setObjectName(QStringLiteral("FRM_Kelvora"));
    setWindowTitle(tr("Kelvora - Household Energy Monitor"));
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    tabs_->addTab(scrollable(buildCurrentTab()), tr("Current"));
    tabs_->addTab(scrollable(buildHistoryTab()), tr("History"));
    tabs_->addTab(scrollable(buildCalcsTab()), tr("Calcs"));
    tabs_->addTab(buildSetupTab(), tr("Set-Up"));  // each section scrolls on its own

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* alarms = new AlarmStrip(parts_.alarms);
    connect(alarms->openButton(), &QPushButton::clicked, this, [this] { showWindow(QStringLiteral("CMD_Alarms")); });
    layout->addWidget(alarms);
    layout->addWidget(tabs_, 1);
    layout->addWidget(buildStatusStrip());
    setCentralWidget(central);
    buildMenus();
    connectSetupButtons();
    new FieldBinder(parts_.fields, this);
    resize(1100, 720);
}

QLineEdit* MainWindow::addField(QGridLayout* grid, int row, int column, const QString& caption,
                                const QString& name, bool editable) {
    auto* label = new QLabel(caption);
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(!editable);
    edit->setAccessibleName(QString(caption).remove(u'&').remove(u':'));
    edit->setMinimumWidth(90);
    if (!editable) {
        // Values read right-aligned, like the figures on a meter.
        edit->setFocusPolicy(Qt::ClickFocus);
        edit->setAlignment(Qt::AlignRight);
    }
    label->setBuddy(edit);
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1);
    return edit;
}

QLabel* MainWindow::addLabel(QGridLayout* grid, int row, const QString& caption, const QString& name) {
    auto* label = new QLabel(caption);
    auto* value = new QLabel;
    value->setObjectName(name);
    value->setAccessibleName(QString(caption).remove(u':'));
    value->setMinimumWidth(60);
    label->setBuddy(value);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    return value;
}

QPushButton* MainWindow::addButton(const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    return b;
}

QWidget* MainWindow::buildCurrentTab() {
    auto* live = new QGridLayout;
    addTile(live, 0, tr("Line voltage"), tr("volts"), QStringLiteral("Text100(2)"));
    addTile(live, 1, tr("Phase A"), tr("amps"), QStringLiteral("Text100(3)"));
    addTile(live, 2, tr("Phase B"), tr("amps"), QStringLiteral("Text100(4)"));
    addTile(live, 3, tr("Total"), tr("amps"), QStringLiteral("Text100(0)"));
    addTile(live, 4, tr("Power"), tr("KW"), QStringLiteral("Text100(1)"));

    auto* month = fieldGrid();
    addField(month, 0, 0, tr("Energy (KWH):"), QStringLiteral("Text100(6)"));
    addField(month, 1, 0, tr("Cost:"), QStringLiteral("Text100(5)"));
    addField(month, 2, 0, tr("Price per KWH:"), QStringLiteral("Text100(7)"))
        ->setToolTip(tr("Cost per KWH from Electric bill"));

    auto* averages = fieldGrid();
    addField(averages, 0, 0, tr("KWH per hour:"), QStringLiteral("Text100(13)"));
    addField(averages, 1, 0, tr("Cost per hour:"), QStringLiteral("Text100(14)"));
    addField(averages, 2, 0, tr("KWH per day:"), QStringLiteral("Text100(8)"));
    addField(averages, 3, 0, tr("Cost per day:"), QStringLiteral("Text100(12)"));

    auto* windows = new QVBoxLayout;
    windows->addWidget(addButton(QStringLiteral("CMD_Cur_Trend"), tr("Current Trend")));
    windows->addWidget(addButton(QStringLiteral("CMD_Meter"), tr("Meter")));
    windows->addWidget(addButton(QStringLiteral("CMD_BarGraphs1"), tr("KWH History Graphs")));
    windows->addStretch();

    auto* row = new QHBoxLayout;
    row->addWidget(frame(tr("Month to date"), month), 1);
    row->addWidget(frame(tr("Average use"), averages), 1);
    row->addWidget(frame(tr("Charts"), windows));

    auto* page = new QWidget;
    currentTab_ = new QVBoxLayout(page);
    currentTab_->addWidget(frame(tr("Live values"), live));
    currentTab_->addLayout(row);
    // The waveforms take the height the figures leave.
    currentTab_->addWidget(new WaveformPanel(parts_.waveforms), 1);
    return page;
}

QWidget* MainWindow::buildHistoryTab() {
    auto* trends = new QGridLayout;
    const struct { const char* name; const char* caption; const char* about; } buttons[] = {
        {"CMD_KW_History_Trend", "KW History Trends", "Power, minute by minute, over the last hour to 14 days"},
        {"CMD_A_AMPS_History_Trend", "A_AMPS History Trends", "Phase A current over the last hour to 14 days"},
        {"CMD_B_AMPS_History_Trend", "B_AMPS History Trends", "Phase B current over the last hour to 14 days"},
        {"CMD_VAC_History_Trend", "VAC History Trends", "Line voltage over the last hour to 14 days"},
        {"CMD_BarGraphs", "KWH History Graphs", "Energy per hour, day, week, month and year"},
        {"CMD_Alarms", "Alarms", "Every alarm raised and cleared, and every start of Kelvora"},
        {"CMD_Explore", "Explore", "Every minute archived: any stretch from minutes to years, zoomed, compared, exported"},
    };
    int row = 0;
    for (const auto& b : buttons) {
        auto* button = addButton(QString::fromLatin1(b.name), tr(b.caption));
        button->setMinimumHeight(button->sizeHint().height() * 3 / 2);
        trends->addWidget(button, row, 0);
        auto* about = new QLabel(tr(b.about));
        about->setWordWrap(true);
        trends->addWidget(about, row++, 1);
    }
    trends->setColumnStretch(1, 1);
    trends->setRowStretch(row, 1);

    auto* page = new QWidget;
    historyTab_ = new QHBoxLayout(page);
    historyTab_->addWidget(frame(tr("History windows"), trends), 1);
    return page;
}

void MainWindow::addToHistoryTab(QWidget* panel) { historyTab_->addWidget(panel, 1); }

void MainWindow::addToSetupTab(QWidget* panel, const QString& section) {
    QVBoxLayout* v = setupSection(section);
    v->insertWidget(v->count() - 1, panel);  // above the closing stretch
}

QVBoxLayout* MainWindow::setupSection(const QString& section) {
    if (QVBoxLayout* v = setupSections_.value(section)) return v;
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("setupPage_") + QString(section).remove(u' '));
    auto* v = new QVBoxLayout(page);
    v->addStretch();
    setupSections_.insert(section, v);
    setupPages_->addWidget(scrollable(page));
    auto* item = new QListWidgetItem(section, setupList_);
    item->setSizeHint(QSize(0, setupList_->fontMetrics().height() + 14));  // rows a finger can hit
    return v;
}

bool MainWindow::showSetupSection(const QString& section) {
    const QList<QListWidgetItem*> items = setupList_->findItems(section, Qt::MatchExactly);
    if (items.isEmpty()) return false;
    setupList_->setCurrentItem(items.first());
    tabs_->setCurrentIndex(tabs_->indexOf(setupList_->parentWidget()));
    return true;
}

QWidget* MainWindow::buildCalcsTab() {
    const QString t4 = QStringLiteral("Text4(%1)");
    auto* power = fieldGrid();
    const char* powerCaptions[] = {"Inst_Voltage:", "Inst_Current:", "Inst_Power:", "Sum_Inst_Power:",
                                   "Real Power:"};
    for (int i = 0; i < 5; ++i) addField(power, i, 0, QString::fromLatin1(powerCaptions[i]), t4.arg(i));

    auto* voltage = fieldGrid();
    const char* voltageCaptions[] = {"Squared_Voltage:", "Sum_Squared_Voltage:", "Mean_Square_Voltage:",
                                     "RMS_Voltage:"};
    for (int i = 0; i < 4; ++i) addField(voltage, i, 0, QString::fromLatin1(voltageCaptions[i]), t4.arg(5 + i));
    addField(voltage, 4, 0, QStringLiteral("Apparent_Power:"), t4.arg(13));
    addField(voltage, 5, 0, QStringLiteral("Power_Factor:"), t4.arg(14));

    auto* current = fieldGrid();
    const char* currentCaptions[] = {"Squared_Current:", "Sum_Squared_Current:", "Mean_Square_Current:",
                                     "RMS_Current:"};
    for (int i = 0; i < 4; ++i) addField(current, i, 0, QString::fromLatin1(currentCaptions[i]), t4.arg(9 + i));

    auto* pf = fieldGrid();
    const char* pfCaptions[] = {"Highest power factor:", "Lowest power factor:", "Samples in window:"};
    for (int i = 0; i < 3; ++i) addLabel(pf, i, tr(pfCaptions[i]), QStringLiteral("Label40(%1)").arg(i));
    pf->addWidget(addButton(QStringLiteral("CMD_Reset_PF"), tr("Reset")), 3, 1, Qt::AlignLeft);

    return columnsPage({column({frame(tr("Power"), power), frame(tr("Power factor"), pf)}),
                        column({frame(tr("Voltage terms"), voltage)}),
                        column({frame(tr("Current terms"), current)})});
}

QGroupBox* MainWindow::buildNetworkFrame() {
    auto* grid = fieldGrid();
    QLineEdit* host = addField(grid, 0, 0, tr("Serial server &host:"), QStringLiteral("Text5(0)"), true);
    // Room for any IPv4 address in full.
    host->setMinimumWidth(host->fontMetrics().horizontalAdvance(QStringLiteral("888.888.888.888")) + 16);
    addField(grid, 1, 0, tr("Serial server &port:"), QStringLiteral("Text5(1)"), true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton(QStringLiteral("CMDConnect"), tr("Re-Connect")));
    buttons->addWidget(addButton(QStringLiteral("CMD_SaveExit"), tr("Save and Exit")));
    grid->addLayout(buttons, 2, 0, 1, 2);
    return frame(tr("Network"), grid);
}

QGroupBox* MainWindow::buildVoltageFrame() {
    auto* grid = fieldGrid();
    addField(grid, 0, 0, tr("Reference &volts:"), QStringLiteral("Text6(0)"), true);
    addField(grid, 1, 0, tr("Meter reads (V):"), QStringLiteral("Text100(15)"));
    auto* options = new QHBoxLayout;
    for (const auto& [name, caption] : {std::pair{"Option_120vac", "120 VAC"}, std::pair{"Option_240vac", "240 VAC"}}) {
        auto* radio = new QRadioButton(tr(caption));
        radio->setObjectName(QString::fromLatin1(name));
        radio->setAutoExclusive(false);  // at start neither may be selected
        options->addWidget(radio);
    }
    grid->addLayout(options, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton(QStringLiteral("CMD_Save_VAC"), tr("Calibrate")));
    buttons->addWidget(addButton(QStringLiteral("CMD_VAC_Default"), tr("VAC Default")));
    grid->addLayout(buttons, 3, 0, 1, 2);
    return frame(tr("Voltage calibration"), grid);
}

QGroupBox* MainWindow::buildPhaseFrame(QChar phase) {
    auto* grid = fieldGrid();
    addField(grid, 0, 0, tr("Reference amps:"), QStringLiteral("Text_%1_Cal").arg(phase), true);
    addField(grid, 1, 0, tr("Meter reads (A):"), QStringLiteral("Text100_%1_CAL").arg(phase));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton(QStringLiteral("CMD_CAL_%1").arg(phase), tr("Calibrate")));
    buttons->addWidget(addButton(QStringLiteral("CMD_%1_Default").arg(phase),
                                 QStringLiteral("\"%1\" Default").arg(phase)));
    grid->addLayout(buttons, 2, 0, 1, 2);
    return frame(tr("Phase %1 calibration").arg(phase), grid);
}

QGroupBox* MainWindow::buildDiagnosticsFrame() {
    auto* grid = fieldGrid();
    const struct { const char* name; const char* caption; } labels[] = {
        {"Label4", "Readings in group:"},     {"Label5", "Groups in cycle:"},
        {"Label6", "Cycle started:"},         {"Label7", "Last minute step:"},
        {"Label8", "Seconds since reconnect:"}, {"Label9", "Receive slot:"}};
    int row = 0;
    for (const auto& l : labels) addLabel(grid, row++, tr(l.caption), QString::fromLatin1(l.name));
    for (int i : {9, 10, 11})
        addField(grid, row++, 0, tr("Counter %1:").arg(i), QStringLiteral("Text100(%1)").arg(i));
    return frame(tr("Diagnostics"), grid);
}

// A list of sections on the left, the chosen section's page beside it.
QWidget* MainWindow::buildSetupTab() {
    setupList_ = new QListWidget;
    setupList_->setObjectName(QStringLiteral("setupSections"));
    setupList_->setAccessibleName(tr("Set-Up sections"));
    setupPages_ = new QStackedWidget;
    setupPages_->setObjectName(QStringLiteral("setupPages"));
    connect(setupList_, &QListWidget::currentRowChanged, setupPages_, &QStackedWidget::setCurrentIndex);
    addToSetupTab(buildNetworkFrame(), kConnection);
    addToSetupTab(buildDiagnosticsFrame(), kConnection);
    addToSetupTab(buildVoltageFrame(), kCalibration);
    addToSetupTab(buildPhaseFrame(u'A'), kCalibration);
    addToSetupTab(buildPhaseFrame(u'B'), kCalibration);
    for (const QString& section : {kAlarms, kHomeAutomation, kData}) setupSection(section);
    setupList_->setCurrentRow(0);
    int widest = 0;
    for (int i = 0; i < setupList_->count(); ++i)
        widest = std::max(widest, setupList_->fontMetrics().horizontalAdvance(setupList_->item(i)->text()));
    setupList_->setFixedWidth(widest + 40);

    auto* manual = addButton(QStringLiteral("CMD_USER_MAN"), tr("User Manual"));
    connect(manual, &QPushButton::clicked, this, &MainWindow::openUserManual);
    auto* left = new QVBoxLayout;
    left->addWidget(setupList_, 1);
    left->addWidget(manual);
    auto* page = new QWidget;
    auto* h = new QHBoxLayout(page);
    h->addLayout(left);
    h->addWidget(setupPages_, 1);
    return page;
}

QWidget* MainWindow::buildStatusStrip() {
    auto* strip = new QWidget;
    auto* h = new QHBoxLayout(strip);
    h->setContentsMargins(0, 0, 0, 0);
    auto* lamp = new Lamp;
    lamp->setObjectName(QStringLiteral("Shape1"));
    auto* status = new QLineEdit;
    status->setObjectName(QStringLiteral("Text101"));
    status->setReadOnly(true);
    status->setFocusPolicy(Qt::ClickFocus);
    status->setAccessibleName(tr("Connection status"));
    auto* date = new QLabel;
    date->setObjectName(QStringLiteral("Label16"));
    date->setAccessibleName(tr("Date"));
    auto* time = new QLabel;
    time->setObjectName(QStringLiteral("Label15"));
    time->setAccessibleName(tr("Time"));
    // Wide enough for any time of day, and of one size: a label that may
    // change size makes its window lay itself out again, every second.
    time->setText(QStringLiteral("00:00:00 PM"));
    const QSize widest = time->sizeHint();
    time->clear();
    time->setFixedSize(std::max(90, widest.width() + 4), widest.height());
    auto* server = new QLabel;
    server->setObjectName(QStringLiteral("serverInUse"));
    server->setAccessibleName(tr("Serial server in use"));
    server->setToolTip(tr("The serial server this run connects to"));
    // Shown only while the data cannot be saved: what is wrong, in words.
    auto* saving = new QLabel;
    saving->setObjectName(QStringLiteral("savingStatus"));
    saving->setAccessibleName(tr("Saving data"));
    saving->setStyleSheet(QStringLiteral("QLabel { color: white; background: #b00020; padding: 2px 6px; }"));
    saving->setVisible(false);
    connect(&parts_.fields, &FieldModel::textChanged, saving, [saving](const QString& name, const QString& text) {
        if (name == saving->objectName()) saving->setVisible(!text.isEmpty());
    });
    auto* connection = new QHBoxLayout;
    connection->addWidget(lamp);
    connection->addWidget(status, 1);
    connection->addWidget(server);
    h->addWidget(frame(tr("Connection"), connection), 1);
    h->addWidget(saving);
    h->addSpacing(16);
    h->addWidget(date);
    h->addSpacing(8);
    h->addWidget(time);
    return strip;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Save Settings and Exit"), this, [this] { Q_EMIT saveAndExitRequested(); });
    file->addAction(tr("E&xit"), QKeySequence::Quit, this, &QWidget::close);
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* contents = help->addAction(tr("Kelvora &Help"), QKeySequence::HelpContents, this, &MainWindow::showHelp);
    contents->setObjectName(QStringLiteral("actionHelp"));
    help->addAction(tr("&User Manual"), this, &MainWindow::openUserManual)
        ->setObjectName(QStringLiteral("actionUserManual"));
    help->addAction(tr("&About Kelvora"), this, [this] {
        QMessageBox::about(this, tr("About Kelvora"),
                           tr("<b>Kelvora</b> %1<br>Household energy monitor for a split-phase supply.")
                               .arg(QStringLiteral(KELVORA_VERSION)));
    });
}

void MainWindow::connectSetupButtons() {
    SetupController& setup = parts_.setup;
    const QList<std::pair<const char*, std::function<void()>>> handlers = {
        {"CMD_Save_VAC", [&setup] { setup.CMD_Save_VAC_Click(); }},
        {"CMD_VAC_Default", [&setup] { setup.CMD_VAC_Default_Click(); }},
        {"CMD_CAL_A", [&setup] { setup.CMD_CAL_A_Click(); }},
        {"CMD_CAL_B", [&setup] { setup.CMD_CAL_B_Click(); }},
        {"CMD_A_Default", [&setup] { setup.CMD_A_Default_Click(); }},
        {"CMD_B_Default", [&setup] { setup.CMD_B_Default_Click(); }},
        {"CMD_Reset_PF", [this] { parts_.resetPowerFactor(); }},
        {"CMD_SaveExit", [this] { Q_EMIT saveAndExitRequested(); }},
        {"CMDConnect", [this] { parts_.connectToServer(); }},
    };
    for (const auto& [name, handler] : handlers)
        connect(findChild<QPushButton*>(QString::fromLatin1(name)), &QPushButton::clicked, this, handler);
    connect(findChild<QRadioButton*>("Option_120vac"), &QRadioButton::clicked, this,
            [&setup] { setup.Option_120vac_Click(); });
    connect(findChild<QRadioButton*>("Option_240vac"), &QRadioButton::clicked, this,
            [&setup] { setup.Option_240vac_Click(); });
    const QStringList windowButtons = {"CMD_Cur_Trend", "CMD_Meter", "CMD_BarGraphs1", "CMD_BarGraphs",
                                       "CMD_KW_History_Trend", "CMD_A_AMPS_History_Trend",
                                       "CMD_B_AMPS_History_Trend", "CMD_VAC_History_Trend", "CMD_Alarms",
                                       "CMD_Explore"};
    for (const QString& name : windowButtons) {
        auto* button = findChild<QPushButton*>(name);
        parts_.fields.setEnabled(name, false);  // until its window is provided
        connect(button, &QPushButton::clicked, this,
                [this, name] { name == QLatin1String("CMD_Meter") ? toggleMeter() : showWindow(name); });
    }
}

void MainWindow::setWindowFactory(const QString& button, WindowFactory factory) {
    factories_.insert(button, std::move(factory));
    parts_.fields.setEnabled(button, true);
}

void MainWindow::showWindow(const QString& button) {
    QPointer<QWidget>& window = windows_[button];
    if (!window) {
        const WindowFactory factory = factories_.value(button);
        if (!factory) return;
        window = factory(this);
        if (!window) {
            qWarning("The window of %s could not be made", qPrintable(button));
            return;
        }
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::openEveryWindow() {
    for (auto it = factories_.cbegin(); it != factories_.cend(); ++it) showWindow(it.key());
}

void MainWindow::toggleMeter() {
    // Whether the meter shows decides, not a count of clicks: a meter closed
    // from its own window opens again with the next click.
    QWidget* meter = windows_.value(QStringLiteral("CMD_Meter"));
    if (meter && meter->isVisible()) {
        meter->close();
        return;
    }
    showWindow(QStringLiteral("CMD_Meter"));
}

void MainWindow::openUserManual() {
    const QUrl manual = placeUserManual(parts_.dir);
    const auto desktopViewer = [](const QUrl& url) {
        return hasDefaultApplication(QStringLiteral("application/pdf")) && QDesktopServices::openUrl(url);
    };
    const bool opened = !manual.isEmpty() && (openDocument_ ? openDocument_(manual) : desktopViewer(manual));
    if (opened) return;
    // A bare desktop without a PDF viewer still gets the manual.
    showHelp();
    statusBar()->showMessage(tr("No PDF viewer could open \"%1\": the manual is shown in the Help window.")
                                 .arg(parts_.dir.filePath(files::UserManual)));
}

void MainWindow::showHelp() {
    if (!help_) {
        help_ = new HelpWindow(this);
        help_->setWindowFlag(Qt::Window);
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

}  // namespace kelvora
