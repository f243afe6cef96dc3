#pragma once
#include "alarm/alarmengine.h"
#include "app/setupcontroller.h"
#include "common/datadir.h"
#include "live/waveforms.h"
#include "model/fieldmodel.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>

class QGridLayout;
class QLabel;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class QPushButton;
class QTabWidget;
class QHBoxLayout;
class QUrl;
class QVBoxLayout;

namespace kelvora {

class FieldBinder;

// The main window FRM_Kelvora: four tabs of fields, the connection strip and
// the buttons that open the other windows. It shows the core's field model
// and forwards clicks; the logic lives in the core.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // What the window shows and what its own buttons act on.
    struct Parts {
        FieldModel& fields;
        SetupController& setup;
        const AlarmEngine& alarms;
        Waveforms& waveforms;
        const DataDir& dir;
        std::function<void()> resetPowerFactor;
        std::function<void()> connectToServer;
    };
    explicit MainWindow(Parts parts, QWidget* parent = nullptr);

    // A window opened by a button: created on demand, modeless, brought to
    // the front when it is already open. Buttons without a window stay disabled.
    using WindowFactory = std::function<QWidget*(QWidget* parent)>;
    void setWindowFactory(const QString& button, WindowFactory factory);

    // Panels of other subsystems: beside the window buttons of the "History"
    // tab, and at the foot of a section of the "Set-Up" tab. A section that
    // does not exist yet is added at the end of the list.
    void addToHistoryTab(QWidget* panel);
    void addToSetupTab(QWidget* panel, const QString& section);
    // The sections of the "Set-Up" tab, in list order.
    static inline const QString kConnection = QStringLiteral("Connection");
    static inline const QString kCalibration = QStringLiteral("Calibration");
    static inline const QString kAlarms = QStringLiteral("Alarms");
    static inline const QString kHomeAutomation = QStringLiteral("Home automation");
    static inline const QString kData = QStringLiteral("Data");
    // Shows a section of the "Set-Up" tab (false when there is none of that name).
    bool showSetupSection(const QString& section);

    // Opens a document with the desktop's viewer (QDesktopServices, when the
    // desktop has a viewer for its type; tests put their own). True when the
    // viewer was started.
    using DocumentOpener = std::function<bool(const QUrl&)>;
    void setDocumentOpener(DocumentOpener opener) { openDocument_ = std::move(opener); }

    // Opens every window that has a button, the meter included (for
    // measuring the program with all of its windows at work).
    void openEveryWindow();

    // The Help window (F1, Help > Kelvora Help): the manual inside the
    // program; made on first use, then brought to the front.
    void showHelp();

Q_SIGNALS:
    void saveAndExitRequested();

private:
    QWidget* buildCurrentTab();
    QWidget* buildHistoryTab();
    QWidget* buildCalcsTab();
    QWidget* buildSetupTab();
    QWidget* buildStatusStrip();
    QVBoxLayout* setupSection(const QString& section);
    QGroupBox* buildNetworkFrame();
    QGroupBox* buildVoltageFrame();
    QGroupBox* buildPhaseFrame(QChar phase);
    QGroupBox* buildDiagnosticsFrame();
    void buildMenus();
    void connectSetupButtons();

    QLineEdit* addField(QGridLayout* grid, int row, int column, const QString& caption,
                        const QString& name, bool editable = false);
    QLabel* addLabel(QGridLayout* grid, int row, const QString& caption, const QString& name);
    QPushButton* addButton(const QString& name, const QString& caption);
    void showWindow(const QString& button);
    void toggleMeter();
    void openUserManual();

    Parts parts_;
    QTabWidget* tabs_ = nullptr;
    QVBoxLayout* currentTab_ = nullptr;
    QHBoxLayout* historyTab_ = nullptr;
    QListWidget* setupList_ = nullptr;
    QStackedWidget* setupPages_ = nullptr;
    QHash<QString, QVBoxLayout*> setupSections_;
    QHash<QString, WindowFactory> factories_;
    QHash<QString, QPointer<QWidget>> windows_;
    DocumentOpener openDocument_;
    QPointer<QWidget> help_;
};

}  // namespace kelvora
