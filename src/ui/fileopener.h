#pragma once
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace kelvora {

// How the data buttons hand a file or folder to the desktop. Tests replace
// the two functions to see what would be opened without starting anything.
struct FileOpener {
    // A text file, in the user's plain-text editor.
    std::function<bool(const QUrl&)> openPlainText;
    // A folder in the file manager (or any document by its type).
    std::function<bool(const QUrl&)> openUrl;

    static FileOpener desktop();
};

// Opens a local text file in the desktop's default application for plain
// text, started directly (no shell): Notepad on Windows; elsewhere the
// application that mimeapps.list (or xdg-mime) names for text/plain. A data
// file ending in ".dat" would otherwise go to whatever its name suggests, or
// nowhere. Falls back to QDesktopServices::openUrl.
bool openInPlainTextEditor(const QUrl& file);

// Whether the desktop has a default application for documents of a MIME type
// ("application/pdf"): on Linux the one mimeapps.list or xdg-mime names, with
// a desktop entry that runs something. Elsewhere the system is asked when the
// document is opened, so this says yes.
bool hasDefaultApplication(const QString& mimeType);

// What a desktop entry says of the program it starts.
struct DesktopApplication {
    QString exec;           // its Exec line
    bool terminal = false;  // Terminal=true: it runs in a terminal window
};

// The command that opens one file in the application: its Exec line, inside
// the terminal program given when the application needs one; empty when it
// needs one and there is none (or it has no Exec line).
QStringList plainTextCommand(const DesktopApplication& app, const QString& terminal, const QUrl& file);

// The program and arguments of a desktop entry's Exec line for one file:
// %f/%F give the path, %u/%U the URL, other field codes are dropped, "%%" is a
// percent sign; a line without a file code gets the path at its end.
QStringList desktopExecCommand(const QString& exec, const QUrl& file);

}  // namespace kelvora
