#pragma once

#include <QString>
#include <QStringList>

// One CSV record (RFC 4180): the fields joined by commas, a field quoted when it holds a comma,
// a double quote or a line break (its quotes doubled), ended by CR LF.
QString csvRecord(const QStringList &fields);
