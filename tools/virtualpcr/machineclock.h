#ifndef MACHINECLOCK_H
#define MACHINECLOCK_H

#include <QElapsedTimer>
#include <QObject>

class QTimer;

// The time a virtual machine lives in, in milliseconds since it was made.
// Started, it follows the real time multiplied by its speed factor; stopped,
// it moves only when advanced, so a test can run hours of a program in
// milliseconds and know exactly where the machine stands.
class MachineClock : public QObject
{
    Q_OBJECT

public:
    explicit MachineClock(QObject *parent = nullptr);

    qint64 nowMs() const;
    double speed() const;
    bool isRunning() const;

public slots:
    // Factors of 0 or below are refused.
    void setSpeed(double factor);
    void start();
    void stop();
    void advance(qint64 ms);

signals:
    void advanced(qint64 nowMs);

private slots:
    void onPaceTimeout();

private:
    QTimer *const m_paceTimer;
    QElapsedTimer m_sinceLastPace;
    qint64 m_nowMs = 0;
    double m_speed = 1.0;
    double m_carriedMs = 0.0; // machine time not yet handed out, below 1 ms
};

#endif // MACHINECLOCK_H
