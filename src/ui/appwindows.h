#pragma once
// Gives the main window everything the program shows beside its own tabs: the
// window each button opens, the History and Set-Up tab panels and the price
// entry. The app and the screenshot tool both build their window with it, so
// the pictures show the program as it runs.
#include "app/kelvoracore.h"
#include "ui/datafilespanel.h"
#include "ui/mainwindow.h"

namespace kelvora {

// The parts of the core the main window and the Data Files frame act on.
MainWindow::Parts mainWindowParts(KelvoraCore& core);
DataFilesPanel::Actions dataFileActions(KelvoraCore& core);

void addAppWindows(MainWindow& window, KelvoraCore& core);

}  // namespace kelvora
