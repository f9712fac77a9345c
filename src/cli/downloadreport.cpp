#include "downloadreport.h"

#include "commands.h"
#include "interruption.h"
#include "program.h"

using namespace Klv;
using Outcome = DownloadBatch::Outcome;

QString describePort(const PortInfo &port)
{
    if (port.number != 0)
        return QStringLiteral("port %1 (%2)").arg(port.number).arg(port.path);
    return deviceName(port);
}

QString reasonText(PortOpenError reason)
{
    switch (reason) {
    case PortOpenError::NotFound:
        return QStringLiteral("no such device");
    case PortOpenError::PermissionDenied:
        return QStringLiteral("permission denied");
    case PortOpenError::Busy:
        return QStringLiteral("in use by another program");
    case PortOpenError::None:
    case PortOpenError::Other:
        break;
    }
    return QStringLiteral("it could not be set up");
}

QString remedyText(PortOpenError reason, const DeviceAccess &access)
{
    switch (reason) {
    case PortOpenError::PermissionDenied:
        switch (remedyFor(access)) {
        case AccessRemedy::Unknown:
            return {};
        case AccessRemedy::LogInAgain:
            return QStringLiteral("your account is in the group %1, but this login began before "
                                  "it joined: log out and in again")
                .arg(access.group);
        case AccessRemedy::JoinDialout:
            return QStringLiteral("join the dialout group (sudo usermod -aG dialout $USER), then "
                                  "log in again");
        case AccessRemedy::AskOwner:
            break;
        }
        return QStringLiteral("the device belongs to %1 (group %2) with mode %3")
            .arg(access.owner, access.group)
            .arg(access.mode, 4, 8, QChar(u'0'));
    case PortOpenError::Busy:
        return QStringLiteral("close the program that holds it, then try again");
    default:
        return {};
    }
}

QStringList unopenedPortsReport(const QList<SettingsDownload::UnopenedPort> &ports)
{
    QStringList lines;
    QStringList remedies;
    for (const SettingsDownload::UnopenedPort &port : ports) {
        // Most numbers name no device on a given machine; only those that are there count.
        if (port.reason == PortOpenError::NotFound)
            continue;
        lines << QStringLiteral("  %1: %2").arg(describePort(port.port), reasonText(port.reason));
        const QString remedy = remedyText(port.reason, port.access);
        if (!remedy.isEmpty() && !remedies.contains(remedy))
            remedies << remedy;
    }
    if (lines.isEmpty())
        return {};
    QStringList report{QStringLiteral("klv90-cli: these ports exist but could not be opened:")};
    report += lines;
    for (const QString &remedy : std::as_const(remedies))
        report << QStringLiteral("klv90-cli: ") + remedy;
    return report;
}

QString outcomeText(const DownloadBatch::Result &result, const QString &label,
                    const QList<PortInfo> &searched)
{
    switch (result.outcome) {
    case Outcome::Completed:
        return QStringLiteral("done: %1 downloaded").arg(stepsText(result.steps));
    case Outcome::NotFound: {
        if (!label.isEmpty())
            return QStringLiteral("no controller answered on %1").arg(label);
        QStringList others;
        for (const PortInfo &port : searched) {
            if (port.number == 0)
                others << deviceName(port);
        }
        QString text = QStringLiteral("no controller answered on ports %1 to %2")
                           .arg(SettingsDownload::FirstPort)
                           .arg(SettingsDownload::LastPort);
        if (!others.isEmpty())
            text += QStringLiteral(" or on ") + others.join(QStringLiteral(", "));
        return text;
    }
    case Outcome::Unavailable:
        return QStringLiteral("cannot open %1: %2").arg(label, reasonText(result.reason));
    case Outcome::Refused:
        return QStringLiteral("the controller refused step %1 of %2 %3 times; it keeps its old "
                              "program")
            .arg(result.taken + 1)
            .arg(result.steps)
            .arg(SettingsDownload::MaxSends);
    case Outcome::NoReply:
    case Outcome::LineFailed:
        return QStringLiteral("no reply from the controller after %1 of %2 steps, or the line "
                              "failed; it keeps its old program")
            .arg(result.taken)
            .arg(result.steps);
    case Outcome::Interrupted:
        if (result.controllerPort && result.steps > 0)
            return QStringLiteral("interrupted after %1 of %2 steps; no \"END\" was sent, so the "
                                  "controller keeps its old program")
                .arg(result.taken)
                .arg(result.steps);
        return QStringLiteral("interrupted while looking for the controller; nothing was sent");
    }
    return {};
}

QString remedyOf(const DownloadBatch::Result &result)
{
    if (result.outcome != Outcome::Unavailable)
        return {};
    return remedyText(result.reason, result.unopenedPorts.isEmpty()
                                         ? DeviceAccess()
                                         : result.unopenedPorts.first().access);
}

int exitStatusOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Completed:
        return ExitStatus::Done;
    case Outcome::NotFound:
        return ExitStatus::NotFound;
    case Outcome::NoReply:
    case Outcome::LineFailed:
    case Outcome::Unavailable:
        return ExitStatus::NoReply;
    case Outcome::Refused:
        return ExitStatus::Refused;
    case Outcome::Interrupted:
        return InterruptedExitStatus;
    }
    return ExitStatus::Failed;
}

int exitStatusOf(const QList<DownloadBatch::Result> &devices)
{
    if (devices.isEmpty())
        return ExitStatus::NotFound;
    int status = ExitStatus::Done;
    for (const DownloadBatch::Result &device : devices) {
        const int own = exitStatusOf(device.outcome);
        if (own == InterruptedExitStatus)
            return own;
        status = qMax(status, own);
    }
    return status;
}
