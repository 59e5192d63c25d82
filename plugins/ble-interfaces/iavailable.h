#ifndef IAVAILABLE_H
#define IAVAILABLE_H

#include <QObject>

// Whether a machine can be reached at all, with a change signal.
//
// The BLE interfaces are compiled into the program and into every BLE
// plug-in. Objects cross the boundary, so the layout of these classes
// (bases, signals, virtual operations and their order) must stay the same on
// both sides: change them only together with every plug-in.
class IAvailable : public QObject
{
    Q_OBJECT

public:
    explicit IAvailable(QObject *parent = nullptr)
        : QObject(parent)
    {}

signals:
    void availableChanged(bool available);

public slots:
    virtual bool isAvailable() const = 0;
    // Stores the flag and signals a change.
    virtual void setAvailable(bool available) = 0;
    // Whether the latest scan saw the machine; such a machine keeps its
    // availability through connection failures.
    virtual void setFoundByFinder(bool found) = 0;
};

#endif // IAVAILABLE_H
