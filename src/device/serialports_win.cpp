// The serial ports Windows registers, without Qt Serial Port: every present port is a value
// under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM; the SetupAPI adds what it knows of the device.
#include "portinfo.h"

#include <QHash>

#include <qt_windows.h>

#include <setupapi.h>

namespace Klv {

namespace {

// The COM port interface, and the class "Ports (COM & LPT)": adapters register one or both.
constexpr GUID ComPortInterface = {
    0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};
constexpr GUID PortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// A string value as Windows stores it: possibly without its terminating null, possibly with it.
QString stringOf(const wchar_t *data, DWORD bytes)
{
    QString text = QString::fromWCharArray(data, int(bytes / sizeof(wchar_t)));
    const qsizetype end = text.indexOf(QChar(u'\0'));
    return end < 0 ? text : text.left(end);
}

QStringList registeredPorts()
{
    QStringList names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD nameSize = 256;
        wchar_t data[256];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, i, valueName, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && type == REG_SZ) {
            const QString name = stringOf(data, dataSize).trimmed();
            if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
                names << name;
        }
    }
    RegCloseKey(key);
    return names;
}

QString deviceProperty(HDEVINFO devices, SP_DEVINFO_DATA &device, DWORD property)
{
    wchar_t data[512] = {};
    DWORD type = 0;
    DWORD size = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type,
                                           reinterpret_cast<BYTE *>(data), sizeof data - 2, &size))
        return {};
    // A multi-string (the hardware ids) gives its first string.
    return stringOf(data, size);
}

// What the SetupAPI says of the ports of one device class or interface, by port name.
void describeDevices(const GUID &guid, DWORD flags, QHash<QString, PortInfo> &described)
{
    HDEVINFO devices = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | flags);
    if (devices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        HKEY key =
            SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t data[64] = {};
        DWORD size = sizeof data - 2;
        DWORD type = 0;
        const bool named =
            RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(data),
                             &size) == ERROR_SUCCESS &&
            type == REG_SZ;
        RegCloseKey(key);
        const QString name = named ? stringOf(data, size).trimmed().toUpper() : QString();
        if (name.isEmpty() || described.contains(name))
            continue;
        PortInfo port;
        port.description = deviceProperty(devices, device, SPDRP_DEVICEDESC);
        port.manufacturer = deviceProperty(devices, device, SPDRP_MFG);
        wchar_t instance[512] = {};
        const QString instanceId =
            SetupDiGetDeviceInstanceIdW(devices, &device, instance, 511, nullptr)
                ? QString::fromWCharArray(instance)
                : QString();
        const UsbIds ids = usbIdsOf(deviceProperty(devices, device, SPDRP_HARDWAREID), instanceId);
        port.vendorId = ids.vendorId;
        port.productId = ids.productId;
        port.serialNumber = ids.serialNumber;
        described.insert(name, port);
    }
    SetupDiDestroyDeviceInfoList(devices);
}

} // namespace

QList<PortInfo> platformSerialPorts()
{
    QHash<QString, PortInfo> described;
    describeDevices(ComPortInterface, DIGCF_DEVICEINTERFACE, described);
    describeDevices(PortsClass, 0, described);
    QList<PortInfo> ports;
    for (const QString &name : registeredPorts()) {
        PortInfo port = described.value(name.toUpper());
        const PortInfo where = portAt(name);
        port.number = where.number;
        port.name = where.name;
        port.path = QStringLiteral("\\\\.\\") + where.name;
        ports << port;
    }
    return ports;
}

} // namespace Klv
