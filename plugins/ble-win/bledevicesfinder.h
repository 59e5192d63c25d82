#ifndef BLEDEVICESFINDER_H
#define BLEDEVICESFINDER_H

#include "bledevicesproviderinterface.h"
#include "messageshandler.h"

#include <QBluetoothDeviceInfo>
#include <QMap>
#include <QPointer>
#include <QProcess>

class BLEDevice;

// The root object of the Windows plug-in. It does no scanning of its own: it
// runs the scanner program for its whole life (restarting it whenever it
// ends), tells it to start and stop, and turns the machines it reports into
// device objects.
class BLEDevicesFinder : public BLEDevicesProviderInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.Vornell.Thermox.WinCorvex")
    Q_INTERFACES(BLEDevicesProviderInterface)

public:
    static constexpr int ProgramEndWaitMs = 30000;

    // The scanner program beside the plug-in.
    explicit BLEDevicesFinder(QObject *parent = nullptr);
    BLEDevicesFinder(const QString &scannerProgram, QObject *parent = nullptr);
    ~BLEDevicesFinder() override;

public slots:
    bool scanActive() const override;
    void setScanActive(bool scanActive) override;
    void start() override;
    void stop() override;

    void onMessagesHandlerReady();
    void onProcessFinished();
    void onNewDeviceAvaialble(const QBluetoothDeviceInfo &deviceInfo);
    void onDeviceUnavaialble(const QString &deviceId);

private:
    void startScannerProgram();
    void sendStart();
    // Queued from the device: it may have been deleted meanwhile.
    void onDeviceAvailableChanged(const QPointer<BLEDevice> &device, bool available);

    const QString m_programPath;
    bool m_scanActive = false;
    bool m_scanRequested = false;
    MessagesHandler m_messages;
    QProcess m_process;
    QMap<QString, QPointer<BLEDevice>> m_devices;
};

#endif // BLEDEVICESFINDER_H
