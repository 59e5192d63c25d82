#include "connection.h"

#include <QDebug>
#include <QReadLocker>
#include <QThread>
#include <QTimerEvent>
#include <QWriteLocker>

#include <utility>

namespace {

// A program belongs to the thread that made it, the GUI thread, where the
// running view shows its property model. The connection's reference is
// often the last one: dropped on the connection's thread it would destroy
// the program there, under the view's feet. It is handed back instead.
void releaseOnOwnThread(ProgramPtr program)
{
    if (!program || program->thread() == QThread::currentThread())
        return;
    QObject *owner = program.data();
    QMetaObject::invokeMethod(
        owner, [kept = std::move(program)] { Q_UNUSED(kept) }, Qt::QueuedConnection);
}

} // namespace

Connection::Connection(QObject *parent)
    : QObject(parent)
{
    // Connections answer through queued signals and are commanded through
    // queued slots, so these types must be known by name.
    qRegisterMetaType<ChartData>("ChartData");
    qRegisterMetaType<PCRConst::DeviceStatus>("PCRConst::DeviceStatus");
    qRegisterMetaType<ProgramPtr>("ProgramPtr");
    qRegisterMetaType<StateReport>("StateReport");
}

Connection::~Connection()
{
    releaseOnOwnThread(std::move(m_program));
}

ProgramPtr Connection::program() const
{
    QReadLocker locker(&m_lock);
    return m_program;
}

bool Connection::isHandleConnected() const
{
    QReadLocker locker(&m_lock);
    return m_handleConnected;
}

void Connection::setIsHandleConnected(bool connected)
{
    {
        QWriteLocker locker(&m_lock);
        if (m_handleConnected == connected)
            return;
        m_handleConnected = connected;
    }
    emit isHandleConnectedChanged(connected);
}

bool Connection::isDeviceInitialized() const
{
    QReadLocker locker(&m_lock);
    return m_deviceInitialized;
}

QDateTime Connection::startTime() const
{
    QReadLocker locker(&m_lock);
    return m_startTime;
}

PCRConst::DeviceStatus Connection::currentState() const
{
    return static_cast<PCRConst::DeviceStatus>(m_currentState.load());
}

void Connection::sendAction(ProtocolV1::Action *) {}

void Connection::sendAction(ProtocolV3::Action *) {}

void Connection::setProgram(ProgramPtr program)
{
    ProgramPtr previous;
    {
        QWriteLocker locker(&m_lock);
        previous = std::exchange(m_program, std::move(program));
    }
    releaseOnOwnThread(std::move(previous));
}

void Connection::setIsDeviceInitialized(bool initialized)
{
    {
        QWriteLocker locker(&m_lock);
        if (m_deviceInitialized == initialized)
            return;
        m_deviceInitialized = initialized;
    }
    emit deviceInitFinished();
}

void Connection::updateStartTime(qint64 secondsSinceStart)
{
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-secondsSinceStart);
    {
        QWriteLocker locker(&m_lock);
        m_startTime = start;
    }
    qDebug() << "UPDATE START TIME" << start;
}

StateReport Connection::snapshot(PCRConst::DeviceStatus status) const
{
    StateReport::Values values;
    values.status = status;
    values.error = error();
    values.powered = isPowered();
    values.step = step();
    values.cycle = cycle();
    values.timeInSec = timeInSec();
    values.stepTimeInSec = stepTimeInSec();
    values.remainingTimeInSec = remainingTimeInSec();
    values.blockTemp = blockTemp();
    values.lidTemp = lidTemp();
    values.probeTemp = probeTemp();
    values.powerVoltage = powerVoltage();
    values.startTime = startTime();
    return StateReport(values);
}

void Connection::setCurrentState(PCRConst::DeviceStatus state)
{
    m_currentState.store(state);
    emit stateReported(snapshot(state));
    emit currentStateChanged(state);
}

void Connection::firstPCRStateReceived()
{
    m_firstStateReceived = true;
}

void Connection::clearStartTime()
{
    QWriteLocker locker(&m_lock);
    m_startTime = QDateTime();
}

bool Connection::isFirstStateReceived() const
{
    return m_firstStateReceived;
}

void Connection::setFirstStateReceived(bool received)
{
    m_firstStateReceived = received;
}

int Connection::pollingTimerId() const
{
    return m_pollingTimerId;
}

void Connection::setPollingTimerId(int id)
{
    m_pollingTimerId = id;
}

void Connection::timerEvent(QTimerEvent *event)
{
    if (m_pollingTimerId != NoTimer && event->timerId() == m_pollingTimerId)
        poll();
    else
        QObject::timerEvent(event);
}

void Connection::stopPollingTimer()
{
    if (m_pollingTimerId != NoTimer)
        killTimer(m_pollingTimerId);
    m_pollingTimerId = NoTimer;
}
