#ifndef DEVICEFIXTURES_H
#define DEVICEFIXTURES_H

#include "../core/scriptedconnection.h"

#include "models/devicesmodel.h"
#include "models/devicesproxymodel.h"
#include "models/nowrunningmodel.h"
#include "models/onlinedevicesmodel.h"

#include <QAbstractItemModelTester>
#include <QJsonObject>
#include <QSharedPointer>
#include <QStringList>

#include <utility>

namespace DeviceFixtures {

struct Identity
{
    Identity(QString machineName, QString serialNumber,
             QString modelName = QStringLiteral("vela16"), QString bleId = QString())
        : machineName(std::move(machineName))
        , serialNumber(std::move(serialNumber))
        , modelName(std::move(modelName))
        , bleId(std::move(bleId))
    {}

    QString machineName;
    QString serialNumber;
    QString modelName;
    QString bleId;
};

// A scripted machine with the identity the test gives it.
class IdentifiedConnection : public ScriptedConnection
{
    Q_OBJECT

public:
    explicit IdentifiedConnection(const Identity &identity)
        : identity(identity)
    {}

    Identity identity;

    QString machineName() const override { return identity.machineName; }
    QString modelName() const override { return identity.modelName; }
    QString serialNumber() const override { return identity.serialNumber; }
};

// A device of the product, read from a device record, whose connections are
// scripted machines of its identity.
class TestDevice : public PCRDevice
{
    Q_OBJECT

public:
    TestDevice(PCRConst::ConnectionType type, const Identity &identity);

    const Identity identity;
    IdentifiedConnection *connection = nullptr;

protected:
    Connection *createConnection() override;
};

using TestDevicePtr = QSharedPointer<TestDevice>;

QJsonObject deviceRecord(PCRConst::ConnectionType type, const Identity &identity);

// Delivers what devices and connections have queued for each other, and
// deletes what they have released.
void deliver();

// Remembered from the devices file, offline.
TestDevicePtr storedDevice(PCRConst::ConnectionType type, const Identity &identity);
// An emulated machine whose connection has opened but not finished initialising.
TestDevicePtr connectingDevice(const Identity &identity);
// An emulated machine, connected and initialised.
TestDevicePtr onlineDevice(const Identity &identity);
// The machine's transport closes or opens again; the device hears of it.
void setTransportOpen(TestDevice &device, bool open);
// The machine reports a state; the device hears of it.
void report(TestDevice &device, PCRConst::DeviceStatus status);
// The machine, stopped, reports new readings; the device hears of them.
void updateReadings(TestDevice &device, float lidTemp, float blockTemp);

ProgramPtr pcrProgram(const QString &name = QStringLiteral("PCR"));
// What a device holds once its protocol tab is closed.
ProgramPtr emptyProgram();

// The four device models as the core wires them, each under Qt's model
// tester, which stops the test at the first broken contract.
struct Models
{
    Models();

    DevicesModel devices;
    DevicesProxyModel sorted{&devices};
    NowRunningModel nowRunning{&devices};
    OnlineDevicesModel online{&devices};

private:
    using Tester = QAbstractItemModelTester;
    static constexpr auto Fatal = Tester::FailureReportingMode::Fatal;
    Tester m_devicesTester{&devices, Fatal};
    Tester m_sortedTester{&sorted, Fatal};
    Tester m_nowRunningTester{&nowRunning, Fatal};
    Tester m_onlineTester{&online, Fatal};
};

// Device ids of a model's rows, top to bottom.
QList<int> deviceIds(const QAbstractItemModel &model, int idRole = DevicesModel::DeviceIdRole);

} // namespace DeviceFixtures

#endif // DEVICEFIXTURES_H
