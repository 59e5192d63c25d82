#ifndef CONNECTIONV3USB_H
#define CONNECTIONV3USB_H

#include "connectionv3.h"
#include "hiddevicedescription.h"
#include "hidhandle.h"

#include <QByteArray>

// A firmware-3 machine on USB HID: one transfer-protocol frame per 65-byte
// output report, and every input report handed whole to the transfer
// protocol, read by a 100 ms poll.
//
// Created without parent on the GUI thread, then moved by its owner to a
// worker thread of its own; every slot runs there, reached through queued
// calls. Delete it on that thread (deleteLater) so that the handle is
// closed where it is read. The getters may be called from any thread: the
// flags and the start time are guarded by Connection's lock, the last state
// and settings by ConnectionV3's Guarded values, and the handle's state is
// atomic.
class ConnectionV3USB : public ConnectionV3
{
    Q_OBJECT

public:
    static constexpr int PollIntervalMs = 100;

    // Opens the description's path; its serial number is the hardware id.
    explicit ConnectionV3USB(const HidDeviceDescription &description);
    ~ConnectionV3USB() override;

    bool isTransportOpen() const override;

public slots:
    void connectionInit() override;
    // Does nothing while a handle is open.
    void connectDevice() override;
    void disconnectHandle() override;
    void onSendTpData(QByteArray frame);

public:
    // One frame of at most 64 bytes as one output report.
    void sendMessage(const unsigned char *data, int length);

protected:
private:
    void poll() override;

    const QByteArray m_devicePath;
    HidHandle m_hid;
};

#endif // CONNECTIONV3USB_H
