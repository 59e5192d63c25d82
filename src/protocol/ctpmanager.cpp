#include "ctpmanager.h"

#include "tpframe.h"

#include <QDebug>
#include <QTimer>

namespace {

constexpr int MaxRetries = 3;
// The longest announcement (every size and checksum byte escaped) must fit a frame.
constexpr int MinFrameSize = TPFrame::HeaderSize + 4 + 8 + 2;

const char *sentLabel(const QByteArray &frame)
{
    if (!TPFrame::hasValidHeader(frame))
        return "[Unknown]";
    switch (TPFrame::kindOf(frame)) {
    case TPFrame::Announcement:
        return "[AckMes]";
    case TPFrame::Ack:
        return "[Ack]";
    case TPFrame::Nack:
        return "[Nack]";
    case TPFrame::Data:
        return "[Data]";
    case TPFrame::PayloadComplete:
        return "[AckMesResp]";
    case TPFrame::DeviceBusy:
        break;
    }
    return "[Unknown]";
}

} // namespace

TPManager::TPManager(int frameSize, QObject *parent, int timeoutMs)
    : QObject(parent)
    , m_frameSize(qMax(frameSize, MinFrameSize))
    , m_timeoutMs(timeoutMs)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TPManager::timeout);
    connect(this, &TPManager::sendTPData, this, &TPManager::onSendTpData);
}

void TPManager::sendPayload(const QByteArray &payload)
{
    // An empty current payload means "none", so an empty one cannot travel.
    if (payload.isEmpty())
        return;
    if (payload.size() > TPFrame::MaxPayloadSize) {
        qWarning() << "Message too long for the transfer protocol, dropped:" << payload.size()
                   << "bytes";
        return;
    }
    if (m_session.active) {
        m_session.queue.append(payload);
        qDebug().noquote() << "Enqueued message: " << payload.toHex()
                           << "queued: " << m_session.queue.size();
        return;
    }
    if (m_session.queue.isEmpty())
        qDebug().noquote() << "Send message directly:" << payload.toHex();
    m_session.allChunksSent = false;
    announce(payload);
}

QByteArray TPManager::composePayloadFromChunks()
{
    QByteArray stuffed;
    QByteArray unstuffed;
    for (const QByteArray &chunk : qAsConst(m_session.incomingChunks)) {
        stuffed += chunk;
        unstuffed += TPFrame::unescape(chunk);
    }
    m_session.incomingChunks.clear();
    qDebug().noquote() << "Stuffed:" << stuffed.toHex();
    qDebug().noquote() << "Unstuffed:" << unstuffed.toHex();
    return unstuffed;
}

void TPManager::receiveTPData(QByteArray tpData)
{
    if (!TPFrame::hasValidHeader(tpData)) {
        qWarning() << "Bad frame received!";
        return;
    }
    switch (TPFrame::kindOf(tpData)) {
    case TPFrame::Announcement:
        onAnnouncement(tpData);
        break;
    case TPFrame::Ack:
        onAck(tpData);
        break;
    case TPFrame::Nack:
        onNack();
        break;
    case TPFrame::Data:
        onDataChunk(tpData);
        break;
    case TPFrame::PayloadComplete:
        onPayloadComplete();
        break;
    case TPFrame::DeviceBusy:
        onDeviceBusy();
        break;
    }
}

void TPManager::timeout()
{
    if (resendPendingChunk())
        return;
    restartOrSendNext();
}

void TPManager::onSendTpData(QByteArray buffer)
{
    m_session.lastFrame = buffer;
    qDebug().noquote() << "S:" << sentLabel(buffer) << buffer.toHex();
}

void TPManager::reset()
{
    m_timer->stop();
    m_session = Session();
}

void TPManager::onAnnouncement(const QByteArray &frame)
{
    restartTimer();
    m_session.active = true;
    const quint8 id = TPFrame::idOf(frame);
    const auto announced = TPFrame::parseAnnouncement(frame);
    if (!announced) {
        qWarning().noquote() << "Wrong [AckMes] frame CRC" << frame.toHex();
        refuse(id);
        return;
    }
    qDebug().noquote() << "R:"
                       << "[AckMes]" << frame.toHex();
    m_session.lastReceivedId = id;
    m_session.receivedSize = 0;
    m_session.expectedSize = announced->size;
    m_session.expectedCrc32 = announced->crc32;
    // Chunks of an abandoned transfer must not leak into this payload.
    m_session.incomingChunks.clear();
    m_session.incoming = Incoming::Receiving;
    emit sendTPData(TPFrame::shortFrame(id, TPFrame::Ack));
}

void TPManager::onAck(const QByteArray &frame)
{
    restartTimer();
    const quint8 id = TPFrame::idOf(frame);
    if (!TPFrame::hasValidShortCheck(frame)) {
        qWarning().noquote() << "Wrong [ACK] frame CRC" << frame.toHex();
        refuse(id);
        return;
    }
    if (id != m_session.awaitedId) {
        qWarning().noquote() << "Wrong ID in [ACK] frame" << frame.toHex();
        refuse(m_session.awaitedId);
        return;
    }
    m_session.retries = 0;
    qDebug().noquote() << "R:"
                       << "[ACK]" << frame.toHex();
    // A late acknowledgement of a payload already confirmed: nothing to continue.
    if (m_session.currentPayload.isEmpty())
        return;
    if (!m_session.payloadChunked) {
        m_session.outgoingChunks = chunkFrames(m_session.currentPayload);
        m_session.payloadChunked = true;
    } else if (m_session.outgoingChunks.isEmpty()) {
        // The peer acknowledged the last chunk instead of confirming the
        // payload, so its count of received bytes is off: only a fresh
        // announcement sets it straight again.
        qWarning().noquote() << "[ACK] after the last [Data] frame: resend message: "
                             << m_session.currentPayload.toHex();
        m_session.active = false;
        announce(m_session.currentPayload);
        return;
    }
    sendNextChunk();
}

void TPManager::onNack()
{
    restartTimer();
    qDebug() << "R:"
             << "[NACK]";
    // Answering a refusal with a refusal would bounce between both sides for
    // ever; the time-outs recover instead.
    if (m_session.lastFrame.isEmpty() || TPFrame::kindOf(m_session.lastFrame) == TPFrame::Nack)
        return;
    emit sendTPData(m_session.lastFrame);
}

void TPManager::onDataChunk(const QByteArray &frame)
{
    restartTimer();
    const quint8 id = TPFrame::idOf(frame);
    const auto chunk = TPFrame::parseDataChunk(frame);
    if (!chunk) {
        qWarning().noquote() << "Wrong [DATA_N] frame CRC" << frame.toHex();
        refuse(id);
        return;
    }
    if (id == m_session.lastReceivedId && m_session.incoming != Incoming::Idle) {
        qDebug() << "R:"
                 << "[DATA_N]"
                 << "Refused: same id";
        // A repeated last chunk means our confirmation was lost: confirm again.
        const auto answer =
            m_session.incoming == Incoming::Completed ? TPFrame::PayloadComplete : TPFrame::Ack;
        emit sendTPData(TPFrame::shortFrame(id, answer));
        return;
    }
    if (m_session.incoming != Incoming::Receiving) {
        qWarning().noquote() << "[DATA_N] frame without [AckMes] frame dropped" << frame.toHex();
        return;
    }
    if (m_session.receivedSize + chunk->length > m_session.expectedSize) {
        qWarning().noquote() << "[DATA_N] frame beyond the size defined in the [AckMes] frame,"
                             << "message dropped:" << frame.toHex();
        m_session.incoming = Incoming::Idle;
        return;
    }
    m_session.lastReceivedId = id;
    m_session.incomingChunks.append(chunk->escaped);
    m_session.receivedSize += chunk->length;
    qDebug() << "R:"
             << "[DATA_N]"
             << "received bytes:" << m_session.receivedSize
             << "need to get bytes:" << m_session.expectedSize;
    if (m_session.receivedSize == m_session.expectedSize)
        finishIncomingPayload(id);
    else
        emit sendTPData(TPFrame::shortFrame(id, TPFrame::Ack));
}

void TPManager::onPayloadComplete()
{
    qDebug() << "R:"
             << "[AckMesResp]";
    // Before every chunk went out the peer cannot hold the payload: this is a
    // confirmation left over from the previous one.
    if (m_session.currentPayload.isEmpty() || !m_session.allChunksSent)
        return;
    const QByteArray finished = m_session.currentPayload;
    m_session.currentPayload.clear();
    m_session.lastFrame.clear();
    m_session.pendingFrame.clear();
    m_session.outgoingChunks.clear();
    m_session.payloadChunked = false;
    m_session.allChunksSent = false;
    m_session.active = false;
    emit transferSessionFinished(finished);
    // A receiver of the signal may already have started the next payload.
    if (!m_session.active)
        restartOrSendNext();
}

void TPManager::onDeviceBusy()
{
    qDebug() << "R:"
             << "[DeviceBusy]";
    reset();
    emit deviceBusy();
}

void TPManager::announce(const QByteArray &payload)
{
    m_session.active = true;
    m_session.outgoingChunks.clear();
    m_session.payloadChunked = false;
    m_session.retries = 0;
    m_session.lastFrame.clear();
    m_session.currentPayload = payload;
    m_session.awaitedId = takeNextId();
    m_session.pendingFrame = TPFrame::announcement(m_session.awaitedId, payload);
    restartTimer();
    emit sendTPData(m_session.pendingFrame);
}

void TPManager::sendNextChunk()
{
    m_session.pendingFrame = m_session.outgoingChunks.takeFirst();
    m_session.awaitedId = TPFrame::idOf(m_session.pendingFrame);
    if (m_session.outgoingChunks.isEmpty())
        m_session.allChunksSent = true;
    emit sendTPData(m_session.pendingFrame);
}

void TPManager::finishIncomingPayload(quint8 chunkId)
{
    const QByteArray composed = composePayloadFromChunks();
    // Without a confirmation the peer sends the payload again; a confirmed
    // but dropped payload would be lost.
    if (verifyComposedPayload(composed)) {
        m_session.incoming = Incoming::Completed;
        emit sendTPData(TPFrame::shortFrame(chunkId, TPFrame::PayloadComplete));
        emit payload(composed);
    } else {
        m_session.incoming = Incoming::Idle;
    }
    m_session.active = false;
    m_session.expectedSize = 0;
    m_session.receivedSize = 0;
    // Our own payload, if one was in flight, starts again from its announcement.
    restartOrSendNext();
}

bool TPManager::verifyComposedPayload(const QByteArray &composed) const
{
    if (composed.size() != m_session.expectedSize) {
        qWarning() << "Received data size doesn't equal value defined in the [AckMes] frame "
                      "pbufSize field!"
                   << "Full size:" << m_session.expectedSize << "bytes;"
                   << "Total received size:" << m_session.receivedSize << "bytes;"
                   << "Unstuffed total size:" << composed.size();
        return false;
    }
    if (TPFrame::crc32(composed) != m_session.expectedCrc32) {
        qWarning().noquote() << "Received data CRC-32 doesn't equal value defined in the "
                                "[AckMes] frame, message dropped:"
                             << composed.toHex();
        return false;
    }
    return true;
}

void TPManager::refuse(quint8 id)
{
    if (m_session.retries >= MaxRetries) {
        // Stop refusing; the time-outs start the exchange again.
        m_session.retries = 0;
        m_session.outgoingChunks.clear();
        return;
    }
    ++m_session.retries;
    emit sendTPData(TPFrame::shortFrame(id, TPFrame::Nack));
}

bool TPManager::resendPendingChunk()
{
    // The chunk awaiting its acknowledgement, not the last frame emitted: the
    // acknowledgements we gave the peer in between must not cost the progress
    // of our own payload.
    if (!TPFrame::isDataChunk(m_session.pendingFrame) || m_session.retries >= MaxRetries)
        return false;
    ++m_session.retries;
    restartTimer();
    emit sendTPData(m_session.pendingFrame);
    return true;
}

void TPManager::restartOrSendNext()
{
    m_session.active = false;
    m_session.retries = 0;
    if (!m_session.currentPayload.isEmpty()) {
        qWarning().noquote() << "Timeout: resend last message: "
                             << m_session.currentPayload.toHex();
        announce(m_session.currentPayload);
        return;
    }
    startNextQueued();
}

void TPManager::startNextQueued()
{
    if (m_session.queue.isEmpty())
        return;
    const QByteArray next = m_session.queue.takeFirst();
    qWarning().noquote() << "Timeout: queued: " << m_session.queue.size()
                         << "dequeued message:" << next.toHex();
    sendPayload(next);
}

void TPManager::restartTimer()
{
    m_timer->start(m_timeoutMs);
}

quint8 TPManager::takeNextId()
{
    m_session.nextId = TPFrame::nextId(m_session.nextId);
    return m_session.nextId;
}

QList<QByteArray> TPManager::chunkFrames(const QByteArray &payload)
{
    QList<QByteArray> frames;
    const auto chunks = TPFrame::splitIntoChunks(payload, m_frameSize - TPFrame::ChunkOverhead);
    for (const QByteArray &chunk : chunks)
        frames.append(TPFrame::dataChunk(takeNextId(), chunk));
    return frames;
}
