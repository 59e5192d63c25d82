#include "virtualhidbus.h"
#include "virtualmachine.h"

#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv1.h"
#include "protocol/pcrprotocolv3.h"
#include "utils/pcrconst.h"

#include <hidapi/hidapi.h>

#include <QAtomicInt>
#include <QThread>
#include <QtTest>

#include <memory>

namespace {

constexpr unsigned short VendorIdV1 = 0x16C0;
constexpr unsigned short ProductIdV1 = 0x0487;
constexpr unsigned short VendorIdV3 = 0x03EB;
constexpr unsigned short ProductIdV3 = 0x2062;
constexpr int ReportSize = 64;
constexpr int ReadTimeoutMs = 5000;
constexpr int NeverMs = 600000;

struct Found
{
    QString path;
    QString serialNumber;
};

QList<Found> enumerate(unsigned short vendorId, unsigned short productId)
{
    QList<Found> found;
    hid_device_info *devices = hid_enumerate(vendorId, productId);
    for (const hid_device_info *info = devices; info; info = info->next)
        found.append(
            {QString::fromLatin1(info->path), QString::fromWCharArray(info->serial_number)});
    hid_free_enumeration(devices);
    return found;
}

using HidHandle = std::unique_ptr<hid_device, decltype(&hid_close)>;

HidHandle open(const QString &path)
{
    return HidHandle(hid_open_path(path.toLatin1().constData()), &hid_close);
}

// Machines' time moves only when a test says so.
void stopClock(const QString &serialNumber)
{
    VirtualHidBus::instance().withMachine(serialNumber,
                                          [](VirtualMachine &machine) { machine.clock()->stop(); });
}

void advance(const QString &serialNumber, qint64 ms)
{
    VirtualHidBus::instance().withMachine(
        serialNumber, [ms](VirtualMachine &machine) { machine.clock()->advance(ms); });
}

int writeV1(hid_device *device, ProtocolV1::MessageType type,
            const google::protobuf::Message &message)
{
    int written = 0;
    for (const QByteArray &report : frameMessageV1(type, message)) {
        const int result = hid_write(
            device, reinterpret_cast<const unsigned char *>(report.constData()), report.size());
        if (result < 0)
            return result;
        written += result;
    }
    return written;
}

int askSettingsV1(hid_device *device)
{
    ProtocolV1::Action action;
    action.set_type(ProtocolV1::GET_MACHINE_SETTINGS);
    action.set_status(ProtocolV1::RUNNING);
    return writeV1(device, ProtocolV1::ACTION, action);
}

// One input report, waiting for it; empty on time-out or error.
QByteArray readReport(hid_device *device, int timeoutMs = ReadTimeoutMs)
{
    unsigned char buffer[ReportSize] = {};
    const int read = hid_read_timeout(device, buffer, sizeof buffer, timeoutMs);
    return read > 0 ? QByteArray(reinterpret_cast<const char *>(buffer), read) : QByteArray();
}

std::optional<MessageV1> readMessageV1(hid_device *device)
{
    const QList<MessageV1> messages = splitMessagesV1(readReport(device));
    return messages.isEmpty() ? std::nullopt : std::optional<MessageV1>(messages.first());
}

} // namespace

class TestVirtualHid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void enumerationShowsBothConfiguredMachines();
    void firmware1MachineAnswersThroughReports();
    void firmware3MachineAnswersThroughTheTransferProtocol();
    void unplugBreaksHandlesAndReplugEnumeratesAgain();
    void readersWritersAndEnumerationRunTogether();
    void machinesAreAddedAndRemovedAtRunTime_data();
    void machinesAreAddedAndRemovedAtRunTime();

private:
    Found m_v1;
    Found m_v3;
};

void TestVirtualHid::initTestCase()
{
    QCOMPARE(hid_init(), 0);
    const QList<Found> v1 = enumerate(VendorIdV1, ProductIdV1);
    const QList<Found> v3 = enumerate(VendorIdV3, ProductIdV3);
    QCOMPARE(v1.size(), 1);
    QCOMPARE(v3.size(), 1);
    m_v1 = v1.first();
    m_v3 = v3.first();
    stopClock(m_v1.serialNumber);
    stopClock(m_v3.serialNumber);
}

void TestVirtualHid::enumerationShowsBothConfiguredMachines()
{
    // Without configuration: one vela8 (firmware 1) and one vela16 (firmware 3).
    QCOMPARE(m_v1.serialNumber, QStringLiteral("VELA8-0001"));
    QCOMPARE(m_v3.serialNumber.size(), 22);
    QCOMPARE(enumerate(0, 0).size(), 2);
    QCOMPARE(enumerate(VendorIdV1, 0).size(), 1);
    QCOMPARE(enumerate(0x1234, 0x5678).size(), 0);

    bool isFirmware3 = false;
    VirtualHidBus::instance().withMachine(
        m_v3.serialNumber, [&](VirtualMachine &machine) { isFirmware3 = machine.firmware() == 3; });
    QVERIFY(isFirmware3);
}

void TestVirtualHid::firmware1MachineAnswersThroughReports()
{
    const HidHandle device = open(m_v1.path);
    QVERIFY(device);
    QCOMPARE(hid_set_nonblocking(device.get(), 1), 0);
    QCOMPARE(readReport(device.get(), 0), QByteArray()); // nothing waiting
    wchar_t serial[256] = {};
    QCOMPARE(hid_get_serial_number_string(device.get(), serial, 255), 0);
    QCOMPARE(QString::fromWCharArray(serial), m_v1.serialNumber);

    QCOMPARE(askSettingsV1(device.get()), ReportSize + 1);
    const auto settings = readMessageV1(device.get());
    QVERIFY(settings);
    QCOMPARE(settings->type, ProtocolV1::MACHINE_SETTINGS);

    // Mains power lost: the next state says so.
    VirtualHidBus::instance().withMachine(
        m_v1.serialNumber, [](VirtualMachine &machine) { machine.setPowered(false); });
    advance(m_v1.serialNumber, VirtualMachine::StateReportPeriodMs);
    const auto state = readMessageV1(device.get());
    QVERIFY(state);
    QCOMPARE(state->type, ProtocolV1::CURRENT_STATE);
    ProtocolV1::PCRState parsed;
    QVERIFY(parsed.ParseFromArray(state->body.constData(), state->body.size()));
    QCOMPARE(int(parsed.error()), int(PCRConst::DE_NO_POWER));
    VirtualHidBus::instance().withMachine(
        m_v1.serialNumber, [](VirtualMachine &machine) { machine.setPowered(true); });
}

void TestVirtualHid::firmware3MachineAnswersThroughTheTransferProtocol()
{
    const HidHandle device = open(m_v3.path);
    QVERIFY(device);
    TPManager tp(TPManager::UsbFrameSize, nullptr, NeverMs);
    connect(&tp, &TPManager::sendTPData, this, [&device](const QByteArray &frame) {
        QByteArray report(ReportSize + 1, '\0');
        report.replace(1, frame.size(), frame);
        hid_write(device.get(), reinterpret_cast<const unsigned char *>(report.constData()),
                  report.size());
    });
    QList<QByteArray> payloads;
    connect(&tp, &TPManager::payload, this, [&payloads](const QByteArray &p) { payloads += p; });

    ProtocolV3::Action action;
    action.set_type(ProtocolV3::GET_MACHINE_SETTINGS);
    action.set_status(ProtocolV3::RUNNING);
    tp.sendPayload(buildPayloadV3(ProtocolV3::ACTION, action));
    // Each read is one whole 64-byte report; the frame inside is zero-padded.
    while (payloads.isEmpty()) {
        const QByteArray report = readReport(device.get());
        QCOMPARE(report.size(), ReportSize);
        tp.receiveTPData(report);
    }
    QByteArray payload = payloads.first();
    QCOMPARE(extractMessageTypeV3(payload), int(ProtocolV3::MACHINE_SETTINGS));
    ProtocolV3::MachineSettings settings;
    QVERIFY(parseMessageV3(payload, settings));
    QCOMPARE(
        QString::fromLatin1(QByteArray::fromStdString(settings.serialnumber()).toHex().toUpper()),
        m_v3.serialNumber);
}

void TestVirtualHid::unplugBreaksHandlesAndReplugEnumeratesAgain()
{
    const HidHandle device = open(m_v1.path);
    QVERIFY(device);
    // A reader blocked without time limit wakes with an error.
    QAtomicInt readResult(1);
    std::unique_ptr<QThread> reader(QThread::create([&] {
        unsigned char buffer[ReportSize];
        readResult = hid_read_timeout(device.get(), buffer, sizeof buffer, -1);
    }));
    reader->start();
    QVERIFY(VirtualHidBus::instance().setPlugged(m_v1.serialNumber, false));
    QVERIFY(reader->wait(ReadTimeoutMs));
    QCOMPARE(int(readResult), -1);

    unsigned char buffer[ReportSize];
    QCOMPARE(hid_read(device.get(), buffer, sizeof buffer), -1);
    QCOMPARE(askSettingsV1(device.get()), -1);
    QVERIFY(!QString::fromWCharArray(hid_error(device.get())).isEmpty());
    QCOMPARE(enumerate(VendorIdV1, ProductIdV1).size(), 0);
    QVERIFY(!open(m_v1.path));

    QVERIFY(VirtualHidBus::instance().setPlugged(m_v1.serialNumber, true));
    QCOMPARE(enumerate(VendorIdV1, ProductIdV1).size(), 1);
    const HidHandle again = open(m_v1.path);
    QVERIFY(again);
    QCOMPARE(askSettingsV1(again.get()), ReportSize + 1);
    QVERIFY(readMessageV1(again.get()));
    // The old handle stays broken.
    QCOMPARE(hid_read(device.get(), buffer, sizeof buffer), -1);
}

void TestVirtualHid::readersWritersAndEnumerationRunTogether()
{
    constexpr int Requests = 50; // fewer than the reports a handle keeps
    const HidHandle device = open(m_v1.path);
    QVERIFY(device);
    QAtomicInt answers(0);
    QAtomicInt failures(0);
    std::unique_ptr<QThread> reader(QThread::create([&] {
        while (answers < Requests) {
            const auto message = readMessageV1(device.get());
            if (!message || message->type != ProtocolV1::MACHINE_SETTINGS)
                return;
            ++answers;
        }
    }));
    std::unique_ptr<QThread> writer(QThread::create([&] {
        for (int i = 0; i < Requests; ++i) {
            if (askSettingsV1(device.get()) != ReportSize + 1)
                ++failures;
        }
    }));
    reader->start();
    writer->start();
    // Meanwhile this thread enumerates, as the device checker does, and
    // another machine comes and goes.
    while (!reader->isFinished()) {
        QCOMPARE(enumerate(VendorIdV1, ProductIdV1).size(), 1);
        const QString serialNumber = VirtualHidBus::instance().addMachine(QStringLiteral("vela8"));
        QVERIFY(!serialNumber.isEmpty());
        QVERIFY(VirtualHidBus::instance().removeMachine(serialNumber));
    }
    QVERIFY(writer->wait(ReadTimeoutMs));
    QVERIFY(reader->wait(ReadTimeoutMs));
    QCOMPARE(int(failures), 0);
    QCOMPARE(int(answers), Requests);
}

void TestVirtualHid::machinesAreAddedAndRemovedAtRunTime_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("serialNumber"); // empty: refused
    QTest::addColumn<unsigned short>("vendorId");

    QTest::newRow("vela16 named") << QStringLiteral("vela16:00112233445566778899AA:Lab bench")
                                  << QStringLiteral("00112233445566778899AA") << VendorIdV3;
    QTest::newRow("vela8 named") << QStringLiteral("vela8:BENCH-8") << QStringLiteral("BENCH-8")
                                 << VendorIdV1;
    QTest::newRow("vela16 with a short serial")
        << QStringLiteral("vela16:ABCD") << QString() << VendorIdV3;
    QTest::newRow("serial in use") << QStringLiteral("vela8:VELA8-0001") << QString() << VendorIdV1;
    QTest::newRow("unknown model") << QStringLiteral("vela32") << QString() << VendorIdV1;
}

void TestVirtualHid::machinesAreAddedAndRemovedAtRunTime()
{
    QFETCH(QString, config);
    QFETCH(QString, serialNumber);
    QFETCH(unsigned short, vendorId);
    const int before = enumerate(vendorId, 0).size();

    QString error;
    QCOMPARE(VirtualHidBus::instance().addMachine(config, &error), serialNumber);
    QCOMPARE(error.isEmpty(), !serialNumber.isEmpty());
    if (serialNumber.isEmpty())
        return;
    const QList<Found> found = enumerate(vendorId, 0);
    QCOMPARE(found.size(), before + 1);
    QCOMPARE(found.last().serialNumber, serialNumber);
    QVERIFY(VirtualHidBus::instance().removeMachine(serialNumber));
    QCOMPARE(enumerate(vendorId, 0).size(), before);
    QVERIFY(!VirtualHidBus::instance().removeMachine(serialNumber));
}

QTEST_GUILESS_MAIN(TestVirtualHid)
#include "tst_virtualhid.moc"
