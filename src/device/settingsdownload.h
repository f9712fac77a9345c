#pragma once

#include "portnames.h"
#include "receivetext.h"
#include "step.h"

#include <QObject>

class QTimer;
class SerialLink;

// Sends the step table to the controller: finds it by its greeting on port numbers 1 to 30, sends
// one frame per step, each acknowledged, and closes with "END".
//
// The greeting wait runs on the event loop, so the window stays usable; the step transfer keeps
// user input out until its end, so the table cannot change under it. Every wait is bounded.
class SettingsDownload : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Completed,   // every step taken and "END" sent
        AlreadyOpen, // the port was open before the start; nothing was sent
        NotFound,    // no controller answered on ports 1 to 30
        NoReply,     // a frame went unanswered, or the line failed
        Refused,     // a frame was refused MaxSends times
    };
    Q_ENUM(Outcome)

    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 30;
    static constexpr int GreetingWaitMs = 500;
    static constexpr int ReplyWaitMs = 1000;
    static constexpr int MaxSends = 10;

    // replyTimer is the window's reply timer: armed for each greeting, its tick goes to
    // raiseReplyTimeout().
    SettingsDownload(SerialLink &link, PortMapping portMapping, const StepTable &table,
                     QTimer &replyTimer, QObject *parent = nullptr);

    bool isRunning() const { return m_phase != Phase::Idle; }

    // Starts a download; progress comes as statusChanged() and lineChanged(), the end as
    // finished().
    void start();
    // The reply timer's tick: the greeting wait ends with a timeout on its next pass.
    void raiseReplyTimeout();
    // Ends a download at once, for a window that is closing: the timer stops, the port closes,
    // nothing more is sent or reported.
    void abandon();

signals:
    // The port status text: the next port number, or where the download stands.
    void statusChanged(const QString &text);
    // The line to the controller was opened after its greeting, or closed again.
    void lineChanged(bool open);
    void finished(SettingsDownload::Outcome outcome);

private:
    enum class Phase { Idle, Greeting, Connected, Transferring };

    void searchPorts();
    void greet();
    void greetingPass();
    void transfer();
    Outcome sendSteps();
    Acknowledgement awaitAcknowledgement();
    void end(Outcome outcome, const QString &status);

    SerialLink &m_link;
    PortMapping m_portMapping;
    const StepTable &m_table;
    QTimer &m_replyTimer;

    Phase m_phase = Phase::Idle;
    int m_portNumber = FirstPort;
    bool ReplyTimeoutFlag = false;
    ReceiveText m_received;
};
