#ifndef CTPMANAGER_H
#define CTPMANAGER_H

#include <QByteArray>
#include <QList>
#include <QObject>

class QTimer;

// One end of the firmware-3 transfer protocol. A payload (type byte plus
// message) goes out as an announcement followed by acknowledged data chunks;
// payloads offered meanwhile wait in a queue. The same object reassembles the
// payloads the peer sends. It never touches a transport: outgoing frames leave
// through sendTPData and every received report or notification comes in
// through receiveTPData.
class TPManager : public QObject
{
    Q_OBJECT

public:
    static constexpr int UsbFrameSize = 64;
    static constexpr int BleFrameSize = 20;
    static constexpr int UsbTimeoutMs = 1300;
    static constexpr int BleTimeoutMs = 2000;

    explicit TPManager(int frameSize, QObject *parent = nullptr, int timeoutMs = UsbTimeoutMs);

    // Joins the chunks received so far into the payload and forgets them.
    QByteArray composePayloadFromChunks();

signals:
    void sendTPData(QByteArray tpData);
    void payload(QByteArray serialized);
    void transferSessionFinished(QByteArray messageData);
    void deviceBusy();

public slots:
    void receiveTPData(QByteArray tpData);
    void timeout();
    void onSendTpData(QByteArray buffer);
    void sendPayload(const QByteArray &payload);
    void reset();

private:
    enum class Incoming {
        Idle,      // nothing announced, or the announced payload failed its checks
        Receiving, // chunks of an announced payload are arriving
        Completed, // the last chunk received completed its payload
    };

    // Everything a reset or a device-busy frame returns to its initial value.
    struct Session
    {
        quint8 nextId = 0;
        quint8 lastReceivedId = 0;
        quint8 awaitedId = 0;
        bool active = false;
        QList<QByteArray> outgoingChunks;
        QList<QByteArray> incomingChunks;
        QByteArray currentPayload;
        QByteArray lastFrame;
        QByteArray pendingFrame; // our announcement or chunk awaiting its acknowledgement
        QList<QByteArray> queue;
        quint8 retries = 0;
        quint16 expectedSize = 0;
        quint16 receivedSize = 0;
        quint32 expectedCrc32 = 0;
        Incoming incoming = Incoming::Idle;
        bool payloadChunked = false; // the current attempt is past its announcement
        bool allChunksSent = false;  // every chunk of the current payload went out once
    };

    void onAnnouncement(const QByteArray &frame);
    void onAck(const QByteArray &frame);
    void onNack();
    void onDataChunk(const QByteArray &frame);
    void onPayloadComplete();
    void onDeviceBusy();

    void announce(const QByteArray &payload);
    void sendNextChunk();
    void finishIncomingPayload(quint8 chunkId);
    bool verifyComposedPayload(const QByteArray &composed) const;
    void refuse(quint8 id);
    bool resendPendingChunk();
    void restartOrSendNext();
    void startNextQueued();
    void restartTimer();
    quint8 takeNextId();
    QList<QByteArray> chunkFrames(const QByteArray &payload);

    const int m_frameSize;
    const int m_timeoutMs;
    QTimer *const m_timer;
    Session m_session;
};

#endif // CTPMANAGER_H
