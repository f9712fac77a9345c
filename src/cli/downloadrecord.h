#pragma once

#include "downloadbatch.h"

#include <QByteArray>
#include <QString>

// The record of one device's download, for the log (--log) and for --json: one JSON object on
// one line, ended by a line feed.

// What every record of one run shares: the program's file, the SHA-256 of its bytes in hex, and
// the tool as --version names it.
struct RecordContext
{
    QString file;
    QString sha256;
    QString tool;
};

QByteArray downloadRecord(const RecordContext &context, const Klv::DownloadBatch::Target &target,
                          const Klv::DownloadBatch::Result &result);
