#ifndef TESTTIME_H
#define TESTTIME_H

#include <QString>
#include <QtGlobal>

// The time-outs of the suites that run against real time grow by one
// factor, THERMOX_TEST_TIME_FACTOR (a number of at least 1; 1 when unset),
// so that a slow or crowded machine is given more time in one place.
namespace TestTime {

inline double factor()
{
    static const double value = [] {
        bool ok = false;
        const double read = qEnvironmentVariable("THERMOX_TEST_TIME_FACTOR").toDouble(&ok);
        return ok && read >= 1.0 ? read : 1.0;
    }();
    return value;
}

inline int scaled(int ms)
{
    return int(ms * factor());
}

} // namespace TestTime

#endif // TESTTIME_H
