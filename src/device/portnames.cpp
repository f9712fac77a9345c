#include "portnames.h"

namespace Klv {

namespace {

// Port numbers 5 to 24 go to USB adapters, in blocks of ten per kind of device.
constexpr int UsbSerialFirst = 5;    // ttyUSB0 .. ttyUSB9
constexpr int UsbModemFirst = 15;    // ttyACM0 .. ttyACM9
constexpr int MoreOnBoardFirst = 25; // ttyS4 .. ttyS9

} // namespace

QString platformPortName(int portNumber)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    // Built by name rather than listed: every ttyS node exists with or without a port behind it,
    // and a listing would change with what is plugged in. The on-board ports come first, as
    // COM1 to COM4 on a PC.
    if (portNumber < UsbSerialFirst)
        return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
    if (portNumber < UsbModemFirst)
        return QStringLiteral("/dev/ttyUSB%1").arg(portNumber - UsbSerialFirst);
    if (portNumber < MoreOnBoardFirst)
        return QStringLiteral("/dev/ttyACM%1").arg(portNumber - UsbModemFirst);
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - MoreOnBoardFirst + 4);
#endif
}

} // namespace Klv
