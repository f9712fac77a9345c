#include "downloadplan.h"

#include "arguments.h"
#include "downloadreport.h"

using namespace Klv;

namespace {

constexpr QStringView SerialPrefix = u"serial:";

} // namespace

DownloadPlan planDownload(const CliArguments &arguments, const PortMapping &portMapping,
                          const PortListing &listing)
{
    DownloadPlan plan;
    if (arguments.ports.isEmpty() && arguments.devices.isEmpty()) {
        const QList<PortInfo> ports = portsToSearch(portMapping, listing);
        if (arguments.allPorts) {
            plan.probesAll = true;
            for (const PortInfo &port : ports) {
                plan.targets << DownloadBatch::Target{{port}, true};
                plan.labels << describePort(port);
            }
        } else {
            plan.isSearch = true;
            plan.targets << DownloadBatch::Target{ports, false};
            plan.labels << QString();
        }
        return plan;
    }

    const QList<PortInfo> listed = listing ? listing() : QList<PortInfo>();
    const auto add = [&](const PortInfo &port, const QString &label) {
        // A device named twice, by number and by path say, is sent the program once.
        for (const DownloadBatch::Target &target : std::as_const(plan.targets)) {
            if (isSameDevice(target.ports.first().path, port.path))
                return;
        }
        plan.targets << DownloadBatch::Target{{port}, false};
        plan.labels << label;
    };
    for (int number : arguments.ports) {
        const PortInfo port = withListedWords(numberedPort(number, portMapping), listed);
        add(port, describePort(port));
    }
    for (const QString &device : arguments.devices) {
        if (!device.startsWith(SerialPrefix)) {
            add(withListedWords(portAt(device, portMapping), listed), device);
            continue;
        }
        const QString serial = device.mid(SerialPrefix.size());
        QList<PortInfo> adapters;
        for (const PortInfo &port : listed) {
            if (port.serialNumber == serial)
                adapters << port;
        }
        if (adapters.size() > 1) {
            QStringList names;
            for (const PortInfo &port : std::as_const(adapters))
                names << deviceName(port);
            plan.error = QStringLiteral("%1 names %2 adapters (%3): give their devices instead")
                             .arg(device)
                             .arg(adapters.size())
                             .arg(names.join(QStringLiteral(", ")));
            return plan;
        }
        // No adapter with that number is plugged in: a device that is not there, which does
        // not open.
        PortInfo port = adapters.value(0, portAt(device, portMapping));
        add(port,
            adapters.isEmpty() ? device : QStringLiteral("%1 (%2)").arg(device, deviceName(port)));
    }
    return plan;
}
