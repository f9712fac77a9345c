#pragma once

#include "portnames.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <functional>
#include <optional>

namespace Klv {

// A serial port as the download tries it, with what the system says of it. Empty texts and
// absent ids are unknown.
struct PortInfo
{
    int number = 0;       // the tool's port number, 1 to 30; 0 for a port outside them
    QString name;         // the system's short name: "ttyUSB0", "COM34"
    QString path;         // what the serial link opens: "/dev/ttyUSB0", "COM34"
    QString description;  // "FT232R USB UART"
    QString manufacturer; // "FTDI"
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    QString serialNumber; // the USB adapter's, "A12345"
    QString byIdPath;     // Linux: its link under /dev/serial/by-id

    bool operator==(const PortInfo &) const = default;
};

// The serial ports the system has, in its own order.
using PortListing = std::function<QList<PortInfo>()>;

// What this platform lists: Qt Serial Port's ports (with their /dev/serial/by-id links) on
// Linux, the ports registered under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (with the SetupAPI's
// words) on Windows. Each has the number that portMapping gives its path, if any.
QList<PortInfo> platformSerialPorts();

// The port of a port number, as the download tries it.
PortInfo numberedPort(int portNumber, const PortMapping &portMapping);
// A device given by its path or name, with the number that portMapping gives it, if any.
PortInfo portAt(const QString &path, const PortMapping &portMapping = platformPortName);

// The port with what the listing says of the same device, its number and path kept.
PortInfo withListedWords(PortInfo port, const QList<PortInfo> &listed);

// Whether two paths or names lead to the same device: COM34 and \\.\COM34, a link under
// /dev/serial/by-id and the device it points to.
bool isSameDevice(const QString &path, const QString &other);

// The ports a search tries: port numbers 1 to 30, then the listed ports that none of those
// numbers names, in the order listed; a numbered port that is listed too has its words. An
// empty listing leaves only the numbers.
QList<PortInfo> portsToSearch(const PortMapping &portMapping, const PortListing &listing);

// The device as people name it in messages: COM34 on Windows, /dev/ttyUSB0 elsewhere.
QString deviceName(const PortInfo &port);

// The link in folder (the system's /dev/serial/by-id) that leads to the device; empty when none
// does.
QString byIdLinkOf(const QString &devicePath,
                   const QString &folder = QStringLiteral("/dev/serial/by-id"));

// What a USB hardware id ("USB\VID_0403&PID_6001&REV_0600") and device instance id
// ("USB\VID_0403&PID_6001\A12345", "FTDIBUS\VID_0403+PID_6001+A12345A\0000") of Windows give.
struct UsbIds
{
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    QString serialNumber;
};
UsbIds usbIdsOf(const QString &hardwareId, const QString &instanceId);

} // namespace Klv

Q_DECLARE_METATYPE(Klv::PortInfo)
