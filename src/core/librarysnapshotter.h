#ifndef LIBRARYSNAPSHOTTER_H
#define LIBRARYSNAPSHOTTER_H

#include "program/program.h"

#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// Turns library programs into their records on the thread that owns them,
// a few milliseconds at a time between that thread's other events, so that
// saving a large library never freezes the window. A newer library for the
// same file replaces one not yet taken: only the latest content is written.
class LibrarySnapshotter : public QObject
{
    Q_OBJECT

public:
    using Taken = std::function<void(const QJsonArray &records, const QString &path)>;

    // Time given to one turn, well below a frame.
    static constexpr qint64 TurnNs = 4'000'000;

    explicit LibrarySnapshotter(QObject *parent = nullptr);

    // Call on this object's thread; taken runs there once the records are made.
    void take(const ProgramList &programs, const QString &path, Taken taken);
    // Makes every pending record now, on this object's thread.
    void finish();

private:
    struct Job
    {
        ProgramList programs;
        QJsonArray records;
        QString path;
        Taken taken;
    };

    void takeTurn();
    void scheduleTurn();
    // False when the time ran out first.
    bool advance(Job &job, qint64 budgetNs);

    QList<Job> m_jobs;
    bool m_turnScheduled = false;
};

#endif // LIBRARYSNAPSHOTTER_H
