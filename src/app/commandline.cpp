#include "app/commandline.h"

namespace kelvora {

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine cl;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            cl.action = CommandLine::Action::Help;
            return cl;
        }
        if (a == QLatin1String("--version") || a == QLatin1String("-v")) {
            cl.action = CommandLine::Action::Version;
            return cl;
        }
        if (a == QLatin1String("--initialize")) {
            cl.action = CommandLine::Action::Initialize;
        } else if (a == QLatin1String("--data-dir") && i + 1 < args.size()) {
            cl.dataDir = args[++i];
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            cl.dataDir = a.mid(11);
        } else {
            cl.action = CommandLine::Action::Error;
            cl.error = a == QLatin1String("--data-dir") ? QStringLiteral("--data-dir needs a directory")
                                                        : QStringLiteral("unknown option: %1").arg(a);
            return cl;
        }
    }
    return cl;
}

QString usageText() {
    return QStringLiteral(
        "Usage: kelvora [--data-dir DIR] [--initialize]\n"
        "       kelvora --help | --version\n"
        "\n"
        "Kelvora monitors the electrical energy use of a household with a split-phase\n"
        "supply. It connects to the serial server in front of the meter controller\n"
        "(host and port on the Set-Up tab, kept in SetupData.ini) and keeps all of its\n"
        "data as plain text files in its data directory.\n"
        "\n"
        "Options:\n"
        "  --data-dir DIR  keep the data files in DIR (default: the current directory)\n"
        "  --initialize    create every data file and the default settings in the data\n"
        "                  directory, erasing the history kept there, and exit\n"
        "  --help          show this text and exit\n"
        "  --version       show the version and exit\n");
}

}  // namespace kelvora
