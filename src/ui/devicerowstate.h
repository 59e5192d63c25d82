#ifndef DEVICEROWSTATE_H
#define DEVICEROWSTATE_H

#include <QObject>
#include <QString>

// What a row of the devices page shows and allows, derived from the row's
// roles: its status text and colour, which buttons are shown and enabled,
// and when the auto-start switch may be used. The roles are written in;
// everything else is read out and changes together (stateChanged).
class DeviceRowState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int connectionType MEMBER m_connectionType NOTIFY rolesChanged)
    Q_PROPERTY(bool isConnected MEMBER m_isConnected NOTIFY rolesChanged)
    Q_PROPERTY(bool connectionInitialized MEMBER m_connectionInitialized NOTIFY rolesChanged)
    Q_PROPERTY(bool isConnecting MEMBER m_isConnecting NOTIFY rolesChanged)
    Q_PROPERTY(bool isDisconnecting MEMBER m_isDisconnecting NOTIFY rolesChanged)
    Q_PROPERTY(bool deviceBusy MEMBER m_deviceBusy NOTIFY rolesChanged)
    Q_PROPERTY(bool eepromBusy MEMBER m_eepromBusy NOTIFY rolesChanged)
    Q_PROPERTY(bool isAutoStartSupport MEMBER m_isAutoStartSupport NOTIFY rolesChanged)

    Q_PROPERTY(bool isBleDevice READ isBleDevice NOTIFY stateChanged)
    Q_PROPERTY(bool isActive READ isActive NOTIFY stateChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY stateChanged)
    Q_PROPERTY(StatusColor statusColor READ statusColor NOTIFY stateChanged)
    Q_PROPERTY(bool autoStartVisible READ autoStartVisible NOTIFY stateChanged)
    Q_PROPERTY(bool autoStartEnabled READ autoStartEnabled NOTIFY stateChanged)
    Q_PROPERTY(bool connectVisible READ connectVisible NOTIFY stateChanged)
    Q_PROPERTY(bool disconnectMode READ disconnectMode NOTIFY stateChanged)
    Q_PROPERTY(bool connectEnabled READ connectEnabled NOTIFY stateChanged)
    Q_PROPERTY(bool deleteEnabled READ deleteEnabled NOTIFY stateChanged)
    Q_PROPERTY(bool infoEnabled READ infoEnabled NOTIFY stateChanged)

public:
    // The views map these to the style's colours.
    enum StatusColor { StatusGreen, StatusRed, StatusPlain };
    Q_ENUM(StatusColor)

    explicit DeviceRowState(QObject *parent = nullptr);

    bool isBleDevice() const;
    bool isActive() const;
    QString statusText() const { return m_statusText; }
    StatusColor statusColor() const { return m_statusColor; }
    bool autoStartVisible() const;
    bool autoStartEnabled() const;
    bool connectVisible() const;
    bool disconnectMode() const;
    bool connectEnabled() const;
    bool deleteEnabled() const;
    bool infoEnabled() const;

signals:
    void rolesChanged();
    void stateChanged();
    // Another program or channel holds the machine this row is connecting to.
    void busyWhileConnecting();

private slots:
    void update();

private:
    bool isTransient() const { return m_isConnecting || m_isDisconnecting; }
    bool isUsbDevice() const;
    void updateStatus();

    int m_connectionType = -1;
    bool m_isConnected = false;
    bool m_connectionInitialized = false;
    bool m_isConnecting = false;
    bool m_isDisconnecting = false;
    bool m_deviceBusy = false;
    bool m_eepromBusy = false;
    bool m_isAutoStartSupport = false;

    bool m_wasBusy = false;
    QString m_statusText;
    StatusColor m_statusColor = StatusRed;
};

#endif // DEVICEROWSTATE_H
