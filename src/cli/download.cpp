// download: the window's download procedure, on the command line's event loop.
#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "downloadprogress.h"
#include "interruption.h"
#include "platformseriallink.h"
#include "portnames.h"
#include "program.h"
#include "seriallink.h"
#include "settingsdownload.h"

#include <QCoreApplication>
#include <QTimer>

#include <memory>

using namespace Klv;

namespace {

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

// What the user can do about a port that would not open; empty when nothing is known.
QString remedyText(PortOpenError reason)
{
    switch (reason) {
    case PortOpenError::PermissionDenied:
        // Serial devices belong to the group dialout; a new member is one after logging in again.
        return QStringLiteral("join the dialout group (sudo usermod -aG dialout $USER), then log "
                              "in again");
    case PortOpenError::Busy:
        return QStringLiteral("close the program that holds it, then try again");
    default:
        return {};
    }
}

// The one port or device given could not be opened: why, and what to do.
void reportUnopened(const SettingsDownload::UnopenedPort &port, const DownloadProgress &progress)
{
    QString message = QStringLiteral("cannot open %1: %2")
                          .arg(progress.describePort(port.port.number), reasonText(port.reason));
    const QString remedy = remedyText(port.reason);
    if (!remedy.isEmpty())
        message += QStringLiteral("; ") + remedy;
    Console::printError(message);
}

// A search that found no controller: the ports that exist but would not open, and what to do.
void reportUnopenedPorts(const SettingsDownload &download, const DownloadProgress &progress)
{
    QStringList lines;
    QStringList remedies;
    for (const SettingsDownload::UnopenedPort &port : download.unopenedPorts()) {
        if (port.reason == PortOpenError::NotFound)
            continue;
        lines << QStringLiteral("  %1: %2")
                     .arg(progress.describePort(port.port.number), reasonText(port.reason));
        const QString remedy = remedyText(port.reason);
        if (!remedy.isEmpty() && !remedies.contains(remedy))
            remedies << remedy;
    }
    if (lines.isEmpty())
        return;
    Console::printError(QStringLiteral("these ports exist but could not be opened:"));
    Console::writeErr(lines.join(u'\n') + u'\n');
    for (const QString &remedy : std::as_const(remedies))
        Console::printError(remedy);
}

// The exit status and the message of the download's end.
int reportEnd(SettingsDownload::Outcome outcome, const SettingsDownload &download,
              const DownloadProgress &progress, const CliArguments &arguments)
{
    const bool onePort = arguments.port != 0 || !arguments.device.isEmpty();
    switch (outcome) {
    case SettingsDownload::Outcome::Completed:
        Console::writeErr(
            QStringLiteral("done: %1 downloaded\n").arg(stepsText(progress.stepTotal())));
        return ExitStatus::Done;
    case SettingsDownload::Outcome::NotFound:
        if (onePort && progress.greetedPort() == 0 && !download.unopenedPorts().isEmpty()) {
            reportUnopened(download.unopenedPorts().first(), progress);
            return ExitStatus::NoReply;
        }
        Console::printError(onePort ? QStringLiteral("no controller answered on %1")
                                          .arg(progress.describePort(progress.greetedPort()))
                                    : QStringLiteral("no controller answered on ports %1 to %2")
                                          .arg(SettingsDownload::FirstPort)
                                          .arg(SettingsDownload::LastPort));
        reportUnopenedPorts(download, progress);
        return ExitStatus::NotFound;
    case SettingsDownload::Outcome::Refused:
        Console::printError(
            QStringLiteral("the controller refused step %1 of %2 %3 times; it keeps its old "
                           "program")
                .arg(progress.stepsTaken() + 1)
                .arg(progress.stepTotal())
                .arg(SettingsDownload::MaxSends));
        return ExitStatus::Refused;
    case SettingsDownload::Outcome::NoReply:
    case SettingsDownload::Outcome::LineFailed:
    case SettingsDownload::Outcome::AlreadyOpen:
        break;
    }
    Console::printError(
        QStringLiteral("no reply from the controller after %1 of %2 steps, or the line failed; "
                       "it keeps its old program")
            .arg(progress.stepsTaken())
            .arg(progress.stepTotal()));
    return ExitStatus::NoReply;
}

// Ctrl-C: as the window's Exit, nothing more is sent, no "END"; the port is closed and free
// for the next run.
int reportInterrupted(DownloadProgress &progress)
{
    const bool sending = progress.isTransferring();
    progress.abandoned();
    Console::printError(
        sending ? QStringLiteral("interrupted after %1 of %2 steps; no \"END\" was sent, so the "
                                 "controller keeps its old program")
                      .arg(progress.stepsTaken())
                      .arg(progress.stepTotal())
                : QStringLiteral("interrupted while looking for the controller; nothing was sent"));
    return InterruptedExitStatus;
}

} // namespace

int downloadProgram(const CliArguments &arguments)
{
    const LoadedProgram program = loadProgram(arguments.file);
    if (!program.error.isEmpty()) {
        Console::printError(arguments.file + QStringLiteral(": ") + program.error);
        return ExitStatus::Failed;
    }

    // --device stands in for port number 1, the only one searched.
    int firstPort = SettingsDownload::FirstPort;
    int lastPort = SettingsDownload::LastPort;
    PortMapping portMapping = platformPortName;
    DownloadProgress::PortDescription portDescription = [](int portNumber) {
        return QStringLiteral("port %1 (%2)").arg(portNumber).arg(platformPortName(portNumber));
    };
    if (!arguments.device.isEmpty()) {
        lastPort = firstPort;
        portMapping = [device = arguments.device](int) { return device; };
        portDescription = portMapping;
    } else if (arguments.port != 0) {
        firstPort = lastPort = arguments.port;
    }

    const std::unique_ptr<SerialLink> link(createPlatformSerialLink(nullptr));
    SettingsDownload download(*link, portMapping, program.table);
    DownloadProgress progress(download, portDescription, Console::stderrIsTerminal());
    QObject::connect(&download, &SettingsDownload::finished, &download,
                     [&](SettingsDownload::Outcome outcome) {
                         QCoreApplication::exit(reportEnd(outcome, download, progress, arguments));
                     });
    Interruption interruption;
    QObject::connect(&interruption, &Interruption::requested, &download, [&] {
        if (!download.isRunning())
            return;
        download.abandon();
        const int status = reportInterrupted(progress);
        interruption.tidiedUp();
        QCoreApplication::exit(status);
    });
    // Started from the event loop: a search that ends at once reports before exec() returns.
    QTimer::singleShot(0, &download, [&] { download.startOnPorts(firstPort, lastPort); });
    return QCoreApplication::exec();
}
