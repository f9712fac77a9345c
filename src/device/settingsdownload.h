#pragma once

#include "portnames.h"
#include "receivetext.h"
#include "seriallink.h"
#include "steptable.h"

#include <QList>
#include <QObject>

class QTimer;

namespace Klv {

// Sends the step table to the controller: finds it by its greeting on port numbers 1 to 30,
// sends one frame per step, each acknowledged, and closes with "END".
//
// Everything runs on the event loop, driven by the link's signals and one reply timer, so the
// program stays responsive throughout. The steps sent are a copy of the table taken when the
// controller has answered the greeting. Every wait is bounded. What happens is told as the
// signals below; the words for it are the front end's.
class SettingsDownload : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Completed,   // every step taken and "END" sent
        AlreadyOpen, // the link was open before the start; nothing was sent
        NotFound,    // no controller answered on the ports searched
        NoReply,     // the controller did not answer a frame in time
        LineFailed,  // the line failed while steps were sent (a write error, the device gone)
        Refused,     // a frame was refused MaxSends times
    };
    Q_ENUM(Outcome)

    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 30;
    static constexpr int GreetingWaitMs = 500;
    static constexpr int ReplyWaitMs = 1000;
    static constexpr int MaxSends = 10;

    // table is read when the controller has answered the greeting.
    SettingsDownload(SerialLink &link, PortMapping portMapping, const StepTable &table,
                     QObject *parent = nullptr);
    ~SettingsDownload() override;

    bool isRunning() const { return m_phase != Phase::Idle; }
    // Whether steps are being sent (from the controller's greeting to the end).
    bool isTransferring() const
    {
        return m_phase == Phase::Transferring || m_phase == Phase::Ending;
    }

    // Starts a download that searches ports FirstPort to LastPort.
    void start();
    // Starts a download that searches only the port numbers first to last (within FirstPort to
    // LastPort): a caller that knows where the controller is greets no other device.
    void startOnPorts(int firstPort, int lastPort);
    // Ends a download at once, for a program that is closing: the timer stops, the port closes,
    // nothing more is sent or reported.
    void abandon();

    // A port the search could not open, and why.
    struct UnopenedPort
    {
        int portNumber;
        PortOpenError reason;
    };
    // The ports the last search could not open, in the order they were tried.
    const QList<UnopenedPort> &unopenedPorts() const { return m_unopenedPorts; }

signals:
    // Port portNumber could not be opened, for reason; the search goes on with the next one.
    void portUnavailable(int portNumber, Klv::PortOpenError reason);
    // Port portNumber opened and was greeted; its answer is awaited.
    void portGreeted(int portNumber);
    // Port portNumber did not answer the greeting in time and was closed again.
    void greetingUnanswered(int portNumber);
    // The controller answered the greeting on port portNumber; the line is open.
    void controllerFound(int portNumber);
    // total steps are about to be sent.
    void transferStarted(int total);
    // The controller took another step.
    void stepsTaken(int taken, int total);
    // The download ended; after a controllerFound() the line is closed again.
    void finished(Klv::SettingsDownload::Outcome outcome);

private:
    enum class Phase { Idle, Greeting, Connected, Transferring, Ending };

    void searchFrom(int portNumber);
    void dataArrived();
    void replyOverdue();
    void linkFailed();
    void transfer();
    void sendFrame();
    void sendNextStepOrEnd();
    void endWritten();
    void end(Outcome outcome);

    SerialLink &m_link;
    PortMapping m_portMapping;
    const StepTable &m_table;
    // The greeting's 500 ms, then each frame's reply wait.
    QTimer *m_replyTimer;

    Phase m_phase = Phase::Idle;
    int m_portNumber = FirstPort;
    int m_lastPort = LastPort; // of the current search
    QList<UnopenedPort> m_unopenedPorts;
    ReceiveText m_received;
    QList<Step> m_steps; // the copy being sent
    int m_stepIndex = 0;
    int m_sends = 0; // sends of the current frame
};

} // namespace Klv
