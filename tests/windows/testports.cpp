#include "testports.h"

#include <QtGlobal>

QString TestPorts::fromEnvironment(const char *variable)
{
    const QString name = qEnvironmentVariable(variable);
    if (name.isEmpty())
        qFatal("%s is not set: run the Windows tests through tools/windows/test-wine", variable);
    return name;
}
