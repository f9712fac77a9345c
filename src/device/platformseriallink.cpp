#include "platformseriallink.h"

#include "qtseriallink.h"

SerialLink *createPlatformSerialLink(QObject *parent)
{
    return new QtSerialLink(parent);
}
