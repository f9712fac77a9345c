#pragma once

#include "settingsdownload.h"

#include <QList>
#include <QString>

// The words of a download on the window: what the port status box shows at each turn, and the
// message at the end. Every text of the download is here.
namespace DownloadTexts {

// No download has run since start-up, or the last one closed the port.
QString portClosed();
// Before the search: the box is emptied.
QString started();
// Port portNumber did not open or did not answer the greeting: the number tried next.
QString portPassedOver(int portNumber);
// The controller answered the greeting.
QString controllerFound();
// How the download ended, in the port status box.
QString ended(Klv::SettingsDownload::Outcome outcome);
// The message box at the end; empty when the end is told in the status box alone.
QString endMessage(Klv::SettingsDownload::Outcome outcome);

// A port the search could not open, by its device name, and why.
struct UnopenedPort
{
    QString device;
    Klv::PortOpenError reason;
};
// After a search that found no controller: the ports that could not be opened for a reason the
// user can mend, and how to mend it; empty when there were none.
QString unopenedPortsMessage(const QList<UnopenedPort> &ports);

// The port state box beside the status box.
QString lineOpen();
QString lineClosed();

} // namespace DownloadTexts
