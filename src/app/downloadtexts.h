#pragma once

#include "settingsdownload.h"

#include <QList>
#include <QString>

#include <optional>

// The words of a download on the window: what the port status box shows at each turn, and the
// message at the end. Every text of the download is here.
namespace DownloadTexts {

// No download has run since start-up, or the last one closed the port.
QString portClosed();
// Before the search: the box is emptied.
QString started();
// The port did not open or did not answer the greeting: the port tried next, by its number, or
// by its name beyond port numbers 1 to 30 ("COM34"); after port 30, with no port listed
// beyond, 31.
QString portPassedOver(const Klv::PortInfo &passed, const std::optional<Klv::PortInfo> &next);
// The controller answered the greeting.
QString controllerFound();
// How the download ended, in the port status box.
QString ended(Klv::SettingsDownload::Outcome outcome);
// The message box at the end; empty when the end is told in the status box alone. After a
// failure it says how many of the steps the controller took, and that it keeps its old program.
QString endMessage(Klv::SettingsDownload::Outcome outcome, int stepsTaken, int stepCount);

// After a search that found no controller: the ports that could not be opened for a reason the
// user can mend, and how to mend it; empty when there were none.
QString unopenedPortsMessage(const QList<Klv::SettingsDownload::UnopenedPort> &ports);

// The port state box beside the status box.
QString lineOpen();
QString lineClosed();

} // namespace DownloadTexts
