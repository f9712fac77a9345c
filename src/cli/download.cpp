// download: the window's download procedure, on the command line's event loop.
#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "downloadprogress.h"
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

// The exit status and the message of the download's end.
int reportEnd(SettingsDownload::Outcome outcome, const DownloadProgress &progress,
              const CliArguments &arguments)
{
    const bool onePort = arguments.port != 0 || !arguments.device.isEmpty();
    switch (outcome) {
    case SettingsDownload::Outcome::Completed:
        Console::writeErr(
            QStringLiteral("done: %1 downloaded\n").arg(stepsText(progress.stepTotal())));
        return ExitStatus::Done;
    case SettingsDownload::Outcome::NotFound:
        if (onePort && progress.greetedPort() == 0) {
            Console::printError(
                QStringLiteral("cannot open %1")
                    .arg(progress.describePort(arguments.port != 0 ? arguments.port
                                                                   : SettingsDownload::FirstPort)));
            return ExitStatus::NoReply;
        }
        Console::printError(onePort ? QStringLiteral("no controller answered on %1")
                                          .arg(progress.describePort(progress.greetedPort()))
                                    : QStringLiteral("no controller answered on ports %1 to %2")
                                          .arg(SettingsDownload::FirstPort)
                                          .arg(SettingsDownload::LastPort));
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
    const DownloadProgress progress(download, portDescription, Console::stderrIsTerminal());
    QObject::connect(&download, &SettingsDownload::finished, &download,
                     [&](SettingsDownload::Outcome outcome) {
                         QCoreApplication::exit(reportEnd(outcome, progress, arguments));
                     });
    // Started from the event loop: a search that ends at once reports before exec() returns.
    QTimer::singleShot(0, &download, [&] { download.startOnPorts(firstPort, lastPort); });
    return QCoreApplication::exec();
}
