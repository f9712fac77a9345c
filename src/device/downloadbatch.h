#pragma once

#include "platformseriallink.h"
#include "portinfo.h"
#include "settingsdownload.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>

class QTimer;

#include <functional>
#include <optional>

namespace Klv {

class SerialLink;

// Sends one program to several controllers at once, each with the download the window uses (its
// greeting, frames, resends, bounds and end states), all on the one event loop: a device that
// fails, or is slow to open, holds up none of the others. Reports events and results; the words
// are the front end's.
class DownloadBatch : public QObject
{
    Q_OBJECT
public:
    using LinkMaker = std::function<SerialLink *(QObject *parent)>;

    // How one device's download ended.
    enum class Outcome {
        Completed,   // every step taken and "END" sent
        NotFound,    // no controller answered on the ports tried
        NoReply,     // the controller did not answer a frame in time
        LineFailed,  // the line failed while steps were sent
        Refused,     // a frame was refused SettingsDownload::MaxSends times
        Interrupted, // ended by interrupt(): nothing more was sent, no "END"
        Unavailable, // its one port could not be opened
    };
    Q_ENUM(Outcome)

    // Where one device is looked for.
    struct Target
    {
        // Tried in turn: the first that answers the greeting is the device's controller.
        QList<PortInfo> ports;
        // A port greeted to see whether a controller is there at all: when it does not open or
        // answer, it is no device and has nothing to report.
        bool isProbe = false;
    };

    // How one device's download went.
    struct Result
    {
        Outcome outcome = Outcome::NotFound;
        std::optional<PortInfo> controllerPort;     // where the controller answered
        PortOpenError reason = PortOpenError::None; // why it was Unavailable
        QList<SettingsDownload::UnopenedPort> unopenedPorts;
        int steps = 0;      // the steps sent, once the controller answered
        int taken = 0;      // the steps the controller took
        int resends = 0;    // frames sent again after a refusal
        QDateTime endedAt;  // UTC
        double seconds = 0; // from the start of the batch to the end of this download
        // False for a probe that never answered: it is no device.
        bool isDevice = true;
    };

    // table is read by each download when its controller answers.
    DownloadBatch(const QList<Target> &targets, const StepTable &table,
                  LinkMaker makeLink = createPlatformSerialLink, QObject *parent = nullptr);
    ~DownloadBatch() override;

    int count() const { return int(m_devices.size()); }
    const Target &target(int device) const { return m_devices[device].target; }
    // How the device's download went; complete once deviceEnded(device) has come.
    const Result &result(int device) const { return m_devices[device].result; }
    bool hasEnded(int device) const { return m_devices[device].hasEnded; }
    bool isRunning() const;

    // Starts every device's download, one after another on the event loop.
    void start();
    // Ends every download still running as the window's Exit ends one: nothing more is sent,
    // no "END", each port closed. Those that had found their controller, and every device that
    // is not a probe, end Interrupted.
    void interrupt();

signals:
    void portGreeted(int device, const Klv::PortInfo &port);
    void controllerFound(int device, const Klv::PortInfo &port);
    void transferStarted(int device, int total);
    void stepsTaken(int device, int taken, int total);
    // The device's download ended; result(device) says how.
    void deviceEnded(int device);
    // Every download has ended.
    void finished();

private:
    struct Device
    {
        Target target;
        SerialLink *link = nullptr;
        SettingsDownload *download = nullptr;
        Result result;
        bool hasEnded = false;
    };

    void startNext();
    void downloadEnded(int device, std::optional<SettingsDownload::Outcome> outcome);
    void finishIfAllEnded();

    QList<Device> m_devices;
    QTimer *m_starter; // starts the next download
    QElapsedTimer m_clock;
    int m_unstarted = 0; // downloads whose start has not come yet
    bool m_finished = false;
};

} // namespace Klv
