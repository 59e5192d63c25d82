#ifndef SYSTEMSLEEPGUARD_H
#define SYSTEMSLEEPGUARD_H

#include <QObject>

// Keeps the system and the display awake for the rest of the process, so that
// a run is never watched from a sleeping computer. The request is made once,
// at construction, and is not withdrawn when the guard is destroyed.
class SystemSleepGuard : public QObject
{
    Q_OBJECT

public:
    explicit SystemSleepGuard(QObject *parent = nullptr);
};

#endif // SYSTEMSLEEPGUARD_H
