#include "librarysnapshotter.h"

#include <QElapsedTimer>

#include <limits>

LibrarySnapshotter::LibrarySnapshotter(QObject *parent)
    : QObject(parent)
{}

void LibrarySnapshotter::take(const ProgramList &programs, const QString &path, Taken taken)
{
    for (Job &job : m_jobs) {
        if (job.path == path) {
            job = Job{programs, QJsonArray(), path, std::move(taken)};
            scheduleTurn();
            return;
        }
    }
    m_jobs.append(Job{programs, QJsonArray(), path, std::move(taken)});
    scheduleTurn();
}

void LibrarySnapshotter::finish()
{
    while (!m_jobs.isEmpty()) {
        Job job = m_jobs.takeFirst();
        advance(job, std::numeric_limits<qint64>::max());
        job.taken(job.records, job.path);
    }
}

void LibrarySnapshotter::takeTurn()
{
    m_turnScheduled = false;
    if (m_jobs.isEmpty())
        return;
    if (advance(m_jobs.first(), TurnNs)) {
        const Job job = m_jobs.takeFirst();
        job.taken(job.records, job.path);
    }
    scheduleTurn();
}

void LibrarySnapshotter::scheduleTurn()
{
    if (m_turnScheduled || m_jobs.isEmpty())
        return;
    m_turnScheduled = true;
    QMetaObject::invokeMethod(this, &LibrarySnapshotter::takeTurn, Qt::QueuedConnection);
}

bool LibrarySnapshotter::advance(Job &job, qint64 budgetNs)
{
    QElapsedTimer turn;
    turn.start();
    while (job.records.size() < job.programs.size()) {
        if (turn.nsecsElapsed() >= budgetNs)
            return false;
        job.records.append(job.programs.at(job.records.size())->toJson());
    }
    return true;
}
