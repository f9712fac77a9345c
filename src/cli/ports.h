#pragma once

#include "portinfo.h"

#include <QByteArray>
#include <QList>

// What `ports` prints of the serial ports: one line each (the port number, or "-" for none; the
// device; what the system says of it), or a JSON array of objects.
QByteArray portsText(const QList<Klv::PortInfo> &ports);
QByteArray portsJson(const QList<Klv::PortInfo> &ports);
