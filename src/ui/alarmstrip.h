#pragma once
#include <QFrame>

class QLabel;
class QPushButton;

namespace kelvora {

class AlarmEngine;

// The red strip across the main window that names every raised alarm until
// it clears; hidden while none is raised. Its button opens the Alarms window.
class AlarmStrip : public QFrame {
    Q_OBJECT
public:
    explicit AlarmStrip(const AlarmEngine& engine, QWidget* parent = nullptr);
    void refresh();
    QPushButton* openButton() const { return open_; }

private:
    const AlarmEngine& engine_;
    QLabel* text_;
    QPushButton* open_;
};

}  // namespace kelvora
