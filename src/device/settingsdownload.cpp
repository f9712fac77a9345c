#include "settingsdownload.h"

#include "protocol.h"
#include "seriallink.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

// Waits until the link has bytes or fails, at most msecs. Only the line's own events run
// meanwhile: a click cannot change the table under the transfer.
void waitForBytes(SerialLink &link, int msecs)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&link, &SerialLink::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&link, &SerialLink::failed, &loop, &QEventLoop::quit);
    deadline.start(msecs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

SettingsDownload::SettingsDownload(SerialLink &link, PortMapping portMapping,
                                   const StepTable &table, QTimer &replyTimer, QObject *parent)
    : QObject(parent), m_link(link), m_portMapping(std::move(portMapping)), m_table(table),
      m_replyTimer(replyTimer)
{
    // A coarse timer may fire a little early; the controller has its full 500 ms.
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_link, &SerialLink::readyRead, this, &SettingsDownload::greetingPass);
}

void SettingsDownload::start()
{
    if (isRunning())
        return;
    m_replyTimer.stop();
    m_portNumber = FirstPort;
    if (m_link.isOpen()) {
        // Not ours to touch: nothing is sent and the port stays open.
        emit statusChanged(QStringLiteral("ポートオープン中"));
        emit finished(Outcome::AlreadyOpen);
        return;
    }
    searchPorts();
}

void SettingsDownload::raiseReplyTimeout()
{
    ReplyTimeoutFlag = true;
    greetingPass();
}

void SettingsDownload::abandon()
{
    if (!isRunning())
        return;
    m_phase = Phase::Idle;
    m_replyTimer.stop();
    m_link.close();
}

void SettingsDownload::searchPorts()
{
    // A port that does not open costs nothing; the first one that opens is greeted.
    while (m_portNumber <= LastPort) {
        if (m_link.open(m_portMapping(m_portNumber))) {
            greet();
            return;
        }
        ++m_portNumber;
        emit statusChanged(QString::number(m_portNumber));
    }
    m_phase = Phase::Idle;
    m_replyTimer.stop();
    emit statusChanged(QStringLiteral("KLV-90は見つかりません。"));
    emit finished(Outcome::NotFound);
}

void SettingsDownload::greet()
{
    m_phase = Phase::Greeting;
    ReplyTimeoutFlag = false;
    m_received.clear();
    m_replyTimer.start(GreetingWaitMs);
    // A failing write closes the port; the greeting then simply times out.
    m_link.write(Protocol::greeting());
}

void SettingsDownload::greetingPass()
{
    if (m_phase != Phase::Greeting)
        return;
    m_received.append(m_link.readAll());
    // The timeout is tested first: a greeting that comes with it is too late.
    if (ReplyTimeoutFlag) {
        ++m_portNumber;
        emit statusChanged(QString::number(m_portNumber));
        m_link.close();
        searchPorts();
        return;
    }
    if (!m_received.contains(Reply::Welcome))
        return;
    m_replyTimer.stop();
    m_phase = Phase::Connected;
    emit lineChanged(true);
    emit statusChanged(QStringLiteral("ポートオープン"));
    // The window's pending events run once before the transfer, so it shows the open line.
    QMetaObject::invokeMethod(this, &SettingsDownload::transfer, Qt::QueuedConnection);
}

void SettingsDownload::transfer()
{
    if (m_phase != Phase::Connected)
        return;
    m_phase = Phase::Transferring;
    Outcome outcome = sendSteps();
    // The window closed while the transfer waited for a reply: nothing more is reported.
    if (m_phase != Phase::Transferring)
        return;
    // "END" would let the controller take a partial program: it follows only a full transfer.
    if (outcome == Outcome::Completed && !m_link.write(Protocol::endOfDownload()))
        outcome = Outcome::NoReply;
    switch (outcome) {
    case Outcome::Completed:
        end(outcome, QStringLiteral("ポートクローズ"));
        break;
    case Outcome::Refused:
        end(outcome, QStringLiteral("KLV-90がデータを受け付けません。"));
        break;
    default:
        end(outcome, QStringLiteral("KLV-90が応答しません。"));
        break;
    }
}

SettingsDownload::Outcome SettingsDownload::sendSteps()
{
    // The count is taken once; each slot is read just before its frame is built.
    const int count = qMin<int>(m_table.StepCount, StepTable::MaxSteps);
    for (int n = 0; n < count; ++n) {
        const QByteArray frame = StepFrame(m_table[n]);
        Acknowledgement answer = Acknowledgement::Refused;
        for (int send = 1; send <= MaxSends && answer == Acknowledgement::Refused; ++send) {
            if (!m_link.write(frame))
                return Outcome::NoReply;
            m_received.clear();
            answer = awaitAcknowledgement();
        }
        if (answer == Acknowledgement::None)
            return Outcome::NoReply;
        if (answer == Acknowledgement::Refused)
            return Outcome::Refused;
    }
    return Outcome::Completed;
}

Acknowledgement SettingsDownload::awaitAcknowledgement()
{
    const QDeadlineTimer deadline(ReplyWaitMs);
    for (;;) {
        m_received.append(m_link.readAll());
        const Acknowledgement answer = m_received.acknowledgement();
        if (answer != Acknowledgement::None || !m_link.isOpen() || deadline.hasExpired())
            return answer;
        waitForBytes(m_link, int(deadline.remainingTime()));
    }
}

void SettingsDownload::end(Outcome outcome, const QString &status)
{
    m_link.close();
    m_phase = Phase::Idle;
    emit statusChanged(status);
    emit lineChanged(false);
    emit finished(outcome);
}
