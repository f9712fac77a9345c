#pragma once

#include "downloadbatch.h"

#include <QList>
#include <QString>
#include <QStringList>

// The command line's words for a download: how ports are named, why one would not open and what
// to do about it, how each device's download ended, and the exit status it gives.

// "port 5 (/dev/ttyUSB0)" for a port number, else the device: "/dev/ttyUSB12", "COM34".
QString describePort(const Klv::PortInfo &port);

// Why a port would not open: "permission denied".
QString reasonText(Klv::PortOpenError reason);
// What the user can do about it (remedyFor() chooses); empty when nothing is known.
QString remedyText(Klv::PortOpenError reason, const Klv::DeviceAccess &access);

// After a search that found no controller: the ports that are there but would not open, each
// with why, then each remedy once; nothing when every port tried was absent.
QStringList unopenedPortsReport(const QList<Klv::SettingsDownload::UnopenedPort> &ports);

// How one device's download ended, for its closing line. label names the device (empty for a
// search, which names the ports searched).
QString outcomeText(const Klv::DownloadBatch::Result &result, const QString &label,
                    const QList<Klv::PortInfo> &searched);
// What the user can do about a device that could not be used; empty when nothing is known.
QString remedyOf(const Klv::DownloadBatch::Result &result);

// The exit status of one device's download, and of the batch: 0 when every device took the
// program, 130 when interrupted, else the highest status of a device; with no device at all
// (--all, and nothing answered), no controller was found.
int exitStatusOf(Klv::DownloadBatch::Outcome outcome);
int exitStatusOf(const QList<Klv::DownloadBatch::Result> &devices);
