#include "settingsdownload.h"

#include "protocol.h"
#include "seriallink.h"

#include <QTimer>

namespace Klv {

SettingsDownload::SettingsDownload(SerialLink &link, PortMapping portMapping,
                                   const StepTable &table, QObject *parent)
    : QObject(parent), m_link(link), m_portMapping(std::move(portMapping)), m_table(table),
      m_replyTimer(new QTimer(this))
{
    m_replyTimer->setObjectName(QStringLiteral("replyTimer"));
    m_replyTimer->setSingleShot(true);
    m_replyTimer->setInterval(100); // idle; each wait arms it with its own time
    // A coarse timer may fire a little early; the controller has its full time.
    m_replyTimer->setTimerType(Qt::PreciseTimer);
    connect(m_replyTimer, &QTimer::timeout, this, &SettingsDownload::replyOverdue);
    connect(&m_link, &SerialLink::openEnded, this, &SettingsDownload::openEnded);
    connect(&m_link, &SerialLink::readyRead, this, &SettingsDownload::dataArrived);
    connect(&m_link, &SerialLink::bytesWritten, this, &SettingsDownload::endWritten);
    connect(&m_link, &SerialLink::failed, this, &SettingsDownload::linkFailed);
}

SettingsDownload::~SettingsDownload()
{
    abandon();
}

void SettingsDownload::start()
{
    startOn(portsToSearch(m_portMapping, m_portListing));
}

void SettingsDownload::startOnPorts(int firstPort, int lastPort)
{
    QList<PortInfo> ports;
    for (int n = qMax(firstPort, int(FirstPort)); n <= qMin(lastPort, int(LastPort)); ++n)
        ports << numberedPort(n, m_portMapping);
    startOn(ports);
}

void SettingsDownload::startOn(const QList<PortInfo> &ports)
{
    if (isRunning())
        return;
    m_replyTimer->stop();
    m_unopenedPorts.clear();
    m_steps.clear();
    m_stepIndex = 0;
    m_resends = 0;
    if (m_link.isOpen()) {
        // Not ours to touch: nothing is sent and the port stays open.
        emit finished(Outcome::AlreadyOpen);
        return;
    }
    m_ports = ports;
    searchFrom(0);
}

void SettingsDownload::abandon()
{
    if (!isRunning())
        return;
    m_phase = Phase::Idle;
    m_replyTimer->stop();
    m_link.close();
}

std::optional<PortInfo> SettingsDownload::portAfter(const PortInfo &port) const
{
    const qsizetype index = m_ports.indexOf(port);
    if (index < 0 || index + 1 >= m_ports.size())
        return std::nullopt;
    return m_ports[index + 1];
}

void SettingsDownload::searchFrom(qsizetype index)
{
    // A port that does not open costs nothing; the first one that opens is greeted.
    m_phase = Phase::Opening;
    for (m_portIndex = index; m_portIndex < m_ports.size(); ++m_portIndex) {
        switch (m_link.beginOpen(m_ports[m_portIndex].path)) {
        case SerialLink::OpenStart::Opened:
            return greet();
        case SerialLink::OpenStart::Pending:
            return; // openEnded() goes on
        case SerialLink::OpenStart::Failed:
            passOver();
            // The one told may have ended the download.
            if (m_phase != Phase::Opening)
                return;
            break;
        }
    }
    m_phase = Phase::Idle;
    emit finished(Outcome::NotFound);
}

void SettingsDownload::openEnded(bool opened)
{
    if (m_phase != Phase::Opening)
        return;
    if (opened)
        return greet();
    passOver();
    if (m_phase == Phase::Opening)
        searchFrom(m_portIndex + 1);
}

void SettingsDownload::passOver()
{
    const PortInfo &port = m_ports[m_portIndex];
    const PortOpenError reason = m_link.openError();
    m_unopenedPorts << UnopenedPort{
        port, reason,
        reason == PortOpenError::PermissionDenied ? deviceAccess(port.path) : DeviceAccess()};
    emit portUnavailable(port, reason);
}

void SettingsDownload::greet()
{
    m_phase = Phase::Greeting;
    m_received.clear();
    m_replyTimer->start(GreetingWaitMs);
    // A failing write closes the port; the greeting then simply times out.
    m_link.write(Protocol::greeting());
    emit portGreeted(m_ports[m_portIndex]);
}

void SettingsDownload::dataArrived()
{
    const QByteArray bytes = m_link.readAll();
    switch (m_phase) {
    case Phase::Greeting:
        m_received.append(bytes);
        if (!m_received.contains(Reply::Welcome))
            return;
        m_replyTimer->stop();
        m_phase = Phase::Connected;
        emit controllerFound(m_ports[m_portIndex]);
        // The window shows the open line before the first frame goes out.
        QMetaObject::invokeMethod(this, &SettingsDownload::transfer, Qt::QueuedConnection);
        return;
    case Phase::Transferring:
        m_received.append(bytes);
        switch (m_received.acknowledgement()) {
        case Acknowledgement::None:
            return;
        case Acknowledgement::Refused:
            if (m_sends >= MaxSends) {
                end(Outcome::Refused);
            } else {
                ++m_resends;
                sendFrame();
            }
            return;
        case Acknowledgement::Taken:
            ++m_stepIndex;
            emit stepsTaken(m_stepIndex, int(m_steps.size()));
            sendNextStepOrEnd();
            return;
        }
        return;
    default:
        // Nothing is awaited; what comes is dropped.
        return;
    }
}

void SettingsDownload::replyOverdue()
{
    switch (m_phase) {
    case Phase::Greeting:
        // Whatever arrived with the tick is too late: the next port is tried.
        m_link.close();
        emit greetingUnanswered(m_ports[m_portIndex]);
        if (m_phase == Phase::Greeting)
            searchFrom(m_portIndex + 1);
        return;
    case Phase::Transferring:
    case Phase::Ending:
        end(Outcome::NoReply);
        return;
    default:
        return;
    }
}

void SettingsDownload::linkFailed()
{
    // During the greeting a failed port is passed over when its time is up.
    if (isTransferring())
        end(Outcome::LineFailed);
}

void SettingsDownload::transfer()
{
    if (m_phase != Phase::Connected)
        return;
    m_phase = Phase::Transferring;
    // The count is capped as a guard: the table never holds more steps.
    m_steps = m_table.toList();
    m_stepIndex = 0;
    emit transferStarted(int(m_steps.size()));
    sendNextStepOrEnd();
}

void SettingsDownload::sendNextStepOrEnd()
{
    if (m_stepIndex < m_steps.size()) {
        m_sends = 0;
        sendFrame();
        return;
    }
    // "END" follows only a full transfer, so the controller never takes a partial program.
    m_phase = Phase::Ending;
    m_replyTimer->start(ReplyWaitMs);
    if (!m_link.write(Protocol::endOfDownload()))
        return end(Outcome::LineFailed);
    endWritten();
}

void SettingsDownload::sendFrame()
{
    ++m_sends;
    if (!m_link.write(stepFrame(m_steps[m_stepIndex])))
        return end(Outcome::LineFailed);
    m_received.clear();
    m_replyTimer->start(ReplyWaitMs);
}

void SettingsDownload::endWritten()
{
    // The port is closed only once "END" is on the line; closing drops what is still queued.
    if (m_phase == Phase::Ending && m_link.bytesToWrite() == 0)
        end(Outcome::Completed);
}

void SettingsDownload::end(Outcome outcome)
{
    // A failing write reports itself twice, as the link's signal and as the write's result.
    if (m_phase == Phase::Idle)
        return;
    m_replyTimer->stop();
    m_link.close();
    m_phase = Phase::Idle;
    emit finished(outcome);
}

} // namespace Klv
