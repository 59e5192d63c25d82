#include "devicesfilewriter.h"

#include "jsonenvelopereader.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

#include <charconv>
#include <cmath>

namespace {

const QString keyData = JsonEnvelopeReader::dataKey();
const QString keyVersion = JsonEnvelopeReader::versionKey();
const QString keyTempChart = DeviceRecord::tempChartKey();
const QString keyDnaChart = DeviceRecord::dnaChartKey();

constexpr int FlushBytes = 1 << 20;

// How one series is written: its point keys, in the sorted order in which
// QJsonDocument writes them, and whether x is the first of the two.
struct PointLayout
{
    QByteArray firstKey;
    QByteArray secondKey;
    bool xFirst;
};

const PointLayout tempLayout{"{\"temp\":", ",\"time\":", false};
const PointLayout dnaLayout{"{\"cycle\":", ",\"dnaSamples\":", true};

// Buffers the output and remembers a refused write.
class Output
{
public:
    explicit Output(QIODevice *device)
        : m_device(device)
    {
        m_buffer.reserve(FlushBytes + 4096);
    }

    void append(const QByteArray &bytes) { append(bytes.constData(), bytes.size()); }
    void append(const char *bytes, int size)
    {
        m_buffer.append(bytes, size);
        if (m_buffer.size() >= FlushBytes)
            flush();
    }
    void appendNumber(double value);
    bool flush()
    {
        m_ok = m_ok && m_device->write(m_buffer) == m_buffer.size();
        m_buffer.clear();
        return m_ok;
    }

private:
    QIODevice *m_device;
    QByteArray m_buffer;
    bool m_ok = true;
};

// Whole numbers in the 64-bit range come out as integers and ordinary
// fractions as the shortest decimal that reads back the same; that is how
// QJsonDocument writes them, checked against it. Everything else (tiny or
// huge values, written with an exponent) is left to QJsonDocument itself.
bool appendPlainNumber(QByteArray &out, double value)
{
    char text[64];
    std::to_chars_result result{};
    if (std::trunc(value) == value && std::fabs(value) < 9.2e18)
        result = std::to_chars(text, text + sizeof text, qint64(value));
    else if (std::fabs(value) >= 1e-4 && std::fabs(value) < 1e15)
        result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    else
        return false;
    out.append(text, int(result.ptr - text));
    return true;
}

void Output::appendNumber(double value)
{
    if (!appendPlainNumber(m_buffer, value))
        m_buffer.append(DevicesFileWriter::number(value));
}

void writePoint(Output &out, const ChartData &point, const PointLayout &layout)
{
    out.append(layout.firstKey);
    out.appendNumber(layout.xFirst ? point.x : point.y);
    out.append(layout.secondKey);
    out.appendNumber(layout.xFirst ? point.y : point.x);
    out.append("}", 1);
}

// On one line: indented, a point would take three times the bytes (a
// 72-hour trace: 30 MB instead of 10), which costs seconds on every save
// and load of a long run.
void writePoints(Output &out, const QVector<ChartData> &points, const PointLayout &layout)
{
    out.append("[", 1);
    for (int i = 0; i < points.size(); ++i) {
        if (i > 0)
            out.append(",", 1);
        writePoint(out, points.at(i), layout);
    }
    out.append("]", 1);
}

DeviceRecord withoutCharts(DeviceRecord record)
{
    record.tempChart.clear();
    record.dnaChart.clear();
    return record;
}

} // namespace

// The small part of the file is laid out by QJsonDocument, with a unique
// placeholder string where each chart array goes; the arrays are then
// streamed into the placeholders' places.
bool DevicesFileWriter::write(QIODevice *out, const QList<DeviceRecord> &devices,
                              const QString &version)
{
    const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto placeholder = [&token](int device, const QString &key) {
        return QStringLiteral("%1:%2:%3").arg(token).arg(device).arg(key);
    };
    QJsonArray records;
    for (int i = 0; i < devices.size(); ++i) {
        QJsonObject record = withoutCharts(devices.at(i)).toJson();
        record.insert(keyTempChart, placeholder(i, keyTempChart));
        record.insert(keyDnaChart, placeholder(i, keyDnaChart));
        records.append(record);
    }
    const QByteArray frame =
        QJsonDocument(QJsonObject{{keyData, records}, {keyVersion, version}}).toJson();

    Output output(out);
    int from = 0;
    for (int i = 0; i < devices.size(); ++i) {
        for (const QString &key : {keyDnaChart, keyTempChart}) {
            const QByteArray quoted = '"' + placeholder(i, key).toUtf8() + '"';
            const int at = frame.indexOf(quoted, from);
            output.append(frame.constData() + from, at - from);
            const bool isTemp = key == keyTempChart;
            writePoints(output, isTemp ? devices.at(i).tempChart : devices.at(i).dnaChart,
                        isTemp ? tempLayout : dnaLayout);
            from = at + quoted.size();
        }
    }
    output.append(frame.constData() + from, frame.size() - from);
    return output.flush();
}

QByteArray DevicesFileWriter::number(double value)
{
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2);
}
