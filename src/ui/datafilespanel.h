#pragma once
#include "common/datadir.h"
#include "model/fieldmodel.h"
#include "ui/fileopener.h"

#include <QGroupBox>
#include <functional>

namespace kelvora {

// The frame "Data Files": the ten buttons that show a KWH file in the
// plain-text editor, "View Data" (the data directory in the file manager),
// "Initialize All Data" (after a question) and "Reset KW Data".
class DataFilesPanel : public QGroupBox {
    Q_OBJECT
public:
    struct Desktop {
        FileOpener opener = FileOpener::desktop();
        // Asks "Are you Sure...Erase ALL Data?"; true for Yes.
        std::function<bool(QWidget* parent)> confirmErase = askErase;
        std::function<void()> beep;
        // Then asks whether to keep the minute archive; true (the default
        // answer) keeps it.
        std::function<bool(QWidget* parent)> keepArchive = askKeepArchive;
    };
    // What the buttons do to the data.
    struct Actions {
        std::function<void()> initializeAll;  // fresh files; the running totals start afresh
        std::function<void()> resetKwData;    // the month-to-date KWH and cost from zero
        std::function<bool()> eraseArchive;   // when the answer is not to keep it
    };
    DataFilesPanel(const DataDir& dir, FieldModel& fields, Actions actions, Desktop desktop, QWidget* parent = nullptr);
    DataFilesPanel(const DataDir& dir, FieldModel& fields, Actions actions, QWidget* parent = nullptr);

    void CMD_Init_All_Data_Click();
    void CMD_KW_DataReset_Click();
    static bool askErase(QWidget* parent);
    static bool askKeepArchive(QWidget* parent);

private:
    void showFile(const QString& name);

    const DataDir& dir_;
    Actions actions_;
    Desktop desktop_;
};

}  // namespace kelvora
