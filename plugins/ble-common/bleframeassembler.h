#ifndef BLEFRAMEASSEMBLER_H
#define BLEFRAMEASSEMBLER_H

#include <QByteArray>

// Cuts the machine's notification stream into transfer-protocol frames of
// 20 bytes, each starting at a 0x7E byte. At most one frame leaves per
// notification. The stream is untrusted: bytes that cannot start a frame are
// dropped at once, and a backlog beyond a few frames is dropped whole, so the
// buffer never grows without bound.
class BleFrameAssembler
{
public:
    static constexpr int FrameSize = 20;
    static constexpr char FrameStart = 0x7E;
    static constexpr int MaxBufferedBytes = 10 * FrameSize;

    // Adds one notification's bytes; the frame completed by them, or an empty
    // array while the next frame is still incomplete.
    QByteArray append(const QByteArray &bytes);
    // Bytes kept for the next frame.
    const QByteArray &buffer() const { return m_buffer; }
    void clear();

private:
    void dropBacklog();

    QByteArray m_buffer;
};

#endif // BLEFRAMEASSEMBLER_H
