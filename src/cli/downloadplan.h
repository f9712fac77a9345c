#pragma once

#include "downloadbatch.h"
#include "portinfo.h"

#include <QList>
#include <QString>
#include <QStringList>

struct CliArguments;

// The devices a download goes to, from the command line: each port number and device given
// once, a device named by its adapter's serial number found among the listed ports; every port
// with --all; with none of them, one search of every port.
struct DownloadPlan
{
    QList<Klv::DownloadBatch::Target> targets;
    // How each target is named in messages; empty for the search, named by the port it tries.
    QStringList labels;
    bool isSearch = false;  // one target searching every port
    bool probesAll = false; // --all: a target per port, probes each
    QString error;          // why the devices given cannot be told apart
};

DownloadPlan planDownload(const CliArguments &arguments, const Klv::PortMapping &portMapping,
                          const Klv::PortListing &listing);
