#pragma once
#include "common/variant.h"

#include <QList>
#include <QObject>
#include <QString>

namespace kelvora {

// What passes between the chart windows and the logic that feeds them. A
// window is destroyed when it closes; this outlives it. The logic announces a
// rewritten file here, and an open window that shows that file reloads itself.
class WindowState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The history file being updated or shown ("4KWhr.dat").
    QString History_File;
    // The period the KWH graphs window shows: 1 hourly .. 5 yearly, 0 when closed.
    int Graph_Period = 0;
    // The 60 records (stamp, value) of the rolling KWH file last read.
    QList<QString> Roll_Stamp;
    QList<Variant> Roll_Value;

    // Which windows are open, so that a reload for a closed one is skipped.
    bool isOpen(const QString& window) const { return open_.contains(window); }
    void setOpen(const QString& window, bool open) {
        if (open) {
            if (!open_.contains(window)) open_ << window;
        } else {
            open_.removeAll(window);
        }
    }

    void announceRewritten(const QString& file) { Q_EMIT fileRewritten(file); }

Q_SIGNALS:
    void fileRewritten(const QString& file);

private:
    QList<QString> open_;
};

}  // namespace kelvora
