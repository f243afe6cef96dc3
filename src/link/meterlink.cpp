#include "link/meterlink.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtGlobal>
#include <cmath>
#include <new>
#include <utility>

namespace kelvora {

namespace {
const QString kText101 = QStringLiteral("Text101");
const QString kShape1 = QStringLiteral("Shape1");
const QString kLabel8 = QStringLiteral("Label8");
const QString kLabel9 = QStringLiteral("Label9");
// How often the connect wait looks at the clock while nothing else wakes it.
constexpr qint64 kWaitPollMs = 50;
}  // namespace

MeterLink::MeterLink(FieldModel& fields, const Clock& clock, std::function<void(const QString&)> decode,
                     QObject* parent)
    : QObject(parent), fields_(fields), clock_(clock), decode_(std::move(decode)) {
    socket_.setReadBufferSize(kMaxReadBytes);
    connect(&socket_, &QTcpSocket::readyRead, this, &MeterLink::onReadyRead);
    connect(&socket_, &QAbstractSocket::errorOccurred, this, &MeterLink::onError);
}

MeterLink::~MeterLink() {
    // Closing the socket on the way out raises its signals; nobody listens any more.
    socket_.disconnect(this);
    socket_.abort();
}

void MeterLink::setRemote(const QString& host, quint16 port) {
    host_ = host.trimmed();
    port_ = port;
}

quint16 MeterLink::portFromSetting(double value) {
    if (!std::isfinite(value)) return 0;
    const double whole = std::round(value);
    if (whole < 1 || whole > 65535) return 0;
    return static_cast<quint16>(whole);
}

QString MeterLink::connectedText(int state) {
    return QStringLiteral("Connected to Serial Server...  ") + QString::number(state);
}

QString MeterLink::noConnectionText(int state) {
    return QStringLiteral("NO Connection to Serial Server...  ") + QString::number(state);
}

QColor MeterLink::green() { return QColor(0x00, 0xFF, 0x00); }
QColor MeterLink::yellow() { return QColor(0xFF, 0xFF, 0x00); }
QColor MeterLink::red() { return QColor(0xFF, 0x00, 0x00); }

int MeterLink::socketState() const {
    switch (socket_.state()) {
    case QAbstractSocket::UnconnectedState:
        return errorSinceConnect_ ? kStateError : kStateClosed;
    case QAbstractSocket::HostLookupState:
        return kStateResolving;
    case QAbstractSocket::ConnectingState:
        return kStateConnecting;
    case QAbstractSocket::ConnectedState:
        return kStateConnected;
    case QAbstractSocket::BoundState:
        return kStateOpen;
    case QAbstractSocket::ListeningState:
        return kStateListening;
    case QAbstractSocket::ClosingState:
        return kStateClosing;
    }
    return kStateError;
}

bool MeterLink::startConnect() {
    errorSinceConnect_ = false;
    if (host_.isEmpty() || port_ == 0) {
        errorSinceConnect_ = true;
        warnOnce(QStringLiteral("no host or no valid port in the settings"));
        return false;
    }
    socket_.connectToHost(host_, port_);
    return true;
}

void MeterLink::ConnectToServer() {
    // A tick served inside the wait below may ask again; the running connect
    // stands for it.
    if (connecting_) return;
    connecting_ = true;
    // abort() rather than close(): it drops the old connection at once, without
    // lingering in the closing state, so the new connect can start right away.
    // Its disconnected signal arrives here, before the new attempt starts.
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.abort();
    if (startConnect()) waitForConnection();
    connecting_ = false;
    showOutcome();
}

void MeterLink::waitForConnection() {
    const auto finished = [this] {
        const int s = socketState();
        return s == kStateConnected || s == kStateError || s == kStateClosed;
    };
    if (finished()) return;

    const qint64 deadline = clock_.elapsedMs() + kConnectWaitMs;
    // Also never longer than the wait on the steady clock, whatever the
    // injected clock does.
    QElapsedTimer steady;
    steady.start();

    QEventLoop loop;
    QTimer poll;
    poll.setSingleShot(true);
    const auto check = [&] {
        const qint64 left = std::min(deadline - clock_.elapsedMs(), kConnectWaitMs - steady.elapsed());
        if (finished() || left <= 0) {
            loop.quit();
            return;
        }
        poll.start(static_cast<int>(std::min(left, kWaitPollMs)));
    };
    connect(&poll, &QTimer::timeout, &loop, check);
    connect(&socket_, &QAbstractSocket::connected, &loop, check);
    connect(&socket_, &QAbstractSocket::errorOccurred, &loop, check);
    connect(&socket_, &QAbstractSocket::stateChanged, &loop, check);
    check();
    if (poll.isActive()) loop.exec();
    poll.stop();
}

void MeterLink::showOutcome() {
    const int state = socketState();
    if (state == kStateConnected) {
        lastWarning_.clear();  // the next outage is worth a word again
        fields_.setText(kText101, connectedText(state));
        fields_.setColor(kText101, green());
        // The lamp blinks with each successful reconnect.
        fields_.setColor(kShape1, fields_.color(kShape1) == green() ? yellow() : green());
    } else {
        fields_.setText(kText101, noConnectionText(state));
        fields_.setColor(kText101, red());
        fields_.setColor(kShape1, red());
    }
}

void MeterLink::onError(QAbstractSocket::SocketError error) {
    errorSinceConnect_ = true;
    warnOnce(QStringLiteral("%1 (error %2)").arg(socket_.errorString()).arg(int(error)));
}

// The server being away gives the same failure every second; say it once.
void MeterLink::warnOnce(const QString& message) {
    if (message == lastWarning_) return;
    lastWarning_ = message;
    qWarning("Serial server \"%s\" port %u: %s", qPrintable(host_), unsigned(port_), qPrintable(message));
}

void MeterLink::onReadyRead() {
    try {
        if (!socket_.isReadable()) {
            fields_.setText(kText101, kConnectionBad);
            return;
        }
        const QByteArray data = socket_.read(kMaxReadBytes);
        if (data.isEmpty()) return;
        Winsock1_DataArrival(QString::fromLatin1(data));
    } catch (const std::bad_alloc&) {
        fields_.setText(kText101, kConnectionBad);
    }
}

void MeterLink::Winsock1_DataArrival(const QString& RxData) {
    if (DiscardNextData == 1) {
        DiscardNextData = 0;
        return;
    }
    ++RxIndex;  // 1..1000: it wraps to 0 below
    fields_.setText(kLabel9, QString::number(RxIndex));
    RxBuf[static_cast<size_t>(RxIndex)] = RxData;
    if (RxIndex == kSlots) RxIndex = 0;
    Q_EMIT dataStored();
}

void MeterLink::scanSlots() {
    for (ScanIndex = 1; ScanIndex <= kSlots; ++ScanIndex) {
        QString& slot = RxBuf[static_cast<size_t>(ScanIndex)];
        if (slot.isEmpty()) continue;
        // Take the text out before decoding, so that nothing written into the
        // slot meanwhile is wiped with it.
        const QString text = std::exchange(slot, QString());
        if (decode_) decode_(text);
    }
    ScanIndex = kSlots;
}

void MeterLink::superviseConnection() {
    ++Reconnect_Seconds;
    fields_.setText(kLabel8, QString::number(Reconnect_Seconds));

    if (Reconnect_Seconds >= kReconnectAfterSeconds || Message_Processed == 1) {
        Reconnect_Seconds = 0;
        ConnectToServer();
        Message_Processed = 0;
    }

    // A tick served inside a running connect wait leaves the socket to it.
    if (connecting_) return;
    const int state = socketState();
    if (state == kStateError || state == kStateClosed) {
        if (!startConnect()) fields_.setText(kText101, noConnectionText(socketState()));
    }
}

}  // namespace kelvora
