#pragma once
#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvora {

class HomePublisher;
struct MqttSettings;

// The Set-Up frame "Home automation (MQTT)": the broker, its credentials and
// TLS, the topic and discovery prefixes. "Save" keeps them and reconnects;
// "Test connection" tries the settings as typed and tells the outcome here.
// The password shows as dots and is never shown or logged in clear. Its
// widgets show the publisher's settings, not fields of the main window's
// model: it joins the window after the field binder (addToSetupTab).
class MqttPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit MqttPanel(HomePublisher& publisher, QWidget* parent = nullptr);

private:
    void showSettings(const MqttSettings& s);
    // The settings as typed, or nothing (with the reason shown) when the port
    // is not a number from 1 to 65535.
    bool typed(MqttSettings& s);
    void save();
    void test();

    HomePublisher& publisher_;
    QLineEdit* host_;
    QLineEdit* port_;
    QLineEdit* user_;
    QLineEdit* password_;
    QCheckBox* tls_;
    QLineEdit* caFile_;
    QLineEdit* topicPrefix_;
    QLineEdit* discoveryPrefix_;
    QCheckBox* discovery_;
    QPushButton* save_;
    QPushButton* test_;
    QLabel* status_;
    QLabel* testResult_;
};

}  // namespace kelvora
