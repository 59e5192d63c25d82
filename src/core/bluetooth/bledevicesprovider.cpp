#include "bledevicesprovider.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>

namespace {
const char *const PluginPathVariable = "THERMOX_BLE_PLUGIN_PATH";
} // namespace

QStringList BLEDevicesProvider::pluginFolders()
{
    QStringList folders =
        qEnvironmentVariable(PluginPathVariable).split(QDir::listSeparator(), Qt::SkipEmptyParts);
    const QString programFolder = QCoreApplication::applicationDirPath();
    folders << programFolder << QDir(programFolder).filePath(QStringLiteral("plugins"))
            << QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(THERMOX_PLUGIN_FOLDER)))
            << QCoreApplication::libraryPaths();
    folders.removeDuplicates();
    return folders;
}

QString BLEDevicesProvider::pluginName()
{
    return QStringLiteral("Corvex");
}

BLEDevicesProvider::BLEDevicesProvider(QObject *parent)
    : BLEDevicesProvider(pluginFolders(), parent)
{}

BLEDevicesProvider::BLEDevicesProvider(const QStringList &folders, QObject *parent)
    : BLEDevicesProviderInterface(parent)
{
    // Never unloaded (the loader's unload() is never called either): unloading
    // deletes the root object with every device object, and unmaps the code
    // of those still referenced or waiting for deletion.
    m_loader.setLoadHints(QLibrary::PreventUnloadHint);
    load(folders);
}

bool BLEDevicesProvider::scanActive() const
{
    return m_plugin && m_plugin->scanActive();
}

void BLEDevicesProvider::setScanActive(bool scanActive)
{
    if (m_plugin)
        m_plugin->setScanActive(scanActive);
}

void BLEDevicesProvider::start()
{
    if (m_plugin)
        m_plugin->start();
}

void BLEDevicesProvider::stop()
{
    if (m_plugin)
        m_plugin->stop();
}

void BLEDevicesProvider::load(const QStringList &folders)
{
    const QString name = pluginName();
    qInfo().noquote() << QStringLiteral("Use %1 plugin.").arg(name);
    locate(folders, name);
    // An explicit load counts as ours even when another loader in the process
    // loaded the library first (instance() alone would not), so the library
    // stays loaded whatever that loader does later.
    QObject *instance = m_loader.load() ? m_loader.instance() : nullptr;
    if (!instance) {
        qCritical().noquote() << "BLE PLUGIN LOADING FAILURE!" << name << m_loader.errorString();
        return;
    }
    qInfo() << "BLE PLUGIN LOADED!";
    m_plugin = qobject_cast<BLEDevicesProviderInterface *>(instance);
    if (!m_plugin)
        return;
    connect(m_plugin, &BLEDevicesProviderInterface::newDeviceAvailable, this,
            &BLEDevicesProviderInterface::newDeviceAvailable);
    connect(m_plugin, &BLEDevicesProviderInterface::scanActiveChanged, this,
            &BLEDevicesProviderInterface::scanActiveChanged);
}

void BLEDevicesProvider::locate(const QStringList &folders, const QString &name)
{
    qDebug() << "BLE plugin search path:" << folders;
    // The loader adds the platform's prefix and suffix (libCorvex.so); it
    // keeps an empty file name when no such library exists.
    for (const QString &folder : folders) {
        m_loader.setFileName(QDir(folder).absoluteFilePath(name));
        if (!m_loader.fileName().isEmpty()) {
            qDebug().noquote() << "BLE plugin file:" << m_loader.fileName();
            return;
        }
    }
}
