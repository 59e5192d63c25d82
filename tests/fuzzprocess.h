#ifndef FUZZPROCESS_H
#define FUZZPROCESS_H

// Shared by the libFuzzer targets: the application object that timers need,
// created once, and silence, since log lines are not what a target tests and
// formatting them would only slow the search.

#include <QCoreApplication>
#include <QLoggingCategory>

#include <google/protobuf/stubs/logging.h>

inline void prepareFuzzProcess()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    // The seed replay test has an application object of its own.
    if (!QCoreApplication::instance()) {
        static QCoreApplication application(argc, argv);
    }
    static const bool silenced = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
        google::protobuf::SetLogHandler(nullptr);
        return true;
    }();
    (void)silenced;
}

// A broken expectation: a crash that libFuzzer records with its input.
inline void fuzzCheck(bool holds)
{
    if (!holds)
        __builtin_trap();
}

#endif // FUZZPROCESS_H
