#include "portinfo.h"

#include "settingsdownload.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace Klv {

namespace {

// What identifies a device: on Windows its name without the device-path prefix, in capitals;
// elsewhere the file it finally is, links followed.
QString deviceKey(const QString &path)
{
#ifdef Q_OS_WIN
    QString name = path;
    if (name.startsWith(QStringLiteral("\\\\.\\")))
        name.remove(0, 4);
    return name.toUpper();
#else
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
#endif
}

std::optional<quint16> hexId(const QString &text, const QString &field)
{
    const QRegularExpression pattern(field + QStringLiteral("_([0-9A-Fa-f]{4})"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return quint16(match.captured(1).toUInt(nullptr, 16));
}

PortInfo unnumberedPort(const QString &path)
{
    PortInfo port;
    port.path = path;
#ifdef Q_OS_WIN
    port.name = deviceKey(path);
#else
    port.name = QFileInfo(path).fileName();
#endif
    return port;
}

} // namespace

PortInfo numberedPort(int portNumber, const PortMapping &portMapping)
{
    PortInfo port = unnumberedPort(portMapping(portNumber));
    port.number = portNumber;
    return port;
}

PortInfo portAt(const QString &path, const PortMapping &portMapping)
{
    PortInfo port = unnumberedPort(path);
    for (int n = SettingsDownload::FirstPort; n <= SettingsDownload::LastPort; ++n) {
        const QString mapped = portMapping(n);
        if (!mapped.isEmpty() && isSameDevice(mapped, path)) {
            port.number = n;
            break;
        }
    }
    return port;
}

PortInfo withListedWords(PortInfo port, const QList<PortInfo> &listed)
{
    for (const PortInfo &same : listed) {
        if (!isSameDevice(same.path, port.path))
            continue;
        port.description = same.description;
        port.manufacturer = same.manufacturer;
        port.vendorId = same.vendorId;
        port.productId = same.productId;
        port.serialNumber = same.serialNumber;
        port.byIdPath = same.byIdPath;
        break;
    }
    return port;
}

bool isSameDevice(const QString &path, const QString &other)
{
    return path == other || deviceKey(path) == deviceKey(other);
}

QList<PortInfo> portsToSearch(const PortMapping &portMapping, const PortListing &listing)
{
    const QList<PortInfo> listed = listing ? listing() : QList<PortInfo>();
    QList<PortInfo> ports;
    QStringList numbered;
    for (int n = SettingsDownload::FirstPort; n <= SettingsDownload::LastPort; ++n) {
        ports << withListedWords(numberedPort(n, portMapping), listed);
        numbered << ports.last().path;
    }
    for (PortInfo port : listed) {
        const auto isNumbered = [&](const QString &path) { return isSameDevice(path, port.path); };
        if (std::any_of(numbered.cbegin(), numbered.cend(), isNumbered))
            continue;
        port.number = 0;
        ports << port;
    }
    return ports;
}

QString deviceName(const PortInfo &port)
{
#ifdef Q_OS_WIN
    return port.name.isEmpty() ? port.path : port.name;
#else
    return port.path;
#endif
}

QString byIdLinkOf(const QString &devicePath, const QString &folder)
{
    const QString device = deviceKey(devicePath);
    for (const QFileInfo &link :
         QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (link.isSymLink() && deviceKey(link.filePath()) == device)
            return link.filePath();
    }
    return {};
}

UsbIds usbIdsOf(const QString &hardwareId, const QString &instanceId)
{
    UsbIds ids;
    ids.vendorId = hexId(hardwareId, QStringLiteral("VID"));
    ids.productId = hexId(hardwareId, QStringLiteral("PID"));
    const QStringList parts = instanceId.split(u'\\');
    if (instanceId.startsWith(QStringLiteral("USB\\"), Qt::CaseInsensitive) && parts.size() == 3) {
        // The last part is the adapter's serial number, unless Windows made one up: those hold
        // an ampersand ("6&1A2B3C4D&0&1").
        if (!parts[2].contains(u'&'))
            ids.serialNumber = parts[2];
    } else if (instanceId.startsWith(QStringLiteral("FTDIBUS\\"), Qt::CaseInsensitive) &&
               parts.size() >= 2) {
        // FTDI's driver: "VID_0403+PID_6001+A12345A", the serial number with the letter of the
        // adapter's port after it.
        const QStringList fields = parts[1].split(u'+');
        if (fields.size() == 3 && fields[2].size() > 1)
            ids.serialNumber = fields[2].chopped(1);
    }
    return ids;
}

} // namespace Klv
