#include "ui/mqttpanel.h"

#include "publish/homepublisher.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace kelvora {
namespace {

QLineEdit* edit(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

QLabel* message(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

}  // namespace

MqttPanel::MqttPanel(HomePublisher& publisher, QWidget* parent)
    : QGroupBox(tr("Home automation (MQTT)"), parent), publisher_(publisher) {
    setObjectName(QStringLiteral("frameMqtt"));
    host_ = edit("mqttHost", this);
    host_->setPlaceholderText(tr("none: nothing is published"));
    port_ = edit("mqttPort", this);
    user_ = edit("mqttUser", this);
    password_ = edit("mqttPassword", this);
    password_->setEchoMode(QLineEdit::Password);
    tls_ = new QCheckBox(tr("TLS"), this);
    tls_->setObjectName(QStringLiteral("mqttTls"));
    caFile_ = edit("mqttCaFile", this);
    caFile_->setPlaceholderText(tr("system certificates"));
    // Topic levels of our own: letters, digits, "_" and "-" only.
    const auto* word = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9_-]+")), this);
    topicPrefix_ = edit("mqttTopicPrefix", this);
    topicPrefix_->setValidator(word);
    discoveryPrefix_ = edit("mqttDiscoveryPrefix", this);
    discoveryPrefix_->setValidator(word);
    discovery_ = new QCheckBox(tr("Announce the sensors (discovery)"), this);
    discovery_->setObjectName(QStringLiteral("mqttDiscovery"));
    save_ = new QPushButton(tr("Save"), this);
    save_->setObjectName(QStringLiteral("CMD_MQTT_Save"));
    test_ = new QPushButton(tr("Test connection"), this);
    test_->setObjectName(QStringLiteral("CMD_MQTT_Test"));
    status_ = message("mqttStatus", this);
    testResult_ = message("mqttTestResult", this);

    auto* form = new QFormLayout(this);
    form->addRow(tr("Broker host:"), host_);
    form->addRow(tr("Port:"), port_);
    form->addRow(tr("User name:"), user_);
    form->addRow(tr("Password:"), password_);
    form->addRow(tls_);
    form->addRow(tr("CA file:"), caFile_);
    form->addRow(tr("Topic prefix:"), topicPrefix_);
    form->addRow(tr("Discovery prefix:"), discoveryPrefix_);
    form->addRow(discovery_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save_);
    buttons->addWidget(test_);
    form->addRow(buttons);
    form->addRow(tr("Status:"), status_);
    form->addRow(testResult_);

    connect(save_, &QPushButton::clicked, this, &MqttPanel::save);
    connect(test_, &QPushButton::clicked, this, &MqttPanel::test);
    connect(&publisher_, &HomePublisher::statusChanged, status_, &QLabel::setText);
    connect(&publisher_, &HomePublisher::testFinished, testResult_,
            [this](bool, const QString& text) { testResult_->setText(text); });
    showSettings(publisher_.savedSettings());
    status_->setText(publisher_.statusText());
}

void MqttPanel::showSettings(const MqttSettings& s) {
    host_->setText(s.host);
    port_->setText(QString::number(s.port));
    user_->setText(s.user);
    password_->setText(s.password);
    tls_->setChecked(s.tls);
    caFile_->setText(s.caFile);
    topicPrefix_->setText(s.topicPrefix);
    discoveryPrefix_->setText(s.discoveryPrefix);
    discovery_->setChecked(s.discovery);
}

bool MqttPanel::typed(MqttSettings& s) {
    bool ok = false;
    const uint port = port_->text().trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        testResult_->setText(tr("The port must be a number from 1 to 65535."));
        return false;
    }
    s.host = host_->text().trimmed();
    s.port = quint16(port);
    s.user = user_->text().trimmed();
    s.password = password_->text();
    s.tls = tls_->isChecked();
    s.caFile = caFile_->text().trimmed();
    const MqttSettings defaults;
    s.topicPrefix = topicPrefix_->text().isEmpty() ? defaults.topicPrefix : topicPrefix_->text();
    s.discoveryPrefix = discoveryPrefix_->text().isEmpty() ? defaults.discoveryPrefix : discoveryPrefix_->text();
    s.discovery = discovery_->isChecked();
    if (const QString field = unsavableMqttText(s); !field.isEmpty()) {
        testResult_->setText(tr("The %1 cannot hold a double quote (\") or a line break.").arg(field));
        return false;
    }
    return true;
}

void MqttPanel::save() {
    MqttSettings s = publisher_.savedSettings();
    if (!typed(s)) return;
    if (publisher_.apply(s)) testResult_->setText(tr("Saved."));
    showSettings(publisher_.savedSettings());
}

void MqttPanel::test() {
    MqttSettings s = publisher_.savedSettings();
    if (!typed(s)) return;
    testResult_->setText(tr("Testing %1 ...").arg(s.brokerText()));
    publisher_.testConnection(s);
}

}  // namespace kelvora
