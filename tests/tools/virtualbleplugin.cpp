#include "virtualbleplugin.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

QString VirtualBlePlugin::filePath()
{
    return QStringLiteral(VIRTUAL_BLE_PLUGIN);
}

QString VirtualBlePlugin::folder()
{
    return QFileInfo(filePath()).absolutePath();
}

VirtualBlePlugin::VirtualBlePlugin()
    : m_loader(filePath())
{
    qRegisterMetaType<BLEDeviceInterface *>();
    QObject *root = m_loader.instance();
    m_provider = qobject_cast<BLEDevicesProviderInterface *>(root);
    m_control = qobject_cast<VirtualBleControl *>(root);
    if (m_control)
        m_control->setRadioTiming(ConnectMs, LinkLossMs, ScanMs);
}

VirtualBlePlugin::~VirtualBlePlugin()
{
    if (m_control) {
        for (const QString &id : qAsConst(m_machines))
            m_control->removeMachine(id);
    }
    m_loader.unload();
}

QString VirtualBlePlugin::errorString() const
{
    return m_loader.errorString();
}

BLEDevicesProviderInterface *VirtualBlePlugin::provider() const
{
    return m_provider;
}

VirtualBleControl *VirtualBlePlugin::control() const
{
    return m_control;
}

QString VirtualBlePlugin::addMachine(const QString &config)
{
    QString error;
    const QString id = m_control->addMachine(config, &error);
    if (id.isEmpty()) {
        qWarning().noquote() << "No virtual machine:" << error;
        return id;
    }
    m_control->setSpeed(id, Speed);
    m_machines.append(id);
    return id;
}

QPointer<BLEDeviceInterface> VirtualBlePlugin::discover(const QString &id)
{
    QSignalSpy announced(m_provider, &BLEDevicesProviderInterface::newDeviceAvailable);
    m_provider->start();
    do {
        for (const QList<QVariant> &arguments : qAsConst(announced)) {
            auto *device = arguments.at(0).value<BLEDeviceInterface *>();
            // The scan ends before the test goes on, so that its review of
            // the machines seen never mixes with what the test does.
            if (device->id() == id && QTest::qWaitFor([this] { return !m_provider->scanActive(); }))
                return device;
        }
    } while (announced.wait(2000));
    return nullptr;
}
