#include "publish/mqttsettings.h"

#include "common/records.h"
#include "model/datafiles.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>
#include <utility>

namespace kelvora {
namespace {

const QString kHost = QStringLiteral("host");
const QString kPort = QStringLiteral("port");
const QString kUser = QStringLiteral("user");
const QString kPassword = QStringLiteral("password");
const QString kTls = QStringLiteral("tls");
const QString kCaFile = QStringLiteral("ca file");
const QString kTopicPrefix = QStringLiteral("topic prefix");
const QString kDiscoveryPrefix = QStringLiteral("discovery prefix");
const QString kDiscovery = QStringLiteral("discovery");
const QString kNodeId = QStringLiteral("node id");

QString onOff(bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); }

// A topic level of our own: no wildcards, no separators, not empty.
bool validTopicWord(const QString& s) {
    static const QRegularExpression ok(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return ok.match(s).hasMatch();
}

}  // namespace

QString newNodeId() {
    const quint64 n = QRandomGenerator::system()->generate64() & 0xFFFFFFFFFFFFull;
    return QStringLiteral("kelvora_%1").arg(n, 12, 16, QLatin1Char('0'));
}

MqttSettings readMqttSettings(const DataDir& dir) {
    MqttSettings s;
    const auto fields = dir.readRecords(files::MqttSetup);
    if (!fields) return s;
    for (qsizetype i = 0; i + 1 < fields->size(); i += 2) {
        const QString& label = (*fields)[i];
        const QString value = (*fields)[i + 1].trimmed();
        if (label == kHost) s.host = value;
        else if (label == kPort) {
            bool ok = false;
            const uint port = value.toUInt(&ok);
            if (ok && port > 0 && port <= 65535) s.port = quint16(port);
            else qWarning("%s: the port %s is not valid; %u is used", qPrintable(files::MqttSetup),
                          qPrintable(value), unsigned(s.port));
        } else if (label == kUser) s.user = value;
        else if (label == kPassword) s.password = (*fields)[i + 1];
        else if (label == kTls) s.tls = value == QLatin1String("on");
        else if (label == kCaFile) s.caFile = value;
        else if (label == kTopicPrefix && validTopicWord(value)) s.topicPrefix = value;
        else if (label == kDiscoveryPrefix && validTopicWord(value)) s.discoveryPrefix = value;
        else if (label == kDiscovery) s.discovery = value != QLatin1String("off");
        else if (label == kNodeId && validTopicWord(value)) s.nodeId = value;
    }
    return s;
}

QString unsavableMqttText(const MqttSettings& s) {
    const std::pair<const QString&, const QString&> texts[] = {
        {kHost, s.host},         {kUser, s.user},
        {kPassword, s.password}, {kCaFile, s.caFile},
        {kTopicPrefix, s.topicPrefix}, {kDiscoveryPrefix, s.discoveryPrefix}};
    for (const auto& [label, text] : texts)
        if (text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n')) return label;
    return QString();
}

bool saveMqttSettings(const DataDir& dir, const MqttSettings& s) {
    // A password saved without its quote would be refused by the broker
    // with no hint why: refuse it here instead.
    if (!unsavableMqttText(s).isEmpty()) return false;
    const auto pair = [](const QString& label, const QString& value) {
        return Record{Field::Text(label), Field::Text(value)};
    };
    const QList<Record> records = {
        pair(kHost, s.host),           pair(kPort, QString::number(s.port)),
        pair(kUser, s.user),           pair(kPassword, s.password),
        pair(kTls, onOff(s.tls)),      pair(kCaFile, s.caFile),
        pair(kTopicPrefix, s.topicPrefix), pair(kDiscoveryPrefix, s.discoveryPrefix),
        pair(kDiscovery, onOff(s.discovery)), pair(kNodeId, s.nodeId)};
    return dir.writePrivate(files::MqttSetup, recordLines(records));
}

BrokerUrl parseBrokerUrl(const QString& text, MqttSettings base) {
    const auto fail = [](const QString& why) {
        return BrokerUrl{std::nullopt,
                         QStringLiteral("--mqtt needs mqtt://[user[:password]@]host[:port] or mqtts://...: %1").arg(why)};
    };
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) return fail(QStringLiteral("the address is malformed"));
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))
        return fail(QStringLiteral("the scheme must be mqtt or mqtts"));
    if (url.host().isEmpty()) return fail(QStringLiteral("no host"));
    if (!(url.path().isEmpty() || url.path() == QLatin1String("/")) || url.hasQuery() || url.hasFragment())
        return fail(QStringLiteral("nothing may follow the port"));
    base.tls = scheme == QLatin1String("mqtts");
    const int port = url.port(base.tls ? kMqttTlsPort : kMqttPort);
    if (port <= 0 || port > 65535) return fail(QStringLiteral("the port must be 1 to 65535"));
    base.host = url.host();
    base.port = quint16(port);
    base.user = url.userName(QUrl::FullyDecoded);
    base.password = url.password(QUrl::FullyDecoded);
    return BrokerUrl{base, QString()};
}

}  // namespace kelvora
