#include "hidendpoint.h"

#include <QDeadlineTimer>

#include <cstring>

HidEndpoint::HidEndpoint(const QString &path, const QString &serialNumber)
    : m_path(path)
    , m_serialNumber(serialNumber)
    , m_error(L"Success")
{}

QString HidEndpoint::path() const
{
    return m_path;
}

QString HidEndpoint::serialNumber() const
{
    return m_serialNumber;
}

void HidEndpoint::push(const QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    if (!m_connected)
        return;
    if (m_reports.size() >= MaxQueuedReports)
        m_reports.dequeue();
    m_reports.enqueue(report);
    m_reportArrived.wakeAll();
}

int HidEndpoint::read(unsigned char *data, size_t length, int timeoutMs)
{
    QMutexLocker locker(&m_mutex);
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (m_connected && m_reports.isEmpty()) {
        if (deadline.hasExpired() || !m_reportArrived.wait(&m_mutex, deadline))
            break;
    }
    if (!m_connected) {
        m_error = L"The device is disconnected";
        return -1;
    }
    if (m_reports.isEmpty())
        return 0;
    const QByteArray report = m_reports.dequeue();
    const size_t count = qMin(length, size_t(report.size()));
    std::memcpy(data, report.constData(), count);
    return int(count);
}

void HidEndpoint::disconnect()
{
    QMutexLocker locker(&m_mutex);
    m_connected = false;
    m_reports.clear();
    m_reportArrived.wakeAll();
}

bool HidEndpoint::isConnected() const
{
    QMutexLocker locker(&m_mutex);
    return m_connected;
}

void HidEndpoint::setNonBlocking(bool nonBlocking)
{
    QMutexLocker locker(&m_mutex);
    m_nonBlocking = nonBlocking;
}

bool HidEndpoint::isNonBlocking() const
{
    QMutexLocker locker(&m_mutex);
    return m_nonBlocking;
}

void HidEndpoint::setError(const QString &error)
{
    QMutexLocker locker(&m_mutex);
    m_error = error.toStdWString();
}

const wchar_t *HidEndpoint::errorText() const
{
    QMutexLocker locker(&m_mutex);
    return m_error.c_str();
}
