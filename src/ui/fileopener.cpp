#include "ui/fileopener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace kelvora {
namespace {

const QString kTextType = QStringLiteral("text/plain");

// One value of a desktop-entry style file ("[Section]" lines, "key=value" lines).
QString keyFileValue(const QString& path, const QString& section, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || file.size() > 1024 * 1024) return QString();
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inSection = line == u'[' + section + u']';
        } else if (inSection && line.section(u'=', 0, 0).trimmed() == key) {
            return line.section(u'=', 1).trimmed();
        }
    }
    return QString();
}

// The desktop entry that the first mimeapps.list of the XDG search order names
// for a MIME type.
QString defaultApplication(const QString& mimeType) {
    QStringList lists;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << QDir(dir).filePath(QStringLiteral("mimeapps.list"));
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        lists << QDir(dir).filePath(QStringLiteral("mimeapps.list"));
    for (const QString& list : lists) {
        const QString first =
            keyFileValue(list, QStringLiteral("Default Applications"), mimeType).section(u';', 0, 0).trimmed();
        if (!first.isEmpty()) return first;
    }
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return QString();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(2000)) return QString();
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

DesktopApplication desktopApplication(const QString& desktopId) {
    if (desktopId.isEmpty()) return {};
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    if (path.isEmpty()) return {};
    const QString entry = QStringLiteral("Desktop Entry");
    return {keyFileValue(path, entry, QStringLiteral("Exec")),
            keyFileValue(path, entry, QStringLiteral("Terminal")) == QLatin1String("true")};
}

}  // namespace

QStringList desktopExecCommand(const QString& exec, const QUrl& file) {
    QStringList command;
    bool fileGiven = false;
    for (const QString& word : QProcess::splitCommand(exec)) {
        if (word == QLatin1String("%f") || word == QLatin1String("%F")) {
            command << file.toLocalFile();
            fileGiven = true;
        } else if (word == QLatin1String("%u") || word == QLatin1String("%U")) {
            command << file.toString(QUrl::FullyEncoded);
            fileGiven = true;
        } else if (word.size() == 2 && word.startsWith(u'%')) {
            continue;  // %i, %c, %k and the deprecated codes give nothing here
        } else {
            command << QString(word).replace(QStringLiteral("%%"), QStringLiteral("%"));
        }
    }
    if (!command.isEmpty() && !fileGiven) command << file.toLocalFile();
    return command;
}

QStringList plainTextCommand(const DesktopApplication& app, const QString& terminal, const QUrl& file) {
    const QStringList command = desktopExecCommand(app.exec, file);
    if (command.isEmpty() || !app.terminal) return command;
    // An editor that runs in a terminal (vim, nano) started without one
    // would show nothing at all.
    if (terminal.isEmpty()) return {};
    return QStringList{terminal, QStringLiteral("-e")} + command;
}

bool hasDefaultApplication(const QString& mimeType) {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    Q_UNUSED(mimeType);
    return true;
#else
    return !desktopApplication(defaultApplication(mimeType)).exec.isEmpty();
#endif
}

bool openInPlainTextEditor(const QUrl& file) {
#if defined(Q_OS_WIN)
    if (QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(file.toLocalFile())}))
        return true;
#elif !defined(Q_OS_MACOS)
    // Debian's name for the desktop's terminal, whichever it is.
    const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    const QStringList command = plainTextCommand(desktopApplication(defaultApplication(kTextType)), terminal, file);
    if (!command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1))) return true;
#endif
    return QDesktopServices::openUrl(file);
}

FileOpener FileOpener::desktop() {
    return FileOpener{openInPlainTextEditor, [](const QUrl& url) { return QDesktopServices::openUrl(url); }};
}

}  // namespace kelvora
