#pragma once
#include "app/kelvoracore.h"
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
    DataFilesPanel(KelvoraCore& core, Desktop desktop, QWidget* parent = nullptr);
    explicit DataFilesPanel(KelvoraCore& core, QWidget* parent = nullptr);

    void CMD_Init_All_Data_Click();
    void CMD_KW_DataReset_Click();
    static bool askErase(QWidget* parent);
    static bool askKeepArchive(QWidget* parent);
    // What erases the archive when the answer is not to keep it (by default
    // its folder is removed).
    void setArchiveEraser(std::function<bool()> erase) { eraseArchive_ = std::move(erase); }

private:
    void showFile(const QString& name);

    KelvoraCore& core_;
    Desktop desktop_;
    std::function<bool()> eraseArchive_;
};

}  // namespace kelvora
