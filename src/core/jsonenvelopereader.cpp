#include "jsonenvelopereader.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr int ChunkBytes = 1 << 20;
// Deeper than any record this program writes, shallow enough for the stack.
constexpr int MaxDepth = 200;
// Keys and the version are short; a longer one matches nothing we look for.
constexpr int MaxKeyBytes = 1024;


// One JSON value given as text, already checked against the grammar.
QJsonValue parseValue(const QByteArray &text)
{
    return QJsonDocument::fromJson('[' + text + ']').array().at(0);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

JsonEnvelopeReader::JsonEnvelopeReader(QIODevice *device, Limits limits)
    : m_device(device)
    , m_limits(std::move(limits))
{}

bool JsonEnvelopeReader::read()
{
    if (!readEnvelope())
        return false;
    skipWhitespace();
    return (atEnd() && m_error.isEmpty()) || fail("text after the document");
}

QString JsonEnvelopeReader::errorString() const
{
    return m_error;
}

QString JsonEnvelopeReader::version() const
{
    return m_version;
}

bool JsonEnvelopeReader::hasMembers() const
{
    return m_hasMembers;
}

QList<QJsonObject> JsonEnvelopeReader::records() const
{
    return m_records;
}

int JsonEnvelopeReader::rejectedRecords() const
{
    return m_rejected;
}

bool JsonEnvelopeReader::fail(const char *what)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1 at byte %2").arg(QLatin1String(what)).arg(m_consumed + m_pos);
    return false;
}

bool JsonEnvelopeReader::fill()
{
    if (m_eof || !m_error.isEmpty())
        return false;
    flushCapture();
    m_consumed += m_buffer.size();
    m_buffer = m_device->read(ChunkBytes);
    m_pos = 0;
    m_captureFrom = 0;
    if (m_consumed + m_buffer.size() > m_limits.maxFileBytes) {
        m_buffer.clear();
        fail("file larger than allowed");
    }
    m_data = m_buffer.constData();
    m_size = m_buffer.size();
    m_eof = m_buffer.isEmpty();
    return !m_eof;
}

namespace {

bool isWhitespace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// Files are mostly indentation: sixteen bytes are looked at a time.
int whitespaceRun(const char *data, int size)
{
    int run = 0;
#ifdef __SSE2__
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i newline = _mm_set1_epi8('\n');
    while (run + 16 <= size) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + run));
        const int blank = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_cmpeq_epi8(bytes, newline)));
        if (blank != 0xFFFF)
            return run + __builtin_ctz(~blank);
        run += 16;
    }
#endif
    while (run < size && isWhitespace(data[run]))
        ++run;
    return run;
}

} // namespace

bool JsonEnvelopeReader::skipWhitespace()
{
    for (;;) {
        m_pos += whitespaceRun(m_data + m_pos, m_size - m_pos);
        if (m_pos < m_size && !isWhitespace(m_data[m_pos]))
            return true;
        if (m_pos < m_size)
            ++m_pos;
        else if (!fill())
            return false;
    }
}

bool JsonEnvelopeReader::expect(char c)
{
    if (accept(c))
        return true;
    return fail(atEnd() ? "unexpected end of file" : "unexpected character");
}

bool JsonEnvelopeReader::accept(char c)
{
    if (!skipWhitespace() || m_data[m_pos] != c)
        return false;
    ++m_pos;
    return true;
}

void JsonEnvelopeReader::startCapture()
{
    if (m_captureOverflow)
        return;
    m_capture = Capture::On;
    m_captureFrom = m_pos;
}

void JsonEnvelopeReader::stopCapture()
{
    flushCapture();
    m_capture = Capture::Off;
}

// Keeps the bytes read since the capture (re)started; past the record limit
// the capture is dropped for the rest of the record.
void JsonEnvelopeReader::flushCapture()
{
    if (m_capture == Capture::Off)
        return;
    m_captured.append(m_buffer.constData() + m_captureFrom, m_pos - m_captureFrom);
    m_captureFrom = m_pos;
    if (m_captured.size() > m_limits.maxRecordBytes) {
        m_captured.clear();
        m_capture = Capture::Off;
        m_captureOverflow = true;
    }
}

bool JsonEnvelopeReader::readEnvelope()
{
    // Editors on Windows may start a UTF-8 file with a byte order mark.
    if (!atEnd() && m_buffer.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
    if (!expect('{'))
        return false;
    if (accept('}'))
        return true;
    m_hasMembers = true;
    do {
        if (!readMember())
            return false;
    } while (accept(','));
    return expect('}');
}

bool JsonEnvelopeReader::readMember()
{
    QString key;
    if (!readKey(key) || !expect(':') || !skipWhitespace())
        return fail("unexpected end of file");
    if (key == JsonEnvelopeReader::dataKey()) {
        // A repeated "data" replaces the earlier one, as in a whole-document parse.
        m_records.clear();
        m_rejected = 0;
        return peek() == '[' ? readData() : readValue();
    }
    if (key != JsonEnvelopeReader::versionKey())
        return readValue();
    QByteArray text;
    const bool isString = peek() == '"';
    if (!(isString ? readString(&text) : readValue()))
        return false;
    m_version = isString ? parseValue(text).toString() : QString();
    return true;
}

bool JsonEnvelopeReader::readKey(QString &key)
{
    QByteArray text;
    if (!skipWhitespace() || peek() != '"')
        return fail("expected a key");
    if (!readString(&text))
        return false;
    key = parseValue(text).toString();
    return true;
}

bool JsonEnvelopeReader::readData()
{
    ++m_pos;
    if (accept(']'))
        return true;
    do {
        if (!skipWhitespace())
            return fail("unexpected end of file");
        if (peek() == '{') {
            if (!readRecord())
                return false;
        } else {
            ++m_rejected;
            if (!readValue())
                return false;
        }
    } while (accept(','));
    return expect(']');
}

bool JsonEnvelopeReader::readRecord()
{
    const bool wanted = m_records.size() < m_limits.maxRecords;
    m_captured.clear();
    m_captureOverflow = false;
    if (wanted)
        startCapture();
    ++m_pos;
    if (!accept('}')) {
        do {
            if (!readRecordMember())
                return false;
        } while (accept(','));
        if (!expect('}'))
            return false;
    }
    stopCapture();
    if (wanted)
        keepRecord();
    else
        ++m_rejected;
    return true;
}

// A skipped key's value is checked, and kept as an empty array.
bool JsonEnvelopeReader::readRecordMember()
{
    QString key;
    if (!readKey(key) || !expect(':') || !skipWhitespace())
        return fail("unexpected end of file");
    if (!m_limits.skippedKeys.contains(key))
        return readValue();
    const bool capturing = m_capture == Capture::On;
    stopCapture();
    if (!readValue())
        return false;
    if (capturing && !m_captureOverflow) {
        m_captured.append("[]");
        startCapture();
    }
    return true;
}

void JsonEnvelopeReader::keepRecord()
{
    const QJsonValue record = m_captureOverflow ? QJsonValue() : parseValue(m_captured);
    m_captured.clear();
    if (record.isObject())
        m_records.append(record.toObject());
    else
        ++m_rejected;
}

bool JsonEnvelopeReader::readValue()
{
    if (!skipWhitespace())
        return fail("unexpected end of file");
    const char open = peek();
    if (open != '{' && open != '[')
        return readScalar();
    if (m_depth >= MaxDepth)
        return fail("nesting deeper than allowed");
    ++m_depth;
    const bool ok = readContainer(open);
    --m_depth;
    return ok;
}

bool JsonEnvelopeReader::readContainer(char open)
{
    const char close = open == '{' ? '}' : ']';
    ++m_pos;
    if (accept(close))
        return true;
    do {
        if (open == '{' &&
            !(skipWhitespace() && peek() == '"' && readString(nullptr) && expect(':')))
            return fail("expected a key");
        if (!readValue())
            return false;
    } while (accept(','));
    return expect(close);
}

bool JsonEnvelopeReader::readScalar()
{
    switch (peek()) {
    case '"':
        return readString(nullptr);
    case 't':
        return readLiteral("true");
    case 'f':
        return readLiteral("false");
    case 'n':
        return readLiteral("null");
    default:
        return readNumber();
    }
}

bool JsonEnvelopeReader::readLiteral(const char *literal)
{
    for (const char *c = literal; *c; ++c) {
        if (peek() != *c)
            return fail("invalid literal");
        ++m_pos;
    }
    return true;
}

// As lenient as QJsonDocument, which read these files before: any of the
// integer part, the digits after the point and those of the exponent may be
// missing, as long as the number has a digit.
bool JsonEnvelopeReader::readNumber()
{
    if (peek() == '-')
        ++m_pos;
    int digits = skipDigits();
    if (peek() == '.') {
        ++m_pos;
        digits += skipDigits();
    }
    if (digits > 0 && (peek() == 'e' || peek() == 'E')) {
        ++m_pos;
        if (peek() == '+' || peek() == '-')
            ++m_pos;
        skipDigits();
    }
    return digits > 0 || fail("invalid number");
}

int JsonEnvelopeReader::skipDigits()
{
    int digits = 0;
    do {
        while (m_pos < m_size && isDigit(m_data[m_pos])) {
            ++m_pos;
            ++digits;
        }
    } while (m_pos == m_size && fill());
    return digits;
}

// With text, the string's bytes, quotes included, are kept (up to a limit).
// Like QJsonDocument, it takes control characters and unknown escapes; the
// values kept are checked again when they are parsed.
bool JsonEnvelopeReader::readString(QByteArray *text)
{
    if (text)
        text->append('"');
    ++m_pos;
    bool escaped = false;
    for (;;) {
        if (atEnd())
            return fail("unexpected end of file");
        const char c = m_data[m_pos++];
        if (text && text->size() < MaxKeyBytes)
            text->append(c);
        if (c == '"' && !escaped)
            return true;
        escaped = c == '\\' && !escaped;
    }
}
