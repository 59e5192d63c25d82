#ifndef TPFRAME_H
#define TPFRAME_H

#include <QByteArray>
#include <QList>

#include <optional>

// Byte-level codec of the firmware-3 transfer protocol: frame layouts,
// escaping, check fields, checksums and the cutting of a payload into chunks.
// TPManager drives the conversation; everything here is a pure function.
namespace TPFrame {

enum Kind : quint8 {
    Announcement = 0x70,
    Ack = 0x71,
    Nack = 0x72,
    Data = 0x73,
    PayloadComplete = 0x74,
    DeviceBusy = 0x75,
};

constexpr quint8 StartByte = 0x7E;
constexpr quint8 EscapeByte = 0x7D;
constexpr quint8 EscapeXor = 0x20;
constexpr int HeaderSize = 3;     // start byte, id, kind
constexpr int DataHeaderSize = 4; // header plus the chunk length byte
constexpr int ChunkOverhead = 6;  // data header plus a two-byte check field
constexpr int MaxPayloadSize = 0xFFFF;

struct AnnouncedPayload
{
    quint16 size = 0;
    quint32 crc32 = 0;
};

struct ReceivedChunk
{
    quint8 length = 0;
    QByteArray escaped; // the chunk as it travelled, unescaped only when composing
};

// CRC-8/SMBUS: polynomial 0x07, initial value 0, no reflection, no final XOR.
quint8 crc8(const QByteArray &bytes);
// CRC-32/ISO-HDLC, the zlib checksum.
quint32 crc32(const QByteArray &bytes);

QByteArray escape(const QByteArray &bytes);
QByteArray unescape(const QByteArray &escaped);
int countEscapedBytes(const QByteArray &bytes);
QByteArray checkField(quint8 crc);
// Ids of the frames one side originates; 0x7D and 0x7E are never used.
quint8 nextId(quint8 previous);

QByteArray shortFrame(quint8 id, Kind kind);
QByteArray announcement(quint8 id, const QByteArray &payload);
QByteArray dataChunk(quint8 id, const QByteArray &chunk);
QList<QByteArray> splitIntoChunks(const QByteArray &payload, int capacity);

// Start byte and a kind from 0x70 to 0x75; anything else is no frame of ours.
bool hasValidHeader(const QByteArray &frame);
quint8 idOf(const QByteArray &frame);
Kind kindOf(const QByteArray &frame);
bool isDataChunk(const QByteArray &frame);
bool hasValidShortCheck(const QByteArray &frame);
std::optional<AnnouncedPayload> parseAnnouncement(const QByteArray &frame);
std::optional<ReceivedChunk> parseDataChunk(const QByteArray &frame);

} // namespace TPFrame

#endif // TPFRAME_H
