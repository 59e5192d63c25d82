#ifndef JSONENVELOPEREADER_H
#define JSONENVELOPEREADER_H

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>

class QIODevice;

// Reads a data file envelope, {"data": [records...], "version": "x.y.z"},
// from a stream in one pass without holding the whole document: the grammar
// of every byte is checked, each record is parsed on its own, and the values
// of the skipped keys (a device's chart arrays) are checked and replaced by
// empty arrays instead of being kept. Files come from users and other
// versions, so everything is bounded: the file size, the bytes kept of one
// record, the number of records and the nesting depth.
class JsonEnvelopeReader
{
public:
    struct Limits
    {
        qint64 maxFileBytes = 0;
        int maxRecordBytes = 0;
        int maxRecords = 0;
        // Keys of a record whose values are checked but not kept.
        QSet<QString> skippedKeys;
    };

    // The envelope's two keys, shared with its writers.
    static QString dataKey() { return QStringLiteral("data"); }
    static QString versionKey() { return QStringLiteral("version"); }

    JsonEnvelopeReader(QIODevice *device, Limits limits);

    // False when the stream is not a well-formed JSON object within the
    // limits; errorString() says why. Bad records do not fail the read.
    bool read();

    QString errorString() const;
    // The text of "version"; empty when it is missing or not a string.
    QString version() const;
    bool hasMembers() const;
    // The objects of "data", in file order.
    QList<QJsonObject> records() const;
    // Elements of "data" that are not objects, too large or beyond the count limit.
    int rejectedRecords() const;

private:
    enum class Capture { Off, On };

    bool fail(const char *what);
    bool fill();
    bool atEnd() { return m_pos >= m_size && !fill(); }
    // The next byte, or 0 at the end (0 is never valid where it is looked at).
    char peek() { return atEnd() ? '\0' : m_data[m_pos]; }
    bool skipWhitespace();
    bool expect(char c);
    // Consumes c when it comes next.
    bool accept(char c);
    void startCapture();
    void stopCapture();
    void flushCapture();

    bool readEnvelope();
    bool readMember();
    bool readKey(QString &key);
    bool readData();
    bool readRecord();
    bool readRecordMember();
    bool readValue();
    bool readContainer(char open);
    bool readScalar();
    bool readString(QByteArray *text);
    bool readNumber();
    bool readLiteral(const char *literal);
    // The number of digits passed.
    int skipDigits();
    void keepRecord();

    QIODevice *m_device;
    Limits m_limits;
    QByteArray m_buffer;
    const char *m_data = nullptr;
    int m_size = 0;
    int m_pos = 0;
    qint64 m_consumed = 0;
    bool m_eof = false;
    Capture m_capture = Capture::Off;
    bool m_captureOverflow = false;
    int m_captureFrom = 0;
    int m_depth = 0;
    QByteArray m_captured;
    QString m_error;
    QString m_version;
    bool m_hasMembers = false;
    QList<QJsonObject> m_records;
    int m_rejected = 0;
};

#endif // JSONENVELOPEREADER_H
