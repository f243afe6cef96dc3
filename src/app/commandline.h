#pragma once
#include <QString>
#include <QStringList>

namespace kelvora {

struct CommandLine {
    enum class Action { Run, Initialize, Help, Version, Error };
    Action action = Action::Run;
    QString dataDir;  // empty: the current working directory
    QString serverHost;  // --server HOST:PORT, for this run only
    quint16 serverPort = 0;
    QString mqttUrl;  // --mqtt URL, for this run only (checked when publishing starts)
    QString error;
};

// kelvora [--data-dir DIR] [--server HOST:PORT] [--mqtt URL] [--initialize] | --help | --version
CommandLine parseCommandLine(const QStringList& args);
QString usageText();

}  // namespace kelvora
