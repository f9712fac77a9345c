#include "downloadbatch.h"

#include "seriallink.h"

#include <QTimer>

namespace Klv {

namespace {

DownloadBatch::Outcome batchOutcome(SettingsDownload::Outcome outcome)
{
    switch (outcome) {
    case SettingsDownload::Outcome::Completed:
        return DownloadBatch::Outcome::Completed;
    case SettingsDownload::Outcome::NoReply:
        return DownloadBatch::Outcome::NoReply;
    case SettingsDownload::Outcome::LineFailed:
        return DownloadBatch::Outcome::LineFailed;
    case SettingsDownload::Outcome::Refused:
        return DownloadBatch::Outcome::Refused;
    case SettingsDownload::Outcome::NotFound:
    case SettingsDownload::Outcome::AlreadyOpen: // a link of its own is never open before
        break;
    }
    return DownloadBatch::Outcome::NotFound;
}

} // namespace

DownloadBatch::DownloadBatch(const QList<Target> &targets, const StepTable &table,
                             LinkMaker makeLink, QObject *parent)
    : QObject(parent), m_starter(new QTimer(this))
{
    // A timer of no interval times out once per pass of the event loop, after what is due.
    m_starter->setInterval(0);
    connect(m_starter, &QTimer::timeout, this, &DownloadBatch::startNext);
    for (const Target &target : targets) {
        Device device;
        device.target = target;
        device.link = makeLink(this);
        device.download = new SettingsDownload(*device.link, platformPortName, table, this);
        m_devices << device;
    }
    for (int i = 0; i < count(); ++i) {
        SettingsDownload *download = m_devices[i].download;
        connect(download, &SettingsDownload::portGreeted, this,
                [this, i](const PortInfo &port) { emit portGreeted(i, port); });
        connect(download, &SettingsDownload::controllerFound, this,
                [this, i](const PortInfo &port) {
                    m_devices[i].result.controllerPort = port;
                    emit controllerFound(i, port);
                });
        connect(download, &SettingsDownload::transferStarted, this,
                [this, i](int total) { emit transferStarted(i, total); });
        connect(download, &SettingsDownload::stepsTaken, this,
                [this, i](int taken, int total) { emit stepsTaken(i, taken, total); });
        connect(download, &SettingsDownload::finished, this,
                [this, i](SettingsDownload::Outcome outcome) { downloadEnded(i, outcome); });
    }
}

DownloadBatch::~DownloadBatch()
{
    // The downloads close their ports before their links go.
    for (Device &device : m_devices)
        device.download->abandon();
}

bool DownloadBatch::isRunning() const
{
    return m_clock.isValid() && !m_finished;
}

void DownloadBatch::start()
{
    if (m_clock.isValid())
        return;
    m_clock.start();
    m_unstarted = count();
    // One download starts per pass of the event loop: opening a port takes a millisecond or
    // two, and thirty at once would hold up the loop, and the downloads already under way.
    m_starter->start();
    finishIfAllEnded();
}

void DownloadBatch::startNext()
{
    const int next = count() - m_unstarted;
    if (--m_unstarted == 0)
        m_starter->stop();
    Device &device = m_devices[next];
    if (!device.hasEnded)
        device.download->startOn(device.target.ports);
    finishIfAllEnded();
}

void DownloadBatch::interrupt()
{
    if (!isRunning())
        return;
    m_starter->stop();
    m_unstarted = 0;
    for (int i = 0; i < count(); ++i) {
        if (m_devices[i].hasEnded)
            continue;
        m_devices[i].download->abandon();
        downloadEnded(i, std::nullopt);
    }
}

void DownloadBatch::downloadEnded(int index, std::optional<SettingsDownload::Outcome> outcome)
{
    Device &device = m_devices[index];
    if (device.hasEnded)
        return;
    device.hasEnded = true;
    Result &result = device.result;
    const SettingsDownload &download = *device.download;
    result.outcome = outcome ? batchOutcome(*outcome) : Outcome::Interrupted;
    result.unopenedPorts = download.unopenedPorts();
    result.steps = result.controllerPort ? download.stepCount() : 0;
    result.taken = download.takenCount();
    result.resends = download.resendCount();
    result.endedAt = QDateTime::currentDateTimeUtc();
    result.seconds = m_clock.nsecsElapsed() / 1e9;
    // A device of one port that never opened could not be used at all.
    if (result.outcome == Outcome::NotFound && device.target.ports.size() == 1 &&
        result.unopenedPorts.size() == 1) {
        result.outcome = Outcome::Unavailable;
        result.reason = result.unopenedPorts.first().reason;
    }
    result.isDevice = !device.target.isProbe || result.controllerPort.has_value();
    emit deviceEnded(index);
    finishIfAllEnded();
}

void DownloadBatch::finishIfAllEnded()
{
    // A device whose ports all fail to open ends as it starts: the batch is told finished only
    // once every download has started.
    if (m_unstarted > 0 || m_finished || !m_clock.isValid())
        return;
    for (const Device &device : std::as_const(m_devices)) {
        if (!device.hasEnded)
            return;
    }
    m_finished = true;
    emit finished();
}

} // namespace Klv
