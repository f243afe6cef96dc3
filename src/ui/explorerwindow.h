#pragma once
#include "common/clock.h"
#include "common/datadir.h"
#include "history/archivereader.h"
#include "history/archiverange.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QDateEdit;
class QLabel;
class QStatusBar;
class QTimer;

namespace kelvora {

class ExplorerPlot;

// The window "Explore": any range of the minute archive, from ten minutes to
// all of it, as a chart of one quantity, with the previous period beside it
// when asked, the figures of what is shown, CSV export and print. The
// archive is read on a thread of its own; the window draws what it has at
// once and the rest as it comes.
class ExplorerWindow : public QWidget {
    Q_OBJECT
public:
    ExplorerWindow(const DataDir& dir, const Clock& clock, QWidget* parent = nullptr);
    ~ExplorerWindow() override;

    ExplorerPlot& plot() { return *plot_; }
    // The answer shown last, and how many answers were shown.
    const ExploreResult& shownResult() const;
    int answersShown() const { return answers_; }
    int statsShown() const { return statsAnswers_; }
    bool idle() const { return shownSerial_ == serial_ && statsSerial_ == serial_; }

    // Asks where to save the CSV (a file dialog unless replaced); empty cancels.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggestion)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    // Off: print straight to a PDF in the data directory.
    void setPrinterEnabled(bool on) { printerEnabled_ = on; }
    // Put where amounts are shown ("$").
    void setCurrencySymbol(const QString& symbol) { symbol_ = symbol; }

    void exportCsv();
    void print();

Q_SIGNALS:
    void resultShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildControls();
    void applyRange();
    void requestData();
    void showResult(const ExploreResult& result);
    void showStats(quint64 serial, const ArchiveStats& stats);
    void monthsFound(const QList<YearMonth>& months);
    ExploreRange range() const;
    ArchiveQuantity quantity() const;
    ComparePeriod compare() const;
    void say(const QString& message);
    void followNow();

    const DataDir& dir_;
    const Clock& clock_;
    ArchiveReader reader_;
    ExplorerPlot* plot_ = nullptr;
    QComboBox* range_ = nullptr;
    QComboBox* quantity_ = nullptr;
    QComboBox* compare_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QLabel* stats_ = nullptr;
    QStatusBar* status_ = nullptr;
    QDate firstArchived_;
    quint64 serial_ = 0;
    quint64 shownSerial_ = 0;
    quint64 statsSerial_ = 0;
    int answers_ = 0;
    int statsAnswers_ = 0;
    int requestedColumns_ = 0;
    FileChooser chooseFile_;
    bool printerEnabled_ = true;
    QString symbol_ = QStringLiteral("$");
    QTimer* follow_ = nullptr;
};

}  // namespace kelvora
