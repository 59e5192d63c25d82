#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QStringList>

// True when the arguments ask for verbose logging for this run ("-v" or
// "--verbose", exact and case-sensitive). Every other argument is ignored.
bool hasVerboseSwitch(const QStringList &arguments);

#endif // COMMANDLINE_H
