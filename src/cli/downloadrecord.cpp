#include "downloadrecord.h"

#include "jsonline.h"

using namespace Klv;
using Outcome = DownloadBatch::Outcome;

namespace {

QString outcomeWord(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Completed:
        return QStringLiteral("completed");
    case Outcome::NotFound:
        return QStringLiteral("not_found");
    case Outcome::NoReply:
        return QStringLiteral("no_reply");
    case Outcome::LineFailed:
        return QStringLiteral("line_failed");
    case Outcome::Refused:
        return QStringLiteral("refused");
    case Outcome::Interrupted:
        return QStringLiteral("interrupted");
    case Outcome::Unavailable:
        return QStringLiteral("unavailable");
    }
    return {};
}

QJsonValue reasonWord(const DownloadBatch::Result &result)
{
    if (result.outcome != Outcome::Unavailable)
        return QJsonValue::Null;
    switch (result.reason) {
    case PortOpenError::NotFound:
        return QStringLiteral("no_such_device");
    case PortOpenError::PermissionDenied:
        return QStringLiteral("permission_denied");
    case PortOpenError::Busy:
        return QStringLiteral("in_use");
    case PortOpenError::None:
    case PortOpenError::Other:
        break;
    }
    return QStringLiteral("cannot_set_up");
}

QByteArray adapterOf(const PortInfo &port)
{
    return jsonObject({
        {QStringLiteral("description"), jsonTextOrNull(port.description)},
        {QStringLiteral("manufacturer"), jsonTextOrNull(port.manufacturer)},
        {QStringLiteral("vid"), jsonUsbId(port.vendorId)},
        {QStringLiteral("pid"), jsonUsbId(port.productId)},
        {QStringLiteral("serial"), jsonTextOrNull(port.serialNumber)},
    });
}

} // namespace

QByteArray downloadRecord(const RecordContext &context, const DownloadBatch::Target &target,
                          const DownloadBatch::Result &result)
{
    // The device is where the controller answered; a search that found none has no device.
    std::optional<PortInfo> port = result.controllerPort;
    if (!port && target.ports.size() == 1)
        port = target.ports.first();
    const QByteArray null("null");
    return jsonObject({
               {QStringLiteral("time"), json(result.endedAt.toString(Qt::ISODateWithMs))},
               {QStringLiteral("device"), port ? json(deviceName(*port)) : null},
               {QStringLiteral("port"), port && port->number ? json(port->number) : null},
               {QStringLiteral("adapter"), port ? adapterOf(*port) : null},
               {QStringLiteral("file"), json(context.file)},
               {QStringLiteral("sha256"), json(context.sha256)},
               {QStringLiteral("steps"), json(result.steps)},
               {QStringLiteral("taken"), json(result.taken)},
               {QStringLiteral("resends"), json(result.resends)},
               {QStringLiteral("outcome"), json(outcomeWord(result.outcome))},
               {QStringLiteral("reason"), json(reasonWord(result))},
               {QStringLiteral("seconds"), json(qRound64(result.seconds * 1000) / 1000.0)},
               {QStringLiteral("tool"), json(context.tool)},
           }) +
           '\n';
}
