#pragma once

#include <QString>

#include <functional>

// Maps the download's port numbers 1 to 30 to serial device names.
using PortMapping = std::function<QString(int portNumber)>;

// The platform's mapping: COMn on Windows; elsewhere the system's serial devices.
QString PlatformPortName(int portNumber);
