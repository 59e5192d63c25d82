#include "commandline.h"

bool hasVerboseSwitch(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("-v")) ||
           arguments.contains(QStringLiteral("--verbose"));
}
