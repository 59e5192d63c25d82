#include "bledevicesfinder.h"

#include "bledevice.h"
#include "bleutils.h"
#include "scannerprogram.h"

#include <QBluetoothAddress>
#include <QDebug>

BLEDevicesFinder::BLEDevicesFinder(QObject *parent)
    : BLEDevicesFinder(ScannerProgram::filePath(), parent)
{}

BLEDevicesFinder::BLEDevicesFinder(const QString &scannerProgram, QObject *parent)
    : BLEDevicesProviderInterface(parent)
    , m_programPath(scannerProgram)
    , m_messages(ScannerProgram::name())
{
    qInfo() << "Creating BLEDevicesFinder - Windows";
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            qCritical() << "Cannot start scanner program" << m_programPath;
    });
    connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &BLEDevicesFinder::onProcessFinished);
    connect(&m_process, &QProcess::started, this,
            [] { qInfo() << "The scanner program started successfully."; });
    // Nobody reads the program's output: passed on, it cannot fill a pipe.
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    startScannerProgram();
    connect(&m_messages, &MessagesHandler::ready, this, &BLEDevicesFinder::onMessagesHandlerReady);
    connect(&m_messages, &MessagesHandler::deviceAvailableMessageReceived, this,
            &BLEDevicesFinder::onNewDeviceAvaialble);
    connect(&m_messages, &MessagesHandler::deviceUnavailableMessageReceived, this,
            &BLEDevicesFinder::onDeviceUnavaialble);
}

BLEDevicesFinder::~BLEDevicesFinder()
{
    qInfo() << "Closing BLEDevicesFinder";
    m_messages.send(MessagesHandler::CloseMessage);
    // The program ends when its peer goes.
    m_messages.disconnectClient();
    disconnect(&m_process, nullptr, this, nullptr);
    m_process.waitForFinished(ProgramEndWaitMs);
}

bool BLEDevicesFinder::scanActive() const
{
    return m_scanActive;
}

void BLEDevicesFinder::setScanActive(bool scanActive)
{
    if (scanActive == m_scanActive)
        return;
    m_scanActive = scanActive;
    emit scanActiveChanged(scanActive);
}

void BLEDevicesFinder::start()
{
    if (!m_messages.isListening())
        return;
    m_scanRequested = true;
    setScanActive(true);
    if (m_messages.isClientConnected())
        sendStart();
}

void BLEDevicesFinder::stop()
{
    m_scanRequested = false;
    setScanActive(false);
    qInfo() << "Sending a close message";
    m_messages.send(MessagesHandler::CloseMessage);
}

void BLEDevicesFinder::onMessagesHandlerReady()
{
    if (m_scanRequested)
        sendStart();
}

void BLEDevicesFinder::onProcessFinished()
{
    qWarning() << "The scanner program finished unexpectedly. Restarting:" << m_programPath;
    setScanActive(false);
    startScannerProgram();
}

void BLEDevicesFinder::onNewDeviceAvaialble(const QBluetoothDeviceInfo &deviceInfo)
{
    qInfo() << "New device available:" << deviceInfo.address() << deviceInfo.name();
    auto *device = new BLEDevice(deviceInfo, this);
    connect(
        device, &IAvailable::availableChanged, this,
        [this, guard = QPointer<BLEDevice>(device)](bool available) {
            onDeviceAvailableChanged(guard, available);
        },
        Qt::QueuedConnection);
    m_devices.insert(device->id(), device);
    device->setAvailable(true);
    emit newDeviceAvailable(device);
}

void BLEDevicesFinder::onDeviceUnavaialble(const QString &deviceId)
{
    qInfo() << "Device unavailable:" << deviceId;
    if (BLEDevice *device = m_devices.value(deviceId))
        device->setAvailable(false);
}

void BLEDevicesFinder::startScannerProgram()
{
    qInfo() << "Starting the scanner program" << m_programPath;
    m_process.start(m_programPath, {}, QIODevice::ReadOnly);
}

void BLEDevicesFinder::sendStart()
{
    qInfo() << "Sending a start message";
    m_messages.send(MessagesHandler::StartMessage);
}

void BLEDevicesFinder::onDeviceAvailableChanged(const QPointer<BLEDevice> &device, bool available)
{
    if (available || !device)
        return;
    const QString id = device->id();
    // A second report of the machine may have put a newer object under the id.
    if (m_devices.value(id) == device)
        m_devices.remove(id);
    delete device;
    qInfo() << "Sending a device unavailable message:" << id;
    m_messages.send(MessagesHandler::DeviceUnavailableMessage, {id});
}
