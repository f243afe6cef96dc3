#pragma once
// The warnings the program logs while one of these lives, for tests that
// check a failure is reported rather than swallowed.
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace kelvora::testing {

class CapturedWarnings {
public:
    CapturedWarnings() : previous_(qInstallMessageHandler(&CapturedWarnings::handle)) { active() = this; }
    ~CapturedWarnings() {
        qInstallMessageHandler(previous_);
        active() = nullptr;
    }
    CapturedWarnings(const CapturedWarnings&) = delete;
    CapturedWarnings& operator=(const CapturedWarnings&) = delete;

    bool contains(const QString& text) const {
        for (const QString& m : messages_)
            if (m.contains(text)) return true;
        return false;
    }

private:
    static CapturedWarnings*& active() {
        static CapturedWarnings* current = nullptr;
        return current;
    }
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtWarningMsg && active()) active()->messages_ << message;
    }
    QtMessageHandler previous_;
    QStringList messages_;
};

}  // namespace kelvora::testing
