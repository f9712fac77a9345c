#pragma once

#include "deviceaccess.h"
#include "portinfo.h"
#include "portnames.h"
#include "receivetext.h"
#include "seriallink.h"
#include "steptable.h"

#include <QList>
#include <QObject>

class QTimer;

namespace Klv {

// Sends the step table to the controller: finds it by its greeting on port numbers 1 to 30 and
// then on the other ports the system lists, sends one frame per step, each acknowledged, and
// closes with "END".
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

    // The ports the system lists, which start() tries after port numbers 1 to 30; none unless
    // set.
    void setPortListing(PortListing listing) { m_portListing = std::move(listing); }

    bool isRunning() const { return m_phase != Phase::Idle; }
    // Whether steps are being sent (from the controller's greeting to the end).
    bool isTransferring() const
    {
        return m_phase == Phase::Transferring || m_phase == Phase::Ending;
    }

    // Starts a download that searches ports FirstPort to LastPort, then the other ports listed.
    void start();
    // Starts a download that searches only the port numbers first to last (within FirstPort to
    // LastPort): a caller that knows where the controller is greets no other device.
    void startOnPorts(int firstPort, int lastPort);
    // Starts a download that searches these ports, in this order.
    void startOn(const QList<PortInfo> &ports);
    // Ends a download at once, for a program that is closing: the timer stops, the port closes,
    // nothing more is sent or reported.
    void abandon();

    // A port the search could not open, why, and who may open it when the user may not.
    struct UnopenedPort
    {
        PortInfo port;
        PortOpenError reason = PortOpenError::Other;
        DeviceAccess access; // known for PermissionDenied where the system has permissions
    };
    // The ports the last search could not open, in the order they were tried.
    const QList<UnopenedPort> &unopenedPorts() const { return m_unopenedPorts; }
    // The port the last search tries after this one; none after its last.
    std::optional<PortInfo> portAfter(const PortInfo &port) const;

    // Of the last download: the steps it sends, the steps the controller took, and the frames
    // sent again after a refusal.
    int stepCount() const { return int(m_steps.size()); }
    int takenCount() const { return m_stepIndex; }
    int resendCount() const { return m_resends; }

signals:
    // The port could not be opened, for reason; the search goes on with the next one.
    void portUnavailable(const Klv::PortInfo &port, Klv::PortOpenError reason);
    // The port opened and was greeted; its answer is awaited.
    void portGreeted(const Klv::PortInfo &port);
    // The port did not answer the greeting in time and was closed again.
    void greetingUnanswered(const Klv::PortInfo &port);
    // The controller answered the greeting on the port; the line is open.
    void controllerFound(const Klv::PortInfo &port);
    // total steps are about to be sent.
    void transferStarted(int total);
    // The controller took another step.
    void stepsTaken(int taken, int total);
    // The download ended; after a controllerFound() the line is closed again.
    void finished(Klv::SettingsDownload::Outcome outcome);

private:
    enum class Phase { Idle, Opening, Greeting, Connected, Transferring, Ending };

    void searchFrom(qsizetype index);
    void greet();
    void passOver();
    void openEnded(bool opened);
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
    PortListing m_portListing;
    const StepTable &m_table;
    // The greeting's 500 ms, then each frame's reply wait.
    QTimer *m_replyTimer;

    Phase m_phase = Phase::Idle;
    QList<PortInfo> m_ports; // of the current search
    qsizetype m_portIndex = 0;
    QList<UnopenedPort> m_unopenedPorts;
    ReceiveText m_received;
    QList<Step> m_steps; // the copy being sent
    int m_stepIndex = 0;
    int m_sends = 0;   // sends of the current frame
    int m_resends = 0; // of all frames
};

} // namespace Klv
