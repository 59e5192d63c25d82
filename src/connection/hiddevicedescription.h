#ifndef HIDDEVICEDESCRIPTION_H
#define HIDDEVICEDESCRIPTION_H

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

struct hid_device_info;

// What the program keeps of one HID device found on USB: copied from the HID
// library's description, so that it may cross threads and outlive the
// enumeration it came from.
class HidDeviceDescription
{
public:
    HidDeviceDescription() = default;
    HidDeviceDescription(QByteArray path, QString serialNumber, quint16 vendorId,
                         quint16 productId);
    static HidDeviceDescription fromHidInfo(const hid_device_info &info);

    // The platform's path of the device, as the HID library opens it.
    QByteArray path() const;
    // Empty when the device reports none.
    QString serialNumber() const;
    quint16 vendorId() const;
    quint16 productId() const;

    bool operator==(const HidDeviceDescription &other) const;

private:
    QByteArray m_path;
    QString m_serialNumber;
    quint16 m_vendorId = 0;
    quint16 m_productId = 0;
};

using HidDeviceDescriptions = QList<HidDeviceDescription>;

Q_DECLARE_METATYPE(HidDeviceDescription)
Q_DECLARE_METATYPE(HidDeviceDescriptions)

#endif // HIDDEVICEDESCRIPTION_H
