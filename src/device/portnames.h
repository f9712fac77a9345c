#pragma once

#include <QString>

#include <functional>

namespace Klv {

// Maps the download's port numbers 1 to 30 to serial device names.
using PortMapping = std::function<QString(int portNumber)>;

// The platform's mapping: COMn on Windows. Elsewhere 1-4 are /dev/ttyS0-3, 5-14 /dev/ttyUSB0-9,
// 15-24 /dev/ttyACM0-9 and 25-30 /dev/ttyS4-9.
QString platformPortName(int portNumber);

} // namespace Klv
