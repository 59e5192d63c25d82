#ifndef SCRIPTEDHID_H
#define SCRIPTEDHID_H

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringList>

#include "connection/hiddevicedescription.h"

#include <hidapi.h>

#include <memory>

// A scripted HID world for the unit tests of the USB transports, for what
// the virtual machines cannot do on purpose: input reports of any size, put
// exactly where a poll finds them, and failures of the serial number, the
// non-blocking switch, reads and writes. It defines hidapi's functions, so
// a test executable that links it never reaches the real library.
// Single-threaded: the connections under test stay on the test's thread.
namespace ScriptedHid {

struct Device
{
    QByteArray path;
    QString serialNumber;
    bool openFails = false;
    bool serialNumberFails = false;
    bool nonBlockingFails = false;
    bool readFails = false;
    bool writeFails = false;

    QByteArrayList input;   // input reports waiting to be read
    QByteArrayList written; // output reports, report id included
    bool open = false;
    bool nonBlocking = false;

    // The description the checker would report for this device.
    HidDeviceDescription description() const;
};

Device &addDevice(const QByteArray &path, const QString &serialNumber);
void removeAll();

// What happened, in order: "read <bytes>" for every read ("read 0" when
// nothing waited, "read -1" on an error), and the test's own marks.
QStringList events();
void mark(const QString &event);

} // namespace ScriptedHid

#endif // SCRIPTEDHID_H
