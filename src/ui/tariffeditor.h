#pragma once
#include "common/clock.h"
#include "common/datadir.h"

#include <QMessageBox>
#include <QWidget>
#include <functional>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace kelvora {

class TariffBook;
class TariffWeekGrid;

// The window "Tariff": the lines of Tariffs.dat as a table of bands (each
// plan is the bands of one "valid from" date), the week of the selected plan
// coloured by price, and the faults of the lines as typed, one per fault,
// naming the file line as the tariff book does. "Save" writes the file
// (atomically and synced) only while it has no faults, and the tariff book
// takes it up at once; closing or "Revert" with changes not saved asks first.
class TariffEditor : public QWidget {
    Q_OBJECT
public:
    // The question asked before changes are lost; returns the button chosen.
    using Ask = std::function<QMessageBox::StandardButton(QWidget* parent, const QString& question,
                                                          QMessageBox::StandardButtons buttons)>;
    // `flatPrice`: the price the templates start from (the price shown now).
    TariffEditor(const DataDir& dir, TariffBook& book, const Clock& clock, double flatPrice,
                 QWidget* parent = nullptr);

    void setAsk(Ask ask) { ask_ = std::move(ask); }
    void setCurrencySymbol(const QString& symbol);

    enum class Template { Flat, TwoRates };
    // Adds a plan of that shape from today, or from the day after the latest
    // plan when that is today or later.
    void applyTemplate(Template shape);
    void addBand();
    void removeSelectedBands();
    // Writes Tariffs.dat; false (and why, in the status line) when the lines
    // have faults or the file cannot be written.
    bool save();
    // Shows Tariffs.dat as saved again, after asking when there are changes.
    void revert();

    // Tariffs.dat as the table stands.
    QByteArray content() const;
    const QStringList& faults() const { return faults_; }
    bool isModified() const { return modified_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildBandsArea();
    QWidget* buildWeekArea();
    QHBoxLayout* buildActions();
    void loadFile();
    void appendRow(const QStringList& cells);
    void edited();
    void validate();
    void markFaultyRows();
    void showPlanOf(int row);
    void showSelectedPlan();
    void setModified(bool modified);
    void setStatus(const QString& text);
    int fileLineOf(int row) const;
    QStringList rowCells(int row) const;
    QString inForceText() const;

    DataDir dir_;
    TariffBook& book_;
    const Clock& clock_;
    double flatPrice_;
    QString symbol_ = QStringLiteral("$");
    Ask ask_;
    QStringList comments_;  // the file's comment lines, kept at its top
    QStringList faults_;
    bool modified_ = false;
    bool filling_ = false;

    QTableWidget* table_ = nullptr;
    QComboBox* plan_ = nullptr;
    TariffWeekGrid* grid_ = nullptr;
    QListWidget* faultList_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* inForce_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* revert_ = nullptr;
};

}  // namespace kelvora
