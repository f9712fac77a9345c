// ports: every serial port the system has, by what it is.
#include "ports.h"

#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "jsonline.h"

#include <QStringList>

using namespace Klv;

namespace {

QString usbIds(const PortInfo &port)
{
    const auto hex = [](std::optional<quint16> id) {
        return id ? QStringLiteral("%1").arg(*id, 4, 16, QChar(u'0')) : QStringLiteral("?");
    };
    if (!port.vendorId && !port.productId)
        return {};
    return QStringLiteral("USB %1:%2").arg(hex(port.vendorId), hex(port.productId));
}

} // namespace

QByteArray portsText(const QList<PortInfo> &ports)
{
    qsizetype deviceWidth = 0;
    for (const PortInfo &port : ports)
        deviceWidth = qMax(deviceWidth, deviceName(port).size());
    QString text;
    for (const PortInfo &port : ports) {
        QStringList words;
        for (const QString &word :
             {port.description, port.manufacturer, usbIds(port),
              port.serialNumber.isEmpty() ? QString()
                                          : QStringLiteral("serial ") + port.serialNumber,
              port.byIdPath}) {
            if (!word.isEmpty())
                words << word;
        }
        QString line = QStringLiteral("%1  %2")
                           .arg(port.number ? QString::number(port.number) : QStringLiteral("-"), 2)
                           .arg(deviceName(port), -int(deviceWidth));
        if (!words.isEmpty())
            line += QStringLiteral("  ") + words.join(QStringLiteral(", "));
        while (line.endsWith(u' '))
            line.chop(1);
        text += line + u'\n';
    }
    return text.toUtf8();
}

QByteArray portsJson(const QList<PortInfo> &ports)
{
    QByteArray text("[");
    for (const PortInfo &port : ports) {
        text += text.size() > 1 ? ",\n  " : "\n  ";
        text += jsonObject({
            {QStringLiteral("port"), port.number ? json(port.number) : QByteArray("null")},
            {QStringLiteral("name"), jsonTextOrNull(port.name)},
            {QStringLiteral("path"), jsonTextOrNull(port.path)},
            {QStringLiteral("description"), jsonTextOrNull(port.description)},
            {QStringLiteral("manufacturer"), jsonTextOrNull(port.manufacturer)},
            {QStringLiteral("vid"), jsonUsbId(port.vendorId)},
            {QStringLiteral("pid"), jsonUsbId(port.productId)},
            {QStringLiteral("serial"), jsonTextOrNull(port.serialNumber)},
            {QStringLiteral("byId"), jsonTextOrNull(port.byIdPath)},
        });
    }
    return text + (ports.isEmpty() ? "]\n" : "\n]\n");
}

int listPorts(const CliArguments &arguments)
{
    const QList<PortInfo> ports = platformSerialPorts();
    if (ports.isEmpty() && !arguments.json)
        Console::printError(QStringLiteral("the system lists no serial ports"));
    Console::writeOut(arguments.json ? portsJson(ports) : portsText(ports));
    return ExitStatus::Done;
}
