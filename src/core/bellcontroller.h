#ifndef BELLCONTROLLER_H
#define BELLCONTROLLER_H

#include <QObject>

// The alarm bell rung when a run finishes. Its on/off switch holds for every
// device and is stored as "bellActiveForAll".
class BellController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool activeForAll READ activeForAll WRITE setActiveForAll NOTIFY activeForAllChanged)

public:
    explicit BellController(QObject *parent = nullptr);

    bool activeForAll() const;
    static void ring();

public slots:
    void setActiveForAll(bool activeForAll);

signals:
    void activeForAllChanged(bool activeForAll);

private:
    void applySwitch(bool activeForAll);

    static bool s_activeForAll;
};

#endif // BELLCONTROLLER_H
