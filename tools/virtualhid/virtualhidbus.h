#ifndef VIRTUALHIDBUS_H
#define VIRTUALHIDBUS_H

#include <QReadWriteLock>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>
#include <memory>

class HidEndpoint;
class VirtualHidHub;
class VirtualMachine;

// The process's virtual USB bus, behind the exported hidapi functions. The
// first use starts a thread named "virtual machines" with its own event loop,
// on which the machines run, plugs in the machines named by
// THERMOX_VIRTUAL_MACHINES (by default one vela8 and one vela16) at the speed
// factor THERMOX_VIRTUAL_SPEED (by default 1), and listens for the control
// tool on THERMOX_VIRTUAL_SOCKET (by default "thermox-virtualpcr" in the
// user's runtime folder; empty turns control off). The bus closes down with
// the application object.
//
// Every operation is thread-safe; the machine operations wait until the
// machines' thread has carried them out.
class VirtualHidBus
{
public:
    static VirtualHidBus &instance();

    // MODEL[:SERIAL[:NAME]]; the new machine's serial number, or "" with the reason.
    QString addMachine(const QString &config, QString *error = nullptr);
    bool removeMachine(const QString &serialNumber);
    bool setPlugged(const QString &serialNumber, bool plugged);
    QStringList serialNumbers();
    // Runs work with the machine of that serial number on the machines'
    // thread: the way to drive its clock, set its speed, inject faults or
    // read its state. False when there is no such machine.
    bool withMachine(const QString &serialNumber,
                     const std::function<void(VirtualMachine &)> &work);
    // HID enumerations made so far by any thread, and HID handles open now.
    int enumerationCount();
    int openHandleCount();
    // Where the control tool finds the machines; empty when nobody listens.
    QString controlServerPath();

    // The hub behind the hidapi functions, under the read lock; null once closed.
    template <class Work>
    auto withHub(Work work) -> decltype(work(static_cast<VirtualHidHub *>(nullptr)))
    {
        QReadLocker locker(&m_hubLock);
        return work(m_hub);
    }

private:
    VirtualHidBus();

    static void closeDown();
    template <class Result, class Work>
    Result onMachinesThread(Result whenClosed, Work work);

    QThread m_thread;
    QReadWriteLock m_hubLock; // the hub pointer; writes only to close down
    VirtualHidHub *m_hub;
};

#endif // VIRTUALHIDBUS_H
