#include "bleframeassembler.h"

#include <QDebug>

QByteArray BleFrameAssembler::append(const QByteArray &bytes)
{
    m_buffer.append(bytes);
    // Bytes before the first frame start can never be part of a frame.
    const int start = m_buffer.indexOf(FrameStart);
    m_buffer.remove(0, start < 0 ? m_buffer.size() : start);
    QByteArray frame;
    if (m_buffer.size() >= FrameSize) {
        frame = m_buffer.left(FrameSize);
        m_buffer.remove(0, FrameSize);
    }
    dropBacklog();
    return frame;
}

void BleFrameAssembler::clear()
{
    m_buffer.clear();
}

void BleFrameAssembler::dropBacklog()
{
    if (m_buffer.size() <= MaxBufferedBytes)
        return;
    // A machine sending faster than one frame per notification: what waits is
    // stale by now, and the transfer protocol sends again what goes missing.
    qWarning() << "BLE receive backlog dropped, bytes:" << m_buffer.size();
    m_buffer.clear();
}
