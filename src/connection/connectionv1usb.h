#ifndef CONNECTIONV1USB_H
#define CONNECTIONV1USB_H

#include "connectionv1.h"
#include "hiddevicedescription.h"
#include "hidhandle.h"

#include <QByteArray>

// A firmware-1 machine on USB HID: each message framed into 65-byte output
// reports, and the input reports available at one 900 ms poll joined and
// split into messages.
//
// Threads as for ConnectionV3USB: created without parent, moved by its
// owner to a worker thread of its own, reached through queued calls and
// deleted on that thread (deleteLater). The getters may be called from any
// thread.
class ConnectionV1USB : public ConnectionV1
{
    Q_OBJECT

public:
    static constexpr int PollIntervalMs = 900;

    // Opens the description's path; the hardware id is read from the machine.
    explicit ConnectionV1USB(const HidDeviceDescription &description);
    ~ConnectionV1USB() override;

    bool isTransportOpen() const override;
    void sendMessage(ProtocolV1::MessageType type,
                     const google::protobuf::Message &message) override;

public slots:
    void connectionInit() override;
    // Does nothing while a handle is open.
    void connectDevice() override;
    void disconnectHandle() override;

protected:
private:
    void poll() override;
    bool readSerialNumber();

    const QByteArray m_devicePath;
    HidHandle m_hid;
};

#endif // CONNECTIONV1USB_H
