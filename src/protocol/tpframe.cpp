#include "tpframe.h"

#include <QtEndian>

#include <algorithm>

namespace TPFrame {

namespace {

bool needsEscape(char byte)
{
    const auto value = quint8(byte);
    return value == StartByte || value == EscapeByte;
}

// Reads `count` unescaped bytes from `*pos` on; false when the frame ends first.
bool unescapeAt(const QByteArray &frame, int *pos, int count, QByteArray *out)
{
    while (out->size() < count) {
        if (*pos >= frame.size())
            return false;
        char byte = frame.at((*pos)++);
        if (quint8(byte) == EscapeByte) {
            if (*pos >= frame.size())
                return false;
            byte = char(quint8(frame.at((*pos)++)) ^ EscapeXor);
        }
        out->append(byte);
    }
    return true;
}

// The check value at `pos` must equal the CRC-8 of every byte before it.
// A single byte that is not the escape byte is taken as the whole field.
bool checkValueMatches(const QByteArray &frame, int pos)
{
    if (pos >= frame.size())
        return false;
    auto value = quint8(frame.at(pos));
    if (value == EscapeByte) {
        if (pos + 1 >= frame.size())
            return false;
        value = quint8(frame.at(pos + 1)) ^ EscapeXor;
    }
    return value == crc8(frame.left(pos));
}

QByteArray withCheckField(QByteArray frame)
{
    return frame.append(checkField(crc8(frame)));
}

QByteArray header(quint8 id, Kind kind)
{
    QByteArray bytes;
    bytes.append(char(StartByte)).append(char(id)).append(char(kind));
    return bytes;
}

template <typename T>
QByteArray littleEndian(T value)
{
    QByteArray bytes(int(sizeof(T)), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

quint8 crc8(const QByteArray &bytes)
{
    quint8 crc = 0;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80) ? quint8((crc << 1) ^ 0x07) : quint8(crc << 1);
    }
    return crc;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

QByteArray escape(const QByteArray &bytes)
{
    QByteArray escaped;
    escaped.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        if (needsEscape(byte))
            escaped.append(char(EscapeByte)).append(char(quint8(byte) ^ EscapeXor));
        else
            escaped.append(byte);
    }
    return escaped;
}

QByteArray unescape(const QByteArray &escaped)
{
    QByteArray bytes;
    bytes.reserve(escaped.size());
    for (int pos = 0; pos < escaped.size(); ++pos) {
        const bool escapedByte = quint8(escaped.at(pos)) == EscapeByte && pos + 1 < escaped.size();
        bytes.append(escapedByte ? char(quint8(escaped.at(++pos)) ^ EscapeXor) : escaped.at(pos));
    }
    return bytes;
}

int countEscapedBytes(const QByteArray &bytes)
{
    return int(std::count_if(bytes.cbegin(), bytes.cend(), needsEscape));
}

QByteArray checkField(quint8 crc)
{
    QByteArray field;
    if (crc == StartByte || crc == EscapeByte)
        field.append(char(EscapeByte)).append(char(crc ^ EscapeXor));
    else
        field.append(char(crc)).append('\0');
    return field;
}

quint8 nextId(quint8 previous)
{
    quint8 id = previous;
    do {
        ++id;
    } while (id == EscapeByte || id == StartByte);
    return id;
}

QByteArray shortFrame(quint8 id, Kind kind)
{
    return withCheckField(header(id, kind));
}

QByteArray announcement(quint8 id, const QByteArray &payload)
{
    const auto size = quint16(payload.size());
    return withCheckField(header(id, Announcement) + escape(littleEndian(size)) +
                          escape(littleEndian(crc32(payload))));
}

QByteArray dataChunk(quint8 id, const QByteArray &chunk)
{
    return withCheckField(header(id, Data).append(char(chunk.size())) + escape(chunk));
}

QList<QByteArray> splitIntoChunks(const QByteArray &payload, int capacity)
{
    if (payload.size() + countEscapedBytes(payload) <= capacity)
        return {payload};
    QList<QByteArray> chunks;
    int pos = 0;
    while (pos < payload.size()) {
        const QByteArray taken = payload.mid(pos, capacity);
        // Every escaped byte grows by one on the wire, so as many bytes as
        // there are escapes go back to the next chunk.
        int keep = taken.size() - countEscapedBytes(taken);
        if (keep == 0)
            keep = capacity / 2; // nothing but escaped bytes: each takes two
        chunks.append(payload.mid(pos, keep));
        pos += chunks.last().size();
    }
    return chunks;
}

bool hasValidHeader(const QByteArray &frame)
{
    if (frame.size() < HeaderSize || quint8(frame.at(0)) != StartByte)
        return false;
    const auto kind = quint8(frame.at(2));
    return kind >= Announcement && kind <= DeviceBusy;
}

quint8 idOf(const QByteArray &frame)
{
    return quint8(frame.at(1));
}

Kind kindOf(const QByteArray &frame)
{
    return Kind(quint8(frame.at(2)));
}

bool isDataChunk(const QByteArray &frame)
{
    return hasValidHeader(frame) && kindOf(frame) == Data;
}

bool hasValidShortCheck(const QByteArray &frame)
{
    return checkValueMatches(frame, HeaderSize);
}

std::optional<AnnouncedPayload> parseAnnouncement(const QByteArray &frame)
{
    int pos = HeaderSize;
    QByteArray fields;
    if (!unescapeAt(frame, &pos, 6, &fields) || !checkValueMatches(frame, pos))
        return std::nullopt;
    AnnouncedPayload announced;
    announced.size = qFromLittleEndian<quint16>(fields.constData());
    announced.crc32 = qFromLittleEndian<quint32>(fields.constData() + 2);
    return announced;
}

std::optional<ReceivedChunk> parseDataChunk(const QByteArray &frame)
{
    if (frame.size() < DataHeaderSize)
        return std::nullopt;
    ReceivedChunk chunk;
    chunk.length = quint8(frame.at(3));
    int pos = DataHeaderSize;
    QByteArray bytes;
    if (!unescapeAt(frame, &pos, chunk.length, &bytes) || !checkValueMatches(frame, pos))
        return std::nullopt;
    chunk.escaped = frame.mid(DataHeaderSize, pos - DataHeaderSize);
    return chunk;
}

} // namespace TPFrame
