#include "platformseriallink.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include "winseriallink.h"
#else
#include "qtseriallink.h"
#endif

namespace Klv {

SerialLink *createPlatformSerialLink(QObject *parent)
{
#ifdef Q_OS_WIN
    return new WinSerialLink(parent);
#else
    return new QtSerialLink(parent);
#endif
}

} // namespace Klv
