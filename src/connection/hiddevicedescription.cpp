#include "hiddevicedescription.h"

#include <hidapi.h>

#include <utility>

HidDeviceDescription::HidDeviceDescription(QByteArray path, QString serialNumber, quint16 vendorId,
                                           quint16 productId)
    : m_path(std::move(path))
    , m_serialNumber(std::move(serialNumber))
    , m_vendorId(vendorId)
    , m_productId(productId)
{}

HidDeviceDescription HidDeviceDescription::fromHidInfo(const hid_device_info &info)
{
    return {QByteArray(info.path),
            info.serial_number ? QString::fromWCharArray(info.serial_number) : QString(),
            info.vendor_id, info.product_id};
}

QByteArray HidDeviceDescription::path() const
{
    return m_path;
}

QString HidDeviceDescription::serialNumber() const
{
    return m_serialNumber;
}

quint16 HidDeviceDescription::vendorId() const
{
    return m_vendorId;
}

quint16 HidDeviceDescription::productId() const
{
    return m_productId;
}

bool HidDeviceDescription::operator==(const HidDeviceDescription &other) const
{
    return m_path == other.m_path && m_serialNumber == other.m_serialNumber &&
           m_vendorId == other.m_vendorId && m_productId == other.m_productId;
}
