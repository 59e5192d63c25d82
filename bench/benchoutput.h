#ifndef BENCHOUTPUT_H
#define BENCHOUTPUT_H

// Where the benchmarks print: figures to standard output, and only the
// warnings of the code they measure to standard error.

#include <QTextStream>
#include <QtGlobal>

namespace BenchOutput {

inline QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Debug and info lines are what a run without verbose logging drops.
inline void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        QTextStream(stderr) << message << '\n';
}

} // namespace BenchOutput

#endif // BENCHOUTPUT_H
