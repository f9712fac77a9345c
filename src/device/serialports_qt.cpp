// The serial ports Qt Serial Port lists, on systems other than Windows.
#include "portinfo.h"

#include <QSerialPortInfo>

namespace Klv {

QList<PortInfo> platformSerialPorts()
{
    QList<PortInfo> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        PortInfo port = portAt(info.systemLocation());
        port.name = info.portName();
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier())
            port.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            port.productId = info.productIdentifier();
        port.serialNumber = info.serialNumber();
        port.byIdPath = byIdLinkOf(port.path);
        ports << port;
    }
    return ports;
}

} // namespace Klv
