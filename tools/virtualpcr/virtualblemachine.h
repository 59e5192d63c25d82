#ifndef VIRTUALBLEMACHINE_H
#define VIRTUALBLEMACHINE_H

#include <QObject>
#include <QPointer>

class MachineWire;
class VirtualMachine;

// A virtual firmware-3 machine on the air: the machine, the device side of
// its wire with BLE-sized frames, its Bluetooth address and whether it is in
// radio range. Like a real peripheral it serves one link at a time.
class VirtualBleMachine : public QObject
{
    Q_OBJECT

public:
    static constexpr int FrameSize = 20;

    // The serial number of the numberth vela16 put on the air (11 bytes in
    // hexadecimal: the model, 1 for "on the air", the number).
    static QString serialNumberFor(quint32 number);
    // The last six bytes of the serial number make the Bluetooth address.
    static QString addressOf(const QString &serialNumber);

    // Takes the machine over as its child.
    VirtualBleMachine(VirtualMachine *machine, const QString &address, QObject *parent = nullptr);

    VirtualMachine *machine() const;
    QString address() const;
    QString advertisedName() const;
    bool isInRange() const;

    // Opens the machine's side of the link for the holder; false out of
    // range or while another holder has it.
    bool attach(QObject *holder);
    void detach(QObject *holder);
    // A frame from the host, arriving after the caller has returned, as
    // over the air; lost unless the link is open.
    void sendToMachine(const QByteArray &frame);

public slots:
    // Out of range the machine's side of the link closes at once.
    void setInRange(bool inRange);

signals:
    void inRangeChanged(bool inRange);
    // One notification of FrameSize bytes for the holder.
    void notified(QByteArray frame);

private slots:
    void onFrameReady(QByteArray frame);

private:
    VirtualMachine *const m_machine;
    MachineWire *const m_wire;
    const QString m_address;
    QPointer<QObject> m_holder;
    bool m_inRange = true;
};

#endif // VIRTUALBLEMACHINE_H
