#pragma once
#include <QString>
#include <QStringList>

namespace kelvora {

struct CommandLine {
    enum class Action { Run, Initialize, Help, Version, Error };
    Action action = Action::Run;
    QString dataDir;  // empty: the current working directory
    bool userData = false;  // --user-data: the user's data location (the desktop menu's way)
    QString serverHost;  // --server HOST:PORT, for this run only
    quint16 serverPort = 0;
    QString mqttUrl;  // --mqtt URL, for this run only (checked when publishing starts)
    bool stallReport = false;  // --stall-report: measure the UI thread's stalls, print them at the end
    bool openWindows = false;  // --open-windows: open every chart window at the start
    QString error;
};

// kelvora [--data-dir DIR | --user-data] [--server HOST:PORT] [--mqtt URL] [--initialize]
//         [--stall-report] [--open-windows]
//   | --help | --version
CommandLine parseCommandLine(const QStringList& args);
QString usageText();

// The absolute data directory of a run: --data-dir, or with --user-data the
// user's data location (on Linux $XDG_DATA_HOME/Kelvora, by default
// ~/.local/share/Kelvora), or else the current working directory.
QString dataDirectoryOf(const CommandLine& cl);

}  // namespace kelvora
