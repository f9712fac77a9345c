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
    startOnPorts(FirstPort, LastPort);
}

void SettingsDownload::startOnPorts(int firstPort, int lastPort)
{
    if (isRunning())
        return;
    m_replyTimer->stop();
    m_unopenedPorts.clear();
    if (m_link.isOpen()) {
        // Not ours to touch: nothing is sent and the port stays open.
        emit finished(Outcome::AlreadyOpen);
        return;
    }
    m_lastPort = qMin(lastPort, int(LastPort));
    searchFrom(qMax(firstPort, int(FirstPort)));
}

void SettingsDownload::abandon()
{
    if (!isRunning())
        return;
    m_phase = Phase::Idle;
    m_replyTimer->stop();
    m_link.close();
}

void SettingsDownload::searchFrom(int portNumber)
{
    // A port that does not open costs nothing; the first one that opens is greeted.
    for (m_portNumber = portNumber; m_portNumber <= m_lastPort; ++m_portNumber) {
        if (m_link.open(m_portMapping(m_portNumber))) {
            m_phase = Phase::Greeting;
            m_received.clear();
            m_replyTimer->start(GreetingWaitMs);
            // A failing write closes the port; the greeting then simply times out.
            m_link.write(Protocol::greeting());
            emit portGreeted(m_portNumber);
            return;
        }
        m_unopenedPorts << UnopenedPort{m_portNumber, m_link.openError()};
        emit portUnavailable(m_portNumber, m_unopenedPorts.last().reason);
    }
    m_phase = Phase::Idle;
    emit finished(Outcome::NotFound);
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
        emit controllerFound(m_portNumber);
        // The window shows the open line before the first frame goes out.
        QMetaObject::invokeMethod(this, &SettingsDownload::transfer, Qt::QueuedConnection);
        return;
    case Phase::Transferring:
        m_received.append(bytes);
        switch (m_received.acknowledgement()) {
        case Acknowledgement::None:
            return;
        case Acknowledgement::Refused:
            if (m_sends >= MaxSends)
                end(Outcome::Refused);
            else
                sendFrame();
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
        emit greetingUnanswered(m_portNumber);
        searchFrom(m_portNumber + 1);
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
