#ifndef BLEDEVICESPROVIDER_H
#define BLEDEVICESPROVIDER_H

#include "bledevicesproviderinterface.h"

#include <QPluginLoader>
#include <QPointer>
#include <QStringList>

// The program's BLE scanner: it loads the BLE plug-in and stands in for the
// plug-in's provider, forwarding calls and re-emitting its signals. Without a
// plug-in it is inert: no scan ever runs and no machine is announced.
// The plug-in library stays loaded for the life of the process, its root
// object too: device objects it made may outlive the provider (held by
// devices, or waiting for a deferred deletion) and run its code until then.
class BLEDevicesProvider : public BLEDevicesProviderInterface
{
    Q_OBJECT

public:
    // Folders searched for the plug-in, in this order: those listed in
    // THERMOX_BLE_PLUGIN_PATH (separated like PATH), the program's folder,
    // its "plugins" folder, the program's own library folder of an installed
    // tree (THERMOX_PLUGIN_FOLDER, relative to the program's folder, e.g.
    // ../lib/thermox), then the application's library paths.
    static QStringList pluginFolders();
    static QString pluginName();

    explicit BLEDevicesProvider(QObject *parent = nullptr);
    // Loads from the first of the folders that holds the plug-in.
    explicit BLEDevicesProvider(const QStringList &folders, QObject *parent = nullptr);

    // Not a slot here: a slot of that name in this class would hide the
    // interface's property "scanActive" from QML, which then reads a function.
    bool scanActive() const override;

public slots:
    void setScanActive(bool scanActive) override;
    void start() override;
    void stop() override;

private:
    void load(const QStringList &folders);
    void locate(const QStringList &folders, const QString &name);

    QPluginLoader m_loader;
    QPointer<BLEDevicesProviderInterface> m_plugin;
};

#endif // BLEDEVICESPROVIDER_H
