#pragma once

#include "portinfo.h"

#include <QObject>
#include <QString>

#include <functional>

namespace Klv {
class SettingsDownload;
}

// Reports a download on stderr: where the controller is looked for and found, then the steps
// taken, as a redrawn bar on a terminal and as one line per step otherwise (a log, a pipe).
class DownloadProgress : public QObject
{
    Q_OBJECT
public:
    // How a port number is named in the messages: "port 5 (/dev/ttyUSB0)", "/dev/pts/3".
    using PortDescription = std::function<QString(int portNumber)>;

    DownloadProgress(Klv::SettingsDownload &download, PortDescription portDescription,
                     bool drawsBar, QObject *parent = nullptr);

    // The port number last greeted; 0 while none has opened.
    int greetedPort() const { return m_greetedPort; }
    // Whether the steps are being sent.
    bool isTransferring() const { return m_transferring; }
    int stepsTaken() const { return m_taken; }
    int stepTotal() const { return m_total; }

    QString describePort(int portNumber) const { return m_portDescription(portNumber); }

    // The download was abandoned: what follows the bar starts on a line of its own.
    void abandoned() { finished(); }

private:
    void portGreeted(const Klv::PortInfo &port);
    void controllerFound(const Klv::PortInfo &port);
    void transferStarted(int total);
    void stepTaken(int taken, int total);
    void finished();
    void drawBar();

    PortDescription m_portDescription;
    bool m_drawsBar = false;
    bool m_barShown = false;
    int m_greetedPort = 0;
    bool m_transferring = false;
    int m_taken = 0;
    int m_total = 0;
};
