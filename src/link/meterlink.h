#pragma once
#include "model/fieldmodel.h"
#include "common/clock.h"

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <array>
#include <functional>

namespace kelvora {

// The TCP connection to the serial server in front of the meter controller.
//
// The socket lives on the UI thread and is event driven. Each data event copies
// what arrived into the next of 1000 receive slots; the 10 ms scan hands the
// filled slots to the decoder in slot order. The one-second supervision counts
// the seconds since the last reconnect, rebuilds the connection after each
// processed message or every 30 seconds, and starts a new connect while the
// socket is closed or in error.
//
// The socket's state is reported with the numbers of the classic socket control:
// 0 closed, 1 open, 2 listening, 3 connection pending, 4 resolving host,
// 5 host resolved, 6 connecting, 7 connected, 8 closing, 9 error.
class MeterLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 1000;          // slots 1..1000 are used
    static constexpr int kSlotArraySize = 1006;  // RxBuf(0..1005)
    static constexpr int kConnectWaitMs = 2000;
    static constexpr int kReconnectAfterSeconds = 30;
    // One data event takes at most this much; the rest stays in the socket
    // (and in the kernel) for the next event, so a flooding peer cannot make
    // the receive slots grow without bound.
    static constexpr qint64 kMaxReadBytes = 16 * 1024;

    static constexpr int kStateClosed = 0;
    static constexpr int kStateOpen = 1;
    static constexpr int kStateListening = 2;
    static constexpr int kStateResolving = 4;
    static constexpr int kStateConnecting = 6;
    static constexpr int kStateConnected = 7;
    static constexpr int kStateClosing = 8;
    static constexpr int kStateError = 9;

    MeterLink(FieldModel& fields, const Clock& clock, std::function<void(const QString&)> decode,
              QObject* parent = nullptr);
    ~MeterLink() override;

    // The remote host and port, set once at start-up. A port of 0 (what
    // portFromSetting gives for an unusable setting) makes every connect fail.
    void setRemote(const QString& host, quint16 port);
    QString remoteHost() const { return host_; }
    quint16 remotePort() const { return port_; }
    // The whole-number port of a settings value; 0 when it is not within 1..65535.
    static quint16 portFromSetting(double value);

    // Closes the socket if it is not closed, connects, waits up to 2 seconds
    // (serving pending events and timer ticks meanwhile) and shows the outcome
    // in Text101 and Shape1. A call made while a wait is running (from a tick
    // served inside it) does nothing.
    void ConnectToServer();
    bool isConnecting() const { return connecting_; }

    void setDiscardNextData(int discard) { DiscardNextData = discard ? 1 : 0; }
    int discardNextData() const { return DiscardNextData; }

    // The data event: stores one piece of received text in the next slot.
    // The socket's readyRead comes here with everything it holds.
    void Winsock1_DataArrival(const QString& RxData);

    // The receive scan (Timer3): hands every filled slot, 1 to 1000 in slot
    // order, to the decoder and empties it.
    void scanSlots();

    // The connection part of the one-second tick (Timer1).
    void superviseConnection();

    // A complete message was processed (Timer2).
    void markMessageProcessed() { Message_Processed = 1; }

    int socketState() const;
    int rxIndex() const { return RxIndex; }
    int reconnectSeconds() const { return Reconnect_Seconds; }
    int messageProcessed() const { return Message_Processed; }
    const QString& slotText(int index) const { return RxBuf.at(static_cast<size_t>(index)); }

    // Status texts.
    static QString connectedText(int state);
    static QString noConnectionText(int state);
    static inline const QString kConnectionBad = QStringLiteral("Connection Bad...");

    static QColor green();
    static QColor yellow();
    static QColor red();

Q_SIGNALS:
    // A data event filled a receive slot; the scan has work.
    void dataStored();

private:
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void warnOnce(const QString& message);
    // Starts a connect attempt; false when it cannot even start (no host, port 0).
    bool startConnect();
    void waitForConnection();
    void showOutcome();

    FieldModel& fields_;
    const Clock& clock_;
    std::function<void(const QString&)> decode_;
    QTcpSocket socket_;
    QString host_;
    quint16 port_ = 0;
    bool errorSinceConnect_ = false;
    bool connecting_ = false;
    QString lastWarning_;

    std::array<QString, kSlotArraySize> RxBuf;
    int RxIndex = 0;
    int ScanIndex = 0;
    int DiscardNextData = 0;
    int Reconnect_Seconds = 0;
    int Message_Processed = 0;
};

}  // namespace kelvora
